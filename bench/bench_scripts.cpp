// F5 over formula cells: 1,000,000 rows, A = 1..1,000,000 and =A<row>*2 filled down
// column B, run with the compiled-script cache (and, for comparison, a slice of the
// sheet without it), then the same sheet in a document window, F5 as its command runs.
// Prints seconds and cells per second.
#include <cstdio>
#include <string>

#include "bench/BenchClock.h"
#include "bench/BenchScriptDocument.h"
#include "grid/Grid.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/windows.h"
#include "script/ScriptRuns.h"
#include "store/DataCore.h"

namespace {

// A = 1..rows, B = "=A<row>*2".
void fill(CDataCore& core, int32_t rows) {
  core.resize(rows + 1, 3);
  for (int32_t r = 1; r <= rows; ++r) {
    core.setInt64(r, 1, r);
    std::u16string formula = u"=A";
    for (char c : std::to_string(r)) formula += static_cast<char16_t>(c);
    core.setText(r, 2, formula + u"*2");
  }
}

// A document of its own sheet of formulas.
struct Document : bench::ScriptSheet {
  explicit Document(int32_t rows) : ScriptSheet(rows) { fill(core, rows); }
};

void run(const char* label, int32_t rows, bool cache) {
  Document doc(rows);
  doc.mExprtkHost.mCacheEnabled = cache;
  auto start = std::chrono::steady_clock::now();
  runAllScripts(doc);
  double s = bench::seconds(start);
  bool right = doc.core.mFormulaValues.at(cellPos(rows, 2)) == 2.0 * rows;
  std::printf("%-28s %9d cells  %8.3f s  %12.0f cells/s  %s  peak %.0f MiB\n", label, rows, s, rows / s,
              right ? "values right" : "VALUES WRONG", bench::peakRssMb());
}

// The sheet in a document window under a host window; F5 is the window's command.
void runInWindow(const char* label, int32_t rows) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BenchScriptHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowExW(0, u"BenchScriptHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 800, nullptr, nullptr,
                              nullptr, nullptr);
  auto* grid = new CGrid();
  grid->create(host, 0, 0, 1200, 800);
  fill(grid->mCore, rows);
  auto start = std::chrono::steady_clock::now();
  SendMessageW(grid->mHwnd, WM_COMMAND, 32888, 0);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  double s = bench::seconds(start);
  bool right = grid->mCore.mFormulaValues.at(cellPos(rows, 2)) == 2.0 * rows;
  std::printf("%-28s %9d cells  %8.3f s  %12.0f cells/s  %s  peak %.0f MiB\n", label, rows, s, rows / s,
              right ? "values right" : "VALUES WRONG", bench::peakRssMb());
  DestroyWindow(host);
}

}  // namespace

int main() {
  run("F5 =A1*2, cache", 1000000, true);
  run("F5 =A1*2, no cache", 20000, false);
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  runInWindow("F5 =A1*2, document window", 1000000);
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
