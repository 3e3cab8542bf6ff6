// The tab strip under the mouse: clicks on tabs, close buttons and scroll buttons, focus
// to the current grid, the input switch, repaints when the pointer moves between close
// buttons, the scroll buttons' states, the first drawn tab after closes, and the tooltip.
#include "tests/controls/TabFixture.h"

namespace {

constexpr uint32_t kMarkOn = 0x505A64, kMarkOff = 0xC3C8CD;  // the scroll arrows' colours

TEST_F(TabTest, ClicksActivateAndCloseTabsAndFocusTheGrid) {
  add(u"A");
  add(u"B");
  add(u"C");
  clickAt(bodyX(0));
  EXPECT_EQ(strip->current, 0);
  EXPECT_EQ(GetFocus(), strip->tabs[0].gridWindow);
  clickAt(closeX(1));
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"A", u"C"}));
  EXPECT_EQ(strip->current, 0);
  clickAt(closeX(0));
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"C"}));
  EXPECT_EQ(GetFocus(), strip->tabs[0].gridWindow) << "focus follows to the new current tab";
  clickAt(bodyX(0) + 150, 3);  // the close button's column, above the button
  EXPECT_EQ(strip->tabs.size(), 1u);
  clickAt(bodyX(3));  // no tab there
  EXPECT_EQ(strip->current, 0);
}

TEST_F(TabTest, HitTestsOfTheRow) {
  add(u"A");
  add(u"B");
  struct Case {
    int x, y, kind, index;
  } cases[] = {
      {bodyX(0), kRowY, TabHit::Body, 0},
      // Slots of 193 pixels start at the left margin (5); the close button is the last 15
      // pixels of a slot, which are the last 15 of its body.
      {5 + kPitch - 1, 6, TabHit::CloseButton, 0},
      {5 + kPitch - 15, 20, TabHit::CloseButton, 0},
      {5 + kPitch - 16, 13, TabHit::Body, 0},
      {5 + kPitch - 1, 21, TabHit::Body, 0},
      {5 + kPitch, 13, TabHit::Body, 1},
      {10, kRowY, TabHit::Body, 0},  // the left edge piece belongs to the slot
      {4, kRowY, TabHit::Nothing, -1},
      {bodyX(1), kRowY, TabHit::Body, 1},
      {bodyX(2), kRowY, TabHit::Nothing, -1},
      {leftButtonX(), kRowY, TabHit::ScrollLeft, -1},
      {rightButtonX(), kRowY, TabHit::ScrollRight, -1},
  };
  for (const Case& c : cases) {
    const POINT p = at(c.x, c.y);
    SetCursorPos(p.x, p.y);
    const TabHit h = strip->hitTest();
    EXPECT_EQ(h.kind, c.kind) << c.x << ", " << c.y;
    if (c.kind == TabHit::Body || c.kind == TabHit::CloseButton) {
      EXPECT_EQ(h.index, c.index) << c.x << ", " << c.y;
      EXPECT_EQ(h.rect.left, 20 + c.index * kPitch);
      EXPECT_EQ(h.rect.right, 20 + c.index * kPitch + 177);
    }
  }
}

// A tab made current by the program (a new or opened document, a close) takes the keyboard
// from the grid it replaces; focus elsewhere (the main window, a dialog) stays there.
TEST_F(TabTest, TheKeyboardFollowsTheCurrentTabOnlyFromTheDocuments) {
  add(u"A");
  SetFocus(strip->tabs[0].gridWindow);
  add(u"B");
  EXPECT_EQ(GetFocus(), strip->tabs[1].gridWindow) << "from the replaced grid";
  strip->closeTab(1);
  EXPECT_EQ(GetFocus(), strip->tabs[0].gridWindow) << "after the current tab closed";
  SetFocus(strip->hwnd);
  add(u"C");
  EXPECT_EQ(GetFocus(), strip->tabs[1].gridWindow) << "from the strip itself";
  SetFocus(main);
  strip->activate(0);
  EXPECT_EQ(GetFocus(), main);
}

