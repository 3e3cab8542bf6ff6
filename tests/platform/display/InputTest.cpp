// Mouse and keyboard from the X server reach the layer's windows as the
// right messages, client coordinates and key states.
#include <X11/keysym.h>

#include <cstdlib>

#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using InputTest = DisplayTest;

POINT clientPointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

TEST_F(InputTest, ClicksAndDoubleClicksArriveAtTheirClientPoint) {
  HWND w = makeWindow(POINT{100, 100}, SIZE{300, 200});
  HWND child = makeChild(w, RECT{50, 40, 250, 160});
  pumpFor(50);
  forget();
  mServer.click(screenOf(child, 10, 20));
  mServer.click(screenOf(child, 11, 20));  // near and soon: a double click
  mServer.click(screenOf(w, 5, 5), 3);
  ASSERT_TRUE(pumpUntil([&] { return received(WM_RBUTTONUP); }));
  auto got = messages({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP});
  struct Want {
    HWND hwnd;
    UINT message;
    POINT at;
  };
  std::vector<Want> want{{child, WM_LBUTTONDOWN, {10, 20}},   {child, WM_LBUTTONUP, {10, 20}},
                         {child, WM_LBUTTONDBLCLK, {11, 20}}, {child, WM_LBUTTONUP, {11, 20}},
                         {w, WM_RBUTTONDOWN, {5, 5}},         {w, WM_RBUTTONUP, {5, 5}}};
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].hwnd, want[i].hwnd);
    EXPECT_EQ(got[i].message, want[i].message);
    EXPECT_EQ(clientPointOf(got[i].lParam).x, want[i].at.x);
    EXPECT_EQ(clientPointOf(got[i].lParam).y, want[i].at.y);
  }
}

// A drag that leaves the window keeps reaching the window that captured the
// mouse, with client coordinates outside its client area.
TEST_F(InputTest, ADragOutsideTheWindowStaysWithTheCapture) {
  HWND w = makeWindow(POINT{200, 200}, SIZE{200, 150});
  pumpFor(50);
  mServer.move(screenOf(w, 20, 20));
  mServer.button(1, true);
  ASSERT_TRUE(pumpUntil([&] { return received(WM_LBUTTONDOWN); }));
  SetCapture(w);
  forget();
  mServer.move(screenOf(w, 260, -40));  // right of and above the window
  ASSERT_TRUE(pumpUntil([&] { return received(WM_MOUSEMOVE); }));
  auto moves = messages({WM_MOUSEMOVE});
  EXPECT_EQ(moves.back().hwnd, w);
  EXPECT_EQ(clientPointOf(moves.back().lParam).x, 260);
  EXPECT_EQ(clientPointOf(moves.back().lParam).y, -40);
  EXPECT_TRUE(moves.back().wParam & MK_LBUTTON);
  mServer.button(1, false);
  ASSERT_TRUE(pumpUntil([&] { return received(WM_LBUTTONUP); }));
  EXPECT_EQ(messages({WM_LBUTTONUP}).back().hwnd, w);
  ReleaseCapture();
}

TEST_F(InputTest, WheelNotchesAreWheelDeltasWithTheKeyState) {
  HWND w = makeWindow(POINT{300, 100}, SIZE{200, 150});
  pumpFor(50);
  SetFocus(w);
  mServer.move(screenOf(w, 30, 40));
  mServer.key(XK_Control_L, true);
  mServer.button(5, true);  // one notch towards the user
  mServer.button(5, false);
  mServer.key(XK_Control_L, false);
  mServer.button(4, true);  // one notch away
  mServer.button(4, false);
  ASSERT_TRUE(pumpUntil([&] { return messages({WM_MOUSEWHEEL}).size() == 2; }));
  auto wheel = messages({WM_MOUSEWHEEL});
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), -WHEEL_DELTA);
  EXPECT_TRUE(GET_KEYSTATE_WPARAM(wheel[0].wParam) & MK_CONTROL);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[1].wParam), WHEEL_DELTA);
  EXPECT_FALSE(GET_KEYSTATE_WPARAM(wheel[1].wParam) & MK_CONTROL);
  POINT at = screenOf(w, 30, 40);  // the wheel carries the screen point
  EXPECT_EQ(GET_X_LPARAM(wheel[1].lParam), at.x);
  EXPECT_EQ(GET_Y_LPARAM(wheel[1].lParam), at.y);
}

