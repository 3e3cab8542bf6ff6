// One input of the delimited-text reader's fuzz target and the checks a read of it must
// pass. The fuzz target (DelimitedReadFuzz.cpp) runs every input through checkCase; the
// store tests run the kept corpus (corpus-delimited/) through it the same way, so that a
// file kept from a crash stays a regression test.
//
// An input's first HEADER_BYTES bytes choose the reading, the rest is the file's text:
//   0  the file's form, bits 0-6 % 5: UTF-8 with its mark, UTF-16LE with its mark,
//      UTF-16BE with its mark, the bytes as they are (ANSI or UTF-8, as detection finds),
//      UTF-16LE without a mark (found by the statistical test, or not). For the UTF-16
//      forms each byte of the text becomes one code unit, or with bit 7 set the bytes
//      are taken in pairs as the file's own bytes.
//   1  the delimiter, bits 0-6 % 7: one of the program's choices; bit 7 turns quote
//      detection off.
//   2  the operation, bits 0-3 % 3: the whole file, a page, an append. Bit 7: the
//      sequential road only (else the parallel road from the first byte on); bit 6: a key
//      function that collides all the time (the parallel road gives way, or keeps its
//      keys when no two texts met); bit 5: a page keeps its header, an append goes below
//      the same file read whole (its first record dropped again) rather than below a
//      small sheet of its own; bit 4: the file is named ".txt" (an append then reads it
//      with TAB), else ".csv".
//   3  bits 0-2: the worker threads less one; bits 3-7: the read size, from BLOCKS.
//   4  a page's first row (the low half + 1) and its row count (the high half).
//
// The reading chosen is compared with the sequential road at its default read size: the
// same result, the same sheet and pool (SheetDump; only the same texts where a colliding
// key function met no collision), the same page bounds. Each sheet passes its integrity
// check, has a sane shape and the encoding its file's form implies.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/Encoding.h"
#include "store/QuoteDetect.h"
#include "store/TextImport.h"
#include "store/TextKey.h"
#include "store/TextPage.h"
#include "tests/store/SheetDump.h"

