// Visibility of rows and columns, and the walk over the visible cells of a range that
// the edit operations share.
//
// Row r is visible when r is below the row count, the sheet has at least one column and
// the flag of header cell (r, 0) is 0; column c when the sheet has at least one row,
// c is below the column count and the flag of (0, c) is 0.
#pragma once
#include <cstdint>

#include "store/DataCore.h"
#include "store/Range.h"

inline bool rowVisible(const CDataCore& core, int32_t row) {
  return row >= 0 && static_cast<uint64_t>(row) < core.mRowCount && core.mColCount > 0 &&
         core.mDatas[row][0].flag == 0;
}
inline bool colVisible(const CDataCore& core, int32_t col) {
  return col >= 0 && core.mRowCount > 0 && static_cast<uint64_t>(col) < core.mColCount &&
         core.mDatas[0][col].flag == 0;
}

// Calls f(row, col, visibleRow, visibleCol) for every visible cell of `range`, row by
// row from the top, left to right within a row. visibleRow counts the visible rows of
// the range from 0; visibleCol the visible columns within the row from 0.
template <class F>
void forEachVisibleCell(const CDataCore& core, const Range& range, F&& f) {
  int32_t visibleRow = 0;
  for (int64_t r = range.top; r <= range.bottom; ++r) {
    const int32_t row = static_cast<int32_t>(r);
    if (!rowVisible(core, row)) continue;
    int32_t visibleCol = 0;
    for (int64_t c = range.left; c <= range.right; ++c) {
      const int32_t col = static_cast<int32_t>(c);
      if (!colVisible(core, col)) continue;
      f(row, col, visibleRow, visibleCol);
      ++visibleCol;
    }
    ++visibleRow;
  }
}
