// The two-table tools driven through dialogs 174 and 180: the result in a new current
// tab marked modified, the shared dialog record, and every refusal with its message.
#include "tests/app/ToolFixture.h"

class TwoTableToolTest : public ToolTest {
 protected:
  struct Ids {
    int source, lookup, col1, col2, col3, run;
  };
  static constexpr Ids kDedupe{1039, 1048, 1049, 1050, 1051, 1052};
  static constexpr Ids kDuplicates{1089, 1088, 1087, 1086, 1085, 1084};

  void fill(HWND dialog, const Ids& ids, const std::u16string& source, const std::u16string& lookup,
            const std::u16string& col1, const std::u16string& col2 = u"", const std::u16string& col3 = u"") {
    type(dialog, ids.source, source);
    type(dialog, ids.lookup, lookup);
    type(dialog, ids.col1, col1);
    type(dialog, ids.col2, col2);
    type(dialog, ids.col3, col3);
  }
};

TEST_F(TwoTableToolTest, ResultsInANewCurrentTab) {
  struct Case {
    const char* name;
    bool duplicates;
    std::u16string col1, col2;
    Table expected;
  } cases[] = {
      {"dedupe keeps repeated source keys; empty keys in neither", false, u"A", u"", {{"k1", "1"}, {"k1", "3"}}},
      {"duplicates", true, u"a", u"", {{"k2", "2"}}},
      {"an invalid match column 2 is left out", true, u"A", u"1B", {{"k2", "2"}}},
      {"match columns A and B: an empty A still makes a key",
       false,
       u"A",
       u"B",
       {{"k1", "1"}, {"k2", "2"}, {"k1", "3"}}},
      {"match columns A and B, duplicates", true, u"A", u"B", {{"", "4"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGrid* source = table(u"源表", {{"k1", "1"}, {"k2", "2"}, {"k1", "3"}, {"", "4"}});
    table(u"查找", {{"k2", "9"}, {"", "4"}});
    HWND dialog = c.duplicates ? showTwoTableDuplicatesDialog(main) : showTwoTableDedupeDialog(main);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(text(dialog, c.duplicates ? kDuplicates.col1 : kDedupe.col1), u"A");
    testdriver::AnswerScript answers;
    fill(dialog, c.duplicates ? kDuplicates : kDedupe, u"源表", u"查找", c.col1, c.col2);
    press(dialog, c.duplicates ? kDuplicates.run : kDedupe.run);
    EXPECT_TRUE(messages(answers).empty());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(gTwoTable.mDialog, nullptr);
    ASSERT_EQ(gTabStrip.tabs.size(), 3u);
    CGrid* result = currentDocument();
    EXPECT_EQ(gTabStrip.tabs[2].document, result);
    EXPECT_EQ(gTabStrip.tabs[2].title.substr(0, 3), u"新表格");
    EXPECT_EQ(readSheet(result->mCore), c.expected);
    EXPECT_TRUE(modified(result));
    EXPECT_FALSE(modified(source));
    closeAllTabs();
  }
}

// The two dialogs share one record: while one is open the other command shows it.
TEST_F(TwoTableToolTest, OneDialogAtATime) {
  table(u"t", {{"a"}});
  HWND dedupe = showTwoTableDedupeDialog(main);
  EXPECT_EQ(showTwoTableDuplicatesDialog(main), dedupe);
  SendMessageW(dedupe, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindow(dedupe));
  HWND duplicates = showTwoTableDuplicatesDialog(main);
  EXPECT_NE(duplicates, nullptr);
  char16_t caption[64] = {};
  GetWindowTextW(duplicates, caption, 64);
  EXPECT_EQ(std::u16string(caption), u"两表求重复");
}

TEST_F(TwoTableToolTest, RefusalsMakeNoTable) {
  struct Case {
    const char* name;
    std::u16string source, lookup, col1;
    std::string message;
  } cases[] = {
      {"empty source", u"", u"t", u"A", "两表去重复|原始表不能为空！"},
      {"empty lookup", u"t", u"", u"A", "两表去重复|查找表不能为空！"},
      {"empty match column 1", u"t", u"t", u"", "两表去重复|匹配列1不能为空！"},
      {"source not found", u"x", u"t", u"A", "两表去重复|原始表找不到！"},
      {"lookup not found", u"t", u"x", u"A", "两表去重复|查找表找不到！"},
      {"match column 1 not letters", u"t", u"t", u"1A", "两表去重复|匹配列1不对！"},
      {"match column 1 beyond the tables", u"t", u"t", u"C", "两表去重复|匹配列1不对！"},
      {"a field too long", std::u16string(600, u't'), u"t", u"A", "两表去重复|原始表太长，最多512个字符！"},
  };
  table(u"t", {{"a", "b"}});
  HWND dialog = showTwoTableDedupeDialog(main);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript answers;
    SetDlgItemTextW(dialog, kDedupe.source, c.source.c_str());
    SetDlgItemTextW(dialog, kDedupe.lookup, c.lookup.c_str());
    SetDlgItemTextW(dialog, kDedupe.col1, c.col1.c_str());
    press(dialog, kDedupe.run);
    EXPECT_EQ(messages(answers), (std::vector<std::string>{c.message}));
    EXPECT_EQ(gTabStrip.tabs.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(dialog));
  }
}

TEST_F(TwoTableToolTest, Pictures) {
  table(u"客户名单", {{"a", "b", "c"}});
  table(u"黑名单", {{"x"}});
  for (bool duplicates : {false, true}) {
    HWND dialog = duplicates ? showTwoTableDuplicatesDialog(main) : showTwoTableDedupeDialog(main);
    const Ids& ids = duplicates ? kDuplicates : kDedupe;
    SendDlgItemMessageW(dialog, ids.source, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(dialog, ids.lookup, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(dialog, ids.col2, CB_SETCURSEL, 2, 0);
    testdriver::pumpUntilIdle();
    EXPECT_EQ(text(dialog, ids.col2), u"C");  // the first tab's letters
    EXPECT_EQ(SendDlgItemMessageW(dialog, ids.col3, CB_GETCOUNT, 0, 0), 3);
    savePicture(dialog, duplicates ? "two_table_duplicates.png" : "two_table_dedupe.png");
    for (int id : {ids.source, ids.lookup, ids.col1, ids.col2, ids.run})
      EXPECT_GT(darkPixels(dialog, id), 10) << id;
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}