namespace delimitedfuzz {

constexpr size_t HEADER_BYTES = 5;
constexpr char DELIMITERS[] = {',', '\t', ' ', ';', '|', '\\', ':'};
constexpr size_t BLOCKS[] = {0, 1, 2, 3, 4, 5, 7, 8, 11, 16, 64, 4096};

enum class Form : uint8_t { Utf8Mark, Utf16LeMark, Utf16BeMark, AsIs, Utf16LeBare };
enum class Operation : uint8_t { Whole, Page, Append };

struct Case {
  Form form = Form::AsIs;
  bool pairs = false;  // UTF-16 forms: the text's bytes in pairs, not one unit per byte
  char delimiter = ',';
  bool quotes = true;
  Operation operation = Operation::Whole;
  bool parallel = true;
  bool collide = false;
  bool flag = false;  // a page's keepHeader; an append below the same file
  bool txt = false;
  unsigned threads = 1;
  size_t block = 0;
  int32_t firstRow = 1, rows = 0;
  std::string file;  // the file's bytes, mark included
};

inline std::string utf16File(std::string_view text, bool pairs, bool big, bool mark) {
  std::string out;
  if (mark) out = big ? "\xFE\xFF" : "\xFF\xFE";
  if (pairs) return out.append(text);
  for (char c : text) {
    const char units[2] = {big ? '\0' : c, big ? c : '\0'};
    out.append(units, 2);
  }
  return out;
}

// The reading and the file an input stands for (an input shorter than the header reads
// as that header padded with zeros, with an empty text).
inline Case decode(const uint8_t* data, size_t size) {
  uint8_t h[HEADER_BYTES] = {};
  for (size_t i = 0; i < HEADER_BYTES && i < size; ++i) h[i] = data[i];
  const std::string_view text =
      size > HEADER_BYTES
          ? std::string_view(reinterpret_cast<const char*>(data) + HEADER_BYTES, size - HEADER_BYTES)
          : std::string_view();
  Case c;
  c.form = static_cast<Form>((h[0] & 0x7F) % 5);
  c.pairs = (h[0] & 0x80) != 0;
  c.delimiter = DELIMITERS[(h[1] & 0x7F) % std::size(DELIMITERS)];
  c.quotes = (h[1] & 0x80) == 0;
  c.operation = static_cast<Operation>((h[2] & 0x0F) % 3);
  c.parallel = (h[2] & 0x80) == 0;
  c.collide = (h[2] & 0x40) != 0;
  c.flag = (h[2] & 0x20) != 0;
  c.txt = (h[2] & 0x10) != 0;
  c.threads = 1 + (h[3] & 7);
  c.block = BLOCKS[(h[3] >> 3) % std::size(BLOCKS)];
  c.firstRow = 1 + (h[4] & 15);
  c.rows = h[4] >> 4;
  switch (c.form) {
    case Form::Utf8Mark: c.file = "\xEF\xBB\xBF" + std::string(text); break;
    case Form::Utf16LeMark:
    case Form::Utf16BeMark:
    case Form::Utf16LeBare:
      c.file = utf16File(text, c.pairs, c.form == Form::Utf16BeMark, c.form != Form::Utf16LeBare);
      break;
    case Form::AsIs: c.file = std::string(text); break;
  }
  return c;
}

// What one reading of the case gave.
struct Outcome {
  bool ok = false;
  TextPage page;
  std::string sheet;     // dumpSheet
  std::u16string texts;  // its size and sheetTexts
  ReadRoad road = ReadRoad::None;
};

inline bool writeFile(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

inline uint64_t collidingKey(std::u16string_view text) { return textKey(text) % 3 + 1; }

// Reads the case's file (written at `path`) into a new sheet, on the sequential road at
// the default read size (`reference`) or as the case chooses. Faults found in the sheet
// itself are added to `faults`.
inline Outcome readCase(const Case& c, bool reference, const std::string& path, const std::string& base,
                        std::string& faults) {
  CDataCore sheet;
  sheet.mIoTuning.parallel = !reference && c.parallel;
  sheet.mIoTuning.minParallelBytes = 0;
  sheet.mIoTuning.threads = c.threads;
  sheet.mIoTuning.blockBytes = reference ? 0 : c.block;
  sheet.mIoTuning.keyOf = !reference && c.collide ? collidingKey : nullptr;
  const std::u16string file = utf8ToWide(path);
  Outcome out;
  uint64_t baseRows = 0;
  switch (c.operation) {
    case Operation::Whole: out.ok = sheet.readDelimited(file, c.delimiter); break;
    case Operation::Page:
      out.ok = readTextPage(sheet, file, c.delimiter, c.flag, c.firstRow, c.rows, out.page);
      break;
    case Operation::Append:
      out.ok = sheet.readDelimited(c.flag ? file : utf8ToWide(base), ',');
      baseRows = sheet.mRowCount;
      out.ok = sheet.appendFile(file, 0, 99) && out.ok;
      break;
  }
  out.road = sheet.mLastIo.road;
  out.sheet = textfiles::dumpSheet(sheet);
  out.texts = utf8ToWide(std::to_string(sheet.mRowCount) + "x" + std::to_string(sheet.mColCount) + "\n") +
              textfiles::sheetTexts(sheet);
  const std::string check = sheet.integrityCheck();
  if (!check.empty()) faults += "integrity: " + check + "\n";
  // Every record takes at least one byte of the file, but the empty one at its end.
  const uint64_t most = c.file.size() + 2 + baseRows;
  if (sheet.mRowCount > most || sheet.mColCount > c.file.size() + 3) faults += "sheet larger than its file\n";
  if (c.operation == Operation::Page && sheet.mRowCount > static_cast<uint64_t>(c.rows) + 2) {
    faults += "page larger than asked\n";
  }
  if ((sheet.mRowCount == 0) != (sheet.mDatas == nullptr)) faults += "row array and count disagree\n";
  for (uint64_t r = 0; r < sheet.mRowCount; ++r) {
    if (sheet.mDatas[r] == nullptr) faults += "row " + std::to_string(r) + " missing\n";
  }
  // Every cell's text is looked up (in a sheet of sensible size): a cell or a pool entry
  // out of place shows under the sanitizers.
  if (sheet.mRowCount * sheet.mColCount <= 200000) {
    for (int32_t r = 0; r < static_cast<int32_t>(sheet.mRowCount); ++r) {
      for (int32_t col = 0; col < static_cast<int32_t>(sheet.mColCount); ++col) (void)sheet.getText(r, col);
    }
  }
  if (out.ok && c.operation != Operation::Append && !c.file.empty()) {
    const TextEncoding want = c.form == Form::Utf8Mark      ? ENC_UTF8
                              : c.form == Form::Utf16LeMark ? ENC_UTF16LE
                              : c.form == Form::Utf16BeMark ? ENC_UTF16BE
                                                            : detectEncodingOfBytes(c.file.data(), c.file.size());
    // The reader takes UTF-8 with or without its mark alike.
    const int32_t kind = want == ENC_UTF8_NOBOM ? ENC_UTF8 : want;
    if (sheet.mOpenEncoding != kind) faults += "encoding " + std::to_string(sheet.mOpenEncoding) + "\n";
  }
  return out;
}

// The faults of the case, one line each; empty when every check holds. The file goes
// into `dir` (which must exist), with a small sheet's file beside it for appends.
inline std::string checkCase(const Case& c, const std::string& dir) {
  const std::string path = dir + (c.txt ? "/in.txt" : "/in.csv"), base = dir + "/base.csv";
  if (!writeFile(path, c.file) || !writeFile(base, "h1,h2\nx,1\n")) return "cannot write into " + dir + "\n";
  const bool quotes = gQuoteDetect;
  gQuoteDetect = c.quotes;
  std::string faults;
  const Outcome want = readCase(c, true, path, base, faults);
  const Outcome got = readCase(c, false, path, base, faults);
  gQuoteDetect = quotes;
  if (got.ok != want.ok) faults += "result differs\n";
  // A colliding key function that met no collision keeps its own keys (and an append
  // below a sheet read with them may give texts their true keys beside those): the same
  // texts, and the same keys too where the road gave way.
  const bool ownKeys = c.collide && (got.road != ReadRoad::GaveWay || c.operation == Operation::Append);
  if (ownKeys ? got.texts != want.texts : got.sheet != want.sheet) {
    faults += "sheet differs:\n" + got.sheet + "instead of\n" + want.sheet;
  }
  if (c.operation == Operation::Page &&
      (got.page.start != want.page.start || got.page.end != want.page.end ||
       got.page.records != want.page.records || got.page.delimiter != want.page.delimiter ||
       got.page.encoding != want.page.encoding)) {
    faults += "page bounds differ\n";
  }
  if (!c.parallel && got.road != ReadRoad::Sequential && got.road != ReadRoad::None) {
    faults += "sequential reading took another road\n";
  }
  if (c.parallel && !c.collide && got.road == ReadRoad::GaveWay) faults += "parallel road gave way\n";
  return faults;
}

}  // namespace delimitedfuzz
