// Structure changes of CDataCore: resize, row and column inserts, column deletes, taking
// rows out and putting them back, and row permutations. Rows move as pointers; every
// dropped cell is cleared so the pool's counts stay right; the filter's row sets and
// column keys follow the rows and columns they name.
//
// Failure: every fallible allocation is made before the sheet changes (or undone before
// the exception leaves), so a throwing call leaves the sheet as it was.
#include <algorithm>
#include <cstring>
#include <string>

#include "store/Alloc.h"
#include "store/DataCore.h"
#include "store/LargeBlock.h"

namespace {

constexpr int64_t MAX_COUNT = INT32_MAX;  // rows and columns are addressed by int32

[[noreturn]] void throwRowError(const char* prefix, int64_t row, uint64_t cells) {
  throw std::string(prefix) + std::to_string(row) + ",len-" + std::to_string(cells * sizeof(Cell)) +
      " memery malloc error!";
}

// Frees rows allocated for an operation that then failed.
void freeRows(std::vector<Cell*>& rows) {
  for (Cell* r : rows) rowalloc::freeRow(r);
  rows.clear();
}

}  // namespace

// Clears cells firstCol..endCol-1 of one row (texts released, formula values dropped).
void CDataCore::clearRowCells(int64_t row, int64_t firstCol, int64_t endCol) {
  Cell* cells = mDatas[row];
  for (int64_t c = firstCol; c < endCol; ++c) {
    releaseValue(cells[c], int32_t(row), int32_t(c));
    cells[c] = Cell{};
  }
}

void CDataCore::createData(int32_t rows, int32_t cols) {
  beforeChange();
  if (rows <= 0 || cols <= 0) return;
  if (mRowCount != 0) {
    resize(rows, cols);
    return;
  }
  Cell** array = rowalloc::allocArray(size_t(rows));
  if (!array) throw "CDataGrid::createData:mDatas malloc error!";
  for (int32_t r = 0; r < rows; ++r) {
    array[r] = rowalloc::allocRow(size_t(cols));
    if (!array[r]) {
      for (int32_t k = 0; k < r; ++k) rowalloc::freeRow(array[k]);
      rowalloc::freeArray(array);
      throwRowError("CDataGrid::createData: row-", r, uint64_t(cols));
    }
  }
  mDatas = array;
  mRowCount = uint64_t(rows);
  mColCount = uint64_t(cols);
}

void CDataCore::resize(int32_t rows, int32_t cols) {
  beforeChange();
  if (rows < 0 || cols < 0) return;
  if (mRowCount == 0) {
    createData(rows, cols);
    return;
  }
  if (rows == 0 || cols == 0) {
    for (uint64_t r = 0; r < mRowCount; ++r) clearRowCells(int64_t(r), 0, int64_t(mColCount));
    freeAllRows();
    mRowCount = 0;
    mColCount = 0;
    return;
  }
  const int64_t oldRows = int64_t(mRowCount), oldCols = int64_t(mColCount);
  const int64_t keep = std::min<int64_t>(oldRows, rows);
  // 1. Widen the rows that stay (undone on any later failure).
  int64_t widened = 0;
  auto unwiden = [&] {
    for (int64_t r = 0; r < widened; ++r)
      mDatas[r] = rowalloc::reallocRow(mDatas[r], size_t(cols), size_t(oldCols));
  };
  if (cols > oldCols) {
    for (; widened < keep; ++widened) {
      Cell* row = rowalloc::reallocRow(mDatas[widened], size_t(oldCols), size_t(cols));
      if (!row) {
        int64_t failed = widened;
        unwiden();
        throwRowError("CDataGrid::resize: row-", failed, uint64_t(cols));
      }
      mDatas[widened] = row;
    }
  }
  // 2. Grow the row array and make the new rows.
  std::vector<Cell*> added;
  if (rows > oldRows) {
    Cell** array = rowalloc::reallocArray(mDatas, size_t(oldRows), size_t(rows));
    if (!array) {
      unwiden();
      throw "CDataGrid::resize:mDatas memery malloc error!";
    }
    mDatas = array;  // larger block, same rows: the sheet is unchanged so far
    added.reserve(size_t(rows - oldRows));
    for (int64_t r = oldRows; r < rows; ++r) {
      Cell* row = rowalloc::allocRow(size_t(cols));
      if (!row) {
        freeRows(added);
        unwiden();
        throwRowError("CDataGrid::resize: row-", r, uint64_t(cols));
      }
      added.push_back(row);
    }
  }
  // 3. Nothing can fail from here on.
  if (cols < oldCols) {
    for (int64_t r = 0; r < keep; ++r) {
      clearRowCells(r, cols, oldCols);
      mDatas[r] = rowalloc::reallocRow(mDatas[r], size_t(oldCols), size_t(cols));
    }
  }
  if (rows < oldRows) {
    for (int64_t r = rows; r < oldRows; ++r) {
      clearRowCells(r, 0, oldCols);
      rowalloc::freeRow(mDatas[r]);
    }
    mDatas = rowalloc::reallocArray(mDatas, size_t(oldRows), size_t(rows));
  }
  for (size_t i = 0; i < added.size(); ++i) mDatas[oldRows + int64_t(i)] = added[i];
  mRowCount = uint64_t(rows);
  mColCount = uint64_t(cols);
}

