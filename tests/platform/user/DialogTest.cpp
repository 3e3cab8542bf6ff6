// Dialogs: templates in dialog units, WM_INITDIALOG, modal loops answered by
// the driver or by keys, modeless dialogs beside the main loop, and the
// calls that address controls by id.
#include <chrono>
#include <thread>

#include "tests/platform/user/UiFixture.h"

using namespace uitest;

namespace {

// What the dialog procedures of these tests saw.
struct Seen {
  LPARAM initParam = 0;
  WPARAM initFocus = 0;
  bool ownerEnabledInside = true;
  std::vector<WORD> commands;
  int counted = 0;
};
Seen seen;
HWND gOwner = nullptr;

// Ends on OK (with the edit's number + 1000) and on Cancel (2).
INT_PTR CALLBACK modalProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      seen.initParam = lParam;
      seen.initFocus = wParam;
      seen.ownerEnabledInside = IsWindowEnabled(gOwner) != FALSE;
      return TRUE;
    case WM_COMMAND:
      seen.commands.push_back(LOWORD(wParam));
      if (LOWORD(wParam) == IDOK) {
        BOOL ok = FALSE;
        UINT n = GetDlgItemInt(dialog, 1003, &ok, TRUE);
        EndDialog(dialog, ok ? 1000 + n : -2);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    case WM_USER + 2: seen.counted += static_cast<int>(lParam); return TRUE;
    case WM_USER + 3: EndDialog(dialog, 5000 + seen.counted); return TRUE;
    default: return FALSE;
  }
}

// Never ends by itself.
INT_PTR CALLBACK stubbornProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Modeless: records commands, destroys itself on Cancel.
INT_PTR CALLBACK modelessProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    seen.initParam = lParam;
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  seen.commands.push_back(LOWORD(wParam));
  if (LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
  return TRUE;
}

class DialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    seen = Seen{};
    main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600);
    grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 400, 400, main);
    gOwner = main;
    SetFocus(grid);
    testdriver::pumpUntilIdle();
  }
  INT_PTR runModal(DLGPROC proc = modalProc, WORD id = kTestDialog, LPARAM param = 77) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), grid, proc, param);
  }
  HWND main = nullptr, grid = nullptr;
};

TEST_F(DialogTest, TemplateBecomesADialogInDialogUnits) {
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kTestDialog), grid, modelessProc, 42);
  ASSERT_NE(dialog, nullptr);
  mWindows.push_back(dialog);
  EXPECT_EQ(seen.initParam, 42);
  EXPECT_EQ(GetParent(dialog), main);  // created over a child: owned by its top-level window
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1003));  // first tab stop, as WM_INITDIALOG asked
  WCHAR caption[32];
  GetWindowTextW(dialog, caption, 32);
  EXPECT_EQ(std::u16string(caption), u"测试对话框");
  // Client 200 x 100 units; the edit at (10, 10), 80 x 12 units.
  LONG units = GetDialogBaseUnits();
  int bx = LOWORD(units), by = HIWORD(units);
  EXPECT_GT(bx, 3);
  EXPECT_GT(by, 10);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 200 * bx / 4);
  EXPECT_EQ(client.bottom, 100 * by / 8);
  RECT mapped{10, 10, 90, 22};
  ASSERT_TRUE(MapDialogRect(dialog, &mapped));
  HWND edit = GetDlgItem(dialog, 1003);
  RECT er;
  GetWindowRect(edit, &er);
  POINT o{0, 0};
  ClientToScreen(dialog, &o);
  EXPECT_EQ(er.left - o.x, mapped.left);
  EXPECT_EQ(er.top - o.y, mapped.top);
  EXPECT_EQ(er.right - er.left, mapped.right - mapped.left);
  EXPECT_EQ(er.bottom - er.top, mapped.bottom - mapped.top);
  EXPECT_EQ(GetDlgCtrlID(edit), 1003);
  EXPECT_NE(SendMessageW(dialog, WM_GETFONT, 0, 0), 0);
  EXPECT_EQ(GetDlgItem(dialog, 4711), nullptr);
  EXPECT_EQ(CreateDialogParamW(nullptr, MAKEINTRESOURCEW(1), grid, modelessProc, 0), nullptr);
}

