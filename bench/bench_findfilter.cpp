// Find and filter figures over a tall sheet: find next with a regular expression whose
// only match is in the last row (MB/s of cell text walked, UTF-16 bytes), the same with a
// plain text, count; the column filter popup's value list built and shown for a text and
// a number column, and the narrowing of that list per typed character.
//
//   bench_findfilter [rows] [distinct]     default 10,000,000 rows, 1,000,000 distinct values
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "bench/BenchWindows.h"
#include "grid/Grid.h"
#include "grid/ListDialogState.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/windows.h"
#include "store/NumberText.h"

using bench::drain;

namespace {

struct Figures {
  std::vector<double> v;
  void add(double x) { v.push_back(x); }
  double median() {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
  }
  double min() { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
  double max() { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
};

// Median seconds of `runs` runs of `work`.
template <class F>
Figures timed(int runs, F work) {
  Figures f;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    f.add(bench::seconds(t0));
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t rows = argc > 1 ? std::atoi(argv[1]) : 10000000;
  const int32_t distinct = argc > 2 ? std::atoi(argv[2]) : 1000000;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BenchFindHost";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, u"BenchFindHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 900, nullptr, nullptr,
                              nullptr, nullptr);
  HWND host = CreateWindowExW(0, u"BenchFindHost", u"", WS_CHILD | WS_VISIBLE, 0, 0, 1280, 900, main, nullptr,
                              nullptr, nullptr);
  auto* g = new CGrid();
  g->create(host, 0, 0, 1280, 900);
  drain();

  // Column 1: texts of `distinct` kinds; column 2: integers of `distinct` kinds; the last
  // row's text is the only one the patterns find.
  auto t0 = std::chrono::steady_clock::now();
  CDataCore& core = g->mCore;
  core.resize(rows + 1, 3);
  core.setText(1, 1, u"名称");
  core.setText(1, 2, u"编号");
  std::vector<std::u16string> texts(static_cast<size_t>(distinct));
  std::vector<uint64_t> keys(static_cast<size_t>(distinct));
  for (int32_t j = 0; j < distinct; ++j) {
    texts[size_t(j)] = u"客户-" + int64Text(int64_t(j) * 7919 % 10000000) + u"-abcdefgh";
    core.setText(2 + j % (rows - 1), 1, texts[size_t(j)]);
    keys[size_t(j)] = core.cellAt(2 + j % (rows - 1), 1)->value;
  }
  uint64_t textUnits = 0;
  for (int32_t r = 2; r <= rows; ++r) {
    const size_t j = size_t(r - 2) % size_t(distinct);
    if (r - 2 >= distinct) {
      Cell& c = core.mDatas[r][1];
      c.kind = CELL_TEXT;
      c.value = core.intern(keys[j], texts[j]);
    }
    textUnits += texts[j].size();
    core.setInt64(r, 2, int64_t(j) * 3);
    textUnits += int64Text(int64_t(j) * 3).size();
  }
  core.setText(rows, 1, u"needle-42-zz");
  g->mView.refresh();
  std::printf("sheet: %d rows, %d distinct values per column, %.1f MB of cell text (UTF-16), built in %.1f s\n",
              rows, distinct, textUnits * 2 / 1e6, bench::seconds(t0));

  // ---- find next from the top; the match is in the last row ----
  auto findFigure = [&](const char* name, const std::u16string& text, int32_t mode) {
    g->mFindText = text;
    g->mFindMode = mode;
    g->mMatchCase = 0;
    Figures f = timed(5, [&] {
      g->selectCell(1, 1);
      g->findNext();
    });
    const bool found = g->mSelection.range.top == rows;
    const double mb = textUnits * 2 / 1e6;
    std::printf("find next, %-28s median %.3f s = %.0f MB/s (min %.3f, max %.3f)%s\n", name, f.median(),
                mb / f.median(), f.min(), f.max(), found ? "" : "  NOT FOUND");
  };
  findFigure("regex needle-\\d+-z+:", u"needle-\\d+-z+", 2);
  findFigure("regex [n]e{2}dle (caseless):", u"[N]E{2}DLE", 2);
  findFigure("plain text needle-42:", u"NEEDLE-42", 0);
  {
    g->mFindText = u"needle";
    g->mFindMode = 0;
    Figures f = timed(3, [&] { g->countMatches(); });
    std::printf("count, plain text:                   median %.3f s\n", f.median());
  }

  // ---- the filter popup ----
  g->mSelection.anchorRow = 0, g->mSelection.anchorCol = 1;
  g->mSelection.range = Range{0, 1, 0, 2};
  g->mOps.toggleFilter();
  auto popupFigure = [&](int32_t column, const char* name, const std::vector<std::u16string>& typed) {
    g->mDrag = DragInfo{1, column, 34 + 74 * column, 38};
    Figures open = timed(3, [&] {
      if (g->mFilterPopup) SendMessageW(g->mFilterPopup, WM_COMMAND, IDCANCEL, 0);
      g->showFilterPopup();
      drain();  // shown and painted
    });
    auto* state = reinterpret_cast<ListDialogState*>(GetWindowLongPtrW(g->mFilterPopup, GWLP_USERDATA));
    std::printf("filter popup, %s column: %zu items, built and shown median %.3f s (min %.3f, max %.3f)\n", name,
                state ? state->items.size() : size_t(0), open.median(), open.min(), open.max());
    Figures narrow;
    for (const std::u16string& text : typed) {
      const auto t1 = std::chrono::steady_clock::now();
      SetDlgItemTextW(g->mFilterPopup, 1003, text.c_str());
      drain();
      const double s = bench::seconds(t1);
      narrow.add(s);
      std::printf("  typed \"%s\" (包含): %zu items left, %.1f ms\n", std::string(text.begin(), text.end()).c_str(),
                  state ? state->list->items.size() : size_t(0), s * 1000);
    }
    std::printf("  per typed character: median %.1f ms, max %.1f ms\n", narrow.median() * 1000,
                narrow.max() * 1000);
    SendMessageW(g->mFilterPopup, WM_COMMAND, IDCANCEL, 0);
    drain();
  };
  popupFigure(1, "text", {u"1", u"12", u"123", u"1234", u"123", u"12", u"1", u""});
  popupFigure(2, "number", {u"1", u"12", u"123", u"1234", u"123", u"12", u"1", u""});
  std::printf("peak memory %.0f MB\n", bench::peakRssMb());
  DestroyWindow(main);
  drain();
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
