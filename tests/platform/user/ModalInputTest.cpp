// Input while a window is disabled under a modal dialog, a message box or a
// progress pump: the children of the disabled window get no pointer input,
// the disabled window is never activated (a press on it activates its
// enabled popup), and a dialog gets its focused control back after its own
// message box or child dialog.
#include <functional>

#include "tests/platform/user/UiFixture.h"

using namespace uitest;
using usertest::Logged;

namespace {

// Ends on OK with 1000 + the edit's number, on Cancel with IDCANCEL.
INT_PTR CALLBACK okOrCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1000 + GetDlgItemInt(dialog, 1003, nullptr, TRUE));
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
  return TRUE;
}

class ModalInputTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600);
    grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 400, 400, main);
    SetFocus(grid);
    testdriver::pumpUntilIdle();
    rec().watchAlso(WM_SETCURSOR);
    rec().watchAlso(WM_MOUSEACTIVATE);
  }
  // What the grid received of the pointer and activation messages.
  std::vector<std::string> gridPointerMessages() const {
    std::vector<std::string> out;
    for (const Logged& l : rec().log())
      if (l.hwnd == grid && (l.message == WM_MOUSEACTIVATE || l.message == WM_SETCURSOR ||
                             (l.message >= WM_MOUSEMOVE && l.message <= WM_MBUTTONDBLCLK)))
        out.push_back(usertest::messageName(l.message));
    return out;
  }
  // WM_ACTIVATE states main received (WA_ACTIVE, WA_CLICKACTIVE, WA_INACTIVE).
  std::vector<WORD> mainActivations() const {
    std::vector<WORD> out;
    for (const Logged& l : rec().of(WM_ACTIVATE))
      if (l.hwnd == main) out.push_back(LOWORD(l.wParam));
    return out;
  }
  // A point of the grid that dialogs over the main window leave uncovered.
  void clickGrid() { testdriver::click(testdriver::screenPoint(grid, 380, 380)); }

  HWND main = nullptr, grid = nullptr;
};

}  // namespace

// A click on the grid while its top-level window is disabled reaches no one:
// the grid gets no WM_MOUSEACTIVATE, WM_SETCURSOR or button messages, the
// disabled window is not activated, and Enter still reaches the dialog.
TEST_F(ModalInputTest, ClicksOnAChildOfADisabledWindowReachNoOne) {
  struct Case {
    const char* what;
    std::function<int()> run;  // queues a click on the grid and Enter, runs, returns the result
    int result;                // what Enter gives (the idle fallback would give another value)
  } cases[] = {
      {"modal dialog",
       [&] {
         testdriver::AnswerScript script;  // no answers: idle would cancel
         clickGrid();
         testdriver::keyPress(VK_RETURN);
         return static_cast<int>(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kTestDialog), grid, okOrCancel, 0));
       },
       1001},
      {"message box",
       [&] {
         testdriver::AnswerScript script;  // no answer: a Yes/No box gives 0
         clickGrid();
         testdriver::keyPress(VK_RETURN);
         return MessageBoxW(grid, u"文件已经改变，是否要保存?", u"文件保存", MB_YESNO);
       },
       IDYES},
      {"progress pump",
       [&] {
         EnableWindow(main, FALSE);
         clickGrid();
         testdriver::pumpUntilIdle();
         int stillActive = GetActiveWindow() == main && GetFocus() == grid;
         EnableWindow(main, TRUE);
         return stillActive;
       },
       1},
  };
  for (const Case& c : cases) {
    SetFocus(grid);
    testdriver::pumpUntilIdle();
    rec().clear();
    EXPECT_EQ(c.run(), c.result) << c.what;
    EXPECT_EQ(gridPointerMessages(), std::vector<std::string>{}) << c.what;
    for (WORD how : mainActivations()) EXPECT_NE(how, WA_CLICKACTIVE) << c.what;
    // The disabled window heard of the press only as a refused hit.
    bool refusedHit = false;
    for (const Logged& l : rec().of(WM_SETCURSOR))
      if (l.hwnd == main && static_cast<SHORT>(LOWORD(l.lParam)) == HTERROR && HIWORD(l.lParam) == WM_LBUTTONDOWN)
        refusedHit = true;
    EXPECT_TRUE(refusedHit) << c.what;
    EXPECT_TRUE(IsWindowEnabled(main)) << c.what;
    testdriver::pumpUntilIdle();
  }
}

