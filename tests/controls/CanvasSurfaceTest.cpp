// The canvas's surface: begin and end, lines with their end point, and the copy to a
// window DC.
#include <set>
#include <utility>

#include "tests/controls/CanvasFixture.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels inkedPixels(const Surface& s) {
  Pixels out;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.at(x, y) != kWhite) out.insert({x, y});
  return out;
}

Pixels run(int x1, int y1, int x2, int y2) {  // every pixel of an axis-aligned stretch
  Pixels out;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) out.insert({x, y});
  return out;
}

}  // namespace

TEST_F(CanvasTest, BeginMakesAViewSizedSurfaceWithWhitePenAndBrushAndNoFont) {
  canvas.begin(RECT{10, 20, 49, 29});  // 40 x 10 pixels, inclusive
  ASSERT_NE(canvas.mDc, nullptr);
  ASSERT_NE(canvas.mGraphics, nullptr);
  EXPECT_EQ(surface().width, 40);
  EXPECT_EQ(surface().height, 10);
  EXPECT_EQ(canvas.mFont, nullptr);                // begin dropped the font set before
  EXPECT_GT(canvas.mLineHeight, canvas.mLineGap);  // the DC's default font is measured
  clear(0);
  Rectangle(canvas.mDc, 0, 0, 40, 10);  // white pen frame, white brush inside
  EXPECT_EQ(at(0, 0), kWhite);
  EXPECT_EQ(at(20, 5), kWhite);
  canvas.end();
  EXPECT_EQ(canvas.mDc, nullptr);
  EXPECT_EQ(canvas.mBitmap, nullptr);
  EXPECT_EQ(canvas.mGraphics, nullptr);
  EXPECT_EQ(canvas.mPen, nullptr);
  EXPECT_EQ(canvas.mBrush, nullptr);
  canvas.end();  // a second end is harmless
}

TEST_F(CanvasTest, ObjectsReplacedByTheCanvasAreDeleted) {
  HPEN first = nullptr;
  canvas.setPen(RGB(1, 2, 3), 1);
  first = canvas.mPen;
  canvas.setPen(RGB(4, 5, 6), 2);
  EXPECT_NE(canvas.mPen, first);
  EXPECT_FALSE(DeleteObject(first));  // already deleted: the handle is no longer valid
  HFONT font = canvas.mFont;
  canvas.setFont(12, u"宋体");
  EXPECT_FALSE(DeleteObject(font));
  HBRUSH brush = canvas.mBrush;
  canvas.setBrush(RGB(7, 8, 9));
  EXPECT_FALSE(DeleteObject(brush));
  HPEN pen = canvas.mPen;
  HBITMAP bitmap = canvas.mBitmap;
  canvas.end();
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(bitmap));
}

TEST_F(CanvasTest, LinesIncludeTheirEndPoint) {
  struct Case {
    int x1, y1, x2, y2;
    Pixels expected;
  };
  const Case cases[] = {
      {0, 5, 10, 5, run(0, 5, 10, 5)},                       // horizontal
      {3, 3, 3, 3, Pixels{{3, 3}}},                          // a single point
      {7, 2, 7, 9, run(7, 2, 7, 9)},                         // vertical
      {0, 0, 4, 4, Pixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}}},  // slanted: ends as GDI draws it
  };
  for (const Case& c : cases) {
    clear(kWhite);
    canvas.setPen(RGB(0, 0, 0), 1);
    canvas.drawLine(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(inkedPixels(surface()), c.expected) << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2;
  }
}

TEST_F(CanvasTest, PenColourAndWidthApply) {
  canvas.setPen(RGB(0x20, 0x40, 0x80), 1);
  canvas.drawLine(2, 10, 30, 10);
  EXPECT_EQ(at(2, 10), pixelOf(RGB(0x20, 0x40, 0x80)));
  EXPECT_EQ(at(30, 10), pixelOf(RGB(0x20, 0x40, 0x80)));
  EXPECT_EQ(at(31, 10), kWhite);
  clear(kWhite);
  canvas.setPen(RGB(0, 0, 0), 3);
  canvas.drawLine(10, 40, 40, 40);
  const RECT box = inked();
  EXPECT_EQ(box.bottom - box.top + 1, 3);
}

