// The record splitter of the parallel import: typeRecord and
// typeMarkedRecord split one record into its fields as
// BasicCsvStream::splitLine does and hand each field to a typer, which makes
// its cell in place. typeRecord finds where each field ends with
// nextDelimiter (double-byte ANSI and UTF-16 records); typeMarkedRecord, for
// other byte records, marks the record's delimiters and NUL and high bytes
// in one pass first (ByteMarks).
//
// Invariants: a record with n delimiters outside quotes gives n + 1 fields
// (so one that ends the record gives an empty last field), an empty record
// none; a quoted field reaches the typer unquoted ("" read as one quote), and
// what follows its closing quote up to the next delimiter is dropped. In a
// double-byte ANSI file a delimiter byte that trails a lead byte is never a
// delimiter. Both splitters give the same fields for the records they share.
//
// Included by the parallel import alone, and in an unnamed namespace on
// purpose: this runs once per field, and with internal linkage the compiler
// inlines it into the worker's loop as it does code written in that file
// (with external linkage it makes other choices).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <emmintrin.h>

#include "store/Cell.h"

namespace {

// One record's delimiters and its NUL and high bytes (0x80 and above),
// found in one pass 16 bytes at a time: the delimiters' indexes in order, the
// other bytes as bits, 64 bytes to a word. A field's end and its first such
// byte are then a few operations away instead of a scan of the field each.
class ByteMarks {
 public:
  // Marks s[0, n) for `delimiter`.
  void mark(const char* s, size_t n, char delimiter) {
    const size_t words = (n + 63) / 64;
    if (mSpecials.size() < words) mSpecials.resize(words);
    std::fill(mSpecials.begin(), mSpecials.begin() + words, 0);
    const __m128i d = _mm_set1_epi8(delimiter);
    mFound = 0;
    mAnySpecial = 0;
    size_t i = 0;
    for (; i + 16 <= n; i += 16) markBlock(s + i, d, i, 0);
    if (i < n) {
      const size_t rest = n - i;
      if (n >= 16) {  // the last 16 bytes, of which those marked already are dropped
        markBlock(s + n - 16, d, i, 16 - rest);
      } else {
        char tail[16] = {};  // a load may not pass the record
        std::memcpy(tail, s + i, rest);
        const uint32_t inside = (1u << rest) - 1;
        markBits(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(tail)), i, 0, inside);
      }
    }
    room(1);
    mEnds[mFound] = n;  // the end stops every search
  }

  // The delimiters' indexes in order, then the record's length.
  const size_t* ends() const { return mEnds.data(); }
  size_t delimiters() const { return mFound; }
  // Bit k of word w: byte 64w + k is NUL or high. Null when no byte is.
  const uint64_t* specials() const { return mAnySpecial ? mSpecials.data() : nullptr; }

  // The index of the first NUL or high byte in [from, to) by `specials`
  // (null: none); to when none.
  static size_t firstSpecial(const uint64_t* specials, size_t from, size_t to) {
    if (specials == nullptr || from >= to) return to;
    size_t w = from / 64;
    uint64_t m = specials[w] >> (from % 64);
    if (m != 0) return std::min(from + static_cast<size_t>(__builtin_ctzll(m)), to);
    const size_t last = (to - 1) / 64;
    while (++w <= last) {
      if (specials[w] != 0) return std::min(w * 64 + static_cast<size_t>(__builtin_ctzll(specials[w])), to);
    }
    return to;
  }

 private:
  // Marks the 16 bytes at p, which stand for the record's bytes from
  // `at` - `skip`; the first `skip` of them are marked already.
  void markBlock(const char* p, __m128i d, size_t at, size_t skip) {
    markBits(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), at - skip, skip, 0xFFFFu);
  }

  void markBits(__m128i d, __m128i v, size_t base, size_t skip, uint32_t inside) {
    const __m128i nul = _mm_cmpeq_epi8(v, _mm_setzero_si128());
    uint32_t delimiters = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, d))) & inside;
    const uint32_t specials = static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(v, nul))) & inside;
    delimiters = delimiters >> skip << skip;
    if (delimiters != 0) {
      room(16);
      do {
        mEnds[mFound++] = base + static_cast<size_t>(__builtin_ctz(delimiters));
        delimiters &= delimiters - 1;
      } while (delimiters != 0);
    }
    const uint64_t bits = uint64_t{specials >> skip << skip};
    if (bits != 0) {
      mAnySpecial = 1;
      // Bytes [base, base + 16) span one word or two.
      const size_t w = base / 64, shift = base % 64;
      mSpecials[w] |= bits << shift;
      if (shift > 48) mSpecials[w + 1] |= bits >> (64 - shift);
    }
  }

  void room(size_t more) {
    if (mEnds.size() < mFound + more) mEnds.resize((mFound + more) * 2);
  }

  std::vector<size_t> mEnds;        // the delimiters' indexes, then the length
  std::vector<uint64_t> mSpecials;  // bit k of word w: byte 64w + k is NUL or high
  size_t mFound = 0;
  uint64_t mAnySpecial = 0;
};

