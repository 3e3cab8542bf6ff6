// Scripts through a real document: F5 posted to the grid window, a second run refused
// from inside the progress pump, the bar closed at the end, open_file ending the run,
// the tab close refused during a run and asking after an edited system script.
#include <fstream>

#include "platform/testdriver/AnswerScript.h"
#include "script/ScriptRun.h"
#include "script/SystemScriptWindow.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Scratch.h"

namespace {

class GridScriptsTest : public GridTest {
 protected:
  void script(int32_t row, int32_t col, const std::u16string& text) {
    core().setText(row, col, text);
    core().cellAt(row, col)->kind = CELL_EXPRTK;
  }
};

TEST_F(GridScriptsTest, RunsArePostedOneAtATimeAndTheBarCloses) {
  sheet(4, 4);
  script(1, 2, u"set_progress(50); set(1,1,get(1,1)+1)");
  script(2, 2, u"1 +");  // a failing cell after the bar went up
  CCTab::CTabData tab;
  tab.document = grid;
  bool closed = true;
  auto show = grid->mScriptDoc.mExprtkHost.showProgress;
  grid->mScriptDoc.mExprtkHost.showProgress = [&](int32_t percent) {
    show(percent);
    if (percent == 50) closed = onDocumentTabClose(tab);
  };
  for (UINT id : {32888u, 32888u, 32889u}) PostMessageW(grid->mHwnd, WM_COMMAND, id, 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(core().getText(1, 1), u"1") << "one run";
  EXPECT_FALSE(closed) << "the running document cannot close";
  EXPECT_EQ(gProgressBar, nullptr);
  EXPECT_TRUE(gInputEnabled);
  EXPECT_FALSE(scriptRunActive());
  EXPECT_TRUE(grid->mComManag.modified());
  EXPECT_TRUE(IsWindowVisible(grid->mOutputDlg)) << "the failing cell's banner";
}

TEST_F(GridScriptsTest, OpenFileEndsTheRun) {
  testsupport::ScratchDir dir;
  std::ofstream(dir.native("in.csv"), std::ios::binary) << "a,b\n1,2\n";
  sheet(4, 4);
  core().setText(1, 2, utf8ToWide(dir.native("in.csv")));
  script(1, 1, u"open_file(get_(1,2)); set(1,1,99)");
  script(3, 3, u"set(3,3,7)");
  grid->onCommand(32888);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(core().mRowCount, 3u);
  EXPECT_EQ(core().getText(1, 1), u"a");
  EXPECT_EQ(core().getText(2, 2), u"2");
  EXPECT_EQ(core().getText(3, 3), u"") << "no later cell ran";
  EXPECT_EQ(grid->mPath, utf8ToWide(dir.native("in.csv")));
}

TEST_F(GridScriptsTest, ClosingStoresAnOpenSystemScriptAndAsks) {
  sheet(3, 3);
  SystemScriptWindow* w = showSystemScriptWnd(&grid->mOps, main);
  ASSERT_NE(w, nullptr);
  SetFocus(w->editor.hwnd);
  testdriver::typeText(u"print(1)");
  testdriver::pumpUntilIdle();
  CCTab::CTabData tab;
  tab.document = grid;
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDCANCEL);
  EXPECT_FALSE(onDocumentTabClose(tab)) << "cancelled";
  EXPECT_EQ(answers.pending(u"MessageBoxW"), 0u) << "the close asked";
  EXPECT_EQ(core().poolText(core().mAttrs[ATTR_PYTHON_SCRIPT].value), u"print(1)");
}

}  // namespace
