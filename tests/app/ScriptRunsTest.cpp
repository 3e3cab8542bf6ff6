// Scripts through the whole program: F5 over document scripts and cells of every engine,
// the system-script window from the menu, and input that arrives while a run pumps
// messages (a progress bar, a C message box) and is refused.
#include <filesystem>
#include <functional>
#include <string>

#include "app/Plugins.h"
#include "platform/user/Kernel.h"
#include "resources/GridIds.h"
#include "script/ScriptRun.h"
#include "tests/app/AppFixture.h"
#include "tests/support/AppendScripts.h"

namespace {

std::string utf16(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

using testsupport::cAppend;
using testsupport::exprtkAppend;
using testsupport::pythonAppend;

class ScriptRunsTest : public AppTestInScratch {
 protected:
  void script(int32_t row, int32_t col, uint8_t kind, const std::u16string& text) {
    doc->mCore.setText(row, col, text);
    doc->mCore.cellAt(row, col)->kind = kind;
  }
  void select(int32_t row, int32_t col) {
    doc->mSelection.range = Range{row, col, row, col};
    doc->mSelection.anchorRow = row;
    doc->mSelection.anchorCol = col;
  }
  // The window that has the keyboard's top-level window.
  static HWND focusRoot() { return GetAncestor(GetFocus(), GA_ROOT); }
  // A point on the strip: the first tab's body or its close button.
  static POINT tabPoint(bool closeButton) {
    return testdriver::screenPoint(gTabStrip.hwnd, closeButton ? 20 + 178 - 8 : 80, 14);
  }

  // One case of the table below: `text` runs from the menu's run-all command in cell A2
  // and adds 1 to A1 after it pumps; `action` arrives meanwhile.
  enum Engine { ExprtkBar, PythonBar, CMessageBox };
  struct Action {
    const char* name;
    std::function<void()> inject;
  };
  void runCase(Engine engine, uint8_t kind, const std::u16string& text, const Action& action,
               testdriver::AnswerScript& answers) {
    start();
    ASSERT_EQ(gPlugins, std::vector<std::u16string>{u"p.exp"});
    doc = currentDocument();
    doc->mCore.resize(4, 4);
    script(2, 1, kind, text);
    select(2, 1);  // F8 would run it again
    ASSERT_EQ(GetFocus(), doc->mHwnd);
    // The run is started from the menu: a posted command, so that what is posted after it
    // (posted messages come before input) still arrives during the run.
    ASSERT_TRUE(platform::chooseMenuCommand(gMainWnd, 32888));
    if (engine == CMessageBox) {
      // The box has the keyboard: a click on the tab gives it back to the grid first.
      answers.actFirst(u"MessageBoxW", [] {
        platform::advanceClock(1000);
        testdriver::click(tabPoint(false));
      });
      answers.actFirst(u"MessageBoxW", [&] {
        EXPECT_EQ(GetFocus(), doc->mHwnd);
        platform::advanceClock(1000);
        action.inject();
      });
      answers.answer(u"MessageBoxW", IDOK);
    } else {
      action.inject();  // retrieved by the bar's pump
    }
    pump();
    ASSERT_TRUE(IsWindow(gMainWnd));
    ASSERT_EQ(gTabStrip.tabs.size(), 1u);
    EXPECT_EQ(gTabStrip.tabs[0].document, doc);
    EXPECT_TRUE(IsWindow(doc->mHwnd));
    EXPECT_EQ(doc->mCore.getText(1, 1), u"1") << "one run";
    EXPECT_EQ(gProgressBar, nullptr);
    EXPECT_TRUE(gInputEnabled);
    EXPECT_FALSE(scriptRunActive());
    EXPECT_EQ(answers.calls().size(), engine == CMessageBox ? 1u : 0u) << "nothing asked but the box";
    if (engine == CMessageBox && !answers.calls().empty()) EXPECT_EQ(answers.calls()[0].call.args.at(0), u"等一下");
    EXPECT_EQ(answers.pending(u"MessageBoxW"), 0u);
    if (engine == CMessageBox) answers.answer(u"MessageBoxW", IDOK);
    keys(VK_F5);
    EXPECT_EQ(doc->mCore.getText(1, 1), u"2") << "the next run is not refused";
  }

  CGrid* doc = nullptr;
};

// F5 runs the exprtk, C and Python document scripts (the Python one as the system-script
// window opened from the menu stored it), then the script and formula cells row by row.
TEST_F(ScriptRunsTest, F5RunsEveryEnginesDocumentScriptThenTheCellsRowByRow) {
  start();
  doc = currentDocument();
  doc->mCore.resize(4, 4);
  doc->mCore.setAttrText(ATTR_EXPRTK_SCRIPT, exprtkAppend(u'e'));
  doc->mCore.setAttrText(ATTR_C_SCRIPT, cAppend(u'c'));
  ASSERT_TRUE(choose(32946));
  ASSERT_EQ(windowText(focusRoot()), u"系统脚本");
  testdriver::typeText(u"t = Morvel.get_(1, 1)\nMorvel.set_(1, 1, t + 'p')");
  pump();
  testdriver::closeBox(focusRoot());
  pump();
  ASSERT_EQ(focusRoot(), gMainWnd);
  script(2, 3, CELL_PYTHON, pythonAppend(u'3'));
  script(2, 1, CELL_TCC, cAppend(u'1'));
  script(2, 2, CELL_EXPRTK, exprtkAppend(u'2'));
  doc->mCore.setText(3, 1, u"=" + exprtkAppend(u'4'));
  script(3, 2, CELL_TCC, cAppend(u'5'));
  script(3, 3, CELL_PYTHON, u"Morvel.set_(1, 1, Morvel.get_(1, 1) + '6')");
  keys(VK_F5);
  EXPECT_EQ(doc->mCore.getText(1, 1), u"ecp123456");
  EXPECT_FALSE(IsWindowVisible(doc->mOutputDlg)) << "no errors";
  EXPECT_TRUE(gTabStrip.tabs[0].modified);
  // The written document's close asks; cancelled, it stays.
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDCANCEL);
  testdriver::click(tabPoint(true));
  pump();
  ASSERT_EQ(answers.calls().size(), 1u);
  EXPECT_EQ(answers.calls()[0].call.args.at(0), u"文件已经改变，是否要保存?");
  EXPECT_EQ(gTabStrip.tabs.size(), 1u);
}

// Table functions name a table by its tab's title; of two tabs with one title (files of
// one name from two folders) the first is the table, and only it is marked modified.
TEST_F(ScriptRunsTest, TableFunctionsReachTheFirstOfTwoTabsWithOneTitle) {
  std::filesystem::create_directories(dir.native("x"));
  std::filesystem::create_directories(dir.native("y"));
  testsupport::writeBytes(dir.native("x/t.csv"), "1,2\n");
  testsupport::writeBytes(dir.native("y/t.csv"), "3,4\n");
  start(quoted(dir.path("x/t.csv")));
  CGrid* first = currentDocument();
  ASSERT_NE(openInNewTab(dir.path("y/t.csv")), nullptr);
  CGrid* second = currentDocument();
  ASSERT_TRUE(choose(ID_NEW));
  doc = currentDocument();
  ASSERT_EQ(titles(), (std::vector<std::u16string>{u"t.csv", u"t.csv", u"新表格"}));
  doc->mCore.resize(3, 3);
  script(2, 1, CELL_EXPRTK, u"set(1,1,get1('t.csv',1,2)); set1('t.csv',1,1,7)");
  EXPECT_EQ(GetFocus(), doc->mHwnd) << "the new table has the keyboard";
  keys(VK_F5);
  EXPECT_EQ(doc->mCore.getText(1, 1), u"2");
  EXPECT_EQ(first->mCore.getText(1, 1), u"7");
  EXPECT_EQ(second->mCore.getText(1, 1), u"3");
  EXPECT_TRUE(gTabStrip.tabs[0].modified);
  EXPECT_FALSE(gTabStrip.tabs[1].modified);
}

// Command 32946 opens the system-script window of the current document; its text goes
// into that document alone and marks it modified. Without a document it does nothing.
TEST_F(ScriptRunsTest, SystemScriptFromTheMenuStoresIntoTheCurrentDocument) {
  start();
  CGrid* first = currentDocument();
  ASSERT_TRUE(choose(ID_NEW));
  CGrid* second = currentDocument();
  ASSERT_NE(first, second);
  ASSERT_TRUE(choose(32946));
  HWND window = focusRoot();
  ASSERT_EQ(windowText(window), u"系统脚本");
  testdriver::typeText(u"print('表')");
  pump();
  gTabStrip.activate(0);  // another tab current meanwhile: the text still goes to its own
  pump();
  testdriver::closeBox(window);
  pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(second->mCore.poolText(second->mCore.mAttrs[ATTR_PYTHON_SCRIPT].value), u"print('表')");
  EXPECT_EQ(first->mCore.mAttrs[ATTR_PYTHON_SCRIPT].value, 0u);
  EXPECT_TRUE(gTabStrip.tabs[1].modified);
  EXPECT_FALSE(gTabStrip.tabs[0].modified);

  // No tab left: the command opens nothing.
  testdriver::AnswerScript answers;
  while (!gTabStrip.tabs.empty()) {
    answers.answer(u"MessageBoxW", IDNO);
    gTabStrip.closeTab(0);
    pump();
  }
  ASSERT_EQ(GetActiveWindow(), gMainWnd);
  const HWND before = GetFocus();
  PostMessageW(gMainWnd, WM_COMMAND, 32946, 0);  // as the menu delivers it, greyed or not
  pump();
  EXPECT_EQ(GetActiveWindow(), gMainWnd);
  EXPECT_EQ(GetFocus(), before);
}

// insert_row and insert_col with a place insert through the grid's insert command in every
// engine: the rows or columns appear before that place, and one undo takes them away.
TEST_F(ScriptRunsTest, InsertsAtAPlaceAreOneUndoableGridCommandInEveryEngine) {
  const std::u16string cDeclare = u"int insert_row(int, int); int insert_col(int, int);\n";
  const struct {
    const char* name;
    uint8_t kind;
    std::u16string text;
    bool rows;
  } cases[] = {
      {"exprtk rows", CELL_EXPRTK, u"insert_row(3,2)", true},
      {"exprtk columns", CELL_EXPRTK, u"insert_col(2,2)", false},
      {"python rows", CELL_PYTHON, u"Morvel.insert_row(3, 2)", true},
      {"python columns", CELL_PYTHON, u"Morvel.insert_col(2, 2)", false},
      {"c rows", CELL_TCC, cDeclare + u"int main(void) { insert_row(3, 2); return 0; }\n", true},
      {"c columns", CELL_TCC, cDeclare + u"int main(void) { insert_col(2, 2); return 0; }\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    doc = currentDocument();
    doc->mCore.resize(6, 4);
    for (int32_t i = 1; i < 4; ++i) doc->mCore.setText(3, i, u"r3");  // row 3
    for (int32_t i = 1; i < 6; ++i) doc->mCore.setText(i, 2, u"c2");  // column B
    script(1, 1, c.kind, c.text);
    keys(VK_F5);
    EXPECT_EQ(doc->mCore.mRowCount, c.rows ? 8u : 6u);
    EXPECT_EQ(doc->mCore.mColCount, c.rows ? 4u : 6u);
    if (c.rows) {
      EXPECT_EQ(doc->mCore.getText(3, 1), u"");
      EXPECT_EQ(doc->mCore.getText(4, 1), u"");
      EXPECT_EQ(doc->mCore.getText(5, 1), u"r3");
    } else {
      EXPECT_EQ(doc->mCore.getText(1, 2), u"");
      EXPECT_EQ(doc->mCore.getText(1, 3), u"");
      EXPECT_EQ(doc->mCore.getText(1, 4), u"c2");
    }
    keys('Z', testdriver::Ctrl);
    EXPECT_EQ(doc->mCore.mRowCount, 6u);
    EXPECT_EQ(doc->mCore.mColCount, 4u);
    EXPECT_EQ(doc->mCore.getText(3, 1), u"r3");
    EXPECT_EQ(doc->mCore.getText(1, 2), u"c2");
    TearDown();
    SetUp();
  }
}

// A C script's open_file opens the file in a tab of its own; the tab that already shows
// the path becomes current instead of a second one.
TEST_F(ScriptRunsTest, COpenFileOpensATabOrMakesItsTabCurrent) {
  testsupport::writeBytes(dir.native("x.csv"), "1,2\n");
  start();
  doc = currentDocument();
  doc->mCore.resize(3, 3);
  script(
      1, 1, CELL_TCC,
      u"void open_file(const char *);\nint main(void) { open_file(\"" + dir.path("x.csv") + u"\"); return 0; }\n");
  keys(VK_F5);
  ASSERT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"x.csv"}));
  EXPECT_EQ(gTabStrip.current, 1);
  EXPECT_EQ(currentDocument()->mCore.getText(1, 2), u"2");
  EXPECT_EQ(doc->mCore.getText(1, 1).substr(0, 4), u"void") << "the running document keeps its sheet";
  gTabStrip.activate(0);
  pump();
  keys(VK_F5);
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"x.csv"}));
  EXPECT_EQ(gTabStrip.current, 1);
}

