// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// The program run as a process against the scripted registry: every row of the
// table of registry situations, then the wait itself.

#include <gtest/gtest.h>

#include "cases.h"
#include "process.h"

namespace {

constexpr std::string_view input = "y\nleft unread\n";  // one character, not the line

// The script that makes the scripted registry hold what `row` says.
arguments script_for(const registry_case& row) {
  if (row.holds == "no-key") return {"FAKE_OPEN=2"};
  if (row.holds == "open-status") return {"FAKE_OPEN=" + std::to_string(row.status)};
  if (row.holds == "query-status") return {"FAKE_QUERY=" + std::to_string(row.status)};
  if (value_type(row) == 0) return {};
  return {"FAKE_TYPE=" + std::to_string(value_type(row)), "FAKE_DATA=" + to_hex(row.data)};
}

bool succeeds(const registry_case& row) {
  return row.expected.starts_with("\n\nYour client id is : ");
}

class ReportTable : public testing::TestWithParam<registry_case> {};

TEST_P(ReportTable, PrintsExactBytesAndKeepsTheOrder) {
  const registry_case& row = GetParam();
  const run_result run = run_program({SCRIPTED_PROGRAM}, script_for(row), input);

  EXPECT_EQ(run.out, row.expected);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.log, expected_calls(row));
  // At exit the C runtime hands back what it buffered: one character was read.
  EXPECT_EQ(run.input_read, succeeds(row) ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Registry, ReportTable, testing::ValuesIn(load_cases(CASES_FILE)),
                         [](const auto& row) { return test_name(row.param); });

const arguments date_script = {"FAKE_TYPE=1",
                               "FAKE_DATA=" + to_hex(std::string_view("01/02/03\0", 9))};
constexpr std::string_view date_output =
    "\n\nYour client id is : quillbrook010203\n\n*** Press ENTER to exit***\n";

TEST(Report, EndOfInputEndsTheWaitAndArgumentsChangeNothing) {
  for (const arguments& argv :
       {arguments{SCRIPTED_PROGRAM}, arguments{SCRIPTED_PROGRAM, "--help", "/?", "%s"}}) {
    const run_result run = run_program(argv, date_script, "", 5000);
    EXPECT_EQ(run.exit_code, 0) << argv.size();
    EXPECT_EQ(run.out, date_output) << argv.size();
  }
}

TEST(Report, WaitBlocksUntilALineArrivesWithThePromptShown) {
  const wait_probe probe =
      run_with_held_input({SCRIPTED_PROGRAM}, date_script, date_output.size(), 300);
  EXPECT_EQ(probe.shown, date_output);
  EXPECT_TRUE(probe.waited);
  EXPECT_EQ(probe.exit_code, 0);
}

}  // namespace
