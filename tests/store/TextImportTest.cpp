// readDelimited and appendFile: typed cells, widening records, empty lines,
// recorded encodings, the count taken with the delimiter in use, and the
// parallel road giving exactly the sequential road's sheet and pool.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "store/DataCore.h"
#include "store/FastImport.h"
#include "store/TextKey.h"
#include "tests/store/SheetDump.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

class TextImport : public ::testing::Test {
 protected:
  ScratchDir dir;
  QuoteDetectGuard guard;
  CDataCore sheet;
  std::vector<int64_t> progress;

  void SetUp() override {
    sheet.setProgress([this](uint64_t sender, int64_t p) {
      EXPECT_EQ(sender, reinterpret_cast<uint64_t>(&sheet));
      progress.push_back(p);
    });
  }
  bool read(const std::string& bytes, char delimiter = ',') {
    writeBytes(dir.native("in.csv"), bytes);
    return sheet.readDelimited(dir.path("in.csv"), delimiter);
  }
  void expectRisingProgress() {
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    for (size_t i = 1; i < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]) << i;
  }
};

TEST_F(TextImport, TypesEveryCellByItsText) {
  ASSERT_TRUE(read("42,4.50,007,=A1+1,,x\n-7, 5,-,.,1e5,0.000000001\n"));
  EXPECT_EQ(sheet.mRowCount, 3u);
  EXPECT_EQ(sheet.mColCount, 7u);
  struct Expect {
    int32_t row, col;
    uint8_t kind;
    std::u16string text;
  } cells[] = {
      {1, 1, CELL_INT64, u"42"},
      {1, 2, CELL_DOUBLE, u"4.5"},
      {1, 3, CELL_TEXT, u"007"},
      {1, 4, CELL_FORMULA, u"=A1+1"},
      {1, 6, CELL_TEXT, u"x"},
      {2, 1, CELL_INT64, u"-7"},
      {2, 2, CELL_INT64, u"5"},
      {2, 3, CELL_TEXT, u"-"},
      {2, 4, CELL_TEXT, u"."},
      {2, 5, CELL_TEXT, u"1e5"},
      {2, 6, CELL_DOUBLE, u"0.000000001"},
  };
  for (const Expect& e : cells) {
    EXPECT_EQ(sheet.cellAt(e.row, e.col)->kind, e.kind) << e.row << "," << e.col;
    EXPECT_EQ(sheet.getText(e.row, e.col), e.text) << e.row << "," << e.col;
  }
  EXPECT_TRUE(sheet.cellAt(1, 5)->isZero());
  expectRisingProgress();
}

TEST_F(TextImport, WiderRecordsWidenTheSheetAndEmptyLinesStayRows) {
  ASSERT_TRUE(read("a\n\nb,c,d\n\ne,f\n\n"));
  EXPECT_EQ(sheetTexts(sheet), u"a||\n||\nb|c|d\n||\ne|f|\n||\n");
}

TEST_F(TextImport, EmptyFirstLineGivesAnEmptyRowOne) {
  ASSERT_TRUE(read("\na,b\n"));
  EXPECT_EQ(sheetTexts(sheet), u"|\na|b\n");
}

// The count is taken with the delimiter that detection settles on, so no
// record is lost when the new delimiter moves where quoted sections begin.
TEST_F(TextImport, CountFollowsTheDetectedDelimiter) {
  ASSERT_TRUE(read("a;b\nx,\"p\nq\"\nlast;row\n"));
  EXPECT_EQ(sheetTexts(sheet), u"a|b\nx,\"p|\nq\"|\nlast|row\n");
}

TEST_F(TextImport, RecordsTheEncodingTheReaderUsed) {
  const std::string text = "名称,值\n北京,1.5\n";
  const struct {
    const char* name;
    std::string bytes;
    int32_t encoding;
  } cases[] = {
      {"utf8 mark", "\xEF\xBB\xBF" + text, ENC_UTF8},
      {"utf8 without mark is recorded as 1", text, ENC_UTF8},
      {"utf16le", "\xFF\xFE" + utf16Bytes(text, false), ENC_UTF16LE},
      {"utf16le without mark", utf16Bytes(text, false), ENC_UTF16LE},
      {"utf16be", "\xFE\xFF" + utf16Bytes(text, true), ENC_UTF16BE},
      {"gbk", gbk(text), ENC_ANSI},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(read(c.bytes)) << c.name;
    EXPECT_EQ(sheet.mOpenEncoding, c.encoding) << c.name;
    EXPECT_EQ(sheet.mSaveEncoding, c.encoding) << c.name;
    EXPECT_EQ(sheetTexts(sheet), u"名称|值\n北京|1.5\n") << c.name;
  }
}

