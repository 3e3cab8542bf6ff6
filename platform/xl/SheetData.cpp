#include "platform/xl/SheetData.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace xl::detail {

namespace {

// The position of the first cell whose column is not below col.
template <class Cells>
auto lowerBound(Cells& cells, int col) {
  return std::lower_bound(cells.begin(), cells.end(), col, [](const Cell& c, int k) { return int(c.col) < k; });
}

}  // namespace

const Cell* SheetData::find(int row, int col) const {
  if (row < 0 || col < 0 || row >= int(mRows.size())) return nullptr;
  const auto& cells = mRows[size_t(row)].cells;
  auto it = lowerBound(cells, col);
  if (it == cells.end() || it->col != col) return nullptr;
  return &*it;
}

Cell& SheetData::put(int row, int col) {
  assert(row >= 0 && col >= 0 && col < 65536);
  auto& cells = touchRow(row).cells;
  mBoundsValid = false;
  auto it = lowerBound(cells, col);
  if (it != cells.end() && it->col == col) return *it;
  Cell c;
  c.col = uint16_t(col);
  return *cells.insert(it, c);
}

Cell& SheetData::putInOrder(int row, int col) {
  assert(row >= 0 && col >= 0 && col < 65536);
  auto& cells = touchRow(row).cells;
  if (!cells.empty() && cells.back().col >= col) return put(row, col);
  mBoundsValid = false;
  Cell c;
  c.col = uint16_t(col);
  cells.push_back(c);
  return cells.back();
}

const char16_t* TextArena::add(std::u16string_view s) {
  char16_t* p = reserve(s.size());
  std::copy(s.begin(), s.end(), p);
  return commit(s.size());
}

char16_t* TextArena::reserve(size_t n) {
  if (n > 0xFFFFFFFFu) throw std::length_error("text too long");
  if (mCapacity - mUsed < n + 3) {
    size_t size = std::max(kBlock, n + 3);
    mBlocks.push_back(std::make_unique<char16_t[]>(size));
    mUsed = 0;
    mCapacity = size;
  }
  return mBlocks.back().get() + mUsed + 2;
}

const char16_t* TextArena::commit(size_t n) {
  char16_t* p = mBlocks.back().get() + mUsed;
  p[0] = char16_t(n & 0xFFFF);
  p[1] = char16_t(n >> 16);
  p[n + 2] = 0;
  mUsed += n + 3;
  return p + 2;
}

void TextArena::clear() {
  mBlocks.clear();
  mBlocks.shrink_to_fit();
  mUsed = mCapacity = 0;
}

void SheetData::setText(Cell& cell, std::u16string_view text) {
  cell.text = mTexts.add(text);
  cell.kind = Kind::String;
  cell.aux = 0;
}

void SheetData::copyFrom(const SheetData& other) {
  mRows = other.mRows;
  mCols = other.mCols;
  defaultHeight = other.defaultHeight;
  defaultWidth = other.defaultWidth;
  mTexts.clear();
  for (auto& row : mRows)
    for (auto& c : row.cells)
      if (c.kind == Kind::String && c.aux == 0) c.text = mTexts.add(TextArena::view(c.text));
  mBoundsValid = false;
}

void SheetData::clear(int rowFirst, int rowLast, int colFirst, int colLast) {
  rowFirst = std::max(rowFirst, 0);
  colFirst = std::max(colFirst, 0);
  rowLast = std::min(rowLast, int(mRows.size()) - 1);
  if (rowFirst > rowLast || colFirst > colLast) return;
  mBoundsValid = false;
  for (int r = rowFirst; r <= rowLast; ++r) {
    auto& cells = mRows[size_t(r)].cells;
    auto from = lowerBound(cells, colFirst);
    auto to = colLast >= 65535 ? cells.end() : lowerBound(cells, colLast + 1);
    cells.erase(from, to);
  }
  bool anyCell = std::any_of(mRows.begin(), mRows.end(), [](const RowInfo& r) { return !r.cells.empty(); });
  if (!anyCell) mTexts.clear();  // nothing refers to a text any more
}

const Bounds& SheetData::bounds() const {
  if (mBoundsValid) return mBounds;
  Bounds b;
  bool any = false;
  int minCol = 0, maxCol = 0;
  for (size_t r = 0; r < mRows.size(); ++r) {
    const auto& cells = mRows[r].cells;
    if (cells.empty()) continue;
    if (!any) {
      b.firstRow = int(r);
      minCol = cells.front().col;
      maxCol = cells.back().col;
      any = true;
    }
    b.lastRow = int(r) + 1;
    minCol = std::min(minCol, int(cells.front().col));
    maxCol = std::max(maxCol, int(cells.back().col));
  }
  if (any) {
    b.firstCol = minCol;
    b.lastCol = maxCol + 1;
  }
  mBounds = b;
  mBoundsValid = true;
  return mBounds;
}

RowInfo* SheetData::rowInfo(int row) { return row >= 0 && row < int(mRows.size()) ? &mRows[size_t(row)] : nullptr; }

const RowInfo* SheetData::rowInfo(int row) const {
  return row >= 0 && row < int(mRows.size()) ? &mRows[size_t(row)] : nullptr;
}

RowInfo& SheetData::touchRow(int row) {
  assert(row >= 0);
  if (size_t(row) >= mRows.size()) mRows.resize(size_t(row) + 1);
  return mRows[size_t(row)];
}

ColInfo* SheetData::colInfo(int col) { return col >= 0 && col < int(mCols.size()) ? &mCols[size_t(col)] : nullptr; }

const ColInfo* SheetData::colInfo(int col) const {
  return col >= 0 && col < int(mCols.size()) ? &mCols[size_t(col)] : nullptr;
}

ColInfo& SheetData::touchCol(int col) {
  assert(col >= 0 && col < 65536);
  if (size_t(col) >= mCols.size()) mCols.resize(size_t(col) + 1);
  return mCols[size_t(col)];
}

}  // namespace xl::detail
