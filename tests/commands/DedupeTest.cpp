#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "commands/DeleteDuplicate.h"
#include "commands/GridOps.h"
#include "platform/AsciiCase.h"
#include "store/NumberText.h"
#include "store/TextKey.h"
#include "tests/support/CaseName.h"
#include "tests/support/GridOpsFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using Texts = std::vector<std::string>;
using Counts = std::pair<int32_t, int32_t>;

Texts column(const CDataCore& core, int32_t col) {
  Texts t;
  for (int32_t r = 1; r < int32_t(core.mRowCount); ++r) t.push_back(wideToUtf8(core.getText(r, col)));
  return t;
}

struct DedupeSheet : ::testing::Test {
  CDataCore core;
  iComManag manager;
  Selection selection;

  // Runs delete duplicates over `range` and checks undo and redo; returns the counts.
  Counts dedupe(Range range, bool expand, bool hasHeader, bool matchCase, std::vector<int32_t> cols) {
    selection = Selection{range.top, range.left, range};
    auto* d = new CDeleteDuplicate(&core, &selection);
    Counts counts = d->prepare(expand, hasHeader, matchCase, cols);
    if (d->isEmpty()) {
      const SheetSnapshot before = SheetSnapshot::take(core);
      manager.add(std::unique_ptr<iCommand>(d));
      EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
    } else {
      expectRunUndoRedo(manager, core, d);
    }
    return counts;
  }
};

// Whole rows of column 1 (and a second column to see which rows stayed).
struct RowsCase {
  const char* name;
  std::vector<std::vector<const char16_t*>> rows;
  std::vector<int32_t> keys;
  bool hasHeader, matchCase;
  Counts counts;
  Texts remaining;  // column 1 afterwards
};

void PrintTo(const RowsCase& c, std::ostream* os) { testsupport::printName(c, os); }

class DedupeRows : public DedupeSheet, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(DedupeRows, RemovesTheRepeatedRows) {
  const RowsCase& c = GetParam();
  core.resize(int32_t(c.rows.size() + 1), 4);
  for (size_t r = 0; r < c.rows.size(); ++r)
    for (size_t k = 0; k < c.rows[r].size(); ++k) core.setTextTyped(int32_t(r + 1), int32_t(k + 1), c.rows[r][k]);
  EXPECT_EQ(dedupe(Range{1, 0, int32_t(c.rows.size()), 0}, true, c.hasHeader, c.matchCase, c.keys), c.counts);
  EXPECT_EQ(column(core, 1), c.remaining);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DedupeRows,
    ::testing::Values(
        RowsCase{"case_folded", {{u"a"}, {u"b"}, {u"A"}, {u"b"}}, {1}, false, false, {2, 2}, {"a", "b"}},
        RowsCase{"case_kept", {{u"a"}, {u"b"}, {u"A"}, {u"b"}}, {1}, false, true, {1, 3}, {"a", "b", "A"}},
        RowsCase{"only_ascii_folds", {{u"é"}, {u"É"}}, {1}, false, false, {0, 2}, {"é", "É"}},
        RowsCase{"header_never_compared", {{u"a"}, {u"a"}, {u"a"}}, {1}, true, true, {1, 1}, {"a", "a"}},
        RowsCase{"two_columns_same", {{u"x", u"y"}, {u"x", u"y"}}, {1, 2}, false, true, {1, 1}, {"x"}},
        RowsCase{"two_columns_swapped", {{u"x", u"y"}, {u"y", u"x"}}, {1, 2}, false, true, {0, 2}, {"x", "y"}},
        RowsCase{"separator_inside_a_field",
                 {{u"a,b", u"c"}, {u"a", u"b,c"}},
                 {1, 2},
                 false,
                 true,
                 {0, 2},
                 {"a,b", "a"}},
        RowsCase{"empty_fields_apart",
                 {{u"", u"ab"}, {u"ab", u""}, {u"a", u"b"}},
                 {1, 2},
                 false,
                 true,
                 {0, 3},
                 {"", "ab", "a"}},
        RowsCase{"integer_and_decimal", {{u"1"}, {u"1.0"}, {u"01"}}, {1}, false, true, {1, 2}, {"1", "01"}},
        RowsCase{"key_order_as_given", {{u"p", u"q"}, {u"p", u"r"}}, {2, 1}, false, true, {0, 2}, {"p", "p"}},
        RowsCase{"column_beyond_the_sheet", {{u"a"}, {u"b"}}, {9}, false, true, {1, 1}, {"a"}},
        RowsCase{"no_duplicates", {{u"a"}, {u"b"}}, {1}, false, true, {0, 2}, {"a", "b"}}),
    testsupport::ByName());

