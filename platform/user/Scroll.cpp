// Standard scroll bars: SCROLLINFO state with the platform's clamping, and
// bars appearing and vanishing with their range.
#include "platform/user/Scroll.h"

#include <algorithm>

#include "platform/user/Inject.h"
#include "platform/user/ScrollBarDraw.h"
#include "platform/user/ScrollBarLayout.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

DWORD styleFlag(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

// The bar's state, made on first use: range 0..100 when the window asked
// for the bar in its style, 0..0 otherwise.
ScrollBar& barOf(Window& w, int bar) {
  ScrollBar& b = w.bars[bar];
  if (!b.exists) b = ScrollBar{true, false, 0, (w.style & styleFlag(bar)) ? 100 : 0, 0, 0, 0};
  return b;
}

void clamp(ScrollBar& b) {
  UINT span = static_cast<UINT>(b.max - b.min) + 1;
  if (b.page > span) b.page = span;
  if (b.pos < b.min) b.pos = b.min;
  else if (b.pos > lastScrollPos(b)) b.pos = lastScrollPos(b);
}

// Shows or hides one bar; the client area changes, so WM_SIZE follows.
void setShown(const WindowRef& w, int bar, bool shown) {
  ScrollBar& b = barOf(*w, bar);
  if (b.shown == shown) return;
  SIZE before = clientSize(*w);
  b.shown = shown;
  if (shown) w->style |= styleFlag(bar);
  else w->style &= ~styleFlag(bar);
  clientSizeChanged(w, before);
  if (IsWindow(w->handle)) invalidate(w, nullptr, true);  // the bars are drawn after the paint
}

bool validBar(int bar) { return bar == SB_HORZ || bar == SB_VERT; }

}  // namespace

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
  WindowRef w = findWindow(hwnd);
  if (!w || !validBar(bar) || !info) return 0;
  ScrollBar& b = barOf(*w, bar);
  bool changed = false;
  if ((info->fMask & SIF_PAGE) && b.page != info->nPage) {
    b.page = info->nPage;
    changed = true;
  }
  if (info->fMask & SIF_RANGE) {
    if (info->nMin > info->nMax || static_cast<UINT>(info->nMax - info->nMin) >= 0x80000000u) {
      clamp(b);
      return b.pos;
    }
    if (b.min != info->nMin || b.max != info->nMax) {
      b.min = info->nMin, b.max = info->nMax;
      changed = true;
    }
  }
  if (info->fMask & SIF_POS) b.pos = info->nPos;
  clamp(b);
  int pos = b.pos;
  if ((info->fMask & (SIF_RANGE | SIF_PAGE)) && changed) {
    bool needed = b.min < lastScrollPos(b);
    setShown(w, bar, needed || (info->fMask & SIF_DISABLENOSCROLL));
  }
  if (redraw && IsWindow(hwnd) && b.shown) drawScrollBars(w);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  WindowRef w = findWindow(hwnd);
  if (!w || !validBar(bar) || !info) return FALSE;
  if (!w->bars[bar].exists && !(w->style & styleFlag(bar))) return FALSE;
  const ScrollBar& b = barOf(*w, bar);
  if (info->fMask & SIF_RANGE) info->nMin = b.min, info->nMax = b.max;
  if (info->fMask & SIF_PAGE) info->nPage = b.page;
  if (info->fMask & SIF_POS) info->nPos = b.pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = b.trackPos;
  return (info->fMask & SIF_ALL) ? TRUE : FALSE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  WindowRef w = findWindow(hwnd);
  if (!w || !validBar(bar)) return 0;
  int old = barOf(*w, bar).pos;
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  WindowRef w = findWindow(hwnd);
  if (!w || !validBar(bar)) return 0;
  return barOf(*w, bar).pos;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  WindowRef w = findWindow(hwnd);
  if (!w || (!validBar(bar) && bar != SB_BOTH)) return FALSE;
  if (bar == SB_HORZ || bar == SB_BOTH) setShown(w, SB_HORZ, show);
  if ((bar == SB_VERT || bar == SB_BOTH) && IsWindow(hwnd)) setShown(w, SB_VERT, show);
  return TRUE;
}

namespace platform {

void setScrollTrackPos(HWND hwnd, int bar, int pos) {
  WindowRef w = findWindow(hwnd);
  if (!w || !validBar(bar)) return;
  barOf(*w, bar).trackPos = pos;
}

}  // namespace platform
