// The grid window: keys, mouse selection, border drags, double clicks, the wheel, scroll
// bars, the context menu, menu marks and commands it does not handle.
#include <string>

#include "grid/ReadSettings.h"
#include "platform/testdriver/AnswerScript.h"
#include "resources/GridIds.h"
#include "tests/grid/GridFixture.h"

class WindowTest : public GridTest {
 protected:
  int rw() { return view().rowHeaderWidth(); }
  // Client centre of cell (r, c) while unscrolled at zoom 1.
  int cx(int c) { return rw() + 74 * (c - 1) + 37; }
  int cy(int r) { return 20 + 18 * (r - 1) + 9; }
  void select(Range r) {
    grid->mSelection.anchorRow = r.top, grid->mSelection.anchorCol = r.left;
    grid->mSelection.range = r;
  }
  Range range() const { return grid->mSelection.range; }
};

TEST_F(WindowTest, KeysMoveTheSelectionAndStopAtTheEdges) {
  struct Case {
    const char* name;
    Range from;
    int vk;
    unsigned modifiers;
    Range to;
  } cases[] = {
      {"Tab moves right", {2, 2, 2, 2}, VK_TAB, 0, {2, 3, 2, 3}},
      {"Right from a block's top-left", {2, 2, 4, 5}, VK_RIGHT, 0, {2, 3, 2, 3}},
      {"Return from a block's top-left", {2, 2, 4, 5}, VK_RETURN, 0, {3, 2, 3, 2}},
      {"Tab at the last column", {2, 25, 2, 25}, VK_TAB, 0, {2, 25, 2, 25}},
      {"Return at the last row", {299, 3, 299, 3}, VK_RETURN, 0, {299, 3, 299, 3}},
      {"Shift+Tab moves left", {2, 3, 2, 3}, VK_TAB, testdriver::Shift, {2, 2, 2, 2}},
      {"Shift+Return moves up", {3, 3, 3, 3}, VK_RETURN, testdriver::Shift, {2, 3, 2, 3}},
      {"Home", {5, 7, 5, 7}, VK_HOME, 0, {5, 1, 5, 1}},
      {"Ctrl+End", {5, 7, 5, 7}, VK_END, testdriver::Ctrl, {299, 25, 299, 25}},
      {"Page Up at row 1", {1, 4, 1, 4}, VK_PRIOR, 0, {1, 4, 1, 4}},
      {"Page Down at the last row", {299, 4, 299, 4}, VK_NEXT, 0, {299, 4, 299, 4}},
  };
  for (const auto& c : cases) {
    select(c.from);
    key(c.vk, c.modifiers);
    EXPECT_EQ(range(), c.to) << c.name;
  }
}

TEST_F(WindowTest, PageDownMovesByThePaneHeight) {
  select({1, 1, 1, 1});
  key(VK_NEXT);
  const int32_t page = (grid->mRect.bottom + 1 - 20) / 18;  // rows of the cell area
  EXPECT_NEAR(range().top, 1 + page, 1);
  EXPECT_GT(view().mMainPane.scrollY, 0);
  key(VK_PRIOR);
  EXPECT_EQ(range().top, 1);
}

TEST_F(WindowTest, MouseSelectsCellsHeadersAndExtends) {
  clickAt(cx(3), cy(4));
  EXPECT_EQ(range(), (Range{4, 3, 4, 3}));
  clickAt(cx(5), cy(6), testdriver::Shift);
  EXPECT_EQ(range(), (Range{4, 3, 6, 5}));
  clickAt(cx(2), 10);
  EXPECT_EQ(range(), (Range{0, 2, 0, 2}));
  clickAt(10, cy(3));
  EXPECT_EQ(range(), (Range{3, 0, 3, 0}));
  clickAt(5, 5);
  EXPECT_EQ(range(), (Range{0, 0, 0, 0}));
  // A drag extends from the press.
  testdriver::advance(1000);
  testdriver::mouseDown(at(cx(1), cy(1)));
  testdriver::pumpUntilIdle();
  testdriver::mouseMove(at(cx(3), cy(2)));
  testdriver::pumpUntilIdle();
  testdriver::mouseUp(at(cx(3), cy(2)));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(range(), (Range{1, 1, 2, 3}));
}

