// "msctls_progress32": a bar filled in proportion to its position within its
// range (0..100 at first). PBM_SETPOS clamps to the range and returns the
// previous position; PBM_SETRANGE (16-bit bounds) and PBM_SETRANGE32 return
// the previous range as MAKELONG(low, high) and clamp the position into the
// new one. WM_CLOSE destroys it (default processing).
#include <algorithm>

#include "platform/controls/ControlBase.h"

namespace platform::controls {

namespace {

struct Progress {
  int low = 0, high = 100;  // invariant: low <= pos <= high when low <= high
  int pos = 0;
  int step = 10;
  COLORREF bar = RGB(0x06, 0xB0, 0x25);
};

Store<Progress>& bars() {
  static auto* s = new Store<Progress>;
  return *s;
}

int clampPos(const Progress& p, long long v) {
  int lo = std::min(p.low, p.high), hi = std::max(p.low, p.high);
  return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

LRESULT setPos(HWND hwnd, Progress& p, long long v) {
  int old = p.pos;
  p.pos = clampPos(p, v);
  if (p.pos != old) InvalidateRect(hwnd, nullptr, FALSE);
  return old;
}

LRESULT setRange(HWND hwnd, Progress& p, int low, int high) {
  LRESULT old = MAKELONG(p.low, p.high);
  p.low = low, p.high = high;
  p.pos = clampPos(p, p.pos);
  InvalidateRect(hwnd, nullptr, FALSE);
  return old;
}

void paint(HWND hwnd, const Progress& p) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  fillRect(dc, r, RGB(0xE6, 0xE6, 0xE6));
  frameRect(dc, r, RGB(0xBC, 0xBC, 0xBC));
  RECT in = r;
  inflate(in, -1);
  long long span = static_cast<long long>(p.high) - p.low;
  bool vertical = (GetWindowLongPtrW(hwnd, GWL_STYLE) & PBS_VERTICAL) != 0;
  long long length = vertical ? in.bottom - in.top : in.right - in.left;
  long long filled = span > 0 ? (static_cast<long long>(p.pos) - p.low) * length / span : 0;
  RECT bar = in;
  if (vertical) bar.top = in.bottom - static_cast<LONG>(filled);
  else bar.right = in.left + static_cast<LONG>(filled);
  if (filled > 0) fillRect(dc, bar, p.bar);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK progressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) bars().make(hwnd);
  Progress* p = bars().get(hwnd);
  if (!p) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: bars().drop(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *p); return 0;
    case PBM_SETRANGE: return setRange(hwnd, *p, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32: return setRange(hwnd, *p, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
      if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = PBRANGE{p->low, p->high};
      return wParam ? p->low : p->high;
    case PBM_SETPOS: return setPos(hwnd, *p, static_cast<int>(wParam));
    case PBM_DELTAPOS: return setPos(hwnd, *p, static_cast<long long>(p->pos) + static_cast<int>(wParam));
    case PBM_GETPOS: return p->pos;
    case PBM_SETSTEP: {
      int old = p->step;
      p->step = static_cast<int>(wParam);
      return old;
    }
    case PBM_GETSTEP: return p->step;
    case PBM_STEPIT: {
      // Stepping past the end starts again from the low end.
      long long next = static_cast<long long>(p->pos) + p->step;
      if (next > std::max(p->low, p->high)) next = std::min(p->low, p->high) + (next - std::max(p->low, p->high));
      return setPos(hwnd, *p, next);
    }
    case PBM_SETBARCOLOR: {
      COLORREF old = p->bar;
      p->bar = static_cast<COLORREF>(lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return old;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void registerProgress() { registerClass(PROGRESS_CLASSW, progressProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW); }

}  // namespace platform::controls
