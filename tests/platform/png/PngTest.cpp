// PNG writing, read back through libpng.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/png/Png.h"

namespace {

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

TEST(GdiPng, WritesWhatReadsBack) {
  Surface s;
  s.resize(37, 11);
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = static_cast<uint32_t>(i * 0x010305u) & 0xFFFFFF;
  std::string path = tempPath("gdi_png_roundtrip.png");
  ASSERT_TRUE(writePng(s, path));
  Surface back;
  ASSERT_TRUE(readPng(path, &back));
  EXPECT_EQ(back.width, 37);
  EXPECT_EQ(back.height, 11);
  EXPECT_EQ(back.pixels, s.pixels);
  std::remove(path.c_str());
}

TEST(GdiPng, FailuresAreReported) {
  Surface empty;
  EXPECT_FALSE(writePng(empty, tempPath("gdi_png_empty.png")));
  Surface s;
  s.resize(2, 2);
  EXPECT_FALSE(writePng(s, "/nonexistent-folder/x.png"));
  std::string path = tempPath("gdi_png_garbage.png");
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("not a png", f);
  std::fclose(f);
  Surface out;
  out.resize(3, 3);
  EXPECT_FALSE(readPng(path, &out));
  EXPECT_EQ(out.width, 3);  // unchanged
  std::remove(path.c_str());
}

}  // namespace
