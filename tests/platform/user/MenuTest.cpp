// Menus: trees from resources, marks and enabling by id through every
// level, the class menu of a window, popup menus answered by the driver and
// the menu bar's picture.
#include "platform/png/Png.h"
#include "tests/platform/user/UiFixture.h"

using namespace uitest;

namespace {

class MenuTest : public UiTest {
 protected:
  HMENU load(WORD id) {
    HMENU m = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    EXPECT_NE(m, nullptr);
    return m;
  }
};

std::u16string itemText(HMENU menu, UINT item, UINT flags) {
  WCHAR buf[64];
  GetMenuStringW(menu, item, buf, 64, flags);
  return buf;
}

TEST_F(MenuTest, LoadedTreeMatchesItsResource) {
  HMENU bar = load(kTestMenu);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuItemID(file, 0), 101u);
  EXPECT_EQ(GetMenuItemID(file, 2), 0xFFFFFFFFu);  // a popup
  EXPECT_EQ(itemText(bar, 0, MF_BYPOSITION), u"文件(&F)");
  EXPECT_EQ(itemText(bar, 112, MF_BYCOMMAND), u"不判断双引号");  // two levels down
  EXPECT_EQ(GetMenuState(bar, 102, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(GetMenuState(file, 2, MF_BYPOSITION), (2u << 8) | MF_POPUP);  // popup: item count above
  EXPECT_EQ(GetMenuState(bar, 999, MF_BYCOMMAND), 0xFFFFFFFFu);
  // Each load is a tree of its own.
  HMENU again = load(kTestMenu);
  CheckMenuItem(again, 112, MF_CHECKED);
  EXPECT_EQ(GetMenuState(bar, 112, MF_BYCOMMAND), MF_UNCHECKED);
  EXPECT_TRUE(DestroyMenu(again));
  EXPECT_FALSE(IsMenu(again));
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(file));  // popups go with their menu
  EXPECT_FALSE(DestroyMenu(bar));
  EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadMenuW(nullptr, u"9001"), nullptr);  // names are not resources here
}

