// The grid's edit commands and their small dialogs, driven through the window: statistics
// formulas, insert, sort with its scope question, go to, table size, split settings,
// banded rows, the edit lock, and the clipboard.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "grid/GridDialogs.h"
#include "platform/resources/Resources.h"
#include "platform/testdriver/AnswerScript.h"
#include "resources/GridIds.h"
#include "store/Alloc.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"
#include "tests/support/Scratch.h"
#include "tests/support/TextConvert.h"

using testsupport::u8;

class CommandsTest : public GridTest {
 protected:
  void select(Range r) {
    grid->mSelection.anchorRow = r.top, grid->mSelection.anchorCol = r.left;
    grid->mSelection.range = r;
  }
  void command(UINT id) {
    SendMessageW(grid->mHwnd, WM_COMMAND, id, 0);
    testdriver::pumpUntilIdle();
  }
  // A fresh sheet of rows x cols with empty undo lists.
  void fresh(int32_t rows, int32_t cols) {
    grid->mComManag.clear();
    core().clear();
    sheet(rows, cols);
  }
  void lock(bool on) { core().mAttrs[ATTR_EDIT_LOCK].value = on ? 1 : 0; }
  size_t undoSteps() const { return grid->mComManag.mUndoList.size(); }
  // The texts of the message boxes shown since `from`.
  static std::vector<std::u16string> messages(const testdriver::AnswerScript& answers, size_t from = 0) {
    std::vector<std::u16string> out;
    for (size_t i = from; i < answers.calls().size(); ++i)
      if (answers.calls()[i].call.kind == u"MessageBoxW") out.push_back(answers.calls()[i].call.args[0]);
    return out;
  }
  static size_t dialogsAsked(const testdriver::AnswerScript& answers, const std::u16string& id) {
    size_t n = 0;
    for (const auto& r : answers.calls()) n += r.call.kind == u"DialogBoxParamW" && r.call.args[0] == id;
    return n;
  }
  void setClipboard(const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(main));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    auto* p = static_cast<char16_t*>(GlobalLock(mem));
    text.copy(p, text.size());
    p[text.size()] = 0;
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
  }
  std::u16string clipboard() {
    std::u16string text;
    if (!OpenClipboard(main)) return u"<not open>";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const char16_t*>(GlobalLock(h));
      GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
  }
};

// Rows 1..5 of a 6 x 5 sheet: column 1 holds 1..5, column 2 -3 and -7, column 3 two
// texts and a third at (3, 3), column 4 10 at row 3.
TEST_F(CommandsTest, StatisticsGoBelowOrBesideTheSelectionAndUndoInTwoSteps) {
  struct Case {
    const char* name;
    Range selection;
    UINT id;
    int32_t row, col;  // where the result lands
    double value;
    uint64_t rows, cols;  // the sheet afterwards
  } cases[] = {
      {"sum of one row reaching the last column", {3, 2, 3, 4}, ID_FORMULA_SUM, 3, 5, 10, 6, 6},
      {"maximum of negatives", {1, 2, 2, 2}, ID_FORMULA_SUM + 3, 3, 2, -3, 6, 5},
      {"minimum of texts overwrites the cell below", {1, 3, 2, 3}, ID_FORMULA_MIN, 3, 3, 0, 6, 5},
      {"count of a whole column counts empty cells", {0, 2, 0, 2}, ID_FORMULA_SUM + 2, 6, 2, 5, 7, 5},
      {"average of the whole sheet", {0, 0, 0, 0}, ID_FORMULA_SUM + 1, 6, 1, 3, 7, 5},
      {"whole rows: column by column below them", {1, 0, 2, 0}, ID_FORMULA_SUM, 3, 1, 3, 6, 5},
      {"one whole row: beside it", {2, 0, 2, 0}, ID_FORMULA_SUM, 2, 5, 2 - 7, 6, 6},
  };
  for (const auto& c : cases) {
    fresh(6, 5);
    for (int r = 1; r <= 5; ++r) core().setInt64(r, 1, r);
    core().setInt64(1, 2, -3);
    core().setInt64(2, 2, -7);
    core().setText(1, 3, u"a");
    core().setText(2, 3, u"b");
    core().setText(3, 3, u"c");
    core().setInt64(3, 4, 10);
    const std::u16string before = core().getText(c.row, c.col);
    select(c.selection);
    command(c.id);
    EXPECT_EQ(core().mRowCount, c.rows) << c.name;
    EXPECT_EQ(core().mColCount, c.cols) << c.name;
    EXPECT_EQ(core().cellAt(c.row, c.col)->kind, CELL_DOUBLE) << c.name;
    EXPECT_DOUBLE_EQ(core().getDouble(c.row, c.col), c.value) << c.name;
    const bool grew = c.rows != 6 || c.cols != 5;
    EXPECT_EQ(undoSteps(), grew ? 2u : 1u) << c.name;
    command(ID_UNDO);
    EXPECT_EQ(core().getText(c.row, c.col), grew ? u"" : before) << c.name;
    if (grew) command(ID_UNDO);
    EXPECT_EQ(core().mRowCount, 6u) << c.name;
    EXPECT_EQ(core().mColCount, 5u) << c.name;
    EXPECT_EQ(core().getText(c.row, c.col), before) << c.name;
  }
}

