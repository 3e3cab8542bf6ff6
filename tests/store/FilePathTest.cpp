// The kind, extension and base name of a path, and whole files read by path.
#include <gtest/gtest.h>

#include <cstdio>
#include "platform/CodePage.h"
#include "store/FilePath.h"
#include "tests/store/SheetFixture.h"

namespace {

TEST(FilePaths, KindExtensionAndBaseName) {
  const std::pair<std::u16string, FileKind> kinds[] = {
      {u"a.CSV", FILE_CSV},     {u"b.Text", FILE_TXT}, {u"b.txt", FILE_TXT},
      {u"c.xlsx", FILE_EXCEL},  {u"c.XLS", FILE_EXCEL}, {u"d.mvt", FILE_MVT},
      {u".csv", FILE_OTHER},    {u"e.tsv", FILE_OTHER}, {u"", FILE_OTHER},
      {u"x.csv.bak", FILE_OTHER}, {u"表.csv", FILE_CSV},
  };
  for (const auto& [path, kind] : kinds) EXPECT_EQ(fileKind(path), kind) << u8(path);

  EXPECT_EQ(getFileExt(u"C:\\a.b\\file"), u".b\\file");
  EXPECT_EQ(getFileExt(u"x.tar.gz"), u".gz");
  EXPECT_EQ(getFileExt(u"noext"), u"");
  EXPECT_EQ(getFileBaseName(u"C:\\dir\\a.b.csv"), u"a.b");
  EXPECT_EQ(getFileBaseName(u"/home/u/data.csv"), u"data");
  EXPECT_EQ(getFileBaseName(u"c:\\x/y\\z.txt"), u"z");
  EXPECT_EQ(getFileBaseName(u"plain"), u"plain");
  EXPECT_EQ(getFileBaseName(u""), u"");
}

TEST(ReadFileAsWide, WholeFileAsUtf16) {
  const std::string dir = ::testing::TempDir();
  const std::u16string path = utf8ToWide(dir) + u"宽文本.bin";
  const std::string bytes("\xff\xfe" "a\0" "\x2d\x4e" "z", 7);  // BOM, 'a', 中, odd byte
  FILE* f = std::fopen((dir + "宽文本.bin").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  EXPECT_EQ(readFileAsWide(path), u"\xfeff" u"a中");
  EXPECT_EQ(readFileAsWide(utf8ToWide(dir) + u"missing.bin"), u"");
  f = std::fopen((dir + "宽文本.bin").c_str(), "wb");
  std::fclose(f);
  EXPECT_EQ(readFileAsWide(path), u"");
  std::remove((dir + "宽文本.bin").c_str());
}

}  // namespace
