// The edit lock over every command builder of the operations block: while it is set a
// blocked builder leaves the sheet, its filter, the command manager and the message
// boxes as they were (and returns 0); once it is off the same call does its work. The
// builders the lock does not stop (auto-fit, copy) work either way.
#include <gtest/gtest.h>

#include <string>

#include "commands/GridOps.h"
#include "store/TextKey.h"
#include "tests/support/CaseName.h"
#include "tests/support/GridOpsFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using testsupport::GridOpsFixture;

// Every code unit 10 pixels wide, lines 16 pixels high.
struct FixedMeasure : TextMeasure {
  void setFont(int32_t, const std::u16string&) override {}
  int32_t charWidth(char16_t) override { return 10; }
  int32_t lineHeight() override { return 16; }
};

struct LockCase {
  const char* name;
  Selection selection;
  bool blocked;                      // false: the lock does not stop this builder
  void (*prepare)(GridOpsFixture&);  // run unlocked before the lock is set; may be null
  int32_t (*run)(GridOpsFixture&);   // the builder; its result, 0 where it has none
  int32_t unlockedResult;
};

void PrintTo(const LockCase& c, std::ostream* os) { testsupport::printName(c, os); }

const Selection kColumn1{0, 1, Range{0, 1, 0, 1}};
const Selection kKeyColumn{1, 1, Range{1, 1, 3, 1}};
const Selection kCell{2, 1, Range{2, 1, 2, 1}};
const Selection kTopCell{1, 1, Range{1, 1, 1, 1}};  // a filter's header row

void filterOn(GridOpsFixture& f) { f.ops.toggleFilter(); }

const LockCase kCases[] = {
    {"DeleteSelection", kColumn1, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.deleteSelection();
       return 0;
     },
     0},
    {"SetWidth", kColumn1, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.setWidthHeight(false, 1, 200);
       return 0;
     },
     0},
    {"SetHeight", kColumn1, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.setWidthHeight(true, 2, 40);
       return 0;
     },
     0},
    {"Hide", kColumn1, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.setVisible(false);
       return 0;
     },
     0},
    {"Resize", kColumn1, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.resize(6, 6);
       return 0;
     },
     0},
    {"Sort", kKeyColumn, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.sort(true, false);
       return 0;
     },
     0},
    {"FilterOn", kTopCell, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.toggleFilter();
       return 0;
     },
     0},
    {"FilterOff", kTopCell, true, filterOn,
     [](GridOpsFixture& f) {
       f.ops.toggleFilter();
       return 0;
     },
     0},
    {"FilterValues", kTopCell, true, filterOn,
     [](GridOpsFixture& f) {
       f.ops.filterValues(cellPos(1, 1), {}, {textKey(u"b")});  // rows 2 and 3 hide
       return 0;
     },
     0},
    {"DeleteDuplicates", kKeyColumn, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.deleteDuplicates(true, false, true, {1});
       return 0;
     },
     0},
    {"ReplaceAll", kCell, true, nullptr,
     [](GridOpsFixture& f) { return f.ops.replaceAll(u"a", u"c", true, false, false); }, 2},
    {"ReplaceCurrent", kCell, true, nullptr,
     [](GridOpsFixture& f) {
       f.ops.replaceCurrent(u"a", u"c", true, false, false);
       return 0;
     },
     0},
    {"AutoFitColumns", kColumn1, false, nullptr,
     [](GridOpsFixture& f) {
       FixedMeasure measure;
       f.ops.autoFitColumns(CellFont{}, measure, 1, 3);
       return 0;
     },
     0},
    {"AutoFitRows", kColumn1, false, nullptr,
     [](GridOpsFixture& f) {
       FixedMeasure measure;
       f.ops.autoFitRows(CellFont{}, measure, 1, 3);
       return 0;
     },
     0},
    {"Copy", kKeyColumn, false, nullptr,
     [](GridOpsFixture& f) {
       f.ops.copy();
       return 0;
     },
     0},
};

// What a builder may change: the sheet (filter included), the recorded commands, the
// message boxes and the clipboard.
struct Seen {
  explicit Seen(const GridOpsFixture& f)
      : sheet(SheetSnapshot::take(f.core)), commands(f.manager.mUndoList.size()), messages(f.messages),
        clipboard(f.clipboard) {}
  bool sameAs(const GridOpsFixture& f) const {
    return diffSnapshots(sheet, SheetSnapshot::take(f.core)).empty() && commands == f.manager.mUndoList.size() &&
           messages == f.messages && clipboard == f.clipboard;
  }
  SheetSnapshot sheet;
  size_t commands;
  std::vector<std::u16string> messages;
  std::u16string clipboard;
};

class EditLock : public ::testing::TestWithParam<LockCase>, public GridOpsFixture {};

TEST_P(EditLock, BlocksWhileSetAndWorksOnceOff) {
  const LockCase& c = GetParam();
  buildSheet(core, {{u"b", u"2", u"x\ny"}, {u"a", u"1", u"y"}, {u"a", u"1", u"y"}});
  selection = c.selection;
  if (c.prepare) c.prepare(*this);

  lock(true);
  const Seen locked(*this);
  const int32_t lockedResult = c.run(*this);
  if (!c.blocked) {
    EXPECT_FALSE(locked.sameAs(*this)) << "the lock does not stop it";
    return;
  }
  EXPECT_EQ(lockedResult, 0);
  EXPECT_SAME_SHEET(locked.sheet, SheetSnapshot::take(core));
  EXPECT_EQ(manager.mUndoList.size(), locked.commands);
  EXPECT_EQ(messages, locked.messages);

  lock(false);
  const Seen unlocked(*this);
  EXPECT_EQ(c.run(*this), c.unlockedResult);
  EXPECT_FALSE(unlocked.sameAs(*this)) << "unlocked, the builder works";
}

INSTANTIATE_TEST_SUITE_P(Builders, EditLock, ::testing::ValuesIn(kCases), testsupport::ByName());

}  // namespace
