// The documents of the running program and their tabs: a tab follows its document's file
// whichever road opened or saved it (keys, menu, workbook sheets, a failed load), the save
// dialog proposes the document's own folder, a failed save leaves the document where it
// was, and the window's title names the current tab's file.
#include <filesystem>
#include <functional>
#include <string>

#include "platform/xl/xl.h"
#include "resources/GridIds.h"
#include "store/DataCore.h"
#include "store/ExcelBook.h"
#include "tests/app/AppFixture.h"

namespace {

const std::u16string kNew = u"新表格";

// A workbook of the named sheets, each holding its name in A1. The sheet `far` (when
// not negative) also has a cell at the last row and column a workbook can have: a sheet
// reaching it does not fit in memory, so it cannot be loaded.
void writeBook(const std::u16string& path, const std::vector<std::u16string>& names, int far = -1) {
  xl::Book* book = xlCreateXMLBookW();
  for (size_t i = 0; i < names.size(); ++i) {
    xl::Sheet* sheet = book->addSheet(names[i].c_str());
    sheet->writeStr(0, 0, names[i].c_str());
    if (static_cast<int>(i) == far) sheet->writeStr(1048575, 16383, u"far");
  }
  ASSERT_TRUE(book->save(path.c_str()));
  book->release();
}

}  // namespace

class DocumentsTest : public AppTest {
 public:
  // The menu's open command choosing `path`.
  void openFromMenu(const std::u16string& path) {
    answers->answer(u"GetOpenFileNameW", 1, {path});
    choose(ID_OPEN);
  }
  const CCTab::CTabData& currentTab() const { return gTabStrip.tabs.at(gTabStrip.current); }
  // Keys at the current document's window.
  void keysAtDocument(int vk, unsigned modifiers) {
    SetFocus(currentDocument()->mHwnd);
    keys(vk, modifiers);
  }

  testdriver::AnswerScript* answers = nullptr;
};