// Index of the next delimiter in s[from, n), n when none; `from` starts a
// character. With `doubleByte` (an ANSI file whose delimiter's byte may end a
// GBK character: '|' and '\\' do), a lead byte 0x81-0xFE and the trail byte
// 0x40-0xFE (not 0x7F) after it are one character, never a delimiter.
size_t nextDelimiter(const char* s, size_t from, size_t n, char delimiter, bool doubleByte) {
  if (!doubleByte) {
    // Most fields are short: eight bytes at a time before a library call. A
    // byte of x = w ^ (the delimiter in every byte) is 0 where the delimiter
    // is; the lowest byte marked by (x - 0x01..) & ~x & 0x80.. is the first 0.
    constexpr uint64_t ONES = 0x0101010101010101ULL, HIGHS = 0x8080808080808080ULL;
    const uint64_t all = ONES * static_cast<unsigned char>(delimiter);
    size_t i = from;
    for (int words = 0; words < 4 && i + 8 <= n; ++words, i += 8) {
      uint64_t w;
      std::memcpy(&w, s + i, 8);
      const uint64_t x = w ^ all;
      const uint64_t marked = (x - ONES) & ~x & HIGHS;
      if (marked != 0) return i + static_cast<size_t>(__builtin_ctzll(marked)) / 8;
    }
    const void* hit = i < n ? std::memchr(s + i, delimiter, n - i) : nullptr;
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - s) : n;
  }
  const unsigned char* u = reinterpret_cast<const unsigned char*>(s);
  size_t i = from;
  while (i < n && s[i] != delimiter) {
    const bool pair = u[i] >= 0x81 && u[i] <= 0xFE && i + 1 < n && u[i + 1] >= 0x40 && u[i + 1] <= 0xFE &&
                      u[i + 1] != 0x7F;
    i += pair ? 2 : 1;
  }
  return std::min(i, n);
}
size_t nextDelimiter(const char16_t* s, size_t from, size_t n, char16_t delimiter, bool) {
  while (from < n && s[from] != delimiter) ++from;
  return from;
}

// The quoted field that starts at s[i] into `unquoted` ("" read as one
// quote); returns the index just past its closing quote (len when none).
template <class Unit>
size_t unquoteField(const Unit* s, size_t i, size_t len, std::basic_string<Unit>& unquoted) {
  constexpr Unit QUOTE = '"';
  unquoted.clear();
  size_t j = i + 1;
  while (j < len) {
    if (s[j] == QUOTE) {
      if (j + 1 < len && s[j + 1] == QUOTE) {
        unquoted.push_back(QUOTE);
        j += 2;
        continue;
      }
      return j + 1;
    }
    const size_t q = std::basic_string_view<Unit>(s + j, len - j).find(QUOTE);
    const size_t run = q == std::basic_string_view<Unit>::npos ? len - j : q;
    unquoted.append(s + j, run);
    j += run;
  }
  return j;
}

// The next cell of the record being typed: cells[typed++], `cells` grown
// when full. Typed in place: a cell built aside and copied in would be read
// back right after its parts were stored, which stalls the copy.
inline Cell& nextCell(std::vector<Cell>& cells, size_t& typed) {
  if (typed == cells.size()) cells.resize(typed * 2 + 16);
  return cells[typed++];
}

// Splits the record as BasicCsvStream::splitLine does, typing each field into
// cells[0, typed) with typer.type(field, length, cell, column) (`cells` grows
// as needed and never shrinks). False on a key that cannot be used.
template <class Unit, class Typer>
bool typeRecord(const Unit* s, size_t len, Unit delimiter, bool quotes, bool doubleByte, Typer& typer,
                std::basic_string<Unit>& unquoted, std::vector<Cell>& cells, size_t& typed) {
  typed = 0;
  size_t i = 0;
  while (i < len) {
    size_t j;
    bool ok;
    Cell& cell = nextCell(cells, typed);
    if (quotes && s[i] == Unit('"')) {
      j = nextDelimiter(s, unquoteField(s, i, len, unquoted), len, delimiter, doubleByte);
      ok = typer.type(unquoted.data(), unquoted.size(), cell, typed - 1);
    } else {
      j = nextDelimiter(s, i, len, delimiter, doubleByte);
      ok = typer.type(s + i, j - i, cell, typed - 1);
    }
    if (!ok) return false;
    if (j >= len) break;
    if (j + 1 == len) {  // a delimiter ends the record: one more empty field
      nextCell(cells, typed) = Cell{};
      break;
    }
    i = j + 1;
  }
  return true;
}

// typeRecord for bytes without double-byte characters, the fields cut by
// `marks` (scratch): an unquoted field is typed with typer.type(field,
// length, cut, cell, column), cut indexing its first NUL or high byte
// (length when none).
template <class Typer>
bool typeMarkedRecord(const char* s, size_t len, char delimiter, bool quotes, Typer& typer, std::string& unquoted,
                      std::vector<Cell>& cells, size_t& typed, ByteMarks& marks) {
  marks.mark(s, len, delimiter);
  // A field ends at a delimiter or at the end: room for every field at once.
  if (cells.size() < marks.delimiters() + 2) cells.resize((marks.delimiters() + 2) * 2);
  // Held in locals: the cells' byte-sized kinds may alias anything in memory.
  Cell* out = cells.data();
  const size_t* end = marks.ends();  // the first delimiter at or after i
  const uint64_t* specials = marks.specials();
  size_t t = 0, i = 0;
  while (i < len) {
    size_t j;
    bool ok;
    Cell& cell = out[t++];
    if (quotes && s[i] == '"') {
      j = unquoteField(s, i, len, unquoted);
      while (*end < j) ++end;  // past the delimiters inside the quotes
      j = *end;
      ok = typer.type(unquoted.data(), unquoted.size(), cell, t - 1);
    } else {
      j = *end;
      ok = typer.type(s + i, j - i, ByteMarks::firstSpecial(specials, i, j) - i, cell, t - 1);
    }
    if (!ok) {
      typed = t;
      return false;
    }
    if (j >= len) break;
    if (j + 1 == len) {  // a delimiter ends the record: one more empty field
      out[t++] = Cell{};
      break;
    }
    ++end;
    i = j + 1;
  }
  typed = t;
  return true;
}
}  // namespace
