// The column filter popup: its value list (order, counts, ticks), the conditions that
// narrow it, applying with one undo, closing by deactivation, batch mode, teardown.
#include <string>
#include <vector>

#include "controls/TabStrip.h"
#include "grid/FilterValues.h"
#include "grid/ListDialogState.h"
#include "platform/CodePage.h"
#include "platform/png/Png.h"
#include "platform/testdriver/AnswerScript.h"
#include "resources/GridIds.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"

namespace {

class FilterPopupTest : public GridTest {
 protected:
  // Column 1 below a header row, then the filter switched on over rows 1..n+1, columns 1..2.
  void filtered(CGrid& doc, const std::vector<std::u16string>& cells) {
    doc.mCore.resize(static_cast<int32_t>(cells.size()) + 2, 3);
    doc.mCore.setText(1, 1, u"head");
    doc.mCore.setText(1, 2, u"other");
    for (size_t i = 0; i < cells.size(); ++i) {
      doc.mCore.setTextTyped(int32_t(i) + 2, 1, cells[i].c_str());
      doc.mCore.setTextTyped(int32_t(i) + 2, 2, u"x");
    }
    doc.mView.refresh();
    doc.mSelection.range = Range{1, 1, int32_t(cells.size()) + 1, 2};
    doc.mOps.toggleFilter();
    doc.mComManag.clear();
  }
  // The texts and counts of a list as "text:count" (ticked items marked with *).
  std::vector<std::string> listed(const std::vector<ListItem2>& items) {
    std::vector<std::string> out;
    for (const ListItem2& item : items) {
      std::u16string t = item.value == 0 ? u"all" : core().getText(item.value, 1);
      out.push_back(std::string(t.begin(), t.end()) + ":" + std::to_string(item.count) + (item.checked ? "*" : ""));
    }
    return out;
  }
  ListDialogState* popupState() {
    return grid->mFilterPopup
               ? reinterpret_cast<ListDialogState*>(GetWindowLongPtrW(grid->mFilterPopup, GWLP_USERDATA))
               : nullptr;
  }
  // Presses the filter button of column 1's header cell.
  void pressButton() {
    const int right = view().rowHeaderWidth() + columnWidth(), bottom = 20 + 18;
    testdriver::advance(1000);
    testdriver::click(at(right - 5, bottom - 5));
    testdriver::pumpUntilIdle();
  }
  void type(const std::u16string& text) {
    SetDlgItemTextW(grid->mFilterPopup, 1003, text.c_str());
    testdriver::pumpUntilIdle();
  }
  void press(int id) {
    SendMessageW(GetDlgItem(grid->mFilterPopup, id), BM_CLICK, 0, 0);
    testdriver::pumpUntilIdle();
  }
  int columnWidth() { return core().getInt64(0, 1) ? int(core().getInt64(0, 1)) : 74; }
  // The main window with the popup laid over it where it stands on the screen.
  void picture(const std::string& name) {
    Surface out = testdriver::windowPixels(main);
    const Surface over = testdriver::windowPixels(grid->mFilterPopup);
    RECT m{}, p{};
    GetWindowRect(main, &m);
    GetWindowRect(grid->mFilterPopup, &p);
    for (int y = 0; y < over.height; ++y)
      for (int x = 0; x < over.width; ++x) {
        const int tx = p.left - m.left + x, ty = p.top - m.top + y;
        if (tx >= 0 && ty >= 0 && tx < out.width && ty < out.height) out.row(ty)[tx] = over.at(x, y);
      }
    writePng(out, testsupport::picturePath("grid", name).string());
  }
  bool rowHidden(int32_t row) { return core().mDatas[row][0].flag != 0; }
};

}  // namespace