TEST_F(TextImport, MissingFileFailsAndLeavesTheSheet) {
  ASSERT_TRUE(read("keep\n"));
  sheet.mSaveEncoding = ENC_UTF16BE;
  EXPECT_FALSE(sheet.readDelimited(dir.path("missing.csv"), ','));
  EXPECT_EQ(sheet.getText(1, 1), u"keep");
  EXPECT_EQ(sheet.mOpenEncoding, ENC_ANSI);
  EXPECT_EQ(sheet.mSaveEncoding, ENC_ANSI);
}

TEST_F(TextImport, EmptyFileGivesASheetWithoutRows) {
  ASSERT_TRUE(read("old\n"));
  progress.clear();
  ASSERT_TRUE(read(""));
  EXPECT_EQ(sheet.mRowCount, 0u);
  EXPECT_EQ(sheet.mPoolBytes, 0);
  expectRisingProgress();
}

TEST_F(TextImport, EqualTextsShareOnePoolEntry) {
  ASSERT_TRUE(read("x,y\nx,x\n"));
  StringPool::Entry e;
  ASSERT_TRUE(sheet.mPool.lookup(sheet.cellAt(1, 1)->value, e));
  EXPECT_EQ(e.count, 3u);
  EXPECT_EQ(sheet.mPool.size(), 2u);
  EXPECT_EQ(sheet.mPoolBytes, 2 * StringPool::accountedBytes(4));
}

// ---- the parallel road against the sequential one ----

std::string repeat(const std::string& unit, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += unit;
  return out;
}

struct Fixture {
  std::string name;
  std::string bytes;
  bool quotes;
};

std::vector<Fixture> fixtures() {
  std::string numbers;
  for (int i = 0; i < 400; ++i) {
    numbers += std::to_string(i) + "," + std::to_string(i * 0.37) + ",007, 42,-,.,1e5,-0,0.000000001," +
               "9223372036854775808,-9223372036854775808,=A" + std::to_string(i) + ",t" + std::to_string(i % 7) +
               "\n";
  }
  // A NUL (which ends the cell's text) or a non-ASCII character at every
  // place of fields short and long, so that bytes and delimiters are looked
  // for both eight at a time and one by one: digits before a NUL still make
  // a number.
  std::string marked;
  for (size_t len : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 31, 32, 33, 40, 64}) {
    for (size_t at = 0; at < len; ++at) {
      for (const char* mark : {"\0", "\xC3\xA9"}) {
        std::string digits(len, '7'), letters(len, 'q');
        digits.replace(at, 1, std::string(mark, std::strlen(mark) ? std::strlen(mark) : 1));
        letters.replace(at, 1, std::string(mark, std::strlen(mark) ? std::strlen(mark) : 1));
        marked += digits + "," + letters + "," + std::string(len, '5') + "\n";
      }
    }
  }
  std::string widening;
  for (int i = 0; i < 300; ++i) widening += repeat("w,", i % 9) + "end" + std::to_string(i % 5) + "\n";
  return {
      {"numbers and texts", numbers, true},
      {"quotes with delimiters", repeat("a,\"b,c\",\"d\"\"e\",\"f\"x,g\"h\n", 300), true},
      {"quoted line breaks", repeat("a,\"b\nc\",\"\r\n\"\nz,\"q\rq\"\n", 300), true},
      {"quotes off", repeat("a,\"b\nc\",d\"\n", 300), false},
      {"cr lf mixes", repeat("a,b\r\nc\rd\n\ne\r\r\nf", 250) + "\r", true},
      {"widening records", widening, true},
      {"first line narrower than the rest", "a,b\n" + repeat("1,x,3,y,5\n", 500) + repeat("6,7\n", 100), true},
      {"empty lines", "\n\n" + repeat("x\n\n\ny,z\n", 300) + "\n", true},
      {"gbk", gbk(repeat("北京,上海,金额12,\"广州,深圳\"\n", 300)), true},
      // bytes that decode to the same text ('?' in GBK, U+FFFD in UTF-8) by
      // different raw forms: one pool entry
      {"gbk undecodable bytes", gbk(repeat("北京,", 50)) + repeat("\xFF,\x80\x30,?,x\xFF\n", 300), true},
      {"utf8 invalid bytes", repeat("北京上海广州深圳,\xFF,\xFE,\xC0\xAF,\xEF\xBF\xBD,\xE4\xB8\n", 300), true},
      {"utf8 mark", "\xEF\xBB\xBF" + repeat("名,值,1\n北京,\"a,b\",2.5\n", 300), true},
      {"nul bytes", repeat(std::string("a\0b,\0,c\n", 8), 300), true},
      {"nul and non-ascii bytes in long fields", marked, true},
      {"no final line break", repeat("p,q\n", 500) + "last", true},
      {"unclosed quote", repeat("a,b\n", 300) + "x,\"open\n" + repeat("c,d\n", 300), true},
      {"detection moves quoted sections", repeat("a;b\nx,\"p\nq\"\nlast;row\n", 200), true},
  };
}

