// Lines, rectangles, polygons, fills, inversion and blits.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Rect.h"

using namespace gdi;

namespace {

// A DC ready to draw: its surface and clip in surface pixels.
struct Target {
  Dc* dc = nullptr;
  Surface* surface = nullptr;
  raster::ClipParts clip;  // surface pixels
  explicit operator bool() const { return surface != nullptr; }
  RECT toSurface(const RECT& r) const { return offset(r, dc->origin.x, dc->origin.y); }
};

Target target(HDC h) {
  Target t;
  t.dc = findDc(h);
  if (!t.dc || !t.dc->target()) return Target{};
  t.surface = t.dc->target();
  t.clip = t.dc->clipParts();
  return t;
}

bool drawsPen(const Pen* p) { return p->style != PS_NULL; }

// The colours of the brush handles (COLOR_* + 1) that windows classes use
// for their background, with the platform's default scheme.
bool systemBrushColor(HBRUSH brush, uint32_t* pixel) {
  auto v = reinterpret_cast<uintptr_t>(brush);
  if (v == 0 || v > 31) return false;
  static const COLORREF colors[31] = {
      0xC8C8C8, 0x000000, 0xD1B499, 0x808080, 0xF0F0F0, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4,
      0xDBCDBF, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0x696969, 0xE3E3E3,
      0xFFFFFF, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};
  *pixel = toPixel(colors[v - 1]);
  return true;
}

void frameBands(const Target& t, const RECT& r, const Pen* pen) {
  // The outline runs along the first and last column and row of r; a wider
  // pen grows on both sides of it.
  int w = pen->width, lo = (w - 1) / 2, hi = w - lo;
  LONG right = r.right - 1, bottom = r.bottom - 1;
  RECT bands[4] = {{r.left - lo, r.top - lo, right + hi, r.top + hi},
                   {r.left - lo, bottom - lo, right + hi, bottom + hi},
                   {r.left - lo, r.top - lo, r.left + hi, bottom + hi},
                   {right - lo, r.top - lo, right + hi, bottom + hi}};
  for (const RECT& b : bands) raster::fill(*t.surface, t.clip, b, pen->color);
}

}  // namespace

BOOL MoveToEx(HDC h, int x, int y, POINT* previous) {
  Dc* dc = findDc(h);
  if (!dc) return FALSE;
  if (previous) *previous = dc->pos;
  dc->pos = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC h, int x, int y) {
  Target t = target(h);
  if (!t) return FALSE;
  POINT from = t.dc->pos;
  t.dc->pos = POINT{x, y};
  if (drawsPen(t.dc->pen)) {
    LONG ox = t.dc->origin.x, oy = t.dc->origin.y;
    raster::line(*t.surface, t.clip, from.x + ox, from.y + oy, x + ox, y + oy, t.dc->pen->width, t.dc->pen->color);
  }
  return TRUE;
}

// The pen frames columns left..right-1 and rows top..bottom-1; the brush fills
// inside the frame. With the null pen the fill covers left..right-2 and
// top..bottom-2: the frame's place on the right and bottom stays untouched.
BOOL Rectangle(HDC h, int left, int top, int right, int bottom) {
  Target t = target(h);
  if (!t) return FALSE;
  RECT r = t.toSurface(normalised(left, top, right, bottom));
  const Pen* pen = t.dc->pen;
  const Brush* brush = t.dc->brush;
  if (!drawsPen(pen)) {
    if (!brush->hollow)
      raster::fill(*t.surface, t.clip, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, brush->color);
    return TRUE;
  }
  if (isEmpty(r)) return TRUE;
  int inset = pen->width - (pen->width - 1) / 2;  // pen pixels inside the outline
  if (!brush->hollow)
    raster::fill(*t.surface, t.clip, RECT{r.left + inset, r.top + inset, r.right - inset, r.bottom - inset},
                 brush->color);
  frameBands(t, r, pen);
  return TRUE;
}

