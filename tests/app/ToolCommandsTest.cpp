// The data tools as the program starts them: menu commands of the main window, column
// picking in the first document, modeless dialogs served by the program's loop.
#include "app/ColumnPick.h"
#include "app/FindMatchTool.h"
#include "app/TwoTableTool.h"
#include "tests/app/AppFixture.h"

// Command 32937 makes the find-match dialog (a second one only shows it); "获取", then a
// click on the first document's column B header, picks that column.
TEST_F(AppTest, FindMatchCommandPicksFromTheFirstDocument) {
  start();
  CGrid* first = currentDocument();
  ASSERT_TRUE(first);
  first->mCore.resize(4, 4);
  SendMessageW(gMainWnd, WM_COMMAND, 32937, 0);
  pump();
  HWND dialog = gFindMatch.mDialog;
  ASSERT_TRUE(dialog);
  EXPECT_EQ(SendMessageW(gMainWnd, WM_COMMAND, 32937, 0), 0);  // only shows the open dialog
  pump();
  EXPECT_EQ(gFindMatch.mDialog, dialog);
  SendMessageW(dialog, WM_COMMAND, 1043, 0);
  EXPECT_FALSE(IsWindowVisible(dialog));
  const int x = first->mView.rowHeaderWidth() + 74 + 37;
  testdriver::advance(1000);
  testdriver::click(testdriver::screenPoint(first->mHwnd, x, 10));
  pump();
  EXPECT_TRUE(IsWindowVisible(dialog));
  char16_t text[64] = {};
  GetDlgItemTextW(dialog, 1040, text, 64);
  EXPECT_EQ(std::u16string(text), gTabStrip.tabs[0].title + u"!B");
  // The two-table commands share one dialog.
  SendMessageW(gMainWnd, WM_COMMAND, 32944, 0);
  pump();
  HWND dedupe = gTwoTable.mDialog;
  ASSERT_TRUE(dedupe);
  SendMessageW(gMainWnd, WM_COMMAND, 32977, 0);
  pump();
  EXPECT_EQ(gTwoTable.mDialog, dedupe);
}
