#include "platform/font/TestFont.h"

#include <algorithm>

namespace gdi {

TestFont::TestFont(int h, int weight) {
  h = std::max(h, 1);
  family_ = kTestFontFace;
  metrics_.height = h;
  metrics_.descent = h / 4;
  metrics_.ascent = h - h / 4;
  metrics_.aveCharWidth = std::max(h / 2, 1);
  metrics_.maxCharWidth = h;
  metrics_.weight = weight ? weight : 400;
}

Glyph TestFont::render(char32_t cp) {
  const int h = metrics_.height;
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