void CDataCore::insertRow(int32_t position, int32_t count) {
  beforeChange();
  if (count <= 0 || position < 0) return;
  const int64_t oldRows = int64_t(mRowCount);
  const int64_t p = std::min<int64_t>(position, oldRows);
  if (oldRows + count > MAX_COUNT) throw "CDataGrid::insertRow:mDatas memery malloc error!";
  Cell** array = rowalloc::reallocArray(mDatas, size_t(oldRows), size_t(oldRows + count));
  if (!array) throw "CDataGrid::insertRow:mDatas memery malloc error!";
  mDatas = array;
  std::vector<Cell*> added;
  added.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    Cell* row = rowalloc::allocRow(size_t(mColCount));
    if (!row) {
      freeRows(added);
      throwRowError("CDataGrid::insertRow: row-", p, mColCount);
    }
    added.push_back(row);
  }
  std::memmove(mDatas + p + count, mDatas + p, size_t(oldRows - p) * sizeof(Cell*));
  std::copy(added.begin(), added.end(), mDatas + p);
  mRowCount = uint64_t(oldRows + count);
  mFilter.remapRows([&](int32_t a) { return a >= p ? int64_t(a) + count : int64_t(a); });
}

// Filter rows after rows were inserted at the final positions p0 < p1 < ...: an old row a
// becomes a + k, k counting the positions pj with pj - j <= a.
void CDataCore::remapFilterAfterInsert(const std::vector<int32_t>& sorted) {
  if (!mFilter.active()) return;
  std::vector<int64_t> shifted(sorted.size());
  for (size_t j = 0; j < sorted.size(); ++j) shifted[j] = int64_t(sorted[j]) - int64_t(j);
  mFilter.remapRows([&](int32_t a) {
    auto k = std::upper_bound(shifted.begin(), shifted.end(), int64_t(a)) - shifted.begin();
    return int64_t(a) + k;
  });
}

