// Runs of consecutive rows of no height (filtered out, hidden, or of a negative stored
// height), so that walks over rows step over long hidden stretches at once instead of
// visiting each hidden row. Only runs of at least kMinRun rows are kept: shorter ones are
// cheaper to walk, and the table stays small however the rows alternate.
//
// Invariants: mRuns is sorted, its runs are disjoint, each holds at least kMinRun rows and
// each of its rows had no height when the runs were built. The owner rebuilds the runs
// whenever heights or hidden flags may have changed.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

class HiddenRowRuns {
 public:
  static constexpr int32_t kMinRun = 16;

  // Rebuilds from heightOf(r) for the rows 1 .. rows - 1; returns the sum of their heights.
  template <typename HeightOf>
  int64_t build(int32_t rows, HeightOf heightOf) {
    mRuns.clear();
    mRows = rows;
    int64_t sum = 0;
    int32_t start = -1;  // first row of the current stretch of rows of no height
    for (int32_t r = 1; r < rows; ++r) {
      const int32_t h = heightOf(r);
      if (h > 0) {
        sum += h;
        closeRun(start, r - 1);
        start = -1;
      } else if (start < 0) {
        start = r;
      }
    }
    closeRun(start, rows - 1);
    mValid = true;
    return sum;
  }

  void invalidate() { mValid = false; }
  // True when built for a sheet of `rows` rows and not invalidated since.
  bool validFor(int32_t rows) const { return mValid && mRows == rows; }

  // The row that follows r in a walk: r + 1, or the row after the run holding r + 1.
  int32_t next(int32_t r) const {
    const auto* run = find(r + 1);
    return run ? run->second + 1 : r + 1;
  }
  // The row that precedes r in a walk: r - 1, or the row before the run holding r - 1.
  int32_t prev(int32_t r) const {
    const auto* run = find(r - 1);
    return run ? run->first - 1 : r - 1;
  }

  const std::vector<std::pair<int32_t, int32_t>>& runs() const { return mRuns; }

 private:
  void closeRun(int32_t first, int32_t last) {
    if (first >= 0 && last - first + 1 >= kMinRun) mRuns.emplace_back(first, last);
  }
  // The run holding row r, or null.
  const std::pair<int32_t, int32_t>* find(int32_t r) const;

  std::vector<std::pair<int32_t, int32_t>> mRuns;  // [first, last] rows, inclusive
  int32_t mRows = -1;                              // row count the runs were built for
  bool mValid = false;
};
