// In-place cell editing through the grid window: typing, double clicks, script cells,
// commit keys, Escape, focus loss, the edit lock, input-method composition, the wheel, the
// editor kept inside the window, and a document closed while its editor is open.
#include <set>
#include <string>

#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Ime.h"
#include "platform/user/Imm.h"
#include "resources/GridIds.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"

class CellEditorTest : public GridTest {
 protected:
  void select(Range r) {
    grid->mSelection.anchorRow = r.top, grid->mSelection.anchorCol = r.left;
    grid->mSelection.range = r;
    grid->invalidate();
    testdriver::pumpUntilIdle();
  }
  CCText& editor() { return grid->mEditor; }
  bool editing() { return IsWindowVisible(editor().hwnd) != FALSE; }
  // Types on the grid window, which has the focus.
  void type(std::u16string_view text) {
    SetFocus(grid->mHwnd);
    testdriver::typeText(text);
    testdriver::pumpUntilIdle();
  }
  // A key to whatever has the focus (the editor while it is shown).
  void press(int vk, unsigned modifiers = testdriver::None) {
    testdriver::holding(modifiers, [vk] {
      testdriver::keyDown(vk);
      testdriver::keyUp(vk);
    });
    testdriver::pumpUntilIdle();
  }
  // The editor's window in the grid's client coordinates (exclusive right and bottom).
  RECT editorRect() {
    RECT r{};
    GetWindowRect(editor().hwnd, &r);
    POINT tl{r.left, r.top}, br{r.right, r.bottom};
    ScreenToClient(grid->mHwnd, &tl);
    ScreenToClient(grid->mHwnd, &br);
    return RECT{tl.x, tl.y, br.x, br.y};
  }
  int colX(int c) { return view().rowHeaderWidth() + 74 * (c - 1); }
  int rowY(int r) { return 20 + 18 * (r - 1); }
  void expectInsideClient(const char* what) {
    const RECT e = editorRect();
    EXPECT_GE(e.left, 0) << what;
    EXPECT_GE(e.top, 0) << what;
    EXPECT_LE(e.right, grid->mRect.right) << what;
    EXPECT_LE(e.bottom, grid->mRect.bottom) << what;
    // Its drawing surface is no larger than the window.
    const RECT v = editor().canvas.mView;
    EXPECT_LE(v.right - v.left + 1, e.right - e.left) << what;
    EXPECT_LE(v.bottom - v.top + 1, e.bottom - e.top) << what;
  }
};

TEST_F(CellEditorTest, TypingOverABlockFillsEveryVisibleCellOnReturnAsOneCommand) {
  sheet(20, 6);
  core().mDatas[3][0].flag = 1;  // row 3 hidden
  select({2, 2, 4, 3});
  type(u"7");
  ASSERT_TRUE(editing());
  EXPECT_EQ(editor().shownText, u"7");
  const RECT r = view().selectionRect(grid->mSelection);
  const RECT e = editorRect();
  EXPECT_EQ(e.left, r.left);
  EXPECT_EQ(e.top, r.top);
  EXPECT_EQ(e.right - 1, r.right);
  EXPECT_EQ(e.bottom - 1, r.bottom);
  EXPECT_EQ(GetFocus(), editor().hwnd);
  testdriver::typeText(u"5");
  testdriver::pumpUntilIdle();
  testdriver::saveWindowPng(grid->mHwnd, testsupport::picturePath("grid", "edit_block.png").string());
  press(VK_RETURN);
  EXPECT_FALSE(editing());
  EXPECT_EQ(GetFocus(), grid->mHwnd);
  for (int row : {2, 4})
    for (int col : {2, 3}) {
      EXPECT_EQ(core().cellAt(row, col)->kind, CELL_INT64) << row << "," << col;
      EXPECT_EQ(core().getInt64(row, col), 75) << row << "," << col;
    }
  EXPECT_EQ(core().getText(3, 2), u"");
  EXPECT_EQ(grid->mComManag.mUndoList.size(), 1u);
  EXPECT_EQ(grid->mSelection.range, (Range{3, 2, 3, 2}));
  key('Z', testdriver::Ctrl);
  EXPECT_EQ(core().getText(2, 2), u"");
  EXPECT_EQ(core().getText(4, 3), u"");
}