TEST_F(FilterPopupTest, ValuesAreListedInOrderWithCountsAndTicks) {
  filtered(*grid, {u"3", u"a", u"3", u"5"});
  std::vector<ListItem2> items;
  buildFilterValueList(core(), cellPos(1, 1), items);
  EXPECT_EQ(listed(items), (std::vector<std::string>{"all:4*", "3:2*", "5:1*", "a:1*"}));
  EXPECT_DOUBLE_EQ(items[0].amount, 3);
  EXPECT_DOUBLE_EQ(items[1].amount, 0.5);
  EXPECT_DOUBLE_EQ(items[3].amount, 0.25);

  // This column hides the 5: listed unticked; another column hides an "a": not counted.
  FilterNumbers numbers{3};
  std::set<uint64_t> keys{core().cellAt(3, 1)->value};
  grid->mOps.filterValues(cellPos(1, 1), numbers, keys);
  ASSERT_TRUE(rowHidden(5));
  core().setText(3, 2, u"y");
  grid->mOps.filterValues(cellPos(1, 2), {}, {core().cellAt(2, 2)->value});  // hides row 3 ("a")
  buildFilterValueList(core(), cellPos(1, 1), items);
  EXPECT_EQ(listed(items), (std::vector<std::string>{"all:3", "3:2*", "5:1"}));
}

TEST_F(FilterPopupTest, LargeIntegersStayDistinct) {
  filtered(*grid, {u"9007199254740993", u"9007199254740992", u"9007199254740993", u"2.5", u"-1"});
  std::vector<ListItem2> items;
  buildFilterValueList(core(), cellPos(1, 1), items);
  EXPECT_EQ(listed(items),
            (std::vector<std::string>{"all:5*", "-1:1*", "2.5:1*", "9007199254740992:1*", "9007199254740993:2*"}));
}

// Unticking one of two integers that one double cannot tell apart hides exactly its rows.
TEST_F(FilterPopupTest, UntickingALargeIntegerHidesItsRows) {
  filtered(*grid, {u"9007199254740993", u"9007199254740992", u"9007199254740993"});
  pressButton();
  ListDialogState* state = popupState();
  ASSERT_TRUE(state);
  ASSERT_EQ(listed(state->list->items),
            (std::vector<std::string>{"all:3*", "9007199254740992:1*", "9007199254740993:2*"}));
  state->list->items[2].checked = 0;
  press(IDOK);
  EXPECT_TRUE(rowHidden(2));
  EXPECT_FALSE(rowHidden(3));
  EXPECT_TRUE(rowHidden(4));
}

