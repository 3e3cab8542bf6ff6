// RecordWriter: builds the little-endian command records that serialize() returns.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/CellRecord.h"
#include "store/Cell.h"
#include "store/Range.h"
#include "store/TextMap.h"

class RecordWriter {
 public:
  void u8(uint8_t v) { mBytes.push_back(static_cast<char>(v)); }
  void u32(uint32_t v) { put(v, 4); }
  void i32(int32_t v) { put(static_cast<uint32_t>(v), 4); }
  void u64(uint64_t v) { put(v, 8); }
  void i64(int64_t v) { put(static_cast<uint64_t>(v), 8); }
  void zeros(size_t n) { mBytes.append(n, '\0'); }
  void bytes(std::string_view b) { mBytes.append(b); }
  // 18 bytes: row, column, kind, flag, value.
  void cell(int32_t row, int32_t col, const Cell& c) {
    i32(row);
    i32(col);
    u8(c.kind);
    u8(c.flag);
    u64(c.value);
  }
  void cell(const CellRecord& r) { cell(r.row, r.col, r.cell); }
  // 24 bytes: anchor row, anchor column, top, left, bottom, right.
  void selection(const Selection& s) {
    i32(s.anchorRow);
    i32(s.anchorCol);
    i32(s.range.top);
    i32(s.range.left);
    i32(s.range.bottom);
    i32(s.range.right);
  }
  // For each entry: key, byte length, bytes (in the map's iteration order).
  void textTable(const TextMap& texts) {
    for (const auto& [key, b] : texts) {
      u64(key);
      u64(b.size());
      bytes(b);
    }
  }
  size_t size() const { return mBytes.size(); }
  std::string take() { return std::move(mBytes); }

 private:
  void put(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) mBytes.push_back(static_cast<char>(v >> (8 * i)));
  }
  std::string mBytes;
};