TEST_F(CellEditorTest, CommitKeysMoveTheSelection) {
  struct Case {
    const char* name;
    int vk;
    unsigned modifiers;
    Range after;
  } cases[] = {
      {"Tab", VK_TAB, testdriver::None, {5, 4, 5, 4}},
      {"Shift+Tab", VK_TAB, testdriver::Shift, {5, 2, 5, 2}},
      {"Return", VK_RETURN, testdriver::None, {6, 3, 6, 3}},
      {"Shift+Return", VK_RETURN, testdriver::Shift, {4, 3, 4, 3}},
  };
  sheet(20, 8);
  for (const auto& c : cases) {
    select({5, 3, 5, 3});
    type(u"x");
    press(c.vk, c.modifiers);
    EXPECT_FALSE(editing()) << c.name;
    EXPECT_EQ(core().getText(5, 3), u"x") << c.name;
    EXPECT_EQ(grid->mSelection.range, c.after) << c.name;
    core().setText(5, 3, u"");
  }
}

TEST_F(CellEditorTest, EscapeFocusLossAndTheEditLock) {
  sheet(20, 8);
  core().setText(3, 3, u"old");
  // Escape drops the typed text.
  select({3, 3, 3, 3});
  type(u"new");
  press(VK_ESCAPE);
  EXPECT_FALSE(editing());
  EXPECT_EQ(core().getText(3, 3), u"old");
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
  EXPECT_EQ(GetFocus(), grid->mHwnd);
  // A click elsewhere takes the focus and commits.
  type(u"new");
  testdriver::advance(1000);
  testdriver::click(at(colX(6) + 10, rowY(8) + 5));
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(editing());
  EXPECT_EQ(core().getText(3, 3), u"new");
  EXPECT_EQ(grid->mSelection.range, (Range{8, 6, 8, 6}));
  // Locked: the editor opens and closes, nothing is written, Return still moves.
  core().mAttrs[ATTR_EDIT_LOCK].value = 1;
  select({3, 3, 3, 3});
  type(u"z");
  EXPECT_TRUE(editing());
  press(VK_RETURN);
  EXPECT_FALSE(editing());
  EXPECT_EQ(core().getText(3, 3), u"new");
  EXPECT_EQ(grid->mSelection.range, (Range{4, 3, 4, 3}));
}

TEST_F(CellEditorTest, SpaceControlCharactersAndChordsStartNothing) {
  sheet(20, 8);
  select({2, 2, 2, 2});
  struct Case {
    const char* name;
    char16_t ch;
    unsigned modifiers;
  } cases[] = {
      {"space", u' ', testdriver::None},
      {"control character", 1, testdriver::None},
      {"carriage return", 13, testdriver::None},
      {"Ctrl", u'a', testdriver::Ctrl},
      {"Alt", u'a', testdriver::Alt},
  };
  for (const auto& c : cases) {
    SetFocus(grid->mHwnd);
    testdriver::holding(c.modifiers, [&] { testdriver::typeChar(c.ch); });
    testdriver::pumpUntilIdle();
    EXPECT_FALSE(editing()) << c.name;
  }
  // Backspace starts an (empty) edit.
  type(u"\b");
  EXPECT_TRUE(editing());
  EXPECT_EQ(editor().shownText, u"");
  press(VK_ESCAPE);
}