TEST_F(TabTest, NothingHappensWhileInputIsDisabled) {
  add(u"A");
  add(u"B");
  add(u"C");
  add(u"D");  // four tabs overflow 800 pixels
  strip->activate(0);
  SetFocus(main);
  gInputEnabled = false;
  clickAt(bodyX(2));
  clickAt(closeX(1));
  clickAt(rightButtonX());
  SendMessageW(strip->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  EXPECT_EQ(strip->current, 0);
  EXPECT_EQ(strip->tabs.size(), 4u);
  EXPECT_EQ(strip->firstVisible, 0);
  EXPECT_EQ(GetFocus(), main);
  EXPECT_EQ(gMainWheels, 0);

  gInputEnabled = true;
  clickAt(bodyX(2));
  EXPECT_EQ(strip->current, 2);
  clickAt(rightButtonX());
  EXPECT_EQ(strip->firstVisible, 1);
  SendMessageW(strip->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
  EXPECT_EQ(gMainWheels, 1) << "the wheel goes on to the main window";
}

TEST_F(TabTest, ScrollButtonsStopAtTheEnds) {
  close();
  open(200);  // not even one tab fits
  add(u"A");
  add(u"B");
  add(u"C");
  clickAt(leftButtonX());
  EXPECT_EQ(strip->firstVisible, 0);
  for (int i = 0; i < 4; ++i) clickAt(rightButtonX());
  EXPECT_EQ(strip->firstVisible, 2) << "stops at the last tab";
  clickAt(leftButtonX());
  EXPECT_EQ(strip->firstVisible, 1);
  clickAt(bodyX(0));
  EXPECT_EQ(strip->current, 1) << "the first drawn tab is tab 1";
}

TEST_F(TabTest, ScrollButtonsShowWhetherTheyCanMove) {
  // The arrows' columns: the left one points left from x 6, the right one right from x 10.
  auto arrows = [&]() {
    testdriver::pumpUntilIdle();
    const int x = clientWidth() - 40 + 3;
    return std::pair{pixel(x + 6, 5 + 8), pixel(x + 17 + 10, 5 + 8)};
  };
  add(u"A");
  add(u"B");
  add(u"C");
  EXPECT_EQ(arrows(), (std::pair{kMarkOff, kMarkOff})) << "three tabs fit";
  add(u"D");
  EXPECT_EQ(arrows(), (std::pair{kMarkOff, kMarkOn}));
  clickAt(rightButtonX());
  EXPECT_EQ(strip->firstVisible, 1);
  EXPECT_EQ(arrows(), (std::pair{kMarkOn, kMarkOff}));
  clickAt(rightButtonX());
  EXPECT_EQ(strip->firstVisible, 1) << "the rest fits";
}

TEST_F(TabTest, TheFirstDrawnTabStaysWithinTheTabsAfterCloses) {
  close();
  open(200);
  add(u"A");
  add(u"B");
  add(u"C");
  for (int i = 0; i < 2; ++i) clickAt(rightButtonX());
  ASSERT_EQ(strip->firstVisible, 2);
  strip->closeTab(2);
  EXPECT_EQ(strip->firstVisible, 1);
  const POINT p = at(bodyX(0));
  SetCursorPos(p.x, p.y);
  EXPECT_EQ(strip->hitTest().index, 1) << "the remaining last tab is drawn and hit";
  strip->closeTab(0);
  EXPECT_EQ(strip->firstVisible, 0);
  strip->closeTab(0);
  EXPECT_EQ(strip->firstVisible, 0);
  EXPECT_TRUE(strip->tabs.empty());
}

TEST_F(TabTest, MovingBetweenCloseButtonsRepaintsTheRow) {
  add(u"A");
  add(u"B");
  auto invalidAfterMoveTo = [&](int x, int y) {
    testdriver::pumpUntilIdle();
    const POINT p = at(x, y);
    SetCursorPos(p.x, p.y);
    SendMessageW(strip->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    RECT r;
    return GetUpdateRect(strip->hwnd, &r, FALSE) != 0;
  };
  EXPECT_FALSE(invalidAfterMoveTo(bodyX(0), kRowY));
  EXPECT_FALSE(invalidAfterMoveTo(bodyX(1), kRowY)) << "body to body";
  EXPECT_TRUE(invalidAfterMoveTo(closeX(0), kRowY)) << "onto a close button";
  EXPECT_FALSE(invalidAfterMoveTo(closeX(0) + 1, kRowY)) << "within the same button";
  EXPECT_TRUE(invalidAfterMoveTo(closeX(1), kRowY)) << "to the next tab's close button";
  EXPECT_TRUE(invalidAfterMoveTo(bodyX(1), kRowY)) << "off a close button";
}

TEST_F(TabTest, TheHoveredCloseButtonIsDrawnLarge) {
  add(u"A");
  const int x = 20 + 178;  // the body's right end
  auto redAt = [&](int px, int py) {
    const uint32_t p = pixel(px, py);
    return ((p >> 16) & 0xFF) > 0xC0 && (p & 0xFF) < 0x90;
  };
  EXPECT_FALSE(redAt(x - 14, 7));
  const POINT p = at(closeX(0));
  testdriver::mouseMove(p);
  testdriver::pumpUntilIdle();
  EXPECT_TRUE(redAt(x - 14, 7)) << "the 14 x 14 button of the current tab";
}

struct TipCase {
  const char* name;
  int x;  // client x; the row's middle
  std::u16string text;
};

void PrintTo(const TipCase& c, std::ostream* os) { *os << c.name; }

class TabTip : public TabTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(TabTip, TextByWhatLiesUnderThePointer) {
  add(u"销售数据.csv");
  add(std::u16string(100, u'长'));
  const TipCase& c = GetParam();
  const int x = c.x >= 0 ? c.x : clientWidth() + c.x;
  EXPECT_EQ(tipAt(x), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, TabTip,
                         ::testing::Values(TipCase{"CloseButton", 20 + 178 - 8, u"关闭文件"},
                                           TipCase{"ScrollLeft", -40 + 3 + 8, u"前一个标签"},
                                           TipCase{"ScrollRight", -40 + 3 + 17 + 8, u"后一个标签"},
                                           TipCase{"Body", 80, u"销售数据.csv"},
                                           TipCase{"LongTitleCut", 80 + 193, std::u16string(79, u'长')},
                                           TipCase{"Nothing", 20 + 2 * 193 + 60, u""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabTest, TheTooltipControlShowsTheTitle) {
  add(u"客户名单.txt");
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, main, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(tip, nullptr);
  strip->tooltip = tip;
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = strip->hwnd;
  ti.uId = 1;
  GetClientRect(strip->hwnd, &ti.rect);
  ti.lpszText = LPSTR_TEXTCALLBACKW;
  ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
  testdriver::mouseMove(at(bodyX(0)));
  testdriver::advance(100);
  testdriver::mouseMove(at(bodyX(0) + 1));
  testdriver::advance(700);
  EXPECT_TRUE(IsWindowVisible(tip));
  char16_t text[80] = {};
  GetWindowTextW(tip, text, 80);
  EXPECT_EQ(std::u16string(text), u"客户名单.txt");
  testdriver::mouseMove(at(bodyX(0), 150));  // off the row
  testdriver::advance(300);
  DestroyWindow(tip);
}

}  // namespace