// Whichever sheet of a workbook fails to load, its tab is an untitled table without a
// path; the other sheets keep theirs, and Ctrl+S on the failed one asks for a new path
// instead of writing the empty sheet into the book.
TEST_F(DocumentsTest, ASheetThatFailsToLoadLeavesItsTabUntitled) {
  struct Case {
    const char* name;
    int failing;
    int messages;  // "打开文件失败：" boxes: the first sheet's is reported by the open too
    std::vector<std::u16string> titles;
  } cases[] = {
      {"first sheet", 0, 2, {kNew, kNew + u"1", u"w.xlsx!B", u"w.xlsx!C"}},
      {"second sheet", 1, 1, {kNew, u"w.xlsx!A", kNew + u"1", u"w.xlsx!C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript script;
    answers = &script;
    start();
    const std::u16string book = dir.path("w.xlsx");
    writeBook(book, {u"A", u"B", u"C"}, c.failing);
    const std::string before = testsupport::readBytes(dir.native("w.xlsx"));
    for (int i = 0; i < c.messages; ++i) script.answer(u"MessageBoxW", IDOK);
    openFromMenu(book);
    EXPECT_EQ(titles(), c.titles);
    EXPECT_EQ(answers->callsOf(u"MessageBoxW"), static_cast<size_t>(c.messages));
    const CCTab::CTabData& failed = gTabStrip.tabs.at(1 + c.failing);
    EXPECT_TRUE(failed.path.empty());
    EXPECT_TRUE(failed.document->mPath.empty());
    const CCTab::CTabData& other = gTabStrip.tabs.at(c.failing == 0 ? 2 : 1);
    EXPECT_EQ(other.path, book + u"!" + (c.failing == 0 ? u"B" : u"A"));
    EXPECT_EQ(other.document->mPath, book);

    gTabStrip.activate(1 + c.failing);
    pump();
    script.answer(u"GetSaveFileNameW", 0);
    keysAtDocument('S', testdriver::Ctrl);
    EXPECT_EQ(answers->callsOf(u"GetSaveFileNameW"), 1u);
    EXPECT_TRUE(testsupport::readBytes(dir.native("w.xlsx")) == before) << "the book is as it was";
    TearDown();
    SetUp();
  }
}

// Every road that gives a document a new file renames its tab: keys in the grid, the
// menu, a first save of an untitled table; opening that file again then finds the tab.
// Saving a workbook's sheet keeps the sheet in its tab's name.
TEST_F(DocumentsTest, TheTabFollowsTheDocumentsFileOnEveryRoad) {
  using T = DocumentsTest;
  struct Case {
    const char* name;
    std::function<void(T&)> act;  // with a.csv current
    const char* file;             // the document's file afterwards
    const char16_t* sheet;        // its sheet (the tab's path and title end in "!" sheet); null: none
  } cases[] = {
      {"Save As by Ctrl+Alt+S in the grid",
       [](T& t) {
         t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("b.csv")});
         t.keysAtDocument('S', testdriver::Ctrl | testdriver::Alt);
       },
       "b.csv", nullptr},
      {"Save As from the menu",
       [](T& t) {
         t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("b.csv")});
         t.choose(ID_SAVE_AS);
       },
       "b.csv", nullptr},
      {"Save filtered from the menu",
       [](T& t) {
         t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("b.csv")});
         t.choose(ID_SAVE_FILTERED);
       },
       "b.csv", nullptr},
      {"Ctrl+O in the grid",
       [](T& t) {
         testsupport::writeBytes(t.dir.native("o.csv"), "o\n");
         t.answers->answer(u"GetOpenFileNameW", 1, {t.dir.path("o.csv")});
         t.keysAtDocument('O', testdriver::Ctrl);
       },
       "o.csv", nullptr},
      {"Ctrl+S of an untitled table",
       [](T& t) {
         t.choose(ID_NEW);
         t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("n.csv")});
         t.keysAtDocument('S', testdriver::Ctrl);
       },
       "n.csv", nullptr},
      {"Ctrl+S of an untitled table into a workbook, twice",
       [](T& t) {
         t.choose(ID_NEW);
         currentDocument()->mCore.setText(1, 1, u"一");
         t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("n.xlsx")});
         t.keysAtDocument('S', testdriver::Ctrl);
         currentDocument()->mCore.setText(1, 1, u"二");
         t.keysAtDocument('S', testdriver::Ctrl);
         EXPECT_EQ(t.answers->callsOf(u"MessageBoxW"), 0u) << "both saves succeed";
         CDataCore read;
         ExcelBook book(read, t.dir.path("n.xlsx"), true, true);
         ASSERT_TRUE(book.importSheet(0));
         EXPECT_EQ(read.getText(1, 1), u"二");
       },
       "n.xlsx", u"sheet1"},
      {"save of a workbook's sheet from the menu",
       [](T& t) {
         writeBook(t.dir.path("w.xlsx"), {u"A", u"B"});
         t.openFromMenu(t.dir.path("w.xlsx"));
         gTabStrip.activate(2);
         t.pump();
         t.choose(ID_SAVE);
       },
       "w.xlsx", u"B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript script;
    answers = &script;
    testsupport::writeBytes(dir.native("a.csv"), "a\n");
    start(quoted(dir.path("a.csv")));
    c.act(*this);
    pump();
    const std::u16string path = dir.path(c.file);
    const std::u16string tabPath = c.sheet ? path + u"!" + c.sheet : path;
    EXPECT_EQ(currentDocument()->mPath, path);
    EXPECT_EQ(currentTab().path, tabPath);
    EXPECT_EQ(currentTab().title, tabPath.substr(tabPath.rfind(u'/') + 1));
    if (!c.sheet) {
      const int32_t current = gTabStrip.current;
      const size_t count = gTabStrip.tabs.size();
      openFromMenu(path);
      EXPECT_EQ(gTabStrip.tabs.size(), count) << "no second tab on the file";
      EXPECT_EQ(gTabStrip.current, current);
    }
    TearDown();
    SetUp();
  }
}

