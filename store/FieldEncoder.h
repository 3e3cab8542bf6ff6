// Cells into the bytes of delimited text, shared by the writers: encodings
// of texts and characters, byte order marks, and FieldEncoder, which turns
// the cells of a row into one line. For the writers' own files only.
#pragma once
#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "store/CsvQuote.h"
#include "store/DataCore.h"
#include "store/NumberText.h"

namespace textout {

// n units of text appended in `codePage` (UTF-8 or ANSI).
inline void appendBytes(std::string& out, UINT codePage, const char16_t* s, size_t n) {
  const size_t at = out.size(), room = n * (codePage == CP_UTF8 ? 3 : 2);
  if (room > size_t(INT32_MAX)) {
    out += codePage == CP_UTF8 ? wideToUtf8({s, n}) : wideToAnsi({s, n});
    return;
  }
  out.resize(at + room);
  out.resize(at +
             size_t(WideCharToMultiByte(codePage, 0, s, int(n), out.data() + at, int(room), nullptr, nullptr)));
}

// The text in encoding `enc` (any value outside 1, 2, 3, 5 is ANSI), appended.
inline void appendEncoded(std::string& out, int32_t enc, const char16_t* s, size_t n) {
  const size_t at = out.size();
  switch (enc) {
    case ENC_UTF8:
    case ENC_UTF8_NOBOM: appendBytes(out, CP_UTF8, s, n); break;
    case ENC_UTF16LE:
      out.resize(at + 2 * n);
      std::memcpy(out.data() + at, s, 2 * n);
      break;
    case ENC_UTF16BE:
      out.resize(at + 2 * n);
      for (size_t i = 0; i < n; ++i) {
        out[at + 2 * i] = static_cast<char>(s[i] >> 8);
        out[at + 2 * i + 1] = static_cast<char>(s[i] & 0xFF);
      }
      break;
    default: appendBytes(out, CP_ACP, s, n); break;
  }
}

inline std::string bomOf(int32_t enc) {
  switch (enc) {
    case ENC_UTF8: return "\xEF\xBB\xBF";
    case ENC_UTF16LE: return "\xFF\xFE";
    case ENC_UTF16BE: return "\xFE\xFF";
    default: return {};
  }
}

// One 8-bit character as one code unit (sign-extended) in `enc`; in ANSI and
// the values outside 1..5 the byte itself.
inline std::string charBytes(int32_t enc, char c) {
  if (enc != ENC_UTF8 && enc != ENC_UTF8_NOBOM && enc != ENC_UTF16LE && enc != ENC_UTF16BE) {
    return std::string(1, c);
  }
  const char16_t unit = static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(c)));
  std::string out;
  appendEncoded(out, enc, &unit, 1);
  return out;
}

// How the rows of one write become lines.
struct LineFormat {
  int32_t encoding;
  char delimiter;  // also quoted for (csvQuote)
  std::string delimiterBytes;
  std::string lineEnd;
  std::vector<int32_t> cols;  // the columns written, in order
};

inline LineFormat makeFormat(const CDataCore& sheet, int32_t enc, char delimiter, bool crlf, bool visibleOnly) {
  LineFormat f{enc,
               delimiter,
               charBytes(enc, delimiter),
               crlf ? charBytes(enc, '\r') + charBytes(enc, '\n') : charBytes(enc, '\n'),
               {}};
  const int32_t cols = sheet.mRowCount == 0 ? 0 : static_cast<int32_t>(sheet.mColCount);
  for (int32_t c = 1; c < cols; ++c) {
    if (!visibleOnly || sheet.mDatas[0][c].flag == 0) f.cols.push_back(c);
  }
  return f;
}

// Turns cells into the bytes of their fields: getText, quoted for the
// delimiter (csvQuote), encoded, written straight into the output's bytes.
// Numbers are formatted as ASCII and never pass through UTF-16 text. A pooled
// text is looked up once per row group and encoded from the pool's units; a
// text the sheet holds more than once keeps its encoded field in a cache for
// the rest of the write (the pool does not change while a writer runs), so
// it is neither looked up nor encoded again.
class FieldEncoder {
 public:
  // `keptBytes`: the most bytes of encoded fields kept to write again (0: 8 MB).
  FieldEncoder(const CDataCore& sheet, const LineFormat& f, size_t keptBytes = 0);