TEST_F(DedupeSheet, CellsModeMovesOnlyTheSelectedColumns) {
  buildSheet(core, {{u"1", u"a", u"x"}, {u"2", u"a", u"y"}, {u"3", u"b", u"z"}});
  EXPECT_EQ(dedupe(Range{1, 2, 3, 2}, false, false, true, {2}), (Counts{1, 2}));
  EXPECT_EQ(column(core, 2), (Texts{"a", "b", ""}));
  EXPECT_EQ(column(core, 1), (Texts{"1", "2", "3"}));
  EXPECT_EQ(column(core, 3), (Texts{"x", "y", "z"}));
}

// Formula cells carry computed values; undo must bring back those of the removed cells
// (the snapshot compared by dedupe() holds every value), in both modes.
TEST_F(DedupeSheet, UndoBringsBackTheComputedValuesOfRemovedFormulas) {
  struct Case {
    const char* name;
    bool expand;
  };
  for (const Case& c : {Case{"rows mode", true}, Case{"cells mode", false}}) {
    SCOPED_TRACE(c.name);
    buildSheet(core, {{u"a", u"1", u"=B1"},
                      {u"a", u"2", u"=B2"},
                      {u"a", u"3", u"=B3"},
                      {u"b", u"4", u"=B4"},
                      {u"b", u"5", u"=B5"},
                      {u"b", u"6", u"=B6"},
                      {u"c", u"7", u"=B7"},
                      {u"c", u"8", u"=B8"}});
    core.mFormulaValues.clear();
    for (int32_t r = 1; r <= 8; ++r) core.mFormulaValues[cellPos(r, 3)] = r;
    const SheetSnapshot before = SheetSnapshot::take(core);
    EXPECT_EQ(dedupe(Range{1, 1, 8, 3}, c.expand, false, true, {1}), (Counts{5, 3}));
    manager.undo();
    EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
    EXPECT_EQ(core.mFormulaValues.size(), 8u);
    manager.clear();
  }
}

TEST_F(DedupeSheet, CellsModeWithoutDuplicatesIsNoCommand) {
  buildSheet(core, {{u"a"}, {u"b"}});
  EXPECT_EQ(dedupe(Range{1, 1, 2, 1}, false, false, true, {1}), (Counts{0, 2}));
  EXPECT_TRUE(manager.mUndoList.empty());
}

TEST_F(DedupeSheet, TheWholeSheetRemovesWholeRows) {
  buildSheet(core, {{u"a", u"1"}, {u"a", u"2"}});
  EXPECT_EQ(dedupe(Range{0, 0, 0, 0}, false, false, true, {1}), (Counts{1, 1}));
  EXPECT_EQ(core.mRowCount, 2u);
  EXPECT_EQ(column(core, 2), (Texts{"1"}));
}

TEST_F(DedupeSheet, UndoBringsBackRowsTextsHeightsHiddenFlagsAndTheFilter) {
  buildSheet(
      core,
      {{u"k", u"only here"}, {u"k", u"shared"}, {u"m", u"shared"}, {u"k", u"=A1"}, {u"m", u"x"}, {u"n", u"y"}});
  core.mDatas[4][2].kind = CELL_TCC;  // a script text in a removed row
  core.setInt64(2, 0, 33);            // a height and a hidden flag on removed rows
  core.mDatas[4][0].flag = 1;
  core.mFormulaValues[cellPos(1, 9)] = 2.5;
  core.mFilter.mRange = Range{0, 0, 0, 0};
  core.mFilter.mColumns[cellPos(1, 2)] = FilterColumn{cellPos(1, 2), {4, 5, 6}};
  // Rows 2, 4 (k) and 5 (m) repeat rows 1 and 3.
  EXPECT_EQ(dedupe(Range{1, 1, 6, 1}, true, false, true, {1}), (Counts{3, 3}));
  EXPECT_EQ(column(core, 2), (Texts{"only here", "shared", "y"}));
  // The filter's rows followed: 4 and 5 left, 6 became 3.
  EXPECT_EQ(core.mFilter.mColumns.at(cellPos(1, 2)).rows, (std::unordered_set<int32_t>{3}));
  // Texts only the removed rows held left the pool.
  EXPECT_EQ(core.mPool.find(textKey(u"x")), nullptr);
  EXPECT_NE(core.mPool.find(textKey(u"shared")), nullptr);
}

TEST_F(DedupeSheet, AKeyTakenMeanwhileGetsTheNextFreeKey) {
  buildSheet(core, {{u"a", u"p"}, {u"a", u"lost"}});
  selection = Selection{1, 0, Range{1, 0, 2, 0}};
  auto* d = new CDeleteDuplicate(&core, &selection);
  d->prepare(true, false, true, {1});
  manager.add(std::unique_ptr<iCommand>(d));
  const uint64_t key = textKey(u"lost");
  ASSERT_EQ(core.mPool.find(key), nullptr);
  // A text written outside the commands (a script) takes that key.
  std::u16string other = u"other";
  std::string bytes(reinterpret_cast<const char*>(other.c_str()), 2 * other.size() + 2);
  core.clearCell(1, 2);
  *core.cellAt(1, 2) = Cell{CELL_TEXT, 0, core.internBytes(key, bytes)};
  ASSERT_EQ(core.cellAt(1, 2)->value, key);
  manager.undo();
  EXPECT_EQ(wideToUtf8(core.getText(2, 2)), "lost");
  EXPECT_NE(core.mDatas[2][2].value, key);
  EXPECT_EQ(wideToUtf8(core.poolText(key)), "other");
}