TEST_F(CellEditorTest, DoubleClickSizesTheEditorToTheTextInsideTheWindow) {
  sheet(40, 12);
  const std::u16string text(70, u'w');
  core().setText(15, 7, text);
  testdriver::advance(1000);
  testdriver::doubleClick(at(colX(7) + 20, rowY(15) + 8));
  testdriver::pumpUntilIdle();
  ASSERT_TRUE(editing());
  EXPECT_EQ(editor().shownText, text);
  EXPECT_EQ(editor().caret, 0u);
  EXPECT_EQ(editor().language, TEXT_PLAIN);
  const RECT e = editorRect();
  EXPECT_LT(e.left, colX(7));             // moved left to stay inside
  EXPECT_EQ(e.right, grid->mRect.right);  // up to the window's edge
  EXPECT_GE(e.right - e.left, 74);        // at least the cell
  EXPECT_GE(e.right - e.left, (e.bottom - e.top) / 2);
  EXPECT_FALSE(editor().lineNumbers);
  expectInsideClient("long text");
  press(VK_ESCAPE);

  // A 1 MB one-line text: the editor and its surface stay within the window.
  core().setText(3, 2, std::u16string(1 << 20, u'm'));
  testdriver::advance(1000);
  testdriver::doubleClick(at(colX(2) + 20, rowY(3) + 8));
  testdriver::pumpUntilIdle();
  ASSERT_TRUE(editing());
  EXPECT_EQ(editor().caret, 0u);
  expectInsideClient("1 MB text");
  press(VK_ESCAPE);
  EXPECT_EQ(core().getText(3, 2).size(), size_t(1) << 20);
}

TEST_F(CellEditorTest, ScriptCellsOpenALargeColouredEditorAndCommitOnFocusLoss) {
  close();
  open(1000, 760);
  struct Case {
    uint8_t kind;
    int32_t language;
    const char16_t* script;
  } cases[] = {
      {CELL_EXPRTK, TEXT_EXPRTK, u"var x := 10;"},
      {CELL_TCC, TEXT_C, u"int x = 10;"},
      {CELL_PYTHON, TEXT_PYTHON, u"def f(): return 10"},
  };
  sheet(40, 8);
  for (const auto& c : cases) {
    core().setText(2, 2, c.script);
    core().cellAt(2, 2)->kind = c.kind;
    select({5, 5, 5, 5});
    testdriver::advance(1000);
    testdriver::doubleClick(at(colX(2) + 20, rowY(2) + 8));
    testdriver::pumpUntilIdle();
    ASSERT_TRUE(editing()) << int(c.kind);
    EXPECT_EQ(editor().language, c.language);
    const RECT e = editorRect();
    EXPECT_GE(e.right - e.left, 641);
    EXPECT_GE(e.bottom - e.top, 521);
    EXPECT_TRUE(editor().lineNumbers);
    EXPECT_EQ(editor().scrollBars, 1);
    // The script is painted in more than one ink.
    const Surface s = testdriver::windowPixels(editor().hwnd);
    std::set<uint32_t> inks;
    for (int y = 0; y < 16; ++y)
      for (int x = editor().gutterWidth + 2; x < editor().gutterWidth + 160; ++x)
        if (s.at(x, y) != 0xFFFFFF) inks.insert(s.at(x, y));
    EXPECT_GE(inks.size(), 2u) << int(c.kind);
    // Return breaks the line; the script is written when the focus leaves.
    press(VK_END);
    press(VK_RETURN);
    EXPECT_TRUE(editing());
    testdriver::advance(1000);
    testdriver::click(at(colX(6) + 10, rowY(34) + 5));  // below the editor
    testdriver::pumpUntilIdle();
    EXPECT_FALSE(editing());
    EXPECT_EQ(core().cellAt(2, 2)->kind, c.kind);
    EXPECT_EQ(core().getText(2, 2).substr(0, std::u16string(c.script).size() + 1),
              std::u16string(c.script) + u"\n");
  }
  // In a small window the script editor is cut to the client area.
  close();
  open(500, 300);
  sheet(30, 8);
  core().setText(2, 2, u"return 1;");
  core().cellAt(2, 2)->kind = CELL_EXPRTK;
  testdriver::advance(1000);
  testdriver::doubleClick(at(colX(2) + 20, rowY(2) + 8));
  testdriver::pumpUntilIdle();
  ASSERT_TRUE(editing());
  expectInsideClient("small window");
  press(VK_ESCAPE);
}

