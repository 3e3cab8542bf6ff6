// A fixture base that keeps GDI+ running for the length of its test suite, and a plain
// top-level window for controls and dialogs under test to live in.
#pragma once
#include <gtest/gtest.h>

#include "platform/windows.h"

namespace testsupport {

class GdiplusSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&sToken, &input, nullptr);
  }
  static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(sToken); }

 private:
  static inline ULONG_PTR sToken = 0;
};

// A visible popup of class `className` (registered here with DefWindowProcW; a repeated
// registration fails harmlessly) at the given screen rectangle.
inline HWND createHostWindow(const char16_t* className, int x, int y, int cx, int cy) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = className;
  RegisterClassW(&wc);
  return CreateWindowExW(0, className, u"", WS_POPUP | WS_VISIBLE, x, y, cx, cy, nullptr, nullptr, nullptr,
                         nullptr);
}

}  // namespace testsupport
