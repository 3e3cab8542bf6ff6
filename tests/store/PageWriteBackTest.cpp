// Paged read: which records a page holds and where it lies in the file; the
// write-back: only the page's bytes change, the file is replaced safely, and
// the page's new end makes a second write-back right.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

#include "store/DataCore.h"
#include "store/PageWriteBack.h"
#include "tests/store/SheetDump.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

std::string numberedLines(int from, int to) {
  std::string out;
  for (int i = from; i <= to; ++i) out += "line" + std::to_string(i) + ",v" + std::to_string(i) + "\n";
  return out;
}

// Each case at several block sizes, on the sequential road and on the
// parallel one (every file large enough for it, three workers).
class PagedRead : public ::testing::TestWithParam<std::tuple<size_t, bool>> {
 protected:
  ScratchDir dir;
  CDataCore sheet;
  TextPage page;

  void SetUp() override {
    sheet.mIoTuning.blockBytes = std::get<0>(GetParam());
    sheet.mIoTuning.parallel = std::get<1>(GetParam());
    sheet.mIoTuning.minParallelBytes = 0;
    sheet.mIoTuning.threads = 3;
  }
  bool readPage(const std::string& bytes, bool keepHeader, int32_t firstRow, int32_t rows) {
    writeBytes(dir.native("big.csv"), bytes);
    page = TextPage{};
    return readTextPage(sheet, dir.path("big.csv"), ',', keepHeader, firstRow, rows, page);
  }
  std::u16string firstColumn() const {
    std::u16string out;
    for (int32_t r = 1; r < static_cast<int32_t>(sheet.mRowCount); ++r) out += sheet.getText(r, 1) + u" ";
    return out;
  }
};

TEST_P(PagedRead, PagesOfTenLinesHoldTheRightRecordsAndOffsets) {
  const std::string text = numberedLines(1, 10);
  auto offsetOf = [&](int line) { return static_cast<uint64_t>(text.find("line" + std::to_string(line) + ",")); };
  const struct {
    bool keepHeader;
    int32_t firstRow, rows;
    std::u16string column;
    uint64_t start, end;
  } cases[] = {
      {true, 5, 3, u"line1 line5 line6 line7 ", offsetOf(5), offsetOf(8)},
      {true, 9, 3, u"line1 line9 line10 ", offsetOf(9), text.size()},
      {true, 1, 3, u"line1 line2 line3 ", 0, offsetOf(4)},
      {false, 5, 3, u"line5 line6 line7 ", offsetOf(5), offsetOf(8)},
      {false, 1, 10, u"line1 line2 line3 line4 line5 line6 line7 line8 line9 line10 ", 0, text.size()},
      {true, 20, 3, u"line1 ", text.size(), text.size()},
      {false, 3, INT32_MAX, u"line3 line4 line5 line6 line7 line8 line9 line10 ", offsetOf(3), text.size()},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(readPage(text, c.keepHeader, c.firstRow, c.rows));
    EXPECT_EQ(firstColumn(), c.column) << c.firstRow << " " << c.keepHeader;
    EXPECT_EQ(page.start, c.start) << c.firstRow;
    EXPECT_EQ(page.end, c.end) << c.firstRow;
    EXPECT_EQ(sheet.mColCount, 3u);
  }
  ASSERT_TRUE(readPage(text, true, 9, 3));
  EXPECT_EQ(sheet.mRowCount, 4u);
}

TEST_P(PagedRead, Utf16OffsetsAreEvenAndPointAtALineStart) {
  const std::string text = numberedLines(1, 6);
  for (bool big : {false, true}) {
    const std::string bytes = (big ? "\xFE\xFF" : "\xFF\xFE") + utf16Bytes(text, big);
    ASSERT_TRUE(readPage(bytes, false, 3, 2));
    EXPECT_EQ(firstColumn(), u"line3 line4 ");
    EXPECT_EQ(page.start, 2 + 2 * text.find("line3"));
    EXPECT_EQ(page.end, 2 + 2 * text.find("line5"));
    EXPECT_EQ(page.encoding, big ? ENC_UTF16BE : ENC_UTF16LE);
  }
}

TEST_P(PagedRead, Utf8MarkIsSkippedAndCountedInTheOffsets) {
  const std::string text = "名称,x\nb,y\nc,z\n";
  ASSERT_TRUE(readPage("\xEF\xBB\xBF" + text, false, 1, 1));
  EXPECT_EQ(sheet.getText(1, 1), u"名称");  // no U+FEFF
  EXPECT_EQ(page.start, 0u);
  ASSERT_TRUE(readPage("\xEF\xBB\xBF" + text, false, 2, 1));
  EXPECT_EQ(page.start, 3 + std::string("名称,x\n").size());
  EXPECT_EQ(sheet.getText(1, 1), u"b");
}

