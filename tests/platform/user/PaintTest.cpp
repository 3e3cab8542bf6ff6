// Update regions, WM_PAINT synthesis, BeginPaint/EndPaint, window DCs.
#include <map>

#include "platform/gdiplus/gdiplus.h"
#include "platform/png/Png.h"
#include "platform/windows.h"
#include "tests/platform/user/Recorder.h"
#include "tests/support/Picture.h"

using namespace usertest;
using testdriver::pumpUntilIdle;
using Lines = std::vector<std::string>;

namespace {

class PaintTest : public UserTest {
 protected:
  // Records each WM_PAINT's rcPaint and erase flag, painting nothing.
  void recordPaints() {
    rec().handler = [this](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      paints.push_back(Paint{h, ps.rcPaint, ps.fErase != 0, ps.hdc != nullptr});
      EndPaint(h, &ps);
      return 0;
    };
  }
  struct Paint {
    HWND hwnd;
    RECT rc;
    bool erase;
    bool dc;
  };
  std::vector<Paint> paints;
};

bool same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST_F(PaintTest, InvalidRectanglesMergeIntoOnePaint) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  pumpUntilIdle();
  rec().clear();
  recordPaints();
  RECT a{10, 10, 20, 20}, b{50, 5, 60, 15}, outside{150, 90, 400, 400};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  InvalidateRect(w, &outside, FALSE);  // cut to the client area
  pumpUntilIdle();
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_TRUE(same(paints[0].rc, RECT{10, 5, 200, 100}));
  EXPECT_FALSE(paints[0].erase);
  EXPECT_TRUE(paints[0].dc);
  EXPECT_TRUE(rec().of(WM_ERASEBKGND).empty());  // erase FALSE: never asked to erase
  pumpUntilIdle();
  EXPECT_EQ(paints.size(), 1u);  // BeginPaint validated
  RECT r;
  EXPECT_FALSE(GetUpdateRect(w, &r, FALSE));
}

TEST_F(PaintTest, ShowingErasesAndHiddenWindowsAreNotPainted) {
  HWND w = make("w", WS_POPUP, 0, 0, 50, 50);
  recordPaints();
  InvalidateRect(w, nullptr, FALSE);
  pumpUntilIdle();
  EXPECT_TRUE(paints.empty());
  ShowWindow(w, SW_SHOWNA);
  pumpUntilIdle();
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_TRUE(same(paints[0].rc, RECT{0, 0, 50, 50}));
  EXPECT_EQ(rec().of(WM_ERASEBKGND).size(), 1u);
  EXPECT_TRUE(paints[0].erase);  // no class brush: DefWindowProcW left it to the painter
}

TEST_F(PaintTest, ParentsWithoutClipChildrenInvalidateTheChildrenUnderneath) {
  HWND grid = make("grid", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
  HWND editor = make("editor", WS_CHILD | WS_VISIBLE | WS_BORDER, 100, 50, 60, 30, grid);
  HWND clipping = make("clipping", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 300, 200);
  HWND inner = make("inner", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, clipping);
  pumpUntilIdle();
  recordPaints();
  RECT band{0, 60, 300, 70};
  InvalidateRect(grid, &band, FALSE);
  InvalidateRect(clipping, &band, FALSE);
  RECT top{0, 0, 10, 10};
  InvalidateRect(clipping, &top, FALSE);
  pumpUntilIdle();
  ASSERT_EQ(paints.size(), 3u);
  EXPECT_EQ(paints[0].hwnd, clipping);  // topmost window first
  EXPECT_EQ(paints[1].hwnd, grid);      // a parent before its children
  EXPECT_EQ(paints[2].hwnd, editor);
  // The band in the editor's client coordinates (border 1): rows 60..70 of the
  // grid are rows 9..19 of the editor.
  EXPECT_TRUE(same(paints[2].rc, RECT{0, 9, 58, 19}));
  (void)inner;
}

TEST_F(PaintTest, UpdateWindowPaintsNow) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  HWND child = make("child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w);
  pumpUntilIdle();
  recordPaints();
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  ASSERT_EQ(paints.size(), 2u);
  EXPECT_EQ(paints[0].hwnd, w);
  EXPECT_EQ(paints[1].hwnd, child);
}

TEST_F(PaintTest, ValidateRectLeavesTheRestOfTheBox) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  pumpUntilIdle();
  RECT all{0, 0, 100, 100}, topHalf{0, 0, 100, 50}, r;
  InvalidateRect(w, &all, FALSE);
  ValidateRect(w, &topHalf);
  ASSERT_TRUE(GetUpdateRect(w, &r, FALSE));
  EXPECT_TRUE(same(r, RECT{0, 50, 100, 100}));
  ValidateRect(w, nullptr);
  EXPECT_FALSE(GetUpdateRect(w, &r, FALSE));
}

