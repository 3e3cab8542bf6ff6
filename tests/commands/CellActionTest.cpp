#include "commands/CellAction.h"

#include <gtest/gtest.h>

#include "store/TextKey.h"
#include "tests/support/SheetSnapshot.h"
#include "tests/support/TextConvert.h"

namespace {

constexpr auto& show = testsupport::u8;

// A clipboard table as the paste reads it: lines, width, nextRow().
struct FakeTable {
  explicit FakeTable(std::vector<std::vector<std::u16string>> rows) : rows(std::move(rows)) {
    for (const auto& r : this->rows) width = std::max<uint64_t>(width, r.size());
    lines.resize(this->rows.size());
  }
  std::vector<std::u16string> nextRow() {
    return next < rows.size() ? rows[next++] : std::vector<std::u16string>{};
  }
  std::vector<std::vector<std::u16string>> rows;
  std::vector<int> lines;
  uint64_t width = 0;
  size_t next = 0;
};

struct CellEdits : ::testing::Test {
  void select(int32_t top, int32_t left, int32_t bottom, int32_t right) {
    sel = Selection{top, left, Range{top, left, bottom, right}};
  }
  CCellAction* action() { return new CCellAction(&core, &sel); }
  void hideRow(int32_t r) { core.cellAt(r, 0)->flag = 1; }
  std::string textAt(int32_t r, int32_t c) { return show(core.getText(r, c)); }
  std::vector<std::string> rowTexts(int32_t r, int32_t from, int32_t to) {
    std::vector<std::string> out;
    for (int32_t c = from; c <= to; ++c) out.push_back(textAt(r, c));
    return out;
  }

