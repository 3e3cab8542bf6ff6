// The main window: closing it with modified tabs, the layout of the strip and the
// documents on WM_SIZE, and its picture.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/gdi/Surface.h"
#include "platform/png/Png.h"
#include "tests/app/AppFixture.h"
#include "tests/support/Picture.h"

namespace {

const char16_t kQuestion[] = u"文件已经改变，是否要保存?";

}  // namespace

class MainWindowTest : public AppTest {
 protected:
  // Three tabs: a modified file in its own folder, a clean file, and a modified table
  // that was never saved; the third is current.
  void startWithThreeTabs() {
    std::filesystem::create_directories(dir.native("sub"));
    testsupport::writeBytes(dir.native("sub/a.csv"), "a\n");
    testsupport::writeBytes(dir.native("b.csv"), "b\n");
    start(quoted(dir.path("sub/a.csv")));
    openPath(dir.path("b.csv"));
    openInNewTab(u"");
    pump();
    for (int i : {0, 2}) {
      gTabStrip.tabs[i].document->mCore.setText(1, 1, u"changed");
      gTabStrip.tabs[i].modified = 1;
    }
  }
  // The tab index of each save question asked, in order.
  std::vector<int> questions(const testdriver::AnswerScript& script) const {
    std::vector<int> out;
    for (const auto& r : script.calls()) {
      if (r.call.kind != u"MessageBoxW" || r.call.args.at(0) != kQuestion) continue;
      int index = -1;
      for (size_t i = 0; i < grids.size(); ++i)
        if (grids[i] == r.call.owner) index = static_cast<int>(i);
      out.push_back(index);
    }
    return out;
  }
  std::vector<HWND> grids;
};

