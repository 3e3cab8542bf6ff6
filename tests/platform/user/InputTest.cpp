// Input state: focus and activation order, capture, key states, keystroke
// translation, double clicks, the wheel, cursors, the caret, dropped files.
#include "tests/platform/user/Recorder.h"

using namespace usertest;
using testdriver::pumpUntilIdle;
using testdriver::screenPoint;
using Lines = std::vector<std::string>;

namespace {

class InputTest : public UserTest {
 protected:
  // A shown top-level window with two children, idle and unrecorded.
  void makeTree() {
    main = make("main", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300);
    grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, main);
    editor = make("editor", WS_CHILD | WS_VISIBLE, 20, 20, 80, 20, grid);
    pumpUntilIdle();
    rec().clear();
  }
  HWND main = nullptr, grid = nullptr, editor = nullptr;
};

}  // namespace

TEST_F(InputTest, FocusChangeKillsBeforeSettingWithTheOtherWindow) {
  makeTree();
  SetFocus(grid);
  rec().clear();
  EXPECT_EQ(SetFocus(editor), grid);
  ASSERT_EQ(lines(), (Lines{"grid WM_KILLFOCUS", "editor WM_SETFOCUS"}));
  EXPECT_EQ(rec().log()[0].wParam, reinterpret_cast<WPARAM>(editor));
  EXPECT_EQ(rec().log()[1].wParam, reinterpret_cast<WPARAM>(grid));
  EXPECT_EQ(GetFocus(), editor);
  rec().clear();
  EXPECT_EQ(SetFocus(editor), editor);  // no change, no messages
  EXPECT_TRUE(lines().empty());
  // Disabling a parent leaves the focus on its child until the activation
  // moves it (a dialog saves its focused control then), but neither can
  // take the focus anew; a disabled window loses the focus itself.
  EnableWindow(grid, FALSE);
  EXPECT_EQ(GetFocus(), editor);
  EXPECT_EQ(SetFocus(editor), nullptr);
  EXPECT_EQ(SetFocus(grid), nullptr);
  EXPECT_EQ(GetFocus(), editor);
  EnableWindow(editor, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(InputTest, HidingOrDestroyingTheFocusMovesItToTheParent) {
  makeTree();
  SetFocus(editor);
  bool visibleAtKill = true;
  WPARAM killedFor = 0;
  rec().handler = [&](HWND h, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (h == editor && m == WM_KILLFOCUS) visibleAtKill = IsWindowVisible(editor), killedFor = wp;
    return std::nullopt;
  };
  rec().clear();
  ShowWindow(editor, SW_HIDE);
  EXPECT_FALSE(visibleAtKill);  // the in-place editor's commit test sees it hidden
  EXPECT_EQ(killedFor, reinterpret_cast<WPARAM>(grid));
  EXPECT_EQ(GetFocus(), grid);

  ShowWindow(editor, SW_SHOW);
  SetFocus(editor);
  rec().watch({WM_KILLFOCUS, WM_SETFOCUS, WM_DESTROY});
  DestroyWindow(editor);
  EXPECT_EQ(lines(), (Lines{"editor WM_KILLFOCUS", "grid WM_SETFOCUS", "editor WM_DESTROY"}));
  EXPECT_EQ(GetFocus(), grid);
}

TEST_F(InputTest, ShowingAPopupActivatesItAndAClickElsewhereDeactivatesIt) {
  makeTree();
  HWND popup = make("popup", WS_POPUP, 600, 600, 100, 100, grid);
  rec().watch({WM_ACTIVATE});
  ShowWindow(popup, SW_SHOWNORMAL);
  ASSERT_EQ(lines(), (Lines{"main WM_ACTIVATE", "popup WM_ACTIVATE"}));
  EXPECT_EQ(LOWORD(rec().log()[0].wParam), WA_INACTIVE);
  EXPECT_EQ(rec().log()[0].lParam, reinterpret_cast<LPARAM>(popup));
  EXPECT_EQ(LOWORD(rec().log()[1].wParam), WA_ACTIVE);
  EXPECT_EQ(GetActiveWindow(), popup);
  EXPECT_EQ(GetFocus(), popup);
  pumpUntilIdle();
  rec().clear();
  testdriver::click(screenPoint(grid, 5, 5));
  pumpUntilIdle();
  ASSERT_GE(rec().log().size(), 2u);
  EXPECT_EQ(lines()[0], "popup WM_ACTIVATE");
  EXPECT_EQ(LOWORD(rec().log()[0].wParam), WA_INACTIVE);
  EXPECT_EQ(lines()[1], "main WM_ACTIVATE");
  EXPECT_EQ(LOWORD(rec().log()[1].wParam), WA_CLICKACTIVE);
  EXPECT_EQ(GetActiveWindow(), main);
}

TEST_F(InputTest, CaptureTakesMouseMessagesUntilReleased) {
  makeTree();
  SetCapture(editor);
  rec().watch({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_CAPTURECHANGED});
  POINT outside = screenPoint(editor, -15, 300);  // over nothing of the editor
  testdriver::mouseMove(outside);
  testdriver::click(outside);
  pumpUntilIdle();
  EXPECT_EQ(lines(), (Lines{"editor WM_MOUSEMOVE", "editor WM_LBUTTONDOWN", "editor WM_LBUTTONUP"}));
  EXPECT_EQ(GET_X_LPARAM(rec().log()[1].lParam), -15);
  EXPECT_EQ(GET_Y_LPARAM(rec().log()[1].lParam), 300);
  EXPECT_EQ(GetCapture(), editor);  // a button-up does not release it
  rec().clear();
  EXPECT_EQ(SetCapture(grid), editor);
  ReleaseCapture();
  ASSERT_EQ(lines(), (Lines{"editor WM_CAPTURECHANGED", "grid WM_CAPTURECHANGED"}));
  EXPECT_EQ(rec().log()[0].lParam, reinterpret_cast<LPARAM>(grid));
  EXPECT_EQ(rec().log()[1].lParam, 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, AsyncKeyStateChangesAtInjectionKeyStateAtRetrieval) {
  makeTree();
  SetFocus(grid);
  SHORT asyncInHandler = 0, syncInHandler = 0;
  rec().handler = [&](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_KEYDOWN && wp == 'C') {
      asyncInHandler = GetAsyncKeyState(VK_CONTROL);
      syncInHandler = GetKeyState(VK_CONTROL);
    }
    return std::nullopt;
  };
  testdriver::keyDown(VK_CONTROL);
  testdriver::keyDown('C');
  EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_LT(GetAsyncKeyState(VK_LCONTROL), 0);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);  // nothing retrieved yet
  testdriver::keyUp('C');
  testdriver::keyUp(VK_CONTROL);
  EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
  pumpUntilIdle();
  EXPECT_GE(asyncInHandler, 0);  // "now": Ctrl is already up again
  EXPECT_LT(syncInHandler, 0);   // as of the message: Ctrl was down
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
  testdriver::keyPress(VK_CAPITAL);
  pumpUntilIdle();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);  // toggled
}