class CanvasCopyTest : public CanvasTest {
 protected:
  // The canvas holds a distinct colour per pixel; the window starts white.
  void SetUp() override {
    window.resize(60, 40);
    std::fill(window.pixels.begin(), window.pixels.end(), kWhite);
    windowDc = createSurfaceDC(&window, POINT{0, 0}, RECT{0, 0, 60, 40});
  }
  void TearDown() override { deleteSurfaceDC(windowDc); }
  void paintPattern() {
    for (int y = 0; y < surface().height; ++y)
      for (int x = 0; x < surface().width; ++x) surface().row(y)[x] = static_cast<uint32_t>(y * 256 + x);
  }
  // The window pixels that are not white, as (x, y) -> pixel pairs.
  std::vector<std::pair<std::pair<int, int>, uint32_t>> copied() const {
    std::vector<std::pair<std::pair<int, int>, uint32_t>> out;
    for (int y = 0; y < window.height; ++y)
      for (int x = 0; x < window.width; ++x)
        if (window.at(x, y) != kWhite) out.push_back({{x, y}, window.at(x, y)});
    return out;
  }

  Surface window;
  HDC windowDc = nullptr;
};

TEST_F(CanvasCopyTest, CopiesTheInclusiveAreaToTheSamePlace) {
  canvas.begin(RECT{0, 0, 49, 29});
  paintPattern();
  RECT area{5, 6, 7, 8};
  canvas.copyTo(windowDc, area);
  const auto got = copied();
  ASSERT_EQ(got.size(), 9u);  // 3 x 3
  EXPECT_EQ(got.front(), std::make_pair(std::make_pair(5, 6), uint32_t(6 * 256 + 5)));
  EXPECT_EQ(got.back(), std::make_pair(std::make_pair(7, 8), uint32_t(8 * 256 + 7)));
}

TEST_F(CanvasCopyTest, NegativeLeftAndTopStartAtZero) {
  canvas.begin(RECT{0, 0, 49, 29});
  paintPattern();
  RECT area{-5, -3, 1, 0};
  canvas.copyTo(windowDc, area);
  EXPECT_EQ(area, (RECT{0, 0, 1, 0}));  // the caller's RECT is corrected
  EXPECT_EQ(copied().size(), 2u);
  EXPECT_EQ(window.at(0, 0), 0u);
  EXPECT_EQ(window.at(1, 0), 1u);
  EXPECT_EQ(window.at(2, 0), kWhite);
  EXPECT_EQ(window.at(0, 1), kWhite);
}

TEST_F(CanvasCopyTest, AViewAwayFromTheOriginCopiesFromItsOwnPixels) {
  canvas.begin(RECT{20, 10, 39, 19});  // window pixel (x, y) is canvas pixel (x - 20, y - 10)
  paintPattern();
  RECT area{0, 0, 59, 39};  // larger than the view: only the view's part is copied
  canvas.copyTo(windowDc, area);
  EXPECT_EQ(copied().size(), 20u * 10u);
  EXPECT_EQ(window.at(20, 10), 0u);
  EXPECT_EQ(window.at(21, 10), 1u);
  EXPECT_EQ(window.at(39, 19), uint32_t(9 * 256 + 19));
  EXPECT_EQ(window.at(40, 19), kWhite);
  EXPECT_EQ(window.at(19, 10), kWhite);
}

TEST_F(CanvasCopyTest, EmptyAreasAndEmptyIntersectionsCopyNothing) {
  canvas.begin(RECT{0, 0, 19, 19});
  for (auto& p : surface().pixels) p = 0x123456;
  const RECT areas[] = {
      {5, 5, 5, 9},      // left == right
      {5, 5, 9, 5},      // top == bottom
      {30, 30, 40, 40},  // below and right of the view: no stray pixel at (0, 0)
      {25, 0, 30, 10},   // right of the view
      {-8, -8, -2, -2},  // wholly negative, corrected to (0, 0, -2, -2)
  };
  for (RECT area : areas) {
    canvas.copyTo(windowDc, area);
    EXPECT_TRUE(copied().empty()) << area;
  }
  RECT edge{19, 3, 25, 4};  // meets the view in its last column only: that column is copied
  canvas.copyTo(windowDc, edge);
  EXPECT_EQ(copied().size(), 2u);
  EXPECT_EQ(window.at(19, 3), 0x123456u);
  EXPECT_EQ(window.at(19, 4), 0x123456u);
}
