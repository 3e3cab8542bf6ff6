// The kind, extension and base name of a path, and whole files read by path.
#include <gtest/gtest.h>

#include <cstdio>
#include "platform/CodePage.h"
#include "store/FilePath.h"
#include "tests/store/SheetFixture.h"
#include "tests/support/Scratch.h"

namespace {

TEST(FilePaths, KindExtensionAndBaseName) {
  const std::pair<std::u16string, FileKind> kinds[] = {
      {u"a.CSV", FILE_CSV},   {u"b.Text", FILE_TXT},      {u"b.txt", FILE_TXT},  {u"c.xlsx", FILE_EXCEL},
      {u"c.XLS", FILE_EXCEL}, {u"d.mvt", FILE_MVT},       {u".csv", FILE_OTHER}, {u"e.tsv", FILE_OTHER},
      {u"", FILE_OTHER},      {u"x.csv.bak", FILE_OTHER}, {u"表.csv", FILE_CSV},
  };
  for (const auto& [path, kind] : kinds) EXPECT_EQ(fileKind(path), kind) << u8(path);

  EXPECT_EQ(getFileExt(u"C:\\a.b\\file"), u".b\\file");
  EXPECT_EQ(getFileExt(u"x.tar.gz"), u".gz");
  EXPECT_EQ(getFileExt(u"noext"), u"");
}

// The base name and the tab title of a path: one separator rule ('/' or '\\', whichever
// comes last); the title keeps a path of one leading separator and a name whole.
TEST(FilePaths, NamesOfPaths) {
  struct Case {
    std::u16string path, baseName, fileName;
  };
  const Case cases[] = {
      {u"C:\\dir\\a.b.csv", u"a.b", u"a.b.csv"},
      {u"/home/u/数据.txt", u"数据", u"数据.txt"},
      {u"c:\\x/y\\z.txt", u"z", u"z.txt"},
      {u"c:\\x\\y/z.txt", u"z", u"z.txt"},
      {u"mixed/dir\\name", u"name", u"name"},
      {u"plain", u"plain", u"plain"},
      {u"name.csv", u"name", u"name.csv"},
      {u"/name.csv", u"name", u"/name.csv"},
      {u"dir/", u"", u""},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(getFileBaseName(c.path), c.baseName) << u8(c.path);
    EXPECT_EQ(fileNameOfPath(c.path), c.fileName) << u8(c.path);
  }
}

TEST(ReadFileAsWide, WholeFileAsUtf16) {
  testsupport::ScratchDir dir;
  const std::u16string path = dir.path("宽文本.bin");
  // Byte strings kept on one line, split only where a hex escape ends:
  // clang-format off
  testsupport::writeBytes(dir.native("宽文本.bin"), std::string("\xff\xfe" "a\0" "\x2d\x4e" "z", 7));  // BOM, 'a', 中, odd byte
  EXPECT_EQ(readFileAsWide(path), u"\xfeff" u"a中");
  // clang-format on
  EXPECT_EQ(readFileAsWide(dir.path("missing.bin")), u"");
  testsupport::writeBytes(dir.native("宽文本.bin"), "");
  EXPECT_EQ(readFileAsWide(path), u"");
}

}  // namespace