TEST_F(CommandsTest, StatisticsOfNothingVisibleWriteNothingAndLockedSheetsStay) {
  fresh(6, 5);
  core().setInt64(3, 1, 4);
  core().mDatas[3][0].flag = 1;  // row 3 hidden
  for (UINT id = ID_FORMULA_SUM; id <= ID_FORMULA_MIN; ++id) {
    select({3, 1, 3, 4});
    command(id);
    EXPECT_EQ(core().mColCount, 5u) << id;
    EXPECT_EQ(undoSteps(), 0u) << id;
  }
  // A hidden row inside a column's range is left out of the count.
  select({1, 1, 4, 1});
  command(ID_FORMULA_SUM + 2);
  EXPECT_DOUBLE_EQ(core().getDouble(5, 1), 3);

  fresh(6, 5);
  core().setInt64(5, 1, 4);
  lock(true);
  select({0, 1, 0, 1});
  command(ID_FORMULA_SUM);
  EXPECT_EQ(core().mRowCount, 6u);
  EXPECT_EQ(undoSteps(), 0u);
}

TEST_F(CommandsTest, InsertFollowsTheSelectionShape) {
  struct Case {
    const char* name;
    Range selection;
    UINT id;
    uint64_t rows, cols;
  } cases[] = {
      {"a block of cells", {2, 2, 3, 3}, ID_INSERT1, 10, 6},
      {"the whole sheet", {0, 0, 0, 0}, ID_INSERT1, 10, 6},
      {"rows 5 to 7", {5, 0, 7, 0}, ID_INSERT1, 11, 6},
      {"column 2, twice", {0, 2, 0, 2}, ID_INSERT2, 10, 8},
  };
  for (const auto& c : cases) {
    fresh(10, 6);
    core().setInt64(5, 2, 55);
    select(c.selection);
    command(c.id);
    EXPECT_EQ(core().mRowCount, c.rows) << c.name;
    EXPECT_EQ(core().mColCount, c.cols) << c.name;
    const int32_t row = 5 + static_cast<int32_t>(c.rows - 10), col = 2 + static_cast<int32_t>(c.cols - 6);
    EXPECT_EQ(core().getInt64(row, col), 55) << c.name;
  }
  // Ctrl+I over whole rows inserts one row before the top row.
  fresh(10, 6);
  core().setInt64(5, 2, 55);
  select({5, 0, 7, 0});
  key('I', testdriver::Ctrl);
  EXPECT_EQ(core().getInt64(6, 2), 55);
  EXPECT_EQ(core().getInt64(5, 2), 0);
}

TEST_F(CommandsTest, SortAsksTheScopeOnlyForOneColumn) {
  testdriver::AnswerScript answers;
  struct Case {
    const char* name;
    Range selection;
    std::vector<std::u16string> choice;  // the scope dialog's answer; empty: not asked
    LONG_PTR button;
    int64_t b2, c2;  // B2 and C2 afterwards
  } cases[] = {
      {"cancelled", {2, 2, 9, 2}, {}, IDCANCEL, 9, 90},
      {"expand", {2, 2, 9, 2}, {u"1001:1", u"1002:0"}, IDOK, 2, 20},
      {"the selection alone", {2, 2, 9, 2}, {u"1001:0", u"1002:1"}, IDOK, 2, 90},
      {"several columns sort without asking", {2, 2, 9, 3}, {}, 0, 2, 20},
      {"one cell does nothing", {4, 2, 4, 2}, {}, 0, 9, 90},
  };
  for (const auto& c : cases) {
    fresh(10, 5);
    for (int r = 2; r <= 9; ++r) {
      core().setInt64(r, 2, 11 - r);  // 9 .. 2
      core().setInt64(r, 3, (11 - r) * 10);
    }
    const size_t asked = dialogsAsked(answers, u"131");
    if (c.button) answers.answer(u"DialogBoxParamW", c.button, c.choice);
    select(c.selection);
    command(ID_SORT_UP);
    EXPECT_EQ(dialogsAsked(answers, u"131") - asked, c.button && c.selection.left == c.selection.right ? 1u : 0u)
        << c.name;
    EXPECT_EQ(core().getInt64(2, 2), c.b2) << c.name;
    EXPECT_EQ(core().getInt64(2, 3), c.c2) << c.name;
  }
  EXPECT_EQ(answers.unanswered(), 0u);
  // Alt+D arrives as the descending command and sorts several columns at once.
  fresh(10, 5);
  for (int r = 2; r <= 9; ++r) core().setInt64(r, 2, r);
  select({2, 2, 9, 3});
  command(ID_SORT_DOWN);
  EXPECT_EQ(core().getInt64(2, 2), 9);
}

