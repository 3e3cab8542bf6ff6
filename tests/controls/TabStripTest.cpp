// The tab strip's tabs: adding and activating with their callbacks and grid windows,
// closing (which tab becomes current, vetoes, the area below the row, the first drawn
// tab), titles made unique, finding and renaming, and the modified mark by message.
#include "tests/controls/TabFixture.h"

namespace {

using Log = std::vector<std::u16string>;

TEST_F(TabTest, AddingActivatesTheNewTabAndShowsOnlyItsGrid) {
  add(u"A");
  add(u"B");
  EXPECT_EQ(strip->current, 1);
  EXPECT_EQ(log, (Log{u"add A", u"activate A", u"add B", u"deactivate A", u"activate B"}));
  EXPECT_EQ(strip->tabs[0].active, 0);
  EXPECT_EQ(strip->tabs[1].active, 1);
  EXPECT_FALSE(IsWindowVisible(strip->tabs[0].gridWindow));
  EXPECT_TRUE(IsWindowVisible(strip->tabs[1].gridWindow));

  log.clear();
  strip->activate(0);
  EXPECT_EQ(log, (Log{u"deactivate B", u"activate A"}));
  EXPECT_TRUE(IsWindowVisible(strip->tabs[0].gridWindow));
  EXPECT_FALSE(IsWindowVisible(strip->tabs[1].gridWindow));

  log.clear();
  strip->activate(0);
  EXPECT_EQ(log, (Log{u"deactivate A", u"activate A"})) << "the current tab is hidden and shown again";
  EXPECT_TRUE(IsWindowVisible(strip->tabs[0].gridWindow));
  strip->activate(2);
  strip->activate(-1);
  EXPECT_EQ(strip->current, 0);
  EXPECT_EQ(log.size(), 2u) << "indices out of range change nothing";
}

TEST_F(TabTest, OnAddSeesTheTabBeforeItIsStored) {
  CCTab::CTabData tab;
  tab.title = u"draft";
  tab.onAdd = [](CCTab::CTabData& t) { t.title += u"!"; };
  strip->addTab(tab);
  EXPECT_EQ(strip->tabs.at(0).title, u"draft!");
  EXPECT_EQ(tab.title, u"draft") << "the strip keeps a copy";
}

struct CloseCase {
  const char* name;
  int tabs;
  int current;
  int close;
  int expectedCurrent;
  Log expectedLog;  // after the close
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class TabClose : public TabTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(TabClose, TheRightTabBecomesCurrent) {
  const CloseCase& c = GetParam();
  const std::u16string names[] = {u"A", u"B", u"C"};
  for (int i = 0; i < c.tabs; ++i) add(names[i]);
  strip->activate(c.current);
  const std::u16string keep = strip->tabs[c.current].title;
  log.clear();
  strip->closeTab(c.close);
  ASSERT_EQ(static_cast<int>(strip->tabs.size()), c.tabs - 1);
  EXPECT_EQ(strip->current, c.expectedCurrent);
  EXPECT_EQ(log, c.expectedLog);
  for (int i = 0; i < c.tabs - 1; ++i) {
    EXPECT_EQ(strip->tabs[i].active, i == c.expectedCurrent ? 1 : 0) << i;
    EXPECT_EQ(IsWindowVisible(strip->tabs[i].gridWindow) != 0, i == c.expectedCurrent) << i;
  }
  if (c.close != c.current) EXPECT_EQ(strip->tabs[strip->current].title, keep);
}

INSTANTIATE_TEST_SUITE_P(Cases, TabClose,
                         ::testing::Values(CloseCase{"OnlyTab", 1, 0, 0, -1, {}},
                                           CloseCase{"CurrentLastOfThree", 3, 2, 2, 1, {u"activate B"}},
                                           CloseCase{"CurrentFirstOfThree", 3, 0, 0, 0, {u"activate B"}},
                                           CloseCase{"CurrentMiddle", 3, 1, 1, 1, {u"activate C"}},
                                           CloseCase{"LeftOfTheCurrent", 3, 2, 0, 1, {}},
                                           CloseCase{"RightOfTheCurrent", 3, 0, 2, 0, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabTest, CloseIndicesOutOfRangeAreIgnored) {
  add(u"A");
  strip->closeTab(1);
  strip->closeTab(-1);
  EXPECT_EQ(strip->tabs.size(), 1u);
}

TEST_F(TabTest, AVetoKeepsTheTabAndTheCurrentIndex) {
  add(u"A");
  add(u"B");
  int asked = 0;
  strip->tabs[1].onCloseQuery = [&](CCTab::CTabData& t) {
    ++asked;
    EXPECT_EQ(t.title, u"B");
    return false;
  };
  log.clear();
  strip->closeTab(1);
  clickAt(closeX(1));  // the close button asks the same way
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(titles(), (Log{u"A", u"B"}));
  EXPECT_EQ(strip->current, 1);
  EXPECT_TRUE(log.empty());
}

TEST_F(TabTest, ClosingTheLastTabClearsTheAreaBelowTheRow) {
  add(u"A");
  EXPECT_EQ(pixel(400, 100), 0x0000FFu) << "the grid window painted";
  strip->tabs[0].onCloseQuery = [](CCTab::CTabData& t) {
    DestroyWindow(t.gridWindow);  // what the shell's handler does
    return true;
  };
  strip->closeTab(0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(strip->current, -1);
  EXPECT_EQ(pixel(400, 100), 0xFFFFFFu);
  EXPECT_EQ(pixel(clientWidth() - 1, 199), 0xFFFFFFu);
}

TEST_F(TabTest, UniqueTitlesCountUpFromOne) {
  add(u"表");
  add(u"表1");
  add(u"data");
  EXPECT_EQ(strip->uniqueTitle(u"表"), u"表2");
  EXPECT_EQ(strip->uniqueTitle(u"data"), u"data1");
  EXPECT_EQ(strip->uniqueTitle(u"new"), u"new");
  EXPECT_EQ(strip->uniqueTitle(u"表1"), u"表11");
  strip->tabs[1].title = u"表2";
  EXPECT_EQ(strip->uniqueTitle(u"表"), u"表1") << "the first number free";
}

TEST_F(TabTest, FindingByPathAndTitleIsExact) {
  add(u"a.csv", u"/data/a.csv");
  add(u"b.csv", u"/data/B.csv");
  add(u"a.csv", u"/other/a.csv");
  EXPECT_EQ(strip->findByPath(u"/data/B.csv"), 1);
  EXPECT_EQ(strip->findByPath(u"/data/b.csv"), -1) << "case counts";
  EXPECT_EQ(strip->findByPath(u""), -1);
  EXPECT_EQ(strip->findByTitle(u"a.csv"), &strip->tabs[0]) << "the first of two";
  EXPECT_EQ(strip->findByTitle(u"A.csv"), nullptr);
}

TEST_F(TabTest, RenamingTheCurrentTabTakesTheFileName) {
  strip->renameCurrent(u"/x/y.csv");  // no tab: nothing
  add(u"新建1");
  add(u"新建2");
  strip->activate(0);
  strip->renameCurrent(u"D:\\报表\\月度.csv");
  EXPECT_EQ(strip->tabs[0].title, u"月度.csv");
  EXPECT_EQ(strip->tabs[0].path, u"D:\\报表\\月度.csv");
  EXPECT_EQ(strip->tabs[1].title, u"新建2");
  strip->renameCurrent(u"plain.txt");
  EXPECT_EQ(strip->tabs[0].title, u"plain.txt");
}

TEST_F(TabTest, ModifiedMessagesMarkTheTabOfTheGridWindow) {
  add(u"A");
  add(u"B");
  const Surface before = testdriver::windowPixels(strip->hwnd);
  HWND grid = strip->tabs[0].gridWindow;
  EXPECT_EQ(SendMessageW(strip->hwnd, WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(grid), 1), 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(strip->tabs[0].modified, 1);
  EXPECT_EQ(strip->tabs[1].modified, 0);
  EXPECT_NE(testdriver::windowPixels(strip->hwnd).pixels, before.pixels) << "the \"*\" is drawn";

  SendMessageW(strip->hwnd, WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(main), 1);  // no tab's window
  PostMessageW(strip->hwnd, WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(grid), 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(strip->tabs[0].modified, 0);
  EXPECT_EQ(strip->tabs[1].modified, 0);
  EXPECT_EQ(testdriver::windowPixels(strip->hwnd).pixels, before.pixels) << "the \"*\" is gone";
}

TEST_F(TabTest, AStripWindowWithoutItsObjectServesTheGlobalStrip) {
  HWND window =
      CreateWindowExW(0, u"Tab2", u"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 100, main, nullptr, nullptr, nullptr);
  gTabStrip.hwnd = window;
  gTabStrip.canvas.mOwner = window;
  gTabStrip.canvas.begin(RECT{0, 0, 299, 28});
  CCTab::CTabData tab;
  tab.title = u"全局";
  tab.gridWindow = main;  // any window will do
  gTabStrip.addTab(tab);
  SendMessageW(window, WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(main), 1);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(gTabStrip.tabs.at(0).modified, 1);
  DestroyWindow(window);
  gTabStrip.tabs.clear();
  gTabStrip.current = -1;
  gTabStrip.hwnd = nullptr;
  gTabStrip.canvas.end();
}

}  // namespace
