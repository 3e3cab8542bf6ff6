// Record streams over delimited text files: CsvStream reads bytes (UTF-8 and
// ANSI files), CsvStreamW reads 16-bit code units (UTF-16 files, either byte
// order). Both read the file in blocks and cut it into records:
//
//   - a record ends at LF, CR LF, a lone CR, or the end of the data;
//   - with quote detection on, a field that begins with the quote (at the record
//     start or right after a delimiter) is a quoted section that runs to the
//     next quote not doubled; delimiters, CR and LF inside it are kept;
//   - the record delivered at the end of the data is empty, and an empty line
//     is an empty record read while the data is not yet exhausted.
//
// A record is kept as read, quotes included, in one line buffer that only
// grows; nextFields() splits it. Plain runs between stops are found with SSE2
// and copied whole, so the result is that of reading one unit at a time, at
// any block size (tests run blocks of 1, 2, 3 and 7 bytes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// A field of a record held in a stream's line buffer (BasicCsvStream::fieldSpans).
struct CsvFieldSpan {
  size_t begin, end;  // units of the line
  bool quoted;        // between quotes: every quote in [begin, end) is doubled
};

template <class Unit>
class BasicCsvStream {
 public:
  using String = std::basic_string<Unit>;
  static constexpr size_t DEFAULT_BLOCK_BYTES = 4194304 * sizeof(Unit);  // 4 MB, 8 MB for UTF-16
  static constexpr size_t DEFAULT_LINE_UNITS = 4194304;

  // Opens `path` for binary reading positioned at `startOffset` (bytes: 3 after
  // a UTF-8 byte order mark, 2 after a UTF-16 one). The four units are compared
  // with the raw units read (a big-endian caller passes them byte-swapped). A
  // file that cannot be opened reads as an empty file. `quoteDetect` is the
  // reading's quote detection, fixed for the stream's life. `blockBytes` is the
  // size of one read (any size from 1 up: a 16-bit unit may straddle two reads).
  BasicCsvStream(const std::u16string& path, int32_t startOffset, Unit delimiter, Unit quote, Unit lf, Unit cr,
                 bool quoteDetect, size_t blockBytes = DEFAULT_BLOCK_BYTES, size_t lineUnits = DEFAULT_LINE_UNITS);
  ~BasicCsvStream();
  BasicCsvStream(const BasicCsvStream&) = delete;
  BasicCsvStream& operator=(const BasicCsvStream&) = delete;

  bool isOpen() const { return mFile != nullptr; }

  // Reads the next record into the line buffer and returns it (NUL-terminated,
  // length in lineLength()).
  const Unit* readRecord();
  // Reads the next record without keeping its units: the line stays empty and
  // lineLength() tells how many units the record had. For counting and skipping.
  void skipRecord();
  // Skips the records that skipRecord() would, while each starts before byte
  // `limit`, lies whole in the block read and ends at its first LF or CR, with
  // no quote before it (quote detection on); returns how many. Stops, for
  // skipRecord() to go on, at any other record, and at a CR that ends the
  // block. lineLength() is then the last one's.
  uint64_t skipPlainRecords(uint64_t limit);
  // Reads the next record as readRecord() does when it is one that
  // skipPlainRecords() would skip, without copying it: the record's units in
  // the block (not NUL-terminated; the line buffer is left as it was), valid
  // until the next read. Null, with nothing read, for any other record.
  const Unit* readPlainRecord();
  // Reads the next record and splits it into fields (none for an empty record):
  // a field starting with the quote (quote detection on) loses its quotes, a
  // doubled quote gives one, and what follows its closing quote up to the next
  // delimiter is dropped; a delimiter ending the record adds an empty field.
  std::vector<String> nextFields();
  // Splits the record held in the line buffer, as nextFields() does.
  std::vector<String> splitLine() const;
  // Where the fields of the record in the line buffer lie, without copying
  // them: the units [begin, end) of the line; for a quoted field those between
  // its quotes, in which every quote is doubled and stands for one. `out` is
  // grows as needed and is never shrunk; returns the number of fields, which
  // are out[0 ..). splitLine() is built on this.
  using FieldSpan = CsvFieldSpan;
  size_t fieldSpans(std::vector<FieldSpan>& out) const;
  // The field of `span` into out[0..), quotes undoubled; returns the units
  // written (at most span.end - span.begin).
  size_t copyField(const FieldSpan& span, Unit* out) const;

