// Shell calls: the platform's command-line splitting rules, the process's
// own command line, path tests, and the desktop launches recorded by the
// test driver instead of run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>

#include "platform/testdriver/AnswerScript.h"
#include "platform/user/User.h"
#include "tests/support/Scratch.h"

namespace {

std::vector<std::u16string> split(const std::u16string& line) {
  int n = -1;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &n);
  std::vector<std::u16string> out;
  if (!argv) return out;
  for (int i = 0; i < n; ++i) out.emplace_back(argv[i]);
  EXPECT_EQ(argv[n], nullptr);
  EXPECT_EQ(LocalFree(argv), nullptr);
  return out;
}

using Args = std::vector<std::u16string>;

}  // namespace

TEST(CommandLine, SplitsByThePlatformsQuotingRules) {
  struct Case {
    std::u16string line;
    Args args;
  };
  const Case cases[] = {
      {u"prog a b", {u"prog", u"a", u"b"}},
      {u"prog  a\t\tb  ", {u"prog", u"a", u"b"}},                                // runs of blanks and tabs
      {u"\"C:\\Program Files\\m.exe\" x", {u"C:\\Program Files\\m.exe", u"x"}},  // quoted program
      {u"C:\\a\\\"b c\" d", {u"C:\\a\\\"b", u"c d"}},  // the program: no escapes; then a quote opens
      {u"p \"a b\" c", {u"p", u"a b", u"c"}},
      {u"p a\"b c\"d", {u"p", u"ab cd"}},    // quotes inside an argument
      {u"p \\\"a", {u"p", u"\"a"}},          // 1 backslash: literal quote
      {u"p \\\\\"a b\"", {u"p", u"\\a b"}},  // 2: one backslash, quote opens
      {u"p \\\\\\\"a", {u"p", u"\\\"a"}},    // 3: backslash + literal quote
      {u"p a\\\\b", {u"p", u"a\\\\b"}},      // not before a quote: kept
      {u"p C:\\data\\文件.csv", {u"p", u"C:\\data\\文件.csv"}},
      {u"p \"\"", {u"p", u""}},                // an empty argument
      {u"p \"a\"\"b\"", {u"p", u"a\"b"}},      // "" inside quotes: one quote
      {u"p \"\"\"a\"\"\"", {u"p", u"\"a\""}},  // three quotes: one quote
      {u"p \"unclosed arg", {u"p", u"unclosed arg"}},
      {u"p", {u"p"}},
  };
  for (const Case& c : cases) EXPECT_EQ(split(c.line), c.args) << std::string(c.line.begin(), c.line.end());
}

TEST(CommandLine, AnEmptyLineGivesTheProgramAndTheOwnLineRoundTrips) {
  char16_t path[4096];
  DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  EXPECT_EQ(split(u""), (Args{std::u16string(path, n)}));
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  ASSERT_NE(argv, nullptr);
  EXPECT_GE(count, 1);
  EXPECT_EQ(std::u16string(argv[0]), std::u16string(path, n));
  LocalFree(argv);
  platform::setCommandLine(u"morvel \"/tmp/a b.csv\"");
  EXPECT_EQ(split(GetCommandLineW()), (Args{u"morvel", u"/tmp/a b.csv"}));
  platform::setCommandLine(u"");
  EXPECT_EQ(CommandLineToArgvW(u"x", nullptr), nullptr);
}

TEST(PathTests, ExistenceAndFolders) {
  testsupport::ScratchDir scratch;
  const std::filesystem::path dir = scratch.dir();
  auto file = dir / "数据.csv";
  std::ofstream(file) << "a,b\n";
  std::u16string d = dir.u16string(), f = file.u16string(), missing = (dir / "none.csv").u16string();
  EXPECT_TRUE(PathFileExistsW(f.c_str()));
  EXPECT_TRUE(PathFileExistsW(d.c_str()));
  EXPECT_FALSE(PathFileExistsW(missing.c_str()));
  EXPECT_FALSE(PathFileExistsW(u""));
  EXPECT_EQ(PathIsDirectoryW(d.c_str()), 0x10);
  EXPECT_FALSE(PathIsDirectoryW(f.c_str()));
  EXPECT_FALSE(PathIsDirectoryW(missing.c_str()));
}

TEST(DesktopLaunch, HeadlessLaunchesAreRecordedNotRun) {
  testdriver::AnswerScript script;
  HINSTANCE r = ShellExecuteW(nullptr, u"open", u"https://example.org/help", nullptr, nullptr, SW_SHOW);
  EXPECT_GT(reinterpret_cast<intptr_t>(r), 32);
  EXPECT_GT(WinExec("cmd.exe", SW_SHOW), 31u);
  script.answer(u"ShellExecuteW", 2);  // a test can make it fail
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, u"open", u"x", nullptr, nullptr, SW_SHOW)), 2);
  ASSERT_EQ(script.calls().size(), 3u);
  EXPECT_EQ(script.calls()[0].call.kind, u"ShellExecuteW");
  EXPECT_EQ(script.calls()[0].call.args, (Args{u"open", u"https://example.org/help", u"", u"", u"5"}));
  EXPECT_EQ(script.calls()[1].call.kind, u"WinExec");
  EXPECT_EQ(script.calls()[1].call.args, (Args{u"cmd.exe", u"5"}));
}

// Without a test hook WinExec("cmd.exe") starts the first terminal program PATH holds,
// x-terminal-emulator before xterm, and reports ERROR_FILE_NOT_FOUND when there is none
// (a file that may not be run does not count).
TEST(WinExecTerminal, StartsTheFirstTerminalOnThePathOrSaysThereIsNone) {
  namespace fs = std::filesystem;
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, bool>> programs;  // name, may be run
    const char* started;                                 // the marker the started one writes; null: none
  } cases[] = {
      {"none", {}, nullptr},
      {"xterm alone", {{"xterm", true}}, "xterm"},
      {"both: x-terminal-emulator first", {{"xterm", true}, {"x-terminal-emulator", true}}, "x-terminal-emulator"},
      {"an xterm that may not be run", {{"xterm", false}}, nullptr},
  };
  const char* pathBefore = std::getenv("PATH");
  const std::string savedPath = pathBefore ? pathBefore : "";
  for (const Case& c : cases) {
    testsupport::ScratchDir scratch;
    const fs::path root = scratch.dir(), bin = root / "bin";
    fs::create_directories(bin);
    for (const auto& [name, runnable] : c.programs) {
      const fs::path program = bin / name;
      std::ofstream(program) << "#!/bin/sh\necho started > \"" << (root / name).string() << "\"\n";
      fs::permissions(program, runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    }
    setenv("PATH", bin.c_str(), 1);
    const UINT result = WinExec("cmd.exe", SW_SHOW);
    setenv("PATH", savedPath.c_str(), 1);
    if (!c.started) {
      EXPECT_EQ(result, ERROR_FILE_NOT_FOUND) << c.what;
      continue;
    }
    EXPECT_GT(result, 31u) << c.what;
    const fs::path marker = root / c.started;
    for (int i = 0; i < 200 && !fs::exists(marker); ++i) usleep(10000);
    EXPECT_TRUE(fs::exists(marker)) << c.what;
    for (const auto& [name, runnable] : c.programs)
      if (std::string(name) != c.started) EXPECT_FALSE(fs::exists(root / name)) << c.what << ": " << name;
  }
}