TEST_F(CommandsTest, GoToClampsAndRefusesWhatIsNoRowNumber) {
  testdriver::AnswerScript answers;
  struct Case {
    const char* name;
    std::u16string row, col;
    bool refused;  // a message, then the dialog is cancelled
    Range after;
  } cases[] = {
      {"row 0, column 500", u"0", u"500", false, {1, 25, 1, 25}},
      {"inside", u" 7", u"3", false, {7, 3, 7, 3}},
      {"past the last row", u"1000", u"-4", false, {299, 1, 299, 1}},
      {"not a number", u"abc", u"3", false, {2, 2, 2, 2}},
      {"beyond 32 bits", u"4294967298", u"1", true, {2, 2, 2, 2}},
      {"below 32 bits", u"5", u"-2147483649", true, {2, 2, 2, 2}},
  };
  fresh(300, 26);
  for (const auto& c : cases) {
    select({2, 2, 2, 2});
    const size_t shown = answers.calls().size();
    answers.answer(u"DialogBoxParamW", IDOK, {u"1003=" + c.row, u"1004=" + c.col});
    if (c.refused) {
      answers.answer(u"MessageBoxW", IDOK);
      answers.answer(u"DialogBoxParamW", IDCANCEL);
    }
    command(ID_GOTO);
    EXPECT_EQ(grid->mSelection.range, c.after) << c.name;
    const auto texts = messages(answers, shown);
    EXPECT_EQ(texts.size(), c.refused ? 1u : 0u) << c.name;
  }
  EXPECT_EQ(answers.unanswered(), 0u);
  // Ctrl+G opens the same dialog.
  answers.answer(u"DialogBoxParamW", IDOK, {u"1003=12", u"1004=4"});
  key('G', testdriver::Ctrl);
  EXPECT_EQ(grid->mSelection.range, (Range{12, 4, 12, 4}));
}

TEST_F(CommandsTest, TableSizeRefusesWithItsMessagesAndResizesAsOneCommand) {
  testdriver::AnswerScript answers;
  struct Case {
    std::u16string rows, cols;
    std::u16string message;  // empty: accepted
  } cases[] = {
      {u"1", u"5", u"系统行占一行，所以表格行数必须大于等于2行！"},
      {u"10", u"1", u"系统列占一列，所以表格列数必须大于等于2列！"},
      {u"10", u"32769", u"表格列数必须小于32768列！"},
      {u"4294967298", u"5", u"输入的数字超出范围！"},
      {u"10", u"4294967298", u"输入的数字超出范围！"},
      {u"10", u"32768", u""},
  };
  fresh(300, 26);
  for (const auto& c : cases) {
    const size_t shown = answers.calls().size();
    answers.answer(u"DialogBoxParamW", IDOK, {u"1007=" + c.rows, u"1008=" + c.cols});
    if (!c.message.empty()) {
      answers.answer(u"MessageBoxW", IDOK);
      answers.answer(u"DialogBoxParamW", IDCANCEL);
    }
    command(ID_TABLE_SIZE);
    const auto texts = messages(answers, shown);
    if (c.message.empty()) {
      EXPECT_TRUE(texts.empty());
      EXPECT_EQ(core().mRowCount, 10u);
      EXPECT_EQ(core().mColCount, 32768u);
    } else {
      ASSERT_EQ(texts.size(), 1u) << u8(c.rows) << "x" << u8(c.cols);
      EXPECT_EQ(texts[0], c.message);
      EXPECT_EQ(core().mRowCount, 300u);
    }
  }
  command(ID_UNDO);
  EXPECT_EQ(core().mColCount, 26u);
  EXPECT_EQ(answers.unanswered(), 0u);
}