  // The next unit, refilling the block; 0 at the end of data (then atEnd()).
  Unit nextUnit();
  // Appends one unit to the line buffer, growing it by half when full.
  void appendToLine(Unit u);

  // True once a read at the end of the file returned nothing (block fill 0).
  bool atEnd() const { return mFill == 0; }
  size_t lineLength() const { return mLineLength; }
  const Unit* line() const { return mLine.get(); }

  // Back to the start offset, with an empty block.
  void rewind() { seek(static_cast<uint64_t>(mStartOffset)); }
  // Continues reading at byte `offset` of the file, with an empty block.
  void seek(uint64_t offset);
  // The byte offset in the file of the next unread unit.
  uint64_t offset() const;
  // The file's length in bytes (0 when it is not open).
  uint64_t fileSize() const;

  // ANSI (GBK) files whose delimiter may be the trail byte of a character ('|' and
  // '\\' are): a lead byte 0x81-0xFE and the trail byte 0x40-0xFE (not 0x7F) after it
  // are one character, never a delimiter, so they neither end a field nor open a
  // quoted section before a quote. Off by default (bytes stand alone).
  void setDoubleByte(bool on) { mDoubleByte = on; }
  // True when an ANSI file read with delimiter `d` needs setDoubleByte(true).
  static bool delimiterMayBeTrail(char d) {
    const unsigned char u = static_cast<unsigned char>(d);
    return u >= 0x40 && u <= 0xFE && u != 0x7F;
  }

  void setDelimiter(Unit d) { mDelimiter = d; }
  Unit delimiter() const { return mDelimiter; }
  int32_t startOffset() const { return mStartOffset; }

 private:
  enum class State { FieldStart, Plain, Quoted, QuoteSeen };
  bool refill();
  void takeRun(size_t from, size_t to, bool keep);
  void readRecordInto(bool keep);
  bool plainRecordAt(size_t pos, size_t& end, size_t& next) const;
  bool plainStep(bool keep, State& state);
  bool quotedStep(bool keep, State& state);
  void trackPairs(size_t from, size_t to);
  size_t fieldEnd(const Unit* s, size_t from, size_t len) const;

  int32_t mStartOffset;
  Unit mDelimiter, mQuote, mLf, mCr;
  bool mQuoteDetect;
  FILE* mFile = nullptr;
  size_t mBlockBytes;              // bytes asked for per read, >= 1
  std::unique_ptr<Unit[]> mBlock;  // mBlockBytes / sizeof(Unit) + 1 units
  std::unique_ptr<Unit[]> mLine;   // always NUL-terminated at mLineLength
  uint64_t mLineCapacity;          // units held by mLine, >= mLineLength + 1
  uint64_t mPos = 0;               // next unread unit of the block, <= mFill
  uint64_t mFill = 0;              // units the last read gave; 0 = end of data (or not read yet)
  uint64_t mLineLength = 0;
  uint64_t mFileOffset = 0;  // file offset after the last read
  size_t mCarry = 0;         // bytes of a unit split by the last read (16-bit only)
  char mCarryByte = 0;
  Unit mLastUnit = 0;         // last unit of the current record, read or skipped
  bool mDoubleByte = false;   // GBK pairs are single characters (setDoubleByte)
  bool mLeadPending = false;  // double-byte: the last unit taken is a lead byte
  bool mLastTrail = false;    // double-byte: the last unit taken is a trail byte
};

using CsvStream = BasicCsvStream<char>;
using CsvStreamW = BasicCsvStream<char16_t>;

extern template class BasicCsvStream<char>;
extern template class BasicCsvStream<char16_t>;