TEST_P(PagedRead, RecordsTheDetectedDelimiterAndLeavesOffsetsOnAnEmptyFile) {
  ASSERT_TRUE(readPage("a;b\nc;d\n", false, 2, 1));
  EXPECT_EQ(page.delimiter, ';');
  EXPECT_EQ(sheet.getText(1, 2), u"d");
  page = TextPage{7, 9, 'x', 3};
  writeBytes(dir.native("empty.csv"), "");
  ASSERT_TRUE(readTextPage(sheet, dir.path("empty.csv"), ',', true, 2, 5, page));
  EXPECT_EQ(sheet.mRowCount, 0u);
  EXPECT_EQ(page.start, 7u);
  EXPECT_EQ(page.end, 9u);
}

// A page of 0 rows (a count of 0 or below) holds no record, not even record 1: it
// starts and ends at one record start, so writing it back leaves the file as it was,
// its byte order mark included.
TEST_P(PagedRead, PageOfNoRowsIsEmptyAndWritesBackNothing) {
  const std::string text = numberedLines(1, 6);
  const std::string marked = "\xEF\xBB\xBF" + text;
  const struct {
    const std::string* bytes;
    bool keepHeader;
    int32_t firstRow, rows;
    std::u16string column;
    uint64_t at;
  } cases[] = {
      {&text, false, 1, 0, u"", 0},
      {&text, true, 1, 0, u"", 0},
      {&text, false, 1, -3, u"", 0},
      {&marked, false, 1, 0, u"", 3},
      {&text, true, 4, 0, u"line1 ", text.find("line4")},
      {&text, false, 4, -1, u"", text.find("line4")},
  };
  for (const auto& c : cases) {
    const std::string what = std::to_string(c.firstRow) + "/" + std::to_string(c.rows) +
                             (c.keepHeader ? " header" : "") + (c.bytes == &marked ? " marked" : "");
    ASSERT_TRUE(readPage(*c.bytes, c.keepHeader, c.firstRow, c.rows)) << what;
    EXPECT_EQ(firstColumn(), c.column) << what;
    EXPECT_EQ(page.start, c.firstRow == 1 ? 0u : c.at) << what;
    EXPECT_EQ(page.end, c.at) << what;
    EXPECT_EQ(page.records, 0u) << what;
    const bool fromRow1 = !(c.keepHeader && c.firstRow != 1);
    ASSERT_TRUE(writeTextPage(sheet, dir.path("big.csv"), fromRow1, page)) << what;
    EXPECT_EQ(readBytes(dir.native("big.csv")), *c.bytes) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(Blocks, PagedRead, ::testing::Combine(::testing::Values(1, 3, 7, 0), ::testing::Bool()));

TEST(PagedReadMember, WritesBothOffsetsThroughItsReferences) {
  ScratchDir dir;
  CDataCore sheet;
  writeBytes(dir.native("f.csv"), numberedLines(1, 10));
  uint64_t start = 0, end = 0;
  ASSERT_TRUE(sheet.readPage(dir.path("f.csv"), ',', true, 5, 3, start, end));
  const std::string text = numberedLines(1, 10);
  EXPECT_EQ(start, text.find("line5"));
  EXPECT_EQ(end, text.find("line8"));
  EXPECT_FALSE(sheet.readPage(dir.path("missing.csv"), ',', true, 5, 3, start, end));
}

// ---- write-back ----

class WriteBack : public ::testing::Test {
 protected:
  ScratchDir dir;
  CDataCore sheet;
  TextPage page;
  std::vector<int64_t> progress;

  void SetUp() override {
    sheet.setProgress([this](uint64_t, int64_t p) { progress.push_back(p); });
  }
  std::u16string path() const { return dir.path("big.csv"); }
  std::string file() const { return readBytes(dir.native("big.csv")); }
  // Any file in the folder but big.csv and the given ones.
  bool tempLeft(const std::vector<std::string>& others = {}) const {
    for (const auto& e : std::filesystem::directory_iterator(dir.dir())) {
      const std::string name = e.path().filename().string();
      if (name != "big.csv" && std::find(others.begin(), others.end(), name) == others.end()) return true;
    }
    return false;
  }
};

// Two write-backs of a page in the middle of a file of several copy chunks:
// every byte outside the page stays, and the second write-back, after edits
// that change the rows' lengths, still replaces exactly the page.
TEST_F(WriteBack, ChangesOnlyThePagesBytesTwice) {
  const std::string head = "id,name\n" + numberedLines(1, 59999);
  const std::string pageText = numberedLines(60000, 60004);
  const std::string tail = numberedLines(60005, 120000);
  writeBytes(dir.native("big.csv"), head + pageText + tail);
  ASSERT_TRUE(readTextPage(sheet, path(), ',', true, 60001, 5, page));
  ASSERT_EQ(sheet.getText(2, 1), u"line60000");
  EXPECT_EQ(page.start, head.size());

  sheet.setText(3, 2, u"a much longer value, with a comma");
  sheet.setText(1, 1, u"edited header stays in the file's head");
  progress.clear();
  ASSERT_TRUE(writeTextPage(sheet, path(), false, page));
  const std::string edited =
      "line60000,v60000\nline60001,\"a much longer value, with a comma\"\n"
      "line60002,v60002\nline60003,v60003\nline60004,v60004\n";
  EXPECT_EQ(file(), head + edited + tail);
  EXPECT_EQ(page.end, head.size() + edited.size());
  EXPECT_FALSE(tempLeft());
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]);

  sheet.setText(3, 2, u"s");
  sheet.resize(5, 3);  // drop the page's last two rows
  ASSERT_TRUE(writeTextPage(sheet, path(), false, page));
  const std::string shorter = "line60000,v60000\nline60001,s\nline60002,v60002\n";
  EXPECT_EQ(file(), head + shorter + tail);
  EXPECT_EQ(page.end, head.size() + shorter.size());
}