TEST_F(InputTest, TypedKeysAreVirtualKeysAndCharacters) {
  HWND w = makeWindow(POINT{100, 400}, SIZE{200, 100});
  pumpFor(50);
  SetFocus(w);
  mServer.move(screenOf(w, 10, 10));
  forget();
  struct Typed {
    std::vector<unsigned long> keys;  // pressed in order, released in reverse
    int vk;
    char16_t ch;  // 0: no character
  };
  const Typed table[] = {
      {{XK_a}, 'A', u'a'},
      {{XK_Shift_L, XK_a}, 'A', u'A'},
      {{XK_Shift_L, XK_1}, '1', u'!'},
      {{XK_semicolon}, VK_OEM_1, u';'},
      {{XK_Control_L, XK_c}, 'C', 3},
      {{XK_Return}, VK_RETURN, 13},
      {{XK_F2}, VK_F2, 0},
      {{XK_Left}, VK_LEFT, 0},
  };
  for (const Typed& t : table) {
    SCOPED_TRACE(t.vk);
    forget();
    for (unsigned long k : t.keys) mServer.key(k, true);
    int downs = static_cast<int>(t.keys.size());
    ASSERT_TRUE(pumpUntil([&] { return static_cast<int>(messages({WM_KEYDOWN}).size()) == downs; }));
    if (t.keys.size() > 1) {
      EXPECT_LT(GetKeyState(t.keys[0] == XK_Shift_L ? VK_SHIFT : VK_CONTROL), 0);
    }
    for (auto k = t.keys.rbegin(); k != t.keys.rend(); ++k) mServer.key(*k, false);
    ASSERT_TRUE(pumpUntil([&] { return static_cast<int>(messages({WM_KEYUP}).size()) == downs; }));
    pumpFor(20);
    EXPECT_EQ(messages({WM_KEYDOWN}).back().wParam, static_cast<WPARAM>(t.vk));
    auto chars = messages({WM_CHAR});
    if (t.ch) {
      ASSERT_EQ(chars.size(), 1u);
      EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(t.ch));
    } else {
      EXPECT_TRUE(chars.empty());
    }
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  }
}

// Characters come from the desktop's keymap: on a German keyboard the key
// right of T types 'z', AltGr+Q types '@' and the key right of P 'ü'.
TEST_F(InputTest, CharactersFollowTheDesktopsLayout) {
  HWND w = makeWindow(POINT{400, 400}, SIZE{200, 100});
  pumpFor(50);
  SetFocus(w);
  mServer.move(screenOf(w, 10, 10));
  if (std::system("setxkbmap de 2>/dev/null") != 0) GTEST_SKIP() << "setxkbmap is not installed";
  pumpFor(200);
  struct Typed {
    std::vector<int> keycodes;
    int vk;
    char16_t ch;
  };
  const Typed table[] = {
      {{29}, 'Z', u'z'},       // US 'y' position
      {{52}, 'Y', u'y'},       // US 'z' position
      {{34}, 0, u'\u00FC'},    // 'ü'
      {{108, 24}, 'Q', u'@'},  // AltGr+Q
  };
  for (const Typed& t : table) {
    SCOPED_TRACE(static_cast<int>(t.ch));
    forget();
    for (int k : t.keycodes) mServer.keycode(k, true);
    for (auto k = t.keycodes.rbegin(); k != t.keycodes.rend(); ++k) mServer.keycode(*k, false);
    EXPECT_TRUE(pumpUntil([&] { return received(WM_CHAR); }));
    pumpFor(20);
    auto chars = messages({WM_CHAR});
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(t.ch));
    if (t.vk) {
      EXPECT_EQ(messages({WM_KEYDOWN}).back().wParam, static_cast<WPARAM>(t.vk));
    }
  }
  EXPECT_EQ(std::system("setxkbmap us"), 0);
  pumpFor(200);
}

}  // namespace
}  // namespace displaytest
