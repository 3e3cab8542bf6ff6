// Clip regions and window-surface DCs: every drawing call stays inside.
#include <gtest/gtest.h>

#include <functional>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

// Each operation tries to paint the whole 20 x 20 surface.
struct ClipOp {
  const char* name;
  std::function<void(HDC)> draw;
};

void drawAll(HDC dc) {
  static HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  RECT all{-5, -5, 30, 30};
  FillRect(dc, &all, black);
}

const ClipOp kOps[] = {
    {"FillRect", drawAll},
    {"Rectangle",
     [](HDC dc) {
       SelectObject(dc, GetStockObject(BLACK_BRUSH));
       Rectangle(dc, -5, -5, 30, 30);
       SelectObject(dc, GetStockObject(WHITE_BRUSH));
     }},
    {"LineTo",
     [](HDC dc) {
       for (int y = -2; y < 22; ++y) {
         MoveToEx(dc, -3, y, nullptr);
         LineTo(dc, 25, y);
       }
     }},
    {"InvertRect",
     [](HDC dc) {
       RECT all{0, 0, 20, 20};
       InvertRect(dc, &all);
     }},
    {"BitBlt",
     [](HDC dc) {
       static MemorySurface src(20, 20);
       src.clear(0x123456);
       BitBlt(dc, 0, 0, 20, 20, src.dc, 0, 0, SRCCOPY);
     }},
    {"TextOutW",
     [](HDC dc) {
       HFONT f = CreateFontW(20, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, u"Morvel Test Fixed");
       HGDIOBJ old = SelectObject(dc, f);
       SetBkMode(dc, OPAQUE);
       SetBkColor(dc, RGB(0, 0, 0));
       TextOutW(dc, -2, 0, u"ABCDEFGHIJK", 11);
       SelectObject(dc, old);
       DeleteObject(f);
     }},
};

// Every pixel outside `inside` is white, every pixel inside is not.
void expectPaintedExactly(const MemorySurface& m, RECT inside, const char* op) {
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      bool in = x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
      ASSERT_EQ(m.at(x, y) != 0xFFFFFF, in) << op << " at " << x << "," << y;
    }
}

TEST(GdiClip, ARegionLimitsEveryDrawingCall) {
  for (const ClipOp& op : kOps) {
    MemorySurface m(20, 20);
    HRGN rgn = CreateRectRgn(3, 4, 9, 15);
    EXPECT_EQ(SelectClipRgn(m.dc, rgn), SIMPLEREGION);
    DeleteObject(rgn);  // the DC holds a copy
    op.draw(m.dc);
    expectPaintedExactly(m, RECT{3, 4, 9, 15}, op.name);
  }
}

TEST(GdiClip, EmptyOrInvertedRegionsClipEverything) {
  for (RECT r : {RECT{5, 5, 5, 10}, RECT{9, 9, 4, 4}, RECT{0, 0, 0, 0}}) {
    for (const ClipOp& op : kOps) {
      MemorySurface m(20, 20);
      HRGN rgn = CreateRectRgn(r.left, r.top, r.right, r.bottom);
      EXPECT_EQ(SelectClipRgn(m.dc, rgn), NULLREGION);
      DeleteObject(rgn);
      op.draw(m.dc);
      expectPaintedExactly(m, RECT{0, 0, 0, 0}, op.name);
    }
  }
}

// The canvas's clip stack: push selects the intersection with the top entry,
// pop selects the previous entry again, popping the last removes clipping.
TEST(GdiClip, StackOfSelectedRegionsRestoresExactly) {
  MemorySurface m(20, 20);
  std::vector<RECT> stack;
  auto select = [&] {
    if (stack.empty()) {
      SelectClipRgn(m.dc, nullptr);
      return;
    }
    RECT t = stack.back();
    HRGN rgn = CreateRectRgn(t.left, t.top, t.right, t.bottom);
    SelectClipRgn(m.dc, rgn);
    DeleteObject(rgn);
  };
  auto push = [&](RECT r) {
    if (!stack.empty()) {
      RECT t = stack.back();
      r = RECT{std::max(r.left, t.left), std::max(r.top, t.top), std::min(r.right, t.right),
               std::min(r.bottom, t.bottom)};
    }
    stack.push_back(r);
    select();
  };
  auto pop = [&] {
    stack.pop_back();
    select();
  };
  RECT box;
  push(RECT{2, 2, 12, 12});
  push(RECT{8, 0, 20, 10});
  EXPECT_EQ(GetClipBox(m.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{8, 2, 12, 10}));
  push(RECT{15, 15, 19, 19});  // outside the top entry: nothing may be drawn
  drawAll(m.dc);
  expectPaintedExactly(m, RECT{0, 0, 0, 0}, "disjoint push");
  pop();
  drawAll(m.dc);
  expectPaintedExactly(m, RECT{8, 2, 12, 10}, "after one pop");
  pop();
  m.clear(0xFFFFFF);
  drawAll(m.dc);
  expectPaintedExactly(m, RECT{2, 2, 12, 12}, "after two pops");
  pop();
  drawAll(m.dc);
  expectPaintedExactly(m, RECT{0, 0, 20, 20}, "clip removed");
  EXPECT_EQ(GetClipBox(m.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 20, 20}));
}