// The loss of the focus in the middle of a press ends it: later moves extend nothing,
// and a filter button released afterwards opens no popup.
TEST_F(WindowTest, LosingTheFocusEndsEveryDrag) {
  sheet(8, 4);
  core().setText(1, 1, u"head");
  core().setText(2, 1, u"a");
  select({1, 1, 3, 2});
  grid->mOps.toggleFilter();
  struct Case {
    const char* name;
    POINT press;
    int32_t drag;
  } cases[] = {
      {"a cell drag", {cx(2), cy(3)}, HIT_CELLS},
      {"a pressed filter button", {cx(1) + 37 - 5, cy(1) + 9 - 5}, HIT_FILTER_BUTTON},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    select({3, 2, 3, 2});
    testdriver::advance(1000);
    testdriver::mouseDown(at(c.press.x, c.press.y));
    testdriver::pumpUntilIdle();
    ASSERT_EQ(grid->mDragState, c.drag);
    const Range pressed = range();
    SetFocus(host);
    testdriver::pumpUntilIdle();
    EXPECT_EQ(grid->mDragState, HIT_NONE);
    testdriver::mouseMove(at(cx(4), cy(6)));
    testdriver::pumpUntilIdle();
    testdriver::mouseUp(at(cx(4), cy(6)));
    testdriver::pumpUntilIdle();
    EXPECT_EQ(range(), pressed);
    EXPECT_EQ(grid->mFilterPopup, nullptr);
  }
}

TEST_F(WindowTest, BorderDragSetsTheSizeInContentPixels) {
  struct Case {
    double zoom;
    int dragged;
    int32_t width;
  } cases[] = {{1.0, 30, 104}, {2.0, 30, 89}, {1.0, -200, -1}};
  for (const auto& c : cases) {
    core().setInt64(0, 1, 0);
    view().setZoom(c.zoom);
    const int edge = rw() + static_cast<int>(74 * c.zoom + 0.5);
    testdriver::advance(1000);
    testdriver::mouseDown(at(edge, 5));
    testdriver::pumpUntilIdle();
    EXPECT_EQ(grid->mDragState, HIT_COL_BORDER);
    testdriver::mouseMove(at(edge + c.dragged, 5));
    testdriver::pumpUntilIdle();
    testdriver::mouseUp(at(edge + c.dragged, 5));
    testdriver::pumpUntilIdle();
    EXPECT_EQ(core().getInt64(0, 1), c.width) << c.zoom << " " << c.dragged;
  }
  // The drags were commands: undo puts the width back, redo drags again.
  key('Z', testdriver::Ctrl);
  EXPECT_EQ(core().getInt64(0, 1), 0);
  key('Y', testdriver::Ctrl);
  EXPECT_EQ(core().getInt64(0, 1), -1);
}

TEST_F(WindowTest, ClickOnABorderWithoutMovingChangesNothingAndLeavesNoLine) {
  grid->invalidate();
  testdriver::pumpUntilIdle();
  const Surface before = testdriver::windowPixels(grid->mHwnd);
  const int edge = rw() + 74;
  testdriver::advance(1000);
  testdriver::click(at(edge, 5));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(core().getInt64(0, 1), 0);
  EXPECT_FALSE(grid->mComManag.modified());
  const Surface after = testdriver::windowPixels(grid->mHwnd);
  for (int y = 0; y < 300; y += 7) EXPECT_EQ(before.at(edge, y), after.at(edge, y)) << y;
}

TEST_F(WindowTest, DoubleClickBeyondTheSheetGrowsIt) {
  struct Case {
    const char* name;
    int x, y;
    uint64_t rows, cols;
  } cases[] = {
      {"right of the last column", 0, 1, 4, 3 + 26},
      {"below the last row", 1, 0, 4 + 300, 3},
      {"beyond both", 0, 0, 4 + 300, 3 + 26},
  };
  for (const auto& c : cases) {
    sheet(4, 3);
    const int x = c.x == 0 ? cx(3) + 60 : cx(1);
    const int y = c.y == 0 ? cy(4) + 30 : cy(1);
    testdriver::advance(1000);
    testdriver::doubleClick(at(x, y));
    testdriver::pumpUntilIdle();
    EXPECT_EQ(core().mRowCount, c.rows) << c.name;
    EXPECT_EQ(core().mColCount, c.cols) << c.name;
  }
}

TEST_F(WindowTest, WheelScrollsAndCtrlWheelZoomsWithinLimits) {
  SetFocus(grid->mHwnd);
  testdriver::wheel(at(200, 200), -120);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(view().mMainPane.scrollY, 200);
  testdriver::keyDown(VK_CONTROL);
  testdriver::wheel(at(200, 200), 120);
  testdriver::pumpUntilIdle();
  EXPECT_DOUBLE_EQ(view().mZoom, 1.15);
  view().setZoom(0.25);
  testdriver::wheel(at(200, 200), -120);
  testdriver::pumpUntilIdle();
  EXPECT_DOUBLE_EQ(view().mZoom, 0.25);
  view().setZoom(4.0);
  testdriver::wheel(at(200, 200), 120);
  testdriver::pumpUntilIdle();
  EXPECT_DOUBLE_EQ(view().mZoom, 4.0);
  testdriver::keyUp(VK_CONTROL);
}

