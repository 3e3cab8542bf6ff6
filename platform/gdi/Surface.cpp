// Window surfaces and the DCs drawing into them.
#include "platform/gdi/Surface.h"

#include <algorithm>

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Rect.h"

void Surface::resize(int w, int h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w == width && h == height) return;
  std::vector<uint32_t> next(static_cast<size_t>(w) * h, 0xFFFFFF);
  int keepW = std::min(w, width), keepH = std::min(h, height);
  for (int y = 0; y < keepH; ++y) std::copy_n(row(y), keepW, next.data() + static_cast<size_t>(y) * w);
  pixels.swap(next);
  width = w;
  height = h;
}

namespace gdi {

RECT Dc::clipBox() const {
  const Surface* s = target();
  RECT box{0, 0, s ? s->width : 0, s ? s->height : 0};
  if (!memory) box = intersect(box, baseClip);
  if (hasClipRgn) box = intersect(box, offset(clipRgn, origin.x, origin.y));
  return box;
}

std::vector<RECT> Dc::clipParts() const {
  std::vector<RECT> parts, next;
  RECT box = clipBox();
  if (!isEmpty(box)) parts.push_back(box);
  if (memory) return parts;
  for (const RECT& hole : excluded) {
    next.clear();
    for (const RECT& p : parts) subtract(p, hole, next);
    parts.swap(next);
  }
  return parts;
}

}  // namespace gdi

HDC createSurfaceDC(Surface* surface, POINT origin, RECT clip) {
  auto* dc = new gdi::Dc;
  dc->window = surface;
  dc->origin = origin;
  dc->baseClip = clip;
  gdi::setDefaultObjects(dc);
  gdi::registerObject(dc);
  return reinterpret_cast<HDC>(static_cast<gdi::GdiObject*>(dc));
}

void setSurfaceDCClip(HDC h, RECT clip) {
  if (gdi::Dc* dc = gdi::findDc(h)) dc->baseClip = clip;
}

void setSurfaceDCExcluded(HDC h, std::vector<RECT> excluded) {
  if (gdi::Dc* dc = gdi::findDc(h)) dc->excluded = std::move(excluded);
}

void deleteSurfaceDC(HDC h) {
  gdi::Dc* dc = gdi::findDc(h);
  if (!dc || dc->memory) return;
  gdi::unregisterObject(dc);
  gdi::releaseDcObjects(dc);
  delete dc;
}

Surface* surfaceOfDC(HDC h) {
  gdi::Dc* dc = gdi::findDc(h);
  return dc ? dc->target() : nullptr;
}