TEST_F(InputTest, KeystrokesTranslateToCharacters) {
  makeTree();
  SetFocus(grid);
  using testdriver::Alt;
  using testdriver::Ctrl;
  using testdriver::Shift;
  struct Case {
    int vk;
    unsigned mods;
    bool caps;
    UINT keyMessage;
    UINT charMessage;  // 0: no character
    char16_t ch;
  } cases[] = {
      {'A', 0, false, WM_KEYDOWN, WM_CHAR, u'a'},
      {'A', Shift, false, WM_KEYDOWN, WM_CHAR, u'A'},
      {'A', 0, true, WM_KEYDOWN, WM_CHAR, u'A'},
      {'A', Shift, true, WM_KEYDOWN, WM_CHAR, u'a'},
      {'V', Ctrl, false, WM_KEYDOWN, WM_CHAR, 22},
      {VK_RETURN, 0, false, WM_KEYDOWN, WM_CHAR, 13},
      {VK_RETURN, Ctrl, false, WM_KEYDOWN, WM_CHAR, 10},
      {VK_BACK, 0, false, WM_KEYDOWN, WM_CHAR, 8},
      {VK_TAB, 0, false, WM_KEYDOWN, WM_CHAR, 9},
      {VK_ESCAPE, 0, false, WM_KEYDOWN, WM_CHAR, 27},
      {'1', Shift, false, WM_KEYDOWN, WM_CHAR, u'!'},
      {VK_OEM_2, Shift, false, WM_KEYDOWN, WM_CHAR, u'?'},
      {'A', Alt, false, WM_SYSKEYDOWN, WM_SYSCHAR, u'a'},
      {'A', Alt | Shift, false, WM_SYSKEYDOWN, WM_SYSCHAR, u'A'},
      {'R', Alt, true, WM_SYSKEYDOWN, WM_SYSCHAR, u'R'},
      {VK_OEM_2, Alt, false, WM_SYSKEYDOWN, WM_SYSCHAR, u'/'},
      {VK_OEM_2, Alt | Shift, false, WM_SYSKEYDOWN, WM_SYSCHAR, u'?'},
      {'F', Ctrl | Alt, false, WM_KEYDOWN, 0, 0},
      {VK_F5, 0, false, WM_KEYDOWN, 0, 0},
      {VK_F10, 0, false, WM_SYSKEYDOWN, 0, 0},
      {VK_DELETE, 0, false, WM_KEYDOWN, 0, 0},
  };
  for (const Case& c : cases) {
    if (c.caps) testdriver::keyPress(VK_CAPITAL);
    pumpUntilIdle();
    rec().watch({WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR});
    testdriver::keyPress(c.vk, c.mods);
    pumpUntilIdle();
    std::vector<Logged> keys, chars;
    for (const Logged& l : rec().log()) {
      if (l.wParam == static_cast<WPARAM>(c.vk) && (l.message == WM_KEYDOWN || l.message == WM_SYSKEYDOWN))
        keys.push_back(l);
      if (l.message == WM_CHAR || l.message == WM_SYSCHAR) chars.push_back(l);
    }
    ASSERT_EQ(keys.size(), 1u) << c.vk;
    EXPECT_EQ(keys[0].message, c.keyMessage) << c.vk << " mods " << c.mods;
    if (c.charMessage) {
      ASSERT_EQ(chars.size(), 1u) << c.vk << " mods " << c.mods;
      EXPECT_EQ(chars[0].message, c.charMessage) << c.vk;
      EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(c.ch)) << c.vk << " mods " << c.mods;
      EXPECT_EQ(chars[0].hwnd, grid);
    } else {
      EXPECT_TRUE(chars.empty()) << c.vk << " mods " << c.mods;
    }
    if (c.caps) testdriver::keyPress(VK_CAPITAL);
  }
}