TEST_F(FilterPopupTest, ConditionsNarrowTheList) {
  filtered(*grid, {u"3", u"5", u"a", u"Abc", u"b,c", u"10"});
  std::vector<ListItem2> all;
  buildFilterValueList(core(), cellPos(1, 1), all);
  FilterTexts texts;
  struct Case {
    int32_t condition;
    std::u16string text;
    std::vector<std::string> kept;  // besides the select-all item
  } cases[] = {
      {0, u"ABC", {"Abc"}},
      {1, u"abc", {"3", "5", "10", "a", "b,c"}},
      {2, u"3", {"5", "10", "Abc", "a", "b,c"}},  // numbers by value, texts by code unit
      {3, u"5", {"5", "10", "Abc", "a", "b,c"}},
      {4, u"5", {"3"}},
      {5, u"5", {"3", "5"}},
      {6, u"a,5", {"5", "Abc", "a"}},
      {6, u"b,", {"b,c"}},  // one part: the whole text, its comma included
      {6, u",,", {}},
      {7, u"a,5", {"3", "10", "b,c"}},
      {7, u",", {"3", "5", "10", "Abc", "a", "b,c"}},
      {8, u"A", {"Abc", "a"}},
      {9, u"a", {"3", "5", "10", "b,c"}},
      {10, u"C", {"Abc", "b,c"}},
      {11, u"bc", {"3", "5", "10", "a", "b,c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    std::vector<ListItem2> kept = narrowFilterList(core(), 1, all, texts, c.condition, c.text);
    std::vector<std::string> names = listed(kept);
    names.erase(names.begin());
    std::vector<std::string> expected;
    for (const std::string& k : c.kept) expected.push_back(k + ":1*");
    EXPECT_EQ(names, expected);
  }
  EXPECT_EQ(narrowFilterList(core(), 1, all, texts, 6, u"").size(), all.size());
}

TEST_F(FilterPopupTest, ThePopupOpensBelowItsButtonNarrowsAndApplies) {
  filtered(*grid, {u"3", u"a", u"3", u"5"});
  pressButton();  // the popup is wider than the button's distance from the screen's left
  RECT r{};
  GetWindowRect(grid->mFilterPopup, &r);
  EXPECT_EQ(r.left, 0);
  press(IDCANCEL);
  core().setInt64(0, 1, 330);
  view().refresh();
  grid->invalidate();
  testdriver::pumpUntilIdle();
  pressButton();
  HWND popup = grid->mFilterPopup;
  ASSERT_TRUE(popup);
  EXPECT_TRUE(IsWindowVisible(popup));
  // Right edge at the button's right, top one pixel below the header cell.
  GetWindowRect(popup, &r);
  const POINT corner = at(view().rowHeaderWidth() + 330, 20 + 18);
  EXPECT_EQ(r.right, corner.x);
  EXPECT_EQ(r.top, corner.y + 1);
  EXPECT_EQ(SendDlgItemMessageW(popup, 1026, CB_GETCURSEL, 0, 0), 6);
  ListDialogState* state = popupState();
  ASSERT_TRUE(state);
  EXPECT_EQ(state->list->items.size(), 4u);
  // Pixels: the grey frame of the popup and the select-all row's text.
  const Surface s = testdriver::windowPixels(popup);
  EXPECT_EQ(s.at(0, s.height / 2), 0xCCCCCCu);
  EXPECT_EQ(s.at(s.width - 1, s.height / 2), 0xCCCCCCu);
  picture("filter_popup.png");

  type(u"zz");  // nothing but the select-all item: OK is disabled
  EXPECT_EQ(state->list->items.size(), 1u);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(popup, IDOK)));
  type(u"3");
  EXPECT_EQ(state->list->items.size(), 2u);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(popup, IDOK)));
  press(1025);  // the full list comes back
  EXPECT_EQ(state->list->items.size(), 4u);
  char16_t text[16] = {};
  GetDlgItemTextW(popup, 1003, text, 16);
  EXPECT_EQ(std::u16string(text), u"");

  // Untick "a" and apply: its row is hidden, one undo shows it again.
  state->list->items[3].checked = 0;
  press(IDOK);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(grid->mFilterPopup, nullptr);
  EXPECT_TRUE(rowHidden(3));
  EXPECT_FALSE(rowHidden(2));
  EXPECT_EQ(grid->mComManag.mUndoList.size(), 1u);
  SendMessageW(grid->mHwnd, WM_COMMAND, ID_UNDO, 0);
  EXPECT_FALSE(rowHidden(3));

  // Reopened: the select-all item ticks and unticks every value.
  pressButton();
  state = popupState();
  ASSERT_TRUE(state);
  state->list->items[0].checked = 0;
  state->list->onCheck(*state->list, 0);
  for (const ListItem2& item : state->list->items) EXPECT_EQ(item.checked, 0);
  press(IDCANCEL);
  EXPECT_FALSE(grid->mFilterPopup);
}

TEST_F(FilterPopupTest, APopupThatWouldPassTheScreenBottomOpensAboveItsButton) {
  filtered(*grid, {u"3", u"a"});
  const int screen = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION);
  POINT origin{0, 0};
  ClientToScreen(grid->mHwnd, &origin);
  grid->mDrag = DragInfo{1, 1, 400, screen - origin.y - 20};  // the button 20 pixels above the bottom
  grid->showFilterPopup();
  testdriver::pumpUntilIdle();
  ASSERT_TRUE(grid->mFilterPopup);
  RECT r{};
  GetWindowRect(grid->mFilterPopup, &r);
  EXPECT_EQ(r.bottom, screen - 20);
  EXPECT_EQ(r.right, origin.x + 400);
}

TEST_F(FilterPopupTest, DeactivationAfterThePaintClosesWithoutApplying) {
  filtered(*grid, {u"3", u"a"});
  pressButton();
  HWND popup = grid->mFilterPopup;
  ASSERT_TRUE(popup);
  ASSERT_TRUE(popupState()->painted);
  popupState()->list->items[1].checked = 0;
  SetActiveWindow(main);
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_FALSE(grid->mFilterPopup);
  EXPECT_FALSE(rowHidden(2));
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
}