// The update region is a set of rectangles: what ValidateRect takes out of it
// is neither reported by GetUpdateRect's box when it shrinks the box, nor
// painted by the next WM_PAINT, which fills the whole client area red.
TEST_F(PaintTest, ValidateRectTakesItsPartOutOfTheRegion) {
  struct Case {
    const char* what;
    std::vector<RECT> invalid, validated;
    RECT box;  // GetUpdateRect afterwards; empty: nothing left
    std::vector<POINT> painted, kept;
  } cases[] = {
      {"one of two separate rectangles: the other stays",
       {{10, 10, 20, 20}, {60, 10, 70, 20}},
       {{10, 10, 20, 20}},
       {60, 10, 70, 20},
       {{60, 10}, {69, 19}},
       {{15, 15}, {40, 15}}},
      {"both of them: nothing is left",
       {{10, 10, 20, 20}, {60, 10, 70, 20}},
       {{10, 10, 20, 20}, {60, 10, 70, 20}},
       {0, 0, 0, 0},
       {},
       {{15, 15}, {65, 15}}},
      {"a band across the middle: the box stays, the band is not painted",
       {{0, 0, 100, 100}},
       {{0, 40, 100, 60}},
       {0, 0, 100, 100},
       {{50, 39}, {50, 60}},
       {{50, 40}, {50, 59}}},
      {"a hole: the ring around it is painted",
       {{0, 0, 100, 100}},
       {{40, 40, 60, 60}},
       {0, 0, 100, 100},
       {{50, 39}, {39, 50}, {60, 50}},
       {{40, 40}, {59, 59}}},
      {"overlapping invalid rectangles, one validated: what only the other covers stays",
       {{10, 10, 50, 50}, {30, 30, 70, 70}},
       {{10, 10, 50, 50}},
       {30, 30, 70, 70},
       {{50, 30}, {30, 50}, {69, 69}},
       {{35, 35}, {45, 45}, {15, 15}}},
  };
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  for (const Case& c : cases) {
    HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    pumpUntilIdle();
    rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (h != w || m != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT all{0, 0, 100, 100};
      FillRect(dc, &all, red);
      EndPaint(h, &ps);
      return 0;
    };
    for (const RECT& r : c.invalid) InvalidateRect(w, &r, FALSE);
    for (const RECT& r : c.validated) ValidateRect(w, &r);
    RECT box{};
    EXPECT_EQ(GetUpdateRect(w, &box, FALSE), !IsRectEmpty(&c.box)) << c.what;
    EXPECT_TRUE(same(box, c.box)) << c.what << ": " << box.left << "," << box.top << "," << box.right << ","
                                  << box.bottom;
    pumpUntilIdle();
    Surface px = testdriver::windowPixels(w);
    for (POINT p : c.painted) EXPECT_EQ(px.at(p.x, p.y), 0x00FF0000u) << c.what << " at " << p.x << "," << p.y;
    for (POINT p : c.kept) EXPECT_EQ(px.at(p.x, p.y), 0x00FFFFFFu) << c.what << " at " << p.x << "," << p.y;
    rec().handler = nullptr;
    DestroyWindow(w);
  }
  DeleteObject(red);
}