  // The lines of rows[from, to). The pooled texts of a group of rows that the
  // cache lacks are asked of the memory first, then looked up one after
  // another, then the group is encoded: the look-ups overlap their waits for
  // memory where one at a time each would wait for its own.
  void appendLines(const std::vector<int32_t>& rows, size_t from, size_t to, std::string& out);
  void appendLine(int32_t row, std::string& out);

 private:
  // Writes at the end of a string, with room made ahead of the writing.
  class Sink {
   public:
    explicit Sink(std::string& s) : mS(s), mP(s.data() + s.size()), mLimit(mP) {}
    ~Sink() { mS.resize(size_t(mP - mS.data())); }  // the bytes written, nothing beyond
    // Room for n more bytes at p().
    void need(size_t n) {
      if (size_t(mLimit - mP) < n) grow(n);
    }
    char*& p() { return mP; }

   private:
    // Grows by steps of at most GROW_STEP: the zeros resize writes stay in the
    // core's cache until they are overwritten.
    void grow(size_t n) {
      const size_t at = size_t(mP - mS.data());
      mS.resize(at + std::max(n + 256, std::min(GROW_STEP, at)));
      mP = mS.data() + at;
      mLimit = mS.data() + mS.size();
    }
    static constexpr size_t GROW_STEP = 64 << 10;
    std::string& mS;
    char* mP;      // the end of what was written
    char* mLimit;  // the end of the room
  };

  // A text whose encoded field is kept: its bytes are mBytes[offset, offset + length).
  struct Slot {
    uint64_t key = 0;  // 0: empty
    uint32_t offset = 0;
    uint32_t length = 0;
  };
  // A look-up made ahead for a group of rows.
  struct Pending {
    uint64_t key;
    StringPool::Entry entry;
    bool present;
  };
  static constexpr size_t KEPT_BYTES = size_t(8) << 20;  // the default of keptBytes
  static constexpr size_t BYTES_PER_SLOT = 64;           // slots: at most one per 64 bytes kept
  static constexpr size_t MIN_SLOTS = 64;
  static constexpr size_t FIRST_SLOTS = 1024;
  static constexpr size_t MAX_KEPT_FIELD = 64 << 10;  // longer fields are not kept
  static constexpr size_t COPY_SLACK = 32;            // bytes a short copy moves at once
  static constexpr size_t GROUP_CELLS = 256;          // cells of a group of look-ups, at least a row
  static constexpr size_t NUMBER_ROOM = 2 * DOUBLE_CHARS_MAX + 16;

  Slot& slotOf(uint64_t key) {
    size_t i = size_t((key * 0x9E3779B97F4A7C15ULL) >> mShift);
    while (mSlots[i].key != 0 && mSlots[i].key != key) i = (i + 1) & mSlotMask;
    return mSlots[i];
  }
  bool kept(uint64_t key) { return slotOf(key).key == key; }

  void encodeRow(int32_t row, Sink& out);
  void appendPooled(uint64_t key, Sink& out);
  void appendFromEntry(uint64_t key, const StringPool::Entry* entry, Sink& out);
  void keep(uint64_t key, const char* bytes, size_t length);
  void resizeSlots(size_t count);
  void appendNumberText(const char* p, size_t n, Sink& out);
  void appendGeneric(std::u16string_view text, Sink& out);
  void appendUnits(const char16_t* s, size_t n, Sink& out);

  const CDataCore& mSheet;
  const LineFormat& mFormat;
  char16_t mDelimiter;
  bool mAsciiBytes;          // ASCII is written as itself (UTF-8 and the ANSI code page)
  bool mDelimiterInNumbers;  // a number's text may hold the delimiter and need quotes
  uint8_t mSpecial[256];     // 1 for a unit that makes a field quoted (and NUL, where it ends)
  char mDelimiterBytes[8];
  size_t mDelimiterLength;
  char mLineEnd[8];
  size_t mLineEndLength;
  std::vector<Slot> mSlots;  // open addressing, linear probing; a power of two
  size_t mMaxSlots;          // the most slots the table grows to
  size_t mSlotMask;
  int mShift;
  size_t mKeptCount = 0;          // slots in use; at most half of them
  size_t mKeptBytes;              // the most bytes kept
  size_t mMaxKeptField;           // longer fields are not kept
  std::string mBytes;             // the kept fields, then at least COPY_SLACK readable bytes
  size_t mBytesUsed = 0;          // <= mKeptBytes
  std::vector<Pending> mPending;  // the group's look-ups, in the order of its cells
  size_t mNextPending = 0;
  std::u16string mQuoted;
};

}  // namespace textout