TEST_F(MainWindowTest, ClosingAsksForEachModifiedTabAndCancelOrAFailedSaveKeepsEverything) {
  enum Via { CloseBox, AltF4, Exit };
  struct Case {
    const char* name;
    Via via;
    std::vector<int> answers;  // to the questions, in order
    bool removeFolder;         // the first tab's folder is gone before the close
    bool cancelSaveDialog;     // the never-saved table's save dialog is cancelled
    std::vector<int> asked;    // the tabs asked, in order
    bool gone;                 // the main window was destroyed
    const char* firstFile;     // sub/a.csv afterwards; null: removed with its folder
  } cases[] = {
      {"close box, No twice", CloseBox, {IDNO, IDNO}, false, false, {0, 2}, true, "a\n"},
      {"Alt+F4, Yes then No", AltF4, {IDYES, IDNO}, false, false, {0, 2}, true, "changed\r\n"},
      {"exit, Cancel first", Exit, {IDCANCEL}, false, false, {0}, false, "a\n"},
      {"exit, No then Yes, save dialog cancelled", Exit, {IDNO, IDYES}, false, true, {0, 2}, false, "a\n"},
      {"close box, Yes into a removed folder", CloseBox, {IDYES}, true, false, {0}, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testdriver::AnswerScript script;
    startWithThreeTabs();
    grids.clear();
    for (const auto& tab : gTabStrip.tabs) grids.push_back(tab.gridWindow);
    for (int a : c.answers) script.answer(u"MessageBoxW", a);
    if (c.cancelSaveDialog) script.answer(u"GetSaveFileNameW", 0);
    if (c.removeFolder) std::filesystem::remove_all(dir.native("sub"));
    testdriver::PumpResult r;
    switch (c.via) {
      case CloseBox:
        testdriver::closeBox(gMainWnd);
        r = pump();
        break;
      case AltF4:
        SetFocus(grids[2]);
        r = keys(VK_F4, testdriver::Alt);
        break;
      case Exit:
        platform::chooseMenuCommand(gMainWnd, 105);
        r = pump();
        break;
    }
    EXPECT_EQ(questions(script), c.asked);
    EXPECT_EQ(gMainWnd == nullptr, c.gone);
    EXPECT_EQ(r.quit, c.gone);
    if (c.gone) EXPECT_EQ(r.exitCode, 0);
    if (!c.gone) {
      ASSERT_EQ(gTabStrip.tabs.size(), 3u);
      EXPECT_TRUE(gTabStrip.tabs[0].modified);
      EXPECT_TRUE(gTabStrip.tabs[2].modified);
      EXPECT_EQ(gTabStrip.tabs[2].title, u"新表格");
      EXPECT_TRUE(IsWindow(grids[0]) && IsWindow(grids[1]) && IsWindow(grids[2]));
    }
    if (c.firstFile) EXPECT_EQ(testsupport::readBytes(dir.native("sub/a.csv")), c.firstFile);
    EXPECT_EQ(testsupport::readBytes(dir.native("b.csv")), "b\n");
    TearDown();
    SetUp();
  }
}

TEST_F(MainWindowTest, CleanTabsCloseWithoutAQuestion) {
  testdriver::AnswerScript script;
  start();
  openInNewTab(u"");
  testdriver::closeBox(gMainWnd);
  const testdriver::PumpResult r = pump();
  EXPECT_TRUE(r.quit);
  EXPECT_TRUE(script.calls().empty());
  EXPECT_EQ(gMainWnd, nullptr);
}

TEST_F(MainWindowTest, ATabWhoseSaveFailsStaysModified) {
  testdriver::AnswerScript script;
  startWithThreeTabs();
  std::filesystem::remove_all(dir.native("sub"));
  script.answer(u"MessageBoxW", IDYES);
  gTabStrip.closeTab(0);
  pump();
  ASSERT_EQ(gTabStrip.tabs.size(), 3u);
  EXPECT_TRUE(gTabStrip.tabs[0].modified);
  EXPECT_EQ(gTabStrip.tabs[0].title, u"a.csv");
  EXPECT_TRUE(IsWindow(gTabStrip.tabs[0].gridWindow));
}

TEST_F(MainWindowTest, SizingPlacesTheStripAndEveryDocumentBelowItsRow) {
  start();
  openInNewTab(u"");
  struct Case {
    int clientHeight;
  } cases[] = {{500}, {29}, {10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clientHeight);
    RECT frame{}, client{};
    GetWindowRect(gMainWnd, &frame);
    GetClientRect(gMainWnd, &client);
    const int extra = (frame.bottom - frame.top) - client.bottom;
    MoveWindow(gMainWnd, 20, 20, 700, c.clientHeight + extra, TRUE);
    pump();
    GetClientRect(gMainWnd, &client);
    ASSERT_EQ(client.bottom, c.clientHeight);
    RECT strip{};
    GetClientRect(gTabStrip.hwnd, &strip);
    EXPECT_EQ(strip.right, client.right + 1);
    EXPECT_EQ(strip.bottom, client.bottom + 1);
    for (const auto& tab : gTabStrip.tabs) {
      RECT g{};
      GetWindowRect(tab.gridWindow, &g);
      POINT origin{g.left, g.top};
      ScreenToClient(gTabStrip.hwnd, &origin);
      if (strip.bottom > gTabStrip.height) {
        EXPECT_EQ(origin.x, 0);
        EXPECT_EQ(origin.y, gTabStrip.height);
        EXPECT_EQ(g.right - g.left, strip.right + 1);
        EXPECT_EQ(g.bottom - g.top, strip.bottom - gTabStrip.height + 1);
      } else {
        EXPECT_EQ(origin.x, 0);
        EXPECT_EQ(origin.y, 0);
        EXPECT_EQ(g.right - g.left, 1);
        EXPECT_EQ(g.bottom - g.top, 1);
      }
    }
  }
}

TEST_F(MainWindowTest, PictureOfTheMainWindow) {
  testsupport::writeBytes(dir.native("城市.csv"),
                          "城市,人口,面积\n北京,2189,16410\n上海,2487,6340\n广州,1868,7434\n");
  start(quoted(dir.path("城市.csv")));
  MoveWindow(gMainWnd, 20, 20, 760, 420, TRUE);
  openInNewTab(u"");
  gTabStrip.tabs[1].document->mCore.setText(1, 1, u"改");
  gTabStrip.tabs[1].document->onCommand(32895);  // an undoable change: the tab is modified
  pump();
  ASSERT_TRUE(gTabStrip.tabs[1].modified);
  gTabStrip.activate(0);
  CGrid* grid = currentDocument();
  grid->mSelection.range = Range{2, 2, 4, 3};
  grid->mSelection.anchorRow = 2;
  grid->mSelection.anchorCol = 2;
  grid->selectionChanged();
  // The statistics come from their worker thread.
  for (int i = 0; i < 500 && windowText(gMainWnd).find(u"36728") == std::u16string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    pump();
  }
  grid->invalidate();
  pump();
  const std::u16string title = windowText(gMainWnd);
  EXPECT_NE(title.find(u"城市.csv"), std::u16string::npos) << "the path in the title";
  EXPECT_NE(title.find(u"36728"), std::u16string::npos) << "the selection's sum in the title";

  // The frame headless is not drawn: a caption row with the title, the menu bar, then
  // the client area.
  const Surface menu = platform::menuBarPixels(gMainWnd);
  const Surface client = testdriver::windowPixels(gMainWnd);
  ASSERT_GT(menu.height, 0);
  const int caption = 26;
  Surface picture;
  picture.resize(std::max(menu.width, client.width), caption + menu.height + client.height);
  for (int y = 0; y < caption; ++y)
    for (int x = 0; x < picture.width; ++x) picture.row(y)[x] = 0x2B5797;
  for (int y = 0; y < menu.height; ++y) std::copy(menu.row(y), menu.row(y) + menu.width, picture.row(caption + y));
  for (int y = 0; y < client.height; ++y)
    std::copy(client.row(y), client.row(y) + client.width, picture.row(caption + menu.height + y));
  HDC dc = createSurfaceDC(&picture, POINT{0, 0}, RECT{0, 0, picture.width, caption});
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutW(dc, 8, 5, title.c_str(), static_cast<int>(title.size()));
  DeleteDC(dc);
  ASSERT_TRUE(writePng(picture, testsupport::picturePath("app", "main_window.png").string()));

  // Probes: the caption holds text, the tab row is drawn, the selection is tinted.
  int light = 0;
  for (int x = 8; x < 300; ++x) light += picture.at(x, 13) == 0xFFFFFF;
  EXPECT_GT(light, 0) << "title text";
  const int clientTop = caption + menu.height;
  EXPECT_NE(picture.at(5, clientTop + gTabStrip.height - 1), 0xFFFFFF) << "the line under the tab row";
}