// The fixtures that are UTF-8 text, again as UTF-16 files with a byte order
// mark in both byte orders.
std::vector<Fixture> withUtf16(std::vector<Fixture> all) {
  const size_t n = all.size();
  for (size_t i = 0; i < n; ++i) {
    std::string bytes = all[i].bytes;
    if (wideToUtf8(utf8ToWide(bytes)) != bytes) continue;  // GBK or invalid UTF-8
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    for (bool big : {false, true}) {
      all.push_back({all[i].name + (big ? " utf16be" : " utf16le"),
                     (big ? "\xFE\xFF" : "\xFF\xFE") + utf16Bytes(bytes, big), all[i].quotes});
    }
  }
  return all;
}

TEST_F(TextImport, ParallelRoadGivesTheSequentialSheetAndPool) {
  for (const Fixture& f : withUtf16(fixtures())) {
    gQuoteDetect = f.quotes;
    sheet.mIoTuning.parallel = false;
    ASSERT_TRUE(read(f.bytes)) << f.name;
    EXPECT_EQ(sheet.mLastIo.road, ReadRoad::Sequential);
    const std::string expected = dumpSheet(sheet);
    sheet.mIoTuning.parallel = true;
    sheet.mIoTuning.minParallelBytes = 0;
    // Reads of one byte (a system call each) with one count of threads: the
    // spans' edges move with the count, a unit's split across reads with the block.
    for (unsigned threads : {2u, 3u, 8u}) {
      for (size_t block : {size_t{1}, size_t{7}, size_t{0}}) {
        if (block == 1 && threads != 3) continue;
        sheet.mIoTuning.threads = threads;
        sheet.mIoTuning.blockBytes = block;
        progress.clear();
        ASSERT_TRUE(read(f.bytes)) << f.name;
        EXPECT_EQ(dumpSheet(sheet), expected) << f.name << " threads " << threads << " block " << block;
        EXPECT_EQ(sheet.mLastIo.road, ReadRoad::Parallel) << f.name;
        expectRisingProgress();
      }
    }
  }
}

// Many long records, then far more short ones than the first records
// promise: the parallel road's rows outgrow the room it made from them.
TEST_F(TextImport, RecordsShorterThanTheFirstOnesGiveTheSequentialSheet) {
  std::string bytes;
  for (int i = 0; i < 16384; ++i) bytes += "r" + std::to_string(10000 + i) + ",abcdefghijkl\n";
  for (int i = 0; i < 12000; ++i) bytes += (i % 3 == 0 ? "s" : std::to_string(i % 10)) + "\n";
  sheet.mIoTuning.parallel = false;
  ASSERT_TRUE(read(bytes));
  const std::string expected = dumpSheet(sheet);
  sheet.mIoTuning.parallel = true;
  sheet.mIoTuning.minParallelBytes = 0;
  sheet.mIoTuning.threads = 3;
  ASSERT_TRUE(read(bytes));
  EXPECT_EQ(sheet.mLastIo.road, ReadRoad::Parallel);
  EXPECT_EQ(dumpSheet(sheet), expected);
  EXPECT_EQ(sheet.mRowCount, 16384u + 12000u + 1u);
}