TEST_F(WindowTest, ThumbAtTheEndShowsTheLastRowAtEveryZoom) {
  // 200,000 rows of 12,000 pixels: 2.4e9 content pixels, ten billion at zoom 4.15.
  sheet(200001, 3);
  for (int32_t r = 1; r < 200001; ++r) core().setInt64(r, 0, 12000);
  view().refresh();
  for (double z : {0.25, 2.0, 4.15}) {
    view().setZoom(z);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(grid->mHwnd, SB_VERT, &si);
    testdriver::scroll(grid->mHwnd, SB_VERT, SB_THUMBTRACK, si.nMax - static_cast<int>(si.nPage) + 1);
    testdriver::pumpUntilIdle();
    const PaneLayout layout = view().paneLayout(view().mMainPane);
    EXPECT_EQ(layout.lastRow, 200000) << z;
    // A whole-column selection still paints (no coordinate overflows).
    select({0, 2, 0, 2});
    grid->invalidate();
    testdriver::pumpUntilIdle();
    view().scrollBy(0, -int64_t(1) << 40);
    EXPECT_EQ(view().mMainPane.scrollY, 0);
  }
}

TEST_F(WindowTest, ContextMenuDisablesInsertAndHideOverABlock) {
  testdriver::AnswerScript answers;
  struct Case {
    Range range;
    bool enabled;
  } cases[] = {{{2, 2, 3, 3}, false}, {{0, 2, 0, 2}, true}, {{2, 0, 2, 0}, true}};
  for (const auto& c : cases) {
    select(c.range);
    const POINT p = at(cx(2), cy(2));
    SendMessageW(grid->mHwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid->mHwnd), MAKELPARAM(p.x, p.y));
    ASSERT_FALSE(answers.calls().empty());
    const auto& args = answers.calls().back().call.args;
    bool insert = false, hide = false, copy = false;
    for (const auto& a : args) {
      insert |= a.rfind(u"32826", 0) == 0;
      hide |= a.rfind(u"32829", 0) == 0;
      copy |= a.rfind(u"32821", 0) == 0;
    }
    EXPECT_TRUE(copy);
    EXPECT_EQ(insert, c.enabled);
    EXPECT_EQ(hide, c.enabled);
  }
}

TEST_F(WindowTest, MenuMarksFollowEncodingSeparatorAndQuotes) {
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  for (UINT id = ID_ENC_UTF8; id <= ID_ENC_ANSI; ++id) AppendMenuW(popup, MF_STRING, id, u"e");
  for (UINT id = ID_SEPARATOR_AUTO; id <= ID_SEPARATOR_COLON; ++id) AppendMenuW(popup, MF_STRING, id, u"s");
  AppendMenuW(popup, MF_STRING, ID_QUOTES_ON, u"q");
  AppendMenuW(popup, MF_STRING, ID_QUOTES_OFF, u"q");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"m");
  SetMenu(main, bar);
  auto checked = [&](UINT id) { return (GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
  SendMessageW(grid->mHwnd, WM_COMMAND, ID_ENC_UTF16BE, 0);
  EXPECT_EQ(core().mSaveEncoding, ENC_UTF16BE);
  for (UINT id = ID_ENC_UTF8; id <= ID_ENC_ANSI; ++id) EXPECT_EQ(checked(id), id == ID_ENC_UTF16BE) << id;
  SendMessageW(grid->mHwnd, WM_COMMAND, 32992, 0);
  EXPECT_EQ(gDefaultSeparator.load(), ';');
  for (UINT id = ID_SEPARATOR_AUTO; id <= ID_SEPARATOR_COLON; ++id) EXPECT_EQ(checked(id), id == 32992u) << id;
  SendMessageW(grid->mHwnd, WM_COMMAND, ID_QUOTES_OFF, 0);
  EXPECT_TRUE(checked(ID_QUOTES_OFF));
  EXPECT_FALSE(checked(ID_QUOTES_ON));
  SendMessageW(grid->mHwnd, WM_COMMAND, ID_QUOTES_ON, 0);
  SendMessageW(grid->mHwnd, WM_COMMAND, ID_SEPARATOR_AUTO, 0);
  SetMenu(main, nullptr);
  DestroyMenu(bar);
}

TEST_F(WindowTest, CommandsTheGridDoesNotHandleReachTheMainWindow) {
  SendMessageW(grid->mHwnd, WM_COMMAND, 40123, 0);
  ASSERT_EQ(gMainCommands.size(), 1u);
  EXPECT_EQ(gMainCommands[0], 40123u);
}

TEST_F(WindowTest, ZoomCommandsStopAtTheirLimits) {
  for (int i = 0; i < 40; ++i) SendMessageW(grid->mHwnd, WM_COMMAND, ID_ZOOM_OUT, 0);
  EXPECT_NEAR(view().mZoom, 0.25, 1e-9);
  for (int i = 0; i < 40; ++i) SendMessageW(grid->mHwnd, WM_COMMAND, ID_ZOOM_IN, 0);
  EXPECT_NEAR(view().mZoom, 4.15, 1e-9);
}
