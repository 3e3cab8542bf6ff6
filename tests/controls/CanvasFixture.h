// A canvas begun on a small white view with the fixed-metric test font, and pixel
// read-back of its memory bitmap. With the test font at height 16 every code unit below
// U+1100 advances 8 pixels and inks the columns [0, 7) and rows [1, 15) of its cell;
// the space inks nothing; a line is 16 + 3 = 19 pixels high.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "controls/Canvas.h"
#include "platform/font/FontInstance.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "tests/support/GdiplusSuite.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

// Surface pixels are 0x00RRGGBB, COLORREFs 0x00BBGGRR.
inline uint32_t pixelOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

constexpr int32_t kFontHeight = 16;
constexpr int32_t kAdvance = 8;      // advance of a code unit below U+1100
constexpr int32_t kLineHeight = 19;  // kFontHeight + line gap 3
constexpr uint32_t kWhite = 0xFFFFFF;

class CanvasTest : public testsupport::GdiplusSuite {
 protected:
  // A view of columns 0..width-1 and rows 0..height-1, white, with the test font.
  void start(int32_t width = 200, int32_t height = 100) {
    canvas.begin(RECT{0, 0, width - 1, height - 1});
    clear(kWhite);
    canvas.setFont(kFontHeight, gdi::kTestFontFace);
  }
  void SetUp() override { start(); }

  Surface& surface() const { return *surfaceOfDC(canvas.mDc); }
  uint32_t at(int x, int y) const { return surface().at(x, y); }
  void clear(uint32_t pixel) { std::fill(surface().pixels.begin(), surface().pixels.end(), pixel); }

  // Bounding box (inclusive) of the non-white pixels inside `area` (inclusive); {0, 0, -1, -1}
  // when there are none.
  RECT inked(RECT area) const {
    area.right = std::min<LONG>(area.right, surface().width - 1);
    area.bottom = std::min<LONG>(area.bottom, surface().height - 1);
    RECT box{area.right + 1, area.bottom + 1, area.left - 1, area.top - 1};
    for (int y = area.top; y <= area.bottom; ++y)
      for (int x = area.left; x <= area.right; ++x)
        if (at(x, y) != kWhite) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x);
          box.bottom = std::max<LONG>(box.bottom, y);
        }
    return box.right >= box.left ? box : RECT{0, 0, -1, -1};
  }
  RECT inked() const { return inked(RECT{0, 0, surface().width - 1, surface().height - 1}); }

  // The left edge of every inked stretch of row y.
  std::vector<int> inkStarts(int y) const {
    std::vector<int> starts;
    for (int x = 0; x < surface().width; ++x)
      if (at(x, y) != kWhite && (x == 0 || at(x - 1, y) == kWhite)) starts.push_back(x);
    return starts;
  }

  CCanvas canvas;
};
