// The record of an active column filter: the filtered area and, per filtered column,
// the rows that the column's condition hides. A row is hidden by the filter while any
// column hides it. The record hides nothing itself: the hidden flags live in the
// row-header cells.
#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "store/Range.h"

// One filtered column: its header-cell key (row low 32 bits, column high 32) and the
// rows its condition hides.
struct FilterColumn {
  uint64_t key = 0;
  std::unordered_set<int32_t> rows;
};

class FilterState {
 public:
  Range mRange;  // the filtered area as selected (top 0 whole columns, left 0 whole rows)
  std::unordered_map<uint64_t, FilterColumn> mColumns;  // map key == column's key

  // A state with no columns is an inactive filter.
  bool active() const { return !mColumns.empty(); }

  // This state becomes a copy of `other`; assigning a state to itself does nothing.
  void assign(const FilterState& other);
  // Every row that any column hides, ascending.
  std::set<int32_t> hiddenRows() const;
  // Little-endian: top, left, bottom, right (int32), N (uint64), then per column its key
  // (uint64), n (uint64) and n rows (int32). No columns gives 24 bytes.
  std::string serialize() const;
  // Replaces the range and all columns by those in `bytes`. Reading stops at the end of
  // the bytes: on damaged input the columns read completely are kept and false returned.
  bool deserialize(std::string_view bytes);
  // Same range, same column keys and the same row set per column.
  bool equals(const FilterState& other) const;

  // Row numbers follow rows that move: every held row a becomes map(a); a result below 0
  // (the row left the sheet) or beyond the 32-bit range drops it.
  void remapRows(const std::function<int64_t(int32_t)>& map);
  // Columns from `position` on moved right by `count` (inserted columns).
  void shiftColumns(int32_t position, int32_t count);
  // Columns first..last were deleted: their keys are dropped, later ones move left.
  void dropColumns(int32_t first, int32_t last);
};