// Pages on the parallel road hold what the sequential road's pages hold, at
// the same offsets: from the start, deep in the file (found by counting spans
// in parallel), past its end, with and without the header, in every
// encoding; with quoted line breaks the guessed starts fail and the page is
// found record by record.
TEST_F(TextImport, ParallelPagesGiveTheSequentialPages) {
  std::string base = "id,n,t\n";
  for (int i = 1; i < 30000; ++i) {
    base += "r" + std::to_string(i) + "," + std::to_string(i % 97) + (i % 5 == 0 ? ",\"q,\"\"x\"\"\"" : ",t") +
            (i % 1000 == 7 ? ",wide,er" : "") + (i % 3 == 0 ? ",北京" : "") + "\n";
  }
  const std::pair<std::string, std::string> files[] = {
      {"utf8", base},
      {"gbk", gbk(base)},
      {"utf16le", "\xFF\xFE" + utf16Bytes(base, false)},
      {"utf16be", "\xFE\xFF" + utf16Bytes(base, true)},
      {"quoted line breaks", repeat("a,\"b\nc\",d\n", 30000)},
  };
  const struct {
    bool keepHeader;
    int32_t firstRow, rows;
  } asks[] = {{true, 1, 5000},   {false, 2, 3},      {true, 17000, 9000}, {false, 25000, 100000},
              {true, 29999, 10}, {false, 40000, 10}, {true, 100, 1}};
  for (const auto& [name, bytes] : files) {
    writeBytes(dir.native("p.csv"), bytes);
    for (const auto& a : asks) {
      CDataCore seq;
      seq.mIoTuning.parallel = false;
      TextPage want;
      ASSERT_TRUE(readTextPage(seq, dir.path("p.csv"), ',', a.keepHeader, a.firstRow, a.rows, want));
      for (unsigned threads : {2u, 5u}) {
        for (size_t block : {size_t{4096}, size_t{0}}) {
          CDataCore par;
          par.mIoTuning.minParallelBytes = 0;
          par.mIoTuning.threads = threads;
          par.mIoTuning.blockBytes = block;
          TextPage got;
          ASSERT_TRUE(readTextPage(par, dir.path("p.csv"), ',', a.keepHeader, a.firstRow, a.rows, got));
          const std::string what = name + " row " + std::to_string(a.firstRow) + " threads " +
                                   std::to_string(threads) + " block " + std::to_string(block);
          EXPECT_EQ(dumpSheet(par), dumpSheet(seq)) << what;
          EXPECT_EQ(got.start, want.start) << what;
          EXPECT_EQ(got.end, want.end) << what;
          EXPECT_EQ(got.delimiter, want.delimiter) << what;
          EXPECT_EQ(got.encoding, want.encoding) << what;
          if (a.firstRow < 30000) EXPECT_EQ(par.mLastIo.road, ReadRoad::Parallel) << what;
        }
      }
    }
  }
}

// Appends on the parallel road give the sequential road's sheet: a repeated
// header dropped, wider and narrower files, a sheet without rows, every
// encoding; a text of the file whose key the sheet holds for another text
// sends the append down the sequential road, the sheet untouched until then.
TEST_F(TextImport, ParallelAppendGivesTheSequentialSheet) {
  std::string rows;
  for (int i = 0; i < 3000; ++i)
    rows += "x" + std::to_string(i % 50) + "," + std::to_string(i) + (i % 700 == 3 ? ",a,b,c" : "") + "\n";
  std::string broken;  // a quoted line break every few records: guessed starts fail
  for (int i = 0; i < 3000; ++i) broken += "x" + std::to_string(i % 50) + (i % 3 == 0 ? ",\"p\nq\"\n" : ",y\n");
  const struct {
    std::string name, base, added;
  } cases[] = {
      {"same header", "h1,h2\n1,x0\n", "h1,h2\n" + rows},
      {"other header", "h1,h2\n1,x0\n", "k1,k2,k3,k4,k5,k6\n" + rows},
      {"narrow file", "h1,h2,h3,h4,h5,h6,h7,h8\nq,w\n", "a\n" + rows},
      {"empty sheet", "", "h1,h2\n" + rows},
      {"gbk", "名,值\n北京,1\n", gbk("名,值\n北京,2\n" + rows)},
      {"utf16le", "h1,h2\n", "\xFF\xFE" + utf16Bytes("h1,h2\n北京," + rows, false)},
      {"utf16be", "h1,h2\n", "\xFE\xFF" + utf16Bytes("h1,h2\n" + rows, true)},
      {"quoted line breaks", "h1,h2\n", "h1,h2\n" + broken},
      {"quoted line breaks utf16le", "h1,h2\n", "\xFF\xFE" + utf16Bytes("h1,h2\n" + broken, false)},
      {"unclosed quote", "h1,h2\n", "h1,h2\n" + rows + "x,\"open\n" + rows},
  };
  for (const auto& c : cases) {
    writeBytes(dir.native("base.csv"), c.base);
    writeBytes(dir.native("added.csv"), c.added);
    auto run = [&](CDataCore& s) {
      if (!c.base.empty()) ASSERT_TRUE(s.readDelimited(dir.path("base.csv"), ','));
      ASSERT_TRUE(s.appendFile(dir.path("added.csv"), 0, 99));
    };
    CDataCore seq;
    seq.mIoTuning.parallel = false;
    run(seq);
    for (unsigned threads : {2u, 5u}) {
      CDataCore par;
      par.mIoTuning.minParallelBytes = 0;
      par.mIoTuning.threads = threads;
      run(par);
      EXPECT_EQ(dumpSheet(par), dumpSheet(seq)) << c.name << " threads " << threads;
      EXPECT_EQ(par.mLastIo.road, ReadRoad::Parallel) << c.name;
    }
  }
  // "clash" takes the key of "x1", which the sheet holds: the sequential road
  // probes past it.
  writeBytes(dir.native("base.csv"), "h,v\nx1,1\n");
  writeBytes(dir.native("added.csv"), repeat("clash,2\ny,3\n", 500));
  CDataCore seq, par;
  seq.mIoTuning.parallel = false;
  par.mIoTuning.minParallelBytes = 0;
  par.mIoTuning.keyOf = +[](std::u16string_view t) { return t == u"clash" ? textKey(u"x1") : textKey(t); };
  for (CDataCore* s : {&seq, &par}) {
    ASSERT_TRUE(s->readDelimited(dir.path("base.csv"), ','));
    ASSERT_TRUE(s->appendFile(dir.path("added.csv"), 0, 99));
  }
  EXPECT_EQ(par.mLastIo.road, ReadRoad::GaveWay);
  EXPECT_EQ(dumpSheet(par), dumpSheet(seq));
}

