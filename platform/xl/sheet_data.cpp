#include "platform/xl/sheet_data.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace xl::detail {

namespace {

// The position of the first cell whose column is not below col.
template <class Cells>
auto lowerBound(Cells& cells, int col) {
  return std::lower_bound(cells.begin(), cells.end(), col,
                          [](const Cell& c, int k) { return int(c.col) < k; });
}

}  // namespace

const Cell* SheetData::find(int row, int col) const {
  if (row < 0 || col < 0 || row >= int(rows_.size())) return nullptr;
  const auto& cells = rows_[size_t(row)].cells;
  auto it = lowerBound(cells, col);
  if (it == cells.end() || it->col != col) return nullptr;
  return &*it;
}

Cell& SheetData::put(int row, int col) {
  assert(row >= 0 && col >= 0 && col < 65536);
  auto& cells = touchRow(row).cells;
  boundsValid_ = false;
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
  boundsValid_ = false;
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
  if (capacity_ - used_ < n + 3) {
    size_t size = std::max(kBlock, n + 3);
    blocks_.push_back(std::make_unique<char16_t[]>(size));
    used_ = 0;
    capacity_ = size;
  }
  return blocks_.back().get() + used_ + 2;
}

const char16_t* TextArena::commit(size_t n) {
  char16_t* p = blocks_.back().get() + used_;
  p[0] = char16_t(n & 0xFFFF);
  p[1] = char16_t(n >> 16);
  p[n + 2] = 0;
  used_ += n + 3;
  return p + 2;
}

void TextArena::clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  used_ = capacity_ = 0;
}

void SheetData::setText(Cell& cell, std::u16string_view text) {
  cell.text = texts_.add(text);
  cell.kind = Kind::String;
  cell.aux = 0;
}

void SheetData::copyFrom(const SheetData& other) {
  rows_ = other.rows_;
  cols_ = other.cols_;
  defaultHeight = other.defaultHeight;
  defaultWidth = other.defaultWidth;
  texts_.clear();
  for (auto& row : rows_)
    for (auto& c : row.cells)
      if (c.kind == Kind::String && c.aux == 0) c.text = texts_.add(TextArena::view(c.text));
  boundsValid_ = false;
}

void SheetData::clear(int rowFirst, int rowLast, int colFirst, int colLast) {
  rowFirst = std::max(rowFirst, 0);
  colFirst = std::max(colFirst, 0);
  rowLast = std::min(rowLast, int(rows_.size()) - 1);
  if (rowFirst > rowLast || colFirst > colLast) return;
  boundsValid_ = false;
  for (int r = rowFirst; r <= rowLast; ++r) {
    auto& cells = rows_[size_t(r)].cells;
    auto from = lowerBound(cells, colFirst);
    auto to = colLast >= 65535 ? cells.end() : lowerBound(cells, colLast + 1);
    cells.erase(from, to);
  }
  bool anyCell = std::any_of(rows_.begin(), rows_.end(),
                             [](const RowInfo& r) { return !r.cells.empty(); });
  if (!anyCell) texts_.clear();  // nothing refers to a text any more
}

const Bounds& SheetData::bounds() const {
  if (boundsValid_) return bounds_;
  Bounds b;
  bool any = false;
  int minCol = 0, maxCol = 0;
  for (size_t r = 0; r < rows_.size(); ++r) {
    const auto& cells = rows_[r].cells;
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
  bounds_ = b;
  boundsValid_ = true;
  return bounds_;
}

RowInfo* SheetData::rowInfo(int row) {
  return row >= 0 && row < int(rows_.size()) ? &rows_[size_t(row)] : nullptr;
}

const RowInfo* SheetData::rowInfo(int row) const {
  return row >= 0 && row < int(rows_.size()) ? &rows_[size_t(row)] : nullptr;
}

RowInfo& SheetData::touchRow(int row) {
  assert(row >= 0);
  if (size_t(row) >= rows_.size()) rows_.resize(size_t(row) + 1);
  return rows_[size_t(row)];
}

ColInfo* SheetData::colInfo(int col) {
  return col >= 0 && col < int(cols_.size()) ? &cols_[size_t(col)] : nullptr;
}

const ColInfo* SheetData::colInfo(int col) const {
  return col >= 0 && col < int(cols_.size()) ? &cols_[size_t(col)] : nullptr;
}

ColInfo& SheetData::touchCol(int col) {
  assert(col >= 0 && col < 65536);
  if (size_t(col) >= cols_.size()) cols_.resize(size_t(col) + 1);
  return cols_[size_t(col)];
}

}  // namespace xl::detail