TEST_F(CommandsTest, SplitProposesACsvPathAndChecksItsFields) {
  struct Proposal {
    std::u16string path, proposed;
  } proposals[] = {
      {u"d:\\a\\data.mvt", u"d:\\a\\data.csv"},    {u"d:\\a\\data.txt", u"d:\\a\\data.txt"},
      {u"d:\\a\\data.CSV", u"d:\\a\\data.CSV"},    {u"d:\\a.b\\data", u"d:\\a.b\\data.csv"},
      {u"/home/x/book.xlsx", u"/home/x/book.csv"}, {u"", u""},
  };
  for (const auto& p : proposals) EXPECT_EQ(proposedSplitPath(p.path), p.proposed) << u8(p.path);

  testdriver::AnswerScript answers;
  testsupport::ScratchDir dir;
  const std::u16string target = dir.path("part.csv");
  struct Case {
    std::vector<std::u16string> fields;
    std::u16string message;
  } cases[] = {
      {{u"1004="}, u"分割份数不能为空！"},
      {{u"1001:1", u"1002:0", u"1003="}, u"分割行数不能为空！"},
      {{u"1001:1", u"1002:0", u"1003=0"}, u"分割行数必须大于0！"},
      {{u"1004=-3"}, u"分割份数必须大于0！"},
      {{u"1004=4294967298"}, u"输入的数字超出范围！"},
      {{u"1004=2", u"1005="}, u"请选择保存文件路径！"},
  };
  fresh(5, 3);
  for (const auto& c : cases) {
    const size_t shown = answers.calls().size();
    answers.answer(u"DialogBoxParamW", IDOK, c.fields);
    answers.answer(u"MessageBoxW", IDOK);
    answers.answer(u"DialogBoxParamW", IDCANCEL);
    command(ID_SPLIT_FILE);
    const auto texts = messages(answers, shown);
    ASSERT_EQ(texts.size(), 1u) << u8(c.message);
    EXPECT_EQ(texts[0], c.message);
  }
  // Accepted: the split runs after the dialog has closed.
  for (int r = 1; r < 5; ++r) core().setInt64(r, 1, r);
  answers.answer(u"DialogBoxParamW", IDOK, {u"1004=2", u"1005=" + target});
  key('K', testdriver::Ctrl);
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.native(""))) files += e.is_regular_file();
  EXPECT_EQ(files, 2u);
  EXPECT_EQ(answers.unanswered(), 0u);
}

TEST_F(CommandsTest, BandedRowsToggleAndUndoAlsoWhenLocked) {
  fresh(10, 4);
  lock(true);
  command(ID_BANDED_ROWS);
  EXPECT_EQ(core().mAttrs[ATTR_BANDED_ROWS].value, 1u);
  command(ID_BANDED_ROWS);
  EXPECT_EQ(core().mAttrs[ATTR_BANDED_ROWS].value, 0u);
  command(ID_UNDO);
  EXPECT_EQ(core().mAttrs[ATTR_BANDED_ROWS].value, 1u);
  command(ID_UNDO);
  EXPECT_EQ(core().mAttrs[ATTR_BANDED_ROWS].value, 0u);
}

TEST_F(CommandsTest, ALockedSheetRefusesEveryEditButCopies) {
  fresh(10, 4);
  core().setInt64(2, 2, 5);
  core().setInt64(3, 2, 1);
  setClipboard(u"x\ty");
  lock(true);
  for (UINT id : {ID_PASTE, ID_CLEAR, ID_CUT, ID_KIND_EXPRTK, ID_KIND_C, ID_KIND_PYTHON, ID_KIND_TEXT, ID_FILTER,
                  ID_SORT_UP, ID_INSERT1, ID_ADD_ROWS, ID_ADD_COLS, ID_RESTORE_SIZES}) {
    select({2, 0, 3, 0});
    command(id);
    EXPECT_EQ(core().getInt64(2, 2), 5) << id;
    EXPECT_EQ(core().cellAt(2, 2)->kind, CELL_INT64) << id;
    EXPECT_EQ(core().mRowCount, 10u) << id;
    EXPECT_EQ(core().mColCount, 4u) << id;
    EXPECT_EQ(undoSteps(), 0u) << id;
  }
  EXPECT_EQ(grid->mBatchFilter, 0);
  // The cut above still copied.
  EXPECT_NE(clipboard(), u"x\ty");
}