TEST(GdiClip, IntersectClipRectNarrowsTheRegion) {
  MemorySurface m(20, 20);
  EXPECT_EQ(IntersectClipRect(m.dc, 2, 2, 10, 10), SIMPLEREGION);
  EXPECT_EQ(IntersectClipRect(m.dc, 6, 0, 20, 8), SIMPLEREGION);
  drawAll(m.dc);
  expectPaintedExactly(m, RECT{6, 2, 10, 8}, "intersected");
  EXPECT_EQ(IntersectClipRect(m.dc, 15, 15, 18, 18), NULLREGION);
}

// A window DC: drawing coordinates start at the window's origin on the
// surface, and the base clip (window area, update rectangle) holds.
TEST(GdiSurfaceDc, OriginAndBaseClip) {
  Surface window;
  window.resize(40, 30);
  HDC dc = createSurfaceDC(&window, POINT{10, 5}, RECT{10, 5, 30, 25});
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(surfaceOfDC(dc), &window);
  HBRUSH black = CreateSolidBrush(0);
  RECT r{0, 0, 100, 100};
  FillRect(dc, &r, black);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(window.at(x, y), x >= 10 && x < 30 && y >= 5 && y < 25 ? 0u : 0xFFFFFFu) << x << "," << y;
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 20, 20}));  // in the DC's coordinates

  // An update rectangle, then a region in DC coordinates inside it.
  std::fill(window.pixels.begin(), window.pixels.end(), 0xFFFFFF);
  setSurfaceDCClip(dc, RECT{12, 5, 20, 15});
  HRGN rgn = CreateRectRgn(0, 2, 5, 100);
  SelectClipRgn(dc, rgn);
  FillRect(dc, &r, black);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(window.at(x, y), x >= 12 && x < 15 && y >= 7 && y < 15 ? 0u : 0xFFFFFFu) << x << "," << y;

  // The DC starts with the default objects: white brush, black pen.
  std::fill(window.pixels.begin(), window.pixels.end(), 0x777777);
  SelectClipRgn(dc, nullptr);
  setSurfaceDCClip(dc, RECT{0, 0, 40, 30});
  Rectangle(dc, 0, 0, 4, 4);
  EXPECT_EQ(window.at(10, 5), 0x000000u);
  EXPECT_EQ(window.at(11, 6), 0xFFFFFFu);
  deleteSurfaceDC(dc);
  EXPECT_EQ(surfaceOfDC(dc), nullptr);
  DeleteObject(rgn);
  DeleteObject(black);
}

TEST(GdiSurfaceDc, FollowsTheSurfaceThroughResizes) {
  Surface window;
  window.resize(10, 10);
  window.pixels[9 * 10 + 9] = 0x123456;
  HDC dc = createSurfaceDC(&window, POINT{0, 0}, RECT{0, 0, 1000, 1000});
  window.resize(20, 5);  // pixels inside both sizes stay; new ones are white
  EXPECT_EQ(window.at(0, 0), 0xFFFFFFu);
  EXPECT_EQ(window.at(19, 4), 0xFFFFFFu);
  window.resize(10, 10);
  EXPECT_EQ(window.at(9, 9), 0xFFFFFFu);
  RECT r{0, 0, 50, 50};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));  // no write past the surface
  EXPECT_EQ(window.at(9, 9), 0u);
  deleteSurfaceDC(dc);
}

}  // namespace
