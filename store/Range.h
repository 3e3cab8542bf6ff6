// Cell bounds and the user's selection.
#pragma once
#include <algorithm>
#include <cstdint>

#include "store/Cell.h"

// Inclusive bounds: a one-cell range has top == bottom and left == right.
struct Range {
  int32_t top = 0;
  int32_t left = 0;
  int32_t bottom = 0;
  int32_t right = 0;

  bool operator==(const Range&) const = default;
};

// The anchor is the cell where the selection began. In `range`, top 0 means whole
// columns, left 0 whole rows, both 0 the whole sheet; a negative top or left stands for
// the single cell (1, 1).
struct Selection {
  int32_t anchorRow = 0;
  int32_t anchorCol = 0;
  Range range;

  // Concrete data-cell bounds on a sheet with the given counts (row 0 and column 0 are
  // headers, so the last data row is mRowCount - 1). The result is empty (bottom < top)
  // when the sheet has no data rows.
  Range toRange(const DocHeader& sheet) const {
    if (range.top < 0 || range.left < 0) return Range{1, 1, 1, 1};
    const int32_t rows = static_cast<int32_t>(static_cast<uint32_t>(sheet.mRowCount));
    const int32_t cols = static_cast<int32_t>(static_cast<uint32_t>(sheet.mColCount));
    Range r;
    r.top = range.top == 0 ? 1 : range.top;
    r.bottom = range.top == 0 ? rows - 1 : range.bottom;
    r.left = range.left == 0 ? 1 : range.left;
    r.right = range.left == 0 ? cols - 1 : range.right;
    return r;
  }

  // Extends the selection from its anchor to `corner` (row in the low 32 bits, column in
  // the high 32). Whole-row and whole-column selections stay so; an anchor of (0, 0)
  // leaves the selection unchanged.
  void extendTo(uint64_t corner) {
    if (anchorRow == 0 && anchorCol == 0) return;
    int32_t row = posRow(corner);
    int32_t col = posCol(corner);
    if (anchorRow != 0 && row == 0) row = 1;
    if (anchorCol != 0 && col == 0) col = 1;
    range.top = std::min(anchorRow, row);
    range.bottom = std::max(anchorRow, row);
    range.left = std::min(anchorCol, col);
    range.right = std::max(anchorCol, col);
  }
};
