#include <gtest/gtest.h>

#include "commands/AttributeAction.h"
#include "commands/DeleteAction.h"
#include "commands/InsertAction.h"
#include "commands/ResizeAction.h"
#include "commands/VisibleAction.h"
#include "commands/WidthHightAction.h"
#include "store/TextKey.h"
#include "tests/support/GridOpsFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

Selection cells(int32_t top, int32_t left, int32_t bottom, int32_t right) {
  return Selection{top, left, Range{top, left, bottom, right}};
}
Selection wholeRows(int32_t top, int32_t bottom) { return Selection{top, 0, Range{top, 0, bottom, 0}}; }
Selection wholeCols(int32_t left, int32_t right) { return Selection{0, left, Range{0, left, 0, right}}; }
Selection wholeSheet() { return Selection{0, 0, Range{0, 0, 0, 0}}; }

struct Structure : ::testing::Test {
  Structure() {
    manager.mNotify = [this](void*, void*) { ++notified; };
    // Rows 1..8 of three columns; texts shared between cells, a formula with a value,
    // widths, heights and hidden flags in the header cells.
    buildSheet(core, {{u"a", u"1", u"x"},
                      {u"b", u"2.5", u"x"},
                      {u"c", u"=A1", u"y"},
                      {u"d", u"4", u"x"},
                      {u"e", u"5", u"z"},
                      {u"f", u"6", u""},
                      {u"g", u"7", u"w"},
                      {u"h", u"8", u"x"}});
    core.mFormulaValues[cellPos(3, 2)] = 1.0;
    core.setInt64(0, 2, 90);
    core.setInt64(4, 0, 30);
  }
  void hideRow(int32_t r) { core.cellAt(r, 0)->flag = 1; }
  void hideCol(int32_t c) { core.cellAt(0, c)->flag = 1; }
  std::string textAt(int32_t r, int32_t c) { return wideToUtf8(core.getText(r, c)); }
  std::string column(int32_t c) {
    std::string out;
    for (uint64_t r = 1; r < core.mRowCount; ++r)
      out += textAt(int32_t(r), c) + (r + 1 < core.mRowCount ? "," : "");
    return out;
  }
  // Filter on column 1 hiding the given rows (flags set as the filter command sets them).
  void filterHides(std::initializer_list<int32_t> rows) {
    FilterColumn& fc = core.mFilter.mColumns[cellPos(1, 1)];
    fc.key = cellPos(1, 1);
    for (int32_t r : rows) {
      fc.rows.insert(r);
      hideRow(r);
    }
  }

  CDataCore core;
  iComManag manager;
  int notified = 0;
};

TEST_F(Structure, ResizeToTheCurrentSizeIsEmpty) {
  Selection s = cells(1, 1, 1, 1);
  auto* r = new CResizeAction(&core, &s);
  r->mOldRows = r->mNewRows = int32_t(core.mRowCount);
  r->mOldCols = r->mNewCols = int32_t(core.mColCount);
  manager.add(std::unique_ptr<iCommand>(r));
  EXPECT_TRUE(manager.mUndoList.empty());
}

// Undo of a shrink gives back the cells and header cells it cut off.
TEST_F(Structure, ShrinkAndGrowAreUndoneExactly) {
  for (auto [rows, cols] : {std::pair{4, 2}, std::pair{0, 0}, std::pair{12, 6}, std::pair{5, 0}}) {
    Selection s = cells(1, 1, 1, 1);
    auto* r = new CResizeAction(&core, &s);
    r->mOldRows = int32_t(core.mRowCount);
    r->mOldCols = int32_t(core.mColCount);
    r->mNewRows = rows;
    r->mNewCols = cols;
    expectRunUndoRedo(manager, core, r);
    EXPECT_EQ(core.mRowCount, uint64_t(cols == 0 ? 0 : rows));
    manager.undo();
  }
  EXPECT_GT(notified, 0);
}

TEST_F(Structure, HidingRecordsOnlyColumnsWhoseFlagChanges) {
  hideCol(2);
  Selection s = wholeCols(1, 3);
  auto* v = new CVisibleAction(&core, &s);
  v->prepare(false);
  EXPECT_EQ(v->mNewFlags.size(), 2u);
  EXPECT_FALSE(v->mNewFlags.count(cellPos(0, 2)));
  expectRunUndoRedo(manager, core, v);
  manager.undo();
  EXPECT_EQ(core.cellAt(0, 1)->flag, 0);
  EXPECT_EQ(core.cellAt(0, 2)->flag, 1) << "C stays hidden";

  Selection rows = wholeRows(2, 3);
  auto* showRows = new CVisibleAction(&core, &rows);
  hideRow(3);
  showRows->prepare(true);
  expectRunUndoRedo(manager, core, showRows);
  EXPECT_EQ(core.cellAt(3, 0)->flag, 0);
}

