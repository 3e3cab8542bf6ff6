#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "commands/FilterAction.h"
#include "commands/GridOps.h"
#include "store/TextKey.h"
#include "tests/support/SheetSnapshot.h"

namespace {

std::set<int32_t> hiddenRows(const CDataCore& core) {
  std::set<int32_t> rows;
  for (int32_t r = 1; r < int32_t(core.mRowCount); ++r)
    if (core.mDatas[r][0].flag) rows.insert(r);
  return rows;
}

std::set<uint64_t> filterKeys(const CDataCore& core) {
  std::set<uint64_t> keys;
  for (const auto& [k, c] : core.mFilter.mColumns) keys.insert(k);
  return keys;
}

struct FilterSheet : ::testing::Test {
  CDataCore core;
  iComManag manager;
  Selection selection{1, 1, Range{1, 1, 1, 1}};

  std::unique_ptr<CFilterAction> toggle(Range range) {
    selection = Selection{range.top, range.left, range};
    auto f = std::make_unique<CFilterAction>(&core, &selection);
    f->prepareToggle();
    return f;
  }
  std::unique_ptr<CFilterAction> values(uint64_t key, const FilterNumbers& numbers,
                                        const std::set<uint64_t>& keys) {
    auto f = std::make_unique<CFilterAction>(&core, &selection);
    f->prepareValues(key, numbers, keys);
    return f;
  }
  uint64_t key(const char16_t* text) { return textKey(text); }

