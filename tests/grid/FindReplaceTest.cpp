// Find and replace: the number rules, modes, wrap, counting, replacing with undo, the
// regular-expression failures and the two dialogs, driven through the grid's commands
// and the dialogs' controls.
#include <string>
#include <vector>

#include "grid/FindPattern.h"
#include "platform/CodePage.h"
#include "platform/resources/Resources.h"
#include "platform/testdriver/AnswerScript.h"
#include "resources/GridFindResources.h"
#include "resources/GridIds.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"

namespace {

struct FindOptions {
  int32_t mode = FIND_NORMAL;
  bool wholeCell = false;
  bool matchCase = false;
  bool wrap = true;
};

class FindTest : public GridTest {
 protected:
  // Column 1 from row 2 down; an entry starting with ' is stored as text as it stands,
  // any other is typed (numbers become numbers).
  void column(const std::vector<std::u16string>& cells) {
    sheet(static_cast<int32_t>(cells.size()) + 3, 4);
    int32_t row = 2;
    for (const std::u16string& c : cells) {
      if (!c.empty() && c[0] == u'\'') core().setText(row, 1, c.substr(1));
      else core().setTextTyped(row, 1, c.c_str());
      ++row;
    }
  }
  void state(const std::u16string& text, FindOptions o = {}) {
    grid->mFindText = text;
    grid->mFindMode = o.mode;
    grid->mWholeCell = o.wholeCell;
    grid->mMatchCase = o.matchCase;
    grid->mWrapAround = o.wrap;
  }
  void select(int32_t row, int32_t col) { grid->selectCell(row, col); }
  std::pair<int32_t, int32_t> current() const { return {grid->mSelection.range.top, grid->mSelection.range.left}; }
  void command(UINT id) {
    SendMessageW(grid->mHwnd, WM_COMMAND, id, 0);
    testdriver::pumpUntilIdle();
  }
  std::u16string result(HWND dialog) const {
    char16_t buffer[512] = {};
    GetDlgItemTextW(dialog, 1023, buffer, 512);
    return buffer;
  }
  void press(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    testdriver::pumpUntilIdle();
  }
};

}  // namespace

TEST(FindText, UnescapeResolvesEscapesAndKeepsATrailingBackslash) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"a\\tb", u"a\tb"},
      {u"\\n\\r\\T\\b\\f", u"\n\r\t\b\f"},
      {u"\\0x", std::u16string(u"\0x", 2)},
      {u"a\\\\b", u"a\\b"},
      {u"\\q", u"q"},
      {u"end\\", u"end\\"},
      {u"\\", u"\\"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(unescapeFind(c.in), c.out) << std::string(c.in.begin(), c.in.end());
}

