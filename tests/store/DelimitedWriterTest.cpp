// The delimited writers: byte order marks and bytes of the five encodings,
// round trips through the reader, quoting for the delimiter in use, the
// visible-only save, the rows writer, and the parallel save's bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "store/CsvQuote.h"
#include "store/DataCore.h"
#include "store/NumberText.h"
#include "tests/store/SheetDump.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

class Writer : public ::testing::Test {
 protected:
  ScratchDir dir;
  CDataCore sheet;
  std::vector<int64_t> progress;

  void SetUp() override {
    sheet.setProgress([this](uint64_t, int64_t p) { progress.push_back(p); });
  }
  // rows of texts typed into a fresh sheet
  void fill(const std::vector<std::vector<std::u16string>>& rows) {
    sheet.clear();
    size_t cols = 0;
    for (auto& r : rows) cols = std::max(cols, r.size());
    sheet.resize(static_cast<int32_t>(rows.size() + 1), static_cast<int32_t>(cols + 1));
    for (size_t i = 0; i < rows.size(); ++i) {
      for (size_t j = 0; j < rows[i].size(); ++j) {
        sheet.setTextTyped(static_cast<int32_t>(i + 1), static_cast<int32_t>(j + 1), rows[i][j].c_str());
      }
    }
  }
  std::string save(char delimiter = ',', bool all = true) {
    EXPECT_TRUE(sheet.writeDelimited(dir.path("out.csv"), delimiter, all));
    return readBytes(dir.native("out.csv"));
  }
};

const std::vector<std::vector<std::u16string>> MIXED = {
    {u"名称", u"金额", u"备注"},         {u"北京", u"12.5", u"a,b"},
    {u"上海", u"-7", u"line1\r\nline2"}, {u"\"q\"", u"3.14159265358979", u"say \"hi\""},
    {u"", u"0.000000001", u"1e20"},
};

TEST_F(Writer, EveryEncodingRoundTripsThroughTheReader) {
  const struct {
    int32_t encoding;
    std::string mark;
    int32_t readBack;
  } cases[] = {
      {ENC_UTF8, "\xEF\xBB\xBF", ENC_UTF8},   {ENC_UTF16LE, "\xFF\xFE", ENC_UTF16LE},
      {ENC_UTF16BE, "\xFE\xFF", ENC_UTF16BE}, {ENC_ANSI, "", ENC_ANSI},
      {ENC_UTF8_NOBOM, "", ENC_UTF8},
  };
  for (const auto& c : cases) {
    fill(MIXED);
    const std::u16string texts = sheetTexts(sheet);
    sheet.mSaveEncoding = c.encoding;
    const std::string bytes = save();
    EXPECT_EQ(bytes.substr(0, c.mark.size()), c.mark) << c.encoding;
    if (c.mark.empty()) {
      EXPECT_NE(static_cast<unsigned char>(bytes[0]), 0xEFu) << c.encoding;
    }
    CDataCore back;
    ASSERT_TRUE(back.readDelimited(dir.path("out.csv"), ','));
    EXPECT_EQ(sheetTexts(back), texts) << c.encoding;
    EXPECT_EQ(back.mOpenEncoding, c.readBack) << c.encoding;
  }
}

TEST_F(Writer, AnsiIsGbkAndUtf8IsPlain) {
  fill({{u"北京", u"1.5"}, {u"a,b", u"x"}});
  sheet.mSaveEncoding = ENC_ANSI;
  EXPECT_EQ(save(), gbk("北京,1.5\r\n\"a,b\",x\r\n"));
  sheet.mSaveEncoding = ENC_UTF8_NOBOM;
  EXPECT_EQ(save(), "北京,1.5\r\n\"a,b\",x\r\n");
}

