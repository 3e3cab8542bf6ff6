// Translucent and gradient fills through GDI+.
#include <cstdlib>
#include <vector>

#include "tests/controls/CanvasFixture.h"

namespace {

int channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace

TEST_F(CanvasTest, FillAlphaBlendsTheColourOverTheInclusiveArea) {
  struct Case {
    COLORREF colour;
    uint8_t alpha;
    int red, green, blue;  // expected over white, within 1
  };
  const Case cases[] = {
      {RGB(0x11, 0x22, 0x33), 255, 0x11, 0x22, 0x33},  // the COLORREF's channels keep their places
      {RGB(255, 0, 0), 128, 255, 127, 127},
      {RGB(0, 0, 0), 64, 191, 191, 191},
      {RGB(0, 0, 0), 0, 255, 255, 255},
  };
  for (const Case& c : cases) {
    clear(kWhite);
    RECT area{10, 20, 19, 24};
    canvas.fillAlpha(area, c.colour, c.alpha);
    EXPECT_EQ(area, (RECT{10, 20, 19, 24}));
    const uint32_t p = at(15, 22);
    EXPECT_LE(std::abs(channel(p, 16) - c.red), 1) << std::hex << p;
    EXPECT_LE(std::abs(channel(p, 8) - c.green), 1) << std::hex << p;
    EXPECT_LE(std::abs(channel(p, 0) - c.blue), 1) << std::hex << p;
    if (c.alpha) EXPECT_EQ(inked(), (RECT{10, 20, 19, 24}));
  }
}

TEST_F(CanvasTest, FillAlphaKeepsToTheViewAndReportsThePartFilled) {
  struct Case {
    RECT area, filled;  // filled (0, 0, 0, 0): nothing, and nothing is painted
  };
  const Case cases[] = {
      {{-5, 90, 20, 120}, {0, 90, 20, 99}}, {{190, -3, 250, 2}, {190, 0, 199, 2}},
      {{300, 300, 310, 310}, {0, 0, 0, 0}},  // empty intersection: no stray pixel at (0, 0)
      {{-20, -20, -1, -1}, {0, 0, 0, 0}},   {{50, 50, 40, 60}, {0, 0, 0, 0}},  // left beyond right
  };
  for (const Case& c : cases) {
    clear(kWhite);
    RECT area = c.area;
    canvas.fillAlpha(area, RGB(0, 0, 0), 255);
    EXPECT_EQ(area, c.filled) << c.area;
    const bool empty = c.filled == RECT{0, 0, 0, 0};
    const RECT expected = empty ? RECT{0, 0, -1, -1} : c.filled;
    EXPECT_EQ(inked(), expected) << c.area;
  }
}

TEST_F(CanvasTest, GradientRunsFromTheTopRowToJustBelowTheBottomRow) {
  // Black to grey 200 over 20 rows: row y is about 10 y, the last row short of 200.
  canvas.fillGradient(RECT{0, 0, 9, 19}, RGB(0, 0, 0), RGB(200, 200, 200));
  EXPECT_EQ(at(0, 0), 0u);
  for (int y = 0; y < 20; ++y) {
    EXPECT_LE(std::abs(channel(at(5, y), 8) - 10 * y), 1) << "row " << y;
    EXPECT_EQ(at(0, y), at(9, y)) << "row " << y;  // constant across
  }
  EXPECT_EQ(inked(), (RECT{0, 0, 9, 19}));
}

TEST_F(CanvasTest, GradientProgressionIsTheSameWhereverTheAreaStarts) {
  const COLORREF top = RGB(250, 240, 230), bottom = RGB(40, 80, 160);
  canvas.fillGradient(RECT{0, 0, 9, 19}, top, bottom);
  std::vector<uint32_t> atOrigin;
  for (int y = 0; y < 20; ++y) atOrigin.push_back(at(0, y));
  clear(kWhite);
  canvas.fillGradient(RECT{20, 37, 29, 56}, top, bottom);
  EXPECT_EQ(at(20, 37), pixelOf(top));
  for (int y = 0; y < 20; ++y) EXPECT_EQ(at(25, 37 + y), atOrigin[y]) << "row " << 37 + y;
  EXPECT_EQ(inked(), (RECT{20, 37, 29, 56}));
}

TEST_F(CanvasTest, EmptyGradientAreasPaintNothing) {
  const RECT areas[] = {{10, 10, 9, 20}, {10, 10, 20, 9}};
  for (const RECT& area : areas) {
    canvas.fillGradient(area, RGB(0, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(inked(), (RECT{0, 0, -1, -1})) << area;
  }
}
