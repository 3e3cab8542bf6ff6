// Keys in the program's dialogs through its own loop: Tab into the replace dialog's mode
// group lands on the mode the user chose, and an Alt that outlives the go-to dialog
// leaves the main window out of menu mode, its keys going on to the grid.
#include "grid/FindPattern.h"
#include "resources/GridIds.h"
#include "tests/app/AppFixture.h"

namespace {

constexpr int kWrap = 1018, kNormal = 1019, kExtended = 1001, kRegex = 1020;

// The SC_KEYMENU requests the main window receives while it lives.
std::vector<LPARAM> gKeyMenus;
WNDPROC gMainProc = nullptr;

LRESULT CALLBACK spyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) gKeyMenus.push_back(lParam);
  return CallWindowProcW(gMainProc, hwnd, message, wParam, lParam);
}

}  // namespace

TEST_F(AppTest, TabIntoTheReplaceModesLandsOnTheCheckedMode) {
  start();
  keys('H', testdriver::Ctrl);
  CGrid* grid = currentDocument();
  ASSERT_TRUE(grid && grid->mReplaceDlg && IsWindowVisible(grid->mReplaceDlg));
  HWND replace = grid->mReplaceDlg;
  SendMessageW(GetDlgItem(replace, kRegex), BM_CLICK, 0, 0);
  ASSERT_EQ(grid->mFindMode, FIND_REGEX);
  SetFocus(GetDlgItem(replace, kWrap));
  keys(VK_TAB);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), kRegex);
  EXPECT_EQ(grid->mFindMode, FIND_REGEX);
  keys(VK_UP);  // the arrow moves on from the user's mode
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), kExtended);
  EXPECT_EQ(IsDlgButtonChecked(replace, kExtended), BST_CHECKED);
  keys(VK_TAB, testdriver::Shift);
  keys(VK_TAB);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), kExtended);
  EXPECT_EQ(IsDlgButtonChecked(replace, kNormal), BST_UNCHECKED);
}

// The go-to dialog (Ctrl+G) closed while Alt is down, as a window manager's Alt+F4 does
// with its close request: the Alt released afterwards selects no menu, and Ctrl+Alt+S
// then opens Save As rather than typing into the cell.
TEST_F(AppTest, AnAltThatOutlivesTheGoToDialogLeavesTheMainWindowOutOfMenuMode) {
  testdriver::AnswerScript script;
  start();
  gKeyMenus.clear();
  gMainProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(gMainWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc)));
  CGrid* grid = currentDocument();
  ASSERT_NE(grid, nullptr);
  SetFocus(grid->mHwnd);
  // Ctrl+G released in the dialog, then Alt down there, then the close request.
  std::u16string dialogCaption;
  script.actFirst(u"DialogBoxParamW", [&] {
    char16_t caption[64] = {};
    GetWindowTextW(GetActiveWindow(), caption, 64);
    dialogCaption = caption;
    testdriver::keyUp('G');
    testdriver::keyUp(VK_CONTROL);
    testdriver::keyDown(VK_MENU);
  });
  script.actFirst(u"DialogBoxParamW", [] { PostMessageW(GetActiveWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); });
  testdriver::keyDown(VK_CONTROL);
  testdriver::keyDown('G');
  pump();
  testdriver::keyUp(VK_MENU);
  pump();
  ASSERT_EQ(dialogCaption, u"转跳");
  EXPECT_TRUE(gKeyMenus.empty());
  EXPECT_EQ(GetFocus(), grid->mHwnd);
  script.answer(u"GetSaveFileNameW", 0);
  keys('S', testdriver::Ctrl | testdriver::Alt);
  size_t saveAs = 0;
  for (const auto& r : script.calls()) saveAs += r.call.kind == u"GetSaveFileNameW";
  EXPECT_EQ(saveAs, 1u);
  EXPECT_FALSE(IsWindowVisible(grid->mEditor.hwnd));
  EXPECT_EQ(grid->mCore.getText(1, 1), u"");
  SetWindowLongPtrW(gMainWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gMainProc));
}
