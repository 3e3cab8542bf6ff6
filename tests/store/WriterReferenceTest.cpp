// The delimited writers against a plain reference writer: each field is getText of
// its cell, quoted for the delimiter (csvQuote) and converted one field at a time.
// One sheet holds every kind of cell and every field the writers treat apart
// (numbers at their edges, texts needing quotes, characters GBK lacks, texts met
// once, texts met again, texts long enough to overflow a writer's caches, scripts
// and formulas); it is saved in each encoding with several delimiters, thread
// counts and batch sizes (batches of one row go many times round the ring of
// batch buffers), whole and visible-only, and written by the split and page writers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "store/CsvQuote.h"
#include "store/DataCore.h"
#include "store/Encoding.h"
#include "store/NumberText.h"
#include "store/PageWriteBack.h"
#include "store/TextKey.h"
#include "store/TextPage.h"
#include "tests/store/TextFiles.h"

using namespace textfiles;

namespace {

// The text in one encoding, converted as a whole.
std::string encoded(int32_t enc, std::u16string_view text) {
  std::string out;
  switch (enc) {
    case ENC_UTF8:
    case ENC_UTF8_NOBOM: return wideToUtf8(text);
    case ENC_UTF16LE:
    case ENC_UTF16BE:
      for (char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += enc == ENC_UTF16BE ? std::string{hi, lo} : std::string{lo, hi};
      }
      return out;
    default: return wideToAnsi(text);
  }
}

std::string markOf(int32_t enc) {
  switch (enc) {
    case ENC_UTF8: return "\xEF\xBB\xBF";
    case ENC_UTF16LE: return "\xFF\xFE";
    case ENC_UTF16BE: return "\xFE\xFF";
    default: return "";
  }
}

// Rows [first, end) as the reference writes them (hidden rows and columns left
// out when visibleOnly).
std::string referenceLines(const CDataCore& s, int32_t enc, char delimiter, std::u16string_view lineEnd,
                           int32_t first, int32_t end, bool visibleOnly) {
  const char16_t delim = static_cast<char16_t>(static_cast<unsigned char>(delimiter));
  std::string out;
  for (int32_t r = first; r < end; ++r) {
    if (visibleOnly && s.mDatas[r][0].flag != 0) continue;
    std::u16string line;
    bool firstField = true;
    for (int32_t c = 1; c < static_cast<int32_t>(s.mColCount); ++c) {
      if (visibleOnly && s.mDatas[0][c].flag != 0) continue;
      if (!firstField) line += delim;
      firstField = false;
      line += csvQuote(s.getText(r, c), delim);
    }
    out += encoded(enc, line + std::u16string(lineEnd));
  }
  return out;
}

void setPooled(CDataCore& s, int32_t row, int32_t col, uint8_t kind, const std::u16string& text) {
  s.clearCell(row, col);
  Cell* c = s.cellAt(row, col);
  c->kind = kind;
  c->value = s.intern(textKey(text), text);
}

constexpr int32_t ROWS = 1200;
constexpr int32_t COLS = 13;  // columns 1 .. 12

// A sheet of every kind of cell; column 6 and 9 and every 13th row hidden.
void fillEveryKind(CDataCore& s) {
  const int64_t ints[] = {0, -1, 1, INT64_MIN, INT64_MAX, 1234567890123, -987654321};
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double doubles[] = {0.0,
                            -0.0,
                            0.5,
                            -2.25,
                            nan,
                            -nan,
                            inf,
                            -inf,
                            1e300,
                            -1e-300,
                            123456789.123456789,
                            0.1 + 0.2,
                            1e7,
                            9999999.99999999,
                            1.0 / 3,
                            5e-324,
                            std::numeric_limits<double>::max(),
                            12.5e-9};
  const std::u16string recurring[] = {u"北京",
                                      u"a,b",
                                      u"say \"hi\"",
                                      u"\"lead",
                                      u"line1\r\nline2",
                                      u"cr\ronly",
                                      u"tab\there",
                                      u"semi;colon",
                                      u"digit5",
                                      u"\U0001F600 emoji",
                                      u"ไทย",
                                      std::u16string(u"lone ") + char16_t(0xD800),
                                      u"€",
                                      u"plain",
                                      u" spaced ",
                                      u"true",
                                      u"2024-05-24"};
  const uint8_t scripts[] = {CELL_EXPRTK, CELL_TCC, CELL_PYTHON};
  std::u16string longText, hugeText(40000, u'长');
  for (int i = 0; i < 60; ++i) longText += u"长文本,\"";
  s.resize(ROWS + 1, COLS);
  for (int32_t r = 1; r <= ROWS; ++r) {
    s.setInt64(r, 1, ints[r % std::size(ints)]);
    s.setDouble(r, 2, r % 3 == 0 ? r / 7.0 : doubles[r % std::size(doubles)]);
    s.setText(r, 3, recurring[r % std::size(recurring)]);
    // met once each; some need quotes, some use characters GBK lacks
    std::u16string once = u"code" + int64Text(r * 2654435761LL);
    if (r % 7 == 0) once += u",\"x\"";
    if (r % 11 == 0) once += u"\U0001F680";
    s.setText(r, 4, once);
    // long texts, each met twice, and one too long to be worth keeping
    s.setText(r, 5, r <= 2 ? hugeText : (r % 6 < 2 ? longText : u"s") + int64Text(r / 2));
    if (r % 4 == 0) s.setText(r, 6, u"sometimes");
    s.setText(r, 7, u"=A" + int64Text(r % 5) + u"+1");
    setPooled(s, r, 8, scripts[r % 3], r % 2 ? u"x := 1, y" : u"print('a')\nprint(\"b\")");
    Cell* dt = s.cellAt(r, 9);
    dt->kind = CELL_DATETIME;
    dt->value = static_cast<uint64_t>(1600000000LL + r * 86399LL);
    if (r % 5 == 0) setPooled(s, r, 10, CELL_HANDLER, u"0123456789abcdef");
    setPooled(s, r, 11, CELL_TEXT, std::u16string(u"ab\0cd", 5));  // shown up to its NUL
    if (r % 2) s.setText(r, 12, u"007");
    else s.setInt64(r, 12, -r);
    if (r % 13 == 0) s.cellAt(r, 0)->flag = 1;
  }
  s.cellAt(0, 6)->flag = 1;
  s.cellAt(0, 9)->flag = 1;
}

class WriterReference : public ::testing::Test {
 protected:
  void SetUp() override { fillEveryKind(*sheet); }
  std::unique_ptr<CDataCore> sheet = std::make_unique<CDataCore>();
  ScratchDir dir;
};

const int32_t ENCODINGS[] = {ENC_UTF8, ENC_UTF8_NOBOM, ENC_UTF16LE, ENC_UTF16BE, ENC_ANSI};
// '5' puts the delimiter inside numbers, which then need quotes.
const char DELIMITERS[] = {',', '\t', ';', '5'};

TEST_F(WriterReference, SaveGivesTheReferenceBytes) {
  // keptBytes 4096: the writers' caches of encoded texts fill and start again many times
  const struct {
    unsigned threads;
    size_t batchRows;
    size_t keptBytes;
    bool all;
  } runs[] = {{8, 1, 0, true}, {3, 7, 4096, false}, {1, 0, 4096, true}, {8, 0, 0, false}};
  for (int32_t enc : ENCODINGS) {
    for (char delimiter : DELIMITERS) {
      for (const auto& run : runs) {
        sheet->mSaveEncoding = enc;
        sheet->mIoTuning.threads = run.threads;
        sheet->mIoTuning.writeBatchRows = run.batchRows;
        sheet->mIoTuning.writeKeptBytes = run.keptBytes;
        ASSERT_TRUE(sheet->writeDelimited(dir.path("out.csv"), delimiter, run.all));
        const std::string want = markOf(enc) +
                                 referenceLines(*sheet, enc, delimiter, u"\r\n", 1, ROWS + 1, !run.all);
        // ASSERT: one failing run prints one long diff, not dozens
        ASSERT_EQ(readBytes(dir.native("out.csv")), want)
            << "encoding " << enc << ", delimiter " << int(delimiter) << ", " << run.threads << " threads, batch "
            << run.batchRows << ", kept " << run.keptBytes << (run.all ? ", all" : ", visible only");
      }
    }
  }
}

TEST_F(WriterReference, SplitAndPageWritersGiveTheReferenceBytes) {
  for (int32_t enc : ENCODINGS) {
    for (char delimiter : {',', '\t'}) {
      sheet->mSaveEncoding = enc;
      ASSERT_TRUE(sheet->writeRows(dir.path("part.csv"), 40, 900, 0, 50, delimiter, true));
      EXPECT_EQ(readBytes(dir.native("part.csv")),
                markOf(enc) + referenceLines(*sheet, enc, delimiter, u"\n", 1, 2, false) +
                    referenceLines(*sheet, enc, delimiter, u"\n", 40, 900, false))
          << "split, encoding " << enc << ", delimiter " << int(delimiter);

      // a page at the file's start: the mark kept, the old rows replaced, the tail kept
      const std::string head = markOf(enc) + encoded(enc, u"old,page\n"), tail = encoded(enc, u"tail\n");
      writeBytes(dir.native("page.csv"), head + tail);
      TextPage page{0, head.size(), delimiter, enc};
      sheet->mOpenEncoding = enc;
      ASSERT_TRUE(writeTextPage(*sheet, dir.path("page.csv"), true, page));
      EXPECT_EQ(readBytes(dir.native("page.csv")),
                markOf(enc) + referenceLines(*sheet, enc, delimiter, u"\n", 1, ROWS + 1, false) + tail)
          << "page, encoding " << enc << ", delimiter " << int(delimiter);
    }
  }
}

}  // namespace
