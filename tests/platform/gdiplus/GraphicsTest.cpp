// GDI+ on a memory DC: alpha and gradient fills, clips shared with GDI.
#include <gtest/gtest.h>

#include "platform/gdiplus/gdiplus.h"
#include "tests/platform/gdi/GdiFixture.h"

namespace {

class GdiPlus : public ::testing::Test {
 protected:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    ASSERT_EQ(GdipCreateFromHDC(m.dc, &g), Gdiplus::Ok);
  }
  void TearDown() override {
    GdipDeleteGraphics(g);
    Gdiplus::GdiplusShutdown(token);
  }
  void fill(Gdiplus::ARGB color, int x, int y, int w, int h) {
    GpSolidFill* b = nullptr;
    ASSERT_EQ(GdipCreateSolidFill(color, &b), Gdiplus::Ok);
    ASSERT_EQ(GdipFillRectangleI(g, reinterpret_cast<GpBrush*>(b), x, y, w, h), Gdiplus::Ok);
    GdipDeleteBrush(reinterpret_cast<GpBrush*>(b));
  }
  // A vertical gradient from (x, top) to (x, top + height), filled over the
  // area, the way the canvas fills header cells.
  void gradient(int x, int top, int w, int height, Gdiplus::ARGB c1, Gdiplus::ARGB c2) {
    GpPoint p1{x, top}, p2{x, top + height};
    GpLineGradient* b = nullptr;
    ASSERT_EQ(GdipCreateLineBrushI(&p1, &p2, c1, c2, Gdiplus::WrapModeTile, &b), Gdiplus::Ok);
    ASSERT_EQ(GdipFillRectangleI(g, reinterpret_cast<GpBrush*>(b), x, top, w, height), Gdiplus::Ok);
    GdipDeleteBrush(reinterpret_cast<GpBrush*>(b));
  }
  ULONG_PTR token = 0;
  MemorySurface m{64, 64};
  GpGraphics* g = nullptr;
};

uint32_t expectedMix(uint32_t dst, uint32_t src, int a) {
  uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) {
    uint32_t d = (dst >> s) & 0xFF, c = (src >> s) & 0xFF;
    out |= ((d * (255 - a) + c * a + 127) / 255) << s;
  }
  return out;
}

TEST_F(GdiPlus, SolidFillsBlendSourceOver) {
  struct Case {
    uint32_t background, color;
    int alpha;
  };
  const Case cases[] = {
      {0xFFFFFF, 0x777766, 65},  // the selection overlay
      {0x000000, 0xFFFFFF, 128}, {0x204060, 0xA0C0E0, 1}, {0x204060, 0xA0C0E0, 254},
      {0x204060, 0xA0C0E0, 255}, {0x204060, 0xA0C0E0, 0},
  };
  for (const Case& c : cases) {
    m.clear(c.background);
    fill((static_cast<uint32_t>(c.alpha) << 24) | c.color, 10, 10, 5, 5);
    EXPECT_EQ(m.at(10, 10), expectedMix(c.background, c.color, c.alpha)) << c.alpha;
    EXPECT_EQ(m.at(14, 14), m.at(10, 10));
    EXPECT_EQ(m.at(15, 15), c.background);  // width and height, not corners
    EXPECT_EQ(m.at(9, 10), c.background);
  }
}

TEST_F(GdiPlus, FillsCoverExactlyTheIntegerRectangle) {
  fill(0xFF000000, 3, 4, 7, 2);
  EXPECT_EQ(m.inked(), (RECT{3, 4, 10, 6}));
  m.clear(0xFFFFFF);
  fill(0xFF000000, 3, 4, 0, 5);
  fill(0xFF000000, 3, 4, -3, 5);
  EXPECT_EQ(m.inked(), (RECT{0, 0, 0, 0}));
}

TEST_F(GdiPlus, GradientStartsAtTheTopColourAndDependsOnlyOnTheDistance) {
  const Gdiplus::ARGB top = 0xFFF8F8F8, bottom = 0xFF4080C0;
  gradient(0, 0, 10, 20, top, bottom);    // rows 0 to 19
  gradient(20, 37, 10, 20, top, bottom);  // rows 37 to 56
  EXPECT_EQ(m.at(0, 0), top & 0xFFFFFF);
  EXPECT_EQ(m.at(25, 37), top & 0xFFFFFF);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(m.at(5, i), m.at(25, 37 + i)) << i;
    EXPECT_EQ(m.at(0, i), m.at(9, i));  // constant across a row
  }
  // The bottom colour is reached one row past the area: the last row is
  // 19/20 of the way.
  uint32_t last = m.at(0, 19);
  EXPECT_NE(last, bottom & 0xFFFFFF);
  EXPECT_NEAR(static_cast<int>(last & 0xFF), 0xF8 + (0xC0 - 0xF8) * 19 / 20, 1);
  EXPECT_EQ(m.at(0, 20), 0xFFFFFFu);                                                 // nothing below
  for (int i = 1; i < 20; ++i) EXPECT_LE(m.at(0, i) & 0xFF, m.at(0, i - 1) & 0xFF);  // monotone
}

TEST_F(GdiPlus, GradientWithAlphaBlends) {
  m.clear(0x000000);
  gradient(0, 0, 4, 4, 0x00FFFFFF, 0xFFFFFFFF);  // alpha 0 -> 255
  EXPECT_EQ(m.at(0, 0), 0x000000u);
  EXPECT_EQ(m.at(0, 2), expectedMix(0, 0xFFFFFF, 128));
}