TEST_F(FilterPopupTest, APopupOpenWhenItsDocumentGoesIsFreedWithIt) {
  filtered(*grid, {u"3", u"a"});
  pressButton();
  HWND popup = grid->mFilterPopup;
  ASSERT_TRUE(IsWindow(popup));
  DestroyWindow(grid->mHwnd);
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(IsWindow(popup));
  grid = nullptr;
}

TEST_F(FilterPopupTest, BatchModeSkipsLockedDocumentsAndDocumentsWithoutTheColumn) {
  filtered(*grid, {u"3", u"a"});
  auto second = [&] {
    auto* doc = new CGrid();
    doc->create(host, 0, 0, 200, 200);
    ShowWindow(doc->mHwnd, SW_HIDE);
    return doc;
  };
  CGrid* same = second();
  CGrid* locked = second();
  CGrid* without = second();
  filtered(*same, {u"a", u"3", u"a"});
  filtered(*locked, {u"a", u"3"});
  locked->mCore.mAttrs[ATTR_EDIT_LOCK].value = 1;
  without->mCore.resize(4, 3);
  without->mCore.setText(2, 1, u"a");
  for (CGrid* doc : {grid, same, locked, without}) {
    CCTab::CTabData tab;
    tab.document = doc;
    tab.gridWindow = doc->mHwnd;
    gTabStrip.tabs.push_back(tab);
  }
  grid->mBatchFilter = 1;
  pressButton();
  ListDialogState* state = popupState();
  ASSERT_TRUE(state);
  state->list->items[2].checked = 0;  // "a"
  press(IDOK);
  gTabStrip.tabs.clear();
  EXPECT_TRUE(rowHidden(3));
  EXPECT_TRUE(same->mCore.mDatas[2][0].flag && same->mCore.mDatas[4][0].flag);
  EXPECT_FALSE(same->mCore.mDatas[3][0].flag);
  EXPECT_FALSE(locked->mCore.mDatas[2][0].flag);
  EXPECT_TRUE(locked->mComManag.mUndoList.empty());
  EXPECT_FALSE(without->mCore.mDatas[2][0].flag);
  EXPECT_TRUE(without->mComManag.mUndoList.empty());
}

// A failing command shows its message box over its document; the box takes the
// activation from the popup, which closes and frees its record. The batch goes on to the
// next document with what it took from the record before the first box.
TEST_F(FilterPopupTest, BatchApplyGoesOnAfterAFailingCommandsMessageBoxClosedThePopup) {
  static constexpr char kFailure[] = "CDataGrid::resize: row-5,len-10 memery malloc error!";
  CGrid* other = new CGrid();
  other->create(host, 0, 0, 200, 200);
  ShowWindow(other->mHwnd, SW_HIDE);
  filtered(*grid, {u"3", u"a"});
  filtered(*other, {u"a", u"3"});
  for (CGrid* doc : {grid, other}) {
    CCTab::CTabData tab;
    tab.document = doc;
    tab.gridWindow = doc->mHwnd;
    gTabStrip.tabs.push_back(tab);
    // The command fails once it runs, as one that cannot allocate does.
    doc->mComManag.mNotify = [](void*, void*) { throw std::string(kFailure); };
  }
  grid->mBatchFilter = 1;
  pressButton();
  HWND popup = grid->mFilterPopup;
  ListDialogState* state = popupState();
  ASSERT_TRUE(state && state->painted);
  state->list->items[2].checked = 0;  // "a"
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  answers.answer(u"MessageBoxW", IDOK);
  press(IDOK);
  gTabStrip.tabs.clear();
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(grid->mFilterPopup, nullptr);
  ASSERT_EQ(answers.calls().size(), 2u) << "each document's failure is shown";
  for (const auto& record : answers.calls()) EXPECT_EQ(record.call.args.at(0), utf8ToWide(kFailure));
  EXPECT_EQ(answers.calls()[1].call.owner, other->mHwnd);
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
  EXPECT_TRUE(other->mComManag.mUndoList.empty());
}
