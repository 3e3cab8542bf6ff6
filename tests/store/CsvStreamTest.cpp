// The record streams over every block size that can split a record, a quote,
// a CR LF pair or a 16-bit unit: the same records must come out.
#include <gtest/gtest.h>

#include <vector>

#include "store/CsvStream.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

using Records = std::vector<std::vector<std::string>>;

struct Case {
  const char* name;
  std::string text;
  bool quotes;
  Records records;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"crlf", "a,b\r\nc,d", true, {{"a", "b"}, {"c", "d"}}},
      {"lone_cr", "a\rb", true, {{"a"}, {"b"}}},
      {"cr_then_crlf", "a\r\r\nb", true, {{"a"}, {}, {"b"}}},
      {"empty_line_inside", "a\n\nb\n", true, {{"a"}, {}, {"b"}}},
      {"empty_first_line", "\na", true, {{}, {"a"}}},
      {"empty_last_line", "a\nb\n\n", true, {{"a"}, {"b"}, {}}},
      {"no_final_break", "a\nlast", true, {{"a"}, {"last"}}},
      {"final_cr", "a\r", true, {{"a"}}},
      {"final_crlf", "a\r\n", true, {{"a"}}},
      {"quoted_delimiter", "x,\"1,2\",y", true, {{"x", "1,2", "y"}}},
      {"quoted_crlf", "\"line1\r\nline2\",z", true, {{"line1\r\nline2", "z"}}},
      {"quotes_off_delimiter", "x,\"1,2\",y", false, {{"x", "\"1", "2\"", "y"}}},
      {"quotes_off_crlf", "\"line1\r\nline2\",z", false, {{"\"line1"}, {"line2\"", "z"}}},
      {"unclosed_swallows_rest", "a,\"b\nc\nd", true, {{"a", "b\nc\nd"}}},
      {"doubled_quote", "\"a\"\"b\"", true, {{"a\"b"}}},
      {"after_closing_quote_dropped", "\"ab\"cd,e", true, {{"ab", "e"}}},
      {"quote_inside_field", "ab\"cd", true, {{"ab\"cd"}}},
      {"quote_not_at_start_keeps_breaks", "a\"b,c\"d\ne", true, {{"a\"b", "c\"d"}, {"e"}}},
      {"quoted_line_break_mid", "a,\"b\nc\",d\ne", true, {{"a", "b\nc", "d"}, {"e"}}},
      {"doubled_quote_then_delimiter", "\"x\"\"\",y\nz", true, {{"x\"", "y"}, {"z"}}},
      {"quoted_lines", "\"x\"\r\n\"y\"", true, {{"x"}, {"y"}}},
      {"trailing_delimiter", "a,", true, {{"a", ""}}},
      {"leading_delimiter", ",a", true, {{"", "a"}}},
      {"only_delimiters", ",,", true, {{"", "", ""}}},
      {"quoted_then_trailing_delimiter", "\"q\",", true, {{"q", ""}}},
      {"empty_quoted", "\"\",b", true, {{"", "b"}}},
      {"nul_is_ordinary", std::string("a\0b,c", 5), true, {{std::string("a\0b", 3), "c"}}},
      {"empty_file", "", true, {}},
  };
  return all;
}

template <class Stream>
Records readAll(Stream& s, bool swapped) {
  Records out;
  for (;;) {
    auto fields = s.nextFields();
    if (fields.empty() && s.atEnd()) break;
    std::vector<std::string> row;
    for (auto& f : fields) {
      if constexpr (sizeof(f[0]) == 1) {
        row.push_back(f);
      } else {
        std::string narrow;
        for (char16_t u : f) narrow.push_back(static_cast<char>(swapped ? (u >> 8) : u));
        row.push_back(narrow);
      }
    }
    out.push_back(row);
  }
  return out;
}

char16_t swap16(char16_t u) { return static_cast<char16_t>((u >> 8) | (u << 8)); }

const size_t BLOCK_SIZES[] = {1, 2, 3, 7, 4096};

class CsvStreamCases : public ::testing::TestWithParam<size_t> {
 protected:
  ScratchDir dir;
};

TEST_P(CsvStreamCases, ByteStreamGivesTheSameRecordsAtEveryBlockSize) {
  for (const Case& c : cases()) {
    writeBytes(dir.native("t.csv"), c.text);
    CsvStream s(dir.path("t.csv"), 0, ',', '"', '\n', '\r', c.quotes, GetParam(), 2);
    EXPECT_EQ(readAll(s, false), c.records) << c.name;
  }
}

