// Dialog keys beyond Tab, Enter and Esc: the arrows inside a group (an
// automatic radio button reached so is checked) and mnemonics (Alt plus a
// control's underlined letter, or the letter alone on a button), in dialogs
// and message boxes.
#include <functional>

#include "tests/platform/user/UiFixture.h"

using namespace uitest;

namespace {

constexpr WORD kKeysDialog = 9101;
constexpr int kLabel = 1100, kEdit = 1101, kByRows = 1102, kByParts = 1103, kBySize = 1104, kKeepHeader = 1105,
              kApply = 1106;

// A split dialog with real controls: a label for the edit, three automatic
// radio buttons in one group, a check box and the push buttons each in a
// group of their own.
void addKeysDialog() {
  using platform::resources::DialogItem;
  platform::resources::Dialog d;
  d.id = kKeysDialog;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
  d.x = 10, d.y = 10, d.cx = 220, d.cy = 110;
  d.caption = u"分割文件";
  const DWORD radio = WS_VISIBLE | BS_AUTORADIOBUTTON;
  d.items = {
      DialogItem{u"STATIC", u"行数(&L):", kLabel, WS_VISIBLE, 0, 5, 7, 40, 10, 0},
      DialogItem{u"EDIT", u"100", kEdit, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 50, 5, 60, 12, 0},
      DialogItem{u"BUTTON", u"按行数(&R)", kByRows, radio | WS_GROUP | WS_TABSTOP, 0, 5, 25, 80, 10, 0},
      DialogItem{u"BUTTON", u"按份数(&P)", kByParts, radio, 0, 5, 37, 80, 10, 0},
      DialogItem{u"BUTTON", u"按大小(&&S)", kBySize, radio, 0, 5, 49, 80, 10, 0},
      DialogItem{u"BUTTON", u"保留标题(&K)", kKeepHeader, WS_VISIBLE | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0,
                 5, 65, 80, 10, 0},
      DialogItem{u"BUTTON", u"确定", IDOK, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 50, 90, 50, 14,
                 0},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 105, 90, 50, 14, 0},
      DialogItem{u"BUTTON", u"应用(&A)", kApply, WS_VISIBLE | WS_TABSTOP, 0, 160, 90, 50, 14, 0},
  };
  platform::resources::Table t;
  t.dialogs.push_back(d);
  platform::resources::addTable(t);
}

// What the dialog looked like when it ended.
struct Ended {
  std::vector<WORD> commands;  // BN_CLICKED ids, in order
  int focus = 0;               // id of the focused control
  int radio = 0;               // the checked radio button
  bool keepHeader = false;
  std::u16string edit;
};
Ended gEnded;
int gStartRadio = kByRows;  // the radio button checked at the start

// Starts with `gStartRadio` checked (and control lParam disabled, when not 0);
// ends on OK, Cancel and Apply with their ids.
INT_PTR CALLBACK keysProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    CheckRadioButton(dialog, kByRows, kBySize, gStartRadio);
    if (lParam) EnableWindow(GetDlgItem(dialog, static_cast<int>(lParam)), FALSE);
    return TRUE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  WORD id = LOWORD(wParam);
  gEnded.commands.push_back(id);
  if (id != IDOK && id != IDCANCEL && id != kApply) return TRUE;
  gEnded.focus = GetDlgCtrlID(GetFocus());
  for (int r = kByRows; r <= kBySize; ++r)
    if (IsDlgButtonChecked(dialog, r)) gEnded.radio = r;
  gEnded.keepHeader = IsDlgButtonChecked(dialog, kKeepHeader) == BST_CHECKED;
  WCHAR text[32];
  GetDlgItemTextW(dialog, kEdit, text, 32);
  gEnded.edit = text;
  EndDialog(dialog, id);
  return TRUE;
}

class DialogKeysTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    static bool added = (addKeysDialog(), true);
    (void)added;
    main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600);
    testdriver::pumpUntilIdle();
  }
  HWND main = nullptr;
};

using testdriver::Alt;
using testdriver::keyPress;

// One key of a sequence, with the modifiers held while it is pressed.
struct Key {
  Key(int vk, unsigned modifiers = testdriver::None) : vk(vk), modifiers(modifiers) {}
  int vk;
  unsigned modifiers;
};
using Keys = std::vector<Key>;

// Queues the keys, in order, for the dialog that runs next.
void press(const Keys& keys) {
  for (const Key& k : keys) keyPress(k.vk, k.modifiers);
}

}  // namespace

