// The tooltip as the tab strip uses it: a balloon popup owned by a child
// window, one tool over a rectangle of it with TTF_SUBCLASS, its text asked
// for on demand with TTN_GETDISPINFOW; shown after the pointer rests, gone
// when it leaves, on a press or after the pop delay; never activated.
#include <cstring>

#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;

namespace {

// A tab strip stand-in: a child of the parent with a tab row at its top.
// It answers TTN_GETDISPINFOW with `answer` (empty: no text) and counts
// the questions.
struct Strip {
  static inline std::u16string answer = u"关闭文件";
  static inline int asked = 0;
  static inline int shows = 0;
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->code == TTN_GETDISPINFOW) {
        ++asked;
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        size_t n = std::min<size_t>(answer.size(), 79);
        std::memcpy(info->szText, answer.data(), n * sizeof(char16_t));
        info->szText[n] = 0;
        return 0;
      }
      if (hdr->code == TTN_SHOW) ++shows;
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
};

class TooltipTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    static bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Strip::proc;
      wc.lpszClassName = u"UiTestStrip";
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    Strip::answer = u"关闭文件";
    Strip::asked = Strip::shows = 0;
    strip = child(u"UiTestStrip", u"Tab2", 0, 0, 0, 640, 400, 0);
    tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, strip, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = strip;
    ti.uId = reinterpret_cast<UINT_PTR>(strip);
    ti.rect = RECT{0, 0, 640, 29};
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    ASSERT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
    testdriver::pumpUntilIdle();
  }
  void moveTo(int x, int y) {
    testdriver::mouseMove(at(strip, x, y));
    testdriver::pumpUntilIdle();
  }
  HWND strip = nullptr, tip = nullptr;
};

}  // namespace

TEST_F(TooltipTest, ShowsTheAnswerAfterTheInitialDelayWithoutActivation) {
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(GetParent(tip), parent);  // owned by the strip's top-level window
  HWND active = GetActiveWindow();
  moveTo(100, 10);
  testdriver::advance(400);
  EXPECT_FALSE(IsWindowVisible(tip));
  EXPECT_EQ(Strip::asked, 0);  // asked only when it shows
  testdriver::advance(100);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(Strip::asked, 1);
  EXPECT_EQ(Strip::shows, 1);
  EXPECT_EQ(textOf(tip), u"关闭文件");
  EXPECT_EQ(GetActiveWindow(), active);
  RECT r;
  GetWindowRect(tip, &r);
  POINT cursor = at(strip, 100, 10);
  EXPECT_GE(r.top, cursor.y);  // below the pointer, stem up
  moveTo(120, 12);             // moving inside the tool keeps it
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(Strip::asked, 1);
}

TEST_F(TooltipTest, LeavingPressingOrWaitingHidesItAndTheTextIsAskedAgain) {
  moveTo(100, 10);
  testdriver::advance(500);
  ASSERT_TRUE(IsWindowVisible(tip));
  moveTo(100, 200);  // below the tab row: out of the tool
  EXPECT_FALSE(IsWindowVisible(tip));

  Strip::answer = u"前一个标签";
  moveTo(10, 10);
  testdriver::advance(500);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(textOf(tip), u"前一个标签");
  EXPECT_EQ(Strip::asked, 2);

  testdriver::mouseDown(at(strip, 10, 10));
  testdriver::mouseUp(at(strip, 10, 10));
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(IsWindowVisible(tip));
  testdriver::advance(1000);
  EXPECT_FALSE(IsWindowVisible(tip));  // not again while the pointer stays

  moveTo(100, 200);
  moveTo(100, 10);
  testdriver::advance(500);
  ASSERT_TRUE(IsWindowVisible(tip));
  testdriver::advance(5000);
  EXPECT_FALSE(IsWindowVisible(tip));  // the pop delay
}

TEST_F(TooltipTest, TheTipGoesWhenThePointerLeavesTheWindow) {
  moveTo(100, 10);
  testdriver::advance(500);
  ASSERT_TRUE(IsWindowVisible(tip));
  testdriver::mouseMove(POINT{1500, 900});  // off the parent: the strip sees no move
  testdriver::advance(100);
  EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(TooltipTest, AnEmptyAnswerShowsNothing) {
  Strip::answer = u"";
  moveTo(100, 10);
  testdriver::advance(600);
  EXPECT_EQ(Strip::asked, 1);
  EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(TooltipTest, ALongTitleIsCutTo79UnitsByTheAnswer) {
  Strip::answer = std::u16string(120, u'长');
  moveTo(100, 10);
  testdriver::advance(500);
  EXPECT_EQ(textOf(tip).size(), 79u);
}

TEST_F(TooltipTest, DestroyingTheTopLevelWindowDestroysTheTooltip) {
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_FALSE(IsWindow(strip));
}