// MoveWindow without repainting takes a shown child's pixels to its new
// place (as far as the smaller of its two sizes reaches) and paints nothing;
// with repainting the child paints at its new place and the parent where it was.
TEST_F(PaintTest, MovingAChildWithoutRepaintingTakesItsPixelsAlong) {
  struct Case {
    const char* what;
    RECT to;  // x, y, width, height
    BOOL repaint;
    std::vector<POINT> blue, white;
  } cases[] = {
      {"moved", {50, 30, 20, 20}, FALSE, {{50, 30}, {69, 49}, {15, 15}}, {{70, 30}, {50, 50}}},
      {"moved over its old place", {15, 12, 20, 20}, FALSE, {{15, 12}, {34, 31}, {11, 11}}, {{35, 20}}},
      {"moved and made smaller", {50, 30, 10, 5}, FALSE, {{50, 30}, {59, 34}}, {{60, 30}, {50, 35}}},
      {"moved with repainting", {50, 30, 20, 20}, TRUE, {{50, 30}, {69, 49}}, {{70, 30}, {50, 50}}},
  };
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  for (const Case& c : cases) {
    HWND main = make("main", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
    HWND child = make("child", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, main);
    int childPaints = 0;
    rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (h != child || m != WM_PAINT) return std::nullopt;
      ++childPaints;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT all{0, 0, 100, 100};
      FillRect(dc, &all, blue);
      EndPaint(h, &ps);
      return 0;
    };
    pumpUntilIdle();
    ASSERT_EQ(testdriver::windowPixels(main).at(10, 10), 0x000000FFu) << c.what;
    childPaints = 0;
    MoveWindow(child, c.to.left, c.to.top, c.to.right, c.to.bottom, c.repaint);
    pumpUntilIdle();
    EXPECT_EQ(childPaints, c.repaint ? 1 : 0) << c.what;
    Surface px = testdriver::windowPixels(main);
    for (POINT p : c.blue) EXPECT_EQ(px.at(p.x, p.y), 0x000000FFu) << c.what << " at " << p.x << "," << p.y;
    for (POINT p : c.white) EXPECT_EQ(px.at(p.x, p.y), 0x00FFFFFFu) << c.what << " at " << p.x << "," << p.y;
    rec().handler = nullptr;
    DestroyWindow(main);
  }
  DeleteObject(blue);
}

TEST_F(PaintTest, PeekMessageSynthesisesPaintAfterEverythingElse) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  pumpUntilIdle();
  InvalidateRect(w, nullptr, FALSE);
  PostMessageW(w, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
  // Until the window validates, WM_PAINT keeps coming.
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_PAINT);
  DispatchMessageW(&m);  // DefWindowProcW validates
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PaintTest, ClassBrushErasesTheBackground) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr, kBrushClass);
  pumpUntilIdle();
  Surface px = testdriver::windowPixels(w);
  ASSERT_EQ(px.width, 40);
  ASSERT_EQ(px.height, 30);
  EXPECT_EQ(px.at(0, 0), 0x00F0F0F0u);
  EXPECT_EQ(px.at(39, 29), 0x00F0F0F0u);
}

TEST_F(PaintTest, WindowDCsDrawOnTheTopLevelSurface) {
  HWND main = make("main", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
  HWND child = make("child", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 30, 20, main);
  pumpUntilIdle();
  HDC dc = GetDC(child);
  ASSERT_NE(dc, nullptr);
  Surface* s = surfaceOfDC(dc);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->width, 100);
  EXPECT_EQ(s->height, 80);
  HDC mainDC = GetDC(main);
  EXPECT_EQ(surfaceOfDC(mainDC), s);  // one surface for the whole top-level window
  EXPECT_EQ(ReleaseDC(main, mainDC), 1);
  EXPECT_EQ(ReleaseDC(child, dc), 1);
  EXPECT_EQ(ReleaseDC(child, dc), 0);  // released already
  HDC screen = GetDC(nullptr);
  EXPECT_NE(screen, nullptr);
  ReleaseDC(nullptr, screen);
  MoveWindow(main, 0, 0, 120, 90, FALSE);
  EXPECT_EQ(s->width, 120);  // the surface follows the client size
}