TEST_F(Structure, HidingCellsOrTheWholeSheetDoesNothing) {
  for (Selection s : {cells(1, 1, 3, 3), wholeSheet()}) {
    CVisibleAction v(&core, &s);
    v.prepare(false);
    EXPECT_TRUE(v.isEmpty());
  }
}

TEST_F(Structure, BandedRowsToggledTwiceAndUndoneOnce) {
  auto toggle = [&] {
    auto* a = new CAttributeAction(&core, nullptr);
    a->setValue(ATTR_BANDED_ROWS, core.mAttrs[ATTR_BANDED_ROWS].value == 0 ? 1 : 0);
    manager.add(std::unique_ptr<iCommand>(a));
  };
  toggle();
  toggle();
  EXPECT_EQ(core.mAttrs[ATTR_BANDED_ROWS].value, 0u);
  manager.undo();
  EXPECT_EQ(core.mAttrs[ATTR_BANDED_ROWS].value, 1u);
}

TEST_F(Structure, ScriptAttributeTextIsInternedAndReleased) {
  core.setAttrText(ATTR_PYTHON_SCRIPT, u"print(1)");
  auto* a = new CAttributeAction(&core, nullptr);
  a->setText(ATTR_PYTHON_SCRIPT, u"print(2)");
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(wideToUtf8(core.poolText(core.mAttrs[ATTR_PYTHON_SCRIPT].value)), "print(2)");
  EXPECT_TRUE(core.poolText(textKey(u"print(1)")).empty()) << "the old script's reference is released";
}

TEST_F(Structure, InsertRowsFollowsTheFilterAndIsUndoneExactly) {
  filterHides({3, 7});
  Selection s = wholeRows(5, 5);
  auto* ins = new CInsertAction(&core, &s);
  ins->mCount = 3;
  expectRunUndoRedo(manager, core, ins);
  EXPECT_EQ(core.mRowCount, 12u);
  EXPECT_EQ(textAt(8, 1), "e");
  const auto& hidden = core.mFilter.mColumns[cellPos(1, 1)].rows;
  EXPECT_TRUE(hidden.count(3) && hidden.count(10));
}

TEST_F(Structure, InsertColumnsAndInsertBeyondTheSheetAreUndoneExactly) {
  Selection cols = wholeCols(2, 2);
  auto* c = new CInsertAction(&core, &cols);
  c->mCount = 2;
  expectRunUndoRedo(manager, core, c);
  EXPECT_EQ(core.getInt64(0, 4), 90) << "widths move with their columns";

  Selection beyond = wholeRows(50, 50);
  auto* r = new CInsertAction(&core, &beyond);
  r->mCount = 2;
  expectRunUndoRedo(manager, core, r);
  EXPECT_EQ(core.mRowCount, 11u);
}

TEST_F(Structure, InsertIsEmptyForNoRowsOrTheWholeSheet) {
  Selection sheet = wholeSheet();
  CInsertAction a(&core, &sheet);
  a.mCount = 3;
  EXPECT_TRUE(a.isEmpty());
  Selection rows = wholeRows(2, 2);
  CInsertAction b(&core, &rows);
  EXPECT_TRUE(b.isEmpty());
}

TEST_F(Structure, DeletingWholeRowsTakesOnlyTheVisibleOnes) {
  filterHides({3, 4, 8});
  Selection s = wholeRows(2, 6);
  auto* d = new CDeleteAction(&core, &s);
  d->prepare();
  expectRunUndoRedo(manager, core, d);
  EXPECT_EQ(column(1), "a,c,d,g,h");
  EXPECT_EQ(core.mFilter.mColumns[cellPos(1, 1)].rows, (std::unordered_set<int32_t>{2, 3, 5}));
  EXPECT_EQ(notified, 5);
}