TEST_F(DialogKeysTest, ArrowsAndMnemonicsMoveThroughTheDialog) {
  struct Case {
    const char* what;
    Keys keys;     // queued before the dialog runs; the focus starts in the edit
    int disabled;  // control disabled at the start (0: none)
    INT_PTR result;
    std::vector<WORD> commands;
    int focus, radio;
    bool keepHeader;
    std::u16string edit;
  } cases[] = {
      {"Tab to the radios, Down checks the next",
       Keys{VK_TAB, VK_DOWN, VK_RETURN},
       0,
       IDOK,
       {kByParts, IDOK},
       kByParts,
       kByParts,
       false,
       u"100"},
      {"Up from the first wraps to the last of the group",
       Keys{VK_TAB, VK_UP, VK_RETURN},
       0,
       IDOK,
       {kBySize, IDOK},
       kBySize,
       kBySize,
       false,
       u"100"},
      {"Right and Left like Down and Up",
       Keys{VK_TAB, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RETURN},
       0,
       IDOK,
       {kByParts, kBySize, kByParts, IDOK},
       kByParts,
       kByParts,
       false,
       u"100"},
      {"a disabled radio is passed over",
       Keys{VK_TAB, VK_DOWN, VK_RETURN},
       kByParts,
       IDOK,
       {kBySize, IDOK},
       kBySize,
       kBySize,
       false,
       u"100"},
      {"a check box alone in its group stays",
       Keys{VK_TAB, VK_TAB, VK_DOWN, VK_RETURN},
       0,
       IDOK,
       {IDOK},
       kKeepHeader,
       kByRows,
       false,
       u"100"},
      {"the edit keeps its arrows", Keys{VK_DOWN, VK_RETURN}, 0, IDOK, {IDOK}, kEdit, kByRows, false, u"100"},
      {"Alt+P focuses and checks a radio",
       Keys{{'P', Alt}, VK_RETURN},
       0,
       IDOK,
       {kByParts, IDOK},
       kByParts,
       kByParts,
       false,
       u"100"},
      {"Alt+K toggles the check box",
       Keys{{'K', Alt}, VK_RETURN},
       0,
       IDOK,
       {kKeepHeader, IDOK},
       kKeepHeader,
       kByRows,
       true,
       u"100"},
      {"Alt+A presses a push button, the focus stays",
       Keys{{'A', Alt}},
       0,
       kApply,
       {kApply},
       kEdit,
       kByRows,
       false,
       u"100"},
      {"Alt+L on the label focuses the edit after it",
       Keys{VK_TAB, {'L', Alt}, VK_RETURN},
       0,
       IDOK,
       {IDOK},
       kEdit,
       kByRows,
       false,
       u"100"},
      {"'&&' is no mnemonic", Keys{{'S', Alt}, VK_RETURN}, 0, IDOK, {IDOK}, kEdit, kByRows, false, u"100"},
      {"a disabled button's mnemonic does nothing",
       Keys{{'A', Alt}, VK_RETURN},
       kApply,
       IDOK,
       {IDOK},
       kEdit,
       kByRows,
       false,
       u"100"},
      {"the letter alone on a button", Keys{VK_TAB, 'A'}, 0, kApply, {kApply}, kByRows, kByRows, false, u"100"},
      {"an edit reached by its label's mnemonic is typed over",
       Keys{VK_TAB, {'L', Alt}, '7', VK_RETURN},
       0,
       IDOK,
       {IDOK},
       kEdit,
       kByRows,
       false,
       u"7"},
      {"an edit reached by Tab is typed over",
       Keys{VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, '8', VK_RETURN},  // round the six tab stops
       0,
       IDOK,
       {IDOK},
       kEdit,
       kByRows,
       false,
       u"8"},
      {"the letter alone in the edit is typed (at the caret)",
       Keys{'A', VK_RETURN},
       0,
       IDOK,
       {IDOK},
       kEdit,
       kByRows,
       false,
       u"a100"},
  };
  for (const Case& c : cases) {
    gEnded = Ended{};
    press(c.keys);
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kKeysDialog), main, keysProc, c.disabled), c.result)
        << c.what;
    EXPECT_EQ(gEnded.commands, c.commands) << c.what;
    EXPECT_EQ(gEnded.focus, c.focus) << c.what;
    EXPECT_EQ(gEnded.radio, c.radio) << c.what;
    EXPECT_EQ(gEnded.keepHeader, c.keepHeader) << c.what;
    EXPECT_EQ(gEnded.edit, c.edit) << c.what;
    testdriver::pumpUntilIdle();
  }
}