TEST_F(PaintTest, AChildsDCStartsAtTheChildAndClipsToIt) {
  HWND main = make("main", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
  HWND child = make("child", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 30, 20, main);
  pumpUntilIdle();
  HDC dc = GetDC(child);
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  RECT corner{0, 0, 2, 2}, huge{-50, -50, 500, 500};
  FillRect(dc, &corner, black);
  Surface px = testdriver::windowPixels(main);
  EXPECT_EQ(px.at(11, 21), 0u);  // client (0, 0) of the child, inside its border
  EXPECT_EQ(px.at(12, 22), 0u);
  EXPECT_EQ(px.at(13, 23), 0x00FFFFFFu);  // the corner is 2 x 2
  EXPECT_EQ(px.at(10, 20), 0x00FFFFFFu);  // the border is not client area
  FillRect(dc, &huge, black);
  px = testdriver::windowPixels(main);
  EXPECT_EQ(px.at(38, 38), 0u);           // last client pixel of the child
  EXPECT_EQ(px.at(39, 39), 0x00FFFFFFu);  // clipped to it
  EXPECT_EQ(px.at(5, 5), 0x00FFFFFFu);
  ReleaseDC(child, dc);
  DeleteObject(black);
}

TEST_F(PaintTest, BeginPaintClipsToTheUpdateRectangle) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  pumpUntilIdle();
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT all{0, 0, 50, 50};
    FillRect(dc, &all, red);
    EndPaint(h, &ps);
    return 0;
  };
  RECT box{10, 10, 20, 15};
  InvalidateRect(w, &box, FALSE);
  pumpUntilIdle();
  Surface px = testdriver::windowPixels(w);
  EXPECT_EQ(px.at(10, 10), 0x00FF0000u);
  EXPECT_EQ(px.at(19, 14), 0x00FF0000u);
  EXPECT_EQ(px.at(20, 14), 0x00FFFFFFu);
  EXPECT_EQ(px.at(19, 15), 0x00FFFFFFu);
  DeleteObject(red);
}

TEST_F(PaintTest, DrawingOnAWindowDCTwiceWithInvertRestoresIt) {
  HWND grid = make("grid", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, kBrushClass);
  pumpUntilIdle();
  Surface before = testdriver::windowPixels(grid);
  RECT band{29, 0, 32, 40};  // a drag line: position - 1 to position + 2
  for (int pass = 0; pass < 2; ++pass) {
    HDC dc = GetDC(grid);
    InvertRect(dc, &band);
    ReleaseDC(grid, dc);
    if (pass == 0) {
      EXPECT_NE(testdriver::windowPixels(grid).at(30, 5), before.at(30, 5));
    }
  }
  EXPECT_EQ(testdriver::windowPixels(grid).pixels, before.pixels);
}

namespace {

// Fills the client area with one colour, then draws across it with every
// kind of drawing call: a line, text, a blit from a memory DC, a GDI+ fill.
void paintEverything(HWND hwnd, COLORREF color) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, client.right, client.bottom);
  SetBkColor(dc, RGB(255, 255, 0));
  TextOutW(dc, 0, 45, u"MMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", 30);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, 6);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
  RECT band{0, 0, client.right, 6};
  FillRect(memory, &band, green);
  DeleteObject(green);
  BitBlt(dc, 0, 30, client.right, 6, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  GpGraphics* g = nullptr;
  GpSolidFill* fill = nullptr;
  GdipCreateFromHDC(dc, &g);
  GdipCreateSolidFill(0xFF8000FF, &fill);
  GdipFillRectangleI(g, reinterpret_cast<GpBrush*>(fill), 0, 60, client.right, 5);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(fill));
  GdipDeleteGraphics(g);
  EndPaint(hwnd, &ps);
}

}  // namespace

