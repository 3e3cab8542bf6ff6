// Column string merge and split driven through dialogs 179 and 176: results cell by
// cell, references that name no column refused or left out, the sheets unchanged on a
// refusal, the written tables marked modified.
#include "app/ColumnMergeTool.h"
#include "app/ColumnSplitTool.h"
#include "tests/app/ToolFixture.h"

using ColumnTextToolsTest = ToolTest;

TEST_F(ColumnTextToolsTest, MergeJoinsWithEverySeparator) {
  struct Case {
    const char* name;
    std::u16string col2, sep1, sep2, sep3;
    Table expected;
  } cases[] = {
      {"hyphen after column 1", u"表!B", u"-", u"", u"", {{"a", "1", "a-1"}, {"b", "2", "b-2"}, {"c", "", "c-"}}},
      {"hyphen after column 2 as well",
       u"表!B",
       u"-",
       u"-",
       u"",
       {{"a", "1", "a-1-"}, {"b", "2", "b-2-"}, {"c", "", "c--"}}},
      {"a shorter table gives only separators",
       u"短!A",
       u"+",
       u"",
       u"/",
       {{"a", "1", "a+x/"}, {"b", "2", "b+/"}, {"c", "", "c+/"}}},
      {"column 2 naming no column is left out",
       u"表!1",
       u"<",
       u">",
       u"",
       {{"a", "1", "a<>"}, {"b", "2", "b<>"}, {"c", "", "c<>"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGrid* sheet = table(u"表", {{"a", "1", ""}, {"b", "2", ""}, {"c", "", ""}});
    table(u"短", {{"x"}});
    HWND dialog = showColumnMergeDialog(main);
    testdriver::AnswerScript answers;
    type(dialog, 1065, u"表!A");
    type(dialog, 1066, c.sep1);
    type(dialog, 1039, c.col2);
    type(dialog, 1085, c.sep2);
    type(dialog, 1086, c.sep3);
    type(dialog, 1045, u"表!C");
    press(dialog, 1072);
    EXPECT_TRUE(messages(answers).empty());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(readSheet(sheet->mCore), c.expected);
    EXPECT_TRUE(modified(sheet));
    closeAllTabs();
  }
}

TEST_F(ColumnTextToolsTest, MergeRefusals) {
  struct Case {
    const char* name;
    std::u16string col1, result;
    std::string message;
  } cases[] = {
      {"empty column 1", u"", u"t!B", "列字符串合并|要合并的列1不能为空！"},
      {"empty result", u"t!A", u"", "列字符串合并|结果写入列不能为空！"},
      {"column 1 without a tab", u"x!A", u"t!B", "列字符串合并|要合并的列1找不到表格！"},
      {"column 1 gives column 0", u"t!1", u"t!B", "列字符串合并|要合并的列1找不到表格！"},
      {"result beyond the table", u"t!A", u"t!C", "列字符串合并|结果写入列找不到表格！"},
      {"result without letters", u"t!A", u"t!", "列字符串合并|结果写入列找不到表格！"},
  };
  CGrid* t = table(u"t", {{"a", "b"}});
  HWND dialog = showColumnMergeDialog(main);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript answers;
    SetDlgItemTextW(dialog, 1065, c.col1.c_str());
    SetDlgItemTextW(dialog, 1045, c.result.c_str());
    press(dialog, 1072);
    EXPECT_EQ(messages(answers), (std::vector<std::string>{c.message}));
    EXPECT_EQ(readSheet(t->mCore), (Table{{"a", "b"}}));
    EXPECT_FALSE(modified(t));
    EXPECT_TRUE(IsWindowVisible(dialog));
  }
}

TEST_F(ColumnTextToolsTest, SplitCutsAtAnySeparatorCharacter) {
  struct Case {
    const char* name;
    std::u16string separators, result2;
    Table expected;
  } cases[] = {
      {"runs of separators count as one; results without a token stay",
       u",;",
       u"表!C",
       {{"a,,b", "a", "b", "o", "o"}, {";12;", "12", "o", "o", "o"}, {"", "o", "o", "o", "o"}}},
      {"an empty separator text copies the whole text",
       u"",
       u"表!C",
       {{"a,,b", "a,,b", "o", "o", "o"}, {";12;", ";12;", "o", "o", "o"}, {"", "o", "o", "o", "o"}}},
      {"a result naming no column is left out",
       u",;",
       u"表!9",
       {{"a,,b", "a", "o", "o", "o"}, {";12;", "12", "o", "o", "o"}, {"", "o", "o", "o", "o"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGrid* sheet =
        table(u"表", {{"a,,b", "o", "o", "o", "o"}, {";12;", "o", "o", "o", "o"}, {"", "o", "o", "o", "o"}});
    HWND dialog = showColumnSplitDialog(main);
    testdriver::AnswerScript answers;
    type(dialog, 1059, u"表!A");
    type(dialog, 1064, c.separators);
    type(dialog, 1060, u"表!B");
    type(dialog, 1061, c.result2);
    press(dialog, 1047);
    EXPECT_TRUE(messages(answers).empty());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(readSheet(sheet->mCore), c.expected);
    if (c.separators == u",;") EXPECT_EQ(sheet->mCore.mDatas[2][2].kind, CELL_INT64);  // "12" typed
    EXPECT_TRUE(modified(sheet));
    closeAllTabs();
  }
}

TEST_F(ColumnTextToolsTest, SplitRefusals) {
  struct Case {
    const char* name;
    std::u16string source, result1;
    std::string message;
  } cases[] = {
      {"empty source", u"", u"t!B", "列字符串分割|要分割的列不能为空！"},
      {"empty result 1", u"t!A", u"", "列字符串分割|结果写入列1不能为空！"},
      {"source without a tab", u"x!A", u"t!B", "列字符串分割|要分割的列找不到表格！"},
      {"source beyond the table", u"t!Z", u"t!B", "列字符串分割|要分割的列的表格不存在指定列！"},
      {"source gives column 0", u"t!1", u"t!B", "列字符串分割|要分割的列的表格不存在指定列！"},
      {"no result names a column", u"t!A", u"t!C", "列字符串分割|结果写入列1-4多找不到表格！"},
  };
  CGrid* t = table(u"t", {{"a,b", "x"}});
  HWND dialog = showColumnSplitDialog(main);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript answers;
    SetDlgItemTextW(dialog, 1059, c.source.c_str());
    SetDlgItemTextW(dialog, 1064, u",");
    SetDlgItemTextW(dialog, 1060, c.result1.c_str());
    press(dialog, 1047);
    EXPECT_EQ(messages(answers), (std::vector<std::string>{c.message}));
    EXPECT_EQ(readSheet(t->mCore), (Table{{"a,b", "x"}}));
    EXPECT_FALSE(modified(t));
  }
}

TEST_F(ColumnTextToolsTest, Pictures) {
  table(u"销售明细", {{"a", "b"}});
  table(u"汇总", {{"x"}});
  HWND merge = showColumnMergeDialog(main);
  SendDlgItemMessageW(merge, 1065, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(merge, 1039, CB_SETCURSEL, 1, 0);
  SetDlgItemTextW(merge, 1066, u"-");
  SendDlgItemMessageW(merge, 1045, CB_SETCURSEL, 2, 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(merge, 1045), u"汇总!A");
  savePicture(merge, "column_merge.png");
  for (int id : {1065, 1039, 1045, 1072}) EXPECT_GT(darkPixels(merge, id), 10) << id;
  HWND split = showColumnSplitDialog(main);
  SendDlgItemMessageW(split, 1059, CB_SETCURSEL, 1, 0);
  SetDlgItemTextW(split, 1064, u",;");
  SendDlgItemMessageW(split, 1060, CB_SETCURSEL, 2, 0);
  testdriver::pumpUntilIdle();
  savePicture(split, "column_split.png");
  for (int id : {1059, 1064, 1060, 1047}) EXPECT_GT(darkPixels(split, id), 3) << id;
  SendMessageW(merge, WM_COMMAND, IDCANCEL, 0);
  SendMessageW(split, WM_COMMAND, IDCANCEL, 0);
}
