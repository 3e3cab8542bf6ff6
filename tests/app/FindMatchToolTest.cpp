// Find-match driven through its dialog: look-ups and copies compared cell by cell, the
// saved write table byte for byte, and every refusal with its message.
#include "tests/app/ToolFixture.h"

class FindMatchToolTest : public ToolTest {
 protected:
  // Fills the dialog's combos by typing and clicks "查找匹配".
  void run(HWND dialog, const std::u16string& write, const std::u16string& data, const std::u16string& area,
           const std::u16string& ret, const std::u16string& count) {
    type(dialog, 1037, write);
    type(dialog, 1040, data);
    type(dialog, 1041, area);
    type(dialog, 1042, ret);
    type(dialog, 1046, count);
    press(dialog, 1036);
  }
};

TEST_F(FindMatchToolTest, LookUpsAndCopies) {
  struct Case {
    const char* name;
    Table write;
    std::u16string writeRef, dataRef, areaRef, retRef, count;
    Table expected;
  } cases[] = {
      {"the smallest area row wins",
       {{"x", ""}, {"y", ""}, {"x", ""}},
       u"写!B",
       u"写!A",
       u"区域!A",
       u"区域!B",
       u"1",
       {{"x", "r2"}, {"y", "r3"}, {"x", "r2"}}},
      {"three return columns; not found empties them",
       {{"y", "o", "o", "o"}, {"none", "o", "o", "o"}},
       u"写!B",
       u"写!A",
       u"区域!A",
       u"区域!B",
       u"3",
       {{"y", "r3", "3", "c"}, {"none", "", "", ""}}},
      {"columns beyond the write table are not written",
       {{"q", ""}},
       u"写!B",
       u"写!A",
       u"区域!A",
       u"区域!B",
       u"3",
       {{"q", "r4"}}},
      {"copy mode grows the write table to the return table",
       {{"w", "w"}},
       u"写!B",
       u"",
       u"",
       u"区域!B",
       u"2",
       {{"w", "r1"}, {"", "r2"}, {"", "r3"}, {"", "r4"}, {"", "r5"}}},
      {"a count that is not a number is 1",
       {{"z", "o", "o"}},
       u"写!B",
       u"写!A",
       u"区域!A",
       u"区域!B",
       u"x",
       {{"z", "r1", "o"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    table(u"区域", {{"z", "r1", "1", "a"},
                    {"x", "r2", "2", "b"},
                    {"y", "r3", "3", "c"},
                    {"q", "r4", "4", "d"},
                    {"x", "r5", "5", "e"}});
    CGrid* write = table(u"写", c.write);
    HWND dialog = showFindMatchDialog(main);
    testdriver::AnswerScript answers;
    run(dialog, c.writeRef, c.dataRef, c.areaRef, c.retRef, c.count);
    EXPECT_EQ(messages(answers), (std::vector<std::string>{"查找匹配|查找匹配成功！"}));
    EXPECT_EQ(answers.calls().at(0).call.owner, main);
    EXPECT_EQ(readSheet(write->mCore), c.expected);
    EXPECT_TRUE(modified(write));
    EXPECT_TRUE(IsWindowVisible(dialog));  // the dialog stays open
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(gFindMatch.mDialog, nullptr);
    closeAllTabs();
  }
}

// Tables read from files in three encodings; the written table saved and compared.
TEST_F(FindMatchToolTest, FilesInThreeEncodingsAndTheSavedTable) {
  // Byte strings kept on one line, split only where a hex escape ends:
  // clang-format off
  file("数据.csv", "\xEF\xBB\xBF" "k,v\n\xE7\x94\xB2,\n\xE4\xB9\x99,\n");       // UTF-8: 甲, 乙
  file("区域.csv", "\xBC\xD7,1\n\xD2\xD2,2\n");                                 // GBK: 甲 1, 乙 2
  file("返回.csv", std::string("\xFF\xFE" "a\0,\0x\0\n\0b\0,\0y\0\n\0", 18));  // UTF-16: a x, b y
  // clang-format on
  CGrid* data = currentDocument() ? gTabStrip.tabs[0].document : nullptr;
  ASSERT_EQ(gTabStrip.tabs.size(), 3u);
  HWND dialog = showFindMatchDialog(main);
  testdriver::AnswerScript answers;
  run(dialog, u"数据.csv!B", u"数据.csv!A", u"区域.csv!A", u"返回.csv!B", u"1");
  EXPECT_EQ(messages(answers), (std::vector<std::string>{"查找匹配|查找匹配成功！"}));
  EXPECT_EQ(readSheet(data->mCore), (Table{{"k", ""}, {"甲", "x"}, {"乙", "y"}}));  // row 1 is data: k is not found
  data->mCore.mSaveEncoding = ENC_UTF8_NOBOM;
  ASSERT_TRUE(data->saveAs(dir.path("out.csv")));
  EXPECT_EQ(testsupport::readBytes(dir.native("out.csv")), "k,\r\n\xE7\x94\xB2,x\r\n\xE4\xB9\x99,y\r\n");
  SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Every refusal: the message, the tables unchanged, no success message.
TEST_F(FindMatchToolTest, RefusalsLeaveTheTablesAlone) {
  const std::u16string longText(513, u'A');
  struct Case {
    const char* name;
    std::u16string write, data, area, ret;
    std::string message;
  } cases[] = {
      {"empty write position", u"", u"t!A", u"t!A", u"t!B", "查找匹配|写入位置列不能为空！"},
      {"empty return column", u"t!B", u"t!A", u"t!A", u"", "查找匹配|返回值的列不能为空！"},
      {"write tab missing", u"x!B", u"t!A", u"t!A", u"t!B", "查找匹配|找不到写入位置表格列：x!B"},
      {"write letters give column 0", u"t!1", u"t!A", u"t!A", u"t!B", "查找匹配|找不到写入位置表格列：t!1"},
      {"data beyond the table", u"t!B", u"t!C", u"t!A", u"t!B", "查找匹配|找不到查找数据表格列：t!C"},
      {"area without letters", u"t!B", u"t!A", u"t!", u"t!B", "查找匹配|找不到要查找区域表格列：t!"},
      {"return tab missing", u"t!B", u"t!A", u"t!A", u"u!B", "查找匹配|找不到返回值的表格列：u!B"},
      {"copy mode, return beyond the table", u"t!B", u"", u"", u"t!D", "查找匹配|找不到返回值的表格列：t!D"},
      {"a field too long", longText, u"t!A", u"t!A", u"t!B", "查找匹配|写入位置列太长，最多512个字符！"},
  };
  CGrid* t = table(u"t", {{"a", "1"}, {"b", "2"}});
  HWND dialog = showFindMatchDialog(main);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript answers;
    SetDlgItemTextW(dialog, 1037, c.write.c_str());
    SetDlgItemTextW(dialog, 1040, c.data.c_str());
    SetDlgItemTextW(dialog, 1041, c.area.c_str());
    SetDlgItemTextW(dialog, 1042, c.ret.c_str());
    press(dialog, 1036);
    EXPECT_EQ(messages(answers), (std::vector<std::string>{c.message}));
    EXPECT_EQ(readSheet(t->mCore), (Table{{"a", "1"}, {"b", "2"}}));
    EXPECT_FALSE(modified(t));
  }
  // A tab renamed after the dialog was filled is not found.
  gTabStrip.tabs[0].title = u"t2";
  testdriver::AnswerScript answers;
  SetDlgItemTextW(dialog, 1037, u"t!B");
  SetDlgItemTextW(dialog, 1042, u"t!B");
  press(dialog, 1036);
  EXPECT_EQ(messages(answers), (std::vector<std::string>{"查找匹配|找不到写入位置表格列：t!B"}));
}

TEST_F(FindMatchToolTest, Picture) {
  table(u"订单表", {{"a", "b", "c"}});
  table(u"客户", {{"x", "y"}});
  HWND dialog = showFindMatchDialog(main);
  SendDlgItemMessageW(dialog, 1037, CB_SETCURSEL, 2, 0);
  SendDlgItemMessageW(dialog, 1040, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(dialog, 1041, CB_SETCURSEL, 3, 0);
  SendDlgItemMessageW(dialog, 1042, CB_SETCURSEL, 4, 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(dialog, 1041), u"客户!A");
  EXPECT_EQ(text(dialog, 1046), u"1");
  savePicture(dialog, "find_match.png");
  // Pixel probes: the picked texts and the buttons' captions are drawn.
  for (int id : {1037, 1041, 1042, 1044, 1036}) EXPECT_GT(darkPixels(dialog, id), 10) << id;
}
