#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/Rect.h"

namespace gdi::raster {

RECT bounded(const Surface& s, const RECT& clip) { return intersect(clip, RECT{0, 0, s.width, s.height}); }

RECT boundsOf(const ClipParts& clip) {
  RECT box{0, 0, 0, 0};
  for (const RECT& c : clip) {
    if (isEmpty(c)) continue;
    box = isEmpty(box) ? c
                       : RECT{std::min(box.left, c.left), std::min(box.top, c.top), std::max(box.right, c.right),
                              std::max(box.bottom, c.bottom)};
  }
  return box;
}

ClipParts within(const ClipParts& clip, const RECT& r) {
  ClipParts out;
  for (const RECT& c : clip)
    if (RECT cut = intersect(c, r); !isEmpty(cut)) out.push_back(cut);
  return out;
}

void fill(Surface& s, const RECT& clip, RECT area, uint32_t color) {
  RECT r = intersect(area, bounded(s, clip));
  for (int y = r.top; y < r.bottom; ++y) std::fill(s.row(y) + r.left, s.row(y) + r.right, color);
}

void invert(Surface& s, const RECT& clip, RECT area) {
  RECT r = intersect(area, bounded(s, clip));
  for (int y = r.top; y < r.bottom; ++y)
    for (uint32_t *p = s.row(y) + r.left, *e = s.row(y) + r.right; p < e; ++p) *p ^= 0xFFFFFF;
}

void blend(Surface& s, const RECT& clip, RECT area, uint32_t color, int alpha) {
  if (alpha <= 0) return;
  if (alpha >= 255) return fill(s, clip, area, color);
  RECT r = intersect(area, bounded(s, clip));
  for (int y = r.top; y < r.bottom; ++y)
    for (uint32_t *p = s.row(y) + r.left, *e = s.row(y) + r.right; p < e; ++p) *p = mix(*p, color, alpha);
}

void dot(Surface& s, const RECT& clip, int x, int y, int width, uint32_t color) {
  if (width <= 1) {
    RECT b = bounded(s, clip);
    if (x >= b.left && x < b.right && y >= b.top && y < b.bottom) s.row(y)[x] = color;
    return;
  }
  int x0 = x - (width - 1) / 2, y0 = y - (width - 1) / 2;
  fill(s, clip, RECT{x0, y0, x0 + width, y0 + width}, color);
}

// Bresenham's walk; the end point is not drawn.
void line(Surface& s, const RECT& clip, int x0, int y0, int x1, int y1, int width, uint32_t color) {
  if (width <= 1 && (y0 == y1 || x0 == x1)) {  // axis-parallel: one span
    // From (x0, y0) up to but not including (x1, y1), in either direction.
    int l = x1 < x0 ? x1 + 1 : x0, r = x1 < x0 ? x0 + 1 : std::max(x1, x0 + 1);
    int t = y1 < y0 ? y1 + 1 : y0, b = y1 < y0 ? y0 + 1 : std::max(y1, y0 + 1);
    if (x0 == x1 && y0 == y1) return;
    return fill(s, clip, RECT{l, t, r, b}, color);
  }
  int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx - dy;
  int x = x0, y = y0;
  while (x != x1 || y != y1) {
    dot(s, clip, x, y, width, color);
    int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void glyph(Surface& s, const RECT& clip, int x, int y, const Glyph& g, uint32_t color) {
  RECT cell{x + g.left, y + g.top, x + g.left + g.width, y + g.top + g.rows};
  RECT r = intersect(cell, bounded(s, clip));
  if (isEmpty(r)) return;
  for (int py = r.top; py < r.bottom; ++py) {
    const uint8_t* cov = g.coverage.data() + static_cast<size_t>(py - cell.top) * g.width + (r.left - cell.left);
    uint32_t* row = s.row(py);
    if (g.solid) {
      for (int px = r.left; px < r.right; ++px, ++cov)
        if (*cov) row[px] = color;
    } else {
      for (int px = r.left; px < r.right; ++px, ++cov) {
        int a = *cov;
        if (a == 255) row[px] = color;
        else if (a) row[px] = mix(row[px], color, a);
      }
    }
  }
}

}  // namespace gdi::raster
