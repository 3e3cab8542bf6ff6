// Rectangular regions and the clip of a DC.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Rect.h"

using namespace gdi;

namespace {

int kindOf(const RECT& r) { return isEmpty(r) ? NULLREGION : SIMPLEREGION; }

}  // namespace

// Corners are exclusive on the right and bottom and are not put in order: a
// rectangle whose right <= left or bottom <= top gives the empty region,
// which clips everything away.
HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* r = new Region;
  RECT box{left, top, right, bottom};
  r->box = isEmpty(box) ? RECT{0, 0, 0, 0} : box;
  registerObject(r);
  return static_cast<HRGN>(static_cast<void*>(static_cast<GdiObject*>(r)));
}

int SelectClipRgn(HDC h, HRGN region) {
  Dc* dc = findDc(h);
  if (!dc) return ERROR;
  if (!region) {
    dc->hasClipRgn = false;
    return SIMPLEREGION;
  }
  auto* r = find<Region>(region, Kind::Region);
  if (!r) return ERROR;
  dc->hasClipRgn = true;
  dc->clipRgn = r->box;
  return kindOf(dc->clipBox());
}

int IntersectClipRect(HDC h, int left, int top, int right, int bottom) {
  Dc* dc = findDc(h);
  if (!dc) return ERROR;
  RECT r{left, top, right, bottom};
  if (isEmpty(r)) r = RECT{0, 0, 0, 0};
  dc->clipRgn = dc->hasClipRgn ? intersect(dc->clipRgn, r) : r;
  dc->hasClipRgn = true;
  return kindOf(dc->clipBox());
}

int GetClipBox(HDC h, RECT* box) {
  Dc* dc = findDc(h);
  if (!dc || !box) return ERROR;
  RECT c = dc->clipBox();
  *box = isEmpty(c) ? RECT{0, 0, 0, 0} : offset(c, -dc->origin.x, -dc->origin.y);
  return kindOf(c);
}