TEST_F(DialogTest, ItemTextsNumbersAndChecks) {
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kTestDialog), main, modelessProc, 0);
  mWindows.push_back(dialog);
  ASSERT_TRUE(SetDlgItemTextW(dialog, 1003, u"分割设置"));
  WCHAR buf[8];
  EXPECT_EQ(GetDlgItemTextW(dialog, 1003, buf, 3), 2u);  // cut to the buffer, NUL included
  EXPECT_EQ(std::u16string(buf), u"分割");
  buf[0] = u'x';
  EXPECT_EQ(GetDlgItemTextW(dialog, 4711, buf, 8), 0u);
  EXPECT_EQ(buf[0], 0);
  struct Case {
    const char16_t* text;
    BOOL isSigned;
    UINT value;
    BOOL ok;
  } cases[] = {
      {u"  42", TRUE, 42, TRUE},
      {u"-7", TRUE, static_cast<UINT>(-7), TRUE},
      {u"-7", FALSE, 0, FALSE},
      {u"12abc", TRUE, 12, TRUE},
      {u"abc", TRUE, 0, FALSE},
      {u"", FALSE, 0, FALSE},
      {u"2147483647", TRUE, 2147483647u, TRUE},
      {u"2147483648", TRUE, 0, FALSE},
      {u"-2147483648", TRUE, 0x80000000u, TRUE},
      {u"4294967295", FALSE, 4294967295u, TRUE},
      {u"4294967296", FALSE, 0, FALSE},
      {u"30000000000000000000", FALSE, 0, FALSE},
  };
  for (const Case& c : cases) {
    SetDlgItemTextW(dialog, 1003, c.text);
    BOOL ok = 2;
    EXPECT_EQ(GetDlgItemInt(dialog, 1003, &ok, c.isSigned), c.value) << std::string(c.text, c.text + 4);
    EXPECT_EQ(ok, c.ok);
  }
  SetDlgItemInt(dialog, 1003, static_cast<UINT>(-15), TRUE);
  GetDlgItemTextW(dialog, 1003, buf, 8);
  EXPECT_EQ(std::u16string(buf), u"-15");
  SetDlgItemInt(dialog, 1003, 4000000000u, FALSE);
  EXPECT_EQ(GetDlgItemInt(dialog, 1003, nullptr, FALSE), 4000000000u);

  EXPECT_TRUE(CheckDlgButton(dialog, 1000, 1));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1000), 1u);
  CheckRadioButton(dialog, 1001, 1002, 1002);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1001), 0u);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1002), 1u);
  CheckRadioButton(dialog, 1001, 1002, 1001);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1001), 1u);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1002), 0u);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1000), 1u);  // outside the range
  EXPECT_FALSE(CheckDlgButton(dialog, 4711, 1));
}

TEST_F(DialogTest, ModalDialogAnsweredByTheDriver) {
  testdriver::AnswerScript script;
  script.answer(u"DialogBoxParamW", IDOK, {u"1003=25", u"1000:1"});
  EXPECT_EQ(runModal(), 1025);
  EXPECT_EQ(seen.initParam, 77);
  EXPECT_FALSE(seen.ownerEnabledInside);  // the owner is disabled for the loop
  EXPECT_TRUE(IsWindowEnabled(main));     // and enabled again after it
  EXPECT_EQ(GetActiveWindow(), main);
  ASSERT_EQ(script.calls().size(), 1u);
  EXPECT_EQ(script.calls()[0].call.owner, main);
  EXPECT_EQ(script.calls()[0].call.args, (std::vector<std::u16string>{u"9004", u"测试对话框"}));
  EXPECT_EQ(seen.commands, std::vector<WORD>{IDOK});
  // An installed hook without an answer cancels; a dialog that will not end
  // then ends with -1 instead of hanging.
  EXPECT_EQ(runModal(), IDCANCEL);
  EXPECT_EQ(runModal(stubbornProc), -1);
  EXPECT_EQ(runModal(modalProc, 1), -1);  // no such template
  EXPECT_TRUE(IsWindowEnabled(main));
}

// Ends before it is shown.
INT_PTR CALLBACK endsAtOnceProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    EndDialog(dialog, 31);
    seen.ownerEnabledInside = IsWindowEnabled(gOwner) != FALSE;
  }
  if (message == WM_SHOWWINDOW) seen.commands.push_back(0);  // (it must not come)
  return message == WM_INITDIALOG;
}

HWND gDialog = nullptr;

// OK with a text that is no number shows a message box over the dialog and
// keeps it open, as the program's size dialogs do.
INT_PTR CALLBACK validatingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    BOOL ok = FALSE;
    GetDlgItemInt(dialog, 1003, &ok, TRUE);
    if (!ok) {
      gDialog = dialog;
      seen.ownerEnabledInside = IsWindowEnabled(gOwner) != FALSE;
      MessageBoxW(dialog, u"请输入数字", u"Morvel", MB_OK);
      seen.counted = IsWindowEnabled(dialog) ? 1 : 0;  // enabled again after the box
      return TRUE;
    }
  }
  return modalProc(dialog, message, wParam, lParam);
}

