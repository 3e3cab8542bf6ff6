// Classify-save: rows grouped by the file name their keys give, and the files written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "store/ClassifySave.h"
#include "tests/store/SheetFixture.h"
#include "tests/support/Scratch.h"

namespace {

using testsupport::readBytes;
using testsupport::ScratchDir;

// UTF-16LE bytes of a text.
std::string le(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += {char(c & 0xFF), char(c >> 8)};
  return out;
}

struct Grouped {
  std::string name;
  std::vector<int32_t> rows;
  bool operator==(const Grouped&) const = default;
};

std::vector<Grouped> grouped(const CDataCore& sheet, std::vector<int32_t> cols, int32_t first) {
  std::vector<Grouped> out;
  for (const auto& g : classifyRows(sheet, cols, first)) out.push_back({u8(g.name), g.rows});
  return out;
}

TEST(ClassifySaveTest, GroupsByFileName) {
  CDataCore sheet;
  fillSheet(sheet, {{"k", "v"},      // 1
                    {"a/b", ""},     // 2
                    {"ab", ""},      // 3
                    {"a", "bc"},     // 4
                    {"ab", "c"},     // 5
                    {"?*", ""},      // 6
                    {"AB", ""},      // 7
                    {"a|x", "y"}});  // 8
  struct Case {
    const char* name;
    std::vector<int32_t> cols;
    int32_t first;
    std::vector<Grouped> expected;
  } cases[] = {
      {"one key column, slash removed, case kept, an empty name",
       {1},
       1,
       {{"k", {1}}, {"ab", {2, 3, 5}}, {"a", {4}}, {"", {6}}, {"AB", {7}}, {"ax", {8}}}},
      {"two key columns, composite keys sharing a name",
       {1, 2},
       2,
       {{"ab", {2, 3}}, {"abc", {4, 5}}, {"", {6}}, {"AB", {7}}, {"axy", {8}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(grouped(sheet, c.cols, c.first), c.expected);
  }
}

// The files of every save encoding, with and without the header: no byte order mark,
// LF line ends, rows in table order, one file per name.
TEST(ClassifySaveTest, FilesByteForByte) {
  struct Case {
    const char* name;
    int32_t encoding;
    bool header;
    std::string ab, empty;
  } cases[] = {
      {"UTF-8 with header", ENC_UTF8, true, "键,值\nab,1\na/b,\"x,y\"\n", "键,值\n?,3\n"},
      {"UTF-8 without header", ENC_UTF8_NOBOM, false, "ab,1\na/b,\"x,y\"\n", "?,3\n"},
      {"GBK", ENC_ANSI, true, "\xBC\xFC,\xD6\xB5\nab,1\na/b,\"x,y\"\n", "\xBC\xFC,\xD6\xB5\n?,3\n"},
      {"UTF-16", ENC_UTF16LE, false, le(u"ab,1\na/b,\"x,y\"\n"), le(u"?,3\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    CDataCore sheet;
    fillSheet(sheet, {{"键", "值"}, {"ab", "1"}, {"a/b", "x,y"}, {"?", "3"}});
    sheet.mSaveEncoding = c.encoding;
    const auto groups = classifyRows(sheet, {1}, c.header ? 2 : 1);
    const auto failed = writeClassified(sheet, groups, utf8ToWide(dir.dir()), c.header);
    EXPECT_TRUE(failed.empty());
    EXPECT_EQ(readBytes(dir.native("ab.csv")), c.ab);
    EXPECT_EQ(readBytes(dir.native(".csv")), c.empty);
    const size_t files = std::distance(std::filesystem::directory_iterator(dir.dir()), {});
    EXPECT_EQ(files, c.header ? 2u : 3u);
  }
}

// A folder below a regular file cannot hold files (for root as well): every name is
// reported and nothing is written.
TEST(ClassifySaveTest, UnwritableFolderReportsEveryFile) {
  ScratchDir dir;
  testsupport::writeBytes(dir.native("plain"), "x");
  CDataCore sheet;
  fillSheet(sheet, {{"a"}, {"b"}, {"a"}});
  const auto failed = writeClassified(sheet, classifyRows(sheet, {1}, 1), utf8ToWide(dir.native("plain")), false);
  EXPECT_EQ(failed, (std::vector<std::u16string>{u"a.csv", u"b.csv"}));
  EXPECT_EQ(readBytes(dir.native("plain")), "x");
}

}  // namespace
