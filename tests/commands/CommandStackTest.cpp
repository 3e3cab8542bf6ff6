// Mixed edit commands stacked at random on one sheet, then all undone and all redone.
// Each undo must give back exactly the sheet seen at that depth (cells with their flags,
// pool entries with their counts, formula values, filter state) and each redo exactly
// the sheet its first run made; the sheet passes its integrity check at every step.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "commands/CellAction.h"
#include "commands/DeleteAction.h"
#include "commands/InsertAction.h"
#include "store/TextKey.h"
#include "tests/support/GridOpsFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

const char16_t* const kWords[] = {u"a",   u"b",  u"B",   u"甲",    u"乙",  u"7",
                                  u"2.5", u"-1", u"=A1", u"=B2*2", u"x y", u""};

class Stacker {
 public:
  explicit Stacker(uint32_t seed) : mRng(seed) {}

  int32_t pick(int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(mRng); }
  std::u16string word() { return kWords[pick(0, int32_t(std::size(kWords)) - 1)]; }

  // A selection of the sheet: cells, whole rows, whole columns, rarely the whole sheet.
  Selection selection(const CDataCore& core) {
    const int32_t rows = int32_t(core.mRowCount) - 1, cols = int32_t(core.mColCount) - 1;
    int32_t top = pick(1, rows), bottom = pick(top, std::min(rows, top + 4));
    int32_t left = pick(1, cols), right = pick(left, std::min(cols, left + 2));
    switch (pick(0, 9)) {
      case 0:
      case 1: return Selection{top, 0, Range{top, 0, bottom, 0}};
      case 2: return Selection{0, left, Range{0, left, 0, right}};
      case 3:
        if (pick(0, 3) == 0) return Selection{0, 0, Range{0, 0, 0, 0}};
        [[fallthrough]];
      default: return Selection{top, left, Range{top, left, bottom, right}};
    }
  }

  // One command of a random kind over a random selection, built as the grid builds it.
  std::string step(testsupport::GridOpsFixture& f) {
    CDataCore& core = f.core;
    if (core.mRowCount < 3 || core.mColCount < 3) {
      f.ops.resize(pick(4, 9), pick(3, 6));
      return "resize up";
    }
    f.selection = selection(core);
    switch (pick(0, 13)) {
      case 0:
      case 1: {
        auto* a = new CCellAction(&core, &f.selection);
        a->fill(word(), pick(0, 1) == 1);
        f.manager.add(std::unique_ptr<iCommand>(a));
        return "fill";
      }
      case 2: {
        std::vector<std::vector<std::u16string>> table(size_t(pick(1, 3)));
        for (auto& line : table)
          for (int32_t j = pick(1, 3); j > 0; --j) line.push_back(word());
        size_t width = 0, next = 0;
        for (const auto& line : table) width = std::max(width, line.size());
        f.selection = Selection{pick(1, int32_t(core.mRowCount)), pick(1, int32_t(core.mColCount)), {}};
        f.selection.range =
            Range{f.selection.anchorRow, f.selection.anchorCol, f.selection.anchorRow, f.selection.anchorCol};
        auto* a = new CCellAction(&core, &f.selection);
        a->paste(table.size(), width, [&] { return table[next++]; });
        f.manager.add(std::unique_ptr<iCommand>(a));
        return "paste";
      }
      case 3: {
        if (f.selection.range.top != 0 && f.selection.range.left != 0) f.selection.range.left = 0;
        auto* a = new CInsertAction(&core, &f.selection);
        a->mCount = pick(1, 3);
        f.manager.add(std::unique_ptr<iCommand>(a));
        return "insert";
      }
      case 4: f.ops.deleteSelection(); return "delete";
      case 5: {
        auto* d = new CDeleteAction(&core, &f.selection);
        d->mKind = KIND_CLEAR;
        d->prepare();
        f.manager.add(std::unique_ptr<iCommand>(d));
        return "clear";
      }
      case 6: f.ops.sort(pick(0, 1) == 1, pick(0, 1) == 1); return "sort";
      case 7: f.ops.toggleFilter(); return "filter on or off";
      case 8: return filterValues(f);
      case 9: {
        std::vector<int32_t> columns{pick(1, int32_t(core.mColCount) - 1)};
        if (pick(0, 1)) columns.push_back(pick(1, int32_t(core.mColCount) - 1));
        f.ops.deleteDuplicates(pick(0, 1) == 1, pick(0, 1) == 1, pick(0, 1) == 1, columns);
        return "delete duplicates";
      }
      case 10: f.ops.replaceAll(word(), word(), pick(0, 1) == 1, pick(0, 1) == 1, false); return "replace";
      case 11: f.ops.setVisible(pick(0, 1) == 1); return "show or hide";
      case 12: f.ops.setWidthHeight(pick(0, 1) == 1, pick(1, 3), pick(0, 40)); return "width or height";
      default:
        f.ops.resize(pick(2, int32_t(core.mRowCount) + 3), pick(2, int32_t(core.mColCount) + 2));
        return "resize";
    }
  }