TEST_F(DialogTest, EndedInsideWmInitDialogItIsNeverShown) {
  EXPECT_EQ(runModal(endsAtOnceProc), 31);
  EXPECT_TRUE(seen.ownerEnabledInside);  // EndDialog gave the owner back at once
  EXPECT_TRUE(seen.commands.empty());
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(DialogTest, AMessageBoxInsideAModalDialog) {
  testdriver::AnswerScript script;
  script.answer(u"DialogBoxParamW", IDOK, {u"1003=abc"});
  script.answer(u"MessageBoxW", IDOK);
  script.answer(u"DialogBoxParamW", IDOK, {u"1003=5"});
  EXPECT_EQ(runModal(validatingProc), 1005);
  ASSERT_EQ(script.calls().size(), 3u);
  EXPECT_EQ(script.calls()[1].call.kind, u"MessageBoxW");
  EXPECT_EQ(script.calls()[1].call.owner, gDialog);  // the box's owner is the dialog
  EXPECT_FALSE(seen.ownerEnabledInside);
  EXPECT_EQ(seen.counted, 1);
  EXPECT_EQ(script.unanswered(), 0u);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(DialogTest, EnterEscAndTheCloseBoxGiveTheirIds) {
  struct Case {
    const char* what;
    std::function<void()> input;  // queued before the dialog runs
    INT_PTR result;
    WORD command;
  } cases[] = {
      {"Enter in the edit: the default button (OK)", [] { testdriver::keyPress(VK_RETURN); }, 1001, IDOK},
      {"Tab to the check box, Enter: not a push button, so OK",
       [] {
         testdriver::keyPress(VK_TAB);
         testdriver::keyPress(VK_RETURN);
       },
       1001, IDOK},
      {"Shift+Tab to Cancel, Enter presses it",
       [] {
         testdriver::keyPress(VK_TAB, testdriver::Shift);
         testdriver::keyPress(VK_RETURN);
       },
       IDCANCEL, IDCANCEL},
      {"Esc", [] { testdriver::keyPress(VK_ESCAPE); }, IDCANCEL, IDCANCEL},
  };
  for (const Case& c : cases) {
    seen = Seen{};
    c.input();
    EXPECT_EQ(runModal(), c.result) << c.what;
    ASSERT_EQ(seen.commands.size(), 1u) << c.what;
    EXPECT_EQ(seen.commands[0], c.command) << c.what;
  }
  // The close box, pressed while the dialog waits.
  seen = Seen{};
  auto previous = platform::setBlockingHook([](const platform::BlockingCall&) {
    testdriver::closeBox(GetActiveWindow());
    return std::optional<platform::BlockingAnswer>(platform::BlockingAnswer{0, {}});
  });
  EXPECT_EQ(runModal(), IDCANCEL);
  EXPECT_EQ(seen.commands, std::vector<WORD>{IDCANCEL});
  platform::setBlockingHook(std::move(previous));
  EXPECT_TRUE(IsWindowEnabled(main));
}

std::thread gCounter;

// Like the row counter of a paging dialog: a worker started by WM_INITDIALOG
// posts its progress while the modal loop waits in GetMessageW.
INT_PTR CALLBACK countingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    gCounter = std::thread([dialog] {
      for (int i = 1; i <= 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        PostMessageW(dialog, WM_USER + 2, 0, i * 10);
      }
      PostMessageW(dialog, WM_USER + 3, 0, 0);
    });
    return TRUE;
  }
  return modalProc(dialog, message, wParam, lParam);
}

TEST_F(DialogTest, PostsFromAnotherThreadReachTheDialogDuringTheLoop) {
  EXPECT_EQ(runModal(countingProc), 5060);  // no hook: the loop waits for the posts
  gCounter.join();
}

TEST_F(DialogTest, QuitEndsTheModalLoopAndIsPostedAgain) {
  PostQuitMessage(3);
  EXPECT_EQ(runModal(), -1);
  auto r = testdriver::pumpUntilIdle();
  EXPECT_TRUE(r.quit);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(DialogTest, ModelessDialogLivesBesideTheMainLoop) {
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kTestDialog), main, modelessProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowEnabled(main));  // modeless: the owner keeps its input
  // The main loop (no dialog keyboard processing) serves both windows.
  PostMessageW(main, WM_USER + 5, 0, 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1000, 0), 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(rec().of(WM_USER + 5).size(), 1u);
  EXPECT_EQ(seen.commands, std::vector<WORD>{1000});
  // EndDialog only hides a modeless dialog.
  EXPECT_TRUE(EndDialog(dialog, 1));
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindow(dialog));
  ShowWindow(dialog, SW_SHOWNORMAL);
  // The close box reaches the dialog procedure as Cancel, posted.
  testdriver::closeBox(dialog);
  EXPECT_TRUE(IsWindow(dialog));
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(seen.commands, (std::vector<WORD>{1000, IDCANCEL}));
  // A hidden template stays hidden and takes no focus.
  SetFocus(grid);
  HWND bare = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kTestBareDialog), nullptr, modelessProc, 0);
  mWindows.push_back(bare);
  EXPECT_FALSE(IsWindowVisible(bare));
  EXPECT_EQ(GetFocus(), grid);
  EXPECT_EQ(GetParent(bare), nullptr);
}

}  // namespace
