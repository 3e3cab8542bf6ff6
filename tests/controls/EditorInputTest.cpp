// Typing into the text editor through messages: automatic indentation, bracket and quote
// pairing (script editors only) and stepping over paired closers, undo and redo by key,
// the clipboard, the input method, password mode, single-line and cell-editor commits,
// read-only editors, setText and appendText.
#include <cstring>

#include "platform/testdriver/Ime.h"
#include "tests/controls/EditorFixture.h"

using namespace editor_test;
using testdriver::Alt;
using testdriver::Ctrl;
using testdriver::Shift;

namespace {

std::u16string clipboardText() {
  std::u16string out;
  if (!OpenClipboard(nullptr)) return u"<not open>";
  HGLOBAL data = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
  if (const auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
    out = p;
    GlobalUnlock(data);
  } else {
    out = u"<empty>";
  }
  CloseClipboard();
  return out;
}

void setClipboard(const std::u16string& text, bool terminated = true) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t units = text.size() + (terminated ? 1 : 0);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, units * sizeof(char16_t));
  auto* p = static_cast<char16_t*>(GlobalLock(block));
  std::memcpy(p, text.c_str(), units * sizeof(char16_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

// What the editor's callbacks received.
struct Handed {
  int calls = 0;
  uint64_t key = 0;
  std::u16string text;
};

void listen(CCText& ed, Handed& commit, Handed& cancel) {
  ed.onCommit = [&commit](uint64_t key, std::u16string* text) {
    ++commit.calls;
    commit.key = key;
    commit.text = *text;
  };
  ed.onCancel = [&cancel](uint64_t key, std::u16string* text) {
    ++cancel.calls;
    cancel.key = key;
    cancel.text = *text;
  };
}

class EditorInput : public EditorTest {
 protected:
  void language(int32_t lang) { ed->language = lang; }
  Handed commit, cancel;
};

TEST_F(EditorInput, TypingBackspaceAndDelete) {
  type(u"hello world");
  EXPECT_EQ(text(), u"hello world");
  EXPECT_EQ(ed->caret, 11u);
  press(VK_BACK);
  press(VK_LEFT);
  press(VK_LEFT);
  press(VK_DELETE);
  EXPECT_EQ(text(), u"hello wol");
  EXPECT_EQ(ed->caret, 8u);
  press(VK_HOME);
  press(VK_BACK);  // at 0: nothing
  EXPECT_EQ(text(), u"hello wol");
  press(VK_END);
  press(VK_BACK, Ctrl);  // its character 127 is a control code, not text
  EXPECT_EQ(text(), u"hello wol");
}

struct IndentCase {
  const char* name;
  int32_t language;
  std::u16string before;  // the text before the caret
  std::u16string after;   // the text after the caret
  std::u16string typed;
  std::u16string expected;
  size_t caret;
};

void PrintTo(const IndentCase& c, std::ostream* os) { *os << c.name; }

class EditorIndent : public EditorTest, public ::testing::WithParamInterface<IndentCase> {};

TEST_P(EditorIndent, TypedTextIsExpanded) {
  const IndentCase& c = GetParam();
  ed->language = c.language;
  fill(c.before + c.after, c.before.size());
  type(c.typed);
  EXPECT_EQ(text(), c.expected);
  EXPECT_EQ(ed->caret, c.caret);
  EXPECT_EQ(ed->selection, selectionAt(c.caret));  // the anchor is the caret
}

INSTANTIATE_TEST_SUITE_P(
    Typing, EditorIndent,
    ::testing::Values(IndentCase{"EnterKeepsTheLinesTabs", 0, u"\t\tx = 1;", u"", u"\r", u"\t\tx = 1;\n\t\t", 11},
                      IndentCase{"EnterAfterABraceIndentsOneMore", 9, u"\t\tif (a) {", u"", u"\r",
                                 u"\t\tif (a) {\n\t\t\t", 14},
                      IndentCase{"EnterBetweenBracesPutsTheCloserOnItsOwnLine", 9, u"\t\tif (a) {", u"}", u"\r",
                                 u"\t\tif (a) {\n\t\t\t\n\t\t}", 14},
                      IndentCase{"EnterAtTheStartIsABareLineFeed", 9, u"", u"\tx", u"\r", u"\n\tx", 1},
                      IndentCase{"OnlyTabsBeforeTheCaretCount", 0, u"\tab", u"\tc", u"\r", u"\tab\n\t\tc", 5},
                      // Script editors pair brackets and quotes; a closer steps over the paired one.
                      IndentCase{"ExprtkParenthesis", 8, u"x", u"", u"(", u"x()", 2},
                      IndentCase{"CDoubleQuote", 9, u"", u"", u"\"", u"\"\"", 1},
                      IndentCase{"PythonSingleQuote", 13, u"", u"", u"'", u"''", 1},
                      IndentCase{"CBracketAndBrace", 9, u"", u"", u"[{", u"[{}]", 2},
                      IndentCase{"CallWithArgument", 9, u"", u"", u"f(a)", u"f(a)", 4},
                      IndentCase{"NestedPairsClosed", 13, u"", u"", u"((a))", u"((a))", 5},
                      IndentCase{"StringTyped", 9, u"", u"", u"\"ab\";", u"\"ab\";", 5},
                      IndentCase{"CloserNotPairedIsInserted", 9, u"x", u")", u")", u"x))", 2},
                      // Plain editors insert exactly what is typed.
                      IndentCase{"PlainParentheses", 0, u"", u"", u"(a)", u"(a)", 3},
                      IndentCase{"PlainQuote", 0, u"", u"", u"5\"", u"5\"", 2},
                      IndentCase{"PlainOpenerAlone", 0, u"", u"", u"[", u"[", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorInput, APairReplacesTheSelection) {
  language(TEXT_C);
  fill(u"abc", 0);
  press('A', Ctrl);
  type(u"(");
  EXPECT_EQ(text(), u"()");
  EXPECT_EQ(ed->caret, 1u);
}

TEST_F(EditorInput, ADeletedCloserIsNoLongerSteppedOver) {
  language(TEXT_C);
  type(u"(");
  press(VK_DELETE);  // the paired closer is gone
  type(u")");
  EXPECT_EQ(text(), u"()");
  type(u")");  // typed, not stepped over: nothing was paired
  EXPECT_EQ(text(), u"())");
}

TEST_F(EditorInput, UndoAndRedoByKey) {
  type(u"ab cd");
  press('Z', Ctrl);
  EXPECT_EQ(text(), u"ab ");
  press('Z', Ctrl);
  press('Z', Ctrl);
  EXPECT_EQ(text(), u"");
  press('Z', Ctrl);  // nothing left
  press('Y', Ctrl);
  EXPECT_EQ(text(), u"ab");
  EXPECT_EQ(ed->caret, 2u);
}

TEST_F(EditorInput, RedoRestoresWhatUndoRemovedInsideAPair) {
  language(TEXT_C);
  type(u"(+");
  EXPECT_EQ(text(), u"(+)");
  press('Z', Ctrl);
  EXPECT_EQ(text(), u"()");
  press('Y', Ctrl);
  EXPECT_EQ(text(), u"(+)");
  EXPECT_EQ(ed->caret, 2u);
}

TEST_F(EditorInput, UndoAfterSetTextAndAppendTextDoesNothing) {
  ed->setText(u"abc");
  ed->appendText(u"def");
  press('Z', Ctrl);
  EXPECT_EQ(text(), u"abcdef");
}

TEST_F(EditorInput, CopyCutAndPaste) {
  fill(u"one two", 0);
  doubleClick(cell(5, 0));
  press('C', Ctrl);
  EXPECT_EQ(clipboardText(), u"two");
  press('X', Ctrl);
  EXPECT_EQ(text(), u"one ");
  press(VK_HOME);
  press('V', Ctrl);
  EXPECT_EQ(text(), u"twoone ");
  EXPECT_EQ(ed->caret, 3u);
  setClipboard(u"a\r\nb\rc");
  press('V', Ctrl);
  EXPECT_EQ(text(), u"twoa\nbcone ");
}

TEST_F(EditorInput, PasteStopsAtTheEndOfAnUnterminatedBlock) {
  setClipboard(u"xyz", false);
  press('V', Ctrl);
  EXPECT_EQ(text(), u"xyz");
}

TEST_F(EditorInput, NothingSelectedCopiesNothing) {
  setClipboard(u"kept");
  fill(u"abc", 1);
  press('C', Ctrl);
  press('X', Ctrl);
  EXPECT_EQ(clipboardText(), u"kept");
  EXPECT_EQ(text(), u"abc");
}

TEST_F(EditorInput, ReadOnlyEditorMovesSelectsAndCopiesOnly) {
  fill(u"abc", 3);
  ed->editable = 0;
  type(u"x\r");
  press(VK_BACK);
  setClipboard(u"p");
  press('V', Ctrl);
  press(VK_LEFT, Shift);
  press('X', Ctrl);
  EXPECT_EQ(text(), u"abc");
  EXPECT_EQ(clipboardText(), u"c");
  EXPECT_EQ(ed->caret, 2u);
}

TEST_F(EditorInput, InputMethodTextIsInsertedAtTheCaret) {
  fill(u"ab", 1);
  EXPECT_EQ(testdriver::compose(u"中文", {u"z", u"zh", u"中文"}), hwnd());
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(), u"a中文b");
  EXPECT_EQ(ed->caret, 3u);
  const platform::CompositionWindow window = platform::imeCompositionWindow();
  EXPECT_TRUE(window.set);
  EXPECT_EQ(window.form.dwStyle, CFS_RECT);
  const POINT caret = ed->caretPoint(1);
  EXPECT_EQ(window.form.ptCurrentPos.x, caret.x);
  EXPECT_EQ(window.form.rcArea.right, caret.x + 300);
  EXPECT_EQ(window.form.rcArea.bottom, caret.y + 100);
  press('Z', Ctrl);  // the composition is one record
  EXPECT_EQ(text(), u"ab");
}

TEST_F(EditorInput, ACancelledCompositionKeepsTheSelectedText) {
  fill(u"keep", 0);
  press('A', Ctrl);
  testdriver::compose(u"", {u"k", u"ke"});
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(), u"keep");
  EXPECT_EQ(selected(), u"keep");
}

TEST_F(EditorInput, InputMethodTextInASingleLineEditorLosesLineBreaks) {
  ed->multiLine = 0;
  testdriver::compose(u"甲\r\n乙");
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(), u"甲乙");
}

TEST_F(EditorInput, PasswordModeShowsStarsAndHandsOverTheRealText) {
  ed->password = 1;
  ed->multiLine = 0;
  listen(*ed, commit, cancel);
  type(u"s3cret");
  EXPECT_EQ(text(), u"******");
  EXPECT_EQ(ed->realText, u"s3cret");
  press(VK_LEFT);
  press(VK_BACK);  // the 'e'
  press(VK_LEFT, Shift);
  type(u"X");  // replaces the 'r'
  EXPECT_EQ(ed->realText, u"s3cXt");
  EXPECT_EQ(text(), u"*****");
  press('A', Ctrl);
  press('C', Ctrl);
  EXPECT_EQ(clipboardText(), u"*****");
  press('Z', Ctrl);
  EXPECT_EQ(ed->realText, u"s3cXt");
  EXPECT_TRUE(ed->history.undoList.empty());
  press(VK_RETURN);
  EXPECT_EQ(commit.calls, 1);
  EXPECT_EQ(commit.key, 13u);
  EXPECT_EQ(commit.text, u"s3cXt");
}

TEST_F(EditorInput, SingleLineEditorCommitsOnEnterAndCancelsOnEscape) {
  ed->multiLine = 0;
  listen(*ed, commit, cancel);
  setClipboard(u"a\nb");
  press('V', Ctrl);
  EXPECT_EQ(text(), u"ab");
  press(VK_RETURN);
  EXPECT_EQ(commit.calls, 1);
  EXPECT_EQ(commit.text, u"ab");
  EXPECT_EQ(text(), u"ab");  // no line feed entered
  press(VK_ESCAPE);
  EXPECT_EQ(cancel.calls, 1);
  EXPECT_EQ(cancel.key, 27u);
  ed->escapeCancels = 0;
  press(VK_ESCAPE);
  EXPECT_EQ(cancel.calls, 1);
}

TEST_F(EditorInput, SetTextInASingleLineEditorDropsTheBreaks) {
  ed->multiLine = 0;
  ed->setText(u"a\r\nb\nc");
  EXPECT_EQ(text(), u"abc");
  EXPECT_EQ(ed->caret, 3u);
}

// The grid's in-place editor of a plain cell: what is typed is stored as typed, Enter and
// Tab hand it over, Alt+Enter breaks the line.
TEST_F(EditorInput, PlainCellEditorStoresWhatIsTypedAndCommitsOnEnterOrTab) {
  ed->cellEditorMode = 1;
  listen(*ed, commit, cancel);
  type(u"(a) 5\"");
  press(VK_RETURN, Alt);
  type(u"'x'");
  EXPECT_EQ(text(), u"(a) 5\"\n'x'");
  press(VK_RETURN);
  EXPECT_EQ(commit.calls, 1);
  EXPECT_EQ(commit.key, static_cast<uint64_t>(VK_RETURN));
  EXPECT_EQ(commit.text, u"(a) 5\"\n'x'");
  press(VK_TAB);
  EXPECT_EQ(commit.calls, 2);
  EXPECT_EQ(commit.key, static_cast<uint64_t>(VK_TAB));
}

TEST_F(EditorInput, AltEnterCommandBreaksTheLineOfACellEditor) {
  ed->cellEditorMode = 1;
  listen(*ed, commit, cancel);
  type(u"ab");
  testdriver::keyDown(VK_MENU);  // the accelerator comes from an Alt+Enter keystroke
  testdriver::pumpUntilIdle();
  SendMessageW(hwnd(), WM_COMMAND, 32875, 0);
  testdriver::keyUp(VK_MENU);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(), u"ab\n");
  ed->multiLine = 0;  // a single-line cell editor commits instead
  testdriver::keyDown(VK_MENU);
  testdriver::pumpUntilIdle();
  SendMessageW(hwnd(), WM_COMMAND, 32875, 0);
  testdriver::keyUp(VK_MENU);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(commit.calls, 1);
}

