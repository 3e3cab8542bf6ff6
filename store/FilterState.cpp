#include "store/FilterState.h"

#include <cstring>
#include <vector>

namespace {

template <class T>
void putLE(std::string& out, T v) {
  char b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));  // the program runs on little-endian machines only
  out.append(b, sizeof(T));
}

// Reads a T at `at` and advances; false (nothing read) when the bytes end first.
template <class T>
bool getLE(std::string_view bytes, size_t& at, T& v) {
  if (at > bytes.size() || bytes.size() - at < sizeof(T)) return false;
  std::memcpy(&v, bytes.data() + at, sizeof(T));
  at += sizeof(T);
  return true;
}

}  // namespace

void FilterState::assign(const FilterState& other) {
  if (this == &other) return;
  mRange = other.mRange;
  mColumns = other.mColumns;
}

std::set<int32_t> FilterState::hiddenRows() const {
  std::set<int32_t> rows;
  for (const auto& [key, column] : mColumns) rows.insert(column.rows.begin(), column.rows.end());
  return rows;
}

std::string FilterState::serialize() const {
  std::string out;
  size_t size = 24;
  for (const auto& [key, column] : mColumns) size += 16 + 4 * column.rows.size();
  out.reserve(size);
  putLE(out, mRange.top);
  putLE(out, mRange.left);
  putLE(out, mRange.bottom);
  putLE(out, mRange.right);
  putLE(out, uint64_t(mColumns.size()));
  for (const auto& [key, column] : mColumns) {
    putLE(out, column.key);
    putLE(out, uint64_t(column.rows.size()));
    for (int32_t row : column.rows) putLE(out, row);
  }
  return out;
}

bool FilterState::deserialize(std::string_view bytes) {
  mColumns.clear();
  size_t at = 0;
  Range range;
  if (!getLE(bytes, at, range.top) || !getLE(bytes, at, range.left) || !getLE(bytes, at, range.bottom) ||
      !getLE(bytes, at, range.right)) {
    return false;
  }
  mRange = range;
  uint64_t columns = 0;
  if (!getLE(bytes, at, columns)) return false;
  // Counts come from a file: never trust them for sizes, only as loop bounds.
  for (uint64_t c = 0; c < columns; ++c) {
    FilterColumn column;
    uint64_t rows = 0;
    if (!getLE(bytes, at, column.key) || !getLE(bytes, at, rows)) return false;
    if (rows > (bytes.size() - at) / 4) return false;
    for (uint64_t r = 0; r < rows; ++r) {
      int32_t row;
      getLE(bytes, at, row);
      column.rows.insert(row);
    }
    uint64_t key = column.key;
    mColumns[key] = std::move(column);
  }
  return true;
}

bool FilterState::equals(const FilterState& other) const {
  if (!(mRange == other.mRange) || mColumns.size() != other.mColumns.size()) return false;
  for (const auto& [key, column] : mColumns) {
    auto it = other.mColumns.find(key);
    if (it == other.mColumns.end() || it->second.key != column.key || it->second.rows != column.rows) {
      return false;
    }
  }
  return true;
}

void FilterState::remapRows(const std::function<int64_t(int32_t)>& map) {
  for (auto& [key, column] : mColumns) {
    std::unordered_set<int32_t> moved;
    moved.reserve(column.rows.size());
    for (int32_t row : column.rows) {
      int64_t to = map(row);
      if (to >= 0 && to <= INT32_MAX) moved.insert(int32_t(to));
    }
    column.rows.swap(moved);
  }
}

namespace {

// Rebuilds the column map with every key passed through `rekey`; a result of 0 drops it.
template <class F>
void rekeyColumns(std::unordered_map<uint64_t, FilterColumn>& columns, F rekey) {
  std::unordered_map<uint64_t, FilterColumn> out;
  for (auto& [key, column] : columns) {
    uint64_t to = rekey(key);
    if (to == 0) continue;
    column.key = to;
    out[to] = std::move(column);
  }
  columns.swap(out);
}

}  // namespace

void FilterState::shiftColumns(int32_t position, int32_t count) {
  if (count <= 0) return;
  rekeyColumns(mColumns, [&](uint64_t key) -> uint64_t {
    int64_t col = posCol(key);
    if (col < position) return key;
    if (col + count > INT32_MAX) return uint64_t(0);  // pushed beyond any column
    return cellPos(posRow(key), int32_t(col + count));
  });
}

void FilterState::dropColumns(int32_t first, int32_t last) {
  if (first > last) return;
  const int32_t n = last - first + 1;
  rekeyColumns(mColumns, [&](uint64_t key) -> uint64_t {
    int32_t col = posCol(key);
    if (col < first) return key;
    if (col <= last) return 0;
    return cellPos(posRow(key), col - n);
  });
}
