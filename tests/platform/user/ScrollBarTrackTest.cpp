// Mouse tracking of a window's standard scroll bars: what presses on the
// arrows, the track and the thumb send, the repeat on the layer's clock,
// and the end of a press however it ends.
#include "platform/user/ScrollBarTrack.h"
#include "tests/platform/user/Recorder.h"

using namespace usertest;
using namespace platform::user;
using Lines = std::vector<std::string>;

namespace {

// A 200 x 100 child with both bars at (20, 30) of a popup at the screen's
// origin. The vertical bar is x 183..200 of the child, 83 long: arrows
// 0..17 and 66..83, track 17..66. The horizontal bar is y 83..100, 183 long:
// arrows 0..17 and 166..183, track 17..166. The window scrolls as a program
// does: a line is 1, a page the bar's page, the thumb goes where dragged.
class ScrollBarTrackTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    HWND parent = make("parent", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300);
    mGrid = make("grid", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 20, 30, 200, 100, parent);
    setBar(SB_VERT, 99, 50, 20);
    setBar(SB_HORZ, 99, 50, 20);
    testdriver::pumpUntilIdle();
    rec().handler = [this](HWND h, UINT m, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
      if (h != mGrid || (m != WM_VSCROLL && m != WM_HSCROLL)) return std::nullopt;
      scrolled(m == WM_VSCROLL ? SB_VERT : SB_HORZ, wp, lp);
      return 0;
    };
    rec().clear();
  }
  void setBar(int bar, int max, UINT page, int pos) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, max, page, pos, 0};
    SetScrollInfo(mGrid, bar, &si, TRUE);
  }
  int pos(int bar) const { return GetScrollPos(mGrid, bar); }
  void scrolled(int bar, WPARAM wp, LPARAM lp) {
    static const char* names[] = {"LINEUP",     "LINEDOWN", "PAGEUP", "PAGEDOWN", "THUMBPOSITION",
                                  "THUMBTRACK", "TOP",      "BOTTOM", "ENDSCROLL"};
    int request = LOWORD(wp);
    std::string line = std::string(bar == SB_VERT ? "V " : "H ") + names[request];
    if (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) line += " " + std::to_string(HIWORD(wp));
    if (lp != 0) line += " lParam!";
    mSent.push_back(line);
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(mGrid, bar, &si);
    if (request == SB_THUMBTRACK) mTrackPos.push_back(si.nTrackPos);
    int next = si.nPos;
    switch (request) {
      case SB_LINEUP: next -= 1; break;
      case SB_LINEDOWN: next += 1; break;
      case SB_PAGEUP: next -= static_cast<int>(si.nPage); break;
      case SB_PAGEDOWN: next += static_cast<int>(si.nPage); break;
      case SB_THUMBTRACK: next = si.nTrackPos; break;
      default: break;
    }
    SetScrollPos(mGrid, bar, next, TRUE);
  }
  // The screen point `along` the bar from its top (left) end, in its middle.
  static POINT onBar(int bar, int along) {
    return bar == SB_VERT ? POINT{20 + 191, 30 + along} : POINT{20 + along, 30 + 91};
  }
  void press(POINT p) {
    testdriver::mouseDown(p);
    testdriver::pumpUntilIdle();
  }
  void release(POINT p) {
    testdriver::mouseUp(p);
    testdriver::pumpUntilIdle();
  }
  void move(POINT p) {
    testdriver::mouseMove(p);
    testdriver::pumpUntilIdle();
  }

  HWND mGrid = nullptr;
  Lines mSent;
  std::vector<int> mTrackPos;  // nTrackPos as read during each SB_THUMBTRACK
};

}  // namespace

TEST_F(ScrollBarTrackTest, ClicksOnThePartsOfEachBar) {
  // pos 20 of 0..50 with a page of 50: the vertical thumb is 27..51 (24
  // long), the horizontal one 47..121 (74 long).
  struct Case {
    const char* part;
    int bar, along;
    Lines sent;
    int posAfter;
  } cases[] = {
      {"up arrow", SB_VERT, 5, {"V LINEUP", "V ENDSCROLL"}, 19},
      {"track above the thumb", SB_VERT, 20, {"V PAGEUP", "V ENDSCROLL"}, 0},
      {"thumb, not moved", SB_VERT, 35, {"V THUMBPOSITION 20", "V ENDSCROLL"}, 20},
      {"track below the thumb", SB_VERT, 60, {"V PAGEDOWN", "V ENDSCROLL"}, 50},
      {"down arrow", SB_VERT, 75, {"V LINEDOWN", "V ENDSCROLL"}, 21},
      {"left arrow", SB_HORZ, 8, {"H LINEUP", "H ENDSCROLL"}, 19},
      {"track left of the thumb", SB_HORZ, 30, {"H PAGEUP", "H ENDSCROLL"}, 0},
      {"track right of the thumb", SB_HORZ, 150, {"H PAGEDOWN", "H ENDSCROLL"}, 50},
      {"right arrow", SB_HORZ, 170, {"H LINEDOWN", "H ENDSCROLL"}, 21},
  };
  for (const Case& c : cases) {
    setBar(SB_VERT, 99, 50, 20);
    setBar(SB_HORZ, 99, 50, 20);
    mSent.clear();
    rec().clear();
    press(onBar(c.bar, c.along));
    EXPECT_EQ(GetCapture(), mGrid) << c.part;
    release(onBar(c.bar, c.along));
    EXPECT_EQ(mSent, c.sent) << c.part;
    EXPECT_EQ(pos(c.bar), c.posAfter) << c.part;
    EXPECT_EQ(GetCapture(), nullptr) << c.part;
    // The press reached the window as a non-client press; the release was the bar's.
    EXPECT_EQ(rec().of(WM_NCLBUTTONDOWN).size(), 1u) << c.part;
    EXPECT_TRUE(rec().of(WM_LBUTTONUP).empty()) << c.part;
  }
}

