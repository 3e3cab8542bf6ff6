// The editor's undo history on its own: which edits merge into one record, that undo and
// redo restore exactly the texts, carets and selections they should, indent and outdent,
// and that every text change is reported as a replacement that reproduces the text.
#include <gtest/gtest.h>

#include <string>

#include "controls/TextHistory.h"

namespace {

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    history.bind(&caret, &text, &selection);
    history.onChange = [this](void*, void*) { ++changes; };
    // A mirror of the text rebuilt from the replacement reports alone.
    history.onReplace = [this](size_t pos, size_t removed, size_t inserted) {
      mirror.replace(pos, removed, text.substr(pos, inserted));
    };
  }
  void TearDown() override { EXPECT_EQ(mirror, text); }

  void start(const std::u16string& s, size_t at) {
    text = mirror = s;
    caret = at;
    selection = selectionAt(at);
  }
  void select(size_t anchor, size_t other) {
    selection = TextSelection{anchor, std::min(anchor, other), std::max(anchor, other)};
    caret = other;
  }
  void typeText(const std::u16string& s) {
    for (char16_t c : s) history.insert(std::u16string(1, c), 1);
  }

  size_t caret = 0;
  std::u16string text, mirror;
  TextSelection selection;
  TextHistory history;
  int changes = 0;
};

TEST_F(HistoryTest, TypingMergesRunsOfOneCharacterClass) {
  typeText(u"ab cd");
  ASSERT_EQ(history.undoList.size(), 3u);  // "ab", " ", "cd"
  EXPECT_EQ(history.undoList[0].newText, u"ab");
  EXPECT_EQ(history.undoList[2].newText, u"cd");
  EXPECT_EQ(changes, 5);
  history.undo();
  history.undo();
  history.undo();
  EXPECT_EQ(text, u"");
  EXPECT_EQ(caret, 0u);
  history.redo();
  EXPECT_EQ(text, u"ab");
  EXPECT_EQ(caret, 2u);
  EXPECT_EQ(selection, selectionAt(2));
}

TEST_F(HistoryTest, TypingMergesOnlyAtTheEndOfTheLastInsertion) {
  typeText(u"ab");
  caret = 0;  // moved away ...
  caret = 2;  // ... and back to the end: still merges
  typeText(u"c");
  ASSERT_EQ(history.undoList.size(), 1u);
  EXPECT_EQ(history.undoList[0].newText, u"abc");
  caret = 1;  // elsewhere: a new record
  selection = selectionAt(1);
  typeText(u"x");
  EXPECT_EQ(history.undoList.size(), 2u);
  EXPECT_EQ(text, u"axbc");
}

// An insertion whose caret stops inside it (a bracket pair) takes no merge: what follows is
// typed inside the pair, so redo must put back "(+)", not "()+".
TEST_F(HistoryTest, ACharacterTypedInsideAPairIsARecordOfItsOwn) {
  history.insert(u"()", 1);
  EXPECT_EQ(caret, 1u);
  EXPECT_EQ(selection, selectionAt(1));  // the anchor stays with the caret
  typeText(u"+");
  EXPECT_EQ(text, u"(+)");
  ASSERT_EQ(history.undoList.size(), 2u);
  history.undo();
  EXPECT_EQ(text, u"()");
  EXPECT_EQ(caret, 1u);
  history.redo();
  EXPECT_EQ(text, u"(+)");
  EXPECT_EQ(caret, 2u);
  history.undo();
  history.undo();
  EXPECT_EQ(text, u"");
  history.redo();
  history.redo();
  EXPECT_EQ(text, u"(+)");
}

TEST_F(HistoryTest, TypingAfterAnUndoStartsANewRecordAndDropsTheRedoList) {
  typeText(u"ab");
  history.undo();
  ASSERT_EQ(history.redoList.size(), 1u);
  typeText(u"c");
  EXPECT_TRUE(history.redoList.empty());
  EXPECT_EQ(history.undoList.size(), 1u);
  history.redo();  // nothing left to redo
  EXPECT_EQ(text, u"c");
}

TEST_F(HistoryTest, TypingOverASelectionReplacesItInANewRecord) {
  typeText(u"abc");
  select(1, 3);  // "bc", caret at its end = the record's end
  typeText(u"d");
  EXPECT_EQ(text, u"ad");
  ASSERT_EQ(history.undoList.size(), 2u);
  EXPECT_EQ(history.undoList[1].oldText, u"bc");
  history.undo();
  EXPECT_EQ(text, u"abc");
  EXPECT_EQ(selection, (TextSelection{1, 1, 3}));
  EXPECT_EQ(caret, 3u);
}

