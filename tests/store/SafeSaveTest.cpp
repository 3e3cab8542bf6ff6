// The whole-file save: the target changes only at the commit, takes the new bytes with
// its own permissions, and no other file is left in its folder whatever happens.
#include "store/SafeSave.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "tests/support/Scratch.h"

namespace {

using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;

std::vector<std::string> names(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

unsigned modeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

bool put(SafeSave& save, const std::string& bytes) {
  return save.file() && std::fwrite(bytes.data(), 1, bytes.size(), save.file()) == bytes.size();
}

// The old bytes stay while the new file is written and flushed; the commit puts the new
// ones in place with the old file's permissions, or (a new file) those a plain create gives.
TEST(SafeSave, TheTargetChangesOnlyAtTheCommit) {
  ScratchDir dir;
  writeBytes(dir.native("t.csv"), "old bytes\n");
  chmod(dir.native("t.csv").c_str(), 0640);
  {
    SafeSave save(dir.path("t.csv"));
    ASSERT_TRUE(put(save, "new\n"));
    std::fflush(save.file());
    EXPECT_EQ(readBytes(dir.native("t.csv")), "old bytes\n");
    EXPECT_EQ(names(dir.dir()).size(), 2u) << "the new file is beside the old one";
    EXPECT_TRUE(save.commit());
    EXPECT_FALSE(save.commit()) << "once only";
  }
  EXPECT_EQ(readBytes(dir.native("t.csv")), "new\n");
  EXPECT_EQ(modeOf(dir.native("t.csv")), 0640u);
  EXPECT_EQ(names(dir.dir()), std::vector<std::string>{"t.csv"});

  const mode_t mask = umask(0);
  umask(mask);
  {
    SafeSave save(dir.path("fresh.csv"));
    ASSERT_TRUE(put(save, "x"));
    EXPECT_FALSE(fileExists(dir.path("fresh.csv")));
    EXPECT_TRUE(save.commit());
  }
  EXPECT_EQ(readBytes(dir.native("fresh.csv")), "x");
  EXPECT_EQ(modeOf(dir.native("fresh.csv")), 0666u & ~unsigned(mask));
}

// A save that is not committed, or discarded, removes its new file and leaves the
// target, or its absence, as it was; a writer that takes the new file's path may write it.
TEST(SafeSave, WithoutACommitNothingChanges) {
  ScratchDir dir;
  writeBytes(dir.native("t.csv"), "old\n");
  {
    SafeSave save(dir.path("t.csv"));
    ASSERT_TRUE(put(save, "lost"));
  }
  {
    SafeSave save(dir.path("t.csv"));
    ASSERT_TRUE(put(save, "lost"));
    save.discard();
    EXPECT_FALSE(save.commit());
  }
  {
    SafeSave save(dir.path("never.csv"));
    ASSERT_TRUE(put(save, "lost"));
  }
  EXPECT_EQ(readBytes(dir.native("t.csv")), "old\n");
  EXPECT_EQ(names(dir.dir()), std::vector<std::string>{"t.csv"});

  SafeSave save(dir.path("t.csv"));
  save.handOver();
  EXPECT_EQ(save.file(), nullptr);
  EXPECT_TRUE(save);
  EXPECT_TRUE(fileExists(save.newPath())) << "the new file is there, empty";
  writeBytes(wideToUtf8(save.newPath()), "by name\n");
  EXPECT_TRUE(save.commit());
  EXPECT_EQ(readBytes(dir.native("t.csv")), "by name\n");
  EXPECT_EQ(names(dir.dir()), std::vector<std::string>{"t.csv"});
}

// A link stays a link: the file it names, in its own folder, takes the new bytes.
TEST(SafeSave, ALinkNamesTheFileThatIsReplaced) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.native("real"));
  writeBytes(dir.native("real/t.csv"), "old\n");
  ASSERT_EQ(symlink(dir.native("real/t.csv").c_str(), dir.native("link.csv").c_str()), 0);
  SafeSave save(dir.path("link.csv"));
  ASSERT_TRUE(put(save, "new\n"));
  EXPECT_TRUE(save.commit());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.native("link.csv")));
  EXPECT_EQ(readBytes(dir.native("real/t.csv")), "new\n");
  EXPECT_EQ(names(dir.native("real")), std::vector<std::string>{"t.csv"});
  EXPECT_EQ(names(dir.dir()), (std::vector<std::string>{"link.csv", "real"}));
}

// Targets that cannot take a save give no file and leave nothing; a device has no file
// to lose and is written directly.
TEST(SafeSave, RefusedTargetsLeaveNothing) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.native("folder"));
  writeBytes(dir.native("file"), "f");
  for (const std::string& target : {dir.native("missing/t.csv"), dir.native("folder"), dir.native("file/t.csv")}) {
    SafeSave save(utf8ToWide(target));
    EXPECT_EQ(save.file(), nullptr) << target;
    EXPECT_FALSE(save.commit()) << target;
  }
  EXPECT_EQ(names(dir.dir()), (std::vector<std::string>{"file", "folder"}));
  EXPECT_TRUE(names(dir.native("folder")).empty());

  if (!std::filesystem::exists("/dev/null")) return;
  SafeSave save(u"/dev/null");
  ASSERT_TRUE(put(save, "into the device"));
  EXPECT_TRUE(save.commit());
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  for (const std::string& name : names("/dev")) EXPECT_EQ(name.find(".morvel-"), std::string::npos) << name;
}

}  // namespace
