// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
// A Windows build of the program against a real registry: Wine's, in a fresh
// prefix for this run, written with Wine's own regedit. Rows of the table that
// only a scripted registry can produce are skipped. Each row runs twice: once
// for its output, once with standard output on a character device and Wine
// tracing the calls the program makes. The environment names the build and
// its loader: CLIENTID_EXE, run under CLIENTID_WINE.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "cases.h"
#include "process.h"

namespace {

std::string wine;        // the Wine loader
std::string program;     // the Windows build it runs
std::string prefix;      // the Wine prefix of this run; empty when Wine cannot run
std::string cannot_run;  // why not, when Wine cannot run here
std::string failure;     // what went wrong where Wine must run

constexpr std::string_view enter = "\nleft unread\n";  // ENTER, and more behind it

constexpr const char* biosinfo = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Biosinfo";

bool exists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// The C runtime writes text-mode line ends as CR LF.
std::string with_crlf(std::string_view text) {
  std::string out;
  for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

// A .reg file that makes the registry hold what `row` says, bytes as hex(TYPE).
// Wine's regedit stores string types as text: their bytes are taken as ANSI.
std::string reg_file(const registry_case& row) {
  std::string reg = "REGEDIT4\r\n\r\n[-" + std::string(biosinfo) + "]\r\n\r\n";
  if (row.holds == "no-key") return reg;
  reg += "[" + std::string(biosinfo) + "]\r\n";
  if (value_type(row) == 0) return reg;
  reg += "\"SystemBiosDate\"=hex(" + std::to_string(value_type(row)) + "):";
  const std::string hex = to_hex(row.data);
  for (std::size_t i = 0; i < hex.size(); i += 2) reg += (i > 0 ? "," : "") + hex.substr(i, 2);
  return reg + "\r\n";
}

// Runs one of Wine's own programs to set up the prefix. Gives what went wrong,
// with what Wine said, or nothing.
std::string setup_step(const arguments& argv, int timeout_ms = 20000) {
  const run_result run = run_program(argv, {}, "", timeout_ms);
  if (run.exit_code == 0) return "";
  return "wine " + argv[1] + " exited " + std::to_string(run.exit_code) + ": " + run.out + run.err;
}

// Makes the registry hold what the .reg `text` says, with Wine's regedit.
std::string import_reg(const std::string& text) {
  const std::string file = prefix + "/import.reg";
  std::ofstream(file, std::ios::binary) << text;
  return setup_step({wine, "regedit", "/S", "Z:" + file});
}

// The calls Wine's relay channel traces; its registry channel shows the query.
constexpr const char* relay_include =
    "advapi32.RegOpenKeyExA;advapi32.RegCloseKey;msvcrt.fflush;msvcrt.getchar;"
    "KERNEL32.WriteFile;KERNEL32.WriteConsoleA;KERNEL32.WriteConsoleW";

struct traced_run {
  std::string calls;            // in the words of expected_calls
  int writes = 0;               // writes of the output
  std::size_t written = 0;      // the bytes they were given
  std::size_t before_wait = 0;  // of which before the wait
};

// Reads Wine's trace of one run. The key is the handle that the registry
// channel shows NtOpenKeyEx handing back inside the program's RegOpenKeyExA.
traced_run read_trace(const std::string& trace) {
  static const std::regex open(
      R"re(Call advapi32\.RegOpenKeyExA\((?:ffffffff)?(\w+),\w+ "(.*)",0*(\w+),0*(\w+),)re");
  static const std::regex opened(
      R"re(NtOpenKeyEx <- (?:0x)?(\w+)|Ret  advapi32\.RegOpenKeyExA\(\))re");
  static const std::regex query(
      R"re(RegQueryValueExA \((\w+),"(.*)",0*(\w+),\w+,\w+,\w+=(\d+)\))re");
  static const std::regex other(
      R"re(Call \w+\.(RegCloseKey|fflush|getchar|Write\w+)\((\w*),?\w*,?(\w*))re");
  bool opening = false;
  std::string returned;
  std::string key;
  auto handle = [&key](const std::string& hex) {
    return !key.empty() && std::stoull(key, nullptr, 16) == std::stoull(hex, nullptr, 16) ? "key"
                                                                                          : "other";
  };
  traced_run run;
  std::istringstream lines(trace);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (opening && std::regex_search(line, m, opened)) {
      if (m[1].matched) {
        returned = m.str(1);  // the last key opened inside the call
      } else {
        key = returned;  // the call has returned
        opening = false;
      }
    } else if (std::regex_search(line, m, open)) {
      opening = true;
      run.calls += "open " + m.str(1) + " " +
                   std::regex_replace(m.str(2), std::regex(R"(\\\\)"), "\\") + " " + m.str(3) +
                   " " + m.str(4) + "\n";
    } else if (std::regex_search(line, m, query))
      run.calls += std::string("query ") + handle(m.str(1)) + " " + m.str(2) +
                   (m.str(3) == "0" ? " none " : " reserved ") + m.str(4) + "\n";
    else if (!std::regex_search(line, m, other))
      continue;
    else if (m.str(1) == "RegCloseKey")
      run.calls += std::string("close ") + handle(m.str(2)) + "\n";
    else if (m.str(1) == "fflush" || m.str(1) == "getchar")
      run.calls += m.str(1) == "fflush" ? "flush\n" : "wait\n";
    else {
      ++run.writes;
      run.written += std::stoul(m.str(3), nullptr, 16);
      if (run.calls.find("wait\n") == std::string::npos) run.before_wait = run.written;
    }
  }
  return run;
}

class WineEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    wine = std::getenv("CLIENTID_WINE") != nullptr ? std::getenv("CLIENTID_WINE") : "";
    program = std::getenv("CLIENTID_EXE") != nullptr ? std::getenv("CLIENTID_EXE") : "";
    if (!exists(wine) || !exists(program)) {
      cannot_run = "needs " + wine + " and " + program + " (bash scripts/test-all.sh)";
      return;
    }
    if (run_program({wine, "--version"}, {}, "").spawn_error == ENOEXEC) {
      cannot_run = "this machine cannot execute " + wine + " (exec format error)";
      return;
    }
    std::string dir = "/tmp/clientid-wine-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) {
      failure = "cannot make a folder for the Wine prefix";
      return;
    }
    setenv("WINEPREFIX", dir.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // A server that stays up to 30 s after the last run, so that Wine's own
    // processes start once, untraced.
    run_program({server(), "-p30"}, {}, "");
    failure = setup_step({wine, "wineboot", "-i"}, 180000);
    if (failure.empty())
      failure = setup_step({wine, "reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude",
                            "/d", relay_include, "/f"});
    if (failure.empty()) prefix = dir;
  }
  static std::string server() { return wine.substr(0, wine.rfind('/') + 1) + "wineserver"; }
  void TearDown() override {
    if (prefix.empty()) return;
    run_program({server(), "-k"}, {}, "", 20000);
    run_program({"rm", "-rf", prefix}, {}, "");
  }
};