bool CDataCore::insertRow1(const std::vector<int32_t>& rows) {
  beforeChange();
  if (rows.empty()) return true;
  std::vector<int32_t> sorted(rows);
  std::sort(sorted.begin(), sorted.end());
  const int64_t n = int64_t(sorted.size());
  const int64_t total = int64_t(mRowCount) + n;
  if (total > MAX_COUNT || sorted.front() < 0 || sorted.back() >= total ||
      std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
    return false;
  }
  Cell** array = rowalloc::allocArray(size_t(total));
  if (!array) throw "CDataGrid::insertRow1:mDatas memery malloc error!";
  std::vector<Cell*> added;
  added.reserve(size_t(n));
  for (int32_t p : sorted) {
    Cell* row = rowalloc::allocRow(size_t(mColCount));
    if (!row) {
      freeRows(added);
      rowalloc::freeArray(array);
      throwRowError("CDataGrid::insertRow1: row-", p, mColCount);
    }
    added.push_back(row);
  }
  // One pass from the top: listed positions take the new rows, the old rows the rest.
  int64_t next = 0, old = 0;
  for (int64_t i = 0; i < total; ++i) {
    if (next < n && sorted[size_t(next)] == i) array[i] = added[size_t(next++)];
    else array[i] = mDatas[old++];
  }
  rowalloc::freeArray(mDatas);
  mDatas = array;
  mRowCount = uint64_t(total);
  remapFilterAfterInsert(sorted);
  return true;
}

int32_t CDataCore::insertCol(int32_t position, int32_t count) {
  beforeChange();
  const int64_t oldCols = int64_t(mColCount);
  if (count <= 0) return int32_t(oldCols);
  const int64_t newCols = oldCols + count;
  if (newCols > MAX_COUNT) throwRowError("CDataGrid::insertCol: row-", 0, uint64_t(newCols));
  const int64_t p = std::clamp<int64_t>(position, 0, oldCols);
  const size_t moved = size_t(oldCols - p);
  for (uint64_t r = 0; r < mRowCount; ++r) {
    Cell* row = rowalloc::reallocRow(mDatas[r], size_t(oldCols), size_t(newCols));
    if (!row) {
      for (uint64_t k = 0; k < r; ++k) {  // undo the rows already widened
        std::memmove(mDatas[k] + p, mDatas[k] + p + count, moved * sizeof(Cell));
        mDatas[k] = rowalloc::reallocRow(mDatas[k], size_t(newCols), size_t(oldCols));
      }
      throwRowError("CDataGrid::insertCol: row-", int64_t(r), uint64_t(newCols));
    }
    std::memmove(row + p + count, row + p, moved * sizeof(Cell));
    std::memset(static_cast<void*>(row + p), 0, size_t(count) * sizeof(Cell));
    mDatas[r] = row;
  }
  mColCount = uint64_t(newCols);
  mFilter.shiftColumns(int32_t(p), count);
  return int32_t(newCols);
}

void CDataCore::deleteCols(int32_t first, int32_t last) {
  beforeChange();
  const int64_t oldCols = int64_t(mColCount);
  if (last < 0 || last >= oldCols || first < 0 || first > last) return;
  for (uint64_t r = 0; r < mRowCount; ++r) clearRowCells(int64_t(r), first, int64_t(last) + 1);
  if (first == 0 && last == oldCols - 1) {
    freeAllRows();
    mRowCount = 0;
    mColCount = 0;
    mFilter.mColumns.clear();
    return;
  }
  const int64_t n = int64_t(last) - first + 1;
  for (uint64_t r = 0; r < mRowCount; ++r) {
    Cell* row = mDatas[r];
    std::memmove(row + first, row + last + 1, size_t(oldCols - last - 1) * sizeof(Cell));
    mDatas[r] = rowalloc::reallocRow(row, size_t(oldCols), size_t(oldCols - n));
  }
  mColCount = uint64_t(oldCols - n);
  mFilter.dropColumns(first, last);
}

