// A Windows build of the program against a real registry: Wine's, in a fresh
// prefix for this run, written with Wine's own regedit. Rows of the table that
// only a scripted registry can produce are skipped. The environment names the
// build and its loader: CLIENTID_EXE, run under CLIENTID_WINE.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "cases.h"
#include "process.h"

namespace {

std::string wine;        // the Wine loader
std::string program;     // the Windows build it runs
std::string prefix;      // the Wine prefix of this run; empty when Wine cannot run
std::string cannot_run;  // why not, when Wine cannot run here
std::string failure;     // what went wrong where Wine must run

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

class WineEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    wine = std::getenv("CLIENTID_WINE") != nullptr ? std::getenv("CLIENTID_WINE") : "";
    program = std::getenv("CLIENTID_EXE") != nullptr ? std::getenv("CLIENTID_EXE") : "";
    if (!exists(wine) || !exists(program)) {
      cannot_run = "needs " + wine + " and " + program + " (bash scripts/test-all.sh)";
      if (std::getenv("CI") != nullptr) failure = cannot_run + ": CI installs and builds them";
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
    if (run_program({wine, "wineboot", "-i"}, {}, "", 180000).exit_code == 0)
      prefix = dir;
    else
      failure = wine + " wineboot -i failed";
  }
  void TearDown() override {
    if (prefix.empty()) return;
    run_program({wine.substr(0, wine.rfind('/') + 1) + "wineserver", "-k"}, {}, "", 20000);
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
  const std::string reg = prefix + "/row.reg";
  std::ofstream(reg, std::ios::binary) << reg_file(row);
  ASSERT_EQ(run_program({wine, "regedit", "/S", "Z:" + reg}, {}, "").exit_code, 0);

  const run_result run = run_program({wine, program}, {}, "\nleft unread\n");
  EXPECT_EQ(run.out, with_crlf(row.expected));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.exit_code, 0);
}

INSTANTIATE_TEST_SUITE_P(Registry, WineTable, testing::ValuesIn(load_cases(CASES_FILE)),
                         [](const auto& row) { return test_name(row.param); });

constexpr std::string_view date_output =
    "\r\n\r\nYour client id is : quillbrook010203\r\n\r\n*** Press ENTER to exit***\r\n";

class Wine : public testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_WINE();
    const std::string reg = prefix + "/date.reg";
    std::ofstream(reg, std::ios::binary)
        << reg_file({"date", "sz", 0, std::string("01/02/03\0", 9), ""});
    ASSERT_EQ(run_program({wine, "regedit", "/S", "Z:" + reg}, {}, "").exit_code, 0);
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