TEST_F(CommandsTest, CopyCutAndPasteGoThroughTheClipboard) {
  fresh(10, 5);
  core().setInt64(1, 1, 1);
  core().setText(1, 2, u"二");
  core().setInt64(2, 1, 3);
  core().setDouble(2, 2, 4.5);
  select({1, 1, 2, 2});
  key('C', testdriver::Ctrl);
  EXPECT_EQ(clipboard(), u"1\t二\n3\t4.5");
  select({5, 3, 5, 3});
  key('V', testdriver::Ctrl);
  EXPECT_EQ(core().getInt64(5, 3), 1);
  EXPECT_EQ(core().getText(5, 4), u"二");
  EXPECT_EQ(core().cellAt(6, 4)->kind, CELL_DOUBLE);
  EXPECT_EQ(undoSteps(), 1u);
  // The clipboard was closed again: the test can open it.
  ASSERT_TRUE(OpenClipboard(main));
  // While another window holds it open, paste does nothing.
  select({8, 1, 8, 1});
  command(ID_PASTE);
  EXPECT_EQ(core().getText(8, 1), u"");
  CloseClipboard();
  // Cut: copied, then the selection deleted as one command.
  select({5, 3, 6, 4});
  key('X', testdriver::Ctrl);
  EXPECT_EQ(clipboard(), u"1\t二\n3\t4.5");
  EXPECT_EQ(core().getText(5, 4), u"");
  command(ID_UNDO);
  EXPECT_EQ(core().getText(5, 4), u"二");
  // Clear (Delete) empties the visible selected cells only.
  core().mDatas[6][0].flag = 1;
  select({5, 3, 6, 4});
  key(VK_DELETE);
  EXPECT_EQ(core().getText(5, 3), u"");
  EXPECT_EQ(core().getInt64(6, 3), 3);
  command(ID_UNDO);
  EXPECT_EQ(core().getInt64(5, 3), 1);
}