// The save dialog of Save As (and of every save that asks) proposes the document's path
// without its file's extension, so the chooser opens in the document's folder.
TEST_F(DocumentsTest, TheSaveDialogProposesTheDocumentsPathWithoutItsExtension) {
  std::filesystem::create_directories(dir.native("v1.2"));
  for (const char* name : {"f.csv", "v1.2/g.csv", "v1.2/h"}) testsupport::writeBytes(dir.native(name), "x\n");
  struct Case {
    const char* name;
    std::u16string document;  // opened into the tab; empty: the untitled table
    std::u16string proposed;
  } cases[] = {
      {"a csv file", dir.path("f.csv"), dir.path("f")},
      {"a folder with a dot", dir.path("v1.2/g.csv"), dir.path("v1.2/g")},
      {"a file without an extension in a folder with a dot", dir.path("v1.2/h"), dir.path("v1.2/h")},
      {"a table never saved", u"", u"New.mvt"},
  };
  testdriver::AnswerScript script;
  answers = &script;
  start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.document.empty()) choose(ID_NEW);
    else openFromMenu(c.document);
    script.answer(u"GetSaveFileNameW", 0);
    keysAtDocument('S', testdriver::Ctrl | testdriver::Alt);
    const platform::BlockingCall* call = answers->lastCall(u"GetSaveFileNameW");
    ASSERT_NE(call, nullptr);
    const std::u16string flags = [] {
      const std::string s = std::to_string(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);
      return std::u16string(s.begin(), s.end());
    }();
    EXPECT_EQ(call->args, (std::vector<std::u16string>{
                              u"保存到", u"mvt文件|*.mvt|csv文件|*.csv|txt文件|*.txt|xls文件|*.xls|xlsx文件|*.xlsx",
                              c.proposed, u"mvt", u"", u"overwrite", flags}));
  }
}

