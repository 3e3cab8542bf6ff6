// RowReader: reading kinds by encoding, marks skipped, fields decoded, the
// delimiter picked from a first line of one field, and the row counts.
#include <gtest/gtest.h>

#include <vector>

#include "store/RowReader.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

using Row = std::vector<std::u16string>;

std::vector<Row> readRows(RowReader& r) {
  std::vector<Row> rows;
  for (;;) {
    Row row = r.nextRow();
    if (row.empty() && r.atEnd()) break;
    rows.push_back(row);
  }
  return rows;
}

struct EncodedCase {
  const char* name;
  std::string bytes;
  RowReader::Kind kind;
  int32_t start;
};

TEST(RowReader, ReadsEveryEncodingWithoutItsMark) {
  ScratchDir dir;
  const std::string text = "名称,值\n北京,1\n";
  const std::vector<Row> expected = {{u"名称", u"值"}, {u"北京", u"1"}};
  const EncodedCase cases[] = {
      {"utf8 mark", "\xEF\xBB\xBF" + text, RowReader::KIND_UTF8, 3},
      {"utf8 no mark", text, RowReader::KIND_UTF8, 0},
      {"gbk", gbk(text), RowReader::KIND_ANSI, 0},
      {"utf16le mark", "\xFF\xFE" + utf16Bytes(text, false), RowReader::KIND_UTF16LE, 2},
      {"utf16le no mark", utf16Bytes(text, false), RowReader::KIND_UTF16LE, 0},
      {"utf16be mark", "\xFE\xFF" + utf16Bytes(text, true), RowReader::KIND_UTF16BE, 2},
  };
  for (size_t block : {size_t{1}, size_t{3}, size_t{0}}) {
    for (const EncodedCase& c : cases) {
      writeBytes(dir.native("f.csv"), c.bytes);
      RowReader r;
      r.open(dir.path("f.csv"), ',', withBlock(block));
      EXPECT_EQ(r.kind(), c.kind) << c.name;
      EXPECT_EQ(r.startOffset(), c.start) << c.name;
      EXPECT_EQ(readRows(r), expected) << c.name << " block " << block;
    }
  }
}

TEST(RowReader, NothingOpensForMissingFilesAndWorksheets) {
  ScratchDir dir;
  RowReader r;
  r.open(dir.path("missing.csv"), ',');
  EXPECT_EQ(r.kind(), RowReader::KIND_NONE);
  EXPECT_TRUE(r.atEnd());
  EXPECT_TRUE(r.nextRow().empty());
  EXPECT_EQ(r.countRows(), 0u);
  writeBytes(dir.native("a.csv"), "a\n");
  r.open(dir.path("a.csv"), 0);  // the worksheet reader is not in this build
  EXPECT_EQ(r.kind(), RowReader::KIND_NONE);
}

struct DetectCase {
  const char* name;
  std::string bytes;
  char delimiter;
  Row first;
  char chosen;
};

TEST(RowReader, DetectDelimiterPicksTheFirstCandidateInOrder) {
  ScratchDir dir;
  const DetectCase cases[] = {
      {"semicolons", "a;b;c\nx", ',', {u"a", u"b", u"c"}, ';'},
      {"blank is the last candidate", "a b\n", ',', {u"a", u"b"}, ' '},
      {"comma before semicolon", "a,b;c\n", '\t', {u"a", u"b;c"}, ','},
      {"bar before colon", "a:b|c\n", ',', {u"a:b", u"c"}, '|'},
      {"nothing to find", "abc\n", ',', {u"abc"}, ','},
      {"several fields: no detection", "a,b;c\n", ';', {u"a,b", u"c"}, ';'},
      {"utf16be semicolon", "\xFE\xFF" + utf16Bytes("a;b\n", true), ',', {u"a", u"b"}, ';'},
      {"utf16le tab", "\xFF\xFE" + utf16Bytes("a\tb\n", false), ',', {u"a", u"b"}, '\t'},
  };
  for (const DetectCase& c : cases) {
    writeBytes(dir.native("d.csv"), c.bytes);
    RowReader r;
    r.open(dir.path("d.csv"), c.delimiter, withBlock(2));
    Row first = r.nextRow();
    r.detectDelimiter(first);
    EXPECT_EQ(first, c.first) << c.name;
    EXPECT_EQ(r.delimiter(), c.chosen) << c.name;
  }
}

TEST(RowReader, EmptyFirstLineIsNotDetected) {
  ScratchDir dir;
  writeBytes(dir.native("e.csv"), "\na;b\n");
  RowReader r;
  r.open(dir.path("e.csv"), ',');
  Row first = r.nextRow();
  EXPECT_TRUE(first.empty());
  r.detectDelimiter(first);
  EXPECT_EQ(r.delimiter(), ',');
  EXPECT_EQ(r.nextRow(), (Row{u"a;b"}));
}

TEST(RowReader, CountsEveryRecordAndRewinds) {
  ScratchDir dir;
  const struct {
    std::string bytes;
    uint64_t count;
  } cases[] = {
      {"", 0}, {"a", 1}, {"a\n", 1}, {"a\n\n", 2}, {"\n", 1}, {"a\rb\r\nc", 3}, {"\"x\ny\"\nz\n", 2},
  };
  for (const auto& c : cases) {
    writeBytes(dir.native("c.csv"), c.bytes);
    RowReader r;
    r.open(dir.path("c.csv"), ',', withBlock(1));
    EXPECT_EQ(r.countRows(), c.count) << c.bytes;
    EXPECT_EQ(readRows(r).size(), c.count) << c.bytes;
  }
}

TEST(RowReader, CancellableCountReportsAndStops) {
  ScratchDir dir;
  writeBytes(dir.native("c.csv"), "a\nb\nc\n");
  RowReader r;
  r.open(dir.path("c.csv"), ',');
  std::vector<uint64_t> reports;
  std::atomic<uint8_t> cancel{0};
  EXPECT_EQ(r.countRowsCancellable([&](uint64_t n) { reports.push_back(n); }, &cancel), 3u);
  EXPECT_EQ(reports, (std::vector<uint64_t>{3}));
  EXPECT_EQ(r.nextRow(), (Row{u"a"}));  // rewound

  cancel = 1;
  reports.clear();
  EXPECT_EQ(r.countRowsCancellable([&](uint64_t n) { reports.push_back(n); }, &cancel), 1u);
  EXPECT_EQ(reports, (std::vector<uint64_t>{1}));

  writeBytes(dir.native("empty.csv"), "");
  RowReader e;
  e.open(dir.path("empty.csv"), ',');
  EXPECT_EQ(e.countRowsCancellable(nullptr, nullptr), 0u);
}

TEST(RowReader, CancellableCountReportsEvery10153Records) {
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 20400; ++i) text += "r\n";
  writeBytes(dir.native("big.csv"), text);
  RowReader r;
  r.open(dir.path("big.csv"), ',');
  std::vector<uint64_t> reports;
  EXPECT_EQ(r.countRowsCancellable([&](uint64_t n) { reports.push_back(n); }, nullptr), 20400u);
  EXPECT_EQ(reports, (std::vector<uint64_t>{10153, 20306, 20400}));
}

}  // namespace
