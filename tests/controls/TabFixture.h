// A "Tab2" strip filling a top-level main window, set up the way the main window does it:
// the strip window, its canvas begun on the row, font and text colour set. Each tab gets a
// stand-in "Grid2" window below the row that paints itself blue, and callbacks that log
// what happens to the tabs.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ControlClass.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "platform/testdriver/Driver.h"
#include "store/FilePath.h"
#include "tests/support/GdiplusSuite.h"

inline LRESULT CALLBACK fakeGridProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &ps.rcPaint, blue);
    DeleteObject(blue);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Counts the wheel messages that reach the main window.
inline int gMainWheels = 0;
inline LRESULT CALLBACK mainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEWHEEL) ++gMainWheels;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class TabTest : public testsupport::GdiplusSuite {
 protected:
  static constexpr int kPitch = 178 + 15;  // a tab body and its separator
  static constexpr int kRowY = 14;         // a y in the middle of the row

  void SetUp() override { open(800); }
  void TearDown() override { close(); }

  void open(int width, int height = 200) {
    testdriver::reset();
    gInputEnabled = true;
    gMainWheels = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = u"TabMain";
    RegisterClassW(&wc);
    wc.lpfnWndProc = fakeGridProc;
    wc.lpszClassName = u"FakeGrid2";
    RegisterClassW(&wc);
    registerControlClass(u"Tab2", CCTab::wndProc);
    main = CreateWindowExW(0, u"TabMain", u"", WS_POPUP | WS_VISIBLE, 50, 50, width, height, nullptr, nullptr,
                           nullptr, nullptr);
    strip = std::make_unique<CCTab>();
    strip->hwnd = CreateWindowExW(0, u"Tab2", u"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, main, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(strip->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(strip.get()));
    RECT row;
    GetClientRect(strip->hwnd, &row);
    row.bottom = row.top + strip->height - 1;
    strip->canvas.mOwner = strip->hwnd;
    strip->canvas.begin(row);
    strip->canvas.setFontIndirect(strip->font);
    strip->canvas.setTextColor(strip->textColour);
    testdriver::pumpUntilIdle();
  }
  void close() {
    DestroyWindow(main);  // before the strip goes: its window procedure serves the strip
    testdriver::pumpUntilIdle();
    strip.reset();
    gInputEnabled = true;
  }

  // A tab with a grid window and logging callbacks.
  void add(const std::u16string& title, const std::u16string& path = u"") {
    CCTab::CTabData tab;
    tab.title = title;
    tab.path = path;
    RECT c;
    GetClientRect(strip->hwnd, &c);
    tab.gridWindow = CreateWindowExW(0, u"FakeGrid2", title.c_str(), WS_CHILD, 0, strip->height, c.right,
                                     c.bottom - strip->height, strip->hwnd, nullptr, nullptr, nullptr);
    tab.onAdd = [this](CCTab::CTabData& t) { log.push_back(u"add " + t.title); };
    tab.onActivate = [this](CCTab::CTabData& t) { log.push_back(u"activate " + t.title); };
    tab.onDeactivate = [this](CCTab::CTabData& t) { log.push_back(u"deactivate " + t.title); };
    strip->addTab(std::move(tab));
    testdriver::pumpUntilIdle();
  }

  std::vector<std::u16string> titles() const {
    std::vector<std::u16string> t;
    for (const auto& tab : strip->tabs) t.push_back(tab.title);
    return t;
  }

  // Client x of the close button / the body of drawn tab j, and of the scroll buttons.
  int closeX(int j) const { return 20 + j * kPitch + 178 - 8; }
  int bodyX(int j) const { return 20 + j * kPitch + 60; }
  int leftButtonX() const { return clientWidth() - 40 + 3 + 8; }
  int rightButtonX() const { return clientWidth() - 40 + 3 + 17 + 8; }
  int clientWidth() const {
    RECT c;
    GetClientRect(strip->hwnd, &c);
    return c.right;
  }

  POINT at(int x, int y = kRowY) const { return testdriver::screenPoint(strip->hwnd, x, y); }
  void clickAt(int x, int y = kRowY) {
    testdriver::advance(1000);  // never a double click
    testdriver::click(at(x, y));
    testdriver::pumpUntilIdle();
  }
  // The strip's answer to the tooltip's text request with the cursor at (x, y).
  std::u16string tipAt(int x, int y = kRowY);

  uint32_t pixel(int x, int y) const { return testdriver::windowPixels(strip->hwnd).at(x, y); }

  HWND main = nullptr;
  std::unique_ptr<CCTab> strip;
  std::vector<std::u16string> log;
};

inline std::u16string TabTest::tipAt(int x, int y) {
  const POINT p = at(x, y);
  SetCursorPos(p.x, p.y);
  NMTTDISPINFOW info{};
  info.hdr.code = TTN_GETDISPINFOW;
  info.szText[0] = u'?';
  SendMessageW(strip->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  if (info.lpszText != info.szText) return u"(none)";
  return info.szText;
}
