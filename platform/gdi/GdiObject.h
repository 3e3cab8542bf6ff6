// The objects behind GDI handles (internal to platform/gdi and
// platform/gdiplus). A handle is the address of one of these; every call
// checks it against the registry of live objects first, so a stale or
// foreign handle is refused instead of being followed.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/gdi/Surface.h"

namespace gdi {

class FontInstance;

enum class Kind : uint8_t { Pen, Brush, Font, Bitmap, Region, Dc, Icon };

struct GdiObject {
  explicit GdiObject(Kind k) : kind(k) {}
  virtual ~GdiObject() = default;
  const Kind kind;
  bool stock = false;  // stock objects are never freed
  int selectedIn = 0;  // number of DCs that currently hold this object
};

struct Pen : GdiObject {
  Pen() : GdiObject(Kind::Pen) {}
  int style = 0;       // PS_SOLID or PS_NULL
  int width = 1;       // >= 1
  uint32_t color = 0;  // 0x00RRGGBB (surface order, already converted)
};

struct Brush : GdiObject {
  Brush() : GdiObject(Kind::Brush) {}
  bool hollow = false;  // NULL_BRUSH: fills nothing
  uint32_t color = 0;   // 0x00RRGGBB
};

struct Font : GdiObject {
  Font() : GdiObject(Kind::Font) {}
  std::shared_ptr<FontInstance> instance;  // never null for a live font
};

struct Bitmap : GdiObject {
  Bitmap() : GdiObject(Kind::Bitmap) {}
  Surface surface;
};

// Regions are rectangles: every region the program makes is one. `box` is
// normalised; an empty box is the region that contains nothing.
struct Region : GdiObject {
  Region() : GdiObject(Kind::Region) {}
  RECT box{0, 0, 0, 0};
};

// An icon image: 0xAARRGGBB pixels with straight (not premultiplied) alpha.
struct Icon : GdiObject {
  Icon() : GdiObject(Kind::Icon) {}
  int width = 0, height = 0;
  std::vector<uint32_t> argb;  // invariant: argb.size() == width * height
};

struct Dc : GdiObject {
  Dc() : GdiObject(Kind::Dc) {}
  // Target: a window surface (window DCs) or the selected bitmap (memory DCs).
  Surface* window = nullptr;
  bool memory = false;
  Bitmap* bitmap = nullptr;    // memory DCs: never null (stock 1x1 at first)
  POINT origin{0, 0};          // DC point (0,0) in surface pixels
  RECT baseClip{0, 0, 0, 0};   // surface pixels; window DCs only
  std::vector<RECT> excluded;  // surface pixels cut out of the clip; window DCs only
  bool hasClipRgn = false;
  RECT clipRgn{0, 0, 0, 0};       // DC coordinates; valid when hasClipRgn
  Pen* pen = nullptr;             // never null
  Brush* brush = nullptr;         // never null
  Font* font = nullptr;           // never null
  uint32_t textColor = 0x000000;  // 0x00RRGGBB
  uint32_t bkColor = 0xFFFFFF;    // 0x00RRGGBB
  int bkMode = 2;                 // OPAQUE
  POINT pos{0, 0};                // current position (MoveToEx/LineTo)

  Surface* target() const { return memory ? &bitmap->surface : window; }
  // The rectangle drawing may touch, in surface pixels, after every clip;
  // empty when nothing may be drawn.
  RECT clipBox() const;
  // The clip as disjoint rectangles (surface pixels): clipBox() less the
  // excluded areas; empty when nothing may be drawn.
  std::vector<RECT> clipParts() const;
};

// COLORREF 0x00BBGGRR <-> surface pixel 0x00RRGGBB.
inline uint32_t toPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF toColorref(uint32_t p) { return toPixel(p); }

// Registry of live objects. `find` returns the object when `h` is a live
// object of kind `k`, else null.
void registerObject(GdiObject* o);
void unregisterObject(GdiObject* o);
GdiObject* findObject(const void* h);
template <class T>
T* find(const void* h, Kind k) {
  GdiObject* o = findObject(h);
  return o && o->kind == k ? static_cast<T*>(o) : nullptr;
}
inline Dc* findDc(HDC h) { return find<Dc>(h, Kind::Dc); }

// The DC's defaults: white brush, black pen, system font.
void setDefaultObjects(Dc* dc);
// Releases everything a DC holds (its objects are deselected, not freed).
void releaseDcObjects(Dc* dc);

}  // namespace gdi
