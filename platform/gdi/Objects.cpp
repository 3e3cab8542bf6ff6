// Stock objects, pens, brushes, fonts and bitmaps; selecting and deleting.
#include <algorithm>

#include "platform/font/FontInstance.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"

namespace gdi {
namespace {

constexpr uint32_t kMaxBitmapPixels = 1u << 27;  // 128 M pixels, 512 MB

HGDIOBJ handleOf(GdiObject* o) { return static_cast<void*>(o); }

template <class T>
T* makeStock(T* o) {
  o->stock = true;
  registerObject(o);
  return o;
}

Brush* stockBrush(uint32_t pixel, bool hollow) {
  auto* b = new Brush;
  b->color = pixel;
  b->hollow = hollow;
  return makeStock(b);
}

Pen* stockPen(uint32_t pixel, int style) {
  auto* p = new Pen;
  p->color = pixel;
  p->style = style;
  return makeStock(p);
}

Font* stockFont(const char16_t* face, int height, int weight) {
  auto* f = new Font;
  f->instance = resolveFont(FontRequest{face, height, weight});
  return makeStock(f);
}

// Every stock object, made on first use and never freed. The default font
// of a DC is the Song-style face at a 16-pixel cell, as on the original
// platform's Chinese systems.
struct Stock {
  GdiObject* objects[DEFAULT_GUI_FONT + 1] = {};
  Bitmap* bitmap = nullptr;  // the 1 x 1 bitmap of a new memory DC
  Stock() {
    objects[WHITE_BRUSH] = stockBrush(0xFFFFFF, false);
    objects[LTGRAY_BRUSH] = stockBrush(0xC0C0C0, false);
    objects[GRAY_BRUSH] = stockBrush(0x808080, false);
    objects[DKGRAY_BRUSH] = stockBrush(0x404040, false);
    objects[BLACK_BRUSH] = stockBrush(0x000000, false);
    objects[NULL_BRUSH] = stockBrush(0, true);
    objects[WHITE_PEN] = stockPen(0xFFFFFF, PS_SOLID);
    objects[BLACK_PEN] = stockPen(0x000000, PS_SOLID);
    objects[NULL_PEN] = stockPen(0, PS_NULL);
    objects[SYSTEM_FONT] = stockFont(u"宋体", 16, FW_NORMAL);
    objects[DEFAULT_GUI_FONT] = stockFont(u"MS Shell Dlg", -12, FW_NORMAL);
    bitmap = new Bitmap;
    bitmap->surface.resize(1, 1);
    bitmap->surface.pixels[0] = 0;
    makeStock(bitmap);
  }
};

Stock& stock() {
  static Stock* s = new Stock;
  return *s;
}

template <class T>
void swapSelected(T*& slot, T* next) {
  if (slot) --slot->selectedIn;
  slot = next;
  ++slot->selectedIn;
}

void freeObject(GdiObject* o) {
  unregisterObject(o);
  delete o;
}

}  // namespace

void setDefaultObjects(Dc* dc) {
  Stock& s = stock();
  swapSelected(dc->pen, static_cast<Pen*>(s.objects[BLACK_PEN]));
  swapSelected(dc->brush, static_cast<Brush*>(s.objects[WHITE_BRUSH]));
  swapSelected(dc->font, static_cast<Font*>(s.objects[SYSTEM_FONT]));
  if (dc->memory) swapSelected(dc->bitmap, s.bitmap);
}

void releaseDcObjects(Dc* dc) {
  for (GdiObject* o : {static_cast<GdiObject*>(dc->pen), static_cast<GdiObject*>(dc->brush),
                       static_cast<GdiObject*>(dc->font), static_cast<GdiObject*>(dc->bitmap)})
    if (o) --o->selectedIn;
  dc->pen = nullptr;
  dc->brush = nullptr;
  dc->font = nullptr;
  dc->bitmap = nullptr;
}

}  // namespace gdi

using namespace gdi;

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  return stock().objects[index];
}

