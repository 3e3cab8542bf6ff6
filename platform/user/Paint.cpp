// Update regions, WM_PAINT selection, BeginPaint/EndPaint and window DCs on
// the top-level window's surface.
#include "platform/user/Paint.h"

#include <unordered_map>

#include "platform/user/Desktop.h"
#include "platform/user/Message.h"
#include "platform/user/ScrollBarDraw.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

// A DC handed out: it keeps its surface alive until released; what it may
// have drawn (its clip) is told to the desktop then.
struct LiveDC {
  std::shared_ptr<Surface> surface;
  HWND top = nullptr;  // null for the screen DC
  RECT clip{};         // surface pixels
};

std::unordered_map<HDC, LiveDC>& liveDCs() {
  static auto* dcs = new std::unordered_map<HDC, LiveDC>;
  return *dcs;
}

// A DC of `w` clipped to its visible client area, within `within` (client
// coordinates; null = all) less the rectangles of `valid` (client coordinates).
HDC makeDC(const WindowRef& w, const RECT* within, const std::vector<RECT>& valid = {}) {
  WindowRef top = topLevelOf(w);
  if (!top->surface) resizeSurface(*top);
  POINT origin = clientOriginInSurface(*w);
  RECT clip = visibleClientInSurface(*w);
  if (within) {
    RECT r = *within;
    OffsetRect(&r, origin.x, origin.y);
    if (!IntersectRect(&clip, &clip, &r)) clip = RECT{0, 0, 0, 0};
  }
  HDC dc = createSurfaceDC(top->surface.get(), origin, clip);
  if (!dc) return nullptr;
  std::vector<RECT> excluded = clippedAway(w);
  for (RECT r : valid) {
    OffsetRect(&r, origin.x, origin.y);
    excluded.push_back(r);
  }
  setSurfaceDCExcluded(dc, std::move(excluded));
  liveDCs()[dc] = LiveDC{top->surface, top->handle, clip};
  return dc;
}

bool releaseDC(HDC dc) {
  auto it = liveDCs().find(dc);
  if (it == liveDCs().end()) return false;
  LiveDC live = it->second;
  deleteSurfaceDC(dc);
  liveDCs().erase(it);
  if (live.top && !IsRectEmpty(&live.clip))
    if (platform::Desktop* d = platform::desktop()) d->surfaceDrawn(live.top, live.clip);
  return true;
}

HWND paintSearch(const WindowRef& w, HWND filter, std::thread::id thread) {
  if (!(w->style & WS_VISIBLE)) return nullptr;
  // Its ancestors have painted: bars they covered are drawn again.
  if (w->thread == thread && w->update.empty()) drawStaleScrollBars(w);
  if (w->thread == thread && !w->update.empty() && (!filter || w->handle == filter || IsChild(filter, w->handle)))
    return w->handle;
  for (HWND c : w->children)
    if (WindowRef child = findWindow(c))
      if (HWND found = paintSearch(child, filter, thread)) return found;
  return nullptr;
}

void updateNow(const WindowRef& w) {
  if (!isVisible(*w)) return;
  if (!w->update.empty()) callProc(w, WM_PAINT, 0, 0);
  std::vector<HWND> children = w->children;
  for (HWND c : children)
    if (WindowRef child = findWindow(c)) updateNow(child);
}

}  // namespace