TEST_F(ScrollBarTrackTest, ThumbDragTracksThePositionUnderCapture) {
  // The thumb is 27..51 in a travel of 25 pixels for positions 0..50; the
  // press at 35 grips it 8 pixels below its start.
  rec().watch({WM_MOUSEMOVE, WM_LBUTTONUP, WM_CAPTURECHANGED});
  press(onBar(SB_VERT, 35));
  move(onBar(SB_VERT, 45));   // thumb at 37: position 20 + 10 * 2
  move(onBar(SB_VERT, 45));   // no new position, nothing sent
  move(POINT{330, 30 + 45});  // beside the bar, off the window: the capture keeps the drag going
  move(onBar(SB_VERT, 100));  // beyond the end: the last position
  move(onBar(SB_VERT, 0));    // beyond the start: the first
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(mGrid, SB_VERT, &si);
  EXPECT_EQ(si.nTrackPos, 0);
  move(onBar(SB_VERT, 41));  // thumb at 33: position 32
  release(onBar(SB_VERT, 41));
  EXPECT_EQ(mSent, (Lines{"V THUMBTRACK 40", "V THUMBTRACK 50", "V THUMBTRACK 0", "V THUMBTRACK 32",
                          "V THUMBPOSITION 32", "V ENDSCROLL"}));
  EXPECT_EQ(mTrackPos, (std::vector<int>{40, 50, 0, 32}));
  EXPECT_EQ(pos(SB_VERT), 32);
  EXPECT_EQ(GetCapture(), nullptr);
  // The window saw none of the pointer input while the thumb was held.
  EXPECT_TRUE(rec().of(WM_MOUSEMOVE).empty());
  EXPECT_TRUE(rec().of(WM_LBUTTONUP).empty());
}