TEST_F(DedupeSheet, ReleasedWhileAppliedOrUndoneLeavesThePoolExact) {
  buildSheet(core, {{u"a", u"t1"}, {u"a", u"t2"}, {u"b", u"t3"}});
  {
    iComManag m;
    selection = Selection{1, 0, Range{1, 0, 3, 0}};
    auto* d = new CDeleteDuplicate(&core, &selection);
    d->prepare(true, false, true, {1});
    m.add(std::unique_ptr<iCommand>(d));
    const SheetSnapshot applied = SheetSnapshot::take(core);
    m.clear();  // deletes the applied command
    EXPECT_SAME_SHEET(applied, SheetSnapshot::take(core));
  }
  int64_t bytes = 0;
  core.mPool.forEach(
      [&](uint64_t, const char*, size_t len, uint64_t) { bytes += StringPool::accountedBytes(len); });
  EXPECT_EQ(core.mPoolBytes, bytes);
}

TEST(DedupeOps, ReportsTheCounts) {
  testsupport::GridOpsFixture f;
  f.selection = Selection{1, 1, Range{1, 1, 3, 1}};
  buildSheet(f.core, {{u"a"}, {u"a"}, {u"b"}});
  f.ops.deleteDuplicates(true, false, true, {1});
  f.ops.deleteDuplicates(true, false, true, {1});
  ASSERT_EQ(f.messages.size(), 2u);
  EXPECT_EQ(wideToUtf8(f.messages[0]), "删除重复|已删除：1个重复项，保留：2个唯一值。");
  EXPECT_EQ(wideToUtf8(f.messages[1]), "删除重复|已删除：0个重复项，保留：2个唯一值。");
  EXPECT_EQ(f.manager.mUndoList.size(), 1u);
}

// The duplicates by the rules themselves: a set of seen composite keys, in row order.
std::vector<int32_t> referenceDuplicates(const CDataCore& core, int32_t first, int32_t last,
                                         const std::vector<int32_t>& cols, bool matchCase) {
  std::unordered_set<std::u16string> seen;
  std::vector<int32_t> dup;
  for (int32_t r = first; r <= last; ++r) {
    std::u16string key;
    for (int32_t c : cols) {
      std::u16string t = core.getText(r, c);
      if (!matchCase) t = toLowerWide(t);
      key += int64Text(int64_t(t.size())) + u":" + t;
    }
    if (!seen.insert(key).second) dup.push_back(r);
  }
  return dup;
}

TEST(DuplicateRows, ManyRowsOnSeveralThreadsGiveTheRowsOfTheRules) {
  CDataCore core;
  const int32_t rows = 200'001;
  core.resize(rows, 4);
  std::mt19937 rng(11);
  for (int32_t r = 1; r < rows; ++r) {
    std::u16string t;
    for (size_t n = rng() % 4; n > 0; --n) t += u"aAb,"[rng() % 4];
    core.setText(r, 1, t);
    if (rng() % 3) core.setInt64(r, 2, rng() % 50);
    else core.setDouble(r, 2, double(rng() % 100) / 2);
    core.setInt64(r, 3, r);
  }
  for (bool matchCase : {true, false}) {
    const std::vector<int32_t> cols{1, 2};
    std::vector<int32_t> expected = referenceDuplicates(core, 1, rows - 1, cols, matchCase);
    EXPECT_EQ(findDuplicateRows(core, 1, rows - 1, cols, matchCase), expected);
    EXPECT_GT(expected.size(), 1000u);
  }
}

TEST_F(DedupeSheet, ManyRowsRunUndoAndRedoExactly) {
  const int32_t rows = 120'001;
  core.resize(rows, 4);
  std::mt19937 rng(5);
  for (int32_t r = 1; r < rows; ++r) {
    core.setText(r, 1, u"k" + int64Text(rng() % 30000));
    core.setText(r, 2, u"note " + int64Text(r % 7000));
    core.setText(r, 3, u"id" + int64Text(r));
    if (r % 11 == 0) core.mDatas[r][0].flag = 1;
  }
  core.mFilter.mColumns[cellPos(1, 3)] = FilterColumn{cellPos(1, 3), {10, 20000, 119999}};
  Counts c = dedupe(Range{0, 0, 0, 0}, false, false, true, {1});
  EXPECT_GT(c.first, 80000);
  EXPECT_EQ(c.first + c.second, rows - 1);
  EXPECT_EQ(int64_t(core.mRowCount), int64_t(rows) - c.first);
}

}  // namespace