TEST_F(FindTest, FindNextFollowsTheNumberRulesInEveryMode) {
  const FindOptions regex{FIND_REGEX}, escaped{FIND_EXTENDED}, whole{FIND_NORMAL, true};
  struct Case {
    const char* name;
    std::vector<std::u16string> cells;  // column 1 from row 2
    std::u16string find;
    FindOptions options;
    int32_t row;  // the row found, 0 for none
  } cases[] = {
      {"a text pattern never finds an integer", {u"-5"}, u"-", {}, 0},
      {"part of a text", {u"7", u"x12y"}, u"12", {}, 3},
      {"part of an integer", {u"abc", u"123"}, u"12", {}, 3},
      {"an integer pattern finds part of a decimal", {u"1.15"}, u"15", {}, 2},
      {"a decimal pattern never finds an integer", {u"125", u"1x5"}, u"1.5", regex, 3},
      {"a decimal pattern finds a decimal", {u"125", u"1.5"}, u"1.5", {}, 3},
      {"a regex that is no number skips integers", {u"1", u"a1"}, u"\\d+", regex, 3},
      {"caseless \\D keeps its meaning", {u"'123", u"x"}, u"\\D", regex, 3},
      {"caseless regex folds letters", {u"xyz", u"aBc"}, u"b", regex, 3},
      {"regex with match case", {u"aBc", u"abc"}, u"b", {FIND_REGEX, false, true}, 3},
      {"whole-cell regex", {u"abc", u"bb"}, u"b+", {FIND_REGEX, true}, 3},
      {"an escaped tab", {u"a b", u"a\tb"}, u"a\\tb", escaped, 3},
      {"a trailing backslash is kept", {u"a", u"a\\"}, u"a\\", {FIND_EXTENDED, true}, 3},
      {"whole cell folds case", {u"ABCD", u"ABC"}, u"abc", whole, 3},
      {"match case keeps case", {u"ABC", u"abc"}, u"abc", {FIND_NORMAL, false, true}, 3},
      {"upper-case pattern with case off", {u"xyz", u"abc"}, u"BC", {}, 3},
      {"an empty cell never matches", {u"", u""}, u"^$", regex, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    column(c.cells);
    state(c.find, c.options);
    select(1, 1);
    grid->findNext();
    EXPECT_EQ(current(), std::make_pair(c.row ? c.row : 1, 1));
  }
}

TEST_F(FindTest, FindWrapsRoundAndReportsWhatItFound) {
  column({u"x", u"", u"x"});  // rows 2 and 4
  state(u"x");
  command(ID_FIND);
  ASSERT_TRUE(IsWindowVisible(grid->mFindDlg));
  select(4, 1);
  command(ID_FIND_NEXT);  // wraps to row 2
  EXPECT_EQ(current(), std::make_pair(2, 1));
  EXPECT_EQ(result(grid->mFindDlg), u"查找结果：1 处地方被查找到.");
  command(ID_FIND_PREV);  // wraps backwards to row 4
  EXPECT_EQ(current(), std::make_pair(4, 1));
  command(ID_FIND_PREV);
  EXPECT_EQ(current(), std::make_pair(2, 1));

  // A single match, wrap on: found again from itself; wrap off and above: not found.
  column({u"", u"only"});
  state(u"only");
  select(3, 1);
  grid->findNext();
  EXPECT_EQ(current(), std::make_pair(3, 1));
  grid->mWrapAround = 0;
  select(4, 2);
  grid->findNext();
  EXPECT_EQ(current(), std::make_pair(4, 2));
  EXPECT_EQ(result(grid->mFindDlg), u"查找结果：全文查找不到文本 'only'.");
  grid->findPrev();  // backwards it lies ahead
  EXPECT_EQ(current(), std::make_pair(3, 1));

  // Columns to the right of the current cell come first in its row.
  sheet(4, 5);
  core().setText(2, 1, u"k");
  core().setText(2, 4, u"k");
  state(u"k");
  grid->showFind();
  select(2, 1);
  grid->findNext();
  EXPECT_EQ(current(), std::make_pair(2, 4));
  testsupport::pictureFolder("grid");
  testdriver::saveWindowPng(grid->mFindDlg, testsupport::picturePath("grid", "find_dialog.png").string());
}

TEST_F(FindTest, CountIncludesHiddenRows) {
  column({u"ab", u"cab", u"x", u"AB"});
  core().mDatas[3][0].flag = 1;  // row 3 hidden
  state(u"ab");
  command(ID_FIND);
  grid->countMatches();
  EXPECT_EQ(result(grid->mFindDlg), u"计数：3 处匹配.");
}

TEST_F(FindTest, PatternsThatDoNotCompileReportTheirOffsetAndChangeNothing) {
  column({u"(a", u"[a"});
  state(u"", {FIND_REGEX});
  grid->mReplaceText = u"z";
  command(ID_REPLACE);
  struct Case {
    std::u16string pattern, offset;
  } cases[] = {{u"(", u"1"}, {u"[a", u"2"}};
  for (const Case& c : cases) {
    grid->mFindText = c.pattern;
    select(1, 1);
    for (UINT id : {ID_FIND_NEXT, ID_FIND_PREV, ID_REPLACE_NEXT, ID_REPLACE_ALL}) {
      SetDlgItemTextW(grid->mReplaceDlg, 1023, u"");
      grid->mFindText = c.pattern;
      command(id);
      EXPECT_EQ(result(grid->mReplaceDlg).rfind(u"正则表达式错误（第 " + c.offset + u" 个字符处）：", 0), 0u)
          << id << " " << std::string(c.pattern.begin(), c.pattern.end());
    }
    grid->countMatches();
    EXPECT_EQ(result(grid->mReplaceDlg).rfind(u"正则表达式错误", 0), 0u);
    EXPECT_EQ(current(), std::make_pair(1, 1));
  }
  EXPECT_EQ(core().getText(2, 1), u"(a");
  EXPECT_EQ(core().getText(3, 1), u"[a");
  EXPECT_FALSE(!grid->mComManag.mUndoList.empty());

  // With no dialog visible the message goes to a message box.
  ShowWindow(grid->mReplaceDlg, SW_HIDE);
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  grid->mFindText = u"(";
  grid->findNext();
  ASSERT_EQ(answers.calls().size(), 1u);
  EXPECT_EQ(answers.calls()[0].call.args[0].rfind(u"正则表达式错误（第 1 个字符处）", 0), 0u);
}

TEST_F(FindTest, ABacktrackingPatternOverALongCellReturns) {
  column({std::u16string(100000, u'a'), u"ac"});
  state(u"(a|b)*c", {FIND_REGEX});
  command(ID_FIND);
  select(1, 1);
  grid->findNext();
  // Either the engine finds the second cell or reports its limit at the first; it returns.
  const std::u16string line = result(grid->mFindDlg);
  if (current() == std::make_pair(3, 1)) {
    EXPECT_EQ(line, u"查找结果：1 处地方被查找到.");
  } else {
    EXPECT_EQ(current(), std::make_pair(1, 1));
    EXPECT_NE(line.find(u"A2"), std::u16string::npos);
  }
}

TEST_F(FindTest, ReplaceNextAndReplaceAllAreUndoable) {
  column({u"cat", u"dog", u"cat", u"-5"});
  state(u"cat");
  grid->mReplaceText = u"cow";
  command(ID_REPLACE);
  ASSERT_TRUE(IsWindowVisible(grid->mReplaceDlg));
  HWND dlg = grid->mReplaceDlg;

  select(3, 1);  // "dog" does not match: no change, the next match is selected
  command(ID_REPLACE_NEXT);
  EXPECT_EQ(core().getText(3, 1), u"dog");
  EXPECT_EQ(current(), std::make_pair(4, 1));
  EXPECT_EQ(result(dlg), u"替换结果：全文查找不到文本 'cat'.");
  command(ID_REPLACE_NEXT);
  EXPECT_EQ(core().getText(4, 1), u"cow");
  EXPECT_EQ(current(), std::make_pair(2, 1));
  EXPECT_EQ(result(dlg), u"替换结果：替换了1处文本.");
  command(ID_UNDO);
  EXPECT_EQ(core().getText(4, 1), u"cat");

  command(ID_REPLACE_ALL);
  EXPECT_EQ(result(dlg), u"全部替换结果：全文替换文本2处.");
  EXPECT_EQ(core().getText(2, 1), u"cow");
  EXPECT_EQ(core().getText(4, 1), u"cow");
  command(ID_UNDO);
  EXPECT_EQ(core().getText(2, 1), u"cat");
  EXPECT_EQ(core().getText(4, 1), u"cat");

  // Replace all also takes number cells for a pattern that is no number: -5 becomes 5.
  state(u"-");
  grid->mReplaceText = u"";
  command(ID_REPLACE_ALL);
  EXPECT_EQ(core().cellAt(5, 1)->kind, CELL_INT64);
  EXPECT_EQ(core().getInt64(5, 1), 5);

  // Escaped mode unescapes the replacement, not lower-cased.
  column({u"a b"});
  state(u"\\x20", {FIND_EXTENDED});
  grid->mReplaceText = u"\\T";
  command(ID_REPLACE_ALL);
  EXPECT_EQ(core().getText(2, 1), u"a b");  // \x is no escape: "x20" not found
  state(u" ", {FIND_EXTENDED});
  command(ID_REPLACE_ALL);
  EXPECT_EQ(core().getText(2, 1), u"a\tb");
}

TEST_F(FindTest, ReplaceNextOnALockedDocumentChangesNothingAndSaysSo) {
  column({u"cat", u"cat"});
  core().mAttrs[ATTR_EDIT_LOCK].value = 1;
  state(u"cat");
  grid->mReplaceText = u"cow";
  command(ID_REPLACE);
  select(2, 1);
  command(ID_REPLACE_NEXT);
  EXPECT_EQ(core().getText(2, 1), u"cat");
  EXPECT_EQ(current(), std::make_pair(3, 1));
  EXPECT_EQ(result(grid->mReplaceDlg), u"替换结果：文档已锁定，未替换文本.");
  command(ID_REPLACE_ALL);
  EXPECT_EQ(result(grid->mReplaceDlg), u"全部替换结果：全文替换文本0处.");
  EXPECT_EQ(core().getText(3, 1), u"cat");
  EXPECT_FALSE(!grid->mComManag.mUndoList.empty());
}

TEST_F(FindTest, TheDialogsShareTheStateAndHideEachOther) {
  column({u"Abc", u"abc"});
  command(ID_FIND);
  HWND find = grid->mFindDlg;
  ASSERT_TRUE(find);
  // The controls set the state.
  SetDlgItemTextW(find, 1013, u"abc");
  press(find, 1017);
  press(find, 1020);
  press(find, 1016);
  EXPECT_EQ(grid->mFindText, u"abc");
  EXPECT_EQ(grid->mMatchCase, 1);
  EXPECT_EQ(grid->mWholeCell, 1);
  EXPECT_EQ(grid->mFindMode, FIND_REGEX);
  select(1, 1);
  press(find, 1021);
  EXPECT_EQ(current(), std::make_pair(3, 1));

  command(ID_REPLACE);
  HWND replace = grid->mReplaceDlg;
  EXPECT_FALSE(IsWindowVisible(find));
  EXPECT_TRUE(IsWindowVisible(replace));
  char16_t text[64] = {};
  GetDlgItemTextW(replace, 1013, text, 64);
  EXPECT_EQ(std::u16string(text), u"abc");
  EXPECT_EQ(IsDlgButtonChecked(replace, 1017), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(replace, 1016), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(replace, 1018), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(replace, 1020), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(replace, 1019), BST_UNCHECKED);
  press(replace, 1019);
  EXPECT_EQ(grid->mFindMode, FIND_NORMAL);

  command(ID_FIND);
  EXPECT_FALSE(IsWindowVisible(replace));
  EXPECT_TRUE(IsWindowVisible(find));
  EXPECT_EQ(IsDlgButtonChecked(find, 1019), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(find, 1020), BST_UNCHECKED);
  // Closing only hides; the dialog comes back as it was.
  SendMessageW(find, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(find));
  command(ID_FIND);
  EXPECT_EQ(grid->mFindDlg, find);
  EXPECT_TRUE(IsWindowVisible(find));

  // Keys: Ctrl+H shows the replace dialog, F3 finds next.
  key('H', testdriver::Ctrl);
  EXPECT_TRUE(IsWindowVisible(replace));
  select(1, 1);
  grid->mFindText = u"abc";
  key(VK_F3);  // match case and whole cell are still on
  EXPECT_EQ(current(), std::make_pair(3, 1));
}

TEST_F(FindTest, AnEngineLimitIsReportedAndChangesNothing) {
  column({u"x", std::u16string(60, u'a') + u"c", u"aa"});
  state(u"(a|aa)+$", {FIND_REGEX});
  grid->mReplaceText = u"z";
  command(ID_REPLACE);
  select(1, 1);
  for (UINT id : {ID_FIND_NEXT, ID_REPLACE_ALL}) {
    SetDlgItemTextW(grid->mReplaceDlg, 1023, u"");
    command(id);
    EXPECT_NE(result(grid->mReplaceDlg).find(u"A3"), std::u16string::npos) << id;
  }
  grid->countMatches();
  EXPECT_NE(result(grid->mReplaceDlg).find(u"A3"), std::u16string::npos);
  EXPECT_EQ(current(), std::make_pair(1, 1));
  EXPECT_EQ(core().getText(4, 1), u"aa");
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
}

namespace {
INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

// Every text of the find, replace, filter and delete-duplicates dialogs fits its control.
TEST_F(FindTest, DialogTextsFitTheirControls) {
  registerFindFilterResources();
  for (int id : {132, 133, 101, 148}) {
    HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(id), grid->mHwnd, plainDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << id;
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    for (const auto& item : platform::resources::findDialog(MAKEINTRESOURCEW(id))->items) {
      if (item.cls == u"EDIT" || item.cls == u"COMBOBOX" || item.text.empty()) continue;
      RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
      MapDialogRect(dialog, &r);
      std::u16string shown = item.text;
      if (size_t amp = shown.find(u'&'); amp != std::u16string::npos) shown.erase(amp, 1);
      SIZE size{};
      GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
      const DWORD type = item.style & 0xF;
      const bool box = item.cls == u"BUTTON" && type >= BS_CHECKBOX && type != BS_GROUPBOX;
      EXPECT_LE(size.cx, r.right - r.left - (box ? 16 : 0)) << id << " " << wideToUtf8(item.text);
      EXPECT_LE(size.cy, r.bottom - r.top) << id << " " << wideToUtf8(item.text);
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
  }
}