// A key that a second text already holds makes the sequential road probe it
// to key + 1; the parallel road must then give way and produce the same.
// FNV-1a collisions are out of reach, so the road's key function is swapped
// for one that collides all the time, within a thread and across threads.
TEST_F(TextImport, ParallelRoadGivesWayOnAKeyCollision) {
  const std::string text = repeat("a,b,c\nd,e,f\n", 300);
  sheet.mIoTuning.parallel = false;
  ASSERT_TRUE(read(text));
  const std::string expected = dumpSheet(sheet);
  sheet.mIoTuning.parallel = true;
  sheet.mIoTuning.minParallelBytes = 0;
  sheet.mIoTuning.threads = 4;
  for (auto keyOf : {+[](std::u16string_view t) { return textKey(t) % 3 + 1; },
                     +[](std::u16string_view t) { return t[0] == u'f' ? textKey(u"a") : textKey(t); }}) {
    sheet.mIoTuning.keyOf = keyOf;
    ASSERT_TRUE(read(text));
    EXPECT_EQ(sheet.mLastIo.road, ReadRoad::GaveWay);
    EXPECT_EQ(dumpSheet(sheet), expected);
  }
}

// A column whose texts are nearly all new has them handed to the pool past
// the worker's table, a window at a time; texts met again (in that column or
// another, through the table or past it) still make one pool entry with every
// reference counted, and a key collision among them still makes the road
// give way.
TEST_F(TextImport, ColumnsOfNewTextsGiveTheSameSheetAndPool) {
  std::string text = "code,kind,again\n";
  for (int i = 0; i < 12000; ++i) {
    text += "c" + std::to_string(i % 9000) + ",k" + std::to_string(i % 5) + ",c" + std::to_string(i % 50) + "\n";
  }
  sheet.mIoTuning.parallel = false;
  ASSERT_TRUE(read(text));
  const std::string expected = dumpSheet(sheet);
  sheet.mIoTuning.parallel = true;
  sheet.mIoTuning.minParallelBytes = 0;
  for (unsigned threads : {1u, 2u}) {
    for (size_t block : {size_t{7}, size_t{0}}) {
      sheet.mIoTuning.threads = threads;
      sheet.mIoTuning.blockBytes = block;
      sheet.mIoTuning.keyOf = nullptr;
      ASSERT_TRUE(read(text));
      EXPECT_EQ(sheet.mLastIo.road, ReadRoad::Parallel);
      EXPECT_EQ(dumpSheet(sheet), expected) << "threads " << threads << " block " << block;
      // "c8500" comes late in a column of new texts and takes the key of "k1".
      sheet.mIoTuning.keyOf = +[](std::u16string_view t) { return t == u"c8500" ? textKey(u"k1") : textKey(t); };
      ASSERT_TRUE(read(text));
      EXPECT_EQ(sheet.mLastIo.road, ReadRoad::GaveWay);
      EXPECT_EQ(dumpSheet(sheet), expected);
    }
  }
}