TEST_F(HistoryTest, BackspaceMergesWithinAClass) {
  start(u"word  ", 6);
  for (int i = 0; i < 6; ++i) history.erase(true);
  EXPECT_EQ(text, u"");
  ASSERT_EQ(history.undoList.size(), 2u);  // the blanks, then the word
  EXPECT_EQ(history.undoList[0].oldText, u"  ");
  EXPECT_EQ(history.undoList[1].oldText, u"word");
  EXPECT_EQ(history.undoList[1].pos, 0u);
  history.undo();
  EXPECT_EQ(text, u"word");
  EXPECT_EQ(caret, 4u);
  history.erase(true);  // caret 0 would do nothing; here one letter goes
  EXPECT_EQ(text, u"wor");
}

TEST_F(HistoryTest, DeleteMergesInTextOrder) {
  start(u"abc+d", 0);
  for (int i = 0; i < 4; ++i) history.erase(false);
  EXPECT_EQ(text, u"d");
  ASSERT_EQ(history.undoList.size(), 2u);
  EXPECT_EQ(history.undoList[0].oldText, u"abc");
  EXPECT_EQ(history.undoList[1].oldText, u"+");
  history.undo();
  history.undo();
  EXPECT_EQ(text, u"abc+d");
  EXPECT_EQ(caret, 0u);
}

TEST_F(HistoryTest, EraseAtTheLimitsDoesNothing) {
  start(u"ab", 0);
  history.erase(true);
  start(u"ab", 2);
  history.erase(false);
  EXPECT_TRUE(history.undoList.empty());
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(text, u"ab");
}

TEST_F(HistoryTest, EraseOfASelectionIsOneReplaceRecord) {
  start(u"hello", 0);
  select(4, 1);
  history.erase(false);
  EXPECT_EQ(text, u"ho");
  EXPECT_EQ(caret, 1u);
  ASSERT_EQ(history.undoList.size(), 1u);
  EXPECT_EQ(history.undoList[0].kind, TextEdit::kReplace);
  history.undo();
  EXPECT_EQ(selection, (TextSelection{4, 1, 4}));
  EXPECT_EQ(caret, 1u);
}

struct BlockCase {
  const char* name;
  std::u16string text;
  size_t anchor, caret;  // the selection runs between them
  bool outdent;
  std::u16string expected;
  TextSelection selAfter;
  size_t caretAfter;
};

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class BlockTest : public HistoryTest, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(BlockTest, IndentsAndOutdentsTheSelectedLines) {
  const BlockCase& c = GetParam();
  start(c.text, 0);
  select(c.anchor, c.caret);
  if (c.outdent) history.outdent();
  else history.indent();
  EXPECT_EQ(text, c.expected);
  EXPECT_EQ(selection, c.selAfter);
  EXPECT_EQ(caret, c.caretAfter);
  if (history.undoList.empty()) return;
  history.undo();
  EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BlockTest,
    ::testing::Values(
        // Mid-line start: both lines get a tab, the start moves one right.
        BlockCase{"MidLine", u"ab\ncd\nef", 1, 4, false, u"\tab\n\tcd\nef", {2, 2, 6}, 6},
        // A line feed at index 0: the block starts after it, not at the text's start.
        BlockCase{"LineFeedAtZero", u"\nab\ncd", 2, 5, false, u"\n\tab\n\tcd", {3, 3, 7}, 7},
        BlockCase{"OutdentLineFeedAtZero", u"\n\tab\n\tcd", 3, 7, true, u"\nab\ncd", {2, 2, 5}, 5},
        // Selection from the very start; the caret at the start stays with it.
        BlockCase{"FromStart", u"a\nb", 3, 0, false, u"\ta\n\tb", {5, 0, 5}, 0},
        // A block ending with a line feed also indents the line after it.
        BlockCase{"EndsWithLineFeed", u"a\nb\nc", 0, 2, false, u"\ta\n\tb\nc", {0, 0, 4}, 4},
        BlockCase{"OutdentOneTabPerLine", u"\t\ta\n\tb\nc", 1, 7, true, u"\ta\nb\nc", {0, 0, 5}, 5},
        BlockCase{"OutdentWithoutTabsRecordsNothing", u"ab\ncd", 0, 4, true, u"ab\ncd", {0, 0, 4}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryOutdentLine, RemovesOneLeadingTabPerLine) {
  EXPECT_EQ(TextHistory::outdentLine(u"\t\tx\n\ty\nz\t\n"), u"\tx\ny\nz\t\n");
  EXPECT_EQ(TextHistory::outdentLine(u""), u"");
}

TEST(CharClass, SplitsLettersPunctuationBlanksAndWideCharacters) {
  const struct {
    char16_t c;
    int32_t cls;
  } cases[] = {{u'a', 1},  {u'Z', 1}, {u'7', 1}, {u'_', 1}, {u'!', 2}, {u'/', 2}, {u':', 2},
               {u'@', 2},  {u'[', 2}, {u'`', 2}, {u'{', 2}, {u'~', 2}, {u' ', 0}, {u'\n', 0},
               {u'\t', 0}, {0x7F, 0}, {0x80, 0}, {0x81, 3}, {u'中', 3}};
  for (const auto& c : cases) EXPECT_EQ(textCharClass(c.c), c.cls) << static_cast<int>(c.c);
}

}  // namespace