// A script cell's editor keeps Enter and Tab as text and commits when it loses the focus.
TEST_F(EditorInput, ScriptCellEditorCommitsOnFocusLoss) {
  ed->cellEditorMode = 1;
  language(TEXT_PYTHON);
  listen(*ed, commit, cancel);
  type(u"if x:\r\tf(1)");
  EXPECT_EQ(text(), u"if x:\n\tf(1)");
  EXPECT_EQ(commit.calls, 0);
  SetFocus(host);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(commit.calls, 1);
  EXPECT_EQ(commit.key, reinterpret_cast<uint64_t>(host));
  EXPECT_EQ(commit.text, u"if x:\n\tf(1)");
  // A hidden editor hands nothing over when it loses the focus.
  SetFocus(hwnd());
  ShowWindow(hwnd(), SW_HIDE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(commit.calls, 1);
}

TEST_F(EditorInput, TabReplacesASelectionInOneLineAndIndentsAcrossLines) {
  fill(u"abc\ndef", 0);
  ed->selection = TextSelection{1, 1, 2};
  ed->caret = 2;
  press(VK_TAB);
  EXPECT_EQ(text(), u"a\tc\ndef");
  press('A', Ctrl);
  press(VK_TAB);
  EXPECT_EQ(text(), u"\ta\tc\n\tdef");
  press(VK_TAB, Shift);
  press(VK_TAB, Shift);
  EXPECT_EQ(text(), u"a\tc\ndef");  // the second outdent found no leading tabs
  press('Z', Ctrl);
  EXPECT_EQ(text(), u"\ta\tc\n\tdef");
}

TEST_F(EditorInput, AppendTextMovesTheCaretAndTheViewToTheEnd) {
  for (int i = 0; i < 20; ++i) ed->appendText(u"line\r\n");
  ed->appendText(u"last");
  EXPECT_EQ(ed->caret, text().size());
  EXPECT_EQ(ed->lines().count(), 21u);
  EXPECT_EQ(text().substr(0, 6), u"line\nl");
  const POINT caret = ed->caretPoint(ed->caret);
  EXPECT_GE(caret.y, ed->textRect.top);
  EXPECT_LE(caret.y + kLineHeight, ed->textRect.bottom);
}

}  // namespace
