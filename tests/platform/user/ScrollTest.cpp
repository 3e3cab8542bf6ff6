// Standard scroll bars: SCROLLINFO clamping and read-back, bars appearing
// and vanishing with their range, the client area and WM_SIZE that follow.
#include "tests/platform/user/Recorder.h"

using namespace usertest;
using Lines = std::vector<std::string>;

namespace {

class ScrollTest : public UserTest {
 protected:
  HWND makeGrid(DWORD bars = WS_VSCROLL | WS_HSCROLL) {
    HWND parent = make("parent", WS_POPUP | WS_VISIBLE, 0, 0, 500, 500);
    HWND grid = make("grid", WS_CHILD | WS_VISIBLE | bars, 0, 0, 200, 100, parent);
    testdriver::pumpUntilIdle();
    rec().clear();
    return grid;
  }
  static SCROLLINFO info(UINT mask, int min, int max, UINT page, int pos) {
    return SCROLLINFO{sizeof(SCROLLINFO), mask, min, max, page, pos, 0};
  }
  static SCROLLINFO read(HWND w, int bar) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_TRUE(GetScrollInfo(w, bar, &si));
    return si;
  }
  static SIZE client(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return SIZE{r.right, r.bottom};
  }
};

}  // namespace

TEST_F(ScrollTest, PositionAndPageAreClamped) {
  HWND grid = makeGrid();
  struct Case {
    int min, max;
    UINT page;
    int pos;
    UINT wantPage;
    int wantPos;
  } cases[] = {
      {0, 100, 10, 95, 10, 91},                                  // last position: max - (page - 1)
      {0, 100, 10, 91, 10, 91},       {0, 100, 0, 150, 0, 100},  // no page: up to max
      {0, 100, 1, 100, 1, 100},       {0, 100, 2, 100, 2, 99},
      {0, 100, 200, 50, 101, 0},  // page cut to the range (max - min + 1)
      {10, 20, 5, 0, 5, 10},      // below min
      {-50, 50, 20, -60, 20, -50},    {0, 0, 0, 5, 0, 0},
      {0, 1000, 101, 2000, 101, 900},
  };
  for (const Case& c : cases) {
    SCROLLINFO si = info(SIF_RANGE | SIF_PAGE | SIF_POS, c.min, c.max, c.page, c.pos);
    EXPECT_EQ(SetScrollInfo(grid, SB_VERT, &si, TRUE), c.wantPos) << c.max << "/" << c.page;
    SCROLLINFO got = read(grid, SB_VERT);
    EXPECT_EQ(got.nMin, c.min);
    EXPECT_EQ(got.nMax, c.max);
    EXPECT_EQ(got.nPage, c.wantPage) << c.max << "/" << c.page;
    EXPECT_EQ(got.nPos, c.wantPos) << c.max << "/" << c.page;
  }
}

TEST_F(ScrollTest, PositionWithoutRedrawIsClampedOnReadBack) {
  HWND grid = makeGrid();
  SCROLLINFO range = info(SIF_RANGE | SIF_PAGE, 0, 500, 81, 0);
  SetScrollInfo(grid, SB_VERT, &range, TRUE);
  SCROLLINFO pos = info(SIF_POS, 0, 0, 0, 1000);
  SetScrollInfo(grid, SB_VERT, &pos, FALSE);
  EXPECT_EQ(read(grid, SB_VERT).nPos, 420);
  pos.nPos = -3;
  SetScrollInfo(grid, SB_VERT, &pos, FALSE);
  EXPECT_EQ(read(grid, SB_VERT).nPos, 0);
  // A range turned upside down is refused; the state stays.
  SCROLLINFO bad = info(SIF_RANGE, 10, 5, 0, 0);
  SetScrollInfo(grid, SB_VERT, &bad, TRUE);
  EXPECT_EQ(read(grid, SB_VERT).nMax, 500);
}