  CDataCore core;
  iComManag manager;
  Selection sel;
};

using Texts = std::vector<std::string>;

TEST_F(CellEdits, IntegerSeriesCountsVisibleRowsAndColumns) {
  buildSheet(core, {{u"", u"", u""}, {u"", u"", u""}, {u"", u"", u""}});
  select(1, 1, 3, 3);
  CCellAction* a = action();
  a->fill(u"5", true);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(rowTexts(1, 1, 3), (Texts{"5", "6", "7"}));
  EXPECT_EQ(rowTexts(2, 1, 3), (Texts{"6", "7", "8"}));
  EXPECT_EQ(rowTexts(3, 1, 3), (Texts{"7", "8", "9"}));
  EXPECT_EQ(core.cellAt(3, 3)->kind, CELL_INT64);

  manager.undo();
  hideRow(2);
  CCellAction* b = action();
  b->fill(u"5", true);
  expectRunUndoRedo(manager, core, b);
  EXPECT_EQ(rowTexts(2, 1, 3), (Texts{"", "", ""}));
  EXPECT_EQ(rowTexts(3, 1, 3), (Texts{"6", "7", "8"}));
}

TEST_F(CellEdits, TextSeriesCountsRowsFromTheTopHiddenOnesIncluded) {
  buildSheet(core, {{u"a"}, {u"b"}, {u"c"}});
  hideRow(2);
  select(1, 1, 3, 1);
  CCellAction* a = action();
  a->fill(u"Item1", true);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(textAt(1, 1), "Item1");
  EXPECT_EQ(textAt(2, 1), "b");
  EXPECT_EQ(textAt(3, 1), "Item3");
}

TEST_F(CellEdits, FormulaSeriesCountsReferenceRows) {
  buildSheet(core, {{u""}, {u""}, {u""}});
  select(1, 1, 3, 1);
  CCellAction* a = action();
  a->fill(u"=LOG10(A1)", true);
  manager.add(std::unique_ptr<iCommand>(a));
  EXPECT_EQ(textAt(3, 1), "=LOG10(A3)");
  EXPECT_EQ(core.cellAt(3, 1)->kind, CELL_FORMULA);
}

struct TypedCase {
  const char16_t* typed;
  bool series;
  uint8_t kind;
  std::vector<std::string> texts;  // of the two selected cells
};

TEST_F(CellEdits, TypedTextsGetTheirKinds) {
  const std::vector<TypedCase> cases = {
      {u"1.5", true, CELL_DOUBLE, {"1.5", "2.5"}},
      {u"007", true, CELL_TEXT, {"7", "8"}},  // a text: its series drops the leading zeros
      {u"007", false, CELL_TEXT, {"007", "007"}},
      {u"42", false, CELL_INT64, {"42", "42"}},
      {u"9223372036854775807", true, CELL_INT64, {"9223372036854775807", "9223372036854775807"}},
      {u"=A1", false, CELL_FORMULA, {"=A1", "=A1"}},
      {u"2024-01-05", false, CELL_TEXT, {"2024-01-05", "2024-01-05"}},
  };
  for (const TypedCase& c : cases) {
    buildSheet(core, {{u"x"}, {u"y"}});
    select(1, 1, 2, 1);
    CCellAction* a = action();
    a->fill(c.typed, c.series);
    manager.add(std::unique_ptr<iCommand>(a));
    EXPECT_EQ(core.cellAt(1, 1)->kind, c.kind) << show(c.typed);
    EXPECT_EQ((Texts{textAt(1, 1), textAt(2, 1)}), c.texts) << show(c.typed);
  }
}

TEST_F(CellEdits, ScriptFillKeepsTheScriptKindForFormulaText) {
  buildSheet(core, {{u"1"}});
  select(1, 1, 1, 1);
  CCellAction* a = action();
  a->fillScript(u"=A1", CELL_EXPRTK, false);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(core.cellAt(1, 1)->kind, CELL_EXPRTK);
  EXPECT_EQ(textAt(1, 1), "=A1");
}

TEST_F(CellEdits, EmptyTextEmptiesCellsAndUnchangedCellsRecordNothing) {
  buildSheet(core, {{u"a", u""}, {u"5", u"7"}});
  select(1, 1, 2, 2);
  CCellAction* a = action();
  a->fill(u"", false);
  EXPECT_EQ(a->mNewRecords.size(), 3u) << "the empty cell is not recorded";
  expectRunUndoRedo(manager, core, a);
  EXPECT_TRUE(core.mPool.size() == 0);

  CCellAction* again = action();
  again->fill(u"", false);
  EXPECT_TRUE(again->isEmpty());
  const size_t undoable = manager.mUndoList.size();
  manager.add(std::unique_ptr<iCommand>(again));
  EXPECT_EQ(manager.mUndoList.size(), undoable);
}

TEST_F(CellEdits, RetypingTheSameValuesRecordsNothing) {
  for (const char16_t* v : {u"abc", u"12", u"0.25", u"=B1+1"}) {
    buildSheet(core, {{v, v}});
    select(1, 1, 1, 2);
    CCellAction a(&core, &sel);
    a.fill(v, false);
    EXPECT_TRUE(a.isEmpty()) << show(v);
  }
}

TEST_F(CellEdits, OverwrittenFormulaGetsItsComputedValueBackOnUndo) {
  buildSheet(core, {{u"=1+1", u"x"}});
  core.mFormulaValues[cellPos(1, 1)] = 2.0;
  select(1, 1, 1, 2);
  CCellAction* a = action();
  a->fill(u"x", false);
  expectRunUndoRedo(manager, core, a);
}

// A computed value that a row move left at a position which no longer holds a formula
// (or lies beyond the sheet) is not lost when an edit writes a formula there and is undone.
TEST_F(CellEdits, UndoKeepsAComputedValueLeftAtTheEditedPosition) {
  struct Case {
    const char* name;
    int32_t row, col;
  };
  for (const Case& c : {Case{"a text cell", 1, 2}, Case{"beyond the sheet", 3, 1}}) {
    SCOPED_TRACE(c.name);
    buildSheet(core, {{u"1", u"x"}});
    core.mFormulaValues.clear();
    core.mFormulaValues[cellPos(c.row, c.col)] = 7.0;
    select(c.row, c.col, c.row, c.col);
    FakeTable table({{u"=A1*2"}});
    CCellAction* a = action();
    a->paste(table);
    expectRunUndoRedo(manager, core, a);
    manager.clear();
  }
}

TEST_F(CellEdits, SetKindTable) {
  buildSheet(core, {{u"1", u"2.5", u"text", u""}});
  select(1, 1, 1, 4);
  CCellAction* py = action();
  py->setKind(CELL_PYTHON);
  expectRunUndoRedo(manager, core, py);
  EXPECT_EQ(rowTexts(1, 1, 4), (Texts{"", "", "text", ""}));
  for (int c = 1; c <= 4; ++c) EXPECT_EQ(core.cellAt(1, c)->kind, CELL_PYTHON);

  CCellAction* text = action();
  text->setKind(CELL_TEXT);
  expectRunUndoRedo(manager, core, text);
  EXPECT_EQ(core.cellAt(1, 3)->kind, CELL_TEXT);
  EXPECT_EQ(textAt(1, 3), "text");

  buildSheet(core, {{u"1", u"2.5", u"=A1"}});
  CCellAction numbersToText(&core, &sel);
  numbersToText.setKind(CELL_TEXT);
  EXPECT_TRUE(numbersToText.isEmpty());
}

TEST_F(CellEdits, PasteBeyondTheLastRowGrowsTheSheetAndUndoShrinksIt) {
  buildSheet(core, {{u"1"}, {u"2"}, {u"3"}, {u"4"}, {u"5"}, {u"6"}, {u"7"}, {u"8"}, {u"9"}});
  ASSERT_EQ(core.mRowCount, 10u);
  core.cellAt(9, 1)->flag = 7;  // a data flag the paste must keep
  select(9, 1, 9, 1);
  FakeTable table({{u"a", u"b", u"c"}, {u"d", u"=e", u"3.5"}});
  CCellAction* a = action();
  a->paste(table);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(core.mRowCount, 11u);
  EXPECT_EQ(core.mColCount, 4u);
  EXPECT_EQ(rowTexts(9, 1, 3), (Texts{"a", "b", "c"}));
  EXPECT_EQ(rowTexts(10, 1, 3), (Texts{"d", "=e", "3.5"}));
  EXPECT_EQ(core.cellAt(9, 1)->flag, 7);
  EXPECT_EQ(core.cellAt(10, 3)->kind, CELL_DOUBLE);
}

TEST_F(CellEdits, PasteIntoAnEmptySheetIsUndoneToAnEmptySheet) {
  select(1, 1, 1, 1);
  FakeTable table({{u"a", u"b"}, {u"c"}});
  CCellAction* a = action();
  a->paste(table);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(textAt(2, 1), "c");
  manager.undo();
  EXPECT_EQ(core.mRowCount, 0u);
  EXPECT_EQ(core.mPool.size(), 0u);
}

// An empty sheet grows to hold what is pasted, a single value as well as a table, and
// undo empties it again.
TEST_F(CellEdits, PasteIntoAnEmptySheetGrowsItForOneValueToo) {
  struct Case {
    const char* name;
    std::vector<std::vector<std::u16string>> table;
    int32_t row, col;
    const char* text;  // what (row, col) shows afterwards
    uint64_t rows, cols;
  };
  const Case cases[] = {{"a text", {{u"x"}}, 1, 1, "x", 2, 2},
                        {"a number below the corner", {{u"42"}}, 3, 2, "42", 4, 3},
                        {"a formula", {{u"=A1"}}, 1, 1, "=A1", 2, 2},
                        {"a table", {{u"a", u"b"}, {u"c"}}, 2, 1, "c", 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDataCore empty;
    iComManag commands;
    Selection at{c.row, c.col, Range{c.row, c.col, c.row, c.col}};
    if (c.table.size() > 1) at = Selection{1, 1, Range{1, 1, 1, 1}};
    FakeTable table(c.table);
    auto* a = new CCellAction(&empty, &at);
    a->paste(table);
    expectRunUndoRedo(commands, empty, a);
    EXPECT_EQ(show(empty.getText(c.row, c.col)), c.text);
    EXPECT_EQ(empty.mRowCount, c.rows);
    EXPECT_EQ(empty.mColCount, c.cols);
    commands.undo();
    EXPECT_EQ(empty.mRowCount, 0u);
    EXPECT_EQ(empty.mPool.size(), 0u);
  }
}

// A paste whose corner is near the largest row and column is cut at the sheet's limits
// (the sanitizer build sees any overflow of the positions). Only prepared: running it
// would need a sheet of 2^31 rows.
TEST_F(CellEdits, PasteAtTheLastRowAndColumnIsCutThere) {
  buildSheet(core, {{u"x"}});
  const int32_t last = INT32_MAX - 1;
  select(last, last, last, last);
  FakeTable table({{u"a", u"b", u"c"}, {u"d", u"e", u"f"}, {u"g"}});
  CCellAction* a = action();
  a->paste(table);
  ASSERT_EQ(a->mNewRecords.size(), 1u);
  EXPECT_EQ(a->mNewRecords[0].row, last);
  EXPECT_EQ(a->mNewRecords[0].col, last);
  EXPECT_EQ(a->mNewRows, INT32_MAX);
  EXPECT_EQ(a->mNewCols, INT32_MAX);
  delete a;
}

TEST_F(CellEdits, ShortLinesLeaveTheCellsToTheirRightAlone) {
  buildSheet(core, {{u"x", u"y"}, {u"z", u"w"}});
  select(1, 1, 1, 1);
  FakeTable table({{u"a", u"b"}, {u"c"}});
  CCellAction* a = action();
  a->paste(table);
  manager.add(std::unique_ptr<iCommand>(a));
  EXPECT_EQ(rowTexts(2, 1, 2), (Texts{"c", "w"}));
}

// A single pasted value is repeated, never a series (Ctrl+V holds Ctrl), where the
// same value typed as a series counts on.
TEST_F(CellEdits, SingleValuePasteRepeatsTheValue) {
  buildSheet(core, {{u"", u""}, {u"", u""}});
  select(1, 1, 2, 2);
  FakeTable table({{u"7"}});
  CCellAction* a = action();
  a->paste(table);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(rowTexts(2, 1, 2), (Texts{"7", "7"}));

  CCellAction* typed = action();
  typed->fill(u"1", true);
  manager.add(std::unique_ptr<iCommand>(typed));
  EXPECT_EQ(rowTexts(2, 1, 2), (Texts{"2", "3"}));
}

TEST_F(CellEdits, RecordLayoutFollowsTheSideInEffect) {
  buildSheet(core, {{u"old"}});
  select(1, 1, 1, 1);
  CCellAction* a = action();
  a->setFromText(1, 1, u"5");
  manager.add(std::unique_ptr<iCommand>(a));
  const std::string applied = a->serialize();
  ASSERT_EQ(applied.size(), 40u + 18u);
  int64_t kind, n, m;
  std::memcpy(&kind, applied.data(), 8);
  std::memcpy(&n, applied.data() + 8, 8);
  std::memcpy(&m, applied.data() + 16, 8);
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(applied[40 + 8], char(CELL_INT64));
  EXPECT_EQ(uint8_t(applied[40 + 9]), 0xFF);

  manager.undo();
  const std::string undone = a->serialize();
  ASSERT_EQ(undone.size(), 40u + 18u + 16u + 8u) << "the old text travels in the text table";
  uint64_t key, len;
  std::memcpy(&key, undone.data() + 58, 8);
  std::memcpy(&len, undone.data() + 66, 8);
  EXPECT_EQ(key, textKey(u"old"));
  EXPECT_EQ(len, 8u);
}

TEST(InternActionText, ProbesPastAKeyHeldByAnotherText) {
  TextMap map;
  EXPECT_EQ(internActionText(0, u"", map), 0u);
  EXPECT_TRUE(map.empty());
  EXPECT_EQ(internActionText(10, u"a", map), 10u);
  EXPECT_EQ(internActionText(10, u"a", map), 10u);
  EXPECT_EQ(internActionText(10, u"b", map), 11u);
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map[11].size(), 4u);
}

}  // namespace