  // A filtered sheet: header row 1, data in rows 2..5 of columns 1 and 2.
  void filtered() {
    buildSheet(core, {{u"City", u"N"}, {u"a", u"5"}, {u"b", u"5.5"}, {u"a", u"7"}, {u"c", u""}});
    manager.add(toggle(Range{0, 0, 0, 0}));
    manager.release(manager.mUndoList);
    manager.release(manager.mChangeList);
  }
};

TEST_F(FilterSheet, SwitchingOnOverOneCellMarksEveryColumnWithData) {
  buildSheet(core, {{u"a", u"", u"x"}, {u"b", u"", u""}});
  SheetSnapshot after = expectRunUndoRedo(manager, core, toggle(Range{2, 1, 2, 1}));
  EXPECT_EQ(core.mFilter.mRange, Range{});
  EXPECT_EQ(filterKeys(core), (std::set<uint64_t>{cellPos(1, 1), cellPos(1, 3)}));
  EXPECT_TRUE(hiddenRows(core).empty());
}

TEST_F(FilterSheet, SwitchingOnOverABlockKeysItsTopRow) {
  core.resize(22, 6);
  core.setInt64(6, 2, 1);
  core.setInt64(20, 4, 1);
  core.setInt64(21, 3, 1);  // below the block
  core.setInt64(7, 5, 1);   // right of the block
  expectRunUndoRedo(manager, core, toggle(Range{5, 2, 20, 4}));
  EXPECT_EQ(core.mFilter.mRange, (Range{5, 2, 20, 4}));
  EXPECT_EQ(filterKeys(core), (std::set<uint64_t>{cellPos(5, 2), cellPos(5, 4)}));
}

TEST_F(FilterSheet, UntickingHidesTheRowsOfThatValueAndTickingShowsThem) {
  filtered();
  const uint64_t city = cellPos(1, 1);
  expectRunUndoRedo(manager, core, values(city, {}, {key(u"b"), key(u"c")}));
  EXPECT_EQ(hiddenRows(core), (std::set<int32_t>{2, 4}));
  EXPECT_EQ(core.mFilter.mColumns.at(city).rows, (std::unordered_set<int32_t>{2, 4}));
  expectRunUndoRedo(manager, core, values(city, {}, {key(u"a"), key(u"b"), key(u"c")}));
  EXPECT_TRUE(hiddenRows(core).empty());
}

TEST_F(FilterSheet, NumbersMatchByValueAcrossIntegersAndDecimals) {
  filtered();
  // The integer 5 stays shown when the decimal 5 is ticked; the empty cell needs key 0.
  expectRunUndoRedo(manager, core, values(cellPos(1, 2), {5.0}, {}));
  EXPECT_EQ(hiddenRows(core), (std::set<int32_t>{3, 4, 5}));
  expectRunUndoRedo(manager, core, values(cellPos(1, 2), {5.0, 7.0}, {0}));
  EXPECT_EQ(hiddenRows(core), (std::set<int32_t>{3}));
}

// Numbers are matched at their exact value: integers beyond 2^53, which one double cannot
// tell apart, are two values; an integer and a decimal of equal value are one.
TEST_F(FilterSheet, NumbersMatchExactlyBeyondTheDoublesPrecision) {
  const int64_t big = int64_t(1) << 53;
  core.resize(6, 2);
  core.setText(1, 1, u"N");
  core.setInt64(2, 1, big);
  core.setInt64(3, 1, big + 1);
  core.setDouble(4, 1, double(big));
  core.setDouble(5, 1, 2.5);
  manager.add(toggle(Range{0, 0, 0, 0}));
  struct Case {
    const char* name;
    FilterNumbers ticked;
    std::set<int32_t> hidden;
  } cases[] = {
      {"2^53 ticked", {static_cast<long double>(big), 2.5L}, {3}},
      {"2^53 + 1 ticked", {static_cast<long double>(big + 1), 2.5L}, {2, 4}},
      {"both ticked", {static_cast<long double>(big), static_cast<long double>(big + 1)}, {5}},
  };
  for (const Case& c : cases) {
    manager.add(values(cellPos(1, 1), c.ticked, {}));
    EXPECT_EQ(hiddenRows(core), c.hidden) << c.name;
  }
}

TEST_F(FilterSheet, RowsHiddenByAnotherColumnAreLeftToIt) {
  filtered();
  manager.add(values(cellPos(1, 1), {}, {key(u"b"), key(u"c")}));           // hides 2 and 4
  expectRunUndoRedo(manager, core, values(cellPos(1, 2), {5.0, 7.0}, {}));  // would hide 3 and 5
  EXPECT_EQ(hiddenRows(core), (std::set<int32_t>{2, 3, 4, 5}));
  EXPECT_EQ(core.mFilter.mColumns.at(cellPos(1, 2)).rows, (std::unordered_set<int32_t>{3, 5}));
}

TEST_F(FilterSheet, TickingEverythingThatIsShownIsNoCommand) {
  filtered();
  const SheetSnapshot before = SheetSnapshot::take(core);
  auto f = values(cellPos(1, 1), {}, {key(u"a"), key(u"b"), key(u"c")});
  EXPECT_TRUE(f->isEmpty());
  manager.add(std::move(f));
  EXPECT_TRUE(manager.mUndoList.empty());
  // Re-ticking the same values of a column that hides rows is empty too, and its rows stay hidden.
  manager.add(values(cellPos(1, 1), {}, {key(u"a")}));
  const SheetSnapshot hiding = SheetSnapshot::take(core);
  EXPECT_TRUE(values(cellPos(1, 1), {}, {key(u"a")})->isEmpty());
  EXPECT_SAME_SHEET(hiding, SheetSnapshot::take(core));
  EXPECT_NE("", diffSnapshots(before, hiding));
}

TEST_F(FilterSheet, AnUnknownHeaderKeyIsNoCommandAndSaysSo) {
  filtered();
  std::u16string title, text;
  core.mCallbacks[CALLBACK_MESSAGE] = [&](uint64_t t, int64_t m) {
    title = reinterpret_cast<const char16_t*>(t);
    text = reinterpret_cast<const char16_t*>(m);
  };
  const SheetSnapshot before = SheetSnapshot::take(core);
  EXPECT_TRUE(values(cellPos(1, 7), {}, {})->isEmpty());
  EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
  EXPECT_EQ(wideToUtf8(title), "Filter");
  EXPECT_EQ(wideToUtf8(text), "Cant not find cell:1,7");
}

TEST_F(FilterSheet, SwitchingOffShowsEverythingAndUndoHidesItAgain) {
  filtered();
  manager.add(values(cellPos(1, 1), {}, {key(u"a")}));
  ASSERT_EQ(hiddenRows(core), (std::set<int32_t>{3, 5}));
  core.mDatas[2][0].flag = 1;  // hidden by the user, not by the filter: stays hidden
  expectRunUndoRedo(manager, core, toggle(Range{1, 1, 1, 1}));
  EXPECT_FALSE(core.mFilter.active());
  EXPECT_EQ(hiddenRows(core), (std::set<int32_t>{2}));
  manager.undo();
  EXPECT_EQ(hiddenRows(core), (std::set<int32_t>{2, 3, 5}));
  EXPECT_TRUE(core.mFilter.active());
}

// A row the filter lists that the user has shown again keeps its flag through undo and
// redo of any filter change (the snapshot holds every flag).
TEST_F(FilterSheet, UndoGivesBackTheFlagsOfRowsTheUserShowedAgain) {
  struct Case {
    const char* name;
    bool switchOff;  // else: filter the same column again
  };
  for (const Case& c : {Case{"switching off", true}, Case{"filtering again", false}}) {
    SCOPED_TRACE(c.name);
    filtered();
    manager.add(values(cellPos(1, 1), {}, {key(u"a")}));
    ASSERT_EQ(hiddenRows(core), (std::set<int32_t>{3, 5}));
    core.mDatas[3][0].flag = 0;  // shown again by the user, still listed by the filter
    expectRunUndoRedo(manager, core,
                      c.switchOff ? toggle(Range{1, 1, 1, 1}) : values(cellPos(1, 1), {}, {key(u"a"), key(u"c")}));
    manager.clear();
  }
}

TEST_F(FilterSheet, RecordCarriesTheStateInEffect) {
  filtered();
  auto owned = values(cellPos(1, 1), {}, {key(u"a")});
  const CFilterAction* f = owned.get();
  manager.add(std::move(owned));
  const std::string applied = f->serialize();
  EXPECT_EQ(applied.substr(16), core.mFilter.serialize());
  EXPECT_EQ(applied[0], 9);
  manager.undo();
  const std::string undone = f->serialize();
  EXPECT_EQ(undone[8], 1);
  EXPECT_EQ(undone.substr(16), core.mFilter.serialize());
}

}  // namespace