// Every road (a whole file, a page, an append) in every encoding, at blocks
// that split records, quotes, CR LF pairs and 16-bit units: the sequential
// road gives what it gives with its default block, and the parallel road gives
// the same, also when a key collision makes it give way.
TEST_F(TextImport, EveryRoadGivesTheSameAtTinyBlocksAndOnKeyCollisions) {
  std::string text = "id,name,note\r\n";
  for (int i = 1; i < 240; ++i) {
    text += std::to_string(i) + ",n" + std::to_string(i % 13) + (i % 4 == 0 ? ",\"q,\"\"x\"\"\"" : ",北京") +
            (i % 50 == 7 ? ",wide" : "") + (i % 30 == 11 ? ",\"two\r\nlines\"" : "") + "\r\n";
  }
  const std::pair<std::string, std::string> files[] = {
      {"utf8", text},
      {"gbk", gbk(text)},
      {"utf16le", "\xFF\xFE" + utf16Bytes(text, false)},
      {"utf16be", "\xFE\xFF" + utf16Bytes(text, true)},
  };
  writeBytes(dir.native("base.csv"), "id,name,note\n0,x,y\n");
  const struct {
    const char* name;
    bool (*run)(CDataCore&, const std::u16string& path, const std::u16string& base, TextPage& page);
  } roads[] = {
      {"whole", [](CDataCore& s, const std::u16string& path, const std::u16string&,
                   TextPage&) { return s.readDelimited(path, ','); }},
      {"page", [](CDataCore& s, const std::u16string& path, const std::u16string&,
                  TextPage& page) { return readTextPage(s, path, ',', true, 100, 60, page); }},
      {"append", [](CDataCore& s, const std::u16string& path, const std::u16string& base,
                    TextPage&) { return s.readDelimited(base, ',') && s.appendFile(path, 0, 99); }},
  };
  const auto collide = +[](std::u16string_view t) { return textKey(t) % 3 + 1; };
  const struct {
    bool parallel;
    size_t block;
    uint64_t (*keyOf)(std::u16string_view);
  } variants[] = {{false, 1, nullptr}, {false, 2, nullptr}, {false, 3, nullptr}, {false, 7, nullptr},
                  {true, 1, nullptr},  {true, 2, nullptr},  {true, 3, nullptr},  {true, 7, nullptr},
                  {true, 0, nullptr},  {true, 0, collide},  {true, 3, collide}};
  for (const auto& [encoding, bytes] : files) {
    writeBytes(dir.native("in.csv"), bytes);
    for (const auto& road : roads) {
      CDataCore seq;
      seq.mIoTuning.parallel = false;
      TextPage want;
      ASSERT_TRUE(road.run(seq, dir.path("in.csv"), dir.path("base.csv"), want)) << encoding << " " << road.name;
      EXPECT_EQ(seq.mLastIo.road, ReadRoad::Sequential);
      const std::string expected = dumpSheet(seq);
      for (const auto& v : variants) {
        CDataCore s;
        s.mIoTuning.parallel = v.parallel;
        s.mIoTuning.minParallelBytes = 0;
        s.mIoTuning.threads = 3;
        s.mIoTuning.blockBytes = v.block;
        s.mIoTuning.keyOf = v.keyOf;
        TextPage got;
        const std::string what = encoding + " " + road.name + (v.parallel ? " parallel" : " sequential") +
                                 " block " + std::to_string(v.block) + (v.keyOf ? " colliding" : "");
        ASSERT_TRUE(road.run(s, dir.path("in.csv"), dir.path("base.csv"), got)) << what;
        EXPECT_EQ(dumpSheet(s), expected) << what;
        EXPECT_EQ(got.start, want.start) << what;
        EXPECT_EQ(got.end, want.end) << what;
        EXPECT_EQ(s.mLastIo.road, !v.parallel ? ReadRoad::Sequential
                                  : v.keyOf   ? ReadRoad::GaveWay
                                              : ReadRoad::Parallel)
            << what;
      }
    }
  }
}

