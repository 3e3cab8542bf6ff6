// Accelerators: virtual-key entries exact on Ctrl, Alt and Shift, character
// entries exact on the character, commands to the keystroke's own window,
// greyed items of a top-level window's menu swallowing their keystroke.
#include "tests/platform/user/UiFixture.h"

using namespace uitest;
using testdriver::Alt;
using testdriver::Ctrl;
using testdriver::Shift;

namespace {

class AccelTest : public UiTest {
 protected:
  // The program's main loop: accelerators first, for the message's window.
  void pump(HACCEL table) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateAcceleratorW(m.hwnd, table, &m)) continue;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  size_t count(HWND hwnd, UINT message) const {
    size_t n = 0;
    for (const auto& l : rec().log()) n += l.hwnd == hwnd && l.message == message;
    return n;
  }
};

TEST_F(AccelTest, KeystrokesReachTheChildWindowAsCommands) {
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTestAccel));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(kTestAccel)), table);  // loaded once
  HWND main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300);
  HWND grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, main);
  SetFocus(grid);
  pump(table);
  struct Case {
    const char* what;
    int vk;
    unsigned mods;
    WORD cmd;  // 0: no command
  } cases[] = {
      {"Alt+A: the virtual-key entry", 'A', Alt, 32839},
      {"Alt+Shift+A: the character entry 'A'", 'A', Alt | Shift, 32849},
      {"Ctrl+Alt+F", 'F', Ctrl | Alt, 32838},
      {"Ctrl+Alt+Shift+F: Shift must match too", 'F', Ctrl | Alt | Shift, 0},
      {"F5", VK_F5, 0, 32888},
      {"Shift+F5", VK_F5, Shift, 0},
      {"Alt+/", VK_OEM_2, Alt, 104},
      {"Alt+Shift+/ makes '?'", VK_OEM_2, Alt | Shift, 104},
      {"Ctrl+Shift+S", 'S', Ctrl | Shift, 32939},
      {"Ctrl+S", 'S', Ctrl, 0},
      {"x: a character entry without Alt", 'X', 0, 500},
      {"Shift+X makes 'X', not 'x'", 'X', Shift, 0},
      {"Alt+X makes WM_SYSCHAR, which a plain entry does not take", 'X', Alt, 0},
  };
  for (const Case& c : cases) {
    rec().clear();
    testdriver::keyPress(c.vk, c.mods);
    pump(table);
    auto cmds = commands();
    ASSERT_EQ(cmds.size(), c.cmd ? 1u : 0u) << c.what;
    if (!c.cmd) continue;
    EXPECT_EQ(cmds[0].hwnd, grid) << c.what;
    EXPECT_EQ(cmds[0].wParam, MAKEWPARAM(c.cmd, 1)) << c.what;
    // The keystroke that matched is neither translated nor dispatched.
    EXPECT_EQ(count(grid, WM_CHAR) + count(grid, WM_SYSCHAR), 0u) << c.what;
  }
  EXPECT_TRUE(DestroyAcceleratorTable(table));  // a loaded table stays
  ACCEL copy[16];
  EXPECT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 8);
  EXPECT_EQ(CopyAcceleratorTableW(table, copy, 2), 2);
  EXPECT_EQ(copy[1].cmd, 32849);
}

TEST_F(AccelTest, GreyedMenuItemsOfTheTopLevelTargetSwallowTheirKeystroke) {
  ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'N', 101}, {FVIRTKEY | FCONTROL, 'S', 102}};
  HACCEL table = CreateAcceleratorTableW(entries, 2);
  HMENU menu = LoadMenuW(nullptr, MAKEINTRESOURCEW(kTestMenu));  // 102 is greyed
  usertest::Recorder::get().pendingName = "main";
  HWND main = CreateWindowExW(0, usertest::kPlainClass, u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                              nullptr, menu, nullptr, nullptr);
  mWindows.push_back(main);
  HWND child = make("child", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, main);
  SetFocus(main);
  pump(table);
  struct Step {
    const char* what;
    HWND focus;
    std::function<void()> before;
    size_t commands;
    size_t keyDowns;  // WM_KEYDOWN of the letter dispatched
  } steps[] = {
      {"greyed: swallowed", main, [] {}, 0, 0},
      {"the child is no menu's window", child, [] {}, 1, 0},
      {"enabled again", main, [&] { EnableMenuItem(menu, 102, MF_ENABLED); }, 1, 0},
      {"disabled (not only greyed) also blocks", main, [&] { EnableMenuItem(menu, 102, MF_DISABLED); }, 0, 0},
      {"captured mouse: swallowed", child, [&] { SetCapture(child); }, 0, 0},
  };
  for (const Step& s : steps) {
    s.before();
    SetFocus(s.focus);
    pump(table);
    rec().clear();
    testdriver::keyPress('S', Ctrl);
    pump(table);
    EXPECT_EQ(commands().size(), s.commands) << s.what;
    size_t downs = 0;
    for (const auto& l : rec().of(WM_KEYDOWN)) downs += l.wParam == 'S';
    EXPECT_EQ(downs, s.keyDowns) << s.what;
  }
  ReleaseCapture();
  rec().clear();
  testdriver::keyPress('N', Ctrl);
  pump(table);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].wParam, MAKEWPARAM(101, 1));
  EXPECT_TRUE(DestroyAcceleratorTable(table));
  EXPECT_FALSE(DestroyAcceleratorTable(table));
  MSG m{main, WM_KEYDOWN, 'N', 0, 0, {}};
  EXPECT_EQ(TranslateAcceleratorW(main, table, &m), 0);
}

}  // namespace
