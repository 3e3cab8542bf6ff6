// The statistics formulas: sum, average, count, maximum or minimum of the selection's
// visible cells, written below or beside the selection as one cell command (after the
// sheet has grown by a command of its own when the results need a new row or column).
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "commands/CellAction.h"
#include "commands/VisibleCells.h"
#include "grid/Grid.h"

std::array<double, 5> CGrid::columnStats(Range range) const {
  double sum = 0, count = 0;
  double maximum = -std::numeric_limits<double>::max(), minimum = std::numeric_limits<double>::max();
  for (int64_t r = range.bottom; r >= range.top; --r) {
    const int32_t row = static_cast<int32_t>(r);
    if (!rowVisible(mCore, row)) continue;
    for (int64_t c = range.right; c >= range.left; --c) {
      const int32_t col = static_cast<int32_t>(c);
      if (!colVisible(mCore, col)) continue;
      const double v = mCore.getNumber(row, col);
      count += 1;
      sum += v;
      if (v > maximum) maximum = v;
      if (v < minimum) minimum = v;
    }
  }
  return {sum, sum / count, count, maximum, minimum};
}

namespace {

// One result to write: the statistic of `range`, at (row, col).
struct Placement {
  Range range;
  int32_t row, col;
};

}  // namespace

// The results are planned first and the sheet grown only when at least one of them has a
// visible cell to count: a range with nothing visible writes nothing (no average of
// nothing, no ±max double) and does not grow the sheet.
void CGrid::formula(int32_t which) {
  if (which < 0 || which > 4) return;
  const Range s = mSelection.range;
  const int32_t rows = static_cast<int32_t>(mCore.mRowCount), cols = static_cast<int32_t>(mCore.mColCount);
  std::vector<Placement> plan;
  int32_t newRows = rows, newCols = cols;
  bool grow = false;
  if (s.top == 0 && s.left == 0) {
    for (int32_t c = cols - 1; c >= 1; --c) plan.push_back({Range{1, c, rows - 1, c}, rows, c});
    newRows = rows + 1, newCols = cols > 0 ? cols : 26, grow = true;
  } else if (s.top > 0 && s.top == s.bottom) {
    const int32_t last = s.right != 0 ? s.right : cols - 1;
    plan.push_back({Range{s.top, s.left != 0 ? s.left : 1, s.top, last}, s.top, last + 1});
    if (s.right + 1 == cols || s.left == 0) newRows = rows > 0 ? rows : 300, newCols = cols + 1, grow = true;
  } else {
    const int32_t first = s.top != 0 ? s.top : 1, end = s.bottom != 0 ? s.bottom : rows - 1;
    const int32_t lastCol = s.right != 0 ? s.right : cols - 1;
    for (int32_t c = s.left != 0 ? s.left : 1; c <= lastCol; ++c)
      plan.push_back({Range{first, c, end, c}, end + 1, c});
    if (rows == s.bottom + 1 || s.top == 0) newRows = rows + 1, newCols = cols > 0 ? cols : 26, grow = true;
  }
  std::vector<std::pair<Placement, double>> results;
  for (const Placement& p : plan) {
    const std::array<double, 5> stats = columnStats(p.range);
    if (stats[2] > 0) results.emplace_back(p, stats[static_cast<size_t>(which)]);
  }
  if (!results.empty()) {
    guarded([&] {
      auto command = std::make_unique<CCellAction>(&mCore, &mSelection);
      if (grow) mOps.resize(newRows, newCols);
      for (const auto& [p, value] : results) command->setNumber(p.row, p.col, value);
      if (mOps.editLocked()) return;
      mComManag.add(std::move(command));
    });
  }
  invalidate();
}