TEST_F(CellEditorTest, ACompositionOpensTheEditorAtTheSelection) {
  sheet(200, 10);
  view().scrollBy(0, 18 * 20);  // rows 21 on at the top: content and client coordinates differ
  select({25, 3, 25, 3});
  SetFocus(grid->mHwnd);
  testdriver::compose(u"中文", {u"zh", u"zhong"});
  testdriver::pumpUntilIdle();
  const platform::CompositionWindow w = platform::imeCompositionWindow();
  ASSERT_TRUE(w.set);
  EXPECT_EQ(w.hwnd, grid->mHwnd);
  const RECT r = view().selectionRect(grid->mSelection);
  EXPECT_EQ(w.form.ptCurrentPos.x, r.left);
  EXPECT_EQ(w.form.ptCurrentPos.y, r.top);
  EXPECT_LT(r.top, grid->mRect.bottom);
  ASSERT_TRUE(editing());
  EXPECT_EQ(editor().shownText, u"中文");
  press(VK_RETURN);
  EXPECT_EQ(core().getText(25, 3), u"中文");
}

TEST_F(CellEditorTest, TheWheelScrollsTheGridAndTheEditorFollowsItsCell) {
  sheet(200, 10);
  select({15, 2, 15, 2});
  type(u"w");
  ASSERT_TRUE(editing());
  SendMessageW(editor().hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(view().mMainPane.scrollY, 200);
  const RECT r = view().selectionRect(grid->mSelection);
  const RECT e = editorRect();
  EXPECT_EQ(e.left, r.left + 1);
  EXPECT_EQ(e.top, r.top + 1);
  EXPECT_TRUE(editing());
  press(VK_RETURN);
  EXPECT_EQ(core().getText(15, 2), u"w");
}

TEST_F(CellEditorTest, TypingOverAWholeTallColumnKeepsTheEditorInTheWindow) {
  // 200,000 rows of 12,000 pixels: the column is far taller than 32 bits of pixels.
  sheet(200001, 3);
  for (int32_t r = 1; r < 200001; ++r) core().setInt64(r, 0, 12000);
  view().refresh();
  select({0, 2, 0, 2});
  type(u"q");
  ASSERT_TRUE(editing());
  expectInsideClient("whole column");
  press(VK_RETURN);
  EXPECT_EQ(core().getText(1, 2), u"q");
  EXPECT_EQ(core().getText(200000, 2), u"q");
  EXPECT_EQ(grid->mComManag.mUndoList.size(), 1u);
}

TEST_F(CellEditorTest, ClosingTheDocumentWhileEditingWritesNothing) {
  sheet(20, 6);
  select({2, 2, 2, 2});
  type(u"unsaved");
  ASSERT_TRUE(editing());
  int changes = 0;
  grid->mComManag.mOnModified = [&changes](iComManag*, intptr_t) { ++changes; };
  const HWND editorWindow = editor().hwnd;
  close();
  EXPECT_FALSE(IsWindow(editorWindow));
  EXPECT_EQ(changes, 0);
}

TEST_F(CellEditorTest, CtrlReturnFillsASeries) {
  sheet(20, 6);
  select({2, 2, 5, 2});
  type(u"7");
  press(VK_RETURN, testdriver::Ctrl);
  EXPECT_FALSE(editing());
  for (int r = 2; r <= 5; ++r) EXPECT_EQ(core().getInt64(r, 2), 7 + (r - 2)) << r;
  EXPECT_EQ(grid->mComManag.mUndoList.size(), 1u);
}

TEST_F(CellEditorTest, TheEditorsFontFollowsTheZoom) {
  sheet(20, 6);
  for (double zoom : {1.0, 2.0, 0.55}) {
    view().setZoom(zoom);
    select({3, 3, 3, 3});
    type(u"z");
    EXPECT_EQ(editor().font.lfHeight, static_cast<LONG>(12 * zoom + 0.5)) << zoom;
    const RECT r = view().selectionRect(grid->mSelection);
    EXPECT_EQ(editorRect().bottom - editorRect().top, r.bottom - r.top + 1) << zoom;
    press(VK_ESCAPE);
  }
}