const auto* const environment = testing::AddGlobalTestEnvironment(new WineEnvironment);

#define SKIP_WITHOUT_WINE() \
  ASSERT_EQ(failure, "");   \
  if (prefix.empty()) GTEST_SKIP() << "cannot run here: " << cannot_run

class WineTable : public testing::TestWithParam<registry_case> {};

TEST_P(WineTable, PrintsExactBytes) {
  SKIP_WITHOUT_WINE();
  const registry_case& row = GetParam();
  if (row.holds.ends_with("-status"))
    GTEST_SKIP() << "only a scripted registry returns a chosen status";
  ASSERT_EQ(import_reg(reg_file(row)), "");

  const run_result run = run_program({wine, program}, {}, enter);
  EXPECT_EQ(run.out, with_crlf(row.expected));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.exit_code, 0);

  // The calls, and the output in a few writes, all of it before the wait.
  const run_result traced = run_program(
      {"sh", "-c", "WINEDEBUG=-all,+relay,+reg exec \"$@\" >/dev/null", "sh", wine, program}, {},
      enter);
  ASSERT_EQ(traced.exit_code, 0) << traced.err.substr(0, 2000);
  const traced_run seen = read_trace(traced.err);
  EXPECT_EQ(seen.calls, expected_calls(row));
  EXPECT_LE(seen.writes, 3);
  EXPECT_EQ(seen.written, with_crlf(row.expected).size());
  EXPECT_EQ(seen.before_wait, seen.written);
}

INSTANTIATE_TEST_SUITE_P(Registry, WineTable, testing::ValuesIn(load_cases(CASES_FILE)),
                         [](const auto& row) { return test_name(row.param); });

constexpr std::string_view date_output =
    "\r\n\r\nYour client id is : quillbrook010203\r\n\r\n*** Press ENTER to exit***\r\n";

class Wine : public testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_WINE();
    ASSERT_EQ(import_reg(reg_file({"date", "sz", 0, std::string("01/02/03\0", 9), ""})), "");
  }
};

TEST_F(Wine, EndOfInputEndsTheWaitAndArgumentsChangeNothing) {
  for (const arguments& argv :
       {arguments{wine, program}, arguments{wine, program, "/?", "%s", "x y"}}) {
    const run_result run = run_program(argv, {}, "", 20000);
    EXPECT_EQ(run.exit_code, 0) << argv.size();
    EXPECT_EQ(run.out, date_output) << argv.size();
  }
}

TEST_F(Wine, WaitBlocksUntilALineArrivesWithThePromptShown) {
  const auto start = std::chrono::steady_clock::now();
  const wait_probe probe = run_with_held_input({wine, program}, {}, date_output.size(), 1000);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(probe.shown, date_output);
  EXPECT_TRUE(probe.waited) << "ended before its input arrived";
  EXPECT_EQ(probe.exit_code, 0);
  EXPECT_GE(seconds, 1.0);
}

}  // namespace