TEST_F(MenuTest, MarksAndEnablingReachEveryLevelAndReturnThePreviousState) {
  HMENU bar = load(kTestMenu);
  struct Case {
    const char* what;
    bool check;  // CheckMenuItem, else EnableMenuItem
    UINT id;
    UINT flags;
    DWORD previous;
    UINT stateAfter;
  } cases[] = {
      {"uncheck a sub-popup item", true, 111, MF_UNCHECKED, MF_CHECKED, MF_UNCHECKED},
      {"check it again", true, 111, MF_CHECKED, MF_UNCHECKED, MF_CHECKED},
      {"check a sibling", true, 112, MF_CHECKED | MF_BYCOMMAND, MF_UNCHECKED, MF_CHECKED},
      {"enable a greyed item", false, 102, MF_ENABLED, MF_GRAYED, MF_ENABLED},
      {"disable it", false, 102, MF_DISABLED, MF_ENABLED, MF_DISABLED},
      {"grey an item in the second popup", false, 201, MF_GRAYED, MF_ENABLED, MF_GRAYED},
      {"an absent id fails", true, 32832, MF_CHECKED, 0xFFFFFFFF, 0xFFFFFFFF},
      {"an absent id fails to enable", false, 32875, MF_GRAYED, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    DWORD previous = c.check ? CheckMenuItem(bar, c.id, c.flags)
                             : static_cast<DWORD>(EnableMenuItem(bar, c.id, c.flags));
    EXPECT_EQ(previous, c.previous) << c.what;
    UINT state = GetMenuState(bar, c.id, MF_BYCOMMAND);
    UINT mask = c.check ? MF_CHECKED : (MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(state == 0xFFFFFFFF ? state : (state & mask), c.stateAfter) << c.what;
  }
  // By position: the item of that menu itself, not a command id.
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_EQ(EnableMenuItem(file, 0, MF_BYPOSITION | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(GetMenuState(bar, 101, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(CheckMenuItem(file, 7, MF_BYPOSITION | MF_CHECKED), 0xFFFFFFFFu);
  DestroyMenu(bar);
}

TEST_F(MenuTest, ItemsAppendedAtRunTimeAreFoundByCommand) {
  HMENU bar = load(kTestMenu);
  HMENU edit = GetSubMenu(bar, 1);
  ASSERT_TRUE(AppendMenuW(edit, MF_SEPARATOR, 0, nullptr));
  for (UINT i = 0; i < 3; ++i)
    ASSERT_TRUE(
        AppendMenuW(edit, MF_STRING, 33000 + i, (u"plugin" + std::u16string(1, u'0' + i) + u".py").c_str()));
  EXPECT_EQ(GetMenuItemCount(edit), 5);
  EXPECT_EQ(GetMenuItemID(edit, 4), 33002u);
  EXPECT_EQ(itemText(bar, 33001, MF_BYCOMMAND), u"plugin1.py");
  EXPECT_EQ(CheckMenuItem(bar, 33002, MF_CHECKED), MF_UNCHECKED);
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 40, u"deep");
  ASSERT_TRUE(AppendMenuW(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"more"));
  EXPECT_EQ(GetSubMenu(edit, 5), sub);
  EXPECT_TRUE(DeleteMenu(bar, 33000, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(bar, 33000, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_FALSE(AppendMenuW(edit, MF_POPUP, 0x1234, u"no such popup"));
  EXPECT_FALSE(AppendMenuW(reinterpret_cast<HMENU>(0x1234), MF_STRING, 1, u"x"));
  DestroyMenu(bar);
  EXPECT_FALSE(IsMenu(sub));
}

LRESULT CALLBACK plainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST_F(MenuTest, AClassMenuIsTheWindowsMenuAndGoesWithTheWindow) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = plainProc;
  wc.lpszMenuName = MAKEINTRESOURCEW(kTestMenu);
  wc.lpszClassName = u"UiMenuClass";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, u"UiMenuClass", u"Morvel", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  HMENU menu = GetMenu(main);
  ASSERT_TRUE(IsMenu(menu));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), 101u);
  RECT withBar;
  GetClientRect(main, &withBar);
  // Taking the menu away gives its bar's rows to the client area.
  ASSERT_TRUE(SetMenu(main, nullptr));
  RECT without;
  GetClientRect(main, &without);
  EXPECT_EQ(without.bottom - withBar.bottom, GetSystemMetrics(SM_CYMENU));
  ASSERT_TRUE(SetMenu(main, menu));
  DestroyWindow(main);
  EXPECT_FALSE(IsMenu(menu));
  UnregisterClassW(u"UiMenuClass", nullptr);
}

TEST_F(MenuTest, TrackedChoiceArrivesLaterAsACommand) {
  HWND grid = make("grid", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
  testdriver::pumpUntilIdle();
  HMENU context = load(kTestContext);
  HMENU pop = GetSubMenu(context, 0);
  testdriver::AnswerScript script;
  script.answer(u"TrackPopupMenu", 303);
  rec().clear();
  EXPECT_TRUE(TrackPopupMenu(pop, TPM_RIGHTBUTTON, 150, 160, 0, grid, nullptr));
  EXPECT_TRUE(commands().empty());  // not during the call
  testdriver::pumpUntilIdle();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].hwnd, grid);
  EXPECT_EQ(commands()[0].wParam, MAKEWPARAM(303, 0));
  EXPECT_EQ(commands()[0].lParam, 0);
  ASSERT_EQ(script.calls().size(), 1u);
  const auto& args = script.calls()[0].call.args;
  // The point, then only the items that can be chosen.
  EXPECT_EQ(args, (std::vector<std::u16string>{u"150", u"160", u"301 复制(&C)", u"303 取消隐藏"}));
  EXPECT_EQ(script.calls()[0].call.owner, grid);

  struct Case {
    const char* what;
    LONG_PTR answer;
    UINT flags;
    BOOL result;
    bool command;
  } cases[] = {
      {"a disabled item cannot be chosen", 302, 0, TRUE, false},
      {"dismissed", 0, 0, TRUE, false},
      {"an id the menu lacks", 999, 0, TRUE, false},
      {"returned instead of posted", 301, TPM_RETURNCMD, 301, false},
      {"dismissed with TPM_RETURNCMD", 0, TPM_RETURNCMD, 0, false},
  };
  for (const Case& c : cases) {
    script.answer(u"TrackPopupMenu", c.answer);
    rec().clear();
    EXPECT_EQ(TrackPopupMenu(pop, c.flags, 0, 0, 0, grid, nullptr), c.result) << c.what;
    testdriver::pumpUntilIdle();
    EXPECT_EQ(!commands().empty(), c.command) << c.what;
  }
  EXPECT_FALSE(TrackPopupMenu(pop, 0, 0, 0, 0, nullptr, nullptr));
  DestroyMenu(context);
}

TEST_F(MenuTest, ChoosingFromTheBarHonoursGreyedItems) {
  HWND main = CreateWindowExW(0, usertest::kPlainClass, u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                              nullptr, load(kTestMenu), nullptr, nullptr);
  mWindows.push_back(main);
  testdriver::pumpUntilIdle();
  rec().clear();
  EXPECT_FALSE(platform::chooseMenuCommand(main, 102));  // greyed
  EXPECT_FALSE(platform::chooseMenuCommand(main, 7));
  EXPECT_TRUE(platform::chooseMenuCommand(main, 112));
  testdriver::pumpUntilIdle();
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, MAKEWPARAM(112, 0));
}

// Whether any pixel of the column range is of the colour.
bool hasColour(const Surface& s, int x0, int x1, uint32_t colour) {
  for (int y = 0; y < s.height; ++y)
    for (int x = x0; x < std::min(x1, s.width); ++x)
      if (s.at(x, y) == colour) return true;
  return false;
}

TEST_F(MenuTest, BarAndPopupPictures) {
  HMENU menu = load(kTestMenu);
  EnableMenuItem(menu, 201, MF_GRAYED);
  HWND main = CreateWindowExW(0, usertest::kPlainClass, u"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, menu,
                              nullptr, nullptr);
  mWindows.push_back(main);
  Surface bar = platform::menuBarPixels(main);
  EXPECT_EQ(bar.width, 400 - 2 * GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(bar.height, GetSystemMetrics(SM_CYMENU));
  // Item 201 is greyed inside its popup; the bar greys only greyed titles.
  EXPECT_TRUE(hasColour(bar, 0, 60, 0x000000));
  EnableMenuItem(menu, 1, MF_BYPOSITION | MF_GRAYED);
  Surface greyed = platform::menuBarPixels(main);
  COLORREF c = GetSysColor(COLOR_GRAYTEXT);
  uint32_t grey = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  EXPECT_FALSE(hasColour(greyed, 60, 200, 0x000000));
  EXPECT_TRUE(hasColour(greyed, 60, 200, grey));
  EXPECT_TRUE(writePng(bar, (pictureFolder() / "menu_bar.png").string()));
  HMENU file = GetSubMenu(menu, 0);
  Surface popup = platform::popupMenuPixels(file);
  EXPECT_EQ(popup.height, 4 + 3 * 22);
  EXPECT_TRUE(hasColour(popup, 0, popup.width, grey));  // 保存 is greyed
  EXPECT_TRUE(writePng(popup, (pictureFolder() / "menu_popup.png").string()));
  EXPECT_EQ(platform::menuBarPixels(make("plain", WS_POPUP, 0, 0, 10, 10)).width, 0);
}

}  // namespace