// Alt released alone comes as WM_SYSKEYUP and selects the menu bar; released
// after Alt+key it comes as WM_KEYUP (the key's WM_SYSCHAR already asked for
// the menu), as on the platform.
TEST_F(InputTest, AltReleaseIsSysKeyUpOnlyAfterAltAlone) {
  makeTree();
  SetFocus(grid);
  pumpUntilIdle();
  struct Key {
    int vk;
    bool down;
  };
  struct Case {
    const char* what;
    std::vector<Key> keys;
    Lines grid;     // "MESSAGE wParam" at the focus window
    Lines command;  // WM_SYSCOMMAND at the top-level window: "wParam lParam"
  } cases[] = {
      {"Alt alone", {{VK_MENU, true}, {VK_MENU, false}}, {"WM_SYSKEYDOWN 18", "WM_SYSKEYUP 18"}, {"61696 0"}},
      {"Alt+F",
       {{VK_MENU, true}, {'F', true}, {'F', false}, {VK_MENU, false}},
       {"WM_SYSKEYDOWN 18", "WM_SYSKEYDOWN 70", "WM_SYSCHAR 102", "WM_SYSKEYUP 70", "WM_KEYUP 18"},
       {"61696 102"}},
      {"Alt up before F",
       {{VK_MENU, true}, {'F', true}, {VK_MENU, false}, {'F', false}},
       {"WM_SYSKEYDOWN 18", "WM_SYSKEYDOWN 70", "WM_SYSCHAR 102", "WM_KEYUP 18", "WM_KEYUP 70"},
       {"61696 102"}},
      {"Alt held twice (auto-repeat) then alone",
       {{VK_MENU, true}, {VK_MENU, true}, {VK_MENU, false}},
       {"WM_SYSKEYDOWN 18", "WM_SYSKEYDOWN 18", "WM_SYSKEYUP 18"},
       {"61696 0"}},
      {"F10", {{VK_F10, true}, {VK_F10, false}}, {"WM_SYSKEYDOWN 121", "WM_SYSKEYUP 121"}, {"61696 0"}},
      {"Ctrl+Alt+F",
       {{VK_CONTROL, true}, {VK_MENU, true}, {'F', true}, {'F', false}, {VK_MENU, false}, {VK_CONTROL, false}},
       {"WM_KEYDOWN 17", "WM_KEYDOWN 18", "WM_KEYDOWN 70", "WM_KEYUP 70", "WM_KEYUP 18", "WM_KEYUP 17"},
       {}},
      {"Alt alone after Alt+F",
       {{VK_MENU, true}, {'F', true}, {'F', false}, {VK_MENU, false}, {VK_MENU, true}, {VK_MENU, false}},
       {"WM_SYSKEYDOWN 18", "WM_SYSKEYDOWN 70", "WM_SYSCHAR 102", "WM_SYSKEYUP 70", "WM_KEYUP 18",
        "WM_SYSKEYDOWN 18", "WM_SYSKEYUP 18"},
       {"61696 102", "61696 0"}},
  };
  for (const Case& c : cases) {
    rec().watch({WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_SYSCOMMAND});
    for (const Key& k : c.keys) k.down ? testdriver::keyDown(k.vk) : testdriver::keyUp(k.vk);
    pumpUntilIdle();
    Lines atGrid, commands;
    for (const Logged& l : rec().log()) {
      if (l.message == WM_SYSCOMMAND && l.hwnd == main)
        commands.push_back(std::to_string(l.wParam) + " " + std::to_string(l.lParam));
      else if (l.hwnd == grid && l.message != WM_SYSCOMMAND)
        atGrid.push_back(messageName(l.message) + " " + std::to_string(l.wParam));
    }
    EXPECT_EQ(atGrid, c.grid) << c.what;
    EXPECT_EQ(commands, c.command) << c.what;
  }
}

