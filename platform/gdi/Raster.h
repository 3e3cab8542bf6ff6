// Pixel operations on a Surface, in surface pixels, each limited to `clip`
// (exclusive right/bottom) and to the surface. Colours are 0x00RRGGBB.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/font/FontInstance.h"
#include "platform/gdi/Surface.h"

namespace gdi::raster {

// `clip` cut to the surface.
RECT bounded(const Surface& s, const RECT& clip);

void fill(Surface& s, const RECT& clip, RECT area, uint32_t color);
// Bitwise NOT of the colour bits.
void invert(Surface& s, const RECT& clip, RECT area);
// Source-over of `color` with `alpha` (0..255).
void blend(Surface& s, const RECT& clip, RECT area, uint32_t color, int alpha);
// One pen dot: a width x width square whose centre pixel is (x, y).
void dot(Surface& s, const RECT& clip, int x, int y, int width, uint32_t color);
// The pixels of the line from (x0, y0) towards (x1, y1), end point left out.
void line(Surface& s, const RECT& clip, int x0, int y0, int x1, int y1, int width, uint32_t color);
// A glyph whose cell's top-left corner is at (x, y).
void glyph(Surface& s, const RECT& clip, int x, int y, const Glyph& g, uint32_t color);

// A clip of disjoint rectangles (Dc::clipParts): each call draws into every
// part, so a pixel is drawn at most once.
using ClipParts = std::vector<RECT>;
// The smallest rectangle holding every part (empty for no part).
RECT boundsOf(const ClipParts& clip);
// Each part cut to `r`; parts left empty are dropped.
ClipParts within(const ClipParts& clip, const RECT& r);
inline void fill(Surface& s, const ClipParts& clip, RECT area, uint32_t color) {
  for (const RECT& c : clip) fill(s, c, area, color);
}
inline void invert(Surface& s, const ClipParts& clip, RECT area) {
  for (const RECT& c : clip) invert(s, c, area);
}
inline void blend(Surface& s, const ClipParts& clip, RECT area, uint32_t color, int alpha) {
  for (const RECT& c : clip) blend(s, c, area, color, alpha);
}
inline void line(Surface& s, const ClipParts& clip, int x0, int y0, int x1, int y1, int width, uint32_t color) {
  for (const RECT& c : clip) line(s, c, x0, y0, x1, y1, width, color);
}
inline void glyph(Surface& s, const ClipParts& clip, int x, int y, const Glyph& g, uint32_t color) {
  for (const RECT& c : clip) glyph(s, c, x, y, g, color);
}

// Channel-wise mix, rounded: a = 0 gives dst, a = 255 gives src.
inline uint32_t mix(uint32_t dst, uint32_t src, int a) {
  auto channel = [&](int shift) {
    uint32_t d = (dst >> shift) & 0xFF, c = (src >> shift) & 0xFF;
    return ((d * (255 - a) + c * a + 127) / 255) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

}  // namespace gdi::raster
