#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "commands/GridOps.h"
#include "commands/SortAction.h"
#include "tests/support/CaseName.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using Texts = std::vector<std::string>;

Texts column(const CDataCore& core, int32_t col) {
  Texts t;
  for (int32_t r = 1; r < int32_t(core.mRowCount); ++r) t.push_back(wideToUtf8(core.getText(r, col)));
  return t;
}

struct SortSheet : ::testing::Test {
  CDataCore core;
  iComManag manager;
  Selection selection;

  // Sorts with the selection given; returns false when the command was empty.
  bool sort(Range range, bool ascending, bool expand) {
    selection = Selection{range.top, range.left, range};
    auto* s = new CSortAction(&core, &selection);
    s->prepare(ascending, expand);
    if (s->isEmpty()) {
      const SheetSnapshot before = SheetSnapshot::take(core);
      manager.add(std::unique_ptr<iCommand>(s));
      EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
      return false;
    }
    expectRunUndoRedo(manager, core, s);
    return true;
  }
  static Range wholeColumn(int32_t c) { return Range{0, c, 0, c}; }
};

// One column sorted as a whole column.
struct ColumnCase {
  const char* name;
  std::vector<const char16_t*> cells;  // typed as an importer types them
  bool ascending;
  Texts expected;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { testsupport::printName(c, os); }

class SortColumn : public SortSheet, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(SortColumn, GivesTheOrder) {
  const ColumnCase& c = GetParam();
  core.resize(int32_t(c.cells.size() + 1), 2);
  for (size_t i = 0; i < c.cells.size(); ++i) core.setTextTyped(int32_t(i + 1), 1, c.cells[i]);
  ASSERT_TRUE(sort(wholeColumn(1), c.ascending, false));
  EXPECT_EQ(column(core, 1), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SortColumn,
    ::testing::Values(
        ColumnCase{
            "numbers_texts_empty_up", {u"3", u"10", u"b", u"a", u"", u"2"}, true, {"2", "3", "10", "a", "b", ""}},
        ColumnCase{"numbers_texts_empty_down",
                   {u"3", u"10", u"b", u"a", u"", u"2"},
                   false,
                   {"b", "a", "10", "3", "2", ""}},
        ColumnCase{"integers_and_decimals", {u"2.5", u"-1", u"2", u"0.5"}, true, {"-1", "0.5", "2", "2.5"}},
        ColumnCase{"code_unit_order", {u"b", u"B", u"ab", u"a", u"中"}, true, {"B", "a", "ab", "b", "中"}},
        ColumnCase{"leading_zero_texts", {u"007", u"01", u"1"}, true, {"1", "007", "01"}},
        ColumnCase{"formulas_sort_as_text", {u"=B1", u"5", u"=A1"}, true, {"5", "=A1", "=B1"}},
        ColumnCase{
            "leading_and_trailing_empty_rows_stay", {u"", u"3", u"", u"1", u""}, true, {"", "1", "3", "", ""}}),
    testsupport::ByName());

TEST_F(SortSheet, TextNumbersSortAsTextIntegersAsNumbers) {
  buildSheet(core, {{u"9"}, {u"a"}, {u"10"}});
  core.setText(1, 1, u"9");  // stored as text (row 2 is no number: no header)
  core.setText(3, 1, u"10");
  ASSERT_TRUE(sort(wholeColumn(1), true, false));
  EXPECT_EQ(column(core, 1), (Texts{"10", "9", "a"}));
  buildSheet(core, {{u"10"}, {u"9"}});
  ASSERT_TRUE(sort(wholeColumn(1), true, false));
  EXPECT_EQ(column(core, 1), (Texts{"9", "10"}));
}

TEST_F(SortSheet, NaNKeysFormAGroupOfTheirOwn) {
  buildSheet(
      core,
      {{u"3", u"r1"}, {u"x", u"r2"}, {u"1", u"r3"}, {u"", u"r4"}, {u"2", u"r5"}, {u"0", u"r6"}, {u"5", u"r7"}});
  core.setDouble(1, 1, NAN);
  core.setDouble(6, 1, -NAN);
  ASSERT_TRUE(sort(Range{1, 1, 7, 1}, true, true));
  EXPECT_EQ(column(core, 2), (Texts{"r3", "r5", "r7", "r1", "r6", "r2", "r4"}));
  ASSERT_TRUE(sort(Range{1, 1, 7, 1}, false, true));
  EXPECT_EQ(column(core, 2), (Texts{"r2", "r7", "r5", "r3", "r1", "r6", "r4"}));
}

TEST_F(SortSheet, EqualKeysKeepTheirRowOrderBothWays) {
  buildSheet(core, {{u"2", u"a"}, {u"1", u"b"}, {u"2", u"c"}, {u"1", u"d"}, {u"x", u"e"}, {u"x", u"f"}});
  ASSERT_TRUE(sort(Range{1, 1, 6, 1}, true, true));
  EXPECT_EQ(column(core, 2), (Texts{"b", "d", "a", "c", "e", "f"}));
  buildSheet(core, {{u"2", u"a"}, {u"1", u"b"}, {u"2", u"c"}, {u"1", u"d"}, {u"x", u"e"}, {u"x", u"f"}});
  ASSERT_TRUE(sort(Range{1, 1, 6, 1}, false, true));
  EXPECT_EQ(column(core, 2), (Texts{"e", "f", "a", "c", "b", "d"}));
}

TEST_F(SortSheet, AHeaderRowStaysOnTop) {
  buildSheet(core, {{u"Name", u"Age"}, {u"Tom", u"30"}, {u"Ann", u"25"}});
  ASSERT_TRUE(sort(Range{0, 0, 0, 0}, true, true));
  EXPECT_EQ(column(core, 1), (Texts{"Name", "Ann", "Tom"}));
  // A first row with an empty cell is no header: it is sorted with the rest.
  buildSheet(core, {{u"Name", u""}, {u"Tom", u"30"}, {u"Ann", u"25"}});
  ASSERT_TRUE(sort(Range{0, 0, 0, 0}, true, true));
  EXPECT_EQ(column(core, 1), (Texts{"Ann", "Name", "Tom"}));
}

TEST_F(SortSheet, NothingToSortLeavesNoCommand) {
  buildSheet(core, {{u""}, {u"5"}, {u""}});
  EXPECT_FALSE(sort(wholeColumn(1), true, false));  // one non-empty row
  buildSheet(core, {{u"b", u""}, {u"a", u""}});
  EXPECT_FALSE(sort(Range{1, 2, 2, 2}, true, true));  // empty key column
  buildSheet(core, {{u"Name"}, {u"1"}});
  EXPECT_FALSE(sort(wholeColumn(1), true, false));  // a header and one row
  EXPECT_TRUE(manager.mUndoList.empty());
}

TEST_F(SortSheet, ExpandMovesWholeRowsOtherwiseOnlyTheSelectedColumns) {
  buildSheet(core, {{u"a", u"x", u"3"}, {u"b", u"y", u"1"}, {u"c", u"z", u"2"}});
  ASSERT_TRUE(sort(Range{1, 3, 3, 3}, true, true));
  EXPECT_EQ(column(core, 1), (Texts{"b", "c", "a"}));
  EXPECT_EQ(column(core, 3), (Texts{"1", "2", "3"}));
  buildSheet(core, {{u"a", u"x", u"3"}, {u"b", u"y", u"1"}, {u"c", u"z", u"2"}});
  ASSERT_TRUE(sort(Range{1, 3, 3, 3}, true, false));
  EXPECT_EQ(column(core, 1), (Texts{"a", "b", "c"}));
  EXPECT_EQ(column(core, 3), (Texts{"1", "2", "3"}));
}

TEST_F(SortSheet, WithoutExpandEmptyColumnsAtTheRightAreTrimmed) {
  buildSheet(core, {{u"b", u"", u"q"}, {u"a", u"", u"p"}});
  selection = Selection{1, 1, Range{1, 1, 2, 2}};
  CSortAction s(&core, &selection);
  s.prepare(true, false);
  EXPECT_EQ(s.mRange, (Range{1, 1, 2, 1}));
  EXPECT_EQ(s.mOrder, (std::vector<int32_t>{2, 1}));
}

TEST_F(SortSheet, HiddenRowsStayWithPositionsOrTravelWithWholeRows) {
  buildSheet(core, {{u"3", u"c"}, {u"1", u"a"}, {u"2", u"b"}});
  core.mDatas[1][0].flag = 1;
  core.setInt64(1, 0, 40);                         // a height
  ASSERT_TRUE(sort(wholeColumn(1), true, false));  // column 1 only
  EXPECT_EQ(column(core, 1), (Texts{"1", "2", "3"}));
  EXPECT_EQ(column(core, 2), (Texts{"c", "a", "b"}));
  EXPECT_EQ(core.mDatas[1][0].flag, 1);
  buildSheet(core, {{u"3", u"c"}, {u"1", u"a"}, {u"2", u"b"}});
  core.mDatas[1][0].flag = 1;
  core.setInt64(1, 0, 40);
  ASSERT_TRUE(sort(Range{1, 0, 3, 0}, true, true));  // whole rows
  EXPECT_EQ(column(core, 2), (Texts{"a", "b", "c"}));
  EXPECT_EQ(core.mDatas[3][0].flag, 1);
  EXPECT_EQ(core.mDatas[3][0].value, 40u);
  EXPECT_EQ(core.mDatas[1][0].flag, 0);
}

TEST_F(SortSheet, RecordHoldsTheRangeStateAndOrder) {
  buildSheet(core, {{u"2"}, {u"1"}});
  selection = Selection{0, 1, wholeColumn(1)};
  auto* s = new CSortAction(&core, &selection);
  s->prepare(true, false);
  manager.add(std::unique_ptr<iCommand>(s));
  std::string rec = s->serialize();
  ASSERT_EQ(rec.size(), 33u + 4 * 2);
  EXPECT_EQ(rec[0], 8);
  EXPECT_EQ(rec[8], 2);
  EXPECT_EQ(rec[16], 1);  // top
  EXPECT_EQ(rec[20], 1);  // left
  EXPECT_EQ(rec[32], 0);  // applied
  EXPECT_EQ(rec[33], 2);  // row 2 first
  manager.undo();
  EXPECT_EQ(s->serialize()[32], 1);
}

// The order by the rules themselves: ordered maps of keys to rows, one insertion per row.
std::vector<int32_t> referenceOrder(const CDataCore& core, int32_t first, int32_t last, int32_t key,
                                    bool ascending) {
  std::map<double, std::vector<int32_t>> numbers;
  std::map<std::u16string, std::vector<int32_t>> texts;
  std::vector<int32_t> nans, empties;
  for (int32_t r = first; r <= last; ++r) {
    const Cell& c = *core.cellAt(r, key);
    if (c.kind == CELL_INT64) {
      numbers[double(c.asInt64())].push_back(r);
    } else if (c.kind == CELL_DOUBLE) {
      if (std::isnan(c.asDouble())) nans.push_back(r);
      else numbers[c.asDouble()].push_back(r);
    } else {
      std::u16string t = core.getText(r, key);
      (t.empty() ? empties : texts[t]).push_back(r);
    }
  }
  std::vector<int32_t> order;
  auto putNumbers = [&] {
    if (ascending)
      for (auto& [k, rows] : numbers) order.insert(order.end(), rows.begin(), rows.end());
    else
      for (auto it = numbers.rbegin(); it != numbers.rend(); ++it)
        order.insert(order.end(), it->second.begin(), it->second.end());
    order.insert(order.end(), nans.begin(), nans.end());
  };
  auto putTexts = [&] {
    if (ascending)
      for (auto& [k, rows] : texts) order.insert(order.end(), rows.begin(), rows.end());
    else
      for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        order.insert(order.end(), it->second.begin(), it->second.end());
  };
  if (ascending) putNumbers(), putTexts();
  else putTexts(), putNumbers();
  order.insert(order.end(), empties.begin(), empties.end());
  return order;
}

TEST(SortOrder, ManyRowsOnSeveralThreadsGiveTheOrderOfTheRules) {
  CDataCore core;
  const int32_t rows = 250'001;
  core.resize(rows, 2);
  std::mt19937 rng(7);
  const char16_t alphabet[] = u"aAbB中";
  for (int32_t r = 1; r < rows; ++r) {
    switch (rng() % 7) {
      case 0: core.setInt64(r, 1, int64_t(rng() % 1000) - 500); break;
      case 1:
        core.setDouble(r, 1, (rng() % 7 == 0) ? NAN : (rng() % 5 == 0) ? -0.0 : double(rng() % 2000) / 4 - 250);
        break;
      case 2: break;  // empty
      case 3: {       // texts that differ only past their eighth unit
        std::u16string t = u"aaaaaaaa";
        for (size_t n = rng() % 4; n > 0; --n) t += alphabet[rng() % 5];
        core.setText(r, 1, t);
        break;
      }
      default: {
        std::u16string t;
        for (size_t n = 1 + rng() % 7; n > 0; --n) t += alphabet[rng() % 5];
        core.setText(r, 1, t);
      }
    }
  }
  core.mDatas[5][1].kind = CELL_DATETIME;  // a formatted text among the texts
  core.mDatas[5][1].value = 86400 * 365;
  for (bool ascending : {true, false})
    EXPECT_EQ(sortedRowOrder(core, 1, rows - 1, 1, ascending), referenceOrder(core, 1, rows - 1, 1, ascending))
        << (ascending ? "ascending" : "descending");
}

}  // namespace
