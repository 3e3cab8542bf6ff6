// The record splitter of the parallel import: typeRecord splits one record
// into its fields as BasicCsvStream::splitLine does and hands each field to a
// typer, which makes its cell in place; nextDelimiter finds where a field
// ends.
//
// Invariants: a record with n delimiters outside quotes gives n + 1 fields
// (so one that ends the record gives an empty last field), an empty record
// none; a quoted field reaches the typer unquoted ("" read as one quote), and
// what follows its closing quote up to the next delimiter is dropped. In a
// double-byte ANSI file a delimiter byte that trails a lead byte is never a
// delimiter.
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

#include "store/Cell.h"

namespace {

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

// Splits the record as BasicCsvStream::splitLine does, typing each field into
// cells[0, typed) with typer.type(field, length, cell, column) (`cells` grows
// as needed and never shrinks). False on a key that cannot be used.
template <class Unit, class Typer>
bool typeRecord(const Unit* s, size_t len, Unit delimiter, bool quotes, bool doubleByte, Typer& typer,
                std::basic_string<Unit>& unquoted, std::vector<Cell>& cells, size_t& typed) {
  constexpr Unit QUOTE = '"';
  typed = 0;
  auto next = [&]() -> Cell& {
    if (typed == cells.size()) cells.resize(typed * 2 + 16);
    return cells[typed++];
  };
  size_t i = 0;
  while (i < len) {
    size_t j;
    bool ok;
    // Typed in place: a cell built aside and copied in would be read back
    // right after its parts were stored, which stalls the copy.
    Cell& cell = next();
    if (quotes && s[i] == QUOTE) {
      unquoted.clear();
      j = i + 1;
      while (j < len) {
        if (s[j] == QUOTE) {
          if (j + 1 < len && s[j + 1] == QUOTE) {
            unquoted.push_back(QUOTE);
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        const size_t q = std::basic_string_view<Unit>(s + j, len - j).find(QUOTE);
        const size_t run = q == std::basic_string_view<Unit>::npos ? len - j : q;
        unquoted.append(s + j, run);
        j += run;
      }
      j = nextDelimiter(s, j, len, delimiter, doubleByte);
      ok = typer.type(unquoted.data(), unquoted.size(), cell, typed - 1);
    } else {
      j = nextDelimiter(s, i, len, delimiter, doubleByte);
      ok = typer.type(s + i, j - i, cell, typed - 1);
    }
    if (!ok) return false;
    if (j >= len) break;
    if (j + 1 == len) {  // a delimiter ends the record: one more empty field
      next() = Cell{};
      break;
    }
    i = j + 1;
  }
  return true;
}
}  // namespace
