#include "grid/FindSearch.h"

#include <algorithm>
#include <vector>

#include "store/Parallel.h"

namespace {

constexpr int64_t ROWS_PER_THREAD = 16384;  // one batch: this many rows for each thread
constexpr size_t MIN_ROWS_PER_THREAD = 2048;

// Scans [first, end) sequentially in the given direction and stops at the first cell that
// matches or on which the engine gives up.
FindHit scan(const CDataCore& core, const FindPattern& pattern, CRegexMatcher& matcher, std::u16string& scratch,
             CellIndex first, CellIndex end, bool forward) {
  const int64_t cols = static_cast<int64_t>(core.mColCount);
  FindHit hit;
  if (first >= end || cols < 2) return hit;
  auto test = [&](int32_t row, int32_t col, const Cell& cell) {
    RegexStatus s = pattern.match(core, cell, matcher, scratch);
    if (s == RegexStatus::NoMatch) return false;
    hit = FindHit{s, row, col};
    return true;
  };
  if (forward) {
    for (int64_t row = first / cols, col = first % cols; row * cols + col < end; ++row, col = 1) {
      const Cell* cells = core.mDatas[row];
      const int64_t stop = std::min<int64_t>(cols, end - row * cols);
      for (col = std::max<int64_t>(col, 1); col < stop; ++col)
        if (test(int32_t(row), int32_t(col), cells[col])) return hit;
    }
  } else {
    const CellIndex last = end - 1;
    for (int64_t row = last / cols, col = last % cols; row * cols + col >= first; --row, col = cols - 1) {
      const Cell* cells = core.mDatas[row];
      const int64_t stop = std::max<int64_t>(1, first - row * cols);
      for (; col >= stop; --col)
        if (test(int32_t(row), int32_t(col), cells[col])) return hit;
      if (row == 0) break;
    }
  }
  return hit;
}

}  // namespace

FindHit findCell(const CDataCore& core, const FindPattern& pattern, CellIndex first, CellIndex end, bool forward) {
  const int64_t cols = static_cast<int64_t>(core.mColCount);
  const int64_t rows = static_cast<int64_t>(core.mRowCount);
  first = std::max<CellIndex>(first, cols);  // row 0 holds headers
  end = std::min<CellIndex>(end, rows * cols);
  if (cols < 2 || first >= end) return {};
  const int64_t rowSpan = (end - 1) / cols - first / cols + 1;
  const unsigned threads = threadCount(static_cast<size_t>(rowSpan), MIN_ROWS_PER_THREAD);
  std::vector<CRegexMatcher> matchers(threads);
  std::vector<std::u16string> scratch(threads);
  std::vector<FindHit> hits(threads);
  const CellIndex batch = ROWS_PER_THREAD * threads * cols;
  // Batches in walk order; within one, the threads' parts in walk order too, so the first
  // part holding a hit holds the walk's first hit.
  for (CellIndex done = 0; done < end - first; done += batch) {
    const CellIndex a = forward ? first + done : std::max(first, end - done - batch);
    const CellIndex b = forward ? std::min(end, first + done + batch) : end - done;
    parallelChunks(static_cast<size_t>(b - a), threads, [&](unsigned p, size_t from, size_t to) {
      const unsigned part = forward ? p : threads - 1 - p;
      hits[part] = scan(core, pattern, matchers[p], scratch[p], a + CellIndex(from), a + CellIndex(to), forward);
    });
    for (const FindHit& h : hits)
      if (h.status != RegexStatus::NoMatch) return h;
  }
  return {};
}

CountResult countCells(const CDataCore& core, const FindPattern& pattern) {
  const int64_t cols = static_cast<int64_t>(core.mColCount);
  const int64_t rows = static_cast<int64_t>(core.mRowCount);
  CountResult result;
  if (rows < 2 || cols < 2) return result;
  const unsigned threads = threadCount(static_cast<size_t>(rows - 1), MIN_ROWS_PER_THREAD);
  std::vector<CountResult> parts(threads);
  parallelChunks(static_cast<size_t>(rows - 1), threads, [&](unsigned p, size_t from, size_t to) {
    CRegexMatcher matcher;
    std::u16string scratch;
    CountResult& part = parts[p];
    for (int64_t row = 1 + int64_t(from); row < 1 + int64_t(to); ++row) {
      const Cell* cells = core.mDatas[row];
      for (int64_t col = 1; col < cols; ++col) {
        RegexStatus s = pattern.match(core, cells[col], matcher, scratch);
        if (s == RegexStatus::Match) {
          ++part.count;
        } else if (s == RegexStatus::Limit) {
          part.limit = FindHit{s, int32_t(row), int32_t(col)};
          return;
        }
      }
    }
  });
  for (const CountResult& part : parts) {
    result.count += part.count;
    if (part.limit.status == RegexStatus::Limit && result.limit.status != RegexStatus::Limit)
      result.limit = part.limit;
  }
  return result;
}