// The menu's quote detection is taken once as a read starts: flipping it from
// another thread while the read runs (on either road) changes nothing in the
// sheet, and no thread of the read looks at it again.
TEST_F(TextImport, QuoteDetectionChangedDuringAReadDoesNotReachIt) {
  const std::string text = repeat("a,\"b,c\",e\n1,\"x\"\"y,z\",2.5\n", 20000);
  gQuoteDetect = true;
  ASSERT_TRUE(read(text));
  const std::string expected = dumpSheet(sheet);
  for (bool parallel : {false, true}) {
    sheet.mIoTuning.parallel = parallel;
    sheet.mIoTuning.minParallelBytes = 0;
    sheet.mIoTuning.threads = 4;
    sheet.mIoTuning.blockBytes = 4096;
    std::atomic<bool> started{false}, done{false};
    sheet.setProgress([&](uint64_t, int64_t) { started = true; });
    std::thread flipper([&] {
      while (!started) std::this_thread::yield();
      while (!done) gQuoteDetect = !gQuoteDetect;
    });
    gQuoteDetect = true;
    const bool ok = read(text);
    done = true;
    flipper.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(sheet.mLastIo.road, parallel ? ReadRoad::Parallel : ReadRoad::Sequential);
    EXPECT_EQ(dumpSheet(sheet), expected) << (parallel ? "parallel" : "sequential");
  }
}

TEST(TypeAsciiNumber, MatchesSetTextTypedOnRandomTexts) {
  CDataCore sheet;
  sheet.resize(2, 2);
  std::mt19937 rng(7);
  const char alphabet[] = "0123456789012345678901234.-- \te+x";
  for (int i = 0; i < 200000; ++i) {
    std::string t;
    const int len = 1 + static_cast<int>(rng() % 22);
    for (int k = 0; k < len; ++k) t.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
    sheet.setTextTyped(1, 1, utf8ToWide(t).c_str());
    const Cell& want = *sheet.cellAt(1, 1);
    Cell got{};
    const bool number = typeAsciiNumber(t, got);
    ASSERT_EQ(number, want.kind == CELL_INT64 || want.kind == CELL_DOUBLE) << t;
    if (number) {
      ASSERT_EQ(got.kind, want.kind) << t;
      ASSERT_EQ(got.value, want.value) << t;
    }
  }
}

// An empty quoted field ("") is an empty cell in every encoding, on both roads.
TEST_F(TextImport, EmptyQuotedFieldsAreEmptyCellsInEveryEncoding) {
  const std::string text = "\"\",a\n\"\"\n\"\",\"\"\nb,\"\"\n";
  const std::pair<std::string, std::string> files[] = {
      {"utf8", text},
      {"gbk", gbk(text)},
      {"utf16le", "\xFF\xFE" + utf16Bytes(text, false)},
      {"utf16be", "\xFE\xFF" + utf16Bytes(text, true)},
  };
  for (const auto& [encoding, bytes] : files) {
    for (bool parallel : {false, true}) {
      sheet.mIoTuning.parallel = parallel;
      sheet.mIoTuning.minParallelBytes = 0;
      ASSERT_TRUE(read(bytes)) << encoding;
      EXPECT_EQ(sheetTexts(sheet), u"|a\n|\n|\nb|\n") << encoding << (parallel ? " parallel" : " sequential");
      EXPECT_EQ(sheet.mLastIo.road, parallel ? ReadRoad::Parallel : ReadRoad::Sequential) << encoding;
    }
  }
}

// A file that grows between the record count and the fill (here the report that
// follows the count appends to it) gives the records counted, on both roads of a
// whole read and of an append: the rows it gained are never written past the sheet.
TEST_F(TextImport, FileGrowingUnderTheReadGivesTheRecordsCounted) {
  std::string counted, gained;
  for (int i = 1; i <= 40; ++i) counted += "r" + std::to_string(i) + "," + std::to_string(i) + "\n";
  for (int i = 41; i <= 400; ++i) gained += "g" + std::to_string(i) + "," + std::to_string(i) + ",wider\n";
  writeBytes(dir.native("base.csv"), "h,n\n0,0\n");
  const std::u16string in = dir.path("in.csv"), base = dir.path("base.csv");
  for (bool append : {false, true}) {
    // What the file holds when it is counted, read as it stays.
    writeBytes(dir.native("in.csv"), counted);
    CDataCore want;
    ASSERT_TRUE(append ? want.readDelimited(base, ',') && want.appendFile(in, 0, 40) : want.readDelimited(in, ','));
    for (bool parallel : {false, true}) {
      const std::string what = std::string(append ? "append" : "whole") + (parallel ? " parallel" : " sequential");
      writeBytes(dir.native("in.csv"), counted);
      CDataCore grows;
      grows.mIoTuning.parallel = parallel;
      grows.mIoTuning.minParallelBytes = 0;
      grows.mIoTuning.threads = 3;
      if (append) ASSERT_TRUE(grows.readDelimited(base, ','));
      int reports = 0;
      grows.setProgress([&](uint64_t, int64_t) {
        if (++reports == 2) std::ofstream(dir.native("in.csv"), std::ios::binary | std::ios::app) << gained;
      });
      // An append reporting 0 to 40 over 40 records reports again early in the fill.
      ASSERT_TRUE(append ? grows.appendFile(in, 0, 40) : grows.readDelimited(in, ',')) << what;
      ASSERT_GE(reports, 2) << what;
      EXPECT_EQ(sheetTexts(grows), sheetTexts(want)) << what;
      EXPECT_EQ(grows.mLastIo.road, parallel ? ReadRoad::Parallel : ReadRoad::Sequential) << what;
    }
  }
}