TEST_F(GdiPlus, ClipFromARegionAndItsReset) {
  HRGN rgn = CreateRectRgn(5, 6, 15, 16);
  ASSERT_EQ(GdipSetClipHrgn(g, rgn, Gdiplus::CombineModeReplace), Gdiplus::Ok);
  fill(0xFF000000, 0, 0, 64, 64);
  EXPECT_EQ(m.inked(), (RECT{5, 6, 15, 16}));
  HRGN narrower = CreateRectRgn(10, 0, 64, 8);
  ASSERT_EQ(GdipSetClipHrgn(g, narrower, Gdiplus::CombineModeIntersect), Gdiplus::Ok);
  m.clear(0xFFFFFF);
  fill(0xFF000000, 0, 0, 64, 64);
  EXPECT_EQ(m.inked(), (RECT{10, 6, 15, 8}));
  ASSERT_EQ(GdipSetClipHrgn(g, narrower, Gdiplus::CombineModeReplace), Gdiplus::Ok);
  m.clear(0xFFFFFF);
  fill(0xFF000000, 0, 0, 64, 64);
  EXPECT_EQ(m.inked(), (RECT{10, 0, 64, 8}));
  ASSERT_EQ(GdipResetClip(g), Gdiplus::Ok);
  m.clear(0xFFFFFF);
  fill(0xFF000000, 0, 0, 64, 64);
  EXPECT_EQ(m.inked(), (RECT{0, 0, 64, 64}));
  // An empty region clips everything, as in GDI.
  HRGN empty = CreateRectRgn(9, 9, 3, 3);
  GdipSetClipHrgn(g, empty, Gdiplus::CombineModeReplace);
  m.clear(0xFFFFFF);
  fill(0xFF000000, 0, 0, 64, 64);
  EXPECT_EQ(m.inked(), (RECT{0, 0, 0, 0}));
  EXPECT_EQ(GdipSetClipHrgn(g, rgn, Gdiplus::CombineModeUnion), Gdiplus::NotImplemented);
  DeleteObject(rgn);
  DeleteObject(narrower);
  DeleteObject(empty);
}

// GDI and GDI+ draw interleaved on one bitmap, under the same clip stack.
TEST_F(GdiPlus, GdiAndGdiPlusShareOneBitmapAndOneClip) {
  HRGN rgn = CreateRectRgn(4, 4, 20, 20);
  SelectClipRgn(m.dc, rgn);
  GdipSetClipHrgn(g, rgn, Gdiplus::CombineModeReplace);
  RECT all{0, 0, 64, 64};
  FillRect(m.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  fill(0x80FFFFFF, 0, 0, 64, 64);
  EXPECT_EQ(m.at(4, 4), expectedMix(0, 0xFFFFFF, 0x80));
  EXPECT_EQ(m.at(3, 3), 0xFFFFFFu);
  EXPECT_EQ(m.at(20, 20), 0xFFFFFFu);
  // The DC's own region limits GDI+ too, even with the Graphics unclipped.
  GdipResetClip(g);
  m.clear(0xFFFFFF);
  fill(0xFF000000, 0, 0, 64, 64);
  EXPECT_EQ(m.inked(), (RECT{4, 4, 20, 20}));
  SelectClipRgn(m.dc, nullptr);
  DeleteObject(rgn);
}

TEST_F(GdiPlus, RefusesBadArguments) {
  GpPoint p{1, 1};
  GpLineGradient* b = nullptr;
  EXPECT_EQ(GdipCreateLineBrushI(&p, &p, 0xFF000000, 0xFFFFFFFF, Gdiplus::WrapModeTile, &b), Gdiplus::OutOfMemory);
  EXPECT_EQ(b, nullptr);
  GpSolidFill* s = nullptr;
  GdipCreateSolidFill(0xFF000000, &s);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(s));
  EXPECT_EQ(GdipDeleteBrush(reinterpret_cast<GpBrush*>(s)), Gdiplus::InvalidParameter);
  EXPECT_EQ(GdipFillRectangleI(g, reinterpret_cast<GpBrush*>(s), 0, 0, 4, 4), Gdiplus::InvalidParameter);
  EXPECT_EQ(GdipSetClipHrgn(g, nullptr, Gdiplus::CombineModeReplace), Gdiplus::InvalidParameter);
}

TEST(GdiPlusStartup, GraphicsNeedTheLibraryStarted) {
  MemorySurface m(4, 4);
  GpGraphics* g = nullptr;
  EXPECT_EQ(GdipCreateFromHDC(m.dc, &g), Gdiplus::GdiplusNotInitialized);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR a = 0, b = 0;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&a, &input, nullptr), Gdiplus::Ok);
  ASSERT_EQ(Gdiplus::GdiplusStartup(&b, &input, nullptr), Gdiplus::Ok);
  EXPECT_NE(a, b);
  Gdiplus::GdiplusShutdown(b);
  Gdiplus::GdiplusShutdown(b);                          // a second shutdown of one token does nothing
  ASSERT_EQ(GdipCreateFromHDC(m.dc, &g), Gdiplus::Ok);  // still started once
  GdipDeleteGraphics(g);
  Gdiplus::GdiplusShutdown(a);
  EXPECT_EQ(GdipCreateFromHDC(m.dc, &g), Gdiplus::GdiplusNotInitialized);
  input.GdiplusVersion = 3;
  EXPECT_EQ(Gdiplus::GdiplusStartup(&a, &input, nullptr), Gdiplus::UnsupportedGdiplusVersion);
}

}  // namespace