// A press on a disabled window activates the enabled window it owns (its
// modal dialog) instead; a press on a disabled window that owns none changes
// nothing. WindowFromPoint never answers a window inside a disabled one.
TEST_F(ModalInputTest, APressOnADisabledWindowActivatesItsEnabledPopup) {
  HWND other = make("other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 1000, 100, 300, 300);
  HWND popup = make("popup", WS_POPUP | WS_CAPTION | WS_VISIBLE, 300, 300, 200, 100, main);
  POINT onGrid = testdriver::screenPoint(grid, 50, 50);
  struct Case {
    const char* what;
    bool popupShown;
    HWND active;  // after the press
  } cases[] = {
      {"owned popup: it is activated", true, popup},
      {"no enabled popup: the active window stays", false, other},
  };
  for (const Case& c : cases) {
    ShowWindow(popup, c.popupShown ? SW_SHOWNA : SW_HIDE);
    EnableWindow(main, FALSE);
    SetActiveWindow(other);
    testdriver::pumpUntilIdle();
    EXPECT_EQ(WindowFromPoint(onGrid), main) << c.what;
    EXPECT_EQ(SetActiveWindow(main), nullptr) << c.what;  // a disabled window is never activated
    rec().clear();
    testdriver::click(onGrid);
    testdriver::pumpUntilIdle();
    EXPECT_EQ(GetActiveWindow(), c.active) << c.what;
    EXPECT_EQ(gridPointerMessages(), std::vector<std::string>{}) << c.what;
    EXPECT_TRUE(mainActivations().empty()) << c.what;
    EnableWindow(main, TRUE);
  }
  // Enabled again, the grid takes the click and its window is activated.
  SetActiveWindow(other);
  rec().clear();
  testdriver::click(onGrid);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(gridPointerMessages(), (std::vector<std::string>{"WM_MOUSEACTIVATE", "WM_SETCURSOR", "WM_LBUTTONDOWN",
                                                             "WM_SETCURSOR", "WM_LBUTTONUP"}));
}

// The grid opens a message box from WM_LBUTTONDOWN holding the capture: the
// button-up still queued is not handed to it inside the box's loop.
TEST_F(ModalInputTest, AButtonUpQueuedWhenADialogOpensIsNotDelivered) {
  testdriver::AnswerScript script;
  script.answer(u"MessageBoxW", IDOK);
  int result = 0;
  rec().handler = [&](HWND hwnd, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (hwnd != grid || m != WM_LBUTTONDOWN) return std::nullopt;
    SetCapture(grid);
    result = MessageBoxW(grid, u"查找完毕", u"Morvel", MB_OK);
    return 0;
  };
  rec().clear();
  clickGrid();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(rec().of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_TRUE(rec().of(WM_LBUTTONUP).empty());
  EXPECT_EQ(GetCapture(), nullptr);  // disabling the owner released it
}

namespace {

// What the dialog of the focus test saw.
struct FocusSeen {
  HWND focusAfterInner = nullptr;
  HWND control = nullptr;  // the control that had the focus before the inner call
};
FocusSeen gFocus;
std::function<void(HWND)> gInner;  // the inner call made from the dialog

constexpr UINT kRunInner = WM_USER + 5;

// Posts itself kRunInner at start; there it moves the focus to the check
// box, makes the inner call and notes where the focus is afterwards.
INT_PTR CALLBACK innerCallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    PostMessageW(dialog, kRunInner, 0, 0);
    return TRUE;
  }
  if (message == kRunInner) {
    gFocus.control = GetDlgItem(dialog, 1000);
    SetFocus(gFocus.control);
    gInner(dialog);
    gFocus.focusAfterInner = GetFocus();
    EndDialog(dialog, 77);
    return TRUE;
  }
  return okOrCancel(dialog, message, wParam, lParam);
}

}  // namespace

// A dialog saves its focused control when it becomes inactive and gives it
// the focus back when reactivated: after its own message box or child
// dialog the focus is where it was, not on the first tab stop. The grid
// loses the focus to the dialog's control, never to nothing.
TEST_F(ModalInputTest, FocusReturnsToTheControlThatHadItAfterAnInnerDialog) {
  struct Case {
    const char* what;
    std::function<void(HWND)> inner;
  } cases[] = {
      {"message box", [](HWND dialog) { MessageBoxW(dialog, u"列号错误", u"Morvel", MB_OK); }},
      {"child dialog",
       [](HWND dialog) { DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kTestDialog), dialog, okOrCancel, 0); }},
  };
  for (const Case& c : cases) {
    SetActiveWindow(main);
    SetFocus(grid);
    testdriver::pumpUntilIdle();
    rec().clear();
    gFocus = FocusSeen{};
    gInner = c.inner;
    testdriver::AnswerScript script;
    script.answer(u"MessageBoxW", IDOK);
    script.answer(u"DialogBoxParamW", IDOK);
    EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kTestDialog), grid, innerCallProc, 0), 77) << c.what;
    ASSERT_NE(gFocus.control, nullptr) << c.what;
    EXPECT_EQ(gFocus.focusAfterInner, gFocus.control) << c.what;
    std::vector<Logged> kills;
    for (const Logged& l : rec().of(WM_KILLFOCUS))
      if (l.hwnd == grid) kills.push_back(l);
    ASSERT_EQ(kills.size(), 1u) << c.what;
    EXPECT_NE(kills[0].wParam, 0u) << c.what;  // the focus went to the dialog's control
    EXPECT_EQ(GetActiveWindow(), main) << c.what;
  }
  gInner = nullptr;
}
