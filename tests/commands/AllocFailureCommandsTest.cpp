// Every store allocation of a command's run, undo and redo failing in turn (the store's
// hook fails the first, then the second, ... until a run completes): a failed step
// leaves the sheet and the command lists exactly as they were, a completed one gives
// exactly the sheet an undisturbed step gives. Never half.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "commands/CellAction.h"
#include "commands/DeleteAction.h"
#include "commands/InsertAction.h"
#include "store/Alloc.h"
#include "store/TextKey.h"
#include "tests/support/GridOpsFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using testsupport::GridOpsFixture;

struct CommandCase {
  const char* name;
  std::function<void(GridOpsFixture&)> build;  // builds the command and hands it to the manager
};

void sheetOf(GridOpsFixture& f) {
  buildSheet(
      f.core,
      {{u"k", u"v", u"w"}, {u"b", u"2", u"=A1"}, {u"a", u"x", u"甲"}, {u"b", u"2", u"y"}, {u"c", u"1", u"x"}});
  f.core.mFormulaValues[cellPos(2, 3)] = 3.0;
  f.core.setAttrText(ATTR_C_SCRIPT, u"int main(){}");
}

void select(GridOpsFixture& f, int32_t top, int32_t left, int32_t bottom, int32_t right) {
  f.selection = Selection{top, left, Range{top, left, bottom, right}};
}

const CommandCase kCommands[] = {
    {"fill new texts",
     [](GridOpsFixture& f) {
       select(f, 2, 1, 4, 2);
       auto* a = new CCellAction(&f.core, &f.selection);
       a->fill(u"new1", true);
       f.manager.add(std::unique_ptr<iCommand>(a));
     }},
    {"paste growing the sheet",
     [](GridOpsFixture& f) {
       select(f, 4, 2, 4, 2);
       std::vector<std::vector<std::u16string>> t{{u"p", u"q", u"r"}, {u"s", u"=B1", u"5"}, {u"甲", u"u"}};
       size_t next = 0;
       auto* a = new CCellAction(&f.core, &f.selection);
       a->paste(t.size(), 3, [&] { return t[next++]; });
       f.manager.add(std::unique_ptr<iCommand>(a));
     }},
    {"replace", [](GridOpsFixture& f) { f.ops.replaceAll(u"b", u"bee", true, false, false); }},
    {"clear",
     [](GridOpsFixture& f) {
       select(f, 1, 1, 3, 3);
       auto* d = new CDeleteAction(&f.core, &f.selection);
       d->mKind = KIND_CLEAR;
       d->prepare();
       f.manager.add(std::unique_ptr<iCommand>(d));
     }},
    {"delete cells", [](GridOpsFixture& f) { select(f, 2, 1, 3, 2), f.ops.deleteSelection(); }},
    {"delete rows", [](GridOpsFixture& f) { select(f, 2, 0, 3, 0), f.ops.deleteSelection(); }},
    {"delete columns", [](GridOpsFixture& f) { select(f, 0, 2, 0, 2), f.ops.deleteSelection(); }},
    {"delete the sheet", [](GridOpsFixture& f) { select(f, 0, 0, 0, 0), f.ops.deleteSelection(); }},
    {"insert rows",
     [](GridOpsFixture& f) {
       select(f, 2, 0, 2, 0);
       auto* a = new CInsertAction(&f.core, &f.selection);
       a->mCount = 2;
       f.manager.add(std::unique_ptr<iCommand>(a));
     }},
    {"insert columns",
     [](GridOpsFixture& f) {
       select(f, 0, 1, 0, 1);
       auto* a = new CInsertAction(&f.core, &f.selection);
       a->mCount = 2;
       f.manager.add(std::unique_ptr<iCommand>(a));
     }},
    {"resize", [](GridOpsFixture& f) { f.ops.resize(9, 2); }},
    {"sort", [](GridOpsFixture& f) { select(f, 1, 1, 5, 1), f.ops.sort(true, true); }},
    {"filter on", [](GridOpsFixture& f) { select(f, 0, 0, 0, 0), f.ops.toggleFilter(); }},
    {"delete duplicate rows",
     [](GridOpsFixture& f) {
       select(f, 1, 1, 5, 2), f.ops.deleteDuplicates(true, false, true, {1, 2});
     }},
    {"delete duplicate cells",
     [](GridOpsFixture& f) { select(f, 1, 1, 5, 1), f.ops.deleteDuplicates(false, false, true, {1}); }},
    {"hide rows", [](GridOpsFixture& f) { select(f, 2, 0, 3, 0), f.ops.setVisible(false); }},
};

struct Lists {
  size_t undo, redo, changes, owned;
  bool operator==(const Lists&) const = default;
};
Lists listsOf(const iComManag& m) {
  return Lists{m.mUndoList.size(), m.mRedoList.size(), m.mChangeList.size(), m.mCommands.size()};
}

enum class Step { Run, Undo, Redo };

TEST(AllocFailureCommands, EachStepIsWholeOrNothing) {
  for (const CommandCase& c : kCommands) {
    for (Step step : {Step::Run, Step::Undo, Step::Redo}) {
      SCOPED_TRACE(std::string(c.name) + (step == Step::Run ? ": run" : step == Step::Undo ? ": undo" : ": redo"));
      // The sheet an undisturbed step gives.
      auto prepare = [&](GridOpsFixture& f) {
        sheetOf(f);
        if (step == Step::Run) return;
        c.build(f);
        if (step == Step::Redo) f.manager.undo();
      };
      auto act = [&](GridOpsFixture& f) {
        if (step == Step::Run) c.build(f);
        else if (step == Step::Undo) f.manager.undo();
        else f.manager.redo();
      };
      SheetSnapshot expected;
      {
        GridOpsFixture f;
        prepare(f);
        act(f);
        expected = SheetSnapshot::take(f.core);
      }
      std::unique_ptr<GridOpsFixture> f;
      SheetSnapshot before;
      Lists lists{};
      int64_t n = 1;
      for (; n < 100000; ++n) {
        f = std::make_unique<GridOpsFixture>();
        prepare(*f);
        before = SheetSnapshot::take(f->core);
        lists = listsOf(f->manager);
        allocfail::failNth(n);
        bool threw = false;
        try {
          act(*f);
        } catch (const std::bad_alloc&) {
          threw = true;
        } catch (const std::string&) {
          threw = true;
        } catch (const char*) {
          threw = true;
        }
        const bool reached = !allocfail::armed();
        allocfail::failNth(0);
        ASSERT_EQ(f->core.integrityCheck(), "") << "failing allocation " << n;
        if (threw) {
          ASSERT_EQ("", diffSnapshots(before, SheetSnapshot::take(f->core))) << "failing allocation " << n;
          ASSERT_TRUE(lists == listsOf(f->manager)) << "failing allocation " << n;
        } else {
          ASSERT_EQ("", diffSnapshots(expected, SheetSnapshot::take(f->core))) << "failing allocation " << n;
        }
        if (!reached) break;
      }
      EXPECT_LT(n, 100000);
    }
  }
}

}  // namespace
