// Pixel rules of lines, rectangles, polygons, fills, inversion and blits.
#include <gtest/gtest.h>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

struct RectangleCase {
  const char* name;
  bool nullPen;
  bool nullBrush;
  RECT args;   // Rectangle(left, top, right, bottom)
  RECT fill;   // exclusive area in the brush colour (empty: none)
  RECT frame;  // exclusive outer box of the pen's frame (empty: none)
};

constexpr uint32_t kBrush = 0x00FF00, kPen = 0xFF0000;

void PrintTo(const RectangleCase& c, std::ostream* os) { *os << c.name; }

class RectangleRules : public ::testing::TestWithParam<RectangleCase> {};

TEST_P(RectangleRules, CoverExactlyTheirPixels) {
  const RectangleCase& c = GetParam();
  MemorySurface m(20, 20);
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  SelectObject(m.dc, c.nullBrush ? GetStockObject(NULL_BRUSH) : brush);
  SelectObject(m.dc, c.nullPen ? GetStockObject(NULL_PEN) : pen);
  ASSERT_TRUE(Rectangle(m.dc, c.args.left, c.args.top, c.args.right, c.args.bottom));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      auto in = [&](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
      bool onFrame = in(c.frame) &&
                     !(x > c.frame.left && x < c.frame.right - 1 && y > c.frame.top && y < c.frame.bottom - 1);
      uint32_t want = onFrame ? kPen : in(c.fill) ? kBrush : 0xFFFFFF;
      ASSERT_EQ(m.at(x, y), want) << c.name << " at " << x << "," << y;
    }
  SelectObject(m.dc, GetStockObject(BLACK_PEN));
  SelectObject(m.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
  DeleteObject(pen);
}

INSTANTIATE_TEST_SUITE_P(
    Gdi, RectangleRules,
    ::testing::Values(
        // The null pen fills one pixel less on the right and bottom.
        RectangleCase{"null pen fill", true, false, {2, 3, 8, 7}, {2, 3, 7, 6}, {}},
        // Rectangle(l, t, r + 2, b + 2) with the null pen covers inclusive l..r, t..b.
        RectangleCase{"inclusive cover idiom", true, false, {4, 4, 9 + 2, 6 + 2}, {4, 4, 10, 7}, {}},
        // Rectangle(l, t, r + 1, b + 1) with the null brush frames l..r, t..b.
        RectangleCase{"frame idiom", false, true, {1, 1, 5 + 1, 4 + 1}, {}, {1, 1, 6, 5}},
        RectangleCase{"pen and brush", false, false, {2, 2, 9, 8}, {3, 3, 8, 7}, {2, 2, 9, 8}},
        RectangleCase{"corners given reversed", false, false, {9, 8, 2, 2}, {3, 3, 8, 7}, {2, 2, 9, 8}},
        RectangleCase{"null pen, one pixel wide", true, false, {5, 5, 6, 9}, {}, {}},
        RectangleCase{"both null", true, true, {2, 2, 9, 8}, {}, {}},
        RectangleCase{"clipped at the surface edge", true, false, {15, 15, 30, 30}, {15, 15, 20, 20}, {}}),
    [](const auto& info) { return std::to_string(info.index); });

struct LineCase {
  POINT from, to;
  std::vector<POINT> pixels;  // exactly these are drawn
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << "(" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y << ")";
}

class LineRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineRules, LeaveOutTheEndPoint) {
  const LineCase& c = GetParam();
  MemorySurface m(16, 16);
  MoveToEx(m.dc, c.from.x, c.from.y, nullptr);
  ASSERT_TRUE(LineTo(m.dc, c.to.x, c.to.y));
  std::vector<POINT> drawn;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (m.at(x, y) != 0xFFFFFF) {
        EXPECT_EQ(m.at(x, y), 0x000000u);  // the default pen is black
        drawn.push_back(POINT{x, y});
      }
  ASSERT_EQ(drawn.size(), c.pixels.size());
  for (const POINT& p : c.pixels) EXPECT_NE(m.at(p.x, p.y), 0xFFFFFFu) << p.x << "," << p.y;
  POINT pos;
  MoveToEx(m.dc, 0, 0, &pos);
  EXPECT_EQ(pos.x, c.to.x);  // LineTo moves the current position to its end
  EXPECT_EQ(pos.y, c.to.y);
}