HPEN CreatePen(int style, int width, COLORREF color) {
  auto* p = new Pen;
  p->style = style == PS_NULL ? PS_NULL : PS_SOLID;
  p->width = std::max(width, 1);
  p->color = toPixel(color);
  registerObject(p);
  return static_cast<HPEN>(handleOf(p));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new Brush;
  b->color = toPixel(color);
  registerObject(b);
  return static_cast<HBRUSH>(handleOf(b));
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  FontRequest r;
  for (int i = 0; i < LF_FACESIZE && lf->lfFaceName[i]; ++i) r.face += lf->lfFaceName[i];
  r.height = lf->lfHeight;
  r.weight = lf->lfWeight;
  auto* f = new Font;
  f->instance = resolveFont(r);
  registerObject(f);
  return static_cast<HFONT>(handleOf(f));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  for (int i = 0; face && i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

HDC CreateCompatibleDC(HDC reference) {
  if (reference && !findDc(reference)) return nullptr;
  auto* dc = new Dc;
  dc->memory = true;
  setDefaultObjects(dc);
  registerObject(dc);
  return reinterpret_cast<HDC>(handleOf(dc));
}

BOOL DeleteDC(HDC h) {
  Dc* dc = findDc(h);
  if (!dc || !dc->memory) return FALSE;
  unregisterObject(dc);
  releaseDcObjects(dc);
  delete dc;
  return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC reference, int width, int height) {
  if ((reference && !findDc(reference)) || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) width = height = 1;
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxBitmapPixels) return nullptr;
  auto* b = new Bitmap;
  b->surface.width = width;
  b->surface.height = height;
  b->surface.pixels.assign(static_cast<size_t>(width) * height, 0);
  registerObject(b);
  return static_cast<HBITMAP>(handleOf(b));
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ object) {
  Dc* dc = findDc(h);
  GdiObject* o = findObject(object);
  if (!dc || !o) return nullptr;
  GdiObject* previous = nullptr;
  switch (o->kind) {
    case Kind::Pen:
      previous = dc->pen;
      swapSelected(dc->pen, static_cast<Pen*>(o));
      break;
    case Kind::Brush:
      previous = dc->brush;
      swapSelected(dc->brush, static_cast<Brush*>(o));
      break;
    case Kind::Font:
      previous = dc->font;
      swapSelected(dc->font, static_cast<Font*>(o));
      break;
    case Kind::Bitmap: {
      auto* b = static_cast<Bitmap*>(o);
      if (!dc->memory) return nullptr;
      if (b == dc->bitmap) return b;
      if (b->selectedIn > 0 && !b->stock) return nullptr;  // held by another DC
      previous = dc->bitmap;
      swapSelected(dc->bitmap, b);
      break;
    }
    case Kind::Region:
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(SelectClipRgn(h, static_cast<HRGN>(object))));
    case Kind::Dc:
    case Kind::Icon: return nullptr;
  }
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = findObject(object);
  if (!o || o->kind == Kind::Dc || o->kind == Kind::Icon) return FALSE;
  if (o->stock) return TRUE;
  if (o->selectedIn > 0) return FALSE;
  freeObject(o);
  return TRUE;
}

COLORREF SetTextColor(HDC h, COLORREF color) {
  Dc* dc = findDc(h);
  if (!dc) return 0xFFFFFFFF;
  COLORREF old = toColorref(dc->textColor);
  dc->textColor = toPixel(color);
  return old;
}

COLORREF GetTextColor(HDC h) {
  Dc* dc = findDc(h);
  return dc ? toColorref(dc->textColor) : 0xFFFFFFFF;
}

COLORREF SetBkColor(HDC h, COLORREF color) {
  Dc* dc = findDc(h);
  if (!dc) return 0xFFFFFFFF;
  COLORREF old = toColorref(dc->bkColor);
  dc->bkColor = toPixel(color);
  return old;
}

COLORREF GetBkColor(HDC h) {
  Dc* dc = findDc(h);
  return dc ? toColorref(dc->bkColor) : 0xFFFFFFFF;
}

int SetBkMode(HDC h, int mode) {
  Dc* dc = findDc(h);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}