// A Python document script that opens a file ends the run: the cells of the opened file
// do not run (its formula C1 would write 7 over itself).
TEST_F(ScriptRunsTest, PythonDocumentScriptOpeningAFileEndsTheRun) {
  testsupport::writeBytes(dir.native("x.txt"), "a\tb\t=set(1,3,7)\n");
  start();
  doc = currentDocument();
  doc->mCore.resize(3, 3);
  doc->mCore.setAttrText(ATTR_PYTHON_SCRIPT, u"Morvel.open_file('" + dir.path("x.txt") + u"')");
  keys(VK_F5);
  EXPECT_EQ(currentDocument(), doc);
  EXPECT_EQ(doc->mPath, dir.path("x.txt"));
  EXPECT_EQ(doc->mCore.getText(1, 1), u"a");
  EXPECT_EQ(doc->mCore.getText(1, 3), u"=set(1,3,7)") << "no cell ran after the open";
}

// The output window as the program registers and shows it: after a failing document script
// and formula, a window of its own (caption, system menu, sizing frame and maximise box,
// 427 x 250 dialog units) above the main window, not over the grid; its close box hides
// it, and a later run without errors leaves it hidden.
TEST_F(ScriptRunsTest, OutputWindowIsAPopupOfItsOwnHiddenByItsCloseBox) {
  start();
  doc = currentDocument();
  doc->mCore.resize(4, 4);
  doc->mCore.setText(1, 1, u"1");
  doc->mCore.setAttrText(ATTR_PYTHON_SCRIPT, u"x = = 1");
  doc->mCore.setText(2, 1, u"=A3*");
  keys(VK_F5);
  const HWND output = doc->mOutputDlg;
  ASSERT_TRUE(IsWindowVisible(output));
  EXPECT_EQ(windowText(output), u"输出");
  EXPECT_NE(doc->mOutput.shownText.find(u"Python script error"), std::u16string::npos);
  EXPECT_NE(doc->mOutput.shownText.find(u"Run cell[A2] Exprtk formula script error"), std::u16string::npos);
  EXPECT_EQ(GetAncestor(output, GA_ROOT), output) << "a top-level window";
  EXPECT_EQ(GetParent(output), gMainWnd) << "owned by the main window";
  const LONG_PTR style = GetWindowLongPtrW(output, GWL_STYLE);
  for (const LONG_PTR bit : {WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MAXIMIZEBOX})
    EXPECT_EQ(style & bit, bit) << std::hex << bit;
  RECT units{0, 0, 427, 250}, client{};
  ASSERT_TRUE(MapDialogRect(output, &units));
  GetClientRect(output, &client);
  EXPECT_EQ(client.right, units.right);
  EXPECT_EQ(client.bottom, units.bottom);
  EXPECT_EQ(doc->mOutput.backColour, 0xE8E7E6u);
  // The grid keeps its own pixels: nothing of the output's ground over its corner.
  const Surface grid = testdriver::windowPixels(doc->mHwnd);
  int ground = 0;
  for (int y = 0; y < std::min(grid.height, 200); ++y)
    for (int x = 0; x < std::min(grid.width, 300); ++x) ground += grid.at(x, y) == 0xE6E7E8;
  EXPECT_EQ(ground, 0);

  testdriver::closeBox(output);
  pump();
  EXPECT_FALSE(IsWindowVisible(output));
  EXPECT_TRUE(IsWindow(output));
  doc->mCore.setAttrText(ATTR_PYTHON_SCRIPT, u"x = 1");
  doc->mCore.setText(2, 1, u"=A3*2");
  SetFocus(doc->mHwnd);
  keys(VK_F5);
  EXPECT_FALSE(IsWindowVisible(output));
  EXPECT_TRUE(doc->mOutput.shownText.empty());
}

