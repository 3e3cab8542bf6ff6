// "List2" content size, scrolling (scroll bars, wheel, refresh after rows went away) and
// painting: background, selected rows, rows cut by the scroll offset, first lines and the
// count suffix, content width learned while painting.
#include <algorithm>

#include "tests/controls/ListFixture.h"

namespace {

int scrollPos(HWND hwnd, int bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd, bar, &si);
  return si.nPos;
}

SCROLLINFO scrollInfo(HWND hwnd, int bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd, bar, &si);
  return si;
}

bool redish(uint32_t p) { return ((p >> 16) & 0xFF) > (p & 0xFF) + 40; }
bool blueish(uint32_t p) { return (p & 0xFF) > ((p >> 16) & 0xFF) + 40; }

}  // namespace

TEST_F(ListTest, ContentHeightIsTheRowsAndTheExtraSpace) {
  fill(0);
  EXPECT_EQ(list->contentHeight, 30);
  EXPECT_EQ(list->contentWidth, 0);
  fill(20);
  EXPECT_EQ(list->contentHeight, 30 + 20 * kRow);
  const SCROLLINFO v = scrollInfo(list->hwnd, SB_VERT);
  EXPECT_EQ(v.nMax, list->contentHeight);
  EXPECT_EQ(v.nPage, static_cast<UINT>(list->clientRect.bottom + 1));
}

TEST_F(ListTest, ScrollBarRequestsMoveTheRows) {
  fill(20);
  const int limit = list->contentHeight - list->clientRect.bottom;  // the bar's largest position
  struct Step {
    int request, thumb, expected;
  } steps[] = {
      {SB_LINEDOWN, 0, kRow},
      {SB_LINEDOWN, 0, 2 * kRow},
      {SB_LINEUP, 0, kRow},
      {SB_THUMBTRACK, 77, 77},
      {SB_TOP, 0, 0},
      {SB_LINEUP, 0, 0},
      {SB_PAGEDOWN, 0, list->clientRect.bottom + 1},
      {SB_BOTTOM, 0, limit},
      {SB_LINEDOWN, 0, limit},
      {SB_ENDSCROLL, 0, limit},
  };
  for (const Step& s : steps) {
    testdriver::scroll(list->hwnd, SB_VERT, s.request, s.thumb);
    EXPECT_EQ(list->scrollY, s.expected) << "request " << s.request;
    EXPECT_EQ(scrollPos(list->hwnd, SB_VERT), s.expected);
  }
}

TEST_F(ListTest, WheelScrollsOneStepPerMessageWithinTheContent) {
  fill(20);
  const int limit = list->contentHeight - list->clientRect.bottom - 1;
  const POINT at = testdriver::screenPoint(list->hwnd, kTextX, 20);
  SetFocus(list->hwnd);  // the wheel goes to the focus window
  auto wheel = [&](int delta) {
    testdriver::wheel(at, delta);
    testdriver::pumpUntilIdle();
  };
  wheel(-120);
  EXPECT_EQ(list->scrollY, 80);
  wheel(-360);
  EXPECT_EQ(list->scrollY, 160) << "one step whatever the delta";
  wheel(-120);
  wheel(-120);
  EXPECT_EQ(list->scrollY, limit);
  EXPECT_EQ(scrollPos(list->hwnd, SB_VERT), limit);
  wheel(120);
  EXPECT_EQ(list->scrollY, limit - 80);
  for (int i = 0; i < 5; ++i) wheel(120);
  EXPECT_EQ(list->scrollY, 0);
}

TEST_F(ListTest, ShiftWheelScrollsSideways) {
  list->itemText = [](const ListItem2&) { return std::u16string(60, u'W'); };
  fill(3);  // the paint learns the wide rows
  ASSERT_GT(list->contentWidth, list->clientRect.right + 40);
  SetFocus(list->hwnd);
  // The list reads Shift as the wheel is handled (GetAsyncKeyState).
  testdriver::holding(testdriver::Shift,
                      [&] { testdriver::wheel(testdriver::screenPoint(list->hwnd, kTextX, 20), -120); });
  EXPECT_EQ(list->scrollX, 30);
  EXPECT_EQ(list->scrollY, 0);
  EXPECT_EQ(scrollPos(list->hwnd, SB_HORZ), 30);
}

TEST_F(ListTest, RefreshWithFewerRowsPullsTheOffsetBack) {
  fill(40);
  testdriver::scroll(list->hwnd, SB_VERT, SB_BOTTOM);
  ASSERT_GT(list->scrollY, 300);
  fill(10);
  EXPECT_EQ(list->scrollY, 30 + 10 * kRow - list->clientRect.bottom - 1) << "the last rows fill the view";
  EXPECT_EQ(scrollPos(list->hwnd, SB_VERT), list->scrollY);
  fill(2);
  EXPECT_EQ(list->scrollY, 0) << "never below 0";
}

