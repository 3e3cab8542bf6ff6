// Classify-save driven through dialog 181: files byte for byte from a table opened in
// GBK, the folder chosen with the browser, the report of files that cannot be written,
// and the refusals.
#include <filesystem>

#include "app/ClassifySaveTool.h"
#include "tests/app/ToolFixture.h"

using testsupport::readBytes;

using ClassifySaveToolTest = ToolTest;

// A GBK file (甲 乙 as keys) opened through the program: the files are written in the
// table's save encoding, ANSI, with LF line ends and no byte order mark.
TEST_F(ClassifySaveToolTest, FilesOfAGbkTable) {
  CGrid* sheet = file("gbk.csv", "k,v\n\xBC\xD7,1\n\xD2\xD2,2\n\xBC\xD7,3\na/b,4\nab,5\n");
  ASSERT_TRUE(sheet);
  ASSERT_EQ(sheet->mCore.mSaveEncoding, ENC_ANSI);
  std::filesystem::create_directory(dir.native("out"));
  HWND dialog = showClassifySaveDialog(main);
  testdriver::AnswerScript answers;
  answers.answer(u"SHBrowseForFolderW", 1, {dir.path("out")});
  press(dialog, 1006);
  EXPECT_EQ(text(dialog, 1005), dir.path("out"));
  press(dialog, 1000);
  type(dialog, 1060, u"a");
  press(dialog, 1);
  EXPECT_TRUE(messages(answers).empty());
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(readBytes(dir.native("out/\xE7\x94\xB2.csv")), "k,v\n\xBC\xD7,1\n\xBC\xD7,3\n");
  EXPECT_EQ(readBytes(dir.native("out/\xE4\xB9\x99.csv")), "k,v\n\xD2\xD2,2\n");
  EXPECT_EQ(readBytes(dir.native("out/ab.csv")), "k,v\na/b,4\nab,5\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.native("out")), {}), 3);
  EXPECT_FALSE(modified(sheet));
}

// A folder below a regular file cannot be written (for root as well): one message lists
// the files, nothing is written, and the dialog ends.
TEST_F(ClassifySaveToolTest, UnwritableFolderIsReported) {
  table(u"t", {{"a"}, {"b"}, {"a"}});
  testsupport::writeBytes(dir.native("plain"), "x");
  HWND dialog = showClassifySaveDialog(main);
  testdriver::AnswerScript answers;
  type(dialog, 1060, u"A");
  type(dialog, 1005, dir.path("plain"));
  press(dialog, 1);
  EXPECT_EQ(messages(answers), (std::vector<std::string>{"分类另存设置|以下文件无法创建或写入：\na.csv\nb.csv"}));
  EXPECT_EQ(answers.calls().at(0).call.owner, main);
  EXPECT_EQ(readBytes(dir.native("plain")), "x");
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(ClassifySaveToolTest, RefusalsKeepTheDialog) {
  struct Case {
    const char* name;
    std::u16string key1, key2, folder;
    std::string message;
  } cases[] = {
      {"empty key column 1", u"", u"", u"/tmp", "分类另存设置|分类内容列1不能为空！"},
      {"empty folder", u"A", u"", u"", "分类另存设置|文件保存全路径不能为空！"},
      {"key column 1 beyond the table", u"C", u"", u"/tmp",
       "分类另存设置|分类内容列1不合法，请填写当前表格具有的列名称！"},
      {"key column 1 a tab and letters", u"t!A", u"", u"/tmp",
       "分类另存设置|分类内容列1不合法，请填写当前表格具有的列名称！"},
      {"a folder too long", u"A", u"", u"/" + std::u16string(255, u'd'),
       "分类另存设置|文件保存全路径太长，最多254个字符！"},
  };
  table(u"t", {{"a", "b"}});
  HWND dialog = showClassifySaveDialog(main);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript answers;
    SetDlgItemTextW(dialog, 1060, c.key1.c_str());
    SetDlgItemTextW(dialog, 1005, c.folder.c_str());
    press(dialog, 1);
    EXPECT_EQ(messages(answers), (std::vector<std::string>{c.message}));
    EXPECT_TRUE(IsWindowVisible(dialog));
  }
  // A key column 2 given as a tab title and letters is not used.
  testdriver::AnswerScript answers;
  SetDlgItemTextW(dialog, 1060, u"A");
  SetDlgItemTextW(dialog, 1061, u"t!B");
  SetDlgItemTextW(dialog, 1005, dir.path("").c_str());
  press(dialog, 1);
  EXPECT_TRUE(messages(answers).empty());
  EXPECT_EQ(readBytes(dir.native("a.csv")), "a,b\n");
  EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(ClassifySaveToolTest, OnlyWithADocumentAndPicture) {
  EXPECT_EQ(showClassifySaveDialog(main), nullptr);
  table(u"分类数据", {{"a", "b", "c"}});
  HWND dialog = showClassifySaveDialog(main);
  CheckDlgButton(dialog, 1000, BST_CHECKED);
  SendDlgItemMessageW(dialog, 1060, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(dialog, 1061, CB_SETCURSEL, 2, 0);
  SetDlgItemTextW(dialog, 1005, u"/home/用户/分类结果");
  testdriver::pumpUntilIdle();
  EXPECT_EQ(text(dialog, 1061), u"C");
  savePicture(dialog, "classify_save.png");
  for (int id : {1000, 1060, 1061, 1005, 1006, 1, 2}) EXPECT_GT(darkPixels(dialog, id), 3) << id;
  press(dialog, 2);
  EXPECT_FALSE(IsWindow(dialog));
}