// A Save As or Save filtered that fails leaves a paged document the page of its file:
// the path and the page stay, so the next Ctrl+S writes the page back into that file.
TEST_F(DocumentsTest, AFailedSaveAsLeavesAPagedDocumentItsFile) {
  using T = DocumentsTest;
  struct Case {
    const char* name;
    std::function<void(T&)> saveAs;
  } cases[] = {
      {"Save As by Ctrl+Alt+S", [](T& t) { t.keysAtDocument('S', testdriver::Ctrl | testdriver::Alt); }},
      {"Save filtered from the menu", [](T& t) { t.choose(ID_SAVE_FILTERED); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript script;
    answers = &script;
    std::string text = "h\n";
    for (int i = 1; i <= 9; ++i) text += "r" + std::to_string(i) + "\n";
    testsupport::writeBytes(dir.native("p.csv"), text);
    start();
    const std::u16string page = dir.path("p.csv");
    script.answer(u"DialogBoxParamW", 1030, {u"1003=" + page, u"1004=3", u"1005=4", u"1000:0"});
    choose(ID_PAGED_OPEN);
    CGrid* doc = currentDocument();
    ASSERT_EQ(doc->mPage.path, page);
    ASSERT_EQ(doc->mCore.getText(1, 1), u"r2");

    script.answer(u"GetSaveFileNameW", 1, {dir.path("missing/x.csv")});
    script.answer(u"MessageBoxW", IDOK);
    c.saveAs(*this);
    pump();
    EXPECT_EQ(answers->lastCall(u"MessageBoxW")->args.at(0), u"保存文件失败：" + dir.path("missing/x.csv"));
    EXPECT_EQ(doc->mPath, page);
    EXPECT_EQ(doc->mPage.path, page);
    EXPECT_EQ(currentTab().path, page);
    EXPECT_EQ(windowText(gMainWnd), page + u"[3/4] - Morvel");

    doc->mCore.setText(1, 1, u"R2");
    keysAtDocument('S', testdriver::Ctrl);
    EXPECT_EQ(answers->callsOf(u"MessageBoxW"), 1u) << "the write-back is not refused";
    std::string expected = text;
    expected.replace(expected.find("r2"), 2, "R2");
    EXPECT_EQ(testsupport::readBytes(dir.native("p.csv")), expected);
    TearDown();
    SetUp();
  }
}

// The title names the current tab's file, with the page part and the statistics that
// document last showed, whenever the current tab changes: by a click on a tab and when
// the current tab closes.
TEST_F(DocumentsTest, TheTitleFollowsTheCurrentTab) {
  testdriver::AnswerScript script;
  answers = &script;
  testsupport::writeBytes(dir.native("a.csv"), "1\n2\n");
  testsupport::writeBytes(dir.native("b.csv"), "3\n");
  start(quoted(dir.path("a.csv")));
  CGrid* a = currentDocument();
  a->mSelection.range = Range{1, 1, 2, 1};
  a->selectionChanged();
  gStatThread->join();
  pump();
  const std::u16string aTitle = dir.path("a.csv") + u" - Morvel ( 求和=3 平均=1.5 计数=2 )";
  ASSERT_EQ(windowText(gMainWnd), aTitle);
  openFromMenu(dir.path("b.csv"));
  ASSERT_EQ(windowText(gMainWnd), dir.path("b.csv") + u" - Morvel");

  // The strip's row: the first tab's body starts after the left margin and edge piece.
  const auto tabPoint = [](int i) {
    const int x = gTabStrip.leftMargin + gTabStrip.separatorWidth +
                  i * (gTabStrip.tabWidth + gTabStrip.separatorWidth);
    return testdriver::screenPoint(gTabStrip.hwnd, x + gTabStrip.tabWidth / 3, gTabStrip.height / 2);
  };
  testdriver::click(tabPoint(0));
  pump();
  ASSERT_EQ(gTabStrip.current, 0);
  EXPECT_EQ(windowText(gMainWnd), aTitle);
  testdriver::click(tabPoint(1));
  pump();
  ASSERT_EQ(gTabStrip.current, 1);
  EXPECT_EQ(windowText(gMainWnd), dir.path("b.csv") + u" - Morvel");
  gTabStrip.closeTab(1);
  pump();
  EXPECT_EQ(windowText(gMainWnd), aTitle);
}

// "批量保存过滤" writes every document's visible rows to its own file: a workbook's sheet
// goes back into its book, so the book keeps its other sheets and only that sheet loses
// the hidden row.
TEST_F(DocumentsTest, BatchSaveFilteredKeepsAWorkbooksOtherSheets) {
  testdriver::AnswerScript script;
  answers = &script;
  start();
  const std::u16string path = dir.path("w.xlsx");
  {
    xl::Book* book = xlCreateXMLBookW();
    for (const char16_t* name : {u"A", u"B"}) {
      xl::Sheet* sheet = book->addSheet(name);
      sheet->writeStr(0, 0, name);
      sheet->writeStr(1, 0, u"keep");
      sheet->writeStr(2, 0, u"drop");
    }
    ASSERT_TRUE(book->save(path.c_str()));
    book->release();
  }
  openFromMenu(path);
  ASSERT_EQ(titles(), (std::vector<std::u16string>{kNew, u"w.xlsx!A", u"w.xlsx!B"}));
  CGrid* b = gTabStrip.tabs.at(2).document;
  b->mCore.mDatas[3][0].flag = 1;  // row 3 ("drop") of sheet B hidden
  choose(32957);

  xl::Book* book = xlCreateXMLBookW();
  ASSERT_TRUE(book->load(path.c_str()));
  ASSERT_EQ(book->sheetCount(), 2);
  const char16_t* expected[2][3] = {{u"A", u"keep", u"drop"}, {u"B", u"keep", nullptr}};
  for (int s = 0; s < 2; ++s) {
    xl::Sheet* sheet = book->getSheet(s);
    for (int r = 0; r < 3; ++r) {
      const char16_t* text = sheet->readStr(r, 0);
      SCOPED_TRACE(testing::Message() << "sheet " << s << " row " << r);
      if (expected[s][r]) {
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::u16string(text), expected[s][r]);
      } else {
        EXPECT_TRUE(text == nullptr || std::u16string(text).empty());
      }
    }
  }
  book->release();
}