// Removed rows give up their texts while out of the sheet: the pool holds what the
// remaining cells use, and the command can be destroyed after the sheet was refilled.
TEST_F(Structure, RowsHeldByADeleteOwnNoPoolReferences) {
  Selection s = wholeRows(1, 8);
  auto* d = new CDeleteAction(&core, &s);
  d->prepare();
  manager.add(std::unique_ptr<iCommand>(d));
  EXPECT_EQ(core.mRowCount, 1u);
  EXPECT_EQ(core.mPool.size(), 0u);
  EXPECT_EQ(core.mPoolBytes, 0);

  buildSheet(core, {{u"x", u"y"}});  // a new file in the same tab, then the lists emptied
  const SheetSnapshot refilled = SheetSnapshot::take(core);
  manager.clear();
  EXPECT_SAME_SHEET(refilled, SheetSnapshot::take(core));
}

TEST_F(Structure, DeletingTheWholeSheetIsUndoneExactly) {
  hideRow(2);
  hideCol(3);
  Selection s = wholeSheet();
  auto* d = new CDeleteAction(&core, &s);
  d->prepare();
  EXPECT_EQ(d->mSelection.range.bottom, 9);
  EXPECT_EQ(d->mSelection.range.right, 4);
  expectRunUndoRedo(manager, core, d);
  EXPECT_EQ(core.mRowCount, 0u);
  EXPECT_EQ(core.mColCount, 0u);
  EXPECT_EQ(core.mPool.size(), 0u);
  EXPECT_EQ(core.mPoolBytes, 0);
}