TEST_F(Writer, BigEndianBytesOfCellDelimiterAndLineEnd) {
  fill({{u"a", u"b"}});
  sheet.mSaveEncoding = ENC_UTF16BE;
  // Byte strings kept on one line, split only where a hex escape ends:
  // clang-format off
  EXPECT_EQ(save(), std::string("\xFE\xFF\x00" "a\x00,\x00" "b\x00\r\x00\n", 12));
  EXPECT_EQ(sheet.encodeChar(','), std::string("\x00,", 2));
  EXPECT_EQ(sheet.encodeCell(1, 1), std::string("\x00" "a", 2));
  // clang-format on
  sheet.mSaveEncoding = ENC_UTF8;
  EXPECT_EQ(sheet.encodeChar('\x80'), "\xEF\xBE\x80");  // sign-extended to U+FF80
  sheet.mSaveEncoding = 9;                              // any other value: ANSI
  EXPECT_EQ(sheet.encodeChar('\x80'), "\x80");
}

TEST_F(Writer, Utf16WithoutMarkIsReadAndSavedWithOne) {
  writeBytes(dir.native("in.txt"), utf16Bytes("甲\t乙\n1\t2\n", false));
  ASSERT_TRUE(sheet.readDelimited(dir.path("in.txt"), '\t'));
  EXPECT_EQ(sheet.getText(1, 1), u"甲");
  EXPECT_EQ(save('\t'), "\xFF\xFE" + utf16Bytes("甲\t乙\r\n1\t2\r\n", false));
}

// A field holding the delimiter in use is quoted, whatever the delimiter;
// comma, CR, LF and a leading quote always are.
TEST_F(Writer, QuotesFieldsHoldingTheDelimiterInUse) {
  fill({{u"a\tb", u"c,d", u"e;f", u"g h", u"x\"y"}});
  sheet.mSaveEncoding = ENC_UTF8_NOBOM;
  const struct {
    char delimiter;
    std::string line;
  } cases[] = {
      {',', "a\tb,\"c,d\",e;f,g h,x\"y\r\n"},
      {'\t', "\"a\tb\"\t\"c,d\"\te;f\tg h\tx\"y\r\n"},
      {';', "a\tb;\"c,d\";\"e;f\";g h;x\"y\r\n"},
      {' ', "a\tb \"c,d\" e;f \"g h\" x\"y\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(save(c.delimiter), c.line) << c.delimiter;
    CDataCore back;
    ASSERT_TRUE(back.readDelimited(dir.path("out.csv"), c.delimiter));
    EXPECT_EQ(sheetTexts(back), sheetTexts(sheet)) << c.delimiter;
  }
}

TEST_F(Writer, VisibleOnlySaveSkipsHiddenRowsAndColumns) {
  fill({{u"1", u"2", u"3"}, {u"4", u"5", u"6"}, {u"7", u"8", u"9"}});
  sheet.cellAt(0, 2)->flag = 1;
  sheet.cellAt(2, 0)->flag = 1;
  sheet.mSaveEncoding = ENC_UTF8_NOBOM;
  EXPECT_EQ(save(',', false), "1,3\r\n7,9\r\n");
  sheet.mSaveEncoding = ENC_UTF16LE;
  EXPECT_EQ(save(',', false), "\xFF\xFE" + utf16Bytes("1,3\r\n7,9\r\n", false));
  EXPECT_EQ(save(',', true), "\xFF\xFE" + utf16Bytes("1,2,3\r\n4,5,6\r\n7,8,9\r\n", false));
  sheet.cellAt(0, 1)->flag = 1;
  sheet.cellAt(0, 3)->flag = 1;
  sheet.mSaveEncoding = ENC_ANSI;
  EXPECT_EQ(save(',', false), "\r\n\r\n");
}

TEST_F(Writer, SmallSheetsAndFailures) {
  fill({{u"x"}, {u"y"}});
  sheet.mSaveEncoding = ENC_ANSI;
  EXPECT_EQ(save(), "x\r\ny\r\n");  // one column: no delimiter
  CDataCore empty;
  empty.mSaveEncoding = ENC_UTF8;
  ASSERT_TRUE(empty.writeDelimited(dir.path("e.csv"), ',', true));
  EXPECT_EQ(readBytes(dir.native("e.csv")), "\xEF\xBB\xBF");
  progress.clear();
  EXPECT_FALSE(sheet.writeDelimited(dir.path("no/such/dir.csv"), ',', true));
  EXPECT_FALSE(sheet.writeRows(dir.path("no/such/dir.csv"), 1, 2, 0, 50, ',', false));
  EXPECT_TRUE(progress.empty());
}

// A device that refuses every write: the writers stop and report false, and
// the parallel save's workers do not wait on for the writer.
TEST_F(Writer, ShortWritesFail) {
  std::vector<std::vector<std::u16string>> rows;
  for (int i = 0; i < 50000; ++i) rows.push_back({u"x", int64Text(i)});
  fill(rows);
  for (unsigned threads : {1u, 8u}) {
    sheet.mIoTuning.threads = threads;
    progress.clear();
    EXPECT_FALSE(sheet.writeDelimited(u"/dev/full", ',', true)) << threads;
    EXPECT_EQ(progress.back(), 100);
  }
  EXPECT_FALSE(sheet.writeRows(u"/dev/full", 1, 50001, 0, 100, ',', true));
}

TEST_F(Writer, RowToCsvLineUsesCommaAndLf) {
  fill({{u"a\tb", u"c,d", u"7"}});
  sheet.mSaveEncoding = ENC_UTF16LE;
  EXPECT_EQ(sheet.rowToCsvLine(1), utf16Bytes("a\tb,\"c,d\",7\n", false));
}

TEST_F(Writer, WriteRowsWritesItsRangeAndReportsItsSchedule) {
  std::vector<std::vector<std::u16string>> rows = {{u"h1", u"h2"}};
  for (int i = 2; i < 302; ++i) rows.push_back({std::u16string(u"r") + int64Text(i), u"v"});
  fill(rows);
  sheet.mSaveEncoding = ENC_UTF8;
  progress.clear();
  ASSERT_TRUE(sheet.writeRows(dir.path("part.csv"), 5, 8, 0, 50, ';', true));
  EXPECT_EQ(readBytes(dir.native("part.csv")), "\xEF\xBB\xBFh1;h2\nr5;v\nr6;v\nr7;v\n");
  EXPECT_EQ(progress, (std::vector<int64_t>{0, 50}));  // a range under 100 rows: no row step
  progress.clear();
  ASSERT_TRUE(sheet.writeRows(dir.path("part.csv"), 2, 302, 0, 50, ';', false));
  ASSERT_EQ(progress.size(), 2u + 100u);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress[1], 0);  // the value step is 0
  EXPECT_EQ(progress.back(), 50);
}

