// Structure changes: resize, row and column inserts, column deletes, taking rows out and
// putting them back, row permutations; the filter's row sets and column keys following
// them; allocation failures with their texts and the sheet left as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "store/Alloc.h"
#include "tests/store/SheetFixture.h"

namespace {

// Data rows r1..rN, each "rR cC" in columns 1..cols.
Table numbered(int rows, int cols) {
  Table t;
  for (int r = 1; r <= rows; ++r) {
    std::vector<std::string> row;
    for (int c = 1; c <= cols; ++c) row.push_back("r" + std::to_string(r) + "c" + std::to_string(c));
    t.push_back(row);
  }
  return t;
}

// The first column's texts of rows 1..end.
std::vector<std::string> firstColumn(const CDataCore& s) {
  std::vector<std::string> out;
  for (uint64_t r = 1; r < s.mRowCount; ++r) out.push_back(u8(s.getText(int32_t(r), 1)));
  return out;
}

void addFilterColumn(CDataCore& s, int32_t col, std::vector<int32_t> rows) {
  s.mFilter.mColumns[cellPos(1, col)] = FilterColumn{cellPos(1, col), {rows.begin(), rows.end()}};
}

std::set<int32_t> filterRows(const CDataCore& s) { return s.mFilter.hiddenRows(); }

TEST(Resize, ToZeroReleasesEveryText) {
  CDataCore s;
  fillSheet(s, numbered(3, 3));
  s.setAttrText(ATTR_EXPRTK_SCRIPT, u"x:=1");
  s.resize(0, 0);
  EXPECT_EQ(s.mDatas, nullptr);
  EXPECT_EQ(s.mRowCount, 0u);
  EXPECT_EQ(s.mColCount, 0u);
  EXPECT_EQ(s.mPool.size(), 1u);  // only the document script is left
  expectPoolConsistent(s);
}

TEST(Resize, EmptySheetGetsZeroCells) {
  CDataCore s;
  s.resize(5, 3);
  ASSERT_EQ(s.mRowCount, 5u);
  ASSERT_EQ(s.mColCount, 3u);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(s.cellAt(r, c)->isZero());
  CDataCore t;
  t.resize(0, 4);
  t.resize(4, 0);
  EXPECT_EQ(t.mDatas, nullptr);
  t.resize(-1, 3);
  EXPECT_EQ(t.mRowCount, 0u);
}

TEST(Resize, ShrinkingColumnsReleasesTheirTexts) {
  CDataCore s;
  fillSheet(s, numbered(2, 9));  // 10 columns with header
  s.setText(1, 5, u"=1");
  s.mFormulaValues[cellPos(1, 5)] = 1;
  s.resize(3, 4);
  EXPECT_EQ(s.mColCount, 4u);
  EXPECT_EQ(readSheet(s), (Table{{"r1c1", "r1c2", "r1c3"}, {"r2c1", "r2c2", "r2c3"}}));
  EXPECT_TRUE(s.mFormulaValues.empty());
  expectPoolConsistent(s);
  s.resize(3, 10);
  for (int c = 4; c < 10; ++c) EXPECT_TRUE(s.cellAt(1, c)->isZero());
  expectPoolConsistent(s);
}

TEST(Resize, RowsAndColumnsTogether) {
  struct Case {
    int32_t rows, cols;
    Table expect;
  } cases[] = {
      {3, 3, {{"r1c1", "r1c2"}, {"r2c1", "r2c2"}}},  // same size: unchanged
      {2, 2, {{"r1c1"}}},
      {4, 4, {{"r1c1", "r1c2", ""}, {"r2c1", "r2c2", ""}, {"", "", ""}}},
      {2, 4, {{"r1c1", "r1c2", ""}}},
      {4, 2, {{"r1c1"}, {"r2c1"}, {""}}},
  };
  for (const auto& c : cases) {
    CDataCore s;
    fillSheet(s, numbered(2, 2));
    s.resize(c.rows, c.cols);
    EXPECT_EQ(readSheet(s), c.expect) << c.rows << "x" << c.cols;
    expectPoolConsistent(s);
  }
}

TEST(Resize, LeavesTheFilterAlone) {
  CDataCore s;
  fillSheet(s, numbered(5, 2));
  addFilterColumn(s, 2, {4});
  s.resize(3, 2);
  EXPECT_EQ(filterRows(s), (std::set<int32_t>{4}));
}

TEST(InsertRow, PositionsCountsAndFilter) {
  struct Case {
    int32_t position, count;
    std::vector<std::string> first;
    std::set<int32_t> filter;
  } cases[] = {
      {3, 2, {"r1c1", "r2c1", "", "", "r3c1", "r4c1"}, {5, 8}},
      {1000, 2, {"r1c1", "r2c1", "r3c1", "r4c1", "", ""}, {3, 8}},  // 6 is at/after 5
      {1, 1, {"", "r1c1", "r2c1", "r3c1", "r4c1"}, {4, 7}},
      {5, 1, {"r1c1", "r2c1", "r3c1", "r4c1", ""}, {3, 7}},  // rows at/after 5 move
      {2, 0, {"r1c1", "r2c1", "r3c1", "r4c1"}, {3, 6}},
      {-1, 3, {"r1c1", "r2c1", "r3c1", "r4c1"}, {3, 6}},
  };
  for (const auto& c : cases) {
    CDataCore s;
    fillSheet(s, numbered(4, 2));
    addFilterColumn(s, 1, {3, 6});  // row 6 lies beyond the data: it still follows
    s.insertRow(c.position, c.count);
    EXPECT_EQ(firstColumn(s), c.first) << c.position;
    EXPECT_EQ(filterRows(s), c.filter) << c.position;
    expectPoolConsistent(s);
  }
}

TEST(InsertRow, FilterRowsPushedBeyondTheRangeAreDropped) {
  CDataCore s;
  fillSheet(s, numbered(2, 1));
  addFilterColumn(s, 1, {2, INT32_MAX - 1});  // a damaged document's row number
  s.insertRow(1, 5);
  EXPECT_EQ(filterRows(s), (std::set<int32_t>{7}));
}

TEST(InsertRow, IntoASheetWithoutRows) {
  CDataCore s;
  s.insertRow(0, 2);
  EXPECT_EQ(s.mRowCount, 2u);
  EXPECT_EQ(s.cellAt(1, 0), &s.mEmptyCell);  // no columns yet
}

TEST(InsertRow1, NewRowsLandOnTheListedNumbers) {
  CDataCore s;
  fillSheet(s, numbered(5, 1));
  addFilterColumn(s, 1, {1, 2, 3, 4, 5});
  ASSERT_TRUE(s.insertRow1({4, 2}));
  EXPECT_EQ(firstColumn(s), (std::vector<std::string>{"r1c1", "", "r2c1", "", "r3c1", "r4c1", "r5c1"}));
  EXPECT_EQ(filterRows(s), (std::set<int32_t>{1, 3, 5, 6, 7}));
  expectPoolConsistent(s);
}

TEST(InsertRow1, RejectsListsThatBreakTheRule) {
  const std::vector<int32_t> bad[] = {{2, 2}, {-1}, {7}, {1, 6}};  // 4 rows + n
  for (const auto& rows : bad) {
    CDataCore s;
    fillSheet(s, numbered(3, 1));
    EXPECT_FALSE(s.insertRow1(rows));
    EXPECT_EQ(s.mRowCount, 4u);
  }
  CDataCore s;
  fillSheet(s, numbered(3, 1));
  EXPECT_TRUE(s.insertRow1({4, 5}));  // appending at the end is allowed
  EXPECT_EQ(firstColumn(s), (std::vector<std::string>{"r1c1", "r2c1", "r3c1", "", ""}));
}

TEST(InsertCol, CellsWidthsAndFilterKeysMoveRight) {
  CDataCore s;
  fillSheet(s, numbered(2, 3));
  s.setInt64(0, 2, 90);      // width of column 2
  s.cellAt(0, 2)->flag = 1;  // hidden
  addFilterColumn(s, 1, {1});
  addFilterColumn(s, 3, {2});
  EXPECT_EQ(s.insertCol(2, 2), 6);
  EXPECT_EQ(readSheet(s), (Table{{"r1c1", "", "", "r1c2", "r1c3"}, {"r2c1", "", "", "r2c2", "r2c3"}}));
  EXPECT_EQ(s.cellAt(0, 4)->value, 90u);
  EXPECT_EQ(s.cellAt(0, 4)->flag, 1);
  EXPECT_EQ(s.mFilter.mColumns.count(cellPos(1, 1)), 1u);
  EXPECT_EQ(s.mFilter.mColumns.count(cellPos(1, 5)), 1u);
  EXPECT_EQ(s.mFilter.mColumns.at(cellPos(1, 5)).key, cellPos(1, 5));
  EXPECT_EQ(s.insertCol(100, 1), 7);  // beyond the end: appended
  EXPECT_TRUE(s.cellAt(1, 6)->isZero());
  EXPECT_EQ(s.insertCol(1, 0), 7);
  expectPoolConsistent(s);
  CDataCore empty;
  EXPECT_EQ(empty.insertCol(0, 3), 3);
  EXPECT_EQ(empty.mColCount, 3u);
}

TEST(DeleteCols, Ranges) {
  struct Case {
    int32_t first, last;
    Table expect;
    uint64_t cols;
    size_t filterColumns;
  } cases[] = {
      {2, 3, {{"r1c1", "r1c4"}, {"r2c1", "r2c4"}}, 3, 1},
      {1, 4, {{}, {}}, 1, 0},  // only column 0 is left
      {0, 4, {}, 0, 0},        // the whole sheet
      {4, 4, {{"r1c1", "r1c2", "r1c3"}, {"r2c1", "r2c2", "r2c3"}}, 4, 2},
      {3, 5, {{"r1c1", "r1c2", "r1c3", "r1c4"}, {"r2c1", "r2c2", "r2c3", "r2c4"}}, 5, 2},
      {3, -1, {{"r1c1", "r1c2", "r1c3", "r1c4"}, {"r2c1", "r2c2", "r2c3", "r2c4"}}, 5, 2},
  };
  for (const auto& c : cases) {
    CDataCore s;
    fillSheet(s, numbered(2, 4));
    addFilterColumn(s, 1, {1});
    addFilterColumn(s, 3, {2});
    s.deleteCols(c.first, c.last);
    EXPECT_EQ(readSheet(s), c.expect) << c.first << ".." << c.last;
    EXPECT_EQ(s.mColCount, c.cols);
    EXPECT_EQ(s.mFilter.mColumns.size(), c.filterColumns) << c.first << ".." << c.last;
    expectPoolConsistent(s);
  }
  CDataCore s;
  fillSheet(s, numbered(2, 4));
  addFilterColumn(s, 4, {2});
  s.deleteCols(2, 3);
  EXPECT_EQ(s.mFilter.mColumns.count(cellPos(1, 2)), 1u);  // column 4 became 2
}

// Rows 1..8, row 4 hidden, the filter hiding rows 4 and 8.
class RowRemoval : public ::testing::Test {
 protected:
  void SetUp() override {
    fillSheet(sheet, numbered(8, 2));
    sheet.cellAt(4, 0)->flag = 1;
    addFilterColumn(sheet, 2, {4, 8});
    for (int r = 0; r < 9; ++r) before.push_back(sheet.mDatas[r]);
  }
  CDataCore sheet;
  std::vector<Cell*> before;
};

TEST_F(RowRemoval, TakesOnlyVisibleRowsAndFilterFollows) {
  EXPECT_EQ(sheet.removeVisibleRows(2, 5), 3);
  EXPECT_EQ(firstColumn(sheet), (std::vector<std::string>{"r1c1", "r4c1", "r6c1", "r7c1", "r8c1"}));
  EXPECT_EQ(filterRows(sheet), (std::set<int32_t>{2, 5}));
  // Put the rows back at their old numbers: the order before the removal returns.
  RowMap saved{{2, before[2]}, {3, before[3]}, {5, before[5]}};
  ASSERT_TRUE(sheet.restoreRows(saved));
  for (int r = 0; r < 9; ++r) EXPECT_EQ(sheet.mDatas[r], before[r]) << r;
  EXPECT_EQ(filterRows(sheet), (std::set<int32_t>{4, 8}));
  expectPoolConsistent(sheet);
}

TEST_F(RowRemoval, Bounds) {
  EXPECT_EQ(sheet.removeVisibleRows(4, 4), 0);  // only a hidden row
  EXPECT_EQ(sheet.removeVisibleRows(7, 100), 2);
  EXPECT_EQ(sheet.mRowCount, 7u);
  EXPECT_EQ(filterRows(sheet), (std::set<int32_t>{4}));
  EXPECT_EQ(sheet.removeVisibleRows(50, 60), 0);
  for (int r : {7, 8}) rowalloc::freeRow(before[r]);  // taken out: ours now
}

TEST_F(RowRemoval, RestoreRejectsNumbersBeyondTheSheet) {
  Cell* extra = rowalloc::allocRow(sheet.mColCount);
  EXPECT_FALSE(sheet.restoreRows(RowMap{{20, extra}}));
  EXPECT_FALSE(sheet.restoreRows(RowMap{{-1, extra}}));
  EXPECT_EQ(sheet.mRowCount, 9u);
  ASSERT_TRUE(sheet.restoreRows(RowMap{{9, extra}}));  // appended as the last row
  EXPECT_EQ(sheet.mDatas[9], extra);
}

TEST(RemoveVisibleRows, SheetWithoutColumnsKeepsItsRows) {
  CDataCore s;
  s.insertRow(0, 3);
  EXPECT_EQ(s.removeVisibleRows(0, 2), 0);
  EXPECT_EQ(s.mRowCount, 3u);
}

TEST(PermuteRows, ForwardThenBackwardRestores) {
  const std::vector<int32_t> order{5, 2, 4, 3};
  for (int32_t left : {0, 2}) {
    CDataCore s;
    fillSheet(s, numbered(6, 3));
    s.cellAt(5, 0)->flag = 1;  // row 5 hidden
    addFilterColumn(s, 1, {5});
    const Table original = readSheet(s);
    Range block{2, left, 5, left ? 3 : 0};
    ASSERT_TRUE(s.permuteRows(block, order, true));
    if (left == 0) {
      EXPECT_EQ(firstColumn(s), (std::vector<std::string>{"r1c1", "r5c1", "r2c1", "r4c1", "r3c1", "r6c1"}));
      EXPECT_EQ(s.cellAt(2, 0)->flag, 1);                // the hidden row stays hidden at its new place
      EXPECT_EQ(filterRows(s), (std::set<int32_t>{2}));  // and the filter knows it
    } else {
      EXPECT_EQ(firstColumn(s), (std::vector<std::string>{"r1c1", "r2c1", "r3c1", "r4c1", "r5c1", "r6c1"}));
      EXPECT_EQ(u8(s.getText(2, 2)), "r5c2");
      EXPECT_EQ(u8(s.getText(3, 3)), "r2c3");
      EXPECT_EQ(s.cellAt(5, 0)->flag, 1);  // row headers stay
      EXPECT_EQ(filterRows(s), (std::set<int32_t>{5}));
    }
    ASSERT_TRUE(s.permuteRows(block, order, false));
    EXPECT_EQ(readSheet(s), original);
    EXPECT_EQ(filterRows(s), (std::set<int32_t>{5}));
    expectPoolConsistent(s);
  }
}

TEST(PermuteRows, RejectsBadRangesAndOrders) {
  struct Case {
    const char* name;
    Range range;
    std::vector<int32_t> order;
  } cases[] = {
      {"bottom equal to the row count", {1, 0, 4, 0}, {2, 1}},
      {"order beyond the sheet", {1, 0, 3, 0}, {1, 2, 3, 4}},
      {"row outside the block", {1, 0, 2, 0}, {1, 3}},
      {"row twice", {1, 0, 2, 0}, {1, 1}},
      {"negative top", {-1, 0, 2, 0}, {0, 1}},
  };
  for (const auto& c : cases) {
    CDataCore s;
    fillSheet(s, numbered(3, 2));
    std::vector<Cell*> rows(s.mDatas, s.mDatas + 4);
    EXPECT_FALSE(s.permuteRows(c.range, c.order, true)) << c.name;
    EXPECT_EQ(std::vector<Cell*>(s.mDatas, s.mDatas + 4), rows) << c.name;
  }
}

// ---- allocation failures ----

// The state a failed operation must leave unchanged.
struct Snapshot {
  uint64_t rows, cols;
  int64_t poolBytes;
  std::vector<std::string> cells;  // raw bytes of every cell, row by row
  std::set<int32_t> filter;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const CDataCore& s) {
  Snapshot snap{s.mRowCount, s.mColCount, s.mPoolBytes, {}, filterRows(s)};
  for (uint64_t r = 0; r < s.mRowCount; ++r)
    snap.cells.emplace_back(reinterpret_cast<const char*>(s.mDatas[r]), s.mColCount * sizeof(Cell));
  return snap;
}

// Runs `op` with the n-th allocation failing; returns the exception text, prefixed with
// "C:" for a plain C string, or "" when the call did not throw.
std::string failAt(int64_t n, const std::function<void()>& op) {
  rowalloc::failNth(n);
  std::string text;
  try {
    op();
  } catch (const std::string& s) {
    text = s;
  } catch (const char* s) {
    text = std::string("C:") + s;
  }
  rowalloc::failNth(0);
  return text;
}

struct FailureCase {
  const char* name;
  std::function<void(CDataCore&)> op;
  std::vector<std::string> texts;  // the text of the n-th failing allocation, n = 1, 2, ...
};

TEST(AllocationFailure, TextsAndUnchangedSheet) {
  const FailureCase cases[] = {
      {"resize grows rows and columns",
       [](CDataCore& s) { s.resize(6, 5); },
       {"CDataGrid::resize: row-0,len-50 memery malloc error!",
        "CDataGrid::resize: row-1,len-50 memery malloc error!",
        "CDataGrid::resize: row-2,len-50 memery malloc error!",
        "CDataGrid::resize: row-3,len-50 memery malloc error!", "C:CDataGrid::resize:mDatas memery malloc error!",
        "CDataGrid::resize: row-4,len-50 memery malloc error!",
        "CDataGrid::resize: row-5,len-50 memery malloc error!"}},
      {"resize shrinks columns and grows rows",
       [](CDataCore& s) { s.resize(5, 2); },
       {"C:CDataGrid::resize:mDatas memery malloc error!", "CDataGrid::resize: row-4,len-20 memery malloc error!"}},
      {"insertRow",
       [](CDataCore& s) { s.insertRow(2, 2); },
       {"C:CDataGrid::insertRow:mDatas memery malloc error!",
        "CDataGrid::insertRow: row-2,len-40 memery malloc error!",
        "CDataGrid::insertRow: row-2,len-40 memery malloc error!"}},
      {"insertRow1",
       [](CDataCore& s) {
         s.insertRow1({3, 1});
       },
       {"C:CDataGrid::insertRow1:mDatas memery malloc error!",
        "CDataGrid::insertRow1: row-1,len-40 memery malloc error!",
        "CDataGrid::insertRow1: row-3,len-40 memery malloc error!"}},
      {"insertCol",
       [](CDataCore& s) { s.insertCol(2, 1); },
       {"CDataGrid::insertCol: row-0,len-50 memery malloc error!",
        "CDataGrid::insertCol: row-1,len-50 memery malloc error!",
        "CDataGrid::insertCol: row-2,len-50 memery malloc error!",
        "CDataGrid::insertCol: row-3,len-50 memery malloc error!"}},
      {"restoreRows",
       [](CDataCore& s) {
         // Allocated outside the hook so that only restoreRows' own allocation counts.
         Cell* row = static_cast<Cell*>(std::calloc(s.mColCount, sizeof(Cell)));
         try {
           s.restoreRows(RowMap{{2, row}});
         } catch (...) {
           rowalloc::freeRow(row);
           throw;
         }
       },
       {"C:CDataGrid::restoreRows:mDatas memery malloc error!"}},
  };
  for (const auto& c : cases) {
    size_t n = 1;
    for (;; ++n) {
      CDataCore s;
      fillSheet(s, numbered(3, 3));  // 4 x 4 with the headers
      s.cellAt(2, 0)->flag = 1;
      addFilterColumn(s, 2, {2, 3});
      const Snapshot before = snapshot(s);
      std::string text = failAt(int64_t(n), [&] { c.op(s); });
      if (text.empty()) break;  // the n-th allocation was not needed: all paths covered
      ASSERT_LE(n, c.texts.size()) << c.name << ": unexpected failure " << text;
      EXPECT_EQ(text, c.texts[n - 1]) << c.name << " #" << n;
      EXPECT_TRUE(snapshot(s) == before) << c.name << " #" << n << ": sheet changed";
      expectPoolConsistent(s);
    }
    EXPECT_EQ(n, c.texts.size() + 1) << c.name << ": fewer allocations than expected";
  }
}

TEST(AllocationFailure, CreateDataTexts) {
  struct Case {
    int64_t n;
    const char* text;
  } cases[] = {{1, "C:CDataGrid::createData:mDatas malloc error!"},
               {2, "CDataGrid::createData: row-0,len-20 memery malloc error!"},
               {4, "CDataGrid::createData: row-2,len-20 memery malloc error!"},
               {5, ""}};
  for (const auto& c : cases) {
    CDataCore s;
    EXPECT_EQ(failAt(c.n, [&] { s.resize(3, 2); }), c.text) << c.n;
    EXPECT_EQ(s.mRowCount, *c.text ? 0u : 3u);
    EXPECT_EQ(s.mDatas == nullptr, *c.text != 0);
  }
}

TEST(AllocationFailure, HugeCountsFailCleanly) {
  CDataCore s;
  fillSheet(s, numbered(2, 2));
  EXPECT_EQ(failAt(0, [&] { s.insertRow(1, INT32_MAX); }), "C:CDataGrid::insertRow:mDatas memery malloc error!");
  EXPECT_NE(failAt(0, [&] { s.insertCol(1, INT32_MAX); }), "");
  EXPECT_EQ(s.mRowCount, 3u);
  EXPECT_EQ(s.mColCount, 3u);
  expectPoolConsistent(s);
}

}  // namespace
