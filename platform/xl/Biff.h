// BIFF8, the record format of the "Workbook" stream of an xls file: record
// identifiers, checked little-endian reading and the record writer.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xl/BookImpl.h"

namespace xl::detail::biff {

enum RecordType : uint16_t {
  kFormula = 0x0006,
  kEof = 0x000A,
  kFilePass = 0x002F,
  kDateMode = 0x0022,
  kFont = 0x0031,
  kContinue = 0x003C,
  kWindow1 = 0x003D,
  kCodePage = 0x0042,
  kDefColWidth = 0x0055,
  kColInfo = 0x007D,
  kBoundSheet = 0x0085,
  kPalette = 0x0092,
  kStandardWidth = 0x0099,
  kMulRk = 0x00BD,
  kMulBlank = 0x00BE,
  kRString = 0x00D6,
  kXf = 0x00E0,
  kSst = 0x00FC,
  kLabelSst = 0x00FD,
  kExtSst = 0x00FF,
  kDimensions = 0x0200,
  kBlank = 0x0201,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolErr = 0x0205,
  kString = 0x0207,
  kRow = 0x0208,
  kDefaultRowHeight = 0x0225,
  kWindow2 = 0x023E,
  kRk = 0x027E,
  kStyle = 0x0293,
  kFormat = 0x041E,
  kBof = 0x0809,
};

constexpr size_t kMaxRecordData = 8224;  // the longest record body BIFF8 allows

// A record body, or a record body followed by its CONTINUE records: the
// pieces are kept apart because texts restate their width at each seam.
// Every read is checked and throws FileError past the end.
class RecordReader {
 public:
  explicit RecordReader(std::vector<std::string_view> pieces) : mPieces(std::move(pieces)) {}
  explicit RecordReader(std::string_view body) : mPieces{body} {}

  uint8_t u8();
  uint16_t u16();
  uint32_t u32();
  double f64();
  void skip(size_t n);  // may cross seams
  bool atEnd() const;
  // Whether the reader stands at the start of a piece after the first.
  bool atSeam() const { return mPiece > 0 && mPos == 0; }

  // An XLUnicodeString (16-bit count when wideCount, else 8-bit), with the
  // rich-text runs and extension data skipped; a text crossing a seam
  // continues after a new flags byte, as in the shared string table.
  std::u16string unicodeString(bool wideCount);

 private:
  void need(size_t n);  // the current piece holds n more bytes, else throws
  void nextPieceIfDone();

  std::vector<std::string_view> mPieces;
  size_t mPiece = 0, mPos = 0;
};

// Builds a record stream in memory.
class RecordWriter {
 public:
  std::string& bytes() { return mOut; }
  size_t size() const { return mOut.size(); }

  // A whole record with the given body (at most kMaxRecordData bytes).
  void record(uint16_t type, std::string_view body);
  // Body writing for a record begun with begin() and closed with end().
  void begin(uint16_t type);
  void end();
  size_t bodySize() const { return mOut.size() - mStart - 4; }
  void u8(uint8_t v) { mOut += char(v); }
  void u16(uint16_t v);
  void u32(uint32_t v);
  void f64(double v);
  void raw(std::string_view s) { mOut += s; }
  // Overwrites 4 bytes at an absolute position.
  void patch32(size_t at, uint32_t v);

 private:
  std::string mOut;
  size_t mStart = 0;  // of the open record's header
};

inline uint16_t le16(const char* p) { return uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8); }

}  // namespace xl::detail::biff
