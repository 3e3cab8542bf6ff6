// Replays the delimited reader's fuzzing corpus kept beside these tests: every file, read
// as its first bytes choose, gives on that road what the sequential road gives, with a
// sound sheet (the checks of the fuzz target, tests/store/fuzz/DelimitedCase.h).
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/store/fuzz/DelimitedCase.h"
#include "tests/support/Scratch.h"

namespace {

TEST(DelimitedCorpus, EveryFileReadsAlikeOnEveryRoad) {
  const std::filesystem::path corpus = std::filesystem::path(MORVEL_TESTS_DIR) / "store" / "fuzz" /
                                       "corpus-delimited";
  ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
  testsupport::ScratchDir dir;
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(corpus)) {
    const std::string bytes = testsupport::readBytes(item.path().string());
    ++files;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    EXPECT_EQ(delimitedfuzz::checkCase(delimitedfuzz::decode(data, bytes.size()), dir.dir()), "")
        << item.path().filename().string();
  }
  EXPECT_GT(files, 0);
}

}  // namespace
