// Registration of a custom control's window class: its styles, icon and cursor, no
// background brush, and a repeated registration that fails without replacing the first.
#include <gtest/gtest.h>

#include "controls/ControlClass.h"

namespace {
LRESULT CALLBACK firstProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
LRESULT CALLBACK secondProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
}  // namespace

TEST(ControlClass, RegistersOnceWithTheControlStyles) {
  EXPECT_NE(registerControlClass(u"ControlClassProbe", firstProc), 0);
  EXPECT_EQ(registerControlClass(u"ControlClassProbe", secondProc), 0);  // repeated: ignored
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), u"ControlClassProbe", &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(wc.lpfnWndProc, firstProc);
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(wc.lpszMenuName, nullptr);
  EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(wc.hIcon, LoadIconW(nullptr, IDI_APPLICATION));
  UnregisterClassW(u"ControlClassProbe", GetModuleHandleW(nullptr));
}
