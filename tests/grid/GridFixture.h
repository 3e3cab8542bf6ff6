// A document grid in a top-level window, set up the way the tab strip hosts it: the main
// window, a child standing in for the strip (the grid's parent, which receives the
// modified notifications) and the grid below it. Helpers fill the sheet, drive the mouse
// at client points and read the main window's title.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/InputState.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/testdriver/Driver.h"
#include "tests/support/GdiplusSuite.h"

// Command ids that reached the main window.
inline std::vector<UINT> gMainCommands;
inline LRESULT CALLBACK gridTestHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) gMainCommands.push_back(LOWORD(wParam));
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class GridTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override { open(640, 400); }
  void TearDown() override { close(); }

  void open(int width, int height) {
    testdriver::reset();
    gInputEnabled = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = gridTestHostProc;
    wc.lpszClassName = u"GridTestHost";
    RegisterClassW(&wc);
    main = CreateWindowExW(0, u"GridTestHost", u"", WS_POPUP | WS_VISIBLE, 40, 40, width, height, nullptr, nullptr,
                           nullptr, nullptr);
    host = CreateWindowExW(0, u"GridTestHost", u"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, main, nullptr,
                           nullptr, nullptr);
    gMainWnd = main;
    gMainCommands.clear();
    grid = new CGrid();
    grid->create(host, 0, 0, width, height);
    testdriver::pumpUntilIdle();
  }
  void close() {
    stopStats();
    DestroyWindow(main);  // the grid window's WM_DESTROY deletes the document
    testdriver::pumpUntilIdle();
    grid = nullptr;
    gMainWnd = nullptr;
    gInputEnabled = true;
  }

  CGridView& view() { return grid->mView; }
  CDataCore& core() { return grid->mCore; }

  // Sets the sheet's size and repaints.
  void sheet(int32_t rows, int32_t cols) {
    core().resize(rows, cols);
    view().refresh();
    grid->invalidate();
  }

  POINT at(int x, int y) const { return testdriver::screenPoint(grid->mHwnd, x, y); }
  void clickAt(int x, int y, unsigned modifiers = testdriver::None) {
    testdriver::advance(1000);  // never a double click
    if (modifiers & testdriver::Shift) testdriver::keyDown(VK_SHIFT);
    testdriver::click(at(x, y));
    testdriver::pumpUntilIdle();
    if (modifiers & testdriver::Shift) testdriver::keyUp(VK_SHIFT);
    testdriver::pumpUntilIdle();
  }
  // The grid reads the modifiers as they are when the key arrives, so they stay down
  // until the key has been handled.
  void key(int vk, unsigned modifiers = testdriver::None) {
    SetFocus(grid->mHwnd);
    if (modifiers & testdriver::Ctrl) testdriver::keyDown(VK_CONTROL);
    if (modifiers & testdriver::Shift) testdriver::keyDown(VK_SHIFT);
    if (modifiers & testdriver::Alt) testdriver::keyDown(VK_MENU);
    testdriver::keyDown(vk);
    testdriver::pumpUntilIdle();
    testdriver::keyUp(vk);
    if (modifiers & testdriver::Alt) testdriver::keyUp(VK_MENU);
    if (modifiers & testdriver::Shift) testdriver::keyUp(VK_SHIFT);
    if (modifiers & testdriver::Ctrl) testdriver::keyUp(VK_CONTROL);
    testdriver::pumpUntilIdle();
  }

  std::u16string mainTitle() const {
    char16_t buffer[512] = {};
    GetWindowTextW(main, buffer, 512);
    return buffer;
  }

  static int64_t point(int x, int y) {
    return static_cast<int64_t>(static_cast<uint32_t>(x) | (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32));
  }

  HWND main = nullptr;
  HWND host = nullptr;
  CGrid* grid = nullptr;
};