TEST_F(WriteBack, WritesWithThePagesDelimiterAndTheFilesEncoding) {
  const std::string text = "a;b\nc;d\ne;f\n";
  writeBytes(dir.native("big.csv"), "\xFF\xFE" + utf16Bytes(text, false));
  ASSERT_TRUE(readTextPage(sheet, path(), ',', false, 2, 1, page));
  sheet.mSaveEncoding = ENC_UTF8;  // the menu's choice does not reach the page
  sheet.setText(1, 1, u"北;京");
  ASSERT_TRUE(writeTextPage(sheet, path(), true, page));
  EXPECT_EQ(file(), "\xFF\xFE" + utf16Bytes("a;b\n\"北;京\";d\ne;f\n", false));
}

TEST_F(WriteBack, FirstPageKeepsTheFilesOwnMark) {
  for (const std::string& mark : {std::string("\xEF\xBB\xBF"), std::string()}) {
    writeBytes(dir.native("big.csv"), mark + "x,y\nz,w\n");
    ASSERT_TRUE(readTextPage(sheet, path(), ',', true, 1, 1, page));
    EXPECT_EQ(page.start, 0u);
    sheet.setText(1, 1, u"q");
    sheet.mSaveEncoding = ENC_UTF16BE;
    ASSERT_TRUE(writeTextPage(sheet, path(), true, page));
    EXPECT_EQ(file(), mark + "q,y\nz,w\n");
    EXPECT_EQ(page.end, mark.size() + 4);
  }
}

TEST_F(WriteBack, FailuresLeaveTheFileAndNoTemporaryCopy) {
  const std::string text = numberedLines(1, 20);
  writeBytes(dir.native("big.csv"), text);
  ASSERT_TRUE(readTextPage(sheet, path(), ',', false, 5, 2, page));
  sheet.setText(1, 1, u"changed");

  TextPage beyond = page;
  beyond.end = text.size() + 1;  // offsets that do not fit the file
  EXPECT_FALSE(writeTextPage(sheet, path(), true, beyond));
  TextPage reversed = page;
  reversed.start = page.end + 1;
  EXPECT_FALSE(writeTextPage(sheet, path(), true, reversed));
  EXPECT_EQ(file(), text);
  EXPECT_FALSE(tempLeft());

  EXPECT_FALSE(writeTextPage(sheet, dir.path("missing.csv"), true, page));
  EXPECT_FALSE(tempLeft());
}

// The copy is made under a name that no file of the folder has: files of the user's
// beside the page's file stay as they were.
TEST_F(WriteBack, TheCopyTakesNoFileOfTheUsers) {
  writeBytes(dir.native("big.csv"), numberedLines(1, 20));
  const std::vector<std::string> users = {"big.csv.temp__", "big.csv.tmp", ".big.csv.swp"};
  for (const std::string& name : users) writeBytes(dir.native(name), "the user's " + name);
  ASSERT_TRUE(readTextPage(sheet, path(), ',', false, 5, 2, page));
  sheet.setText(1, 1, u"changed");
  ASSERT_TRUE(writeTextPage(sheet, path(), true, page));
  EXPECT_NE(file().find("changed"), std::string::npos);
  for (const std::string& name : users) EXPECT_EQ(readBytes(dir.native(name)), "the user's " + name);
  EXPECT_FALSE(tempLeft(users));
}

TEST_F(WriteBack, KeepsTheFilesPermissions) {
  writeBytes(dir.native("big.csv"), "a\nb\n");
  chmod(dir.native("big.csv").c_str(), 0640);
  ASSERT_TRUE(readTextPage(sheet, path(), ',', false, 2, 1, page));
  ASSERT_TRUE(writeTextPage(sheet, path(), true, page));
  struct stat st;
  ASSERT_EQ(stat(dir.native("big.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// The member form takes the caller's delimiter and the file's encoding.
TEST_F(WriteBack, MemberFormWritesThePageInTheOpenEncoding) {
  writeBytes(dir.native("big.csv"), gbk("甲,乙\n丙,丁\n"));
  uint64_t start = 0, end = 0;
  ASSERT_TRUE(sheet.readPage(path(), ',', true, 2, 1, start, end));
  sheet.setText(2, 2, u"戊");
  sheet.mSaveEncoding = ENC_UTF8;
  ASSERT_TRUE(sheet.writePage(path(), ',', false, start, end));
  EXPECT_EQ(file(), gbk("甲,乙\n丙,戊\n"));
}

}  // namespace
