// Mouse tracking of a window's standard scroll bars.
#include "platform/user/ScrollBarTrack.h"

#include "platform/user/Inject.h"
#include "platform/user/Input.h"
#include "platform/user/Message.h"
#include "platform/user/ScrollBarDraw.h"
#include "platform/user/Timer.h"
#include "platform/user/Window.h"

namespace platform::user {

namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFF0;  // the tracked window's timer id while a part repeats

struct Track {
  HWND hwnd = nullptr;
  int bar = SB_VERT;
  BarPart part = BarPart::None;
  bool over = true;    // the pointer is over the pressed part
  int grip = 0;        // thumb drags: the pointer's distance from the thumb's start
  int startThumb = 0;  // thumb drags: where the thumb was at the press
  int startPos = 0;    // thumb drags: the position at the press
  int thumbStart = 0;  // thumb drags: where the thumb is drawn
  int trackPos = 0;    // thumb drags: the position last sent
};

std::optional<Track>& current() {
  static std::optional<Track> track;
  return track;
}

UINT scrollMessage(int bar) { return bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL; }

void send(const Track& t, int request, int pos = 0) {
  SendMessageW(t.hwnd, scrollMessage(t.bar), MAKEWPARAM(request, static_cast<WORD>(pos)), 0);
}

int requestOf(BarPart part) {
  switch (part) {
    case BarPart::LineUp: return SB_LINEUP;
    case BarPart::LineDown: return SB_LINEDOWN;
    case BarPart::PageUp: return SB_PAGEUP;
    case BarPart::PageDown: return SB_PAGEDOWN;
    default: return -1;
  }
}

// The bar's current layout and a screen point's place along its axis.
BarLayout layoutNow(const Window& w, int bar) { return layoutScrollBar(w, bar, w.bars[bar].pos); }

int alongOf(const Window& w, const BarLayout& l, POINT screen) {
  POINT o = windowOriginOnScreen(w);
  return l.vertical ? screen.y - o.y - l.bar.top : screen.x - o.x - l.bar.left;
}

// Whether a screen point is over the pressed part as the bar now lies (the
// thumb moves between page repeats).
bool overPart(const Window& w, const Track& t, POINT screen) {
  BarLayout l = layoutNow(w, t.bar);
  POINT o = windowOriginOnScreen(w);
  POINT p{screen.x - o.x, screen.y - o.y};
  if (!PtInRect(&l.bar, p)) return false;
  return barPartAt(l, alongOf(w, l, screen)) == t.part;
}

void redraw(HWND hwnd) {
  if (WindowRef w = findWindow(hwnd)) drawScrollBars(w);
}

// Ends the tracking: the capture goes, then SB_ENDSCROLL.
void finish() {
  std::optional<Track> t = current();
  if (!t) return;
  current().reset();
  KillTimer(t->hwnd, kRepeatTimer);
  if (GetCapture() == t->hwnd) ReleaseCapture();
  if (!IsWindow(t->hwnd)) return;
  send(*t, SB_ENDSCROLL);
  redraw(t->hwnd);
}

// A tracking whose window is gone or lost the capture ends; true when one is
// still on.
bool stillTracking() {
  std::optional<Track>& t = current();
  if (!t) return false;
  if (IsWindow(t->hwnd) && GetCapture() == t->hwnd) return true;
  finish();
  return false;
}

void CALLBACK repeat(HWND hwnd, UINT, UINT_PTR, DWORD) {
  if (!stillTracking() || current()->hwnd != hwnd) {
    KillTimer(hwnd, kRepeatTimer);
    return;
  }
  SetTimer(hwnd, kRepeatTimer, kScrollRepeatInterval, &repeat);
  Track& t = *current();
  WindowRef w = findWindow(hwnd);
  POINT cursor;
  GetCursorPos(&cursor);
  bool over = overPart(*w, t, cursor);
  if (over != t.over) {
    t.over = over;
    redraw(hwnd);
  }
  if (over) send(t, requestOf(t.part));
}

// Whether a pointer dragging the thumb is near enough the bar to move it:
// within 8 bar thicknesses across the bar and 2 beyond its ends. Farther
// out the thumb goes back to where the drag began, until it comes back.
bool nearBar(const Window& w, const BarLayout& l, POINT screen) {
  POINT o = windowOriginOnScreen(w);
  RECT r = l.bar;
  OffsetRect(&r, o.x, o.y);
  int thickness = l.vertical ? r.right - r.left : r.bottom - r.top;
  int across = thickness * kThumbStrayAcross, along = thickness * kThumbStrayAlong;
  int dx = l.vertical ? across : along, dy = l.vertical ? along : across;
  RECT reach{r.left - dx, r.top - dy, r.right + dx, r.bottom + dy};
  return PtInRect(&reach, screen) != FALSE;
}

void dragThumb(const Window& w, Track& t, POINT screen) {
  BarLayout l = layoutNow(w, t.bar);
  int thumb = t.startThumb, pos = t.startPos;
  if (nearBar(w, l, screen)) {
    thumb = withThumbAt(l, alongOf(w, l, screen) - t.grip).thumbStart;
    pos = positionForThumb(w.bars[t.bar], l, thumb);
  }
  bool drawn = thumb != t.thumbStart;
  t.thumbStart = thumb;
  if (pos != t.trackPos) {
    t.trackPos = pos;
    setScrollTrackPos(t.hwnd, t.bar, pos);
    send(t, SB_THUMBTRACK, pos);
    drawn = true;
  }
  if (drawn && stillTracking()) redraw(t.hwnd);
}

}  // namespace

