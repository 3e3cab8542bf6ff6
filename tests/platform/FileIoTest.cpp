#include "platform/FileIo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

std::u16string tempDir() {
  std::string dir = testing::TempDir() + "fileio_" + std::to_string(getpid());
  return std::u16string(dir.begin(), dir.end());
}

TEST(FileIo, ChinesePathsAndMoveRefusingAnExistingTarget) {
  std::u16string dir = tempDir();
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  std::u16string a = dir + u"/表格.csv", b = dir + u"/b.csv";
  FILE* f = _wfopen(a.c_str(), u"wb");
  ASSERT_NE(f, nullptr);
  fputs("x,y\n", f);
  ASSERT_EQ(_fseeki64(f, 0, SEEK_END), 0);
  EXPECT_EQ(_ftelli64(f), 4);
  fclose(f);
  EXPECT_TRUE(fileExists(a));
  EXPECT_TRUE(CopyFileW(a.c_str(), b.c_str(), TRUE));
  EXPECT_FALSE(CopyFileW(a.c_str(), b.c_str(), TRUE));
  EXPECT_FALSE(MoveFileW(a.c_str(), b.c_str()));
  EXPECT_TRUE(DeleteFileW(b.c_str()));
  EXPECT_TRUE(MoveFileW(a.c_str(), b.c_str()));
  EXPECT_FALSE(fileExists(a));
  EXPECT_TRUE(DeleteFileW(b.c_str()));
  EXPECT_FALSE(DeleteFileW(dir.c_str())) << "a folder is not a file";
  EXPECT_TRUE(isDirectory(dir));
  rmdir(nativePath(dir).c_str());
}

}  // namespace
