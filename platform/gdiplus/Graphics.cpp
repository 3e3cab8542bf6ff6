// The GDI+ flat calls on top of the GDI surfaces.
#include <atomic>
#include <cmath>
#include <mutex>
#include <unordered_set>

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Rect.h"
#include "platform/gdiplus/gdiplus.h"

using namespace Gdiplus;

struct GpGraphics {
  HDC dc = nullptr;
  bool hasClip = false;
  RECT clip{0, 0, 0, 0};  // DC coordinates; valid when hasClip
};

struct GpBrush {
  bool gradient = false;
  ARGB color = 0;       // solid fills
  ARGB c1 = 0, c2 = 0;  // gradients
  GpPoint p1{0, 0}, p2{0, 0};
  GpWrapMode wrap = WrapModeTile;
};
struct GpSolidFill : GpBrush {};
struct GpLineGradient : GpBrush {};

namespace {

std::atomic<int> gStarted{0};  // number of tokens not shut down yet

// Live Graphics and brush objects, so that stale pointers are refused.
struct Live {
  std::mutex lock;
  std::unordered_set<const void*> objects;
};
Live& live() {
  static Live* l = new Live;
  return *l;
}
void track(const void* p) {
  std::lock_guard<std::mutex> g(live().lock);
  live().objects.insert(p);
}
bool untrack(const void* p) {
  std::lock_guard<std::mutex> g(live().lock);
  return live().objects.erase(p) > 0;
}
bool alive(const void* p) {
  std::lock_guard<std::mutex> g(live().lock);
  return p && live().objects.count(p) > 0;
}

uint32_t rgbOf(ARGB c) { return c & 0xFFFFFF; }
int alphaOf(ARGB c) { return static_cast<int>(c >> 24); }

// The gradient parameter in [0, 1) after wrapping.
double wrapped(double t, GpWrapMode wrap) {
  double cell = std::floor(t);
  double f = t - cell;
  bool flip = wrap == WrapModeTileFlipX || wrap == WrapModeTileFlipY || wrap == WrapModeTileFlipXY;
  if (flip && static_cast<long long>(cell) % 2 != 0) f = 1 - f;
  return f;
}

ARGB lerp(ARGB a, ARGB b, double t) {
  ARGB out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    auto v = static_cast<ARGB>(std::lround(ca + (cb - ca) * t));
    out |= (v & 0xFF) << shift;
  }
  return out;
}

// Blends one ARGB colour over a run of pixels.
void paint(Surface& s, const gdi::raster::ClipParts& clip, RECT run, ARGB c) {
  gdi::raster::blend(s, clip, run, rgbOf(c), alphaOf(c));
}

}  // namespace

namespace Gdiplus {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1 && input->GdiplusVersion != 2) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  if (output) *output = GdiplusStartupOutput{};
  // A token is the address of a live tracked cell, so a second shutdown of
  // the same token (or an invented one) finds nothing.
  auto* cell = new char;
  track(cell);
  *token = reinterpret_cast<ULONG_PTR>(cell);
  ++gStarted;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  auto* cell = reinterpret_cast<char*>(token);
  if (!untrack(cell)) return;
  delete cell;
  --gStarted;
}

}  // namespace Gdiplus

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics) {
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  if (gStarted.load() <= 0) return GdiplusNotInitialized;
  if (!gdi::findDc(dc)) return OutOfMemory;
  auto* g = new GpGraphics;
  g->dc = dc;
  track(g);
  *graphics = g;
  return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* g) {
  if (!g || !untrack(g)) return InvalidParameter;
  delete g;
  return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  if (!brush) return InvalidParameter;
  auto* b = new GpSolidFill;
  b->color = color;
  track(static_cast<GpBrush*>(b));
  *brush = b;
  return Ok;
}

GpStatus GdipCreateLineBrushI(const GpPoint* p1, const GpPoint* p2, ARGB c1, ARGB c2, GpWrapMode wrap,
                              GpLineGradient** brush) {
  if (!brush || !p1 || !p2) return InvalidParameter;
  *brush = nullptr;
  if (wrap == WrapModeClamp) return InvalidParameter;
  if (p1->X == p2->X && p1->Y == p2->Y) return OutOfMemory;
  auto* b = new GpLineGradient;
  b->gradient = true;
  b->c1 = c1;
  b->c2 = c2;
  b->p1 = *p1;
  b->p2 = *p2;
  b->wrap = wrap;
  track(static_cast<GpBrush*>(b));
  *brush = b;
  return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (!brush || !untrack(brush)) return InvalidParameter;
  delete brush;
  return Ok;
}

GpStatus GdipFillRectangleI(GpGraphics* g, GpBrush* brush, INT x, INT y, INT width, INT height) {
  if (!alive(g) || !alive(brush)) return InvalidParameter;
  gdi::Dc* dc = gdi::findDc(g->dc);
  if (!dc || !dc->target()) return Win32Error;
  if (width <= 0 || height <= 0) return Ok;
  Surface& s = *dc->target();
  const LONG ox = dc->origin.x, oy = dc->origin.y;
  gdi::raster::ClipParts clip = dc->clipParts();
  if (g->hasClip) clip = gdi::raster::within(clip, gdi::offset(g->clip, ox, oy));
  RECT area = gdi::intersect(RECT{x + ox, y + oy, x + ox + width, y + oy + height},
                             gdi::raster::bounded(s, gdi::raster::boundsOf(clip)));
  if (gdi::isEmpty(area)) return Ok;
  if (!brush->gradient) {
    paint(s, clip, area, brush->color);
    return Ok;
  }
  // t = ((p - p1) . d) / |d|^2 in DC coordinates, d = p2 - p1.
  const double dx = brush->p2.X - brush->p1.X, dy = brush->p2.Y - brush->p1.Y;
  const double len2 = dx * dx + dy * dy;
  for (LONG py = area.top; py < area.bottom; ++py) {
    double rowPart = ((py - oy) - brush->p1.Y) * dy;
    if (dx == 0) {  // vertical gradient: one colour per row
      paint(s, clip, RECT{area.left, py, area.right, py + 1},
            lerp(brush->c1, brush->c2, wrapped(rowPart / len2, brush->wrap)));
      continue;
    }
    for (LONG px = area.left; px < area.right; ++px) {
      double t = (((px - ox) - brush->p1.X) * dx + rowPart) / len2;
      paint(s, clip, RECT{px, py, px + 1, py + 1}, lerp(brush->c1, brush->c2, wrapped(t, brush->wrap)));
    }
  }
  return Ok;
}

GpStatus GdipSetClipHrgn(GpGraphics* g, HRGN region, GpCombineMode mode) {
  if (!alive(g)) return InvalidParameter;
  auto* r = gdi::find<gdi::Region>(region, gdi::Kind::Region);
  if (!r) return InvalidParameter;
  if (mode == CombineModeReplace) {
    g->clip = r->box;
  } else if (mode == CombineModeIntersect) {
    g->clip = g->hasClip ? gdi::intersect(g->clip, r->box) : r->box;
  } else {
    return NotImplemented;
  }
  g->hasClip = true;
  return Ok;
}

GpStatus GdipResetClip(GpGraphics* g) {
  if (!alive(g)) return InvalidParameter;
  g->hasClip = false;
  return Ok;
}
