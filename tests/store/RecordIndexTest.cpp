// The record index kept by the row count: a page read from its nearest mark is
// the page the full parse gives, for every start row, encoding, record end and
// block size; an index that no longer describes the file is not used; a page
// write-back keeps it true to the new file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <vector>

#include "store/DataCore.h"
#include "store/PageWriteBack.h"
#include "store/RecordIndex.h"
#include "store/RowReader.h"
#include "tests/store/SheetDump.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

// Records of several shapes: quoted fields holding delimiters, doubled quotes
// and line breaks (so marks fall just after records that span lines), texts
// beyond ASCII, numbers, an empty line now and then.
std::string records(int n, const std::string& end = "\n") {
  std::string out = "id,name,note" + end;
  for (int i = 2; i <= n; ++i) {
    if (i % 7 == 0) {
      out += end;  // an empty record
      continue;
    }
    out += "r" + std::to_string(i) + "," + (i % 3 == 0 ? "北京" : std::to_string(i * 11));
    if (i % 4 == 0) out += ",\"two\nlines, \"\"q\"\"\r\nend\"";
    if (i % 5 == 0) out += ",x";
    out += end;
  }
  return out;
}

// Record ends mixed: LF, CR LF and lone CR in turn.
std::string mixedEnds(int n) {
  const char* ends[] = {"\n", "\r\n", "\r"};
  std::string out;
  for (int i = 1; i <= n; ++i) out += "m" + std::to_string(i) + ",\"a\rb\"," + std::to_string(i) + ends[i % 3];
  return out;
}

// GBK read with '|' detected from the first line: 東 ends in the byte '|'.
std::string gbkPipes(int n) {
  std::string out = "甲|乙\n";
  for (int i = 2; i <= n; ++i) out += "東" + std::to_string(i) + "|\"京\n" + std::to_string(i) + "\"\n";
  return gbk(out);
}

struct TextFile {
  const char* name;
  std::string bytes;
  int32_t records;  // how many the file holds
};

std::vector<TextFile> textFiles() {
  return {
      {"utf8 lf", records(40), 40},
      {"utf8 crlf, no final break", records(40, "\r\n") + "last,1", 41},
      {"utf8 mark", "\xEF\xBB\xBF" + records(40), 40},
      {"mixed record ends", mixedEnds(40), 40},
      {"gbk, '|' detected", gbkPipes(40), 40},
      {"utf16le mark", "\xFF\xFE" + utf16Bytes(records(40, "\r\n"), false), 40},
      {"utf16be mark", "\xFE\xFF" + utf16Bytes(mixedEnds(40), true), 40},
      {"unclosed quote swallows the rest", records(30) + "u,\"open\nrest,1\r\nmore,2\n", 31},
  };
}

// What one page read gives: the sheet and the page record.
struct PageResult {
  std::string sheet;
  TextPage page;
  bool ok = false;

  void expectSame(const PageResult& want, const std::string& what) const {
    EXPECT_EQ(ok, want.ok) << what;
    EXPECT_EQ(sheet, want.sheet) << what;
    EXPECT_EQ(page.start, want.page.start) << what;
    EXPECT_EQ(page.end, want.page.end) << what;
    EXPECT_EQ(page.delimiter, want.page.delimiter) << what;
    EXPECT_EQ(page.encoding, want.page.encoding) << what;
    EXPECT_EQ(page.records, want.page.records) << what;
  }
};

class RecordIndexTest : public ::testing::Test {
 protected:
  ScratchDir dir;
  QuoteDetectGuard quotes;

  std::u16string path() const { return dir.path("t.csv"); }

  // The row count with an index, marks every `stride` records.
  RecordIndex count(uint64_t stride, size_t block = 0, uint64_t* total = nullptr) {
    RecordIndex index;
    index.stride = stride;
    RowReader reader;
    reader.open(path(), ',', withBlock(block));
    const uint64_t n = reader.countRowsCancellable(nullptr, nullptr, &index);
    if (total) *total = n;
    return index;
  }