// A delete that drops part of the filter's state gets all of it back on undo: the row
// set of a deleted filtered column, and a listed row the user has shown again.
TEST_F(Structure, UndoOfADeleteGivesBackTheWholeFilterState) {
  struct Case {
    const char* name;
    Selection selection;
    int32_t shownAgain;  // a row the filter lists whose hidden flag the user cleared, or 0
  };
  const Case cases[] = {{"the filtered column", wholeCols(1, 1), 0},
                        {"columns around it", wholeCols(1, 2), 0},
                        {"a listed row shown again", wholeRows(3, 3), 3},
                        {"rows around a listed row shown again", wholeRows(2, 6), 5},
                        {"the whole sheet", wholeSheet(), 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDataCore sheet;
    buildSheet(sheet, {{u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}, {u"d", u"4"}, {u"e", u"5"}, {u"f", u"6"}});
    FilterColumn& fc = sheet.mFilter.mColumns[cellPos(1, 1)];
    fc.key = cellPos(1, 1);
    fc.rows = {3, 5};
    sheet.cellAt(3, 0)->flag = 1;
    sheet.cellAt(5, 0)->flag = 1;
    if (c.shownAgain) sheet.cellAt(c.shownAgain, 0)->flag = 0;
    iComManag commands;
    Selection sel = c.selection;
    auto* d = new CDeleteAction(&sheet, &sel);
    d->prepare();
    expectRunUndoRedo(commands, sheet, d);
  }
}

// What a user sees: filter on, keep only "x" in column B, delete column B, undo, filter
// off; every row is shown again.
TEST(DeleteUndo, FilterSwitchedOffAfterUndoingAColumnDeleteShowsEveryRow) {
  testsupport::GridOpsFixture f;
  buildSheet(f.core, {{u"key", u"val"}, {u"1", u"x"}, {u"2", u"x"}, {u"3", u"y"}, {u"4", u"x"}});
  f.selection = wholeSheet();
  f.ops.toggleFilter();
  f.ops.filterValues(cellPos(1, 2), {}, {textKey(u"x")});
  ASSERT_EQ(f.core.cellAt(4, 0)->flag, 1);
  f.selection = wholeCols(2, 2);
  f.ops.deleteSelection();
  f.manager.undo();
  f.selection = wholeSheet();
  f.ops.toggleFilter();
  ASSERT_FALSE(f.core.mFilter.active());
  for (int32_t r = 1; r < int32_t(f.core.mRowCount); ++r) EXPECT_EQ(f.core.cellAt(r, 0)->flag, 0) << "row " << r;
}

// Delete on cells and whole columns keeps hidden cells and header cells too.
TEST_F(Structure, DeletingCellsAndColumnsKeepsEverythingTheyRemove) {
  hideRow(3);
  hideCol(2);
  core.setInt64(0, 3, 44);
  for (Selection s : {cells(2, 1, 5, 3), wholeCols(2, 3), wholeCols(1, 3), wholeCols(3, 9)}) {
    auto* d = new CDeleteAction(&core, &s);
    d->prepare();
    expectRunUndoRedo(manager, core, d);
    manager.undo();
  }
  Selection block = cells(2, 1, 5, 3);
  auto* d = new CDeleteAction(&core, &block);
  d->prepare();
  manager.add(std::unique_ptr<iCommand>(d));
  EXPECT_EQ(textAt(3, 1), "") << "hidden cells are emptied too";
  EXPECT_EQ(core.cellAt(3, 0)->flag, 1) << "the row header is not part of the cells";
}

TEST_F(Structure, ClearKeepsFlagsAndSkipsHiddenCells) {
  hideRow(3);
  core.cellAt(2, 1)->flag = 9;
  for (Selection s : {cells(2, 1, 4, 3), wholeRows(2, 4), wholeSheet()}) {
    auto* c = new CDeleteAction(&core, &s);
    c->mKind = KIND_CLEAR;
    c->prepare();
    const int before = notified;
    expectRunUndoRedo(manager, core, c);
    EXPECT_EQ(notified, before) << "a clear does not change the layout";
    EXPECT_EQ(textAt(2, 1), "");
    EXPECT_EQ(core.cellAt(2, 1)->flag, 9);
    EXPECT_EQ(textAt(3, 1), "c") << "hidden row kept";
    EXPECT_EQ(core.mRowCount, 9u);
    manager.undo();
  }
}

TEST_F(Structure, WidthGoesToTheSelectedColumnsThatHoldTheBorder) {
  buildSheet(core, {{u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"}});
  core.setInt64(0, 6, 120);
  Selection s = wholeCols(3, 6);
  auto* w = new CWidthHightAction(&core, &s);
  w->prepare(false, 5, 120);
  EXPECT_EQ(w->mNewSizes.size(), 3u) << "F already is 120 wide";
  expectRunUndoRedo(manager, core, w);
  for (int c = 3; c <= 6; ++c) EXPECT_EQ(core.getInt64(0, c), 120);

  auto* h = new CWidthHightAction(&core, &s);
  h->prepare(false, 8, 120);
  EXPECT_EQ(h->mNewSizes.size(), 1u);
  EXPECT_TRUE(h->mNewSizes.count(cellPos(0, 8)));
  delete h;

  Selection sheet = wholeSheet();
  auto* rows = new CWidthHightAction(&core, &sheet);
  rows->prepare(true, 1, 40);
  EXPECT_EQ(rows->mNewSizes.size(), 1u);
  expectRunUndoRedo(manager, core, rows);
}

struct RecordSize {
  std::string name;
  std::function<iCommand*(CDataCore&, Selection&)> make;
  size_t appliedBytes;
};

TEST_F(Structure, RecordsHaveTheirFixedSizes) {
  Selection s = wholeRows(2, 3);
  std::vector<RecordSize> cases = {
      {"resize",
       [](CDataCore& c, Selection& sel) {
         auto* r = new CResizeAction(&c, &sel);
         r->mOldRows = int32_t(c.mRowCount);
         r->mOldCols = int32_t(c.mColCount);
         r->mNewRows = 3;
         r->mNewCols = 3;
         return r;
       },
       32},
      {"insert",
       [](CDataCore& c, Selection& sel) {
         auto* r = new CInsertAction(&c, &sel);
         r->mCount = 1;
         return r;
       },
       60},
      {"delete",
       [](CDataCore& c, Selection& sel) {
         auto* r = new CDeleteAction(&c, &sel);
         r->prepare();
         return r;
       },
       56},
      {"hide two rows",
       [](CDataCore& c, Selection& sel) {
         auto* r = new CVisibleAction(&c, &sel);
         r->prepare(false);
         return r;
       },
       32 + 2 * 9},
      {"two row heights",
       [](CDataCore& c, Selection& sel) {
         auto* r = new CWidthHightAction(&c, &sel);
         r->prepare(true, 2, 40);
         return r;
       },
       56 + 2 * 12},
      {"banded rows",
       [](CDataCore& c, Selection& sel) {
         auto* r = new CAttributeAction(&c, &sel);
         r->setValue(ATTR_BANDED_ROWS, 1);
         return r;
       },
       32 + 16},
  };
  for (RecordSize& c : cases) {
    iCommand* command = c.make(core, s);
    manager.add(std::unique_ptr<iCommand>(command));
    const std::string record = command->serialize();
    EXPECT_EQ(record.size(), c.appliedBytes) << c.name;
    int64_t kind;
    std::memcpy(&kind, record.data(), 8);
    EXPECT_EQ(kind, command->mKind) << c.name;
    manager.undo();
  }
}

}  // namespace