TEST_F(InputTest, CharacterGoesToTheKeystrokesWindowEvenIfFocusMoves) {
  makeTree();
  SetFocus(grid);
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h == grid && m == WM_KEYDOWN) SetFocus(editor);  // as beginning an edit does
    return std::nullopt;
  };
  rec().watch({WM_CHAR});
  testdriver::keyPress('X');
  pumpUntilIdle();
  ASSERT_EQ(lines(), (Lines{"grid WM_CHAR"}));
}

TEST_F(InputTest, DoubleClicksForClassesThatAskForThem) {
  main = make("main", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300);
  HWND dbl = make("dbl", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, main, kDblClickClass);
  HWND plain = make("plain", WS_CHILD | WS_VISIBLE, 200, 0, 100, 100, main);
  pumpUntilIdle();
  struct Case {
    const char* what;
    HWND target;
    DWORD gapMs;
    int dx;
    Lines expected;
  } cases[] = {
      {"quick", dbl, 100, 0, {"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDBLCLK", "WM_LBUTTONUP"}},
      {"moved 2", dbl, 100, 2, {"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDBLCLK", "WM_LBUTTONUP"}},
      {"moved 3", dbl, 100, 3, {"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}},
      {"slow", dbl, 500, 0, {"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}},
      {"no CS_DBLCLKS", plain, 0, 0, {"WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}},
  };
  for (const Case& c : cases) {
    testdriver::advance(1000);  // forget earlier clicks
    rec().watch({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
    testdriver::click(screenPoint(c.target, 50, 50));
    platform::advanceClock(c.gapMs);
    testdriver::click(screenPoint(c.target, 50 + c.dx, 50));
    pumpUntilIdle();
    Lines got;
    for (const Logged& l : rec().log()) got.push_back(messageName(l.message));
    EXPECT_EQ(got, c.expected) << c.what;
  }
  // A third quick click after a double click starts a new pair.
  testdriver::advance(1000);
  rec().watch({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
  for (int i = 0; i < 3; ++i) testdriver::click(screenPoint(dbl, 10, 10));
  pumpUntilIdle();
  EXPECT_EQ(lines(), (Lines{"dbl WM_LBUTTONDOWN", "dbl WM_LBUTTONDBLCLK", "dbl WM_LBUTTONDOWN"}));
}

TEST_F(InputTest, WheelGoesToTheFocusAndUpToTheParent) {
  makeTree();
  SetFocus(editor);
  rec().watch({WM_MOUSEWHEEL});
  testdriver::keyDown(VK_CONTROL);
  testdriver::wheel(screenPoint(main, 350, 250), -WHEEL_DELTA);  // outside the editor
  testdriver::keyUp(VK_CONTROL);
  pumpUntilIdle();
  ASSERT_EQ(lines(), (Lines{"editor WM_MOUSEWHEEL", "grid WM_MOUSEWHEEL", "main WM_MOUSEWHEEL"}));
  WPARAM wp = rec().log()[0].wParam;
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wp), -120);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(wp), MK_CONTROL);
  EXPECT_LE(static_cast<int32_t>(wp & 0xFFFFFFFF), 0);  // how the grid reads the direction
  testdriver::wheel(screenPoint(main, 1, 1), WHEEL_DELTA);
  pumpUntilIdle();
  EXPECT_GT(static_cast<int32_t>(rec().log().back().wParam & 0xFFFFFFFF), 0);
}

TEST_F(InputTest, CursorPositionAndClassCursor) {
  makeTree();
  HWND dbl = make("dbl", WS_CHILD | WS_VISIBLE, 0, 250, 20, 20, main, kDblClickClass);
  pumpUntilIdle();
  SetCursor(nullptr);
  POINT at = screenPoint(dbl, 3, 4);
  testdriver::mouseMove(at);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, at.x);
  EXPECT_EQ(p.y, at.y);
  pumpUntilIdle();  // WM_SETCURSOR: the class cursor of the window under the pointer
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_CROSS));
  testdriver::mouseMove(screenPoint(grid, 5, 5));
  pumpUntilIdle();
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  HCURSOR cursors[] = {LoadCursorW(nullptr, IDC_ARROW), LoadCursorW(nullptr, IDC_CROSS),
                       LoadCursorW(nullptr, IDC_SIZEWE), LoadCursorW(nullptr, IDC_SIZENS)};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(cursors[i], nullptr);
    for (int j = 0; j < i; ++j) EXPECT_NE(cursors[i], cursors[j]);
  }
  EXPECT_EQ(SetCursor(cursors[1]), cursors[0]);
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
}

TEST_F(InputTest, OneCaretTakenInTurns) {
  makeTree();
  EXPECT_FALSE(DestroyCaret());  // none yet
  EXPECT_TRUE(CreateCaret(editor, nullptr, 1, 15));
  EXPECT_FALSE(platform::caretState().visible);
  ShowCaret(editor);
  SetCaretPos(7, 3);
  auto c = platform::caretState();
  EXPECT_EQ(c.owner, editor);
  EXPECT_TRUE(c.visible);
  EXPECT_EQ(c.pos.x, 7);
  EXPECT_EQ(c.height, 15);
  EXPECT_TRUE(CreateCaret(grid, nullptr, 1, 12));  // replaces the editor's
  EXPECT_EQ(platform::caretState().owner, grid);
  EXPECT_FALSE(ShowCaret(editor));
  DestroyWindow(grid);  // the caret goes with its window
  EXPECT_EQ(platform::caretState().owner, nullptr);
  EXPECT_FALSE(DestroyCaret());
}

TEST_F(InputTest, DroppedFilesReachTheWindowThatAcceptsThem) {
  makeTree();
  DragAcceptFiles(grid, TRUE);
  std::vector<std::u16string> paths = {u"/tmp/a.csv", u"/tmp/数据/b.txt"};
  EXPECT_EQ(testdriver::dropFiles(screenPoint(editor, 2, 2), paths), grid);
  HDROP drop = nullptr;
  rec().handler = [&](HWND h, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_DROPFILES && h == grid) drop = reinterpret_cast<HDROP>(wp);
    return m == WM_DROPFILES ? std::optional<LRESULT>(0) : std::nullopt;
  };
  pumpUntilIdle();
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  WCHAR buf[260];
  EXPECT_EQ(DragQueryFileW(drop, 1, buf, 260), 13u);
  EXPECT_EQ(std::u16string(buf), paths[1]);
  EXPECT_EQ(DragQueryFileW(drop, 0, buf, 4), 3u);  // cut to the buffer
  EXPECT_EQ(std::u16string(buf), u"/tm");
  POINT p;
  DragQueryPoint(drop, &p);
  EXPECT_EQ(p.x, 22);  // editor (20, 20) + (2, 2) in the grid
  DragFinish(drop);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 0u);
  EnableWindow(main, FALSE);  // as under a modal dialog: nothing inside takes a drop
  EXPECT_EQ(testdriver::dropFiles(screenPoint(editor, 2, 2), paths), nullptr);
  EnableWindow(main, TRUE);
  DragAcceptFiles(grid, FALSE);
  EXPECT_EQ(testdriver::dropFiles(screenPoint(editor, 2, 2), paths), nullptr);
}

// A double click that opens an editor which takes the capture: the click
// posted to the editor comes before the button-up still queued as input,
// and that button-up goes to the capture window when it is retrieved.
TEST_F(InputTest, PostedClickPrecedesThePendingButtonUpWhichFollowsTheCapture) {
  main = make("main", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300);
  grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, main, kDblClickClass);
  editor = make("editor", WS_CHILD, 150, 100, 80, 20, grid);
  pumpUntilIdle();
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h == grid && m == WM_LBUTTONDOWN) SetCapture(grid);
    if (h == grid && m == WM_LBUTTONUP) ReleaseCapture();
    if (h == grid && m == WM_LBUTTONDBLCLK) {
      ShowWindow(editor, SW_SHOWNORMAL);
      SetFocus(editor);
      PostMessageW(editor, WM_LBUTTONDOWN, 0, 0);  // "a click at its top-left corner"
    }
    if (h == editor && m == WM_LBUTTONDOWN) SetCapture(editor);
    if (h == editor && m == WM_LBUTTONUP) ReleaseCapture();
    return std::nullopt;
  };
  rec().watch({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
  testdriver::doubleClick(screenPoint(grid, 10, 10));
  pumpUntilIdle();
  EXPECT_EQ(lines(), (Lines{"grid WM_LBUTTONDOWN", "grid WM_LBUTTONUP", "grid WM_LBUTTONDBLCLK",
                            "editor WM_LBUTTONDOWN", "editor WM_LBUTTONUP"}));
  ASSERT_EQ(rec().log().size(), 5u);
  EXPECT_EQ(GET_X_LPARAM(rec().log()[4].lParam), 10 - 150);  // relative to the editor
  EXPECT_EQ(GetCapture(), nullptr);
}
