// The documents' tab strip made inside a test's host window, as the main window makes it.
#pragma once
#include "controls/ControlClass.h"
#include "controls/TabStrip.h"
#include "platform/windows.h"

namespace testsupport {

// Makes `gTabStrip` a visible child of `host` at (0, 0) with the given size, its canvas
// begun over the tab row in the strip's font.
inline void createTabStrip(HWND host, int cx, int cy) {
  registerControlClass(u"Tab2", CCTab::wndProc);
  gTabStrip.hwnd =
      CreateWindowExW(0, u"Tab2", u"", WS_CHILD | WS_VISIBLE, 0, 0, cx, cy, host, nullptr, nullptr, nullptr);
  RECT row;
  GetClientRect(gTabStrip.hwnd, &row);
  row.bottom = row.top + gTabStrip.height - 1;
  gTabStrip.canvas.mOwner = gTabStrip.hwnd;
  gTabStrip.canvas.begin(row);
  gTabStrip.canvas.setFontIndirect(gTabStrip.font);
}

}  // namespace testsupport