TEST_F(ListTest, AnEmptyListPaintsOnlyItsBackground) {
  list->backColour = RGB(250, 240, 200);
  fill(0);
  const Surface pixels = testdriver::windowPixels(list->hwnd);
  ASSERT_GT(pixels.width, 0);
  EXPECT_EQ(pixels.width, list->clientRect.right) << "the whole client area is the list's";
  EXPECT_TRUE(std::all_of(pixels.pixels.begin(), pixels.pixels.end(),
                          [&](uint32_t p) { return p == surfacePixel(list->backColour); }));
}

TEST_F(ListTest, SelectedRowsGetTheFrameAndTheGradientAcrossTheView) {
  fill(5);
  clickRow(2);
  const int top = 2 * kRow, bottom = top + kRow - 1;
  const uint32_t frame = surfacePixel(list->frameColour);
  RECT client;
  GetClientRect(list->hwnd, &client);  // narrower than clientRect now that the vertical bar shows
  const int right = client.right - 1;
  EXPECT_EQ(pixel(0, top), frame);
  EXPECT_EQ(pixel(0, bottom), frame);
  EXPECT_EQ(pixel(right, top), frame);
  const uint32_t inside = pixel(right - 5, top + 1);
  EXPECT_NE(inside, 0xFFFFFFu);
  EXPECT_NE(inside, frame);
  EXPECT_EQ(pixel(right - 5, top - 1), 0xFFFFFFu) << "the row above is not selected";
  EXPECT_EQ(pixel(right - 5, bottom + 1), 0xFFFFFFu);
}

TEST_F(ListTest, AnOffsetInsideARowCutsTheFirstRow) {
  fill(20);
  list->items[0].selected = 1;
  testdriver::scroll(list->hwnd, SB_VERT, SB_THUMBTRACK, 8);
  testdriver::pumpUntilIdle();
  const uint32_t frame = surfacePixel(list->frameColour);
  EXPECT_EQ(pixel(100, kRow - 8 - 1), frame) << "row 0's bottom edge, 8 pixels up";
  EXPECT_NE(pixel(100, 0), frame) << "its top edge lies above the view";
  EXPECT_EQ(pixel(100, kRow - 8), 0xFFFFFFu);
}

TEST_F(ListTest, OnlyTheFirstLineIsDrawnAndTheSuffixFollowsIt) {
  list->textColour = RGB(255, 0, 0);
  list->countColour = RGB(0, 0, 255);
  list->itemText = [](const ListItem2&) { return std::u16string(u"abc\nlonger second line"); };
  list->itemHeight = 48;
  fill(1);
  list->items[0].count = 7;
  list->items[0].amount = 0.25;
  auto inkRange = [&](bool (*test)(uint32_t), RECT& box) {
    const Surface s = testdriver::windowPixels(list->hwnd);
    box = RECT{1000, 1000, -1, -1};
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < s.width; ++x)
        if (test(s.at(x, y))) {
          box.left = std::min<LONG>(box.left, x), box.right = std::max<LONG>(box.right, x);
          box.top = std::min<LONG>(box.top, y), box.bottom = std::max<LONG>(box.bottom, y);
        }
  };
  list->refresh();
  testdriver::pumpUntilIdle();
  RECT text, suffix;
  inkRange(redish, text);
  inkRange(blueish, suffix);
  ASSERT_GE(text.right, 0);
  ASSERT_GE(suffix.right, 0);
  EXPECT_LT(text.bottom - text.top, 14) << "one line of text";
  EXPECT_GT(suffix.left, text.right) << "the suffix follows the first line";
  EXPECT_LT(text.right - text.left, 30) << "\"abc\" only";

  list->multiLine = 1;
  list->refresh();
  testdriver::pumpUntilIdle();
  inkRange(redish, text);
  EXPECT_GT(text.bottom - text.top, 16) << "both lines";
  EXPECT_GT(text.right - text.left, 60);
}

TEST_F(ListTest, PaintingLearnsTheWidestRow) {
  list->itemText = [](const ListItem2& item) { return item.value == 1 ? u"a much longer text\nx" : u"ab"; };
  fill(3);
  list->canvas.setFont(12, u"宋体");
  const std::u16string longer = u"a much longer text";
  const std::u16string suffix = list->items[1].countText();
  const int expected = 3 + 30 + 16 + 3 + list->canvas.textWidth(longer.data(), longer.size()) +
                       list->canvas.textWidth(suffix.data(), suffix.size());
  EXPECT_EQ(list->contentWidth, expected);
  EXPECT_EQ(scrollInfo(list->hwnd, SB_HORZ).nMax, expected) << "the range follows after the paint";
}
