// Documents as tabs of the strip: titles, opening paths and folders, drops, workbooks as
// one tab per sheet, closing with the save question, and whose statistics reach the title.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "controls/ControlClass.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Driver.h"
#include "platform/xl/xl.h"
#include "tests/support/GdiplusSuite.h"
#include "tests/support/Scratch.h"
#include "tests/support/TabStripHost.h"

class TabsTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override {
    testdriver::reset();
    gInputEnabled = true;
    main = testsupport::createHostWindow(u"TabsMain", 30, 30, 800, 500);
    gMainWnd = main;
    testsupport::createTabStrip(main, 800, 500);
    testdriver::pumpUntilIdle();
  }
  void TearDown() override {
    stopStats();
    DestroyWindow(main);
    testdriver::pumpUntilIdle();
    gTabStrip.tabs.clear();
    gTabStrip.current = -1;
    gTabStrip.firstVisible = 0;
    gTabStrip.hwnd = nullptr;
    gMainWnd = nullptr;
    gInputEnabled = true;
  }

  std::vector<std::u16string> titles() const {
    std::vector<std::u16string> t;
    for (const auto& tab : gTabStrip.tabs) t.push_back(tab.title);
    return t;
  }
  std::u16string mainTitle() const {
    char16_t buffer[512] = {};
    GetWindowTextW(main, buffer, 512);
    return buffer;
  }

  HWND main = nullptr;
};

TEST_F(TabsTest, NewTablesGetUniqueTitles) {
  for (int i = 0; i < 3; ++i) openInNewTab(u"");
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"新表格1", u"新表格2"}));
  gTabStrip.closeTab(1);
  openInNewTab(u"");
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"新表格2", u"新表格1"}));
  EXPECT_EQ(currentDocument(), allDocuments().back());
  EXPECT_EQ(allDocuments().size(), 3u);
}

TEST_F(TabsTest, OpenPathActivatesAnOpenTabAndFailedOpensStayUntitled) {
  testsupport::ScratchDir dir;
  testsupport::writeBytes(dir.native("a.csv"), "1,2\n");
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  openPath(dir.path("a.csv"));
  openInNewTab(u"");
  ASSERT_EQ(gTabStrip.tabs.size(), 2u);
  openPath(dir.path("a.csv"));
  EXPECT_EQ(gTabStrip.tabs.size(), 2u);
  EXPECT_EQ(gTabStrip.current, 0);
  openPath(u"");
  EXPECT_EQ(gTabStrip.tabs.size(), 2u);
  // A file that cannot be read leaves a tab without a path, titled as a new table.
  CGrid* failed = openInNewTab(dir.path("missing.csv"));
  testdriver::pumpUntilIdle();
  ASSERT_EQ(gTabStrip.tabs.size(), 3u);
  EXPECT_TRUE(gTabStrip.tabs[2].path.empty());
  EXPECT_EQ(gTabStrip.tabs[2].title, u"新表格1");
  EXPECT_TRUE(failed->mPath.empty());
  EXPECT_EQ(mainTitle(), u"New - Morvel");
}

TEST_F(TabsTest, DroppedFoldersOpenEveryFileWithoutFollowingLinks) {
  testsupport::ScratchDir dir;
  std::filesystem::create_directories(dir.native("top/sub"));
  testsupport::writeBytes(dir.native("top/a.csv"), "1,2\n");
  testsupport::writeBytes(dir.native("top/sub/b.txt"), "3\t4\n");
  std::filesystem::create_directory_symlink(dir.native("top"), dir.native("top/sub/loop"));
  openInNewTab(dir.path("top/a.csv"));
  ASSERT_EQ(gTabStrip.tabs.size(), 1u);
  const HWND target =
      testdriver::dropFiles(testdriver::screenPoint(gTabStrip.tabs[0].gridWindow, 100, 100), {dir.path("top")});
  ASSERT_NE(target, nullptr);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"a.csv", u"b.txt"}));
  EXPECT_EQ(allDocuments()[1]->mCore.getText(1, 2), u"4");
}

TEST_F(TabsTest, ClosingAModifiedTabAsks) {
  struct Case {
    const char* name;
    int answer;
    bool saveChosen;
    bool closes;
  } cases[] = {
      {"cancel keeps the tab", IDCANCEL, false, false},
      {"no closes without saving", IDNO, false, true},
      {"yes with a cancelled save keeps the tab", IDYES, false, false},
      {"yes saves and closes", IDYES, true, true},
  };
  testsupport::ScratchDir dir;
  for (const auto& c : cases) {
    CGrid* doc = openInNewTab(u"");
    doc->mOps.setWidthHeight(false, 1, 90);  // a command: the tab is marked modified
    testdriver::pumpUntilIdle();
    ASSERT_TRUE(gTabStrip.tabs.back().modified) << c.name;
    testdriver::AnswerScript answers;
    answers.answer(u"MessageBoxW", c.answer);
    if (c.saveChosen) answers.answer(u"GetSaveFileNameW", 1, {dir.path("saved.csv")});
    const size_t before = gTabStrip.tabs.size();
    gTabStrip.closeTab(static_cast<int32_t>(before - 1));
    testdriver::pumpUntilIdle();
    EXPECT_EQ(gTabStrip.tabs.size(), c.closes ? before - 1 : before) << c.name;
    if (!c.closes) gTabStrip.tabs.back().modified = 0, gTabStrip.closeTab(static_cast<int32_t>(before - 1));
    testdriver::pumpUntilIdle();
  }
  EXPECT_TRUE(std::filesystem::exists(dir.native("saved.csv")));
}

TEST_F(TabsTest, OnlyTheCurrentDocumentsStatisticsReachTheTitle) {
  CGrid* first = openInNewTab(u"");
  first->mCore.setInt64(1, 1, 5);
  first->mCore.setInt64(2, 1, 7);
  openInNewTab(u"");
  testdriver::pumpUntilIdle();
  const std::u16string before = mainTitle();
  first->mSelection.range = Range{1, 1, 2, 1};
  first->selectionChanged();
  gStatThread->join();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), before);
  EXPECT_NE(first->mTitle.find(u"求和=12"), std::u16string::npos);
  gTabStrip.activate(0);
  first->selectionChanged();
  gStatThread->join();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel ( 求和=12 平均=6 计数=2 )");
}

TEST_F(TabsTest, AWorkbookOpensAsOneTabPerSheet) {
  testsupport::ScratchDir dir;
  xl::Book* book = xlCreateXMLBookW();
  for (const char16_t* name : {u"A", u"B", u"C"}) {
    xl::Sheet* sheet = book->addSheet(name);
    sheet->writeStr(0, 0, name);
  }
  ASSERT_TRUE(book->save(dir.path("w.xlsx").c_str()));
  book->release();
  CGrid* first = openInNewTab(dir.path("w.xlsx"));
  ASSERT_EQ(gTabStrip.tabs.size(), 3u);
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"w.xlsx!A", u"w.xlsx!B", u"w.xlsx!C"}));
  EXPECT_EQ(gTabStrip.tabs[1].path, dir.path("w.xlsx") + u"!B");
  EXPECT_EQ(gTabStrip.current, 0);
  EXPECT_EQ(first->mSheetName, u"A");
  EXPECT_EQ(first->mPath, dir.path("w.xlsx"));
  EXPECT_EQ(allDocuments()[2]->mCore.getText(1, 1), u"C");
}