// WS_CLIPCHILDREN keeps a parent's drawing off its visible children, which
// its invalidation does not reach; WS_CLIPSIBLINGS keeps a child's drawing
// off the siblings above it. Without them the drawing covers the others.
TEST_F(PaintTest, ClipChildrenAndClipSiblingsKeepDrawingOffTheOthers) {
  const COLORREF parentColor = RGB(200, 200, 255), aboveColor = RGB(255, 0, 0), belowColor = RGB(0, 0, 255);
  const uint32_t abovePixel = 0x00FF0000u;
  struct Case {
    const char* what;
    DWORD parentStyle, belowStyle;
    bool invalidateParent;   // else the lower child alone
    bool overlapKeepsAbove;  // where the children overlap: the upper child's colour, or none of it
    const char* picture;
  } cases[] = {
      {"clip children: the parent's drawing leaves the children", WS_CLIPCHILDREN, 0, true, true,
       "clip_children.png"},
      {"no clip children: the children are painted again over the parent", 0, WS_CLIPSIBLINGS, true, true,
       "no_clip_children.png"},
      {"clip siblings: the lower child leaves the one above", 0, WS_CLIPSIBLINGS, false, true, "clip_siblings.png"},
      {"no clip siblings: the lower child draws over the one above", 0, 0, false, false, "no_clip_siblings.png"},
  };
  for (const Case& c : cases) {
    HWND parent = make("parent", WS_POPUP | WS_VISIBLE | c.parentStyle, 0, 0, 240, 120);
    HWND above = make("above", WS_CHILD | WS_VISIBLE, 20, 20, 100, 60, parent);  // first made: topmost
    HWND below = make("below", WS_CHILD | WS_VISIBLE | c.belowStyle, 80, 40, 100, 60, parent);
    std::map<HWND, COLORREF> colors{{parent, parentColor}, {above, aboveColor}, {below, belowColor}};
    // The parent and the lower child draw with every kind of call; the upper
    // child is one plain colour.
    auto plain = [&](HWND h, HDC dc) {
      RECT r;
      GetClientRect(h, &r);
      HBRUSH b = CreateSolidBrush(colors[h]);
      FillRect(dc, &r, b);
      DeleteObject(b);
    };
    rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m != WM_PAINT) return std::nullopt;
      if (h != above) {
        paintEverything(h, colors[h]);
        return 0;
      }
      PAINTSTRUCT ps;
      plain(h, BeginPaint(h, &ps));
      EndPaint(h, &ps);
      return 0;
    };
    pumpUntilIdle();
    HDC dc = GetDC(above);  // the upper child whole again, as a person would see it
    plain(above, dc);
    ReleaseDC(above, dc);
    InvalidateRect(c.invalidateParent ? parent : below, nullptr, TRUE);
    pumpUntilIdle();
    writePng(testdriver::windowPixels(parent), testsupport::picturePath("platform", c.picture).string());
    // The upper child's client: the overlap is x 60..100, y 20..60.
    Surface shown = testdriver::windowPixels(above);
    size_t outsideWrong = 0, overlapAbove = 0;
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x) {
        bool overlap = x >= 60 && y >= 20;
        if (overlap) overlapAbove += shown.at(x, y) == abovePixel;
        else outsideWrong += shown.at(x, y) != abovePixel;
      }
    EXPECT_EQ(outsideWrong, 0u) << c.what;
    EXPECT_EQ(overlapAbove, c.overlapKeepsAbove ? 40u * 40u : 0u) << c.what;
    // The parent drew around the children.
    EXPECT_EQ(testdriver::windowPixels(parent).at(230, 5), 0x00C8C8FFu) << c.what;
    rec().handler = nullptr;
    DestroyWindow(parent);
    pumpUntilIdle();
  }
}

// A DC from GetDC and the background erase follow the same clip.
TEST_F(PaintTest, WindowDCsAndErasingOfAClipChildrenParentLeaveTheChildren) {
  HWND parent = make("parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 80, nullptr, kBrushClass);
  HWND child = make("child", WS_CHILD | WS_VISIBLE, 10, 10, 30, 20, parent);
  pumpUntilIdle();
  HDC dc = GetDC(child);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 30, 20};
  FillRect(dc, &all, red);
  ReleaseDC(child, dc);
  dc = GetDC(parent);
  RECT whole{0, 0, 100, 80};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(dc, &whole, blue);
  ReleaseDC(parent, dc);
  EXPECT_EQ(testdriver::windowPixels(child).at(5, 5), 0x00FF0000u);
  EXPECT_EQ(testdriver::windowPixels(parent).at(5, 5), 0x000000FFu);
  InvalidateRect(parent, nullptr, TRUE);  // erased with the class brush, painted by DefWindowProcW
  pumpUntilIdle();
  EXPECT_EQ(testdriver::windowPixels(child).at(5, 5), 0x00FF0000u);
  EXPECT_EQ(testdriver::windowPixels(parent).at(5, 5), 0x00F0F0F0u);
  DeleteObject(red);
  DeleteObject(blue);
}
