// Icons made from our own images, and DrawIconEx.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Rect.h"

using namespace gdi;

HICON createIconFromArgb(int width, int height, const uint32_t* argb) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !argb) return nullptr;
  auto* icon = new Icon;
  icon->width = width;
  icon->height = height;
  icon->argb.assign(argb, argb + static_cast<size_t>(width) * height);
  registerObject(icon);
  return static_cast<HICON>(static_cast<void*>(static_cast<GdiObject*>(icon)));
}

BOOL DestroyIcon(HICON h) {
  auto* icon = find<Icon>(h, Kind::Icon);
  if (!icon) return FALSE;
  unregisterObject(icon);
  delete icon;
  return TRUE;
}

SIZE iconSize(HICON h) {
  auto* icon = find<Icon>(h, Kind::Icon);
  return icon ? SIZE{icon->width, icon->height} : SIZE{0, 0};
}

namespace {

// The pixels of `r` (surface pixels, inside one clip part) of an icon drawn
// scaled to `area`.
void drawIconPart(Surface& s, const RECT& r, const RECT& area, const Icon& icon, int width, int height,
                  UINT flags) {
  for (LONG py = r.top; py < r.bottom; ++py) {
    const uint32_t* src = icon.argb.data() +
                          static_cast<size_t>(int64_t(py - area.top) * icon.height / height) * icon.width;
    uint32_t* row = s.row(py);
    for (LONG px = r.left; px < r.right; ++px) {
      uint32_t p = src[int64_t(px - area.left) * icon.width / width];
      int a = static_cast<int>(p >> 24);
      uint32_t rgb = p & 0xFFFFFF;
      if ((flags & DI_NORMAL) == DI_NORMAL) row[px] = a == 255 ? rgb : raster::mix(row[px], rgb, a);
      else if (flags & DI_IMAGE) row[px] = rgb;
      else if (a >= 128)  // DI_MASK
        row[px] = 0;
    }
  }
}

}  // namespace

// Scales by nearest neighbour (source pixel (dx * iconWidth) / width).
BOOL DrawIconEx(HDC h, int x, int y, HICON hicon, int width, int height, UINT step, HBRUSH flickerFree,
                UINT flags) {
  Dc* dc = findDc(h);
  auto* icon = find<Icon>(hicon, Kind::Icon);
  if (!dc || !icon || !dc->target() || !(flags & DI_NORMAL)) return FALSE;
  if (width <= 0) width = icon->width;
  if (height <= 0) height = icon->height;
  Surface& s = *dc->target();
  RECT area = offset(RECT{x, y, x + width, y + height}, dc->origin.x, dc->origin.y);
  raster::ClipParts clip = dc->clipParts();
  if (auto* b = find<Brush>(flickerFree, Kind::Brush); b && !b->hollow) raster::fill(s, clip, area, b->color);
  for (const RECT& part : clip)
    drawIconPart(s, intersect(area, raster::bounded(s, part)), area, *icon, width, height, flags);
  return TRUE;
}
