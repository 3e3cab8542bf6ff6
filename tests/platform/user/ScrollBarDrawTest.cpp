// Drawing of a window's standard scroll bars: arrows, track, a thumb that
// follows the position, the size box, the disabled look, and bars that stay
// drawn when the parent paints over them.
#include "platform/png/Png.h"
#include "platform/user/ScrollBarDraw.h"
#include "tests/platform/user/UiFixture.h"

using namespace usertest;
using namespace platform::user;

namespace {

// 0x00RRGGBB as a surface holds it.
uint32_t pixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// A 200 x 100 child with both bars at (20, 30) of a 300 x 200 popup filled
// with the button face: its client is 183 x 83, the vertical bar spans
// x 183..200 and y 0..83 of the child (arrows 17 long, track 17..66), the
// horizontal bar x 0..183 (track 17..166) and y 83..100.
class ScrollBarDrawTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    mParent = make("parent", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, kBrushClass);
    mGrid = make("grid", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 20, 30, 200, 100, mParent);
    setBar(SB_VERT, 0, 99, 50, 0);
    setBar(SB_HORZ, 0, 99, 50, 0);
    testdriver::pumpUntilIdle();
  }
  void setBar(int bar, int min, int max, UINT page, int pos, BOOL redraw = TRUE) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, pos, 0};
    SetScrollInfo(mGrid, bar, &si, redraw);
  }
  // A pixel of the child's window area (x, y from its top-left corner).
  uint32_t at(int x, int y) const { return testdriver::windowPixels(mParent).at(20 + x, 30 + y); }
  // The middle pixel across the vertical bar, `along` from its top end.
  uint32_t vbar(int along) const { return at(191, along); }
  uint32_t hbar(int along) const { return at(along, 91); }

  HWND mParent = nullptr, mGrid = nullptr;
};

}  // namespace

TEST_F(ScrollBarDrawTest, PartsAndSizeBox) {
  rec().handler = [this](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h != mGrid || m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(h, &ps);
    return 0;
  };
  InvalidateRect(mGrid, nullptr, TRUE);
  testdriver::pumpUntilIdle();
  // Range 0..99, page 50: thumb 49 * 50 / 100 = 24 long at the top of the track.
  struct Probe {
    const char* what;
    uint32_t got, want;
  } probes[] = {
      {"up arrow's tip", vbar(6), pixel(kBarArrow)},
      {"up arrow's corner", at(184, 1), pixel(kBarTrack)},
      {"down arrow's tip", vbar(83 - 17 + 9), pixel(kBarArrow)},
      {"thumb start", vbar(17), pixel(kBarThumb)},
      {"thumb end", vbar(17 + 23), pixel(kBarThumb)},
      {"thumb margin", at(184, 20), pixel(kBarTrack)},
      {"track below the thumb", vbar(17 + 24), pixel(kBarTrack)},
      {"left arrow's tip", hbar(6), pixel(kBarArrow)},
      {"horizontal thumb", hbar(17 + 30), pixel(kBarThumb)},
      {"horizontal track", hbar(17 + 80), pixel(kBarTrack)},
      {"size box", at(191, 91), pixel(kBarTrack)},
      {"client", at(182, 82), 0xFFFFFFu},
      {"parent beside the bar", at(201, 40), pixel(GetSysColor(COLOR_BTNFACE))},
  };
  for (const Probe& p : probes) EXPECT_EQ(p.got, p.want) << p.what;
  std::filesystem::path path = uitest::pictureFolder() / "scroll_bars.png";
  EXPECT_TRUE(writePng(testdriver::windowPixels(mParent), path.string()));
}

