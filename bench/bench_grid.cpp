// Grid figures: a full frame with frozen panes and a selection, scrolling a screen of a
// tall sheet (plain, with a 1 MB one-line cell in view, and with all but 10 rows filtered
// out), and statistics of a whole numeric column on the worker. Opening files through the
// grid is bench_gridfile's.
//
//   bench_grid [rows]        default 10,000,000
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchClock.h"
#include "bench/BenchWindows.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/windows.h"

using bench::drain;

namespace {

HWND makeHost(int width, int height) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BenchGridHost";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, u"BenchGridHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                              nullptr, nullptr, nullptr);
  return CreateWindowExW(0, u"BenchGridHost", u"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, main, nullptr,
                         nullptr, nullptr);
}

// Milliseconds per painted frame, `frames` frames, `step` run before each.
template <typename Step>
double msPerFrame(CGrid& g, int frames, Step step) {
  HDC dc = GetDC(g.mHwnd);
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    step(i);
    g.mView.paint(dc, g.mRect);
  }
  const double ms = bench::seconds(t0) * 1000.0 / frames;
  ReleaseDC(g.mHwnd, dc);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t rows = argc > 1 ? std::atoi(argv[1]) : 10000000;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);

  HWND host = makeHost(1920, 1080);
  auto* g = new CGrid();
  g->create(host, 0, 0, 1920, 1080);
  drain();

  // A screen of texts and numbers, frozen at (3, 3), with a block selected.
  g->mCore.resize(2000, 30);
  for (int32_t r = 1; r < 2000; ++r)
    for (int32_t c = 1; c < 30; ++c) {
      if (c % 3 == 0) g->mCore.setInt64(r, c, int64_t(r) * c);
      else g->mCore.setText(r, c, c % 3 == 1 ? u"北京市朝阳区" : u"text value");
    }
  g->mView.refresh();
  g->mView.toggleFreeze(3, 3);
  g->mSelection.range = Range{5, 4, 40, 12};
  std::printf("full 1920x1080 frame, frozen panes, selection: %.2f ms\n", msPerFrame(*g, 50, [](int) {}));

  // A tall sheet: one screen scrolled per frame.
  g->mView.toggleFreeze(0, 0);
  auto t0 = std::chrono::steady_clock::now();
  g->mCore.resize(rows + 1, 4);
  for (int32_t r = 1; r <= rows; ++r) g->mCore.setInt64(r, 1, r);
  g->mView.refresh();
  std::printf("sheet of %d rows built in %.2f s (%.0f MiB peak)\n", rows, bench::seconds(t0), bench::peakRssMb());
  const int64_t screen = g->mView.unzoom(g->mRect.bottom - 20);
  g->mView.scrollBy(0, int64_t(18) * (rows / 2));
  std::printf("scrolling a screen in the middle: %.2f ms per frame\n",
              msPerFrame(*g, 100, [&](int) { g->mView.scrollBy(0, screen); }));
  std::u16string big(1 << 20, u'x');
  const int32_t row = g->mView.mMainPane.firstRow + 2;
  g->mCore.setText(row, 2, big);
  std::printf("  with a 1 MB one-line cell in view: %.2f ms per frame\n",
              msPerFrame(*g, 50, [&](int i) { g->mView.scrollBy(0, i % 2 ? 18 : -18); }));
  g->mCore.setText(row, 2, u"");

  // Statistics of the whole numeric column, input answered meanwhile.
  g->mSelection.range = Range{0, 1, 0, 1};
  t0 = std::chrono::steady_clock::now();
  g->selectionChanged();
  int pumps = 0;
  while (g->mTitle.find(u"求和") == std::u16string::npos && pumps < 1000000) {
    drain();
    ++pumps;
    Sleep(1);
  }
  std::printf("statistics of a %d-row numeric column: %.3f s (%d message pumps meanwhile)\n", rows,
              bench::seconds(t0), pumps);

  // All but 10 rows filtered out.
  for (int32_t r = 1; r <= rows; ++r)
    if (r % (rows / 10) != 0) g->mCore.cellAt(r, 0)->flag = 1;
  g->mView.reset();
  g->mView.refresh();
  std::printf("  all but 10 rows hidden: %.2f ms per frame\n",
              msPerFrame(*g, 20, [&](int i) { g->mView.scrollBy(0, i % 2 ? 18 : -18); }));

  stopStats();
  DestroyWindow(GetParent(host));
  drain();
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