  static PageResult read(const std::u16string& file, bool keepHeader, int32_t firstRow, int32_t rows,
                         const RecordIndex* index, size_t block = 0, bool parallel = false) {
    CDataCore sheet;
    sheet.mIoTuning.blockBytes = block;
    sheet.mIoTuning.parallel = parallel;
    sheet.mIoTuning.minParallelBytes = 0;
    sheet.mIoTuning.threads = 3;
    PageResult r;
    r.ok = readTextPage(sheet, file, ',', keepHeader, firstRow, rows, r.page, index);
    r.sheet = dumpSheet(sheet);
    return r;
  }

  // Every mark names the start of its record, as the full parse finds it.
  void expectMarksTrue(const RecordIndex& index, const std::string& what) {
    for (const RecordIndex::Mark& m : index.marks) {
      const PageResult full = read(path(), false, static_cast<int32_t>(m.record), 1, nullptr);
      EXPECT_EQ(m.offset, full.page.start) << what << " record " << m.record;
    }
  }

  // For every start row from 1 to past the end, both header choices and two
  // page sizes: the read from the index's marks equals the full parse. The
  // parallel road (each run of which waits for its workers in steps of 15 ms)
  // reads the larger pages that start on a mark or just after one.
  void expectIndexedPagesEqualFull(const RecordIndex& index, int32_t lastRow, const std::string& what,
                                   const std::vector<size_t>& blocks = {0}) {
    for (int32_t first = 1; first <= lastRow + 2; ++first) {
      for (int32_t rows : {1, 6}) {
        const bool keepHeader = (first + rows) % 2 == 0;
        const PageResult full = read(path(), keepHeader, first, rows, nullptr);
        const RecordIndex::Mark* mark = index.nearest(static_cast<uint64_t>(first));
        const bool nearMark = mark != nullptr && static_cast<uint64_t>(first) - mark->record < 2;
        for (size_t block : blocks) {
          for (bool parallel : {false, true}) {
            if (parallel && (rows == 1 || !nearMark || block != blocks.back())) continue;
            const PageResult got = read(path(), keepHeader, first, rows, &index, block, parallel);
            got.expectSame(full, what + " row " + std::to_string(first) + " rows " + std::to_string(rows) +
                                     " block " + std::to_string(block) + (parallel ? " parallel" : ""));
          }
        }
      }
    }
  }
};

TEST_F(RecordIndexTest, IndexedPagesEqualTheFullParseInEveryEncoding) {
  for (bool quoteDetect : {true, false}) {
    gQuoteDetect = quoteDetect;
    for (const TextFile& f : textFiles()) {
      const std::string what = std::string(f.name) + (quoteDetect ? "" : " quotes off");
      writeBytes(dir.native("t.csv"), f.bytes);
      // The count and its marks do not depend on the block size.
      uint64_t total = 0;
      const RecordIndex index = count(3, 0, &total);
      for (size_t block : {size_t{1}, size_t{2}, size_t{7}}) {
        uint64_t n = 0;
        const RecordIndex small = count(3, block, &n);
        EXPECT_EQ(n, total) << what << " block " << block;
        ASSERT_EQ(small.marks.size(), index.marks.size()) << what << " block " << block;
        for (size_t i = 0; i < index.marks.size(); ++i) {
          EXPECT_EQ(small.marks[i].offset, index.marks[i].offset) << what << " block " << block;
        }
      }
      if (quoteDetect) {
        EXPECT_EQ(total, static_cast<uint64_t>(f.records)) << what;
      }
      ASSERT_FALSE(index.empty()) << what;
      EXPECT_EQ(index.marks.front().record, 4u) << what;
      expectMarksTrue(index, what);
      expectIndexedPagesEqualFull(index, static_cast<int32_t>(total), what, {1, 3, 0});
    }
  }
}