namespace platform::user {

// A window's rectangle in its top-level window's surface.
RECT rectInSurface(const Window& w) {
  WindowRef parent = findWindow(w.parent);
  if (!parent) return RECT{0, 0, 0, 0};
  POINT o = clientOriginInSurface(*parent);
  RECT r = w.rect;
  OffsetRect(&r, o.x, o.y);
  return r;
}

// What a DC of `w` leaves alone (surface pixels): its visible children when
// it has WS_CLIPCHILDREN; for it and each ancestor with WS_CLIPSIBLINGS, the
// visible siblings above it.
std::vector<RECT> clippedAway(const WindowRef& w) {
  std::vector<RECT> out;
  if (w->style & WS_CLIPCHILDREN)
    for (HWND c : w->children)
      if (WindowRef child = findWindow(c); child && (child->style & WS_VISIBLE))
        out.push_back(rectInSurface(*child));
  for (WindowRef cur = w; cur && cur->parent; cur = findWindow(cur->parent)) {
    if (!(cur->style & WS_CLIPSIBLINGS)) continue;
    WindowRef parent = findWindow(cur->parent);
    if (!parent) break;
    for (HWND sib : parent->children) {  // topmost first: those before `cur` are above it
      if (sib == cur->handle) break;
      if (WindowRef above = findWindow(sib); above && (above->style & WS_VISIBLE))
        out.push_back(rectInSurface(*above));
    }
  }
  return out;
}

void invalidate(const WindowRef& w, const RECT* rect, bool erase) {
  SIZE cs = clientSize(*w);
  RECT client{0, 0, cs.cx, cs.cy};
  RECT r = client;
  if (rect && !IntersectRect(&r, rect, &client)) return;
  if (IsRectEmpty(&r)) return;
  w->update.add(r);
  if (erase) w->erasePending = true;
  if (!rect) markScrollBarsStale(*w);
  if (w->style & WS_CLIPCHILDREN) return;
  for (HWND c : w->children) {
    WindowRef child = findWindow(c);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    RECT under;
    if (!IntersectRect(&under, &r, &child->rect)) continue;
    RECT in = nonClientInsets(*child);
    OffsetRect(&under, -(child->rect.left + in.left), -(child->rect.top + in.top));
    invalidate(child, &under, erase);
  }
}

void invalidateParentArea(const Window& w) {
  if (WindowRef parent = findWindow(w.parent)) invalidate(parent, &w.rect, true);
}

HWND findWindowToPaint(HWND filter, std::thread::id thread) {
  std::vector<HWND> tops = state().topLevels;
  for (HWND t : tops)
    if (WindowRef w = findWindow(t))
      if (HWND found = paintSearch(w, filter, thread)) return found;
  return nullptr;
}

}  // namespace platform::user

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    std::vector<HWND> tops = state().topLevels;
    for (HWND t : tops)
      if (WindowRef w = findWindow(t)) invalidate(w, nullptr, erase);
    return TRUE;
  }
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  invalidate(w, rect, erase);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  if (rect) w->update.subtract(*rect);
  else w->update.clear();
  if (w->update.empty()) w->erasePending = false;
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->update.bounds();
  return !w->update.empty();
}

BOOL UpdateWindow(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  updateNow(w);
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  WindowRef w = findWindow(hwnd);
  if (!w || !ps) return nullptr;
  RECT update = w->update.bounds();
  std::vector<RECT> valid = w->update.outside(update);  // inside the box, not to be painted
  bool erase = w->erasePending;
  scrollBarsCovered(*w, update);  // this paint may draw over its children's bars
  w->update.clear();
  w->erasePending = false;
  *ps = PAINTSTRUCT{};
  ps->hdc = makeDC(w, &update, valid);
  ps->rcPaint = update;
  if (erase && ps->hdc)
    ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) ? FALSE : TRUE;
  return ps->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) releaseDC(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) {
    static auto* screen = [] {
      auto s = std::make_shared<Surface>();
      s->resize(1, 1);
      return new std::shared_ptr<Surface>(s);
    }();
    HDC dc = createSurfaceDC(screen->get(), POINT{0, 0}, RECT{0, 0, 1, 1});
    if (dc) liveDCs()[dc] = LiveDC{*screen, nullptr, RECT{}};
    return dc;
  }
  WindowRef w = findWindow(hwnd);
  return w ? makeDC(w, nullptr) : nullptr;
}

int ReleaseDC(HWND, HDC dc) { return releaseDC(dc) ? 1 : 0; }