void startScrollTrack(const WindowRef& w, int bar, POINT screen) {
  if (current()) finish();
  BarLayout l = layoutNow(*w, bar);
  if (!l.enabled) return;
  BarPart part = barPartAt(l, alongOf(*w, l, screen));
  if (part == BarPart::None) return;
  Track t;
  t.hwnd = w->handle, t.bar = bar, t.part = part;
  if (part == BarPart::Thumb) {
    t.grip = alongOf(*w, l, screen) - l.thumbStart;
    t.thumbStart = t.startThumb = l.thumbStart;
    t.trackPos = t.startPos = w->bars[bar].pos;
    setScrollTrackPos(t.hwnd, bar, t.trackPos);
  }
  current() = t;
  SetCapture(t.hwnd);
  redraw(t.hwnd);
  if (part == BarPart::Thumb || !stillTracking()) return;
  send(t, requestOf(part));
  if (stillTracking()) SetTimer(t.hwnd, kRepeatTimer, kScrollRepeatDelay, &repeat);
}

bool scrollTrackTakes(const MSG& m, POINT screen) {
  if (!stillTracking()) return false;
  Track& t = *current();
  WindowRef w = findWindow(t.hwnd);
  switch (m.message) {
    case WM_MOUSEMOVE:
      if (t.part == BarPart::Thumb) {
        dragThumb(*w, t, screen);
      } else if (bool over = overPart(*w, t, screen); over != t.over) {
        t.over = over;
        redraw(t.hwnd);
      }
      return true;
    case WM_LBUTTONUP:
      if (t.part == BarPart::Thumb) {
        dragThumb(*w, t, screen);
        if (!stillTracking()) return true;
        send(*current(), SB_THUMBPOSITION, current()->trackPos);
      }
      finish();
      return true;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: return false;
    default: return true;  // other buttons wait until the bar is let go
  }
}

void scrollTrackCaptureLost(HWND hwnd) {
  if (current() && current()->hwnd == hwnd) stillTracking();
}

std::optional<TrackedBar> trackedBar() {
  const std::optional<Track>& t = current();
  if (!t) return std::nullopt;
  return TrackedBar{t->hwnd, t->bar, t->part, t->over, t->thumbStart};
}

}  // namespace platform::user