// The index is followed only while it describes the file and the reading: a
// mark planted at the wrong record shows whether it was used.
TEST_F(RecordIndexTest, AnIndexIsUsedOnlyForTheFileAndReadingItWasMadeFor) {
  const std::string text = records(40);
  const auto offsetOf = [&](const std::string& id) {
    return static_cast<uint64_t>(text.find("\n" + id + ",") + 1);
  };
  struct Case {
    const char* name;
    void (*change)(RecordIndex&, const ScratchDir&, const std::string&);
    bool used;
  };
  const Case cases[] = {
      {"unchanged", [](RecordIndex&, const ScratchDir&, const std::string&) {}, true},
      {"file grew",
       [](RecordIndex&, const ScratchDir& d, const std::string& t) { writeBytes(d.native("t.csv"), t + "z,1\n"); },
       false},
      {"file rewritten, same size, other time",
       [](RecordIndex&, const ScratchDir& d, const std::string&) {
         struct timespec times[2] = {{0, UTIME_OMIT}, {1600000000, 5}};
         utimensat(AT_FDCWD, d.native("t.csv").c_str(), times, 0);
       },
       false},
      {"other delimiter", [](RecordIndex& i, const ScratchDir&, const std::string&) { i.delimiter = ';'; }, false},
      {"other quote detection",
       [](RecordIndex& i, const ScratchDir&, const std::string&) { i.quoteDetect = false; }, false},
      {"other encoding", [](RecordIndex& i, const ScratchDir&, const std::string&) { i.encoding = 4; }, false},
      {"other file", [](RecordIndex& i, const ScratchDir& d, const std::string&) { i.path = d.path("u.csv"); },
       false},
  };
  for (const Case& c : cases) {
    writeBytes(dir.native("t.csv"), text);
    RecordIndex index = count(1000);
    ASSERT_TRUE(index.empty()) << "40 records reach no mark";
    ASSERT_TRUE(index.stamp());
    index.marks = {{10, offsetOf("r22")}};  // claims record 10 starts where record 22 does
    c.change(index, dir, text);
    CDataCore sheet;
    TextPage page;
    ASSERT_TRUE(readTextPage(sheet, path(), ',', false, 11, 1, page, &index)) << c.name;
    EXPECT_EQ(sheet.getText(1, 1), c.used ? u"r23" : u"r11") << c.name;
    EXPECT_EQ(page.start, offsetOf(c.used ? "r23" : "r11")) << c.name;
  }
}

// A cancelled count keeps the marks it reached; a count with an index settles
// the delimiter first, as page reads do, so its marks are page reads' records.
TEST_F(RecordIndexTest, CountKeepsMarksUntilCancelAndSettlesTheDelimiter) {
  std::string text = "a;b\n";
  for (int i = 0; i < 30; ++i) text += "\"x;\ny\";1\n";
  writeBytes(dir.native("t.csv"), text);
  RecordIndex index;
  index.stride = 4;
  RowReader reader;
  reader.open(path(), ',');
  EXPECT_EQ(reader.countRowsCancellable(nullptr, nullptr, &index), 31u);
  EXPECT_EQ(index.delimiter, ';');
  EXPECT_EQ(index.marks.size(), 7u);
  expectMarksTrue(index, "semicolons");
  expectIndexedPagesEqualFull(index, 31, "semicolons");

  const std::atomic<uint8_t> stop{1};
  RecordIndex cut;
  cut.stride = 1;
  RowReader again;
  again.open(path(), ',');
  EXPECT_EQ(again.countRowsCancellable(nullptr, &stop, &cut), 1u);
  ASSERT_EQ(cut.marks.size(), 1u);
  EXPECT_EQ(cut.marks[0].record, 2u);
  EXPECT_TRUE(cut.fits(path(), ';', true, again.kind()));
  expectMarksTrue(cut, "cancelled");
}