TEST_P(CsvStreamCases, UnitStreamGivesTheSameRecordsInBothByteOrders) {
  for (bool big : {false, true}) {
    for (const Case& c : cases()) {
      std::string bytes;
      for (char ch : c.text) bytes += big ? std::string{'\0', ch} : std::string{ch, '\0'};
      writeBytes(dir.native("t.txt"), bytes);
      auto unit = [big](char16_t u) { return big ? swap16(u) : u; };
      CsvStreamW s(dir.path("t.txt"), 0, unit(u','), unit(u'"'), unit(u'\n'), unit(u'\r'), c.quotes, GetParam(), 2);
      EXPECT_EQ(readAll(s, big), c.records) << c.name << (big ? " big-endian" : " little-endian");
    }
  }
}

// Skipping sees the same records as reading: the count rule of the importers
// (every record that is non-empty or read before the end) gives the number
// of records read.
TEST_P(CsvStreamCases, SkippingCountsTheRecordsThatReadingGives) {
  for (const Case& c : cases()) {
    writeBytes(dir.native("t.csv"), c.text);
    CsvStream s(dir.path("t.csv"), 0, ',', '"', '\n', '\r', c.quotes, GetParam(), 2);
    size_t count = 0;
    for (;;) {
      s.skipRecord();
      if (s.lineLength() == 0 && s.atEnd()) break;
      ++count;
    }
    EXPECT_EQ(count, c.records.size()) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Blocks, CsvStreamCases, ::testing::ValuesIn(BLOCK_SIZES));

class CsvStreamOffsets : public ::testing::TestWithParam<size_t> {
 protected:
  ScratchDir dir;
};

// offset() after a record is where the next record starts, whatever the block.
TEST_P(CsvStreamOffsets, OffsetAfterEachRecordIsTheNextRecordStart) {
  const std::string text = "ab,c\r\n\"x\ny\",z\rlast\n";
  writeBytes(dir.native("o.csv"), "\xEF\xBB\xBF" + text);
  CsvStream s(dir.path("o.csv"), 3, ',', '"', '\n', '\r', true, GetParam(), 1);
  std::vector<uint64_t> ends;
  for (;;) {
    s.readRecord();
    if (s.lineLength() == 0 && s.atEnd()) break;
    ends.push_back(s.offset());
  }
  EXPECT_EQ(ends, (std::vector<uint64_t>{3 + 6, 3 + 14, 3 + 19}));
  s.seek(3 + 6);
  EXPECT_EQ(std::string(s.readRecord()), "\"x\ny\",z");
  s.rewind();
  EXPECT_EQ(std::string(s.readRecord()), "ab,c");
}

TEST_P(CsvStreamOffsets, UnitOffsetsCountTwoBytesPerUnit) {
  writeBytes(dir.native("o.txt"), "\xFF\xFE" + utf16Bytes("ab\r\n中,文\n", false));
  CsvStreamW s(dir.path("o.txt"), 2, u',', u'"', u'\n', u'\r', GetParam(), 1);
  s.readRecord();
  EXPECT_EQ(s.offset(), 2u + 8u);
  EXPECT_EQ(s.nextFields(), (std::vector<std::u16string>{u"中", u"文"}));
  EXPECT_EQ(s.offset(), 2u + 16u);
}

INSTANTIATE_TEST_SUITE_P(Blocks, CsvStreamOffsets, ::testing::ValuesIn(BLOCK_SIZES));

TEST(CsvStream, LineBufferGrowsForALongRecordAndKeepsItNulTerminated) {
  ScratchDir dir;
  std::string longField(100000, 'x');
  writeBytes(dir.native("l.csv"), longField + ",y\nz");
  CsvStream s(dir.path("l.csv"), 0, ',', '"', '\n', '\r', true, 3, 1);
  const char* line = s.readRecord();
  EXPECT_EQ(s.lineLength(), longField.size() + 2);
  EXPECT_EQ(line[s.lineLength()], '\0');
  EXPECT_EQ(std::string(s.readRecord()), "z");
}

TEST(CsvStream, UnitByUnitReadingEndsWithZeroAndFillZero) {
  ScratchDir dir;
  writeBytes(dir.native("u.csv"), std::string("a\0", 2));
  CsvStream s(dir.path("u.csv"), 0, ',', '"', '\n', '\r', true, 1, 4);
  EXPECT_EQ(s.nextUnit(), 'a');
  EXPECT_EQ(s.nextUnit(), '\0');  // a NUL in the file: fill stays non-zero
  EXPECT_FALSE(s.atEnd());
  EXPECT_EQ(s.nextUnit(), '\0');
  EXPECT_TRUE(s.atEnd());
  s.appendToLine('q');
  EXPECT_EQ(s.lineLength(), 1u);
}

TEST(CsvStream, MissingFileReadsAsEmpty) {
  CsvStream s(u"/nonexistent/file.csv", 0, ',', '"', '\n', '\r', true);
  EXPECT_FALSE(s.isOpen());
  EXPECT_TRUE(s.nextFields().empty());
  EXPECT_TRUE(s.atEnd());
}

}  // namespace