TEST_F(ScrollTest, BarsComeAndGoWithTheRangeAndResizeTheClient) {
  HWND grid = makeGrid();
  EXPECT_EQ(client(grid).cx, 183);  // created with both bars shown
  EXPECT_EQ(client(grid).cy, 83);
  rec().watch({WM_SIZE});
  SCROLLINFO fits = info(SIF_RANGE | SIF_PAGE, 0, 50, 84, 0);
  SetScrollInfo(grid, SB_VERT, &fits, TRUE);  // the page covers everything: bar gone
  EXPECT_EQ(client(grid).cx, 200);
  ASSERT_EQ(lines(), (Lines{"grid WM_SIZE"}));
  EXPECT_EQ(rec().log()[0].lParam, MAKELPARAM(200, 83));
  EXPECT_FALSE(GetWindowLongPtrW(grid, GWL_STYLE) & WS_VSCROLL);

  SCROLLINFO pos = info(SIF_POS, 0, 0, 0, 10);
  SetScrollInfo(grid, SB_VERT, &pos, TRUE);  // positions never show or hide a bar
  EXPECT_EQ(client(grid).cx, 200);

  SCROLLINFO longer = info(SIF_RANGE | SIF_PAGE, 0, 500, 84, 0);
  SetScrollInfo(grid, SB_VERT, &longer, TRUE);
  EXPECT_EQ(client(grid).cx, 183);
  EXPECT_TRUE(GetWindowLongPtrW(grid, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO off = info(SIF_RANGE | SIF_PAGE, 0, 0, 0, 0);  // how the editor turns bars off
  SetScrollInfo(grid, SB_HORZ, &off, TRUE);
  EXPECT_EQ(client(grid).cy, 100);
  EXPECT_EQ(rec().of(WM_SIZE).size(), 3u);
}

TEST_F(ScrollTest, AWindowWithoutBarsGainsThemFromItsRange) {
  HWND editor = makeGrid(0);
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_FALSE(GetScrollInfo(editor, SB_VERT, &si));  // no bar state yet
  SCROLLINFO range = info(SIF_RANGE | SIF_PAGE, 0, 300, 101, 0);
  SetScrollInfo(editor, SB_VERT, &range, TRUE);
  EXPECT_EQ(client(editor).cx, 183);
  EXPECT_TRUE(GetScrollInfo(editor, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 300);
}

TEST_F(ScrollTest, DefaultRangeOfABarAskedForInTheStyle) {
  HWND grid = makeGrid();
  SCROLLINFO got = read(grid, SB_HORZ);
  EXPECT_EQ(got.nMin, 0);
  EXPECT_EQ(got.nMax, 100);
  EXPECT_EQ(got.nPage, 0u);
}

TEST_F(ScrollTest, LayoutThatSetsRangesFromWmSizeSettles) {
  HWND grid = makeGrid();
  int sizes = 0;
  // Content 95 high shown in the client height: the bar's need depends on the
  // width, which depends on the horizontal bar, as in the grid's layout.
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m != WM_SIZE || h != grid || ++sizes > 20) return std::nullopt;
    SCROLLINFO v = info(SIF_RANGE | SIF_PAGE, 0, 95, static_cast<UINT>(HIWORD(l)) + 1, 0);
    SetScrollInfo(h, SB_VERT, &v, TRUE);
    SCROLLINFO hz = info(SIF_RANGE | SIF_PAGE, 0, 190, static_cast<UINT>(LOWORD(l)) + 1, 0);
    SetScrollInfo(h, SB_HORZ, &hz, TRUE);
    return 0;
  };
  MoveWindow(grid, 0, 0, 200, 100, FALSE);
  MoveWindow(grid, 0, 0, 210, 100, FALSE);
  EXPECT_LE(sizes, 6);
  SIZE c = client(grid);
  // Both fit once both bars are gone: 210 x 100 client for 191 x 96 content.
  EXPECT_EQ(c.cx, 210);
  EXPECT_EQ(c.cy, 100);
}

TEST_F(ScrollTest, DriverRequestsCarryTheThumbPosition) {
  HWND grid = makeGrid();
  SCROLLINFO range = info(SIF_RANGE | SIF_PAGE, 0, 1000, 100, 0);
  SetScrollInfo(grid, SB_VERT, &range, TRUE);
  int trackSeen = -1;
  rec().handler = [&](HWND h, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_VSCROLL && LOWORD(wp) == SB_THUMBTRACK) {
      SCROLLINFO si{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(h, SB_VERT, &si);
      trackSeen = si.nTrackPos;
      return 0;
    }
    return std::nullopt;
  };
  testdriver::scroll(grid, SB_VERT, SB_THUMBTRACK, 640);
  EXPECT_EQ(trackSeen, 640);
  testdriver::scroll(grid, SB_HORZ, SB_LINERIGHT);
  ASSERT_EQ(rec().of(WM_HSCROLL).size(), 1u);
  EXPECT_EQ(LOWORD(rec().of(WM_HSCROLL)[0].wParam), SB_LINERIGHT);
}