TEST_F(ScrollBarDrawTest, ThumbFollowsThePositionWhenRedrawn) {
  // pos 50 is the last: the thumb ends at the track's end (66).
  SCROLLINFO last{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 50, 0};
  SetScrollInfo(mGrid, SB_VERT, &last, TRUE);  // drawn at once, no pump
  EXPECT_EQ(vbar(20), pixel(kBarTrack));
  EXPECT_EQ(vbar(65), pixel(kBarThumb));
  EXPECT_EQ(vbar(42), pixel(kBarThumb));
  // Without redraw the picture stays until the bar is drawn again.
  SCROLLINFO first{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  SetScrollInfo(mGrid, SB_VERT, &first, FALSE);
  EXPECT_EQ(vbar(65), pixel(kBarThumb));
  SetScrollInfo(mGrid, SB_VERT, &first, TRUE);
  EXPECT_EQ(vbar(65), pixel(kBarTrack));
  EXPECT_EQ(vbar(20), pixel(kBarThumb));
  // A longer page makes a longer thumb: 49 * 90 / 100 = 44.
  setBar(SB_VERT, 0, 99, 90, 0);
  EXPECT_EQ(vbar(17 + 43), pixel(kBarThumb));
  EXPECT_EQ(vbar(17 + 44), pixel(kBarTrack));
}

TEST_F(ScrollBarDrawTest, BarsSurviveTheParentPaintingOverThem) {
  // The parent fills its whole client with its brush, bars included; the
  // child's bars are drawn again once the parent has painted.
  InvalidateRect(mParent, nullptr, TRUE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(vbar(6), pixel(kBarArrow));
  EXPECT_EQ(vbar(20), pixel(kBarThumb));
  EXPECT_EQ(at(191, 91), pixel(kBarTrack));
  // Only the bar's corner is covered: the child's client is not invalid.
  RECT corner{20 + 185, 30 + 85, 20 + 200, 30 + 100};
  InvalidateRect(mParent, &corner, TRUE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(at(191, 91), pixel(kBarTrack));
}

TEST_F(ScrollBarDrawTest, MovedAndNewlyShownBarsAreDrawn) {
  MoveWindow(mGrid, 40, 30, 200, 100, TRUE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(at(20 + 191, 20), pixel(kBarThumb));
  // A bar that appears with its range takes the client's edge.
  HWND editor = make("editor", WS_CHILD | WS_VISIBLE, 0, 140, 100, 60, mParent);
  testdriver::pumpUntilIdle();
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 999, 100, 0, 0};
  SetScrollInfo(editor, SB_VERT, &si, TRUE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(testdriver::windowPixels(mParent).at(91, 140 + 6), pixel(kBarArrow));
}

TEST_F(ScrollBarDrawTest, DisabledWindowHasGreyArrowsAndNoThumb) {
  EnableWindow(mGrid, FALSE);
  EXPECT_EQ(vbar(6), pixel(kBarArrowDisabled));
  EXPECT_EQ(vbar(20), pixel(kBarTrack));
  EXPECT_EQ(hbar(30), pixel(kBarTrack));
  EnableWindow(mGrid, TRUE);
  EXPECT_EQ(vbar(6), pixel(kBarArrow));
  EXPECT_EQ(vbar(20), pixel(kBarThumb));
  // A bar kept shown although the page covers the range scrolls nothing.
  SCROLLINFO fits{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 20, 0, 0};
  SetScrollInfo(mGrid, SB_VERT, &fits, TRUE);
  EXPECT_EQ(vbar(6), pixel(kBarArrowDisabled));
  EXPECT_EQ(vbar(20), pixel(kBarTrack));
}

TEST_F(ScrollBarDrawTest, TopLevelBarsArePicturedForTheFrame) {
  HWND top = make("top", WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 400, 0, 120, 90);
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 50, 50, 0};
  SetScrollInfo(top, SB_VERT, &si, TRUE);
  Surface v = scrollBarPixels(top, SB_VERT);
  ASSERT_EQ(v.width, 17);
  ASSERT_EQ(v.height, 90);  // the bar (73) and the size box below it
  EXPECT_EQ(v.at(8, 6), pixel(kBarArrow));
  EXPECT_EQ(v.at(8, 73 - 18), pixel(kBarThumb));  // the last position: at the track's end
  EXPECT_EQ(v.at(8, 80), pixel(kBarTrack));
  Surface h = scrollBarPixels(top, SB_HORZ);
  EXPECT_EQ(h.width, 103);
  EXPECT_EQ(h.height, 17);
  EXPECT_EQ(scrollBarPixels(mParent, SB_VERT).width, 0);
}

TEST_F(ScrollBarDrawTest, SiblingAboveAClipSiblingsWindowKeepsItsPixels) {
  // The first child made is the topmost: `over` lies above `clipped`, whose
  // vertical bar (parent x 273..290) it covers at x 273..280, y 140..170.
  HWND over = make("over", WS_CHILD | WS_VISIBLE, 250, 140, 30, 30, mParent);
  HWND clipped = make("clipped", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPSIBLINGS, 240, 130, 50, 60, mParent);
  rec().handler = [over](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h != over || m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(h, &ps);
    return 0;
  };
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 50, 0, 0};
  SetScrollInfo(clipped, SB_VERT, &si, TRUE);
  testdriver::pumpUntilIdle();
  SetScrollInfo(clipped, SB_VERT, &si, TRUE);  // drawn at once, after the sibling painted
  Surface shown = testdriver::windowPixels(mParent);
  EXPECT_EQ(shown.at(276, 150), 0u);                // the sibling's black where the thumb lies
  EXPECT_EQ(shown.at(285, 150), pixel(kBarThumb));  // the thumb beside the sibling
}
