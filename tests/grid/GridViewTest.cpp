// Geometry of the grid view: sizes, the row-header strip, the scroll margin, freezing,
// hit testing and the keyboard moves.
#include <string>

#include "tests/grid/GridFixture.h"

namespace {

struct SizeCase {
  const char* name;
  int32_t row;
  int64_t stored;
  uint8_t flag;
  int32_t expected;
};

}  // namespace

TEST_F(GridTest, RowHeightsFollowTheStoredValueAndTheHiddenFlag) {
  const SizeCase cases[] = {
      {"default", 5, 0, 0, 18},      {"negative", 6, -5, 0, 0},   {"hidden", 7, 30, 1, 0},
      {"stored", 8, 40, 0, 40},      {"header row", 0, 0, 0, 20}, {"past the end", 300, 40, 0, 0},
      {"negative row", -1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    core().setInt64(c.row, 0, c.stored);
    if (core().inSheet(c.row, 0)) core().cellAt(c.row, 0)->flag = c.flag;
    EXPECT_EQ(view().rowHeightOf(c.row), c.expected) << c.name;
  }
}

TEST_F(GridTest, ColumnWidthsFollowTheStoredValueAndTheHiddenFlag) {
  core().setInt64(0, 2, 120);
  core().setInt64(0, 3, -1);
  core().cellAt(0, 4)->flag = 1;
  EXPECT_EQ(view().colWidthOf(1), 74);
  EXPECT_EQ(view().colWidthOf(2), 120);
  EXPECT_EQ(view().colWidthOf(3), 0);
  EXPECT_EQ(view().colWidthOf(4), 0);
  EXPECT_EQ(view().colWidthOf(26), 0);
  EXPECT_EQ(view().colWidthOf(0), view().rowHeaderWidth());
  // A hidden column takes no room: the columns around it touch.
  EXPECT_EQ(view().colSpan(5, 5).first, 74 + 120 + 0 + 0);
}

TEST_F(GridTest, RowHeaderStripWidensForLongRowNumbers) {
  EXPECT_EQ(view().rowHeaderWidth(), 34);
  sheet(300000, 5);
  view().scrollBy(0, int64_t(18) * 200000);
  const PaneLayout layout = view().paneLayout(view().mMainPane);
  const std::string digits = std::to_string(layout.lastRow);
  ASSERT_EQ(digits.size(), 6u);
  int32_t width = 8;
  for (char d : digits) width += view().mCanvas.charWidth(char16_t(d));
  EXPECT_EQ(view().rowHeaderWidth(), std::max(34, width));
  EXPECT_GT(view().rowHeaderWidth(), 34);
}

TEST_F(GridTest, ScrollingStopsAtTheMarginAndAGrowingWindowPullsBack) {
  // 25 columns of 74: content 1850 wide; the main pane spans the client width + 1.
  const int visible = grid->mRect.right + 1;
  view().scrollBy(1000000, 0);
  EXPECT_EQ(view().mMainPane.scrollX, 150 + 1850 - visible);
  view().setZoom(2.0);
  view().scrollBy(1000000, 0);
  EXPECT_EQ(view().mMainPane.scrollX, 150 + 1850 - visible / 2);
  view().setZoom(1.0);
  EXPECT_EQ(view().mMainPane.scrollX, 150 + 1850 - visible);
  MoveWindow(grid->mHwnd, 0, 0, 1100, 400, TRUE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(view().mMainPane.scrollX, 150 + 1850 - (grid->mRect.right + 1));
  // The first visible column follows the scroll position.
  const int64_t x = view().mMainPane.scrollX;
  EXPECT_EQ(view().mMainPane.firstCol, int32_t(x / 74) + 1);
}

TEST_F(GridTest, FreezingByTheSelectionPicksTheLayout) {
  struct Case {
    const char* name;
    Range range;
    size_t panes;
    int32_t freezeRow, freezeCol;
  } cases[] = {
      {"whole sheet", {0, 0, 0, 0}, 4, 2, 2},
      {"cell (1, 1)", {1, 1, 1, 1}, 4, 2, 2},
      {"cell (4, 3)", {4, 3, 4, 3}, 4, 4, 3},
      {"whole columns 5 to 7", {0, 5, 0, 7}, 2, 0, 5},
      {"whole rows 10 to 12", {10, 0, 12, 0}, 2, 10, 0},
  };
  for (const auto& c : cases) {
    view().toggleFreeze(c.range.top, c.range.left);
    EXPECT_EQ(view().mPanes.size(), c.panes) << c.name;
    EXPECT_EQ(view().mMainPane.freezeRow, c.freezeRow) << c.name;
    EXPECT_EQ(view().mMainPane.freezeCol, c.freezeCol) << c.name;
    // Split lines lie at the freeze cell's client edges.
    const int32_t rw = view().rowHeaderWidth();
    EXPECT_EQ(view().mSplitX, c.freezeCol ? rw + 74 * (c.freezeCol - 1) : 0) << c.name;
    EXPECT_EQ(view().mSplitY, c.freezeRow ? 20 + 18 * (c.freezeRow - 1) : 0) << c.name;
    view().toggleFreeze(0, 0);
    EXPECT_TRUE(view().mPanes.empty()) << c.name;
  }
}

TEST_F(GridTest, FrozenPanesScrollOnlyInTheirOwnDirections) {
  sheet(1000, 60);
  view().toggleFreeze(3, 3);
  ASSERT_EQ(view().mPanes.size(), 4u);
  auto scrolls = [&] {
    std::vector<std::pair<int64_t, int64_t>> s;
    for (const Pane& p : view().mPanes) s.emplace_back(p.scrollX, p.scrollY);
    return s;
  };
  const auto before = scrolls();
  view().scrollBy(100, 0);
  auto after = scrolls();
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[1].first, before[1].first + 100);
  EXPECT_EQ(after[2], before[2]);
  EXPECT_EQ(after[3].first, before[3].first + 100);
  view().scrollBy(0, 50);
  after = scrolls();
  EXPECT_EQ(after[1].second, before[1].second);
  EXPECT_EQ(after[2].second, before[2].second + 50);
  EXPECT_EQ(after[3].second, before[3].second + 50);
  // The bottom-right pane never scrolls back past the freeze column.
  view().scrollBy(-100000, -100000);
  EXPECT_EQ(view().mPanes[3].scrollX, view().mPanes[3].minScrollX);
  EXPECT_EQ(view().mPanes[3].scrollX, 2 * 74);
  EXPECT_EQ(view().mPanes[3].firstCol, 3);
  // Unfreezing shows the main pane's own position again.
  view().scrollBy(300, 300);
  view().toggleFreeze(0, 0);
  EXPECT_EQ(view().mMainPane.scrollX, 0);
  EXPECT_EQ(view().mMainPane.scrollY, 0);
}

TEST_F(GridTest, ColumnsOnlyFreezeKeepsFrozenColumnsInTheLeftPane) {
  view().toggleFreeze(0, 5);
  ASSERT_EQ(view().mPanes.size(), 2u);
  view().scrollBy(200, 0);
  const int64_t leftX = view().mPanes[0].scrollX, rightX = view().mPanes[1].scrollX;
  view().mSelection->range = Range{2, 2, 2, 2};
  view().scrollToCell(cellPos(2, 2));
  EXPECT_EQ(view().mPanes[0].scrollX, leftX);
  EXPECT_EQ(view().mPanes[1].scrollX, rightX);
  EXPECT_EQ(&view().paneOfCell(cellPos(2, 2)), &view().mPanes[0]);
}

TEST_F(GridTest, HitTestFindsBordersAndCells) {
  const int32_t rw = view().rowHeaderWidth();
  struct Case {
    const char* name;
    int x, y;
    int32_t code;
    int32_t index;
  } cases[] = {
      {"column 1 border, left of it", rw + 74 - 3, 10, HIT_COL_BORDER, 1},
      {"column 1 border, right of it", rw + 74 + 3, 10, HIT_COL_BORDER, 1},
      {"column header middle", rw + 37, 10, HIT_CELLS, -1},
      {"corner", 5, 5, HIT_CELLS, -1},
      {"row 2 border", 10, 20 + 36 + 2, HIT_ROW_BORDER, 2},
      {"cell area", rw + 100, 60, HIT_CELLS, -1},
      {"outside", 5000, 5, HIT_CELLS, -1},
  };
  for (const auto& c : cases) {
    DragInfo info{};
    info.index = -1;
    EXPECT_EQ(view().hitTest(info, point(c.x, c.y)), c.code) << c.name;
    EXPECT_EQ(info.index, c.index) << c.name;
  }
}

TEST_F(GridTest, CellAtReadsHeadersAsWholeRowsAndColumns) {
  const int32_t rw = view().rowHeaderWidth();
  EXPECT_EQ(view().cellAt(point(rw + 80, 10), false), std::make_pair(0, 2));
  EXPECT_EQ(view().cellAt(point(5, 20 + 18 + 5), false), std::make_pair(2, 0));
  EXPECT_EQ(view().cellAt(point(5, 5), false), std::make_pair(0, 0));
  EXPECT_EQ(view().cellAt(point(rw + 80, 20 + 18 + 5), false), std::make_pair(2, 2));
  // Past the last column and row the cell is clamped to the sheet.
  sheet(3, 3);
  EXPECT_EQ(view().cellAt(point(600, 390), true), std::make_pair(2, 2));
}

TEST_F(GridTest, KeyMovesStopAtTheSheetEdges) {
  EXPECT_FALSE(view().keyHome());
  EXPECT_FALSE(view().keyLeft());
  EXPECT_FALSE(view().keyUp());
  EXPECT_TRUE(view().keyEnd());
  EXPECT_EQ(grid->mSelection.range, (Range{1, 25, 1, 25}));
  EXPECT_FALSE(view().keyEnd());
  testdriver::keyDown(VK_CONTROL);
  EXPECT_TRUE(view().keyEnd());
  EXPECT_EQ(grid->mSelection.range, (Range{299, 25, 299, 25}));
  EXPECT_FALSE(view().keyEnd());
  EXPECT_TRUE(view().keyHome());
  EXPECT_EQ(grid->mSelection.range, (Range{1, 1, 1, 1}));
  testdriver::keyUp(VK_CONTROL);
}
