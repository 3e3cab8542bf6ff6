// Caret and selection of the text editor driven by mouse and keys: hit testing, dragging,
// Shift extension, word selection (also past the last line), the movement keys.
#include <tuple>

#include "tests/controls/EditorFixture.h"

using namespace editor_test;
using testdriver::Ctrl;
using testdriver::Shift;

namespace {

class EditorCaret : public EditorTest {};

TEST_F(EditorCaret, EmptyTextPutsTheCaretAtTheTopLeftAndEveryClickAtZero) {
  const POINT p = ed->caretPoint(0);
  EXPECT_EQ(p.x, ed->textRect.left);
  EXPECT_EQ(p.y, ed->textRect.top);
  click(at(150, 80));
  EXPECT_EQ(ed->caret, 0u);
  const platform::CaretState caret = platform::caretState();
  EXPECT_EQ(caret.owner, hwnd());
  EXPECT_TRUE(caret.visible);
  EXPECT_EQ(caret.pos.x, ed->textRect.left);
  EXPECT_EQ(caret.height, kLineHeight);
}

TEST_F(EditorCaret, ClicksFindTheNearestCaretPosition) {
  fill(u"ab\ncdef\n\tx", 0);
  const int left = ed->textRect.left, top = ed->textRect.top;
  const struct {
    const char* what;
    int x, y;
    size_t index;
  } cases[] = {
      {"left half of 'b'", left + kAdvance + 3, top + 4, 1},
      {"right half of 'b'", left + kAdvance + 5, top + 4, 2},
      {"right of line 1's end: before its line feed", left + 200, top + 4, 2},
      {"second line, 'e'", left + 2 * kAdvance + 1, top + kLineHeight + 1, 5},
      {"the tab's left half", left + 10, top + 2 * kLineHeight + 3, 8},
      {"the tab's right half", left + 20, top + 2 * kLineHeight + 3, 9},
      {"above the text: first line", left + kAdvance + 5, -20, 2},
      {"below the last line: the end", left + 2, top + 5 * kLineHeight, 10},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ed->indexFromPoint(POINT{c.x, c.y}), c.index) << c.what;
    click(at(c.x, std::max(c.y, 0)));
  }
  EXPECT_EQ(ed->caret, 10u);
}

TEST_F(EditorCaret, CaretPointAndClickAgreeOnEveryIndex) {
  fill(u"one\n\ttwo\n\nfour", 0);
  for (size_t i = 0; i <= text().size(); ++i) {
    const POINT p = ed->caretPoint(i);
    // One pixel into the character after the caret (or onto the empty end of a line).
    const size_t got = ed->indexFromPoint(POINT{p.x + 1, p.y + 1});
    EXPECT_EQ(got, i) << "index " << i;
  }
}

TEST_F(EditorCaret, DraggingSelectsFromThePressedPoint) {
  fill(u"abcdef\nghijkl", 0);
  testdriver::mouseDown(cell(4, 1));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(GetCapture(), hwnd());
  testdriver::mouseMove(cell(2, 0));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->selection, (TextSelection{11, 2, 11}));
  EXPECT_EQ(ed->caret, 2u);
  // Outside the window the capture keeps the drag going: above the text is line 1.
  testdriver::mouseMove(at(ed->textRect.left + 1, -30));
  testdriver::mouseUp(at(ed->textRect.left + 1, -30));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(selected(), u"abcdef\nghij");
}

TEST_F(EditorCaret, ShiftClickExtendsFromTheAnchor) {
  fill(u"abcdef\nghijkl", 0);
  click(cell(3, 0));
  click(cell(1, 1), Shift);
  EXPECT_EQ(ed->selection, (TextSelection{3, 3, 8}));
  click(cell(1, 0), Shift);  // the anchor stays where the plain click was
  EXPECT_EQ(ed->selection, (TextSelection{3, 1, 3}));
  EXPECT_EQ(ed->caret, 1u);
}

TEST_F(EditorCaret, DoubleClickSelectsAWordAPunctuationRunOrBlanks) {
  fill(u"foo_1 += bar baz\n  \nqux", 0);
  const struct {
    int column, line;
    std::u16string word;
  } cases[] = {
      {1, 0, u"foo_1"},    {7, 0, u"+="},
      {12, 0, u"bar baz"},  // the blank after a word: the word, the blank and the next word
      {8, 0, u"+= "},       // the blank after punctuation: no word of that class follows
      {0, 1, u"  \n"},      // blanks, then line feeds, up to the next word
      {2, 2, u"qux"},
  };
  for (const auto& c : cases) {
    doubleClick(cell(c.column, c.line));
    EXPECT_EQ(selected(), c.word) << c.column << "," << c.line;
    EXPECT_EQ(ed->caret, ed->selection.end);
    testdriver::advance(1000);  // the next click is not part of a double click
  }
}

