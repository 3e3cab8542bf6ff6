// Walks over rows that step over long runs of hidden rows: for a table of filter shapes,
// scrolling, the rows a paint visits, the row under a point and row spans match a plain
// walk that visits every row.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/grid/GridFixture.h"

namespace {

constexpr int32_t kRows = 3000;

struct Shape {
  const char* name;
  std::function<bool(int32_t)> hidden;  // filtered out
  std::function<int64_t(int32_t)> stored = [](int32_t) { return int64_t(0); };
};

// Scroll state of a pane, moved by visiting every row as a plain walk does.
struct Walk {
  int32_t firstRow = 1;
  int64_t rowOffset = 0;
};

void walkDown(const CGridView& v, Walk& w, int64_t scrollY) {
  while (w.firstRow < v.rowCount() && w.rowOffset + v.rowHeightOf(w.firstRow) < scrollY) {
    w.rowOffset += v.rowHeightOf(w.firstRow);
    ++w.firstRow;
  }
}

void walkUp(const CGridView& v, Walk& w, int64_t scrollY) {
  while (w.rowOffset > scrollY && w.firstRow > 0) {
    --w.firstRow;
    w.rowOffset -= v.rowHeightOf(w.firstRow);
    if (w.rowOffset < 0) {
      w.rowOffset = 0;
      break;
    }
  }
}

// Rows a paint of the main pane shows (of some height), by a plain walk; zoom 1.
std::vector<int32_t> shownRows(const CGridView& v, const Walk& w, int32_t cellsTop) {
  const Pane& p = v.mMainPane;
  std::vector<int32_t> out;
  int64_t sum = 0;
  for (int32_t r = w.firstRow; r < v.rowCount(); ++r) {
    const int32_t h = v.rowHeightOf(r);
    sum += h;
    if (h > 0) out.push_back(r);
    if (cellsTop + sum - (p.scrollY - w.rowOffset) >= p.rect.bottom) break;
  }
  return out;
}

// The row under content y by a plain walk from the pane's first row.
int32_t rowAt(const CGridView& v, const Walk& w, int64_t t) {
  int32_t row = w.firstRow;
  int64_t edge = w.rowOffset + v.rowHeightOf(row);
  while (edge < t && row < v.rowCount()) edge += v.rowHeightOf(++row);
  return std::min(row, v.rowCount() - 1);
}

}  // namespace

TEST_F(GridTest, WalksOverHiddenRowsMatchAPlainWalk) {
  const Shape shapes[] = {
      {"nothing hidden", [](int32_t) { return false; }},
      {"all but 10 hidden", [](int32_t r) { return r % 300 != 0; }},
      {"long run at the start", [](int32_t r) { return r < 2000; }},
      {"long run to the end", [](int32_t r) { return r >= 1000; }},
      {"runs of 15, 16 and 17", [](int32_t r) { return r % 52 != 0 && r % 52 != 16 && r % 52 != 33; }},
      {"every other row", [](int32_t r) { return r % 2 == 1; }},
      {"everything hidden", [](int32_t) { return true; }},
      {"negative heights and a tall row", [](int32_t r) { return r > 2500; },
       [](int32_t r) { return r >= 100 && r < 900 ? int64_t(-1)
                              : r == 950          ? int64_t(40)
                                                  : int64_t(0); }},
  };
  const int64_t steps[] = {7, 250, 1000, 18, 5000, 3};
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    sheet(kRows, 4);
    for (int32_t r = 1; r < kRows; ++r) {
      core().setInt64(r, 0, s.stored(r));
      core().cellAt(r, 0)->flag = s.hidden(r) ? 1 : 0;
    }
    view().reset();
    view().refresh();
    Walk w;
    walkDown(view(), w, view().mMainPane.scrollY);
    const int32_t cellsTop = view().headerStrip();
    auto check = [&](const char* when) {
      SCOPED_TRACE(when);
      const Pane& p = view().mMainPane;
      ASSERT_EQ(p.firstRow, w.firstRow);
      ASSERT_EQ(p.rowOffset, w.rowOffset);
      const PaneLayout layout = view().paneLayout(p);
      std::vector<int32_t> painted;
      for (int32_t r = layout.firstRow; r <= layout.lastRow; r = view().nextRow(r))
        if (view().rowHeightOf(r) > 0) painted.push_back(r);
      const std::vector<int32_t> expected = shownRows(view(), w, cellsTop);
      ASSERT_EQ(painted, expected);
      for (int32_t y = cellsTop + 1; y < p.rect.bottom; y += 5) {
        const int64_t t = p.scrollY + (y - cellsTop);
        ASSERT_EQ(view().cellAt(point(100, y), true).first, rowAt(view(), w, t)) << "y " << y;
      }
      int64_t top = w.rowOffset;
      for (int32_t r = w.firstRow; !expected.empty() && r <= expected.back(); ++r) {
        const auto span = view().rowSpan(r, r);
        ASSERT_EQ(span, std::make_pair(top, top + view().rowHeightOf(r))) << "row " << r;
        top += view().rowHeightOf(r);
      }
      // Rows above the pane's first row, measured backwards from it.
      if (w.firstRow > 1) ASSERT_EQ(view().rowSpan(1, 1).first, 0);
    };
    check("at the top");
    // Long runs are stepped over at once.
    int32_t visits = 0;
    for (int32_t r = 0; r < kRows; r = view().nextRow(r)) ++visits;
    if (std::string(s.name) == "all but 10 hidden") EXPECT_LT(visits, 40);
    for (int64_t dy : steps) {
      view().scrollBy(0, dy);
      walkDown(view(), w, view().mMainPane.scrollY);
      check("down");
    }
    for (int64_t dy : steps) {
      view().scrollBy(0, -dy);
      walkUp(view(), w, view().mMainPane.scrollY);
      check("up");
    }
  }
}