// A copy that cannot put its text on the clipboard reports it, and Cut then deletes
// nothing; the clipboard keeps what it held.
TEST_F(CommandsTest, ACutWhoseCopyFailsDeletesNothing) {
  struct Case {
    const char* name;
    std::function<void()> before, after;
  } cases[] = {
      {"the clipboard held open by another window", [&] { ASSERT_TRUE(OpenClipboard(main)); },
       [] { CloseClipboard(); }},
      {"no memory for the clipboard's block", [] { platform::failGlobalAllocs(1); },
       [] { platform::failGlobalAllocs(0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh(6, 4);
    core().setText(2, 2, u"kept");
    setClipboard(u"before");
    select({2, 2, 2, 2});
    c.before();
    EXPECT_FALSE(grid->mOps.copy());
    c.before();
    key('X', testdriver::Ctrl);
    c.after();
    EXPECT_EQ(core().getText(2, 2), u"kept");
    EXPECT_EQ(undoSteps(), 0u);
    EXPECT_EQ(clipboard(), u"before");
  }
}

TEST_F(CommandsTest, KindsAddRowsAndRestoreSizes) {
  fresh(10, 5);
  core().setText(2, 2, u"1+2");
  select({2, 2, 3, 2});
  command(ID_KIND_EXPRTK);
  EXPECT_EQ(core().cellAt(2, 2)->kind, CELL_EXPRTK);
  command(ID_KIND_TEXT);
  EXPECT_EQ(core().cellAt(2, 2)->kind, CELL_TEXT);
  command(ID_ADD_ROWS);
  command(ID_ADD_COLS);
  EXPECT_EQ(core().mRowCount, 310u);
  EXPECT_EQ(core().mColCount, 31u);
  core().setInt64(0, 3, 120);
  core().setInt64(4, 0, 40);
  select({0, 0, 0, 0});
  command(ID_RESTORE_SIZES);
  EXPECT_EQ(core().getInt64(0, 3), 0);
  EXPECT_EQ(core().getInt64(4, 0), 0);
  command(ID_UNDO);
  command(ID_UNDO);
  EXPECT_EQ(core().getInt64(0, 3), 120);
  EXPECT_EQ(core().getInt64(4, 0), 40);
}

// A growth the sheet cannot allocate shows the sheet's message and leaves the sheet and the
// undo list as they were, at whichever row allocation it fails.
TEST_F(CommandsTest, GrowthThatCannotBeAllocatedChangesNothing) {
  testdriver::AnswerScript answers;
  struct Case {
    const char* name;
    Range selection;
    UINT id;
    std::vector<std::u16string> dialog;  // the table-size dialog's fields, when it asks
  } cases[] = {
      {"table size", {1, 1, 1, 1}, ID_TABLE_SIZE, {u"1007=40", u"1008=30"}},
      {"statistics below a whole column", {0, 2, 0, 2}, ID_FORMULA_SUM, {}},
      {"statistics beside a whole row", {2, 0, 2, 0}, ID_FORMULA_SUM, {}},
      {"add rows", {1, 1, 1, 1}, ID_ADD_ROWS, {}},
      {"paste beyond the edge", {9, 5, 9, 5}, ID_PASTE, {}},
  };
  for (const auto& c : cases) {
    bool grew = false;
    for (int64_t n = 1; n < 1000 && !grew; ++n) {
      fresh(10, 6);
      for (int r = 1; r < 10; ++r) core().setInt64(r, 2, r);
      setClipboard(u"a\tb\tc\nd\te\tf");
      select(c.selection);
      if (!c.dialog.empty()) answers.answer(u"DialogBoxParamW", IDOK, c.dialog);
      const size_t shown = messages(answers).size();
      allocfail::failNth(n, allocfail::ROWS);
      command(c.id);
      const bool failed = allocfail::armed() == false && messages(answers).size() > shown;
      allocfail::failNth(0);
      grew = core().mRowCount != 10 || core().mColCount != 6;
      if (!grew) {
        EXPECT_TRUE(failed) << c.name << " at " << n;
        EXPECT_EQ(undoSteps(), 0u) << c.name << " at " << n;
        EXPECT_EQ(core().getInt64(9, 2), 9) << c.name << " at " << n;
        EXPECT_EQ(core().integrityCheck(), "") << c.name << " at " << n;
      }
    }
    EXPECT_TRUE(grew) << c.name;
  }
}

// The four dialogs as they open, for the eye: every text of a control fits the control.
TEST_F(CommandsTest, DialogPicturesAndTextsThatFit) {
  struct Case {
    int id;
    DLGPROC proc;
    const char* file;
  } cases[] = {
      {129, splitSettingsDialogProc, "dialog_split.png"},
      {130, tableSizeDialogProc, "dialog_table_size.png"},
      {131, sortScopeDialogProc, "dialog_sort_scope.png"},
      {151, gotoDialogProc, "dialog_goto.png"},
  };
  grid->mPath = u"/data/sales.mvt";
  for (const auto& c : cases) {
    HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(c.id), grid->mHwnd, c.proc,
                                     c.id == 131 ? 0 : reinterpret_cast<LPARAM>(grid));
    ASSERT_NE(dialog, nullptr) << c.id;
    ShowWindow(dialog, SW_SHOWNORMAL);
    testdriver::pumpUntilIdle();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDOK))) << c.id;
    if (c.id == 129 || c.id == 131) {
      // The two choices are one group: clicking one clears the other.
      const int checked = c.id == 129 ? 1002 : 1001, other = c.id == 129 ? 1001 : 1002;
      EXPECT_EQ(IsDlgButtonChecked(dialog, checked), BST_CHECKED);
      SendMessageW(GetDlgItem(dialog, other), BM_CLICK, 0, 0);
      EXPECT_EQ(IsDlgButtonChecked(dialog, checked), BST_UNCHECKED) << c.id;
      SendMessageW(GetDlgItem(dialog, checked), BM_CLICK, 0, 0);
      testdriver::pumpUntilIdle();
    }
    testdriver::saveWindowPng(dialog, testsupport::picturePath("grid", c.file).string());
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    for (const auto& item : platform::resources::findDialog(MAKEINTRESOURCEW(c.id))->items) {
      if (item.cls == u"EDIT" || item.text.empty()) continue;
      RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
      MapDialogRect(dialog, &r);
      SIZE size{};
      GetTextExtentPoint32W(dc, item.text.c_str(), static_cast<int>(item.text.size()), &size);
      const bool box = item.cls == u"BUTTON" && (item.style & 0xF) >= BS_CHECKBOX;  // room for the box
      const int lines = std::max<int>(1, (r.bottom - r.top) / std::max<int>(1, size.cy));
      EXPECT_LE(size.cx, lines * (r.right - r.left - (box ? 16 : 0))) << c.id << " " << u8(item.text);
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
  }
}
