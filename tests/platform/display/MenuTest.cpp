// Menus on the desktop: keyboard menu mode on the menu bar and popup menus.
#include <X11/keysym.h>

#include <thread>

#include "platform/png/Png.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using MenuTest = DisplayTest;

HMENU makeBar() {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, 101, u"打开(&O)\tCtrl+O");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, 102, u"&Save");
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING, 201, u"&Copy");
  AppendMenuW(edit, MF_STRING | MF_GRAYED, 202, u"&Paste");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"文件(&F)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), u"&Edit");
  return bar;
}

std::vector<UINT> commands(const std::vector<Received>& got) {
  std::vector<UINT> ids;
  for (const Received& r : got) ids.push_back(LOWORD(r.wParam));
  return ids;
}

struct Step {
  unsigned long keysym;
  bool down;
};

struct MenuKeys {
  const char* what;
  std::vector<Step> steps;
  std::vector<UINT> chosen;
};

TEST_F(MenuTest, KeyboardMenuModePicksByUnderlinedLetterArrowsAndEnter) {
  HWND w = makeWindow(POINT{150, 150}, SIZE{400, 200}, WS_OVERLAPPEDWINDOW, makeBar());
  pumpFor(50);
  SetFocus(w);
  mServer.move(screenOf(w, 100, 100));
  const MenuKeys table[] = {
      {"Alt alone, then letters",
       {{XK_Alt_L, true}, {XK_Alt_L, false}, {XK_e, true}, {XK_e, false}, {XK_c, true}, {XK_c, false}},
       {201}},
      {"Alt+F, then a letter",
       {{XK_Alt_L, true}, {XK_f, true}, {XK_f, false}, {XK_Alt_L, false}, {XK_s, true}, {XK_s, false}},
       {102}},
      {"F10, arrows, Enter",
       {{XK_F10, true},
        {XK_F10, false},
        {XK_Right, true},
        {XK_Right, false},
        {XK_Down, true},
        {XK_Down, false},
        {XK_Return, true},
        {XK_Return, false}},
       {201}},
      {"a greyed item is not chosen",
       {{XK_Alt_L, true},
        {XK_Alt_L, false},
        {XK_e, true},
        {XK_e, false},
        {XK_p, true},
        {XK_p, false},
        {XK_Escape, true},
        {XK_Escape, false},
        {XK_Escape, true},
        {XK_Escape, false}},
       {}},
      {"Esc leaves", {{XK_Alt_L, true}, {XK_Alt_L, false}, {XK_Escape, true}, {XK_Escape, false}}, {}},
  };
  for (const MenuKeys& t : table) {
    SCOPED_TRACE(t.what);
    forget();
    for (const Step& s : t.steps) {
      mServer.key(s.keysym, s.down);
      pumpFor(30);
    }
    pumpUntil([&] { return !platform::display::menuActive() && messages({WM_COMMAND}).size() >= t.chosen.size(); },
              1000);
    pumpFor(30);
    EXPECT_FALSE(platform::display::menuActive());
    EXPECT_EQ(commands(messages({WM_COMMAND})), t.chosen);
    EXPECT_TRUE(messages({WM_CHAR}).empty());  // the menu took the letters
  }
}

TEST_F(MenuTest, TheBarIsDrawnInTheFrameWithTheSelectedItemLit) {
  HWND w = makeWindow(POINT{150, 450}, SIZE{400, 120}, WS_OVERLAPPEDWINDOW, makeBar());
  SetFocus(w);
  mServer.move(screenOf(w, 100, 100));
  mServer.tap(XK_F10);
  ASSERT_TRUE(pumpUntil([] { return platform::display::menuActive(); }));
  pumpFor(100);
  auto layout = platform::frameLayout(w);
  RECT bar{0, 0, layout->frame.right - layout->frame.left, layout->menuBar.bottom - layout->menuBar.top};
  Surface shown = mServer.pixels(platform::display::x11Window(w), bar);
  EXPECT_TRUE(writePng(shown, pngPath("menu_bar_selected")));
  std::vector<RECT> items = platform::menuBarItemRects(w);
  ASSERT_EQ(items.size(), 2u);
  COLORREF lit = GetSysColor(COLOR_HIGHLIGHT);  // 0x00BBGGRR; pixels are 0x00RRGGBB
  EXPECT_EQ(shown.at(items[0].left + 2, 2), (GetRValue(lit) << 16) | (GetGValue(lit) << 8) | GetBValue(lit));
  EXPECT_EQ(shown.at(items[1].left + 2, 2), 0x00FFFFFFu);  // the other item stays white
  mServer.tap(XK_Escape);
  ASSERT_TRUE(pumpUntil([] { return !platform::display::menuActive(); }));
}

// TrackPopupMenu blocks its caller while a person clicks: on an item, the
// command; outside the menu, nothing.
TEST_F(MenuTest, APopupMenuReturnsTheClickedCommandOrNothingForAClickOutside) {
  HWND w = makeWindow(POINT{600, 150}, SIZE{300, 300});
  SetFocus(w);
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 301, u"插入行");
  AppendMenuW(menu, MF_STRING, 302, u"删除行");
  std::vector<RECT> rows = platform::popupMenuItemRects(menu);
  ASSERT_EQ(rows.size(), 2u);
  POINT at = screenOf(w, 40, 40);
  struct Click {
    POINT point;
    UINT chosen;
  };
  const Click table[] = {
      {POINT{at.x + rows[1].left + 10, at.y + rows[1].top + 8}, 302},
      {POINT{at.x + 250, at.y + 200}, 0},
  };
  for (const Click& c : table) {
    std::thread person([&] {
      Server hand;
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      hand.move(POINT{c.point.x, c.point.y - 3});
      hand.click(c.point);
    });
    UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, w, nullptr));
    person.join();
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_FALSE(platform::display::menuActive());
  }
  DestroyMenu(menu);
}

}  // namespace
}  // namespace displaytest
