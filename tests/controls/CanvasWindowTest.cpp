// A window that paints the way the controls do: the canvas is begun on the client RECT at
// every WM_SIZE, painted completely, and WM_PAINT copies only rcPaint to the window.
#include "platform/testdriver/Driver.h"
#include "platform/user/User.h"
#include "tests/controls/CanvasFixture.h"

namespace {

struct Host {
  CCanvas canvas;
  COLORREF fill = RGB(0, 0, 255);
  int paints = 0;
};

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!host) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SIZE: {
      host->canvas.mOwner = hwnd;
      host->canvas.begin(RECT{0, 0, LOWORD(lParam) - 1, HIWORD(lParam) - 1});
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      ++host->paints;
      host->canvas.setBrush(host->fill);
      host->canvas.setPen(host->fill, 1);
      Rectangle(host->canvas.mDc, 0, 0, 1000, 1000);
      host->canvas.copyTo(ps.hdc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

class CanvasWindowTest : public CanvasTest {
 protected:
  void SetUp() override {
    testdriver::reset();
    WNDCLASSW wc{};
    wc.lpfnWndProc = hostProc;
    wc.lpszClassName = u"CanvasHost";
    RegisterClassW(&wc);  // a repeated registration fails harmlessly
    hwnd = CreateWindowExW(0, u"CanvasHost", u"", WS_POPUP | WS_VISIBLE, 100, 100, 80, 50, nullptr, nullptr,
                           nullptr, &host);
    ASSERT_NE(hwnd, nullptr);
    testdriver::pumpUntilIdle();
  }
  void TearDown() override {
    if (hwnd) DestroyWindow(hwnd);
    testdriver::pumpUntilIdle();
  }

  int countOf(uint32_t pixel) const {
    const Surface pixels = testdriver::windowPixels(hwnd);
    return static_cast<int>(std::count(pixels.pixels.begin(), pixels.pixels.end(), pixel));
  }

  Host host;
  HWND hwnd = nullptr;
};

}  // namespace

TEST_F(CanvasWindowTest, PaintCopiesTheCanvasToTheWholeClientArea) {
  EXPECT_GE(host.paints, 1);
  EXPECT_EQ(host.canvas.mView, (RECT{0, 0, 79, 49}));
  EXPECT_EQ(countOf(pixelOf(RGB(0, 0, 255))), 80 * 50);
}

TEST_F(CanvasWindowTest, OnlyTheInvalidRectangleReachesTheWindow) {
  host.fill = RGB(0, 255, 0);
  RECT part{10, 5, 30, 15};  // exclusive: 20 x 10 pixels
  InvalidateRect(hwnd, &part, FALSE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(countOf(pixelOf(RGB(0, 255, 0))), 20 * 10);
  EXPECT_EQ(countOf(pixelOf(RGB(0, 0, 255))), 80 * 50 - 20 * 10);
}

TEST_F(CanvasWindowTest, ResizingMakesANewSurfaceOfTheNewSize) {
  MoveWindow(hwnd, 100, 100, 120, 60, TRUE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(host.canvas.mView, (RECT{0, 0, 119, 59}));
  EXPECT_EQ(surfaceOfDC(host.canvas.mDc)->width, 120);
  EXPECT_EQ(countOf(pixelOf(RGB(0, 0, 255))), 120 * 60);
}
