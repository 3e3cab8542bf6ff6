// Kernel calls: the tick count and its hand-driven clock, the module file
// name, directory enumeration (wide and narrow), sockets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/user/User.h"
#include "tests/support/Scratch.h"
#include "tests/support/TextConvert.h"

namespace {

using testsupport::w;

class FindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.csv", "A.CSV", "README", "c.txt", "数据.csv"})
      std::ofstream(dir + "/" + name) << "12345";
    std::filesystem::create_directory(dir + "/sub");
  }

  std::vector<std::u16string> wideNames(const std::string& pattern, std::vector<DWORD>* attrs = nullptr) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(w(dir + "/" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(fd.cFileName);
      if (attrs) attrs->push_back(fd.dwFileAttributes);
    } while (FindNextFileW(h, &fd));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    return names;
  }
  testsupport::ScratchDir scratch;
  const std::string& dir = scratch.dir();
};

}  // namespace

TEST(ClockTest, HandDrivenTickCountWrapsAndSleepAdvancesIt) {
  platform::setManualClock(0xFFFFFFF0u);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
  platform::advanceClock(0x20);
  EXPECT_EQ(GetTickCount(), 0x10u);  // 32 bits, wrapping
  Sleep(5);
  EXPECT_EQ(GetTickCount(), 0x15u);
  DWORD (*asCFunction)(void) = &GetTickCount;  // handed to compiled scripts by address
  EXPECT_EQ(asCFunction(), 0x15u);
  platform::useRealClock();
  DWORD before = GetTickCount();
  Sleep(20);
  EXPECT_GE(GetTickCount() - before, 19u);
}

TEST(ModuleTest, FileNameIsTheProgramPath) {
  char real[4096];
  ssize_t n = readlink("/proc/self/exe", real, sizeof real - 1);
  ASSERT_GT(n, 0);
  std::u16string expected = w(std::string(real, n));
  WCHAR buf[4096];
  DWORD len = GetModuleFileNameW(nullptr, buf, 4096);
  EXPECT_EQ(len, expected.size());
  EXPECT_EQ(std::u16string(buf), expected);
  EXPECT_EQ(expected.find(u'\\'), std::u16string::npos);
  WCHAR small[5];
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);  // cut: the size comes back
  EXPECT_EQ(std::u16string(small), expected.substr(0, 4));
  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
  // A test may name another program file; empty gives the real one back.
  platform::setModuleFileName(u"/opt/程序/morvel");
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, 4096), 14u);
  EXPECT_EQ(std::u16string(buf), u"/opt/程序/morvel");
  platform::setModuleFileName(u"");
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, 4096), expected.size());
}

TEST_F(FindTest, WildcardsMatchWithoutCaseAndStarDotStarTakesEverything) {
  struct Case {
    std::string pattern;
    std::vector<std::u16string> names;
  } cases[] = {
      {"*.*", {u".", u"..", u"A.CSV", u"b.csv", u"c.txt", u"README", u"sub", u"数据.csv"}},
      {"*", {u".", u"..", u"A.CSV", u"b.csv", u"c.txt", u"README", u"sub", u"数据.csv"}},
      {"*.csv", {u"A.CSV", u"b.csv", u"数据.csv"}},
      {"?.c*", {u"A.CSV", u"b.csv"}},
      {"*.t?t", {u"c.txt"}},
      {"readme", {u"README"}},
      {"none*", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(wideNames(c.pattern), c.names) << c.pattern;
  std::vector<DWORD> attrs;
  auto names = wideNames("s*", &attrs);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(attrs[0] & FILE_ATTRIBUTE_DIRECTORY);
  WIN32_FIND_DATAW fd;
  EXPECT_EQ(FindFirstFileW(u"/no/such/folder/*.*", &fd), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// Links have the attributes of what they name with the reparse-point mark, so that a walk
// may tell a link to a folder from a folder.
TEST_F(FindTest, LinksCarryTheReparsePointMark) {
  ASSERT_EQ(symlink((dir + "/sub").c_str(), (dir + "/to-sub").c_str()), 0);
  ASSERT_EQ(symlink((dir + "/c.txt").c_str(), (dir + "/to-c.txt").c_str()), 0);
  ASSERT_EQ(symlink((dir + "/gone").c_str(), (dir + "/to-gone").c_str()), 0);
  struct Case {
    const char* name;
    DWORD attributes;
    DWORD tag;
  } cases[] = {
      {"sub", FILE_ATTRIBUTE_DIRECTORY, 0},
      {"c.txt", FILE_ATTRIBUTE_ARCHIVE, 0},
      {"to-sub", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK},
      {"to-c.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK},
      {"to-gone", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK},
  };
  for (const Case& c : cases) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(w(dir + "/" + c.name).c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.name;
    EXPECT_EQ(fd.dwFileAttributes, c.attributes) << c.name;
    EXPECT_EQ(fd.dwReserved0, c.tag) << c.name;
    FindClose(h);
  }
}

TEST_F(FindTest, NarrowSearchUsesTheAnsiCodePage) {
  std::u16string pattern = w(dir) + u"/*";
  char narrow[1024];
  int n = WideCharToMultiByte(CP_ACP, 0, pattern.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
  ASSERT_GT(n, 0);
  _finddata64i32_t fd;
  intptr_t h = _findfirst64i32(narrow, &fd);
  ASSERT_NE(h, -1);
  std::vector<std::string> names;
  std::vector<unsigned> attribs;
  do {
    names.push_back(fd.name);
    attribs.push_back(fd.attrib);
  } while (_findnext64i32(h, &fd) == 0);
  EXPECT_EQ(_findclose(h), 0);
  ASSERT_EQ(names.size(), 8u);
  EXPECT_EQ(names[0], ".");
  EXPECT_EQ(names[6], "sub");
  EXPECT_TRUE(attribs[6] & _A_SUBDIR);
  EXPECT_EQ(names[7], "\xCA\xFD\xBE\xDD.csv");  // 数据 in GBK
  EXPECT_EQ(_findfirst64i32("/no/such/folder/*", &fd), -1);
}

TEST(SocketsTest, StartAndCleanUpSucceed) {
  WSADATA data;
  EXPECT_EQ(WSAStartup(0x0202, &data), 0);
  EXPECT_EQ(data.wVersion, 0x0202);
  EXPECT_EQ(WSACleanup(), 0);
}
