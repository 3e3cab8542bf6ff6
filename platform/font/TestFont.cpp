#include "platform/font/TestFont.h"

#include <algorithm>

namespace gdi {

TestFont::TestFont(int h, int weight) {
  h = std::max(h, 1);
  mFamily = kTestFontFace;
  mMetrics.height = h;
  mMetrics.descent = h / 4;
  mMetrics.ascent = h - h / 4;
  mMetrics.aveCharWidth = std::max(h / 2, 1);
  mMetrics.maxCharWidth = h;
  mMetrics.weight = weight ? weight : 400;
}

Glyph TestFont::render(char32_t cp) {
  const int h = mMetrics.height;
  Glyph g;
  g.advance = cp < 0x1100 ? std::max(h / 2, 1) : h;
  g.solid = true;
  if (cp == U' ' || cp == U'\t' || cp == U'\r' || cp == U'\n') return g;
  g.left = 0;
  g.top = 1;
  g.width = std::max(g.advance - 1, 0);
  g.rows = std::max(h - 2, 0);
  g.coverage.assign(static_cast<size_t>(g.width) * g.rows, 255);
  return g;
}

}  // namespace gdi
