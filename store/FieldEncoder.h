// Cells into the bytes of delimited text, shared by the writers: encodings
// of texts and characters, byte order marks, and FieldEncoder, which turns
// the cells of a row into one line. For the writers' own files only.
#pragma once
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/CsvQuote.h"
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
  out.resize(at + size_t(WideCharToMultiByte(codePage, 0, s, int(n), out.data() + at, int(room), nullptr,
                                             nullptr)));
}

// The text in encoding `enc` (any value outside 1, 2, 3, 5 is ANSI), appended.
inline void appendEncoded(std::string& out, int32_t enc, const char16_t* s, size_t n) {
  const size_t at = out.size();
  switch (enc) {
    case ENC_UTF8:
    case ENC_UTF8_NOBOM:
      appendBytes(out, CP_UTF8, s, n);
      break;
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
    default:
      appendBytes(out, CP_ACP, s, n);
      break;
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
  char delimiter;            // also quoted for (csvQuote)
  std::string delimiterBytes;
  std::string lineEnd;
  std::vector<int32_t> cols;  // the columns written, in order
};

inline LineFormat makeFormat(const CDataCore& sheet, int32_t enc, char delimiter, bool crlf, bool visibleOnly) {
  LineFormat f{enc, delimiter, charBytes(enc, delimiter),
               crlf ? charBytes(enc, '\r') + charBytes(enc, '\n') : charBytes(enc, '\n'), {}};
  const int32_t cols = sheet.mRowCount == 0 ? 0 : static_cast<int32_t>(sheet.mColCount);
  for (int32_t c = 1; c < cols; ++c) {
    if (!visibleOnly || sheet.mDatas[0][c].flag == 0) f.cols.push_back(c);
  }
  return f;
}

// Turns cells into the bytes of their fields: getText, quoted for the
// delimiter (csvQuote), encoded. Texts met before come from a small cache of
// encoded fields (the pool does not change while a writer runs), numbers are
// formatted as ASCII and written without a detour through UTF-16 text.
class FieldEncoder {
 public:
  FieldEncoder(const CDataCore& sheet, const LineFormat& f)
      : mSheet(sheet), mFormat(f), mDelimiter(static_cast<char16_t>(static_cast<unsigned char>(f.delimiter))),
        mCache(CACHE_SLOTS), mFound(FOUND_SLOTS) {}

  // The lines of rows[from, to). The texts of a group of rows that the cache
  // lacks are looked up in the pool one after another first: independent
  // look-ups that the processor overlaps, where one at a time each waits
  // for its own cache misses.
  void appendLines(const std::vector<int32_t>& rows, size_t from, size_t to, std::string& out) {
    for (size_t group = from; group < to; group += GROUP_ROWS) {
      const size_t end = std::min(to, group + GROUP_ROWS);
      ++mGeneration;
      for (size_t i = group; i < end; ++i) {
        const Cell* cells = mSheet.mDatas[rows[i]];
        for (int32_t col : mFormat.cols) {
          const Cell& c = cells[col];
          if (c.kind == CELL_TEXT && c.value != 0 && cacheSlot(c.value).key != c.value) resolve(c.value);
        }
      }
      for (size_t i = group; i < end; ++i) appendLine(rows[i], out);
    }
  }

  void appendLine(int32_t row, std::string& out) {
    const Cell* cells = mSheet.mDatas[row];
    for (size_t i = 0; i < mFormat.cols.size(); ++i) {
      if (i != 0) out += mFormat.delimiterBytes;
      appendField(cells[mFormat.cols[i]], row, mFormat.cols[i], out);
    }
    out += mFormat.lineEnd;
  }

 private:
  static constexpr size_t CACHE_SLOTS = 16384;
  static constexpr size_t CACHE_BYTES = 4u << 20;
  struct Slot {
    uint64_t key = 0;  // 0: empty
    uint32_t offset = 0;
    uint32_t length = 0;
    bool used = false;  // hit since it came in: a text met once does not push it out
  };
  static constexpr size_t GROUP_ROWS = 16;
  static constexpr size_t FOUND_SLOTS = 1024;  // look-ups of one group, open addressing
  struct Found {
    uint64_t generation = 0;  // valid for the group of this generation only
    uint64_t key = 0;
    StringPool::Entry entry;
    bool present = false;
  };

  Slot& cacheSlot(uint64_t key) { return mCache[(key ^ (key >> 29)) & (CACHE_SLOTS - 1)]; }

  // The group's look-up of `key`, made now when it is not yet made.
  Found& resolve(uint64_t key) {
    size_t i = (key ^ (key >> 31)) & (FOUND_SLOTS - 1);
    for (size_t probes = 0; probes < FOUND_SLOTS; ++probes, i = (i + 1) & (FOUND_SLOTS - 1)) {
      Found& f = mFound[i];
      if (f.generation == mGeneration && f.key == key) return f;
      if (f.generation != mGeneration) {
        f.generation = mGeneration;
        f.key = key;
        f.present = mSheet.mPool.lookup(key, f.entry);
        return f;
      }
    }
    mSpare.key = key;
    mSpare.present = mSheet.mPool.lookup(key, mSpare.entry);
    return mSpare;
  }

  void appendField(const Cell& cell, int32_t row, int32_t col, std::string& out) {
    switch (cell.kind) {
      case CELL_TEXT:
        if (cell.value != 0) appendText(cell, row, col, out);
        return;
      case CELL_INT64: {
        char buf[24];
        const char* end = std::to_chars(buf, buf + sizeof buf, cell.asInt64()).ptr;
        appendAscii(buf, static_cast<size_t>(end - buf), out);
        return;
      }
      case CELL_DOUBLE: {
        char buf[DOUBLE_CHARS_MAX];
        appendAscii(buf, doubleChars(cell.asDouble(), buf), out);
        return;
      }
      default:
        appendGeneric(mSheet.getText(row, col), out);
        return;
    }
  }

  void appendText(const Cell& cell, int32_t, int32_t, std::string& out) {
    Slot& slot = cacheSlot(cell.value);
    if (slot.key == cell.value) {
      slot.used = true;
      out.append(mCacheBytes, slot.offset, slot.length);
      return;
    }
    const size_t at = out.size();
    const Found& f = resolve(cell.value);
    std::u16string_view text;
    if (f.present) {  // poolText: the entry's units up to the first NUL
      const char16_t* t = reinterpret_cast<const char16_t*>(f.entry.bytes);
      const size_t units = f.entry.len / 2;
      size_t n = 0;
      while (n < units && t[n] != 0) ++n;
      text = std::u16string_view(t, n);
    }
    appendGeneric(text, out);
    if (slot.used) {  // a text in use keeps its place once; the next miss takes it
      slot.used = false;
      return;
    }
    if (mCacheBytes.size() + (out.size() - at) > CACHE_BYTES) {
      mCacheBytes.clear();
      std::fill(mCache.begin(), mCache.end(), Slot{});
    }
    slot = Slot{cell.value, static_cast<uint32_t>(mCacheBytes.size()), static_cast<uint32_t>(out.size() - at)};
    mCacheBytes.append(out, at, out.size() - at);
  }

  // A number's ASCII text; quoted only when it holds the delimiter.
  void appendAscii(const char* p, size_t n, std::string& out) {
    if (std::memchr(p, mFormat.delimiter, n) != nullptr) {
      appendGeneric(std::u16string(p, p + n), out);
      return;
    }
    const size_t at = out.size();
    switch (mFormat.encoding) {
      case ENC_UTF16LE:
      case ENC_UTF16BE: {
        out.resize(at + 2 * n);
        const bool big = mFormat.encoding == ENC_UTF16BE;
        for (size_t i = 0; i < n; ++i) {
          out[at + 2 * i + (big ? 1 : 0)] = p[i];
          out[at + 2 * i + (big ? 0 : 1)] = 0;
        }
        return;
      }
      default:  // ASCII is the same in UTF-8 and in the ANSI code page
        out.append(p, n);
        return;
    }
  }

  void appendGeneric(std::u16string_view text, std::string& out) {
    if (csvNeedsQuote(text, mDelimiter)) {
      const std::u16string quoted = csvQuote(text, mDelimiter);
      appendEncoded(out, mFormat.encoding, quoted.data(), quoted.size());
    } else {
      appendEncoded(out, mFormat.encoding, text.data(), text.size());
    }
  }

  const CDataCore& mSheet;
  const LineFormat& mFormat;
  char16_t mDelimiter;
  std::vector<Slot> mCache;
  std::string mCacheBytes;
  std::vector<Found> mFound;
  Found mSpare;
  uint64_t mGeneration = 0;
};

}  // namespace textout