// The checked button of an automatic radio group is the group's one tab stop,
// whichever button has WS_TABSTOP: Tab and Shift+Tab land on it, so the next
// arrow moves on from the user's choice, and Tab from it leaves the group.
TEST_F(DialogKeysTest, TabStopsAtTheCheckedRadioOfAGroup) {
  using testdriver::Shift;
  struct Case {
    const char* what;
    int checked;
    Keys keys;  // the focus starts in the edit
    int disabled;
    std::vector<WORD> commands;
    int focus, radio;
  } cases[] = {
      {"Tab from the edit lands on the checked one", kBySize, Keys{VK_TAB, VK_RETURN}, 0, {IDOK}, kBySize, kBySize},
      {"the next arrow moves on from it",
       kByParts,
       Keys{VK_TAB, VK_DOWN, VK_RETURN},
       0,
       {kBySize, IDOK},
       kBySize,
       kBySize},
      {"Tab from it leaves the group", kByParts, Keys{VK_TAB, VK_TAB, VK_RETURN}, 0, {IDOK}, kKeepHeader, kByParts},
      {"Shift+Tab from the check box comes back to it",
       kBySize,
       Keys{VK_TAB, VK_TAB, {VK_TAB, Shift}, VK_RETURN},
       0,
       {IDOK},
       kBySize,
       kBySize},
      {"Shift+Tab from it leaves the group backwards",
       kBySize,
       Keys{VK_TAB, {VK_TAB, Shift}, VK_RETURN},
       0,
       {IDOK},
       kEdit,
       kBySize},
      {"a disabled checked button: the group's own tab stop",
       kByParts,
       Keys{VK_TAB, VK_RETURN},
       kByParts,
       {IDOK},
       kByRows,
       kByParts},
  };
  for (const Case& c : cases) {
    gEnded = Ended{};
    gStartRadio = c.checked;
    press(c.keys);
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kKeysDialog), main, keysProc, c.disabled), IDOK) << c.what;
    EXPECT_EQ(gEnded.commands, c.commands) << c.what;
    EXPECT_EQ(gEnded.focus, c.focus) << c.what;
    EXPECT_EQ(gEnded.radio, c.radio) << c.what;
    testdriver::pumpUntilIdle();
  }
  gStartRadio = kByRows;
}

// An Alt that went down in a dialog and comes up after the dialog is gone is
// no lone Alt of the window that is active again: it selects no menu bar.
// (A window manager takes Alt+F4 itself and closes the dialog with its close
// request, so the dialog never sees the F4.) A lone Alt after it still does.
TEST_F(DialogKeysTest, AnAltThatOutlivesItsDialogSelectsNoMenu) {
  struct Case {
    const char* what;
    std::function<void()> close;  // while the dialog runs, Alt down
    bool altAgain;                // a lone Alt in the main window afterwards
    size_t keyMenus;              // SC_KEYMENU requests at the main window
  } cases[] = {
      {"closed by the desktop's close request", [] { PostMessageW(GetActiveWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); },
       false, 0},
      {"closed by its own Alt+F4", [] { testdriver::keyPress(VK_F4); }, false, 0},
      {"closed by Esc", [] { testdriver::keyPress(VK_ESCAPE); }, false, 0},
      {"a lone Alt afterwards still selects the menu bar",
       [] { PostMessageW(GetActiveWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); }, true, 1},
  };
  for (const Case& c : cases) {
    testdriver::AnswerScript script;
    script.actFirst(u"DialogBoxParamW", [] { testdriver::keyDown(VK_MENU); });
    script.actFirst(u"DialogBoxParamW", c.close);
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kKeysDialog), main, keysProc, 0), IDCANCEL) << c.what;
    rec().watch({WM_SYSCOMMAND});
    testdriver::keyUp(VK_MENU);
    if (c.altAgain) testdriver::keyPress(VK_MENU);
    testdriver::pumpUntilIdle();
    size_t keyMenus = 0;
    for (const usertest::Logged& l : rec().of(WM_SYSCOMMAND))
      keyMenus += l.hwnd == main && (l.wParam & 0xFFF0) == SC_KEYMENU;
    EXPECT_EQ(keyMenus, c.keyMenus) << c.what;
    EXPECT_EQ(GetActiveWindow(), main) << c.what;
  }
}

// The buttons of a message box answer to their underlined letters, with Alt
// or alone (the focus is on a button).
TEST_F(DialogKeysTest, MessageBoxButtonsAnswerToTheirLetters) {
  struct Case {
    const char* what;
    UINT type;
    int vk;
    unsigned modifiers;
    int result;
  } cases[] = {
      {"Alt+N: 否(&N)", MB_YESNOCANCEL, 'N', Alt, IDNO},
      {"Alt+Y: 是(&Y) though No is the default", MB_YESNO | MB_DEFBUTTON2, 'Y', Alt, IDYES},
      {"N alone", MB_YESNOCANCEL, 'N', 0, IDNO},
      {"R alone: 重试(&R)", MB_RETRYCANCEL, 'R', 0, IDRETRY},
      {"a letter no button has: Esc after it decides", MB_OKCANCEL, 'Q', Alt, IDCANCEL},
  };
  for (const Case& c : cases) {
    keyPress(c.vk, c.modifiers);
    keyPress(VK_ESCAPE);  // reached only when the letter did nothing
    EXPECT_EQ(MessageBoxW(main, u"是否继续?", u"Morvel", c.type), c.result) << c.what;
    testdriver::pumpUntilIdle();
  }
}