// A double click below the last line lands on the end of the text; the word before it is
// selected and nothing reaches past the end.
TEST_F(EditorCaret, DoubleClickPastTheLastLineStaysInsideTheText) {
  const std::u16string texts[] = {u"abc def", u"x+=", u"end\n", u"a "};
  for (const std::u16string& s : texts) {
    fill(s, 0);
    doubleClick(at(ed->textRect.left + 3, ed->textRect.bottom - 3));
    EXPECT_LE(ed->selection.end, s.size()) << "text " << std::string(s.begin(), s.end());
    EXPECT_LE(ed->caret, s.size());
    testdriver::advance(1000);
  }
  fill(u"abc def", 0);
  EXPECT_EQ(ed->wordRange(7), (std::pair<size_t, size_t>{4, 7}));
  EXPECT_EQ(ed->wordRange(100), (std::pair<size_t, size_t>{4, 7}));
  doubleClick(at(ed->textRect.left + 3, ed->textRect.bottom - 3));
  EXPECT_EQ(selected(), u"def");
  // Typing replaces exactly the selected word.
  type(u"x");
  EXPECT_EQ(text(), u"abc x");
}

TEST_F(EditorCaret, ShiftKeysExtendFromTheAnchor) {
  fill(u"abc\ndefg\nhi", 5);  // after 'd'
  press(VK_RIGHT, Shift);
  press(VK_RIGHT, Shift);
  EXPECT_EQ(selected(), u"ef");
  press(VK_UP, Shift);  // column 3 of line 1 -> column 3 of line 0 (its end)
  EXPECT_EQ(ed->caret, 3u);
  EXPECT_EQ(ed->selection, (TextSelection{5, 3, 5}));
  press(VK_HOME, Shift);
  EXPECT_EQ(selected(), u"abc\nd");
  press(VK_DOWN, Shift);
  press(VK_DOWN, Shift);
  EXPECT_EQ(ed->caret, 9u);  // start of "hi"
  press(VK_END, Shift);
  EXPECT_EQ(selected(), u"efg\nhi");
}

TEST_F(EditorCaret, ShiftLeftAtTheStartAndShiftRightAtTheEnd) {
  fill(u"abc", 0);
  press(VK_LEFT, Shift);
  EXPECT_EQ(ed->caret, 0u);
  EXPECT_TRUE(ed->selection.empty());
  fill(u"abc", 1);
  press(VK_END, Shift);
  EXPECT_EQ(selected(), u"bc");
  press(VK_RIGHT, Shift);  // at the end: handled as a plain Right
  EXPECT_TRUE(ed->selection.empty());
  EXPECT_EQ(ed->caret, 3u);
}

TEST_F(EditorCaret, MovementKeys) {
  fill(u"abc\ndefg\n", 6);
  const struct {
    int vk;
    unsigned mods;
    size_t caret;
  } steps[] = {
      {VK_LEFT, 0, 5},  {VK_HOME, 0, 4},    {VK_END, 0, 8},  {VK_UP, 0, 3},     {VK_RIGHT, 0, 4}, {VK_DOWN, 0, 9},
      {VK_END, 0, 9},   {VK_HOME, 0, 9},  // after the final LF
      {VK_RIGHT, 0, 9}, {VK_HOME, Ctrl, 0}, {VK_LEFT, 0, 0}, {VK_END, Ctrl, 9}, {VK_PRIOR, 0, 0}, {VK_NEXT, 0, 9},
  };
  for (const auto& s : steps) {
    press(s.vk, s.mods);
    EXPECT_EQ(ed->caret, s.caret) << "key " << s.vk;
    EXPECT_TRUE(ed->selection.empty());
  }
}

TEST_F(EditorCaret, ArrowsCollapseASelectionToItsSide) {
  fill(u"abcdef", 0);
  ed->selection = TextSelection{1, 1, 4};
  ed->caret = 4;
  press(VK_LEFT);
  EXPECT_EQ(ed->caret, 1u);
  EXPECT_TRUE(ed->selection.empty());
  ed->selection = TextSelection{4, 1, 4};
  ed->caret = 1;
  press(VK_RIGHT);
  EXPECT_EQ(ed->caret, 4u);
  EXPECT_EQ(ed->selection.anchor, 4u);
}

TEST_F(EditorCaret, CtrlASelectsEverything) {
  fill(u"ab\ncd", 1);
  press('A', Ctrl);
  EXPECT_EQ(ed->selection, (TextSelection{0, 0, 5}));
  EXPECT_EQ(ed->caret, 5u);
  EXPECT_EQ(text(), u"ab\ncd");  // no character typed
}

TEST_F(EditorCaret, PageKeysMoveByTheViewHeight) {
  std::u16string s;
  for (int i = 0; i < 30; ++i) s += u"line\n";
  fill(s, 0);
  const int page = (ed->textRect.bottom - ed->textRect.top - kLineHeight) / kLineHeight;
  press(VK_NEXT);
  EXPECT_EQ(ed->caret, static_cast<size_t>(page) * 5);
  EXPECT_EQ(ed->scrollY, 0);  // line 6 still fits
  press(VK_NEXT);
  EXPECT_EQ(ed->caret, static_cast<size_t>(2 * page) * 5);
  // Line 11 was scrolled up to end at the view's bottom.
  EXPECT_EQ(ed->scrollY, 11 * kLineHeight - (ed->textRect.bottom - ed->textRect.top));
  press(VK_PRIOR);
  EXPECT_EQ(ed->caret, 20u);  // a page above the caret's line on screen
}

}  // namespace
