// The main window's commands of the file tools, plug-ins and About, chosen from its menu.
#include <filesystem>

#include "app/ColumnPick.h"
#include "app/FileTasks.h"
#include "app/Plugins.h"
#include "tests/app/AppFixture.h"

namespace {

std::string utf16(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

class FileToolCommands : public AppTestInScratch {
 protected:
  HMENU scripts() const { return GetSubMenu(GetMenu(gMainWnd), kScriptPopup); }
  std::u16string lastItem() const {
    char16_t text[260] = {};
    GetMenuStringW(scripts(), UINT(GetMenuItemCount(scripts()) - 1), text, 260, MF_BYPOSITION);
    return text;
  }
};

TEST_F(FileToolCommands, PluginItemsRunAndImportAddsOne) {
  std::filesystem::create_directories(dir.native("plugin"));
  testsupport::writeBytes(dir.native("plugin/b.exp"), utf16(u"set_(1,1,'b')"));
  testsupport::writeBytes(dir.native("c.exp"), utf16(u"set_(1,2,'c')"));
  start();
  EXPECT_EQ(lastItem(), u"b.exp");
  EXPECT_EQ(GetMenuItemID(scripts(), GetMenuItemCount(scripts()) - 1), 33000u);
  currentDocument()->mCore.resize(3, 4);
  EXPECT_TRUE(choose(33000));
  EXPECT_EQ(currentDocument()->mCore.getText(1, 1), u"b");
  testdriver::AnswerScript answers;
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("c.exp")});
  EXPECT_TRUE(choose(32953));
  EXPECT_EQ(lastItem(), u"c.exp");
  EXPECT_TRUE(choose(33001));
  EXPECT_EQ(currentDocument()->mCore.getText(1, 2), u"c");
}

TEST_F(FileToolCommands, FileToolsAndAboutOpenTheirDialogs) {
  start();
  EXPECT_TRUE(choose(32974));
  EXPECT_EQ(gMergeTasks.size(), 1u);
  HWND merge = gColumnPick.mDialog;
  EXPECT_TRUE(IsWindowVisible(merge));
  EXPECT_TRUE(choose(32975));
  EXPECT_EQ(gSplitTasks.size(), 1u);
  EXPECT_NE(gColumnPick.mDialog, merge);
  testdriver::AnswerScript answers;
  answers.answer(u"DialogBoxParamW", IDOK);
  EXPECT_TRUE(choose(104));
  ASSERT_EQ(answers.calls().size(), 1u);
  EXPECT_EQ(answers.calls()[0].call.args[0], u"103");
  // Closing the program cancels the tasks of its open tool dialogs.
  DestroyWindow(gMainWnd);
  pump();
  EXPECT_EQ(gMergeTasks.size() + gSplitTasks.size(), 0u);
}

// The loop hands a modeless tool dialog's keys to the dialog: Tab moves the focus on
// from a field, and Esc cancels the dialog, which ends its task.
TEST_F(FileToolCommands, TabAndEscInAToolDialogAreTheDialogs) {
  start();
  ASSERT_TRUE(choose(32974));
  HWND merge = gColumnPick.mDialog;
  HWND field = GetDlgItem(merge, 1007);
  ASSERT_TRUE(field);
  SetFocus(field);
  keys(VK_TAB);
  EXPECT_TRUE(IsWindow(merge));
  EXPECT_NE(GetFocus(), field);
  EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), merge);
  keys(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(merge));
  EXPECT_EQ(gMergeTasks.size(), 0u);
}

}  // namespace
