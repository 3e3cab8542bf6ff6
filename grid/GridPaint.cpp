// Painting of the grid view: every pane into the canvas, the split lines, one blit.
#include <cmath>
#include <string>

#include "controls/VantrelCRender.h"
#include "controls/VantrelExprtkRender.h"
#include "controls/VantrelPyRender.h"
#include "grid/GridView.h"
#include "store/ColumnName.h"

namespace {

std::u16string decimal(int64_t v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

// Header state: 0 ordinary, 1 its whole column (row) is selected, 2 it meets the selection.
int columnState(const Range& s, int32_t c) {
  if ((s.top == 0 && s.left == 0) || (s.top == 0 && c >= s.left && c <= s.right)) return 1;
  if (s.top != 0 && (s.left == 0 || (c >= s.left && c <= s.right))) return 2;
  return 0;
}

int rowState(const Range& s, int32_t r) {
  if ((s.top == 0 && s.left == 0) || (s.left == 0 && r >= s.top && r <= s.bottom)) return 1;
  if (s.left != 0 && (s.top == 0 || (r >= s.top && r <= s.bottom))) return 2;
  return 0;
}

}  // namespace

// Inclusive fill with the current brush and no outline.
static void fillBox(CCanvas& canvas, int32_t l, int32_t t, int32_t r, int32_t b) {
  if (r < l || b < t) return;
  HGDIOBJ pen = SelectObject(canvas.mDc, GetStockObject(NULL_PEN));
  Rectangle(canvas.mDc, l, t, r + 2, b + 2);
  SelectObject(canvas.mDc, pen);
}

// Cells and grid lines vanish below 40 % (rounded, so that 0.39999999999999991 shows them).
static bool showsCells(double zoom) { return std::lround(zoom * 100) >= 40; }

// The visible start of a left-aligned text in a box: at most `lines` lines of at most
// `chars` code units each (every glyph is at least a pixel wide), so that a cell holding
// megabytes costs what it shows.
static std::u16string visiblePart(const std::u16string& text, int32_t lines, int32_t chars) {
  if (text.size() <= static_cast<size_t>(chars)) return text;
  std::u16string out;
  size_t start = 0;
  for (int32_t line = 0; line < lines && start < text.size(); ++line) {
    size_t end = text.find(u'\n', start);
    const bool last = end == std::u16string::npos;
    if (last) end = text.size();
    out.append(text, start, std::min<size_t>(end - start, static_cast<size_t>(chars)));
    if (last) break;
    out.push_back(u'\n');
    start = end + 1;
  }
  return out;
}

void CGridView::paint(HDC hdc, const RECT& invalid) {
  if (!mCanvas.mDc) return;
  mPaintHeaderWidth = 0;
  mPaintHeaderWidth = rowHeaderWidth();
  struct EndPaint {
    int32_t& width;
    ~EndPaint() { width = 0; }
  } endPaint{mPaintHeaderWidth};
  if (mPanes.empty()) {
    paintPane(mMainPane);
  } else {
    for (const Pane& p : mPanes) paintPane(p);
    mCanvas.setPen(mStyle->colors[COLOR_SPLIT_LINE], 1);
    if (mSplitX != 0) mCanvas.drawLine(mSplitX, 0, mSplitX, mMainPane.rect.bottom);
    if (mSplitY != 0) mCanvas.drawLine(0, mSplitY, mMainPane.rect.right, mSplitY);
  }
  RECT area = invalid;
  if (area.left == area.right || area.top == area.bottom) return;
  mCanvas.copyTo(hdc, area);
}

void CGridView::paintPane(const Pane& pane) {
  mCanvas.setBrush(mStyle->colors[COLOR_CELL_AREA]);
  fillBox(mCanvas, pane.rect.left, pane.rect.top, pane.rect.right, pane.rect.bottom);
  PaneLayout layout = paneLayout(pane);
  paintCorner(pane, layout);
  paintColumnHeaders(pane, layout);
  paintRowHeaders(pane, layout);
  paintCells(pane, layout);
  paintGridLines(pane, layout);

  const Range& s = mSelection->range;
  const bool whole = s.top == 0 || s.left == 0;
  const bool meets = s.top <= layout.lastRow && s.left <= layout.lastCol && s.bottom >= layout.firstRow &&
                     s.right >= layout.firstCol;
  if (!whole && !meets) return;
  RECT r = toClient(pane, rangeRect(*mSelection));
  mCanvas.pushClip(layout.cells);
  RECT fill = r;
  mCanvas.fillAlpha(fill, mStyle->selectionFill, static_cast<uint8_t>(mStyle->selectionAlpha));
  // A 3-pixel frame with a 5 x 5 handle at the lower-right corner (exclusive rectangles).
  const RECT frame[5] = {
      {r.left - 1, r.top - 1, r.right + 2, r.top + 2},        {r.left - 1, r.bottom - 1, r.right - 3, r.bottom + 2},
      {r.left - 1, r.top + 2, r.left + 2, r.bottom - 1},      {r.right - 1, r.top + 2, r.right + 2, r.bottom - 3},
      {r.right - 2, r.bottom - 2, r.right + 3, r.bottom + 3},
  };
  for (const RECT& f : frame) InvertRect(mCanvas.mDc, &f);
  mCanvas.popClip();
}

void CGridView::paintCorner(const Pane& pane, PaneLayout& layout) {
  if (pane.headers != (Pane::COL_HEADERS | Pane::ROW_HEADERS)) return;
  const Range& s = mSelection->range;
  const bool all = s.top == 0 && s.left == 0;
  const auto& k = mStyle->colors;
  const COLORREF fillC = k[all ? 10 : 6], mark = k[all ? 11 : 7], light = k[all ? 8 : 4], dark = k[all ? 9 : 5],
                 border = k[all ? 2 : 1];
  RECT c = layout.corner;
  mCanvas.pushClip(c);
  c.right -= 1;
  c.bottom -= 1;
  mCanvas.setBrush(fillC);
  fillBox(mCanvas, c.left, c.top, c.right, c.bottom);
  const int32_t e = static_cast<int32_t>((c.bottom - c.top) * 0.25 + 0.5);
  const POINT triangle[4] = {{c.right - e, e}, {c.right - e, 3 * e}, {c.right - 3 * e, 3 * e}, {c.right - e, e}};
  mCanvas.setBrush(mark);
  HGDIOBJ pen = SelectObject(mCanvas.mDc, GetStockObject(NULL_PEN));
  Polygon(mCanvas.mDc, triangle, 4);
  SelectObject(mCanvas.mDc, pen);
  const int32_t g = static_cast<int32_t>((c.bottom - c.top) / 20.0 + 0.5);
  mCanvas.setBrush(light);
  fillBox(mCanvas, c.left, c.top, c.right, c.top + g - 1);
  fillBox(mCanvas, c.left, c.top, c.left + g - 1, c.bottom);
  mCanvas.setBrush(dark);
  fillBox(mCanvas, c.right - g + 1, c.top, c.right, c.bottom);
  fillBox(mCanvas, c.left, c.bottom - g + 1, c.right, c.bottom);
  mCanvas.setPen(border, 1);
  mCanvas.drawLine(c.left, c.bottom + 1, c.right + 1, c.bottom + 1);
  mCanvas.drawLine(c.right + 1, c.top, c.right + 1, c.bottom + 1);
  mCanvas.popClip();
}

void CGridView::paintColumnHeaders(const Pane& pane, PaneLayout& layout) {
  const RECT h = layout.colHeaders;
  if (!pane.hasColHeaders() || h.right <= h.left || h.bottom <= h.top) return;
  const auto& k = mStyle->colors;
  const Range& s = mSelection->range;
  mCanvas.pushClip(RECT{h.left + 1, h.top, h.right, h.bottom});
  mCanvas.setTextColor(k[COLOR_HEADER_TEXT]);
  mCanvas.setFont(static_cast<int32_t>(zoomed(mStyle->headerFont.lfHeight)), mStyle->headerFont.lfFaceName);
  mCanvas.fillGradient(RECT{h.left, h.top, h.right, h.bottom - 1}, k[12], k[13]);
  mCanvas.setPen(k[1], 1);
  mCanvas.drawLine(h.left, h.bottom, h.right, h.bottom);
  const int64_t x0 = h.left - zoomed(pane.scrollX - pane.colOffset);
  struct Span {
    int32_t col, left, right;
  };
  std::vector<Span> spans;
  int64_t sum = 0;
  for (int32_t c = layout.firstCol; c <= layout.lastCol; ++c) {
    const int32_t w = colWidthOf(c);
    if (w <= 0) continue;
    const int32_t left = static_cast<int32_t>(x0 + zoomed(sum) + 1);
    sum += w;
    const int32_t right = static_cast<int32_t>(x0 + zoomed(sum));
    const int state = columnState(s, c);
    if (state) {
      mCanvas.fillGradient(RECT{left, h.top, right, h.bottom - 1}, k[12 + 2 * state], k[13 + 2 * state]);
      mCanvas.setPen(k[1 + state], 1);
      mCanvas.drawLine(left, h.bottom, right, h.bottom);
    } else {
      mCanvas.setPen(k[1], 1);
    }
    mCanvas.drawLine(right, h.top, right, h.bottom);
    spans.push_back({c, left, right});
  }
  mCanvas.popClip();
  mCanvas.pushClip(h);
  for (const Span& sp : spans) {
    std::u16string title = sp.col == 0 ? std::u16string() : colName(sp.col - 1) + u"(" + decimal(sp.col) + u")";
    RECT r{sp.left, h.top, sp.right + 1, h.bottom + 1};
    DrawTextW(mCanvas.mDc, title.c_str(), static_cast<int>(title.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  mCanvas.popClip();
}

void CGridView::paintRowHeaders(const Pane& pane, PaneLayout& layout) {
  const RECT h = layout.rowHeaders;
  if (!pane.hasRowHeaders() || h.top >= h.bottom) return;
  const auto& k = mStyle->colors;
  const Range& s = mSelection->range;
  mCanvas.setTextColor(k[COLOR_HEADER_TEXT]);
  mCanvas.setFont(static_cast<int32_t>(zoomed(mStyle->headerFont.lfHeight)), mStyle->headerFont.lfFaceName);
  mCanvas.pushClip(RECT{h.left, h.top + 1, h.right, h.bottom});
  mCanvas.setBrush(k[COLOR_ROWHEAD]);
  fillBox(mCanvas, h.left, h.top, h.right - 1, h.bottom);
  mCanvas.setPen(k[1], 1);
  mCanvas.drawLine(h.right, h.top, h.right, h.bottom);
  const int64_t y0 = h.top - zoomed(pane.scrollY - pane.rowOffset) - 1;
  int64_t sum = 0;
  for (int32_t r = layout.firstRow; r <= layout.lastRow; r = nextRow(r)) {
    const int32_t ht = rowHeightOf(r);
    if (ht <= 0) continue;
    const int32_t top = static_cast<int32_t>(y0 + zoomed(sum) + 1);
    sum += ht;
    const int32_t bottom = static_cast<int32_t>(y0 + zoomed(sum));
    const int state = rowState(s, r);
    if (state) {
      mCanvas.setBrush(k[COLOR_ROWHEAD + state]);
      fillBox(mCanvas, h.left, top, h.right - 1, bottom);
      mCanvas.setPen(k[1 + state], 1);
      mCanvas.drawLine(h.left, bottom, h.right, bottom);
      mCanvas.drawLine(h.right, top, h.right, bottom);
    } else {
      mCanvas.setPen(k[1], 1);
      mCanvas.drawLine(h.left, bottom, h.right, bottom);
    }
    const std::u16string number = decimal(r);
    RECT cell{h.left, top, h.right, bottom + 1};
    DrawTextW(mCanvas.mDc, number.c_str(), static_cast<int>(number.size()), &cell,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  mCanvas.popClip();
}

void CGridView::paintCells(const Pane& pane, PaneLayout& layout) {
  if (!showsCells(mZoom)) return;
  const auto& k = mStyle->colors;
  const RECT& cells = layout.cells;
  mCanvas.setTextColor(k[COLOR_CELL_TEXT]);
  mCanvas.setFont(static_cast<int32_t>(zoomed(mStyle->cellFont.lfHeight)), mStyle->headerFont.lfFaceName);
  mCanvas.setPen(k[COLOR_GRID_LINE], 1);
  mCanvas.pushClip(RECT{cells.left + 1, cells.top + 1, cells.right + 1, cells.bottom + 1});
  const int64_t x0 = cells.left - zoomed(pane.scrollX - pane.colOffset);
  const int64_t y0 = cells.top - zoomed(pane.scrollY - pane.rowOffset);
  const int32_t pad = static_cast<int32_t>(zoomed(2));
  const bool banded = mCore->mAttrs[ATTR_BANDED_ROWS].value == 0;
  // Column spans are the same on every row.
  struct Span {
    int32_t col, left, right;
  };
  std::vector<Span> spans;
  int64_t sum = 0;
  for (int32_t c = layout.firstCol; c <= layout.lastCol; ++c) {
    const int32_t w = colWidthOf(c);
    if (w <= 0) continue;
    const int32_t left = static_cast<int32_t>(x0 + zoomed(sum) + 1 + pad);
    sum += w;
    spans.push_back({c, left, static_cast<int32_t>(x0 + zoomed(sum))});
  }
  sum = 0;
  for (int32_t r = layout.firstRow; r <= layout.lastRow; r = nextRow(r)) {
    const int32_t ht = rowHeightOf(r);
    if (ht <= 0) continue;
    const int32_t t = static_cast<int32_t>(y0 + zoomed(sum) + 1);
    sum += ht;
    const int32_t b = static_cast<int32_t>(y0 + zoomed(sum));
    if (banded) {
      mCanvas.setBrush(k[(r & 1) ? COLOR_BAND_ODD : COLOR_BAND_EVEN]);
      fillBox(mCanvas, static_cast<int32_t>(x0), t, cells.right, b);
    }
    for (const Span& sp : spans) {
      const int32_t c = sp.col;
      const Cell* cell = mCore->cellAt(r, c);
      const bool filterButton = mCore->mFilter.mColumns.count(cellPos(r, c)) != 0;
      if (cell->kind == CELL_TEXT && cell->value == 0 && !filterButton) continue;
      const RECT box{sp.left, t + 1, sp.right, b};
      mCanvas.pushClip(box);
      switch (cell->kind) {
        case CELL_INT64:
        case CELL_DOUBLE: mCanvas.drawTextInRect(box, mCore->getText(r, c), 2); break;
        case CELL_FORMULA: {
          bool computed = false;
          const std::u16string text = mCore->formulaText(r, c, computed);
          mCanvas.drawTextInRect(box, text, computed ? 2 : 0);
          break;
        }
        case CELL_EXPRTK:
        case CELL_TCC:
        case CELL_PYTHON: {
          const std::u16string text = mCore->getText(r, c);
          auto render = [&](VantrelScriptRender& renderer, SyntaxColors& colors) {
            renderer.mCanvas = &mCanvas;
            renderer.mColors = &colors;
            renderer.mView = box;
            renderer.mScrollX = renderer.mScrollY = 0;
            renderer.paint(text);
          };
          if (cell->kind == CELL_EXPRTK) {
            VantrelExprtkRender renderer;
            render(renderer, mExprtkColors);
          } else if (cell->kind == CELL_TCC) {
            VantrelCRender renderer;
            render(renderer, mCColors);
          } else {
            VantrelPyRender renderer;
            render(renderer, mPyColors);
          }
          mCanvas.setTextColor(k[COLOR_CELL_TEXT]);
          break;
        }
        default:
          if (cell->value != 0 || cell->kind != CELL_TEXT) {
            const int32_t lines = (box.bottom - box.top + 1) / std::max(1, mCanvas.mLineHeight) + 2;
            mCanvas.drawTextInRect(box, visiblePart(mCore->getText(r, c), lines, box.right - box.left + 2), 0);
          }
          break;
      }
      if (filterButton) {
        const auto& column = mCore->mFilter.mColumns.at(cellPos(r, c));
        int icon = column.rows.empty() ? 0 : 2;
        if (mDragState && mDrag && *mDragState == HIT_FILTER_BUTTON && mDrag->size == r && mDrag->index == c)
          icon += 1;
        DrawIconEx(mCanvas.mDc, sp.right - 18, b - 18, mStyle->icons[icon], 17, 17, 0, nullptr, DI_NORMAL);
      }
      mCanvas.popClip();
    }
  }
  mCanvas.popClip();
}

void CGridView::paintGridLines(const Pane& pane, PaneLayout& layout) {
  if (!showsCells(mZoom)) return;
  const RECT& cells = layout.cells;
  mCanvas.setPen(mStyle->colors[COLOR_GRID_LINE], 1);
  mCanvas.pushClip(RECT{cells.left + 1, cells.top + 1, cells.right + 1, cells.bottom + 1});
  const int64_t x0 = cells.left - zoomed(pane.scrollX - pane.colOffset);
  const int64_t y0 = cells.top - zoomed(pane.scrollY - pane.rowOffset);
  int64_t sum = 0;
  for (int32_t r = layout.firstRow; r <= layout.lastRow; r = nextRow(r)) {
    const int32_t ht = rowHeightOf(r);
    if (ht <= 0) continue;
    sum += ht;
    const int32_t y = static_cast<int32_t>(y0 + zoomed(sum));
    mCanvas.drawLine(cells.left, y, cells.right, y);
  }
  sum = 0;
  for (int32_t c = layout.firstCol; c <= layout.lastCol; ++c) {
    const int32_t w = colWidthOf(c);
    if (w <= 0) continue;
    sum += w;
    const int32_t x = static_cast<int32_t>(x0 + zoomed(sum));
    mCanvas.drawLine(x, cells.top, x, cells.bottom);
  }
  mCanvas.popClip();
}
