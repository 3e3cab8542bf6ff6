// The tools across tables: the look-up copy of find-match and the two-table results.
#include <gtest/gtest.h>

#include "tests/store/SheetFixture.h"

namespace {

struct FindMatchCase {
  const char* name;
  Table write, ret, data, area;
  int32_t writeCol, returnCol, dataCol, areaCol, count;
  Table expected;
};

// Every table is its own sheet; write, return, data and area by column letters' numbers.
TEST(FindMatchTest, CasesCellByCell) {
  const FindMatchCase cases[] = {
      {"smallest area row wins",
       {{"", ""}, {"", ""}, {"", ""}},
       {{"r1"}, {"r2"}, {"r3"}, {"r4"}, {"r5"}},
       {{"x"}, {"y"}, {"x"}},
       {{"z"}, {"x"}, {"y"}, {"q"}, {"x"}},
       2,
       1,
       1,
       1,
       1,
       {{"", "r2"}, {"", "r3"}, {"", "r2"}}},
      {"three columns, not found empties them, case counts",
       {{"o", "o", "o", "o"}, {"o", "o", "o", "o"}},
       {{"k", "1", "2", "3"}, {"K", "4", "5", "6"}},
       {{"K"}, {"m"}},
       {{"k"}, {"K"}},
       2,
       2,
       1,
       1,
       3,
       {{"o", "4", "5", "6"}, {"o", "", "", ""}}},
      {"the write table grows; columns beyond it and beyond the return table",
       {{"a", "a"}},
       {{"k", "1"}, {"j", "2"}},
       {{"j"}, {"k"}, {"none"}},
       {{"k"}, {"j"}},
       2,
       2,
       1,
       1,
       3,
       {{"a", "2"}, {"", "1"}, {"", ""}}},
      {"rows below the data table stay; empty texts match",
       {{"a", "a"}, {"b", "b"}, {"c", "c"}},
       {{"e"}, {"f"}},
       {{""}},
       {{"x"}, {""}},
       2,
       1,
       1,
       1,
       1,
       {{"a", "f"}, {"b", "b"}, {"c", "c"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDataCore write, ret, data, area;
    fillSheet(write, c.write);
    fillSheet(ret, c.ret);
    fillSheet(data, c.data);
    fillSheet(area, c.area);
    write.findMatch(c.writeCol, ret, c.returnCol, data, c.dataCol, area, c.areaCol, c.count);
    EXPECT_EQ(readSheet(write), c.expected);
    expectPoolConsistent(write);
  }
}

// Kinds and flags travel with the cell; the index holds while its own column is written.
TEST(FindMatchTest, OneSheetForEveryRole) {
  CDataCore sheet;
  fillSheet(sheet, {{"b", "12"}, {"a", "x"}, {"b", "y"}});
  sheet.mDatas[1][2].flag = 1;
  // Data column A is looked up in column A itself, column B returned into column A.
  sheet.findMatch(1, sheet, 2, sheet, 1, sheet, 1, 1);
  EXPECT_EQ(readSheet(sheet), (Table{{"12", "12"}, {"x", "x"}, {"12", "y"}}));
  EXPECT_EQ(sheet.mDatas[1][1].kind, CELL_INT64);
  EXPECT_EQ(sheet.mDatas[3][1].flag, 1);
  expectPoolConsistent(sheet);
}

struct TwoTableCase {
  const char* name;
  Table source, lookup;
  int32_t col1, col2, col3;
  Table dedupe, duplicates;
};

TEST(TwoTableTest, DedupeAndDuplicates) {
  const TwoTableCase cases[] = {
      {"repeated source keys stay",
       {{"k1", "1"}, {"k2", "2"}, {"k1", "3"}},
       {{"k2"}},
       1,
       0,
       0,
       {{"k1", "1"}, {"k1", "3"}},
       {{"k2", "2"}}},
      {"an empty key is in neither result", {{"", "1"}, {"a", "2"}}, {{""}, {"b"}}, 1, 0, 0, {{"a", "2"}}, {}},
      {"two columns: one empty text still makes a key",
       {{"", "x", "1"}, {"a", "", "2"}},
       {{"", "", "1"}},
       1,
       3,
       0,
       {{"a", "", "2"}},
       {{"", "x", "1"}}},
      {"keys of several columns are kept apart",
       {{"a@b", "c", "1"}, {"a", "b@c", "2"}},
       {{"a", "b@c"}},
       1,
       2,
       0,
       {{"a@b", "c", "1"}},
       {{"a", "b@c", "2"}}},
      {"three columns",
       {{"a", "b", "c"}, {"a", "b", "d"}},
       {{"a", "b", "d"}},
       1,
       2,
       3,
       {{"a", "b", "c"}},
       {{"a", "b", "d"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDataCore source, lookup;
    fillSheet(source, c.source);
    fillSheet(lookup, c.lookup);
    CDataCore dedupe, duplicates;
    fillSheet(dedupe, {{"old", "old"}, {"old", "old"}, {"old", "old"}, {"old", "old"}});
    dedupe.twoTableDedupe(source, lookup, c.col1, c.col2, c.col3);
    duplicates.twoTableDuplicates(source, lookup, c.col1, c.col2, c.col3);
    EXPECT_EQ(readSheet(dedupe), c.dedupe);
    EXPECT_EQ(readSheet(duplicates), c.duplicates);
    EXPECT_EQ(dedupe.mColCount, source.mColCount);
    EXPECT_EQ(dedupe.mRowCount, c.dedupe.size() + 1);
    expectPoolConsistent(dedupe);
    expectPoolConsistent(duplicates);
  }
}

// Column 0 (row height and hidden flag) goes with its row; row 0 (column widths) does not.
TEST(TwoTableTest, RowHeaderCopiedColumnWidthsNot) {
  CDataCore source, lookup, result;
  fillSheet(source, {{"k1"}, {"k2"}});
  fillSheet(lookup, {{"k1"}});
  source.setDouble(2, 0, 40);
  source.mDatas[2][0].flag = 1;
  source.setDouble(0, 1, 200);
  result.twoTableDedupe(source, lookup, 1, 0, 0);
  ASSERT_EQ(result.mRowCount, 2u);
  EXPECT_EQ(result.mDatas[1][0].flag, 1);
  EXPECT_EQ(result.getDouble(1, 0), 40);
  EXPECT_NE(result.getDouble(0, 1), 200);
}

}  // namespace