// Keys typed into the system-script window and the output window reach their editors
// through the program's loop: Enter and Tab are text, the arrows move the caret, Esc
// closes the window.
TEST_F(ScriptRunsTest, ScriptWindowsTakeEnterTabArrowsAndEsc) {
  start();
  doc = currentDocument();
  doc->mCore.resize(4, 4);
  ASSERT_TRUE(choose(32946));
  HWND window = focusRoot();
  ASSERT_EQ(windowText(window), u"系统脚本");
  for (int vk : std::initializer_list<int>{'A', VK_RETURN, 'B', VK_TAB, 'C', VK_UP, 'X', VK_LEFT, VK_LEFT, 'Y',
                                           VK_DOWN, VK_END, 'Z'})
    keys(vk);
  keys(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window)) << "Esc closes it";
  EXPECT_EQ(doc->mCore.poolText(doc->mCore.mAttrs[ATTR_PYTHON_SCRIPT].value), u"yax\nb\tcz");

  doc->mCore.setText(2, 1, u"=A3*");
  SetFocus(doc->mHwnd);
  keys(VK_F5);
  const HWND output = doc->mOutputDlg;
  ASSERT_TRUE(IsWindowVisible(output));
  SetFocus(doc->mOutput.hwnd);
  const std::u16string text = doc->mOutput.shownText;
  ASSERT_EQ(doc->mOutput.caret, text.size());
  keys(VK_UP);
  keys(VK_UP);
  const size_t up = doc->mOutput.caret;
  EXPECT_LT(up, text.size()) << "Up moves the caret";
  keys(VK_LEFT);
  EXPECT_EQ(doc->mOutput.caret, up - 1);
  for (int vk : std::initializer_list<int>{'A', VK_RETURN, VK_TAB}) keys(vk);
  EXPECT_EQ(doc->mOutput.shownText, text) << "read-only";
  EXPECT_TRUE(IsWindowVisible(output));
  keys(VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(output)) << "Esc hides it";
}