// After a page is written back grown, shrunk, with longer texts or with a line
// break in a cell, the index still names every record start of the new file
// after the page, and later pages read through it equal the full parse.
TEST_F(RecordIndexTest, WriteBackKeepsTheIndexTrue) {
  struct Case {
    const char* name;
    std::string file;
    bool quoteDetect;
    bool keepHeader;
    int32_t firstRow, rows;
    void (*edit)(CDataCore&);
    bool keepsIndex = true;
  };
  const Case cases[] = {
      {"grown", records(60), true, true, 17, 10,
       [](CDataCore& s) {
         const int32_t rows = static_cast<int32_t>(s.mRowCount);
         s.resize(rows + 5, static_cast<int32_t>(s.mColCount));
         for (int32_t r = rows; r < rows + 5; ++r) s.setTextTyped(r, 1, u"added");
       }},
      {"shrunk", records(60), true, false, 17, 10,
       [](CDataCore& s) { s.resize(static_cast<int32_t>(s.mRowCount) - 6, static_cast<int32_t>(s.mColCount)); }},
      {"longer texts, first page with mark", "\xEF\xBB\xBF" + records(60), true, true, 1, 12,
       [](CDataCore& s) { s.setTextTyped(3, 2, u"a much longer text than before, 上海"); }},
      {"utf16 page shorter", "\xFF\xFE" + utf16Bytes(records(60), false), true, false, 30, 5,
       [](CDataCore& s) { s.setTextTyped(2, 1, u""); }},
      {"line break in a cell, quotes off", records(60), false, false, 20, 4,
       [](CDataCore& s) { s.setTextTyped(1, 1, u"one\ntwo"); }},
      {"empty page past the end grown", records(60), true, false, 70, 3,
       [](CDataCore& s) {
         s.resize(3, 3);
         s.setTextTyped(1, 1, u"tail1");
         s.setTextTyped(2, 1, u"tail2");
       }},
      // The new rows join the unended last line: no record starts where the page did.
      {"page past the end of a file without a final break", records(60) + "last,1", true, false, 70, 3,
       [](CDataCore& s) {
         s.resize(2, 3);
         s.setTextTyped(1, 1, u"tail");
       },
       false},
  };
  for (const Case& c : cases) {
    gQuoteDetect = c.quoteDetect;
    writeBytes(dir.native("t.csv"), c.file);
    uint64_t total = 0;
    RecordIndex index = count(4, 0, &total);
    ASSERT_FALSE(index.empty()) << c.name;
    CDataCore sheet;
    TextPage page;
    ASSERT_TRUE(readTextPage(sheet, path(), ',', c.keepHeader, c.firstRow, c.rows, page, &index)) << c.name;
    c.edit(sheet);
    const bool fromRow1 = !c.keepHeader || c.firstRow == 1;
    const uint64_t before = page.records;
    ASSERT_TRUE(writeTextPage(sheet, path(), fromRow1, page, &index)) << c.name;
    uint64_t now = 0;
    count(4, 0, &now);
    if (c.keepsIndex) {
      EXPECT_EQ(now, total - before + page.records) << c.name << ": the page's new record count";
    }
    EXPECT_EQ(index.empty(), !c.keepsIndex) << c.name;
    if (c.keepsIndex) {
      EXPECT_TRUE(index.fits(path(), ',', c.quoteDetect, page.encoding)) << c.name;
      expectMarksTrue(index, c.name);
    }
    expectIndexedPagesEqualFull(index, static_cast<int32_t>(now), c.name);
  }
}

// A file changed behind the index after the count is read in full, and a
// write-back then drops the index rather than stamping foreign marks.
TEST_F(RecordIndexTest, AFileChangedBehindTheIndexIsReadInFull) {
  writeBytes(dir.native("t.csv"), records(40));
  RecordIndex index = count(3);
  ASSERT_FALSE(index.empty());
  writeBytes(dir.native("t.csv"), "new,1\n" + records(40));
  const PageResult full = read(path(), true, 30, 4, nullptr);
  read(path(), true, 30, 4, &index).expectSame(full, "changed behind");
  CDataCore sheet;
  TextPage page;
  ASSERT_TRUE(readTextPage(sheet, path(), ',', true, 30, 4, page, &index));
  ASSERT_TRUE(writeTextPage(sheet, path(), false, page, &index));
  EXPECT_TRUE(index.empty());
}

}  // namespace
