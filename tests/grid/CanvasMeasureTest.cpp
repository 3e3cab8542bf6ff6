// Auto-fit of column widths and row heights through the operations block, measured on a
// canvas: widths are the real advances of the cell font's glyphs.
#include "commands/GridOps.h"
#include "grid/CanvasMeasure.h"
#include "tests/controls/CanvasFixture.h"
#include "tests/support/GridOpsFixture.h"

namespace {

class CanvasMeasureTest : public CanvasTest, public testsupport::GridOpsFixture {
 protected:
  CanvasMeasureTest() { core.resize(4, 3); }

  // Width of `text` as GDI measures it in the cell font (the canvas's own DC).
  int32_t gdiWidth(const std::u16string& text) {
    canvas.setFont(12, u"宋体");
    SIZE size{};
    GetTextExtentPoint32W(canvas.mDc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
};

TEST_F(CanvasMeasureTest, ColumnWidthsComeFromTheGlyphs) {
  core.setTextTyped(1, 1, u"销售数据");
  core.setTextTyped(2, 1, u"iiii");
  core.setTextTyped(1, 2, u"WWWW\nmm");
  core.setTextTyped(3, 2, u"a\tb");
  CanvasMeasure measure(canvas);
  ops.autoFitColumns(CellFont{}, measure, 1, 2);

  const int32_t chinese = gdiWidth(u"销售数据"), wide = gdiWidth(u"WWWW");
  const int32_t tabbed = gdiWidth(u"a") + 4 * gdiWidth(u" ") + gdiWidth(u"b");
  EXPECT_EQ(core.getInt64(0, 1), std::max(chinese, gdiWidth(u"iiii")) + 5);
  EXPECT_EQ(core.getInt64(0, 2), std::max(wide, tabbed) + 5);
  EXPECT_GT(chinese, gdiWidth(u"iiii")) << "a proportional cell font, not fixed advances";
  EXPECT_EQ(chinese, 4 * gdiWidth(u"销")) << "Song glyphs advance one em";
}

TEST_F(CanvasMeasureTest, RowHeightsComeFromTheLineHeight) {
  core.setTextTyped(1, 1, u"one\ntwo\nthree");
  core.setTextTyped(2, 2, u"单行");
  CanvasMeasure measure(canvas);
  ops.autoFitRows(CellFont{}, measure, 1, 2);
  canvas.setFont(12, u"宋体");
  SIZE space{};
  GetTextExtentPoint32W(canvas.mDc, u" ", 1, &space);
  const int32_t line = space.cy + 3;
  EXPECT_EQ(canvas.lineHeight(), line);
  EXPECT_EQ(core.getInt64(1, 0), 3 * line + 3);
  EXPECT_EQ(core.getInt64(2, 0), line + 3);
}

TEST_F(CanvasMeasureTest, TheCellFontIsSelectedOnTheCanvas) {
  CanvasMeasure measure(canvas);
  measure.setFont(24, u"宋体");
  const int32_t big = measure.charWidth(u'宋');
  measure.setFont(12, u"宋体");
  EXPECT_EQ(measure.charWidth(u'宋'), big / 2);
  EXPECT_EQ(measure.charWidth(u'\t'), 4 * measure.charWidth(u' '));
}

}  // namespace