// While a run pumps messages, runs and closes that arrive through the program's loop are
// refused: one run happens, the document and main window stay, the bar is gone and input
// is back, and the next F5 runs again.
TEST_F(ScriptRunsTest, RunsAndClosesArrivingDuringARunAreRefused) {
  const Action actions[] = {
      {"F5", [] { testdriver::keyPress(VK_F5); }},
      {"F8", [] { testdriver::keyPress(VK_F8); }},
      {"run all from the menu", [] { platform::chooseMenuCommand(gMainWnd, 32888); }},
      {"run selected from the menu", [] { platform::chooseMenuCommand(gMainWnd, 32889); }},
      {"plug-in", [] { platform::chooseMenuCommand(gMainWnd, kFirstPluginCommand); }},
      {"tab close button", [] { testdriver::click(tabPoint(true)); }},
      {"Alt+F4", [] { testdriver::keyPress(VK_F4, testdriver::Alt); }},
      {"close box", [] { PostMessageW(gMainWnd, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"exit from the menu", [] { platform::chooseMenuCommand(gMainWnd, 105); }},
  };
  const struct {
    Engine engine;
    const char* name;
    uint8_t kind;
    std::u16string text;  // adds 1 to A1 after it pumps
  } engines[] = {
      {ExprtkBar, "exprtk", CELL_EXPRTK,
       u"set_progress(50); var s := 0; for (var i := 0; i < 100; i += 1) { s += i; }; set(1,1,get(1,1)+1)"},
      {PythonBar, "python", CELL_PYTHON,
       u"Morvel.set_progress(50)\r\nn = sum(range(1000))\r\nMorvel.set(1, 1, Morvel.get(1, 1) + 1)\r\n"},
      {CMessageBox, "c", CELL_TCC,
       u"void message_box(const char *); void get(int, int, double *); void set(int, int, double);\n"
       u"int main(void) { double v = 0; message_box(\"等一下\"); get(1, 1, &v); set(1, 1, v + 1); return 0; }\n"},
  };
  std::filesystem::create_directories(dir.native("plugin"));
  testsupport::writeBytes(dir.native("plugin/p.exp"), utf16(u"set(1,1,get(1,1)+100)"));
  for (const auto& engine : engines) {
    for (const Action& action : actions) {
      SCOPED_TRACE(std::string(engine.name) + ", " + action.name);
      testdriver::AnswerScript answers;
      runCase(engine.engine, engine.kind, engine.text, action, answers);
      TearDown();
      SetUp();
    }
  }
}

}  // namespace