// ---- appendFile ----

class AppendFile : public TextImport {
 protected:
  void SetUp() override {
    TextImport::SetUp();
    ASSERT_TRUE(read("h1,h2\n1,2\n"));
  }
};

TEST_F(AppendFile, DropsAFirstLineEqualToRowOne) {
  writeBytes(dir.native("more.csv"), "h1,h2\n3,4\n");
  ASSERT_TRUE(sheet.appendFile(dir.path("more.csv"), 0, 99));
  EXPECT_EQ(sheetTexts(sheet), u"h1|h2\n1|2\n3|4\n");
}

TEST_F(AppendFile, KeepsAFirstLineThatDiffersInAFieldOrInWidth) {
  writeBytes(dir.native("a.csv"), "h1,hx\n5\n");
  ASSERT_TRUE(sheet.appendFile(dir.path("a.csv"), 0, 99));
  writeBytes(dir.native("b.csv"), "h1,h2,h3\n");
  ASSERT_TRUE(sheet.appendFile(dir.path("b.csv"), 0, 99));
  EXPECT_EQ(sheetTexts(sheet), u"h1|h2|\n1|2|\nh1|hx|\n5||\nh1|h2|h3\n");
}

TEST_F(AppendFile, ReadsTextFilesWithTabAndNeverDetects) {
  writeBytes(dir.native("t.txt"), "x\ty\na;b\n");
  ASSERT_TRUE(sheet.appendFile(dir.path("t.txt"), 0, 99));
  EXPECT_EQ(sheetTexts(sheet), u"h1|h2\n1|2\nx|y\na;b|\n");
  EXPECT_EQ(sheet.mOpenEncoding, ENC_ANSI);
}

TEST_F(AppendFile, SheetWithEmptyRowOneTakesEveryLine) {
  CDataCore empty;
  empty.resize(3, 2);
  writeBytes(dir.native("m.csv"), "a\nb\n");
  ASSERT_TRUE(empty.appendFile(dir.path("m.csv"), 0, 99));
  EXPECT_EQ(empty.mRowCount, 5u);
  EXPECT_EQ(sheetTexts(empty), u"\n\na\nb\n");
}

TEST_F(AppendFile, TakesDocumentsThroughTheDocumentReader) {
  CDataCore doc;
  writeBytes(dir.native("src.csv"), "h1,h2\n7,x\n");
  ASSERT_TRUE(doc.readDelimited(dir.path("src.csv"), ','));
  ASSERT_TRUE(doc.write(dir.path("d.mvt"), true));
  ASSERT_TRUE(sheet.appendFile(dir.path("d.mvt"), 0, 99));
  EXPECT_EQ(sheetTexts(sheet), u"h1|h2\n1|2\n7|x\n") << "the repeated header row is dropped";
  writeBytes(dir.native("bad.mvt"), "x");
  EXPECT_FALSE(sheet.appendFile(dir.path("bad.mvt"), 0, 99));
}

TEST_F(AppendFile, RefusesMissingFilesAndReportsItsRange) {
  EXPECT_FALSE(sheet.appendFile(dir.path("none.csv"), 0, 99));
  progress.clear();
  writeBytes(dir.native("p.csv"), repeat("r\n", 50));
  ASSERT_TRUE(sheet.appendFile(dir.path("p.csv"), 20, 30));
  EXPECT_EQ(progress.front(), 20);
  EXPECT_EQ(progress.back(), 30);
  EXPECT_EQ(progress.size(), 2u + 9u);  // 21 .. 29 after every 5th of the 49 records placed in the loop
  EXPECT_EQ(sheet.mRowCount, 3u + 50u);
}

}  // namespace