INSTANTIATE_TEST_SUITE_P(Gdi, LineRules,
                         ::testing::Values(LineCase{{2, 5}, {6, 5}, {{2, 5}, {3, 5}, {4, 5}, {5, 5}}},
                                           LineCase{{6, 5}, {2, 5}, {{6, 5}, {5, 5}, {4, 5}, {3, 5}}},
                                           LineCase{{3, 1}, {3, 4}, {{3, 1}, {3, 2}, {3, 3}}},
                                           LineCase{{3, 4}, {3, 1}, {{3, 4}, {3, 3}, {3, 2}}},
                                           LineCase{{3, 3}, {3, 3}, {}},
                                           // The canvas's point: a line of one pixel moved one on.
                                           LineCase{{3, 3}, {3, 4}, {{3, 3}}},
                                           LineCase{{1, 1}, {5, 5}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
                                           LineCase{{5, 1}, {1, 5}, {{5, 1}, {4, 2}, {3, 3}, {2, 4}}},
                                           // Past the surface: clipped, not wrapped.
                                           LineCase{{13, 2}, {20, 2}, {{13, 2}, {14, 2}, {15, 2}}}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(GdiLines, CanvasLineToOnePastCoversBothEnds) {
  MemorySurface m(16, 8);
  MoveToEx(m.dc, 0, 5, nullptr);
  LineTo(m.dc, 10 + 1, 5);
  EXPECT_EQ(m.inked(), (RECT{0, 5, 11, 6}));
}

TEST(GdiLines, NullPenDrawsNothingButMoves) {
  MemorySurface m(8, 8);
  SelectObject(m.dc, GetStockObject(NULL_PEN));
  MoveToEx(m.dc, 0, 0, nullptr);
  LineTo(m.dc, 7, 0);
  EXPECT_EQ(m.inked(), (RECT{0, 0, 0, 0}));
  POINT pos;
  MoveToEx(m.dc, 0, 0, &pos);
  EXPECT_EQ(pos.x, 7);
  SelectObject(m.dc, GetStockObject(BLACK_PEN));
}

TEST(GdiLines, WidePenIsCentredOnTheLine) {
  MemorySurface m(16, 16);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
  SelectObject(m.dc, pen);
  MoveToEx(m.dc, 4, 4, nullptr);
  LineTo(m.dc, 8, 8);
  EXPECT_EQ(m.inked(), (RECT{3, 3, 9, 9}));  // dots at 4..7, end left out
  SelectObject(m.dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiFill, FillRectIsExclusiveAndIgnoresEmptyRects) {
  MemorySurface m(10, 10);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r{2, 3, 5, 7};
  ASSERT_TRUE(FillRect(m.dc, &r, red));
  EXPECT_EQ(m.inked(), r);
  EXPECT_EQ(m.at(2, 3), 0xFF0000u);  // COLORREF 0x0000FF becomes pixel 0xFF0000
  m.clear(0xFFFFFF);
  for (RECT empty : {RECT{5, 5, 5, 9}, RECT{5, 5, 9, 5}, RECT{7, 7, 3, 3}}) {
    FillRect(m.dc, &empty, red);
    EXPECT_EQ(m.inked(), (RECT{0, 0, 0, 0}));
  }
  DeleteObject(red);
}

TEST(GdiFill, SystemColourBrushes) {
  MemorySurface m(4, 4);
  m.clear(0);
  RECT r{0, 0, 4, 4};
  const int COLOR_WINDOW = 5, COLOR_BTNFACE = 15;
  FillRect(m.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1)));
  EXPECT_EQ(m.at(0, 0), 0xFFFFFFu);
  FillRect(m.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(m.at(3, 3), 0xF0F0F0u);
}

TEST(GdiFill, InvertRectTwiceRestores) {
  MemorySurface m(12, 12);
  for (int i = 0; i < 144; ++i) m.surface().pixels[i] = (i * 2654435761u) & 0xFFFFFF;
  std::vector<uint32_t> before = m.surface().pixels;
  RECT band{3, 0, 6, 12};  // like a drag line: position - 1 .. position + 2
  InvertRect(m.dc, &band);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      uint32_t was = before[y * 12 + x];
      EXPECT_EQ(m.at(x, y), x >= 3 && x < 6 ? (~was & 0xFFFFFF) : was);
    }
  InvertRect(m.dc, &band);
  EXPECT_EQ(m.surface().pixels, before);
}

TEST(GdiPolygon, FillsInteriorPixelsThenFramesWithThePen) {
  MemorySurface m(16, 16);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(m.dc, brush);
  SelectObject(m.dc, GetStockObject(NULL_PEN));
  POINT square[] = {{2, 2}, {8, 2}, {8, 6}, {2, 6}};
  Polygon(m.dc, square, 4);
  EXPECT_EQ(m.inked(), (RECT{2, 2, 8, 6}));
  m.clear(0xFFFFFF);
  // The corner box's triangle: right angle at the bottom right.
  POINT triangle[] = {{10, 4}, {10, 10}, {4, 10}};
  SelectObject(m.dc, GetStockObject(BLACK_PEN));
  Polygon(m.dc, triangle, 3);
  EXPECT_EQ(m.picture(4, 4, 7, 7), (std::vector<std::string>{
                                       "......#",
                                       ".....##",
                                       "....###",
                                       "...####",
                                       "..#####",
                                       ".######",
                                       "#######",
                                   }));
  EXPECT_EQ(m.at(9, 9), 0x0000FFu);    // inside: brush
  EXPECT_EQ(m.at(10, 10), 0x000000u);  // on the outline: pen
  SelectObject(m.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(GdiBlit, CopiesWhatTheSourceHasIntoTheDestinationClip) {
  MemorySurface src(8, 8), dst(10, 10);
  for (int i = 0; i < 64; ++i) src.surface().pixels[i] = 0x010101u * i;
  dst.clear(0xABCDEF);
  // 6 x 6 from source (4, 4): only 4 x 4 source pixels exist.
  ASSERT_TRUE(BitBlt(dst.dc, 1, 2, 6, 6, src.dc, 4, 4, SRCCOPY));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      bool copied = x >= 1 && x < 5 && y >= 2 && y < 6;
      EXPECT_EQ(dst.at(x, y), copied ? src.at(x + 3, y + 2) : 0xABCDEFu) << x << "," << y;
    }
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 0x00EE0086 /* SRCPAINT */));
}

TEST(GdiBlit, OverlappingCopiesWithinOneSurfaceAreExact) {
  for (POINT shift : {POINT{0, 3}, POINT{0, -3}, POINT{2, 0}, POINT{-2, 0}, POINT{3, -2}}) {
    MemorySurface m(12, 12);
    for (int i = 0; i < 144; ++i) m.surface().pixels[i] = i;
    std::vector<uint32_t> before = m.surface().pixels;
    BitBlt(m.dc, 3 + shift.x, 3 + shift.y, 6, 6, m.dc, 3, 3, SRCCOPY);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x)
        ASSERT_EQ(m.at(3 + shift.x + x, 3 + shift.y + y), before[(3 + y) * 12 + 3 + x])
            << shift.x << "," << shift.y;
  }
}

