// Text editor speed on big texts, through the editor's window messages:
//  1. an output editor receiving 100,000 lines by appendText, one call per line and all in
//     one call, then one paint;
//  2. a C script of 1 MB in a script editor with line numbers: one character typed (WM_CHAR)
//     at its start, middle and end, without and with the paint that follows.
// Prints milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "controls/TextEditor.h"
#include "platform/windows.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HWND makeHost() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BenchHost";
  RegisterClassW(&wc);
  return CreateWindowExW(0, u"BenchHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 800, nullptr, nullptr, nullptr,
                         nullptr);
}

std::u16string outputLine(int i) {
  const std::string s = "[" + std::to_string(i) + "] row " + std::to_string(i * 7 % 1000) +
                        ": 结果 = " + std::to_string(i * 0.25) + "\n";
  std::u16string out;
  for (unsigned char c : s) out.push_back(c);
  return out;
}

void benchOutput(HWND host) {
  constexpr int kLines = 100000;
  {
    CCText out;
    out.create(host, 0, 0, 900, 700, 1);
    out.lineNumbers = true;
    out.relayout();
    const auto start = Clock::now();
    for (int i = 0; i < kLines; ++i) out.appendText(outputLine(i));
    const double appended = msSince(start);
    const auto paintStart = Clock::now();
    InvalidateRect(out.hwnd, nullptr, FALSE);
    UpdateWindow(out.hwnd);
    std::printf("output editor: %d appendText calls of one line: %.1f ms (then one paint: %.2f ms); %zu lines\n",
                kLines, appended, msSince(paintStart), out.lines().count());
    DestroyWindow(out.hwnd);
  }
  {
    CCText out;
    out.create(host, 0, 0, 900, 700, 1);
    std::u16string all;
    for (int i = 0; i < kLines; ++i) all += outputLine(i);
    const auto start = Clock::now();
    out.appendText(all);
    std::printf("output editor: one appendText of %d lines (%zu units): %.1f ms\n", kLines, all.size(),
                msSince(start));
    DestroyWindow(out.hwnd);
  }
}

std::u16string bigScript(size_t units) {
  const std::u16string block =
      u"// block of a generated script\n"
      u"struct Cell { int row; int col; double value; };\n"
      u"static double weigh(struct Cell *c, int n) {\n"
      u"\tdouble total = 0;\n"
      u"\tfor (int i = 0; i < n; i++) {\n"
      u"\t\tif (c[i].value > 0.5) total += c[i].value * 2; /* doubled */\n"
      u"\t\telse total -= 1;\n"
      u"\t}\n"
      u"\treturn total; // \"总计\"\n"
      u"}\n\n";
  std::u16string s;
  while (s.size() < units) s += block;
  return s;
}

struct Figures {
  double mean = 0, worst = 0;
};

// `count` characters typed at `index` (the caret put there first), each followed by the
// paint when `paint` is set.
Figures typeAt(CCText& ed, size_t index, int count, bool paint) {
  ed.caret = index;
  ed.selection = selectionAt(index);
  ed.updateCaret();
  UpdateWindow(ed.hwnd);
  Figures f;
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    SendMessageW(ed.hwnd, WM_CHAR, i % 2 ? u'x' : u' ', 0);
    if (paint) UpdateWindow(ed.hwnd);
    const double ms = msSince(start);
    f.mean += ms / count;
    f.worst = std::max(f.worst, ms);
  }
  return f;
}

void benchScript(HWND host) {
  CCText ed;
  ed.language = TEXT_C;
  ed.create(host, 0, 0, 900, 700, 1);
  ed.lineNumbers = true;
  ed.relayout();
  const auto setStart = Clock::now();
  ed.setText(bigScript(1 << 20));
  std::printf("script editor: setText of %zu units, %zu lines: %.1f ms\n", ed.shownText.size(), ed.lines().count(),
              msSince(setStart));
  const size_t length = ed.shownText.size();
  const struct {
    const char* where;
    size_t index;
  } places[] = {{"start", 0}, {"middle", length / 2}, {"end", length}};
  for (const auto& p : places) {
    const Figures typed = typeAt(ed, p.index, 200, false);
    const Figures painted = typeAt(ed, p.index, 200, true);
    std::printf(
        "script editor, 1 MB, typing at the %-6s: %.3f ms per character (worst %.3f); with its paint %.3f ms "
        "(worst %.3f)\n",
        p.where, typed.mean, typed.worst, painted.mean, painted.worst);
  }
  DestroyWindow(ed.hwnd);
}

}  // namespace

int main() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  HWND host = makeHost();
  benchOutput(host);
  benchScript(host);
  DestroyWindow(host);
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