TEST_F(ScrollBarTrackTest, PointerStrayingFarFromTheBarPutsTheThumbBackUntilItReturns) {
  // Both thumbs are pressed at position 20 and first dragged 10 pixels on:
  // position 40. The vertical bar covers screen x 203..220 and y 30..113; a
  // dragging pointer moves the thumb within 8 thicknesses (136) across it and
  // 2 (34) beyond its ends: x 67..355, y -4..146. The horizontal bar covers x
  // 20..203 and y 113..130: x -14..236, y -23..265.
  struct Case {
    const char* name;
    int bar;
    std::vector<POINT> moves;  // after the first drag
    Lines sent;                // after the first drag's THUMBTRACK 40
    int posAfter;              // released at the last point
  } cases[] = {
      {"right, near", SB_VERT, {{355, 75}}, {"V THUMBPOSITION 40"}, 40},
      {"right, far", SB_VERT, {{356, 75}}, {"V THUMBTRACK 20", "V THUMBPOSITION 20"}, 20},
      {"left, near", SB_VERT, {{67, 75}}, {"V THUMBPOSITION 40"}, 40},
      {"left, far", SB_VERT, {{66, 75}}, {"V THUMBTRACK 20", "V THUMBPOSITION 20"}, 20},
      {"below the end, near", SB_VERT, {{211, 146}}, {"V THUMBTRACK 50", "V THUMBPOSITION 50"}, 50},
      {"below the end, far", SB_VERT, {{211, 147}}, {"V THUMBTRACK 20", "V THUMBPOSITION 20"}, 20},
      {"above the start, far", SB_VERT, {{211, -5}}, {"V THUMBTRACK 20", "V THUMBPOSITION 20"}, 20},
      {"far, then back",
       SB_VERT,
       {{400, 75}, {400, 90}, {300, 75}},
       {"V THUMBTRACK 20", "V THUMBTRACK 40", "V THUMBPOSITION 40"},
       40},
      {"under, near", SB_HORZ, {{110, 265}}, {"H THUMBPOSITION 40"}, 40},
      {"under, far", SB_HORZ, {{110, 266}}, {"H THUMBTRACK 20", "H THUMBPOSITION 20"}, 20},
      {"past the right end, near", SB_HORZ, {{236, 121}}, {"H THUMBTRACK 50", "H THUMBPOSITION 50"}, 50},
      {"past the right end, far", SB_HORZ, {{237, 121}}, {"H THUMBTRACK 20", "H THUMBPOSITION 20"}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setBar(SB_VERT, 99, 50, 20);
    setBar(SB_HORZ, 99, 50, 20);
    // The vertical thumb is 27..51, the horizontal one 47..121.
    const int grip = c.bar == SB_VERT ? 35 : 60;
    press(onBar(c.bar, grip));
    move(onBar(c.bar, grip + (c.bar == SB_VERT ? 10 : 30)));
    mSent.clear();
    for (POINT p : c.moves) move(p);
    release(c.moves.back());
    Lines sent = c.sent;
    sent.push_back(c.bar == SB_VERT ? "V ENDSCROLL" : "H ENDSCROLL");
    EXPECT_EQ(mSent, sent);
    EXPECT_EQ(pos(c.bar), c.posAfter);
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(ScrollBarTrackTest, HeldArrowRepeatsOnTheClockWhileOverIt) {
  press(onBar(SB_VERT, 75));
  testdriver::advance(kScrollRepeatDelay - 1);
  EXPECT_EQ(mSent.size(), 1u);  // the press only
  testdriver::advance(1);
  EXPECT_EQ(mSent.size(), 2u);  // the first repeat
  testdriver::advance(kScrollRepeatInterval);
  testdriver::advance(kScrollRepeatInterval);
  EXPECT_EQ(mSent.size(), 4u);
  move(onBar(SB_VERT, 40));  // off the arrow: the repeat pauses
  testdriver::advance(kScrollRepeatInterval);
  EXPECT_EQ(mSent.size(), 4u);
  move(onBar(SB_VERT, 76));  // back on it
  testdriver::advance(kScrollRepeatInterval);
  release(onBar(SB_VERT, 76));
  testdriver::advance(kScrollRepeatInterval * 4);
  EXPECT_EQ(mSent, (Lines{"V LINEDOWN", "V LINEDOWN", "V LINEDOWN", "V LINEDOWN", "V LINEDOWN", "V ENDSCROLL"}));
  EXPECT_EQ(pos(SB_VERT), 25);
}

TEST_F(ScrollBarTrackTest, HeldTrackPagesUntilTheThumbReachesThePointer) {
  // 0..999, page 100: an 8-pixel thumb in 41 pixels of travel for 0..900.
  // The pointer at 60 is reached once the thumb starts at 17 + 800 * 41 / 900 = 53.
  setBar(SB_VERT, 999, 100, 0);
  mSent.clear();
  press(onBar(SB_VERT, 60));
  for (int i = 0; i < 20; ++i) testdriver::advance(i == 0 ? kScrollRepeatDelay : kScrollRepeatInterval);
  release(onBar(SB_VERT, 60));
  Lines want(8, "V PAGEDOWN");
  want.push_back("V ENDSCROLL");
  EXPECT_EQ(mSent, want);
  EXPECT_EQ(pos(SB_VERT), 800);
}

TEST_F(ScrollBarTrackTest, LostCaptureOrDisabledWindowEndsThePress) {
  press(onBar(SB_VERT, 5));
  EnableWindow(mGrid, FALSE);  // takes the capture away
  testdriver::advance(kScrollRepeatDelay + kScrollRepeatInterval);
  EXPECT_EQ(mSent, (Lines{"V LINEUP", "V ENDSCROLL"}));
  EnableWindow(mGrid, TRUE);
  mSent.clear();
  press(onBar(SB_VERT, 35));
  ReleaseCapture();
  EXPECT_EQ(mSent, (Lines{"V ENDSCROLL"}));
  rec().watch({WM_NCLBUTTONUP});
  move(onBar(SB_VERT, 60));
  release(onBar(SB_VERT, 60));  // the window's own input again
  EXPECT_EQ(mSent, (Lines{"V ENDSCROLL"}));
  EXPECT_EQ(rec().of(WM_NCLBUTTONUP).size(), 1u);
  // A window destroyed by its own scroll handler ends the press quietly.
  rec().handler = [this](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h == mGrid && m == WM_VSCROLL) DestroyWindow(h);
    return std::nullopt;
  };
  press(onBar(SB_VERT, 75));
  testdriver::advance(kScrollRepeatDelay);
  release(onBar(SB_VERT, 75));
  EXPECT_FALSE(IsWindow(mGrid));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTrackTest, BarThatCannotScrollIgnoresPresses) {
  SCROLLINFO fits{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 20, 0, 0};
  SetScrollInfo(mGrid, SB_VERT, &fits, TRUE);
  press(onBar(SB_VERT, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  release(onBar(SB_VERT, 5));
  EXPECT_TRUE(mSent.empty());
}
