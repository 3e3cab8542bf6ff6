// The progress bar as the grid uses it: range, position (clamped, previous
// value returned), stepping, the painted proportion, and WM_CLOSE.
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;

namespace {

class ProgressTest : public ControlTest {
 protected:
  HWND bar() { return child(PROGRESS_CLASSW, nullptr, 0, 20, 20, 500, 20, 0); }
};

// Columns of the middle row that show the bar's colour.
int filledColumns(HWND hwnd) {
  Surface s = testdriver::windowPixels(hwnd);
  int n = 0;
  for (int x = 0; x < s.width; ++x)
    if (s.at(x, s.height / 2) == 0x06B025) ++n;
  return n;
}

}  // namespace

TEST_F(ProgressTest, PositionsAreClampedToTheRange) {
  HWND p = bar();
  EXPECT_EQ(SendMessageW(p, PBM_SETRANGE, 0, MAKELPARAM(0, 100)), MAKELONG(0, 100));
  struct Case {
    int set;
    LRESULT previous, now;
  };
  const Case cases[] = {{40, 0, 40}, {150, 40, 100}, {-5, 100, 0}, {100, 0, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(SendMessageW(p, PBM_SETPOS, static_cast<WPARAM>(c.set), 0), c.previous) << c.set;
    EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), c.now) << c.set;
  }
  SendMessageW(p, PBM_SETRANGE32, 10, 20);  // the position follows into the new range
  EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 20);
  PBRANGE r{};
  EXPECT_EQ(SendMessageW(p, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&r)), 10);
  EXPECT_EQ(r.iHigh, 20);
  SendMessageW(p, PBM_SETSTEP, 4, 0);
  SendMessageW(p, PBM_SETPOS, 18, 0);
  SendMessageW(p, PBM_STEPIT, 0, 0);  // past the end: again from the low end
  EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 12);
  SendMessageW(p, PBM_DELTAPOS, 3, 0);
  EXPECT_EQ(SendMessageW(p, PBM_GETPOS, 0, 0), 15);
}

TEST_F(ProgressTest, TheFilledPartFollowsThePosition) {
  HWND p = bar();
  SendMessageW(p, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(filledColumns(p), 0);
  SendMessageW(p, PBM_SETPOS, 50, 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(filledColumns(p), 249);  // half of the 498 columns inside the frame
  SendMessageW(p, PBM_SETPOS, 100, 0);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(filledColumns(p), 498);
}

TEST_F(ProgressTest, ASentCloseDestroysIt) {
  HWND p = bar();
  SendMessageW(p, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(p));
}