// Lines built on several threads are the bytes of a row-by-row write, and
// each field is getText of its cell, whatever its kind.
TEST_F(Writer, ParallelSaveGivesTheBytesOfGetText) {
  const int32_t rows = 40000;
  sheet.resize(rows + 1, 6);
  for (int32_t r = 1; r <= rows; ++r) {
    sheet.setInt64(r, 1, r * 7919LL - 1000000);
    sheet.setDouble(r, 2, r / 7.0 + (r % 3 == 0 ? 1e15 : 0));
    sheet.setText(r, 3, r % 5 == 0 ? u"=A1+" + int64Text(r) : u"t,\"" + int64Text(r % 97) + u"\"");
    Cell* dt = sheet.cellAt(r, 4);
    dt->kind = CELL_DATETIME;
    dt->value = static_cast<uint64_t>(1600000000LL + r * 3600LL);
    if (r % 11 == 0) sheet.setText(r, 5, u"北京\n上海");
  }
  std::string expected;
  for (int32_t r = 1; r <= rows; ++r) {
    for (int32_t c = 1; c <= 5; ++c) {
      if (c > 1) expected += ',';
      expected += wideToUtf8(csvQuote(sheet.getText(r, c)));
    }
    expected += "\r\n";
  }
  sheet.mSaveEncoding = ENC_UTF8_NOBOM;
  // Batches of a few rows go many times round the ring of batch buffers.
  for (unsigned threads : {1u, 3u, 8u}) {
    for (size_t batchRows : {size_t{0}, size_t{7}}) {
      sheet.mIoTuning.threads = threads;
      sheet.mIoTuning.writeBatchRows = batchRows;
      progress.clear();
      EXPECT_EQ(save(), expected) << threads << " threads, batch " << batchRows;
      EXPECT_EQ(progress.front(), 0);
      EXPECT_EQ(progress.back(), 100);
      for (size_t i = 1; i < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]);
    }
  }
}

}  // namespace