// Even-odd fill of the pixels whose integer points lie inside, right and
// bottom edges excluded (so a square fills left..right-1, top..bottom-1),
// then the outline with the pen (each edge as LineTo draws it, so every
// vertex is drawn once).
BOOL Polygon(HDC h, const POINT* points, int count) {
  Target t = target(h);
  if (!t || !points || count < 2) return FALSE;
  LONG ox = t.dc->origin.x, oy = t.dc->origin.y;
  std::vector<POINT> p(points, points + count);
  for (POINT& q : p) q = POINT{q.x + ox, q.y + oy};
  if (!t.dc->brush->hollow && count >= 3) {
    LONG ymin = p[0].y, ymax = p[0].y;
    for (const POINT& q : p) ymin = std::min(ymin, q.y), ymax = std::max(ymax, q.y);
    RECT b = raster::bounded(*t.surface, raster::boundsOf(t.clip));
    std::vector<double> xs;
    for (LONG y = std::max(ymin, b.top); y < std::min(ymax, b.bottom); ++y) {
      const double yc = y;
      xs.clear();
      for (int i = 0; i < count; ++i) {
        const POINT& a = p[i];
        const POINT& c = p[(i + 1) % count];
        if ((a.y <= yc) == (c.y <= yc)) continue;
        xs.push_back(a.x + (yc - a.y) * (c.x - a.x) / double(c.y - a.y));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t i = 0; i + 1 < xs.size(); i += 2) {
        auto l = static_cast<LONG>(std::ceil(xs[i])), r = static_cast<LONG>(std::ceil(xs[i + 1]));
        raster::fill(*t.surface, t.clip, RECT{l, y, r, y + 1}, t.dc->brush->color);
      }
    }
  }
  if (drawsPen(t.dc->pen)) {
    for (int i = 0; i < count; ++i) {
      const POINT& a = p[i];
      const POINT& c = p[(i + 1) % count];
      raster::line(*t.surface, t.clip, a.x, a.y, c.x, c.y, t.dc->pen->width, t.dc->pen->color);
    }
  }
  return TRUE;
}

int FillRect(HDC h, const RECT* rect, HBRUSH brush) {
  Target t = target(h);
  if (!t || !rect) return 0;
  uint32_t color;
  if (!systemBrushColor(brush, &color)) {
    auto* b = find<Brush>(brush, Kind::Brush);
    if (!b) return 0;
    if (b->hollow) return 1;
    color = b->color;
  }
  raster::fill(*t.surface, t.clip, t.toSurface(*rect), color);
  return 1;
}

BOOL InvertRect(HDC h, const RECT* rect) {
  Target t = target(h);
  if (!t || !rect) return FALSE;
  raster::invert(*t.surface, t.clip, t.toSurface(*rect));
  return TRUE;
}

// Copies the source pixels that exist into the destination's clip; the
// destination keeps its pixels where the source has none. Source and
// destination may be the same surface and may overlap.
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  Target d = target(dst);
  Dc* s = findDc(src);
  if (!d || !s || !s->target() || rop != SRCCOPY || width < 0 || height < 0) return FALSE;
  Surface& from = *s->target();
  // Shift from destination to source surface pixels.
  LONG dx = srcX + s->origin.x - (x + d.dc->origin.x), dy = srcY + s->origin.y - (y + d.dc->origin.y);
  RECT whole = d.toSurface(RECT{x, y, x + width, y + height});
  for (const RECT& part : d.clip) {
    RECT area = intersect(whole, raster::bounded(*d.surface, part));
    RECT source = intersect(offset(area, dx, dy), RECT{0, 0, from.width, from.height});
    area = offset(source, -dx, -dy);
    if (isEmpty(area)) continue;
    size_t bytes = static_cast<size_t>(area.right - area.left) * sizeof(uint32_t);
    // Within one surface, a source above the destination is copied bottom-up
    // so that no source row is overwritten before it is read.
    bool bottomUp = &from == d.surface && dy < 0;
    for (LONG i = 0, n = area.bottom - area.top; i < n; ++i) {
      LONG row = bottomUp ? area.bottom - 1 - i : area.top + i;
      std::memmove(d.surface->row(row) + area.left, from.row(row + dy) + area.left + dx, bytes);
    }
  }
  return TRUE;
}