namespace {

// A control that answers WM_GETDLGCODE with gProbeCode and notes the keys and characters
// that reach it.
LRESULT gProbeCode = 0;
std::vector<std::pair<UINT, WPARAM>> gProbeGot;
LRESULT CALLBACK probeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return gProbeCode;
    case WM_KEYDOWN:
    case WM_CHAR: gProbeGot.emplace_back(message, wParam); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

std::vector<WORD> gProbeCommands;
INT_PTR CALLBACK probeDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) gProbeCommands.push_back(LOWORD(wParam));
  return message == WM_INITDIALOG || message == WM_COMMAND;
}

}  // namespace

// IsDialogMessageW leaves to the focused control the keys its dialog code asks for: Tab for
// DLGC_WANTTAB, the arrows for DLGC_WANTARROWS, characters for DLGC_WANTCHARS, every key
// for DLGC_WANTALLKEYS; the others are the dialog's (the next tab stop, OK, Cancel).
TEST_F(DialogKeysTest, TheFocusedControlsDialogCodeDecidesWhoTakesAKey) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = probeProc;
  wc.lpszClassName = u"DlgCodeProbe";
  RegisterClassW(&wc);
  using platform::resources::DialogItem;
  platform::resources::Dialog d;
  d.id = 9102;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  d.cx = 200, d.cy = 80;
  d.items = {
      DialogItem{u"DlgCodeProbe", u"", 1200, WS_VISIBLE | WS_TABSTOP | WS_GROUP, 0, 5, 5, 100, 40, 0},
      DialogItem{u"BUTTON", u"确定", IDOK, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 5, 60, 50, 14,
                 0},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 60, 60, 50, 14, 0},
  };
  platform::resources::Table t;
  t.dialogs.push_back(d);
  platform::resources::addTable(t);

  const LRESULT none = 0;
  const struct {
    LRESULT code;
    int vk;
    std::vector<std::pair<UINT, WPARAM>> got;  // what reached the control
    std::vector<WORD> commands;                // what the dialog was told
    bool focusStays;
  } cases[] = {
      {none, VK_TAB, {}, {}, false},
      {DLGC_WANTTAB, VK_TAB, {{WM_KEYDOWN, VK_TAB}, {WM_CHAR, 9}}, {}, true},
      {DLGC_WANTALLKEYS, VK_TAB, {{WM_KEYDOWN, VK_TAB}, {WM_CHAR, 9}}, {}, true},
      {DLGC_WANTARROWS, VK_TAB, {}, {}, false},
      {none, VK_RETURN, {}, {IDOK}, true},
      {DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS, VK_RETURN, {}, {IDOK}, true},
      {DLGC_WANTALLKEYS, VK_RETURN, {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 13}}, {}, true},
      {none, VK_ESCAPE, {}, {IDCANCEL}, true},
      {DLGC_WANTARROWS, VK_ESCAPE, {}, {IDCANCEL}, true},
      {DLGC_WANTALLKEYS, VK_ESCAPE, {{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27}}, {}, true},
      {none, VK_DOWN, {}, {}, true},
      {DLGC_WANTTAB, VK_LEFT, {}, {}, true},
      {DLGC_WANTARROWS, VK_DOWN, {{WM_KEYDOWN, VK_DOWN}}, {}, true},
      {DLGC_WANTALLKEYS, VK_UP, {{WM_KEYDOWN, VK_UP}}, {}, true},
      {DLGC_WANTCHARS, 'A', {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}}, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code << ", key " << c.vk);
    HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(9102), main, probeDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND probe = GetDlgItem(dialog, 1200);
    SetFocus(probe);
    gProbeCode = c.code;
    gProbeGot.clear();
    gProbeCommands.clear();
    keyPress(c.vk);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (!IsDialogMessageW(dialog, &m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    EXPECT_EQ(gProbeGot, c.got);
    EXPECT_EQ(gProbeCommands, c.commands);
    EXPECT_EQ(GetFocus() == probe, c.focusStays);
    DestroyWindow(dialog);
    testdriver::pumpUntilIdle();
  }
}