TEST(GdiObjects, SelectReturnsWhatItReplaced) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HFONT font = CreateFontW(12, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"宋体");
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT));
  HGDIOBJ firstBitmap = SelectObject(dc, bitmap);
  EXPECT_NE(firstBitmap, nullptr);
  // Selected objects cannot be deleted; after deselecting they can.
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), pen);
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_BRUSH)), brush);
  EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), font);
  EXPECT_EQ(SelectObject(dc, firstBitmap), bitmap);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(bitmap));
  // Stale handles are refused rather than followed.
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, pen), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(NULL_PEN)));  // stock: a no-op
  EXPECT_EQ(GetStockObject(NULL_PEN), GetStockObject(NULL_PEN));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(Rectangle(dc, 0, 0, 2, 2));
}

TEST(GdiObjects, ABitmapLivesInOneMemoryDcAtATime) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(a);
  HBITMAP bitmap = CreateCompatibleBitmap(a, 3, 3);
  HGDIOBJ oldA = SelectObject(a, bitmap);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  SelectObject(a, oldA);
  HGDIOBJ oldB = SelectObject(b, bitmap);
  EXPECT_NE(oldB, nullptr);
  SelectObject(b, oldB);
  DeleteObject(bitmap);
  DeleteDC(a);
  DeleteDC(b);
}

TEST(GdiObjects, CompatibleBitmapSizes) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 1 << 20, 1 << 20), nullptr);  // refused, not thrown
  HBITMAP empty = CreateCompatibleBitmap(dc, 0, 7);
  ASSERT_NE(empty, nullptr);
  HGDIOBJ old = SelectObject(dc, empty);
  EXPECT_EQ(surfaceOfDC(dc)->width, 1);
  EXPECT_EQ(surfaceOfDC(dc)->height, 1);
  SelectObject(dc, old);
  DeleteObject(empty);
  DeleteDC(dc);
}

}  // namespace
