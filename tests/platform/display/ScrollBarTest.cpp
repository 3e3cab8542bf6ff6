// The layer's standard scroll bars on the desktop: a child's bars reach the
// X server with its top-level window's surface and its thumb drags with the
// real mouse; a top-level window's bars are drawn in its frame and answer
// presses there.
#include "platform/png/Png.h"
#include "platform/user/ScrollBarDraw.h"
#include "platform/user/State.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using ScrollBarTest = DisplayTest;

uint32_t pixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

void setBar(HWND hwnd, int bar, int max, UINT page, int pos) {
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, max, page, pos, 0};
  SetScrollInfo(hwnd, bar, &si, TRUE);
}

// The client area of a top-level window in its X window's coordinates.
RECT clientInFrame(HWND top) {
  auto layout = platform::frameLayout(top);
  if (!layout) return RECT{};
  RECT c = layout->client;
  OffsetRect(&c, -layout->frame.left, -layout->frame.top);
  return c;
}

TEST_F(ScrollBarTest, ChildThumbDragsWithTheMouse) {
  HWND w = makeWindow(POINT{120, 120}, SIZE{320, 220});
  // Child client 183 x 133: the vertical bar is x 183..200, its track 17..116
  // with a thumb of 99 * 50 / 100 = 49 pixels that travels 50 pixels for
  // positions 0..50.
  HWND child = CreateWindowExW(0, u"DisplayTest", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 40, 30, 200,
                               150, w, nullptr, nullptr, nullptr);
  setBar(child, SB_VERT, 99, 50, 0);
  setBar(child, SB_HORZ, 99, 50, 0);
  UpdateWindow(w);
  pumpFor(150);
  RECT client = clientInFrame(w);
  Surface shown = mServer.pixels(platform::display::x11Window(w), client);
  auto top = platform::user::findWindow(w);
  ASSERT_TRUE(top && top->surface);
  ASSERT_EQ(shown.width, top->surface->width);
  int differing = 0;
  for (int y = 30; y < 30 + 150; ++y)
    for (int x = 40 + 183; x < 40 + 200; ++x) differing += shown.at(x, y) != top->surface->at(x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(shown.at(40 + 191, 30 + 20), pixel(platform::user::kBarThumb));
  EXPECT_TRUE(writePng(shown, pngPath("scroll_bars_child")));

  POINT grip = screenOf(child, 191, 30);
  forget();
  mServer.move(grip);
  mServer.button(1, true);
  ASSERT_TRUE(pumpUntil([&] { return GetCapture() == child; }));
  mServer.move(POINT{grip.x + 60, grip.y + 25});  // beside the bar, under the capture
  ASSERT_TRUE(pumpUntil([&] { return !messages({WM_VSCROLL}).empty(); }));
  mServer.button(1, false);
  ASSERT_TRUE(pumpUntil([&] {
    auto v = messages({WM_VSCROLL});
    return !v.empty() && LOWORD(v.back().wParam) == SB_ENDSCROLL;
  }));
  auto v = messages({WM_VSCROLL});
  ASSERT_GE(v.size(), 3u);
  EXPECT_EQ(LOWORD(v[0].wParam), SB_THUMBTRACK);
  EXPECT_EQ(LOWORD(v[v.size() - 2].wParam), SB_THUMBPOSITION);
  EXPECT_EQ(HIWORD(v[v.size() - 2].wParam), 25);
  for (const Received& r : v) EXPECT_EQ(r.lParam, 0);
  EXPECT_FALSE(received(WM_LBUTTONUP));  // the bar had the release
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, TopLevelBarsAreDrawnInTheFrameAndPressed) {
  HWND w = makeWindow(POINT{200, 150}, SIZE{300, 200}, WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  setBar(w, SB_VERT, 99, 50, 50);  // the last position: the thumb at the track's end
  pumpFor(150);
  RECT c = clientInFrame(w);
  Surface bar = mServer.pixels(platform::display::x11Window(w), RECT{c.right, c.top, c.right + 17, c.bottom});
  ASSERT_EQ(bar.height, 200);
  EXPECT_EQ(bar.at(8, 6), pixel(platform::user::kBarArrow));
  EXPECT_EQ(bar.at(8, 200 - 17 - 5), pixel(platform::user::kBarThumb));
  EXPECT_EQ(bar.at(8, 20), pixel(platform::user::kBarTrack));
  forget();
  POINT up = screenOf(w, 300 + 8, 6);  // the up arrow, right of the client area
  mServer.click(up);
  ASSERT_TRUE(pumpUntil([&] {
    auto v = messages({WM_VSCROLL});
    return !v.empty() && LOWORD(v.back().wParam) == SB_ENDSCROLL;
  }));
  auto v = messages({WM_VSCROLL});
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(LOWORD(v[0].wParam), SB_LINEUP);
}

TEST_F(ScrollBarTest, GripBetweenAChildsBarsInTheCornerSizesTheWindow) {
  HWND w = makeWindow(POINT{150, 120}, SIZE{320, 220});
  HWND child = CreateWindowExW(0, u"DisplayTest", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 0, 0, 320,
                               220, w, nullptr, nullptr, nullptr);
  setBar(child, SB_VERT, 99, 50, 0);
  setBar(child, SB_HORZ, 99, 50, 0);
  UpdateWindow(w);
  pumpFor(100);
  RECT c;
  GetClientRect(child, &c);
  POINT box = screenOf(child, c.right + 8, c.bottom + 8);
  forget();
  mServer.move(box);
  mServer.button(1, true);
  ASSERT_TRUE(pumpUntil([&] { return received(WM_NCLBUTTONDOWN); }));
  EXPECT_EQ(messages({WM_NCLBUTTONDOWN}).front().wParam, static_cast<WPARAM>(HTBOTTOMRIGHT));
  // The press went through the window's default handling: the desktop holds the pointer.
  mServer.move(POINT{box.x + 60, box.y + 40});
  ASSERT_TRUE(pumpUntil([&] {
    RECT now;
    GetClientRect(w, &now);
    return now.right == 380 && now.bottom == 260;
  })) << "the window was not sized from its corner";
  mServer.button(1, false);
  // The desktop had the release: once it lets go of the pointer, the button
  // is up for the layer and a move over the child is no drag.
  ASSERT_TRUE(pumpUntil([&] { return mServer.pointerFree(); }));
  EXPECT_FALSE(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
  forget();
  mServer.move(screenOf(child, 50, 50));
  ASSERT_TRUE(pumpUntil([&] { return received(WM_MOUSEMOVE); }));
  EXPECT_EQ(messages({WM_MOUSEMOVE}).back().wParam & MK_LBUTTON, 0u);
}

}  // namespace
}  // namespace displaytest
