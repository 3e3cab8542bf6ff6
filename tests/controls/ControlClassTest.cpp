// Registration of a custom control's window class, seen through a window of the class:
// double clicks arrive as such, a change of size repaints the whole window, the pointer
// takes the arrow, and a repeated registration neither replaces the first procedure nor
// reports success.
#include <gtest/gtest.h>

#include <vector>

#include "controls/ControlClass.h"
#include "platform/testdriver/Driver.h"

namespace {

std::vector<UINT> gFirst;  // the messages of interest the first procedure received
RECT gPainted{};
bool gSecondCalled = false;

LRESULT CALLBACK firstProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDBLCLK) gFirst.push_back(m);
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    gPainted = ps.rcPaint;
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

LRESULT CALLBACK secondProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  gSecondCalled = true;
  return DefWindowProcW(h, m, w, l);
}

TEST(ControlClass, AWindowOfTheClassBehavesAsItsStylesSay) {
  testdriver::reset();
  EXPECT_NE(registerControlClass(u"ControlClassProbe", firstProc), 0);
  EXPECT_EQ(registerControlClass(u"ControlClassProbe", secondProc), 0) << "a repeated registration is ignored";
  HWND w = CreateWindowExW(0, u"ControlClassProbe", u"", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  testdriver::pumpUntilIdle();

  testdriver::doubleClick(testdriver::screenPoint(w, 20, 20));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(gFirst, std::vector<UINT>{WM_LBUTTONDBLCLK}) << "CS_DBLCLKS, to the first procedure";
  EXPECT_FALSE(gSecondCalled);

  gPainted = RECT{};
  MoveWindow(w, 50, 50, 210, 100, TRUE);  // wider: CS_HREDRAW repaints everything, not the new strip
  testdriver::pumpUntilIdle();
  EXPECT_EQ(gPainted.left, 0);
  EXPECT_EQ(gPainted.right, 210);
  gPainted = RECT{};
  MoveWindow(w, 50, 50, 210, 90, TRUE);  // lower: CS_VREDRAW repaints though nothing was uncovered
  testdriver::pumpUntilIdle();
  EXPECT_EQ(gPainted.top, 0);
  EXPECT_EQ(gPainted.bottom, 90);

  testdriver::mouseMove(testdriver::screenPoint(w, 30, 30));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

  // No background brush: the control paints everything itself.
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), u"ControlClassProbe", &wc));
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(wc.hIcon, LoadIconW(nullptr, IDI_APPLICATION));
  DestroyWindow(w);
  UnregisterClassW(u"ControlClassProbe", GetModuleHandleW(nullptr));
}

}  // namespace
