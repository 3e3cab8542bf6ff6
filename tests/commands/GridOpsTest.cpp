#include "commands/GridOps.h"

#include <gtest/gtest.h>

#include <new>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "tests/support/GridOpsFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

// Every code unit 10 pixels wide, lines 16 pixels high.
struct FixedMeasure : TextMeasure {
  void setFont(int32_t height, const std::u16string& face) override {
    fontHeight = height;
    fontFace = face;
  }
  int32_t charWidth(char16_t) override { return 10; }
  int32_t lineHeight() override { return 16; }
  int32_t fontHeight = 0;
  std::u16string fontFace;
};

struct Ops : ::testing::Test, testsupport::GridOpsFixture {
  Ops() { buildSheet(core, {{u"abcd\nabcdefg", u"", u"x"}, {u"a\tb", u"", u"p\nq\nr"}}); }
  void select(Selection s) { selection = s; }

  FixedMeasure measure;
};

// A surface that runs out of memory while it measures.
struct FailingMeasure : FixedMeasure {
  int32_t charWidth(char16_t) override { throw std::bad_alloc(); }
  int32_t lineHeight() override { throw std::bad_alloc(); }
};

// A builder that throws before its command reaches the manager leaves no command behind
// (the sanitizer build's leak check sees one that is lost) and changes nothing.
TEST_F(Ops, ABuilderThatThrowsLeavesNoCommandBehind) {
  struct Case {
    const char* name;
    void (CGridOps::*fit)(const CellFont&, TextMeasure&, int32_t, int32_t);
  } cases[] = {
      {"auto-fit columns", &CGridOps::autoFitColumns},
      {"auto-fit rows", &CGridOps::autoFitRows},
  };
  FailingMeasure failing;
  const SheetSnapshot before = SheetSnapshot::take(core);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW((ops.*c.fit)(CellFont{}, failing, 1, 2), std::bad_alloc);
    EXPECT_TRUE(manager.mCommands.empty());
    EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "the command was lost";
#endif
  }
}

TEST_F(Ops, AutoFitColumnsTakesTheWidestLinePlusFive) {
  ops.autoFitColumns(CellFont{}, measure, 1, 3);
  EXPECT_EQ(measure.fontHeight, 12);
  EXPECT_EQ(core.getInt64(0, 1), 75);  // lines of 40 and 70; "a<TAB>b" is 60
  EXPECT_EQ(core.getInt64(0, 2), 0) << "an empty column gets the default width";
  EXPECT_EQ(core.getInt64(0, 3), 15);
  ASSERT_EQ(manager.mUndoList.size(), 1u);
  EXPECT_EQ(manager.mUndoList.back()->mKind, KIND_WIDTH_HEIGHT);

  ops.autoFitColumns(CellFont{}, measure, 1, 3);
  EXPECT_EQ(manager.mUndoList.size(), 1u) << "columns that already fit record nothing";
}

TEST_F(Ops, AutoFitRowsCountsLines) {
  core.setTextTyped(1, 2, u"one\n");
  ops.autoFitRows(CellFont{}, measure, 1, 2);
  EXPECT_EQ(core.getInt64(1, 0), 2 * 16 + 3);
  EXPECT_EQ(core.getInt64(2, 0), 3 * 16 + 3);
  manager.undo();
  EXPECT_EQ(core.cellAt(2, 0)->kind, CELL_TEXT) << "undo puts the header cell back as it was";
  EXPECT_EQ(core.cellAt(2, 0)->value, 0u);
}

// Undo and redo are not edits the lock stops (the builders it stops: EditLockTest).
TEST_F(Ops, UndoAndRedoWorkUnderTheEditLock) {
  core.mAttrs[ATTR_EDIT_LOCK].value = 1;
  ops.autoFitColumns(CellFont{}, measure, 1, 1);
  EXPECT_EQ(manager.mUndoList.size(), 1u);
  ops.copy();
  EXPECT_FALSE(clipboard.empty());
  manager.undo();
  manager.redo();
  EXPECT_EQ(core.getInt64(0, 1), 75) << "undo and redo are not blocked";
}

TEST_F(Ops, BuildersHandTheirCommandsToTheManager) {
  select(Selection{0, 3, Range{0, 3, 0, 3}});
  ops.setVisible(false);
  EXPECT_EQ(core.cellAt(0, 3)->flag, 1);
  ops.setWidthHeight(false, 3, 50);
  EXPECT_EQ(core.getInt64(0, 3), 50);
  ops.deleteSelection();
  EXPECT_EQ(core.mColCount, 3u);
  ops.resize(int32_t(core.mRowCount), int32_t(core.mColCount));
  EXPECT_EQ(manager.mUndoList.size(), 3u) << "a resize to the current size is dropped";
  ops.resize(5, 5);
  EXPECT_EQ(core.mRowCount, 5u);
  for (int i = 0; i < 4; ++i) manager.undo();
  EXPECT_EQ(core.mColCount, 4u);
  EXPECT_EQ(core.cellAt(0, 3)->flag, 0);
}

TEST_F(Ops, CopyLeavesOutHiddenColumns) {
  core.cellAt(0, 2)->flag = 1;
  core.setTextTyped(1, 2, u"hidden");
  select(Selection{2, 1, Range{2, 1, 2, 3}});
  ops.copy();
  EXPECT_EQ(wideToUtf8(clipboard), "\"a\tb\"\t\"p\nq\nr\"") << "fields holding TAB or LF are quoted";
  ops.mHooks.setClipboardText = nullptr;
  ops.copy();  // no clipboard: nothing happens
}

}  // namespace
