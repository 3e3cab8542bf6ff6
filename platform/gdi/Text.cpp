// Text output, measuring and DrawTextW.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/font/FontInstance.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Rect.h"

using namespace gdi;

namespace {

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls f(glyph) for each character of the text: a surrogate pair is one
// character, anything else one code unit.
template <class F>
void forEachGlyph(FontInstance& font, const char16_t* text, int count, F&& f) {
  for (int i = 0; i < count; ++i) {
    char16_t c = text[i];
    if (isHigh(c) && i + 1 < count && isLow(text[i + 1])) {
      char32_t cp = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
      f(font.codePointGlyph(cp));
    } else {
      f(font.unitGlyph(c));
    }
  }
}

int advanceOf(FontInstance& font, const char16_t* text, int count) {
  int w = 0;
  forEachGlyph(font, text, count, [&](const Glyph& g) { w += g.advance; });
  return w;
}

// Draws one run with its cell's top-left at (x, y) surface pixels, limited
// to clip; in OPAQUE mode the run's cell is filled with the background first.
// Returns the run's advance.
int drawRun(Dc* dc, Surface& s, const raster::ClipParts& clip, int x, int y, const char16_t* text, int count) {
  FontInstance& font = *dc->font->instance;
  const int height = font.metrics().height;
  if (dc->bkMode == OPAQUE) {
    int w = advanceOf(font, text, count);
    raster::fill(s, clip, RECT{x, y, x + w, y + height}, dc->bkColor);
  }
  int pen = x;
  RECT box = raster::bounded(s, raster::boundsOf(clip));
  forEachGlyph(font, text, count, [&](const Glyph& g) {
    if (pen + g.left < box.right && pen + g.left + g.width > box.left)
      raster::glyph(s, clip, pen, y, g, dc->textColor);
    pen += g.advance;
  });
  return pen - x;
}

size_t lengthOf(const char16_t* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// DrawTextW's prefix handling: "&x" underlines x, "&&" gives "&", a final
// "&" is dropped. `underlined` is the index of the last underlined unit in
// the result, or -1.
std::u16string stripPrefixes(const char16_t* text, int count, int* underlined) {
  std::u16string out;
  *underlined = -1;
  for (int i = 0; i < count; ++i) {
    if (text[i] != u'&') {
      out += text[i];
    } else if (i + 1 < count) {
      ++i;
      if (text[i] != u'&') *underlined = static_cast<int>(out.size());
      out += text[i];
    }
  }
  return out;
}

struct Line {
  size_t start, length;
};

std::vector<Line> splitLines(const std::u16string& s, bool single) {
  std::vector<Line> lines;
  if (single) return {Line{0, s.size()}};
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'\r' && s[i] != u'\n') continue;
    lines.push_back(Line{start, i - start});
    if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  lines.push_back(Line{start, s.size() - start});
  return lines;
}

}  // namespace

BOOL TextOutW(HDC h, int x, int y, LPCWSTR text, int count) {
  Dc* dc = findDc(h);
  if (!dc || count < 0 || (count > 0 && !text)) return FALSE;
  Surface* s = dc->target();
  if (!s) return FALSE;
  drawRun(dc, *s, dc->clipParts(), x + dc->origin.x, y + dc->origin.y, text, count);
  return TRUE;
}

BOOL GetTextExtentPoint32W(HDC h, LPCWSTR text, int count, SIZE* size) {
  Dc* dc = findDc(h);
  if (!dc || !size || count < 0 || (count > 0 && !text)) return FALSE;
  FontInstance& font = *dc->font->instance;
  size->cx = advanceOf(font, text, count);
  size->cy = font.metrics().height;
  return TRUE;
}

BOOL GetTextMetricsW(HDC h, TEXTMETRICW* tm) {
  Dc* dc = findDc(h);
  if (!dc || !tm) return FALSE;
  const FontMetrics& m = dc->font->instance->metrics();
  *tm = TEXTMETRICW{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = m.weight;
  tm->tmOverhang = m.overhang;
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFF;
  tm->tmDefaultChar = 0x3F;
  tm->tmBreakChar = 0x20;
  tm->tmCharSet = GB2312_CHARSET;
  return TRUE;
}

int DrawTextW(HDC h, LPCWSTR text, int count, RECT* rect, UINT format) {
  Dc* dc = findDc(h);
  if (!dc || !rect || !text) return 0;
  if (count < 0) count = static_cast<int>(lengthOf(text));
  int underlined = -1;
  std::u16string s = format & DT_NOPREFIX ? std::u16string(text, count) : stripPrefixes(text, count, &underlined);
  const bool single = format & DT_SINGLELINE;
  std::vector<Line> lines = splitLines(s, single);
  FontInstance& font = *dc->font->instance;
  const int lineHeight = font.metrics().height;
  const int total = lineHeight * static_cast<int>(lines.size());

  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines)
      widest = std::max(widest, advanceOf(font, s.data() + l.start, static_cast<int>(l.length)));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }
  int y = rect->top;
  if (single && (format & DT_BOTTOM)) y = rect->bottom - total;
  else if (single && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - total) / 2;

  Surface* surface = dc->target();
  if (!surface) return 0;
  raster::ClipParts clip = dc->clipParts();
  if (!(format & DT_NOCLIP)) clip = raster::within(clip, offset(*rect, dc->origin.x, dc->origin.y));
  int lineY = y;
  for (const Line& l : lines) {
    const char16_t* run = s.data() + l.start;
    int n = static_cast<int>(l.length);
    int w = advanceOf(font, run, n);
    int x = rect->left;
    if (format & DT_RIGHT) x = rect->right - w;
    else if (format & DT_CENTER) x = rect->left + (rect->right - rect->left - w) / 2;
    int sx = x + dc->origin.x, sy = lineY + dc->origin.y;
    drawRun(dc, *surface, clip, sx, sy, run, n);
    int u = underlined - static_cast<int>(l.start);
    if (underlined >= 0 && u >= 0 && u < n) {
      int ux = sx + advanceOf(font, run, u);
      int uy = sy + font.metrics().ascent + 1;
      raster::fill(*surface, clip, RECT{ux, uy, ux + font.unitGlyph(run[u]).advance, uy + 1}, dc->textColor);
    }
    lineY += lineHeight;
  }
  return (single && (format & (DT_VCENTER | DT_BOTTOM))) ? y - rect->top + total : total;
}
