// Painting of the grid, read back as pixels, with pictures under build/tests/grid/.
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"

namespace {

// The pixel value (0x00RRGGBB) of a COLORREF (0x00BBGGRR).
uint32_t rgb(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// The blend of `over` with alpha a (0..255) on `under`, per channel, as pixel values.
uint32_t blend(uint32_t under, uint32_t over, int a) {
  uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const int u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
    out |= uint32_t((o * a + u * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

bool near(uint32_t a, uint32_t b, int tolerance = 3) {
  for (int shift : {0, 8, 16})
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

}  // namespace

class PaintTest : public GridTest {
 protected:
  Surface pixels() {
    grid->invalidate();
    testdriver::pumpUntilIdle();
    return testdriver::windowPixels(grid->mHwnd);
  }
  void picture(const std::string& name) {
    grid->invalidate();
    testdriver::pumpUntilIdle();
    testdriver::saveWindowPng(grid->mHwnd, testsupport::picturePath("grid", name).string());
  }
  // Leftmost and rightmost x in row band [top, bottom] of [left, right] whose pixel is not `ground`.
  static std::pair<int, int> inkExtent(const Surface& s, int left, int right, int top, int bottom,
                                       uint32_t ground) {
    int lo = INT32_MAX, hi = -1;
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x)
        if (!near(s.at(x, y), ground, 40)) lo = std::min(lo, x), hi = std::max(hi, x);
    return {lo, hi};
  }
  int rw() { return view().rowHeaderWidth(); }
  // Client x of column c's left grid line and y of row r's top grid line.
  int colX(int c) { return rw() + 74 * (c - 1); }
  int rowY(int r) { return 20 + 18 * (r - 1); }
};

TEST_F(PaintTest, BandsGridLinesCornerAndSelection) {
  grid->mSelection.anchorRow = 3, grid->mSelection.anchorCol = 3;
  grid->mSelection.range = Range{3, 3, 4, 4};
  const Surface s = pixels();
  const auto& k = grid->mStyle.colors;
  struct Probe {
    const char* name;
    int x, y;
    uint32_t expected;
  } probes[] = {
      {"odd row band", colX(1) + 40, rowY(1) + 9, rgb(k[COLOR_BAND_ODD])},
      {"even row band", colX(1) + 40, rowY(2) + 9, rgb(k[COLOR_BAND_EVEN])},
      {"vertical grid line", colX(2), rowY(2) + 9, rgb(k[COLOR_GRID_LINE])},
      {"horizontal grid line", colX(1) + 40, rowY(2), rgb(k[COLOR_GRID_LINE])},
      {"corner fill", 8, 10, rgb(k[6])},
      {"selection over an odd row", colX(3) + 40, rowY(3) + 9, blend(rgb(k[COLOR_BAND_ODD]), rgb(0x777766), 65)},
      {"selection over an even row", colX(4) + 30, rowY(4) + 9, blend(rgb(k[COLOR_BAND_EVEN]), rgb(0x777766), 65)},
      {"row header meeting the selection", 3, rowY(3) + 9, rgb(k[20])},
      {"ordinary row header", 3, rowY(1) + 9, rgb(k[18])},
      {"handle", colX(5) + 2, rowY(5) + 2, 0xFFFFFF ^ rgb(k[COLOR_BAND_ODD])},
  };
  for (const auto& p : probes)
    EXPECT_TRUE(near(s.at(p.x, p.y), p.expected))
        << p.name << std::hex << " got " << s.at(p.x, p.y) << " want " << p.expected;
  // The frame is inverted around the selection: 3 pixels wide along its top.
  const uint32_t frameTop = s.at(colX(3) + 40, rowY(3));
  EXPECT_FALSE(near(frameTop, rgb(k[COLOR_GRID_LINE]), 10));
}

TEST_F(PaintTest, WholeColumnAndWholeSheetHeaderStates) {
  const auto& k = grid->mStyle.colors;
  grid->mSelection.range = Range{0, 3, 0, 3};
  Surface s = pixels();
  EXPECT_TRUE(near(s.at(colX(3) + 3, 3), rgb(k[14]))) << std::hex << s.at(colX(3) + 3, 3);
  EXPECT_TRUE(near(s.at(colX(2) + 3, 3), rgb(k[12]), 8));
  EXPECT_TRUE(near(s.at(3, rowY(5) + 9), rgb(k[20])));
  grid->mSelection.range = Range{0, 0, 0, 0};
  s = pixels();
  EXPECT_TRUE(near(s.at(8, 10), rgb(k[10])));
  EXPECT_TRUE(near(s.at(3, rowY(5) + 9), rgb(k[19])));
}

TEST_F(PaintTest, NumbersAlignRightAndTextsLeft) {
  core().setInt64(1, 1, 12345);
  core().setDouble(2, 1, 2.5);
  core().setText(3, 1, u"abc");
  core().setText(4, 1, u"=1+1");  // a formula without a computed value shows its text
  grid->mSelection.range = Range{10, 5, 10, 5};
  const Surface s = pixels();
  const uint32_t odd = rgb(grid->mStyle.colors[COLOR_BAND_ODD]), even = rgb(grid->mStyle.colors[COLOR_BAND_EVEN]);
  struct Case {
    const char* name;
    int row;
    bool right;
  } cases[] = {{"integer", 1, true}, {"double", 2, true}, {"text", 3, false}, {"formula text", 4, false}};
  for (const auto& c : cases) {
    const auto [lo, hi] =
        inkExtent(s, colX(1) + 1, colX(2) - 1, rowY(c.row) + 2, rowY(c.row + 1) - 2, c.row & 1 ? odd : even);
    ASSERT_LE(lo, hi) << c.name;
    if (c.right) EXPECT_GE(hi, colX(2) - 4) << c.name;
    else EXPECT_LE(lo, colX(1) + 6) << c.name;
    if (c.right) EXPECT_GT(lo, colX(1) + 20) << c.name;
    else EXPECT_LT(hi, colX(2) - 20) << c.name;
  }
}

TEST_F(PaintTest, HiddenColumnLeavesNoTraceAndZoomHidesCells) {
  core().cellAt(0, 2)->flag = 1;
  view().refresh();
  grid->mSelection.range = Range{10, 5, 10, 5};
  Surface s = pixels();
  // Column C now starts where B would: its header shows C(3).
  core().setText(1, 3, u"C");
  s = pixels();
  const uint32_t odd = rgb(grid->mStyle.colors[COLOR_BAND_ODD]);
  const auto [lo, hi] = inkExtent(s, colX(2) + 1, colX(3) - 1, rowY(1) + 2, rowY(2) - 2, odd);
  EXPECT_LE(lo, colX(2) + 8);
  // At zoom 0.25 cells and grid lines are gone; headers stay.
  const double zooms[] = {0.25, 0.39999999999999991};
  for (double z : zooms) {
    view().setZoom(z);
    s = pixels();
    const int32_t rwz = view().rowHeaderWidth(), hh = view().headerStrip();
    const int gridX = rwz + static_cast<int>(74 * z + 0.5);
    const uint32_t probe = s.at(gridX, hh + 3);
    if (z < 0.3) EXPECT_TRUE(near(probe, rgb(grid->mStyle.colors[COLOR_CELL_AREA]))) << z;
    else EXPECT_FALSE(near(probe, rgb(grid->mStyle.colors[COLOR_CELL_AREA]), 2)) << z;
  }
}

TEST_F(PaintTest, PicturesOfChineseTextFrozenPanesAndZoom) {
  core().setText(1, 1, u"姓名");
  core().setText(1, 2, u"城市");
  core().setText(2, 1, u"张三");
  core().setText(2, 2, u"北京");
  core().setInt64(2, 3, 42);
  core().setText(3, 1, u"李四");
  core().setText(3, 2, u"上海");
  core().setDouble(3, 3, 3.75);
  picture("cells.png");
  for (double z : {0.55, 2.0}) {
    view().setZoom(z);
    if (view().mPanes.empty()) view().toggleFreeze(2, 2);
    grid->mSelection.range = Range{3, 2, 5, 4};
    view().scrollBy(30, 40);
    picture(z < 1 ? "frozen_zoom055.png" : "frozen_zoom200.png");
    const Surface s = testdriver::windowPixels(grid->mHwnd);
    EXPECT_TRUE(near(s.at(view().mSplitX, view().mSplitY + 30), rgb(grid->mStyle.colors[COLOR_SPLIT_LINE]))) << z;
  }
}

TEST_F(PaintTest, ScriptCellsAreColouredAndCutAtTheCellEdges) {
  sheet(10, 4);
  core().setText(2, 2, u"var x := 10;\nreturn [x];");
  core().cellAt(2, 2)->kind = CELL_EXPRTK;
  core().setText(2, 3, u"plain text here");
  grid->mSelection.range = Range{8, 3, 8, 3};
  const Surface s = pixels();
  const uint32_t even = rgb(grid->mStyle.colors[COLOR_BAND_EVEN]);
  const uint32_t text = rgb(grid->mStyle.colors[COLOR_CELL_TEXT]);
  auto inks = [&](int left, int right) {
    std::set<uint32_t> colours;
    for (int y = rowY(2) + 1; y < rowY(3); ++y)
      for (int x = left; x < right; ++x) {
        const uint32_t p = s.at(x, y);
        if (!near(p, even, 60)) colours.insert(p);
      }
    return colours;
  };
  // The script shows ink of a colour other than the plain cell text's.
  bool coloured = false;
  for (uint32_t c : inks(colX(2) + 1, colX(3))) coloured |= !near(c, text, 60);
  EXPECT_TRUE(coloured);
  // Nothing of the script reaches past its cell's right edge.
  EXPECT_TRUE(near(s.at(colX(3) + 1, rowY(2) + 3), even, 60));
}