 private:
  // Ticks a random part of the values of a filtered column.
  std::string filterValues(testsupport::GridOpsFixture& f) {
    const CDataCore& core = f.core;
    if (!core.mFilter.active()) {
      f.ops.toggleFilter();
      return "filter on";
    }
    auto it = core.mFilter.mColumns.begin();
    std::advance(it, pick(0, int32_t(core.mFilter.mColumns.size()) - 1));
    const uint64_t key = it->first;
    FilterNumbers numbers;
    std::set<uint64_t> keys;
    for (uint64_t r = 1; r < core.mRowCount; ++r) {
      if (pick(0, 2) == 0) continue;
      const Cell& c = *core.cellAt(int32_t(r), posCol(key));
      if (filterMatchOf(c) == FILTER_BY_NUMBER) numbers.insert(filterNumberOf(c));
      else keys.insert(c.value);
    }
    f.ops.filterValues(key, numbers, keys);
    return "filter values";
  }

  std::mt19937 mRng;
};

TEST(CommandStack, RandomStacksUndoAndRedoToTheSameSheets) {
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Stacker stacker(seed);
    testsupport::GridOpsFixture f;
    buildSheet(f.core, {{u"k", u"v", u"w", u"n"},
                        {u"a", u"1", u"=A1", u"2.5"},
                        {u"b", u"1", u"甲", u"x y"},
                        {u"a", u"2", u"=B2*2", u"2.5"},
                        {u"B", u"3", u"甲", u""},
                        {u"a", u"1", u"乙", u"-1"}});
    f.core.mFormulaValues[cellPos(2, 3)] = 1.0;
    f.core.mFormulaValues[cellPos(4, 3)] = 4.0;
    std::vector<SheetSnapshot> states{SheetSnapshot::take(f.core)};
    std::vector<std::string> names{"start"};
    for (int i = 0; i < 80; ++i) {
      const size_t before = f.manager.mUndoList.size();
      const std::string name = stacker.step(f);
      ASSERT_EQ(f.core.integrityCheck(), "") << "after " << name << " (step " << i << ")";
      if (f.manager.mUndoList.size() == before) {  // an empty command changes nothing
        ASSERT_EQ("", diffSnapshots(states.back(), SheetSnapshot::take(f.core))) << name << " (step " << i << ")";
        continue;
      }
      states.push_back(SheetSnapshot::take(f.core));
      names.push_back(name);
    }
    ASSERT_EQ(f.manager.mUndoList.size(), states.size() - 1);
    for (size_t i = states.size() - 1; i > 0; --i) {
      f.manager.undo();
      ASSERT_EQ(f.core.integrityCheck(), "") << "undo of " << names[i] << " (depth " << i << ")";
      ASSERT_EQ("", diffSnapshots(states[i - 1], SheetSnapshot::take(f.core)))
          << "undo of " << names[i] << " (depth " << i << ")";
    }
    for (size_t i = 1; i < states.size(); ++i) {
      f.manager.redo();
      ASSERT_EQ(f.core.integrityCheck(), "") << "redo of " << names[i] << " (depth " << i << ")";
      ASSERT_EQ("", diffSnapshots(states[i], SheetSnapshot::take(f.core)))
          << "redo of " << names[i] << " (depth " << i << ")";
    }
  }
}

}  // namespace
