// Drawing of a window's standard scroll bars.
#include "platform/user/ScrollBarDraw.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/user/Desktop.h"
#include "platform/user/ScrollBarLayout.h"
#include "platform/user/ScrollBarTrack.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

void fill(HDC dc, RECT r, COLORREF color) {
  if (IsRectEmpty(&r)) return;
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

// A filled triangle of four rows (columns) in the middle of `box`, its tip
// towards the end the arrow scrolls to.
void drawGlyph(HDC dc, RECT box, bool vertical, bool towardsStart, COLORREF color) {
  int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    int step = towardsStart ? i : 3 - i;  // 0 at the tip
    if (vertical) {
      int y = cy - 2 + i;
      fill(dc, RECT{cx - step, y, cx + step + 1, y + 1}, color);
    } else {
      int x = cx - 2 + i;
      fill(dc, RECT{x, cy - step, x + 1, cy + step + 1}, color);
    }
  }
}

// The rectangle (window coordinates) of a stretch along the bar's axis.
RECT stretch(const BarLayout& l, int from, int to) {
  if (l.vertical) return RECT{l.bar.left, l.bar.top + from, l.bar.right, l.bar.top + to};
  return RECT{l.bar.left + from, l.bar.top, l.bar.left + to, l.bar.bottom};
}

// One bar, drawn with a DC whose coordinates are the window's.
void drawBar(HDC dc, const Window& w, int bar) {
  const ScrollBar& b = w.bars[bar];
  BarLayout l = layoutScrollBar(w, bar, b.pos);
  if (l.length <= 0) return;
  BarPart held = BarPart::None;
  bool dragging = false;
  if (auto t = trackedBar(); t && t->hwnd == w.handle && t->bar == bar) {
    if (t->part == BarPart::Thumb) {
      l = withThumbAt(l, t->thumbStart);
      dragging = true;
    } else if (t->over) {
      held = t->part;
    }
  }
  fill(dc, l.bar, kBarTrack);
  if (held == BarPart::PageUp) fill(dc, stretch(l, l.trackStart(), l.thumbStart), kBarPressed);
  if (held == BarPart::PageDown) fill(dc, stretch(l, l.thumbStart + l.thumbLength, l.trackEnd()), kBarPressed);
  RECT up = stretch(l, 0, l.arrow), down = stretch(l, l.trackEnd(), l.length);
  if (held == BarPart::LineUp) fill(dc, up, kBarPressed);
  if (held == BarPart::LineDown) fill(dc, down, kBarPressed);
  COLORREF glyph = l.enabled ? kBarArrow : kBarArrowDisabled;
  drawGlyph(dc, up, l.vertical, true, glyph);
  drawGlyph(dc, down, l.vertical, false, glyph);
  if (l.thumbLength > 0) {
    RECT thumb = stretch(l, l.thumbStart, l.thumbStart + l.thumbLength);
    // A margin of two pixels across the bar keeps the track visible beside the thumb.
    if (l.vertical) thumb.left += 2, thumb.right -= 2;
    else thumb.top += 2, thumb.bottom -= 2;
    fill(dc, thumb, dragging ? kBarThumbDragged : kBarThumb);
  }
}

void drawAll(HDC dc, const Window& w) {
  if (w.bars[SB_VERT].shown) drawBar(dc, w, SB_VERT);
  if (w.bars[SB_HORZ].shown) drawBar(dc, w, SB_HORZ);
  fill(dc, sizeBoxRect(w), kBarTrack);
}

// The bars and the size box of a child, into its top-level window's surface.
void drawChildBars(const WindowRef& w) {
  WindowRef parent = findWindow(w->parent);
  WindowRef top = topLevelOf(w);
  if (!parent || !top || !isVisible(*w)) return;
  if (!top->surface) resizeSurface(*top);
  RECT in = nonClientInsets(*w);
  POINT client = clientOriginInSurface(*w);
  POINT origin{client.x - in.left, client.y - in.top};
  RECT area{}, v = scrollBarRect(*w, SB_VERT), h = scrollBarRect(*w, SB_HORZ), box = sizeBoxRect(*w);
  UnionRect(&area, &v, &h);
  UnionRect(&area, &area, &box);
  OffsetRect(&area, origin.x, origin.y);
  RECT clip = visibleClientInSurface(*parent);
  if (!IntersectRect(&clip, &clip, &area)) return;
  HDC dc = createSurfaceDC(top->surface.get(), origin, clip);
  if (!dc) return;
  setSurfaceDCExcluded(dc, clippedAway(w));  // siblings above a clip-siblings window stay
  drawAll(dc, *w);
  deleteSurfaceDC(dc);
  if (platform::Desktop* d = platform::desktop()) d->surfaceDrawn(top->handle, clip);
}

bool showsBars(const Window& w) { return w.bars[SB_VERT].shown || w.bars[SB_HORZ].shown; }

}  // namespace

namespace platform::user {

void drawScrollBars(const WindowRef& w) {
  w->barsStale = false;
  if (!showsBars(*w)) return;
  if (w->parent) {
    drawChildBars(w);
  } else if (platform::Desktop* d = platform::desktop()) {
    d->scrollBarsChanged(w->handle);
  }
}

void markScrollBarsStale(Window& w) {
  if (showsBars(w)) w.barsStale = true;
}

void scrollBarsCovered(const Window& parent, RECT area) {
  for (HWND c : parent.children) {
    WindowRef child = findWindow(c);
    RECT under;
    if (child && (child->style & WS_VISIBLE) && IntersectRect(&under, &area, &child->rect))
      markScrollBarsStale(*child);
  }
}

void drawStaleScrollBars(const WindowRef& w) {
  if (w->barsStale) drawScrollBars(w);
}

}  // namespace platform::user

Surface scrollBarPixels(HWND hwnd, int bar) {
  Surface out;
  WindowRef w = findWindow(hwnd);
  if (!w || (bar != SB_VERT && bar != SB_HORZ)) return out;
  RECT r = scrollBarRect(*w, bar);
  if (bar == SB_VERT) {
    RECT box = sizeBoxRect(*w);
    UnionRect(&r, &r, &box);
  }
  if (IsRectEmpty(&r)) return out;
  out.resize(r.right - r.left, r.bottom - r.top);
  HDC dc = createSurfaceDC(&out, POINT{-r.left, -r.top}, RECT{0, 0, out.width, out.height});
  if (!dc) return out;
  if (w->bars[bar].shown) drawBar(dc, *w, bar);
  if (bar == SB_VERT) fill(dc, sizeBoxRect(*w), kBarTrack);
  deleteSurfaceDC(dc);
  return out;
}