int32_t CDataCore::removeVisibleRows(int32_t first, int32_t last) {
  beforeChange();
  const int64_t rows = int64_t(mRowCount);
  if (mColCount == 0 || rows == 0) return 0;
  const int64_t from = std::max<int32_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, rows - 1);
  if (from > to) return 0;
  std::vector<int32_t> taken;
  int64_t w = from;
  for (int64_t r = from; r < rows; ++r) {
    Cell* row = mDatas[r];
    if (r <= to && row[0].flag == 0) taken.push_back(int32_t(r));  // the caller holds this row
    else mDatas[w++] = row;
  }
  if (taken.empty()) return 0;
  mRowCount = uint64_t(w);
  if (w == 0) {
    rowalloc::freeArray(mDatas);
    mDatas = nullptr;
  } else {
    mDatas = rowalloc::reallocArray(mDatas, size_t(rows), size_t(w));
  }
  if (mFilter.active()) {
    mFilter.remapRows([&](int32_t a) -> int64_t {
      auto below = std::lower_bound(taken.begin(), taken.end(), a);
      if (below != taken.end() && *below == a) return -1;  // taken out: dropped
      return int64_t(a) - (below - taken.begin());
    });
  }
  return int32_t(taken.size());
}

bool CDataCore::restoreRows(const RowMap& saved) {
  beforeChange();
  if (saved.empty()) return true;
  const int64_t n = int64_t(saved.size());
  const int64_t total = int64_t(mRowCount) + n;
  if (total > MAX_COUNT || saved.begin()->first < 0 || saved.rbegin()->first >= total) return false;
  for (const auto& [row, cells] : saved)
    if (!cells) return false;
  Cell** array = rowalloc::allocArray(size_t(total));
  if (!array) throw "CDataGrid::restoreRows:mDatas memery malloc error!";
  auto it = saved.begin();
  int64_t old = 0;
  for (int64_t i = 0; i < total; ++i) {
    if (it != saved.end() && it->first == i) array[i] = (it++)->second;
    else array[i] = mDatas[old++];
  }
  rowalloc::freeArray(mDatas);
  mDatas = array;
  mRowCount = uint64_t(total);
  std::vector<int32_t> positions;
  positions.reserve(saved.size());
  for (const auto& entry : saved) positions.push_back(entry.first);
  remapFilterAfterInsert(positions);
  return true;
}

bool CDataCore::permuteRows(const Range& range, const std::vector<int32_t>& order, bool forward) {
  beforeChange();
  const int64_t rows = int64_t(mRowCount);
  if (int64_t(range.bottom) >= int64_t(int32_t(uint32_t(mRowCount)))) return false;
  const int64_t n = int64_t(order.size());
  if (n == 0) return true;
  const int64_t top = range.top;
  if (top < 0 || top + n > rows) return false;
  // `order` must be a permutation of the block's rows, or rows would be lost or doubled.
  std::vector<bool> seen(static_cast<size_t>(n), false);
  for (int32_t o : order) {
    if (o < top || o >= top + n || seen[size_t(o - top)]) return false;
    seen[size_t(o - top)] = true;
  }
  // dest[i]: the new row number of the block's old row top + i.
  largeblock::Array<int32_t> dest(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    if (forward) dest[size_t(order[size_t(i)] - top)] = int32_t(top + i);
    else dest[size_t(i)] = order[size_t(i)];
  }
  if (range.left == 0) {
    largeblock::Array<Cell*> moved(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) moved[size_t(dest[size_t(i)] - top)] = mDatas[top + i];
    std::copy(moved.data(), moved.data() + n, mDatas + top);
    // Hidden-row sets travel with their rows, like the hidden flags in column 0.
    if (mFilter.active()) {
      mFilter.remapRows([&](int32_t a) -> int64_t { return a >= top && a < top + n ? dest[size_t(a - top)] : a; });
    }
    return true;
  }
  const int64_t left = std::max<int32_t>(range.left, 1);
  const int64_t right = std::min<int64_t>(range.right, int64_t(mColCount) - 1);
  std::vector<Cell> buffer(static_cast<size_t>(n));
  for (int64_t c = left; c <= right; ++c) {
    for (int64_t i = 0; i < n; ++i) buffer[size_t(dest[size_t(i)] - top)] = mDatas[top + i][c];
    for (int64_t i = 0; i < n; ++i) mDatas[top + i][c] = buffer[size_t(i)];
  }
  return true;
}
