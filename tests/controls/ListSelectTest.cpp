// Clicks on a "List2": selection with Ctrl and Shift, the anchor, check-column clicks on
// single rows and on multi-selections, double clicks, and the callbacks' indices.
#include "tests/controls/ListFixture.h"

namespace {

using testdriver::Ctrl;
using testdriver::None;
using testdriver::Shift;

struct Click {
  int row;
  unsigned modifiers;
};

struct SelectCase {
  const char* name;
  uint8_t multiSelect;
  std::vector<Click> clicks;
  std::vector<int> selected;
  int anchor;
  int lastSelect;  // index the last onSelect received
};

void PrintTo(const SelectCase& c, std::ostream* os) { *os << c.name; }

class ListSelect : public ListTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(ListSelect, ClicksSelectRowsFromTheAnchor) {
  const SelectCase& c = GetParam();
  fill(5);
  list->multiSelect = c.multiSelect;
  for (const Click& click : c.clicks) clickRow(click.row, click.modifiers);
  EXPECT_EQ(selectedRows(), c.selected);
  EXPECT_EQ(list->anchorIndex, c.anchor);
  ASSERT_EQ(selects.size(), c.clicks.size());
  EXPECT_EQ(selects.back(), c.lastSelect);
  EXPECT_TRUE(checkedRows().empty()) << "clicks on the text never check";
}

// Row 5 lies below the last of the five rows.
INSTANTIATE_TEST_SUITE_P(
    Cases, ListSelect,
    ::testing::Values(
        SelectCase{"PlainClick", 1, {{1, None}, {3, None}}, {3}, 3, 3},
        SelectCase{"CtrlAdds", 1, {{1, None}, {3, Ctrl}}, {1, 3}, 3, 3},
        SelectCase{"CtrlKeepsASelectedRow", 1, {{2, None}, {2, Ctrl}}, {2}, 2, 2},
        SelectCase{"ShiftDownwards", 1, {{1, None}, {3, Shift}}, {1, 2, 3}, 1, 3},
        SelectCase{"ShiftUpwardsKeepsTheAnchor", 1, {{3, None}, {1, Shift}, {2, Shift}}, {2, 3}, 3, 2},
        SelectCase{"ShiftWithoutAnchorIsAPlainClick", 1, {{2, Shift}}, {2}, 2, 2},
        SelectCase{"ShiftBelowTheLastRowExtendsToTheLastRow", 1, {{1, None}, {5, Shift}}, {1, 2, 3, 4}, 1, -1},
        SelectCase{"ClickBelowTheLastRowDeselects", 1, {{1, None}, {5, None}}, {}, -1, -1},
        SelectCase{"SingleSelectionIgnoresCtrl", 0, {{1, None}, {3, Ctrl}}, {3}, 3, 3},
        SelectCase{"SingleSelectionIgnoresShift", 0, {{1, None}, {3, Shift}}, {3}, 3, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListTest, CheckClickOnASelectedRowSetsEverySelectedRow) {
  fill(6);
  clickRow(1);
  clickRow(3, Shift);  // rows 1..3 selected
  list->items[2].checked = 1;
  clickRow(2, None, kCheckX);  // row 2 turns off, and with it the selection
  EXPECT_TRUE(checkedRows().empty());
  clickRow(3, None, kCheckX);
  EXPECT_EQ(checkedRows(), (std::vector<int>{1, 2, 3}));
  clickRow(5, None, kCheckX);  // not selected: only itself
  EXPECT_EQ(checkedRows(), (std::vector<int>{1, 2, 3, 5}));
  EXPECT_EQ(selectedRows(), (std::vector<int>{1, 2, 3})) << "check clicks leave the selection";
  EXPECT_EQ(checks, (std::vector<int>{2, 3, 5}));
  EXPECT_EQ(selects.size(), 2u);
}

TEST_F(ListTest, CheckClickWithoutMultiSelectChangesOnlyTheClickedRow) {
  fill(4);
  list->multiSelect = 0;
  for (auto& item : list->items) item.selected = 1;
  clickRow(0, None, kCheckX);
  EXPECT_EQ(checkedRows(), (std::vector<int>{0}));
}

TEST_F(ListTest, CheckClickBelowTheLastRowChangesNothingButIsReported) {
  fill(3);
  clickRow(5, None, kCheckX);
  EXPECT_TRUE(checkedRows().empty());
  EXPECT_EQ(checks, (std::vector<int>{-1}));
}

TEST_F(ListTest, WithoutCheckBoxesTheCheckColumnSelects) {
  fill(3);
  list->showCheckBoxes = 0;
  clickRow(1, None, kCheckX);
  EXPECT_TRUE(checkedRows().empty());
  EXPECT_EQ(selectedRows(), (std::vector<int>{1}));
}

TEST_F(ListTest, ClickTakesTheFocus) {
  fill(2);
  SetFocus(host);
  clickRow(0);
  EXPECT_EQ(GetFocus(), list->hwnd);
}

TEST_F(ListTest, DoubleClickTogglesTheRowWhenAsked) {
  fill(3);
  list->doubleClickToggles = 1;
  testdriver::doubleClick(testdriver::screenPoint(list->hwnd, kTextX, kRow + 4));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(checkedRows(), (std::vector<int>{1}));
  EXPECT_EQ(selectedRows(), (std::vector<int>{1}));
  EXPECT_EQ(checks, (std::vector<int>{1}));

  list->doubleClickToggles = 0;
  testdriver::advance(1000);
  testdriver::doubleClick(testdriver::screenPoint(list->hwnd, kTextX, 2 * kRow + 4));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(checkedRows(), (std::vector<int>{1})) << "without the flag a double click only selects";
}

TEST_F(ListTest, DoubleClickOnTheCheckColumnTogglesOncePerClick) {
  fill(3);
  list->doubleClickToggles = 1;
  testdriver::doubleClick(testdriver::screenPoint(list->hwnd, kCheckX, 4));
  testdriver::pumpUntilIdle();
  EXPECT_TRUE(checkedRows().empty()) << "the first click checks, the second unchecks";
  EXPECT_EQ(checks, (std::vector<int>{0, 0}));
}

TEST(ListItem, ToggleCheckReportsTheNewStateAndRefusesStrayIndices) {
  CCList list;
  list.items.resize(2);
  EXPECT_TRUE(list.toggleCheck(1));
  EXPECT_FALSE(list.toggleCheck(1));
  EXPECT_FALSE(list.toggleCheck(2));
  EXPECT_FALSE(list.toggleCheck(-1));
  EXPECT_EQ(list.items[0].checked, 0);
}

struct CountCase {
  size_t count;
  double amount;
  const char16_t* text;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.count << ", " << c.amount; }

class CountText : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountText, FormsTheSuffix) {
  ListItem2 item;
  item.count = GetParam().count;
  item.amount = GetParam().amount;
  EXPECT_EQ(item.countText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, CountText,
                         ::testing::Values(CountCase{7, 0.25, u"  ( 7, 25.00% )"}, CountCase{7, 3, u"  ( 3 / 7 )"},
                                           CountCase{7, 3.9, u"  ( 3 / 7 )"}, CountCase{2, 1, u"  ( 2, 100.00% )"},
                                           CountCase{0, 0, u"  ( 0, 0.00% )"},
                                           CountCase{5, 1e300, u"  ( 18446744073709551615 / 5 )"}));

}  // namespace
