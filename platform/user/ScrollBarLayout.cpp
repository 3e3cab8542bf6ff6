// Layout of a window's standard scroll bars.
#include "platform/user/ScrollBarLayout.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "platform/user/Window.h"

namespace platform::user {

namespace {

constexpr int kMinThumb = 8;  // the shortest thumb drawn for a long range

int barThickness() { return GetSystemMetrics(SM_CXVSCROLL); }

// The client area in window coordinates.
RECT clientInWindow(const Window& w) {
  RECT in = nonClientInsets(w);
  SIZE cs = clientSize(w);
  return RECT{in.left, in.top, in.left + cs.cx, in.top + cs.cy};
}

}  // namespace

int lastScrollPos(const ScrollBar& b) { return b.max - std::max(static_cast<int>(b.page) - 1, 0); }

POINT windowOriginOnScreen(const Window& w) {
  POINT o = clientOriginOnScreen(w);
  RECT in = nonClientInsets(w);
  return POINT{o.x - in.left, o.y - in.top};
}

RECT scrollBarRect(const Window& w, int bar) {
  if ((bar != SB_HORZ && bar != SB_VERT) || !w.bars[bar].shown) return RECT{};
  RECT c = clientInWindow(w);
  int t = barThickness();
  if (bar == SB_VERT) return RECT{c.right, c.top, c.right + t, c.bottom};
  return RECT{c.left, c.bottom, c.right, c.bottom + t};
}

RECT sizeBoxRect(const Window& w) {
  if (!w.bars[SB_HORZ].shown || !w.bars[SB_VERT].shown) return RECT{};
  RECT c = clientInWindow(w);
  int t = barThickness();
  return RECT{c.right, c.bottom, c.right + t, c.bottom + t};
}

BarLayout layoutScrollBar(const Window& w, int bar, int pos) {
  BarLayout l;
  l.bar = scrollBarRect(w, bar);
  l.vertical = bar == SB_VERT;
  l.length = std::max<int>(l.vertical ? l.bar.bottom - l.bar.top : l.bar.right - l.bar.left, 0);
  l.arrow = std::min(barThickness(), l.length / 2);
  const ScrollBar& b = w.bars[bar];
  int last = lastScrollPos(b);
  l.enabled = b.exists && last > b.min && !(w.style & WS_DISABLED);
  int track = l.trackEnd() - l.trackStart();
  if (!l.enabled || track < kMinThumb) return l;
  int64_t range = static_cast<int64_t>(b.max) - b.min + 1;
  int thumb = b.page ? static_cast<int>(track * static_cast<int64_t>(b.page) / range) : barThickness();
  l.thumbLength = std::clamp(thumb, kMinThumb, track);
  int p = std::clamp(pos, b.min, last);
  int64_t span = static_cast<int64_t>(last) - b.min;
  l.thumbStart = l.trackStart() + static_cast<int>((static_cast<int64_t>(p) - b.min) * l.travel() / span);
  assert(l.thumbStart >= l.trackStart() && l.thumbStart + l.thumbLength <= l.trackEnd());
  return l;
}

BarLayout withThumbAt(BarLayout l, int thumbStart) {
  if (l.thumbLength > 0) l.thumbStart = std::clamp(thumbStart, l.trackStart(), l.trackStart() + l.travel());
  return l;
}

BarPart barPartAt(const BarLayout& l, int along) {
  if (along < 0 || along >= l.length) return BarPart::None;
  if (along < l.trackStart()) return BarPart::LineUp;
  if (along >= l.trackEnd()) return BarPart::LineDown;
  if (l.thumbLength == 0) return BarPart::None;  // a bar without thumb has no pages to click
  if (along < l.thumbStart) return BarPart::PageUp;
  if (along >= l.thumbStart + l.thumbLength) return BarPart::PageDown;
  return BarPart::Thumb;
}

int positionForThumb(const ScrollBar& b, const BarLayout& l, int thumbStart) {
  int travel = l.travel();
  if (l.thumbLength == 0 || travel <= 0) return b.min;
  int64_t offset = std::clamp(thumbStart - l.trackStart(), 0, travel);
  int64_t span = static_cast<int64_t>(lastScrollPos(b)) - b.min;
  return b.min + static_cast<int>((offset * span + travel / 2) / travel);
}

}  // namespace platform::user
