// Picking a column by clicking a grid: the "获取" buttons of every tool, the entry
// selected, whole rows, letters alone, columns missing from the list, the newer dialog.
#include "app/ClassifySaveTool.h"
#include "app/ColumnMergeTool.h"
#include "app/ColumnSplitTool.h"
#include "tests/app/ToolFixture.h"

using ColumnPickTest = ToolTest;

TEST_F(ColumnPickTest, FindMatchPicksTheClickedColumnOnce) {
  CGrid* orders = table(u"订单", {{"a", "b", "c"}, {"d", "e", "f"}});
  CGrid* other = table(u"其他", {{"x"}});
  HWND dialog = showFindMatchDialog(main);
  ASSERT_TRUE(dialog);
  press(dialog, 1038);
  EXPECT_FALSE(visible(dialog));
  EXPECT_EQ(gFindMatch.mPending, 1038);
  clickGrid(orders, 0, 3);
  EXPECT_TRUE(visible(dialog));
  EXPECT_EQ(text(dialog, 1037), u"订单!C");
  EXPECT_EQ(gFindMatch.mPending, 0);
  // A second click changes nothing in the dialog.
  clickGrid(other, 0, 1);
  EXPECT_EQ(text(dialog, 1037), u"订单!C");
  // Whole rows pick column A.
  press(dialog, 1045);
  clickGrid(orders, 2, 0);
  EXPECT_EQ(text(dialog, 1042), u"订单!A");
  // A column that is not in the list (of a table opened after the dialog) clears the combo.
  CGrid* later = table(u"后来", {{"x"}});
  press(dialog, 1045);
  clickGrid(later, 1, 1);
  EXPECT_EQ(text(dialog, 1042), u"");
  EXPECT_EQ(SendDlgItemMessageW(dialog, 1042, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(ColumnPickTest, TwoTablePicksTitlesAndLetters) {
  table(u"原表", {{"a", "b", "c"}});
  CGrid* lookup = table(u"查表", {{"k", "l"}});
  HWND dialog = showTwoTableDuplicatesDialog(main);
  ASSERT_TRUE(dialog);
  press(dialog, 1091);
  clickGrid(lookup, 1, 2);
  EXPECT_EQ(text(dialog, 1088), u"查表");
  press(dialog, 1093);
  clickGrid(lookup, 0, 2);
  EXPECT_EQ(text(dialog, 1086), u"B");
  EXPECT_TRUE(visible(dialog));
}

TEST_F(ColumnPickTest, ColumnToolsReturnToTheNewerDialog) {
  CGrid* sheet = table(u"表", {{"a", "b", "c"}});
  HWND merge = showColumnMergeDialog(main);
  press(merge, 1071);
  EXPECT_FALSE(visible(merge));
  clickGrid(sheet, 0, 2);
  EXPECT_EQ(text(merge, 1045), u"表!B");
  // Classify-save fills in the letters alone; the flag is set back after the pick.
  HWND classify = showClassifySaveDialog(main);
  press(classify, 1041);
  EXPECT_FALSE(gColumnPick.mWithTabName);
  clickGrid(sheet, 0, 3);
  EXPECT_EQ(text(classify, 1061), u"C");
  EXPECT_TRUE(gColumnPick.mWithTabName);
  // With two column tools open a pick started in the older returns to the newer.
  HWND split = showColumnSplitDialog(main);
  ShowWindow(merge, SW_SHOW);
  press(merge, 1067);
  clickGrid(sheet, 0, 1);
  EXPECT_TRUE(visible(split));
  EXPECT_FALSE(visible(merge));
  EXPECT_EQ(text(split, 1065), u"");
  EXPECT_EQ(SendDlgItemMessageW(split, 1059, CB_GETCURSEL, 0, 0), CB_ERR);
  for (HWND d : {merge, classify, split}) SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(gColumnPick.mDialog, nullptr);
}

TEST_F(ColumnPickTest, ReferencesResolveAtTheLastBang) {
  table(u"a!b", {{"1", "2"}});
  struct Case {
    const char* name;
    std::u16string ref;
    bool tab;
    int32_t col;
    bool names;
  } cases[] = {
      {"title with a bang", u"a!b!B", true, 2, true},
      {"lower case letters", u"a!b!b", true, 2, true},
      {"digits give column 0", u"a!b!1", true, 0, false},
      {"no letters", u"a!b!", true, 0, false},
      {"beyond the last column", u"a!b!C", true, 3, false},
      {"no such tab", u"a!B", false, 0, false},
      {"no bang", u"B", false, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ColumnRef ref = parseColumnRef(c.ref);
    EXPECT_EQ(ref.mTab != nullptr, c.tab);
    EXPECT_EQ(ref.mCol, c.col);
    EXPECT_EQ(ref.names(), c.names);
  }
}
