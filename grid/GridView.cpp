// Geometry of the grid view: sizes, panes, zoom, freezing, scrolling, hit testing.
#include "grid/GridView.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <string>

#include "platform/windows.h"

namespace {

constexpr int64_t kClientLimit = int64_t(1) << 28;  // client coordinates are clamped to ±this
constexpr int64_t kBarLimit = int64_t(1) << 30;     // largest scroll-bar range

int32_t clampClient(int64_t v) { return static_cast<int32_t>(std::clamp(v, -kClientLimit, kClientLimit)); }
int32_t pointX(int64_t point) { return static_cast<int32_t>(static_cast<uint32_t>(point)); }
int32_t pointY(int64_t point) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(point) >> 32));
}

}  // namespace

int64_t scrollBarScale(int64_t zoomedExtent) {
  if (zoomedExtent <= kBarLimit) return 1;
  return (zoomedExtent + kBarLimit - 1) / kBarLimit;
}

// ---------------------------------------------------------------- sizes

int32_t CGridView::colWidthOf(int32_t col) const {
  if (col == 0) return rowHeaderWidth();
  if (col < 0 || col >= colCount() || mCore->mRowCount == 0) return 0;
  const Cell* cell = mCore->cellAt(0, col);
  if (cell->flag != 0) return 0;
  const int64_t stored = mCore->getInt64(0, col);
  if (stored < 0) return 0;
  if (stored == 0) return mStyle->columnWidth;
  return static_cast<int32_t>(std::min<int64_t>(stored, INT32_MAX / 4));
}

int32_t CGridView::rowHeightOf(int32_t row) const {
  if (row == 0) return mStyle->headerHeight;
  if (row < 0 || row >= rowCount() || mCore->mColCount == 0) return 0;
  const Cell* cell = mCore->cellAt(row, 0);
  if (cell->flag != 0) return 0;
  const int64_t stored = mCore->getInt64(row, 0);
  if (stored < 0) return 0;
  if (stored == 0) return mStyle->rowHeight;
  return static_cast<int32_t>(std::min<int64_t>(stored, INT32_MAX / 4));
}

const Pane& CGridView::rowAnchorPane() const {
  if (mPanes.size() == 4) return mPanes[2];
  if (mPanes.size() == 2) return mPanes[1];
  return mMainPane;
}

// The widest of the default strip and the last visible row number's digits + 8.
int32_t CGridView::rowHeaderWidth() const {
  if (mPaintHeaderWidth > 0) return mPaintHeaderWidth;
  const int32_t minimum = static_cast<int32_t>(zoomed(mStyle->rowHeaderWidth));
  if (!mCanvas.mDc) return minimum;
  const Pane& p = rowAnchorPane();
  const int64_t top = p.rect.top + (p.hasColHeaders() ? headerStrip() : 0) - zoomed(p.scrollY - p.rowOffset);
  const int32_t rows = rowCount();
  int32_t last = rows - 1;
  int64_t sum = 0;
  for (int32_t r = std::max(p.firstRow, 0); r < rows; r = nextRow(r)) {
    sum += rowHeightOf(r);
    if (top + zoomed(sum) >= p.rect.bottom) {
      last = r;
      break;
    }
  }
  const std::string digits = std::to_string(last);
  auto& canvas = const_cast<CCanvas&>(mCanvas);
  int32_t width = 8;
  for (char d : digits) width += canvas.charWidth(static_cast<char16_t>(d));
  return std::max(minimum, width);
}

std::pair<int64_t, int64_t> CGridView::contentSize() const {
  int64_t width = 0;
  for (int32_t c = colCount() - 1; c >= 1; --c) width += colWidthOf(c);
  const int64_t height = mHiddenRuns.build(rowCount(), [this](int32_t r) { return rowHeightOf(r); });
  return {width, height};
}

const HiddenRowRuns& CGridView::hiddenRuns() const {
  if (!mHiddenRuns.validFor(rowCount())) contentSize();
  return mHiddenRuns;
}

std::pair<int64_t, int64_t> CGridView::colSpan(int32_t first, int32_t last) const {
  int64_t start = 0, end = 0;
  for (int32_t c = 1; c <= last; ++c) {
    const int64_t w = colWidthOf(c);
    if (c < first) start += w;
    end += w;
  }
  return {start, end};
}

std::pair<int64_t, int64_t> CGridView::rowSpan(int32_t first, int32_t last) const {
  const Pane& a = rowAnchorPane();
  int32_t r = a.firstRow;
  int64_t y = a.rowOffset;
  while (r > first) {
    r = std::max(prevRow(r), first);
    y -= rowHeightOf(r);
  }
  int64_t start = y, end = y;
  for (; r <= last; r = nextRow(r)) {
    const int64_t h = rowHeightOf(r);
    end += h;
    if (r < first) start += h;
  }
  return {start, end};
}

int64_t CGridView::colEndGap(int32_t first, int64_t into, int64_t visible) const {
  const int64_t need = into + visible - mStyle->scrollMargin;
  int64_t sum = 0;
  for (int32_t c = std::max(first, 0); c < colCount(); ++c) {
    if (sum >= need) return 0;
    sum += colWidthOf(c);
  }
  return sum >= need ? 0 : sum - need;
}

int64_t CGridView::rowEndGap(int32_t first, int64_t into, int64_t visible) const {
  const int64_t need = into + visible - mStyle->scrollMargin;
  int64_t sum = 0;
  for (int32_t r = std::max(first, 0); r < rowCount(); r = nextRow(r)) {
    if (sum >= need) return 0;
    sum += rowHeightOf(r);
  }
  return sum >= need ? 0 : sum - need;
}

// ---------------------------------------------------------------- places

CGridView::Box CGridView::cellRect(int32_t row, int32_t col) const {
  const auto [left, right] = colSpan(col, col);
  const auto [top, bottom] = rowSpan(row, row);
  return {left, top, right, bottom};
}

CGridView::Box CGridView::rangeRect(const Selection& selection) const {
  Range r = selection.range;
  if (r.top < 0 || r.left < 0) r = Range{1, 1, 1, 1};
  if (r.top == 0 && r.left == 0) return {0, 0, mMainPane.contentWidth, mMainPane.contentHeight};
  if (r.top == 0) {
    const auto [l, rr] = colSpan(r.left, r.right);
    return {l, 0, rr, mMainPane.contentHeight};
  }
  if (r.left == 0) {
    const auto [t, b] = rowSpan(r.top, r.bottom);
    return {0, t, mMainPane.contentWidth, b};
  }
  const auto [l, rr] = colSpan(r.left, r.right);
  const auto [t, b] = rowSpan(r.top, r.bottom);
  return {l, t, rr, b};
}

RECT CGridView::toClient(const Pane& pane, const Box& content) const {
  const int64_t x0 = pane.rect.left + (pane.hasRowHeaders() ? rowHeaderWidth() : 0);
  const int64_t y0 = pane.rect.top + (pane.hasColHeaders() ? headerStrip() : 0);
  RECT r;
  r.left = clampClient(x0 + zoomed(content.left - pane.scrollX));
  r.right = clampClient(x0 + zoomed(content.right - pane.scrollX));
  r.top = clampClient(y0 + zoomed(content.top - pane.scrollY));
  r.bottom = clampClient(y0 + zoomed(content.bottom - pane.scrollY));
  return r;
}

RECT CGridView::selectionRect(const Selection& selection) const {
  const Range r = selection.toRange(*mCore);
  const RECT a = toClient(paneOfCell(cellPos(r.top, r.left)), cellRect(r.top, r.left));
  const RECT b = toClient(paneOfCell(cellPos(r.bottom, r.right)), cellRect(r.bottom, r.right));
  return RECT{a.left, a.top, b.right, b.bottom};
}

PaneLayout CGridView::paneLayout(const Pane& pane) const {
  PaneLayout out;
  const int32_t rw = pane.hasRowHeaders() ? rowHeaderWidth() : 0;
  const int32_t ch = pane.hasColHeaders() ? headerStrip() : 0;
  out.firstRow = pane.firstRow;
  out.firstCol = pane.firstCol;
  out.lastRow = rowCount() - 1;
  out.lastCol = colCount() - 1;
  out.cells.left = pane.rect.left + rw;
  out.cells.top = pane.rect.top + ch;
  out.cells.right = clampClient(out.cells.left + zoomed(pane.contentWidth - pane.scrollX));
  out.cells.bottom = clampClient(out.cells.top + zoomed(pane.contentHeight - pane.scrollY));
  const int64_t rowSkip = zoomed(pane.scrollY - pane.rowOffset);
  int64_t sum = 0;
  for (int32_t r = std::max(pane.firstRow, 0); r < rowCount(); r = nextRow(r)) {
    sum += rowHeightOf(r);
    if (out.cells.top + zoomed(sum) - rowSkip >= pane.rect.bottom) {
      out.lastRow = r;
      out.cells.bottom = pane.rect.bottom;
      break;
    }
  }
  const int64_t colSkip = zoomed(pane.scrollX - pane.colOffset);
  sum = 0;
  for (int32_t c = std::max(pane.firstCol, 0); c < colCount(); ++c) {
    sum += colWidthOf(c);
    if (out.cells.left + zoomed(sum) - colSkip >= pane.rect.right) {
      out.lastCol = c;
      out.cells.right = pane.rect.right;
      break;
    }
  }
  if (pane.hasColHeaders() && pane.hasRowHeaders())
    out.corner = RECT{pane.rect.left, pane.rect.top, pane.rect.left + rw, pane.rect.top + ch};
  if (pane.hasColHeaders())
    out.colHeaders = RECT{out.cells.left, pane.rect.top, out.cells.right, pane.rect.top + ch};
  if (pane.hasRowHeaders())
    out.rowHeaders = RECT{pane.rect.left, out.cells.top, pane.rect.left + rw, out.cells.bottom};
  return out;
}

// ---------------------------------------------------------------- which pane

const Pane& CGridView::paneAt(int64_t point) const {
  const int32_t x = pointX(point), y = pointY(point);
  if (mPanes.size() == 4) {
    if (x > mSplitX && y > mSplitY) return mPanes[3];
    if (x > mSplitX) return mPanes[1];
    if (y > mSplitY) return mPanes[2];
    return mPanes[0];
  }
  if (mPanes.size() == 2) {
    if (mSplitX != 0) return x > mSplitX ? mPanes[1] : mPanes[0];
    return y > mSplitY ? mPanes[1] : mPanes[0];
  }
  return mMainPane;
}

Pane& CGridView::paneAt(int64_t point) {
  return const_cast<Pane&>(static_cast<const CGridView*>(this)->paneAt(point));
}

const Pane& CGridView::paneOfCell(uint64_t cell) const {
  const int32_t row = posRow(cell), col = posCol(cell);
  const int32_t fr = mMainPane.freezeRow, fc = mMainPane.freezeCol;
  if (mPanes.size() == 4) {
    if (row < fr) return col >= fc ? mPanes[1] : mPanes[0];
    return col >= fc ? mPanes[3] : mPanes[2];
  }
  if (mPanes.size() == 2) {
    if (mSplitX != 0) return col < fc ? mPanes[0] : mPanes[1];
    return row < fr ? mPanes[0] : mPanes[1];
  }
  return mMainPane;
}

Pane& CGridView::paneOfCell(uint64_t cell) {
  return const_cast<Pane&>(static_cast<const CGridView*>(this)->paneOfCell(cell));
}

// ---------------------------------------------------------------- under a point

int32_t CGridView::hitTest(DragInfo& out, int64_t point) {
  mStyle->cursor = IDC_ARROW;
  int32_t code = HIT_CELLS;
  const int32_t x = pointX(point), y = pointY(point);
  const RECT& m = mMainPane.rect;
  if (x < m.left || x > m.right || y < m.top || y > m.bottom) return code;
  const Pane& p = paneAt(point);
  const int32_t headerRight = p.rect.left + (p.hasRowHeaders() ? rowHeaderWidth() : 0);
  const int32_t headerBottom = p.rect.top + (p.hasColHeaders() ? headerStrip() : 0);
  const int32_t tol = mStyle->grabTolerance;
  if (p.hasRowHeaders() && x < headerRight && y > headerBottom) {
    const int64_t t = unzoom(y - headerBottom) + p.scrollY;
    int64_t edge = p.rowOffset;
    for (int32_t row = std::max(p.firstRow, 0); row < rowCount(); row = nextRow(row)) {
      edge += rowHeightOf(row);
      if (edge - tol <= t && t <= edge + tol) {
        out.size = rowHeightOf(row);
        out.index = row;
        code = HIT_ROW_BORDER;
        mStyle->cursor = IDC_SIZENS;
        break;
      }
      if (t < edge) break;
    }
  }
  if (p.hasColHeaders() && y < headerBottom) {
    if (x > headerRight) {
      const int64_t t = unzoom(x - headerRight) + p.scrollX;
      int64_t edge = p.colOffset;
      for (int32_t col = std::max(p.firstCol, 0); col < colCount(); ++col) {
        edge += colWidthOf(col);
        if (edge - tol <= t && t <= edge + tol) {
          out.size = colWidthOf(col);
          out.index = col;
          code = HIT_COL_BORDER;
          mStyle->cursor = IDC_SIZEWE;
          break;
        }
        if (t < edge) break;
      }
    }
    return code;
  }
  if (y < headerBottom || x < headerRight) return code;
  mStyle->cursor = IDC_CROSS;
  const auto [row, col] = cellAt(point, true);
  if (mCore->mFilter.mColumns.count(cellPos(row, col))) {
    const RECT r = toClient(p, cellRect(row, col));
    if (x >= r.right - 17 && y >= r.bottom - 17) {
      out = DragInfo{row, col, r.right, r.bottom};
      mStyle->cursor = IDC_ARROW;
      return HIT_FILTER_BUTTON;
    }
  }
  return code;
}

std::pair<int32_t, int32_t> CGridView::cellAt(int64_t point, bool overHeaders) const {
  const int32_t x = pointX(point), y = pointY(point);
  const Pane& p = paneAt(point);
  const int32_t rw = p.hasRowHeaders() ? rowHeaderWidth() : 0;
  const int32_t ch = p.hasColHeaders() ? headerStrip() : 0;
  int32_t row = 0, col = 0;
  if (overHeaders || !p.hasRowHeaders() || x > p.rect.left + rw) {
    const int64_t t = p.scrollX + unzoom(static_cast<int64_t>(x) - rw - p.rect.left);
    col = p.firstCol;
    int64_t edge = p.colOffset;
    if (t < edge) {
      while (col > 0) {
        --col;
        edge -= colWidthOf(col);
        if (edge <= t) break;
      }
    } else {
      edge += colWidthOf(col);
      while (edge < t && col < colCount()) {
        ++col;
        edge += colWidthOf(col);
      }
    }
    col = std::min(col, colCount() - 1);
    if (!overHeaders && p.hasColHeaders() && y <= p.rect.top + ch) return {0, col};
  } else if (p.hasColHeaders() && y <= p.rect.top + ch) {
    return {0, 0};
  }
  const int64_t t = p.scrollY + unzoom(static_cast<int64_t>(y) - ch - p.rect.top);
  row = p.firstRow;
  int64_t edge = p.rowOffset;
  if (t < edge) {
    while (row > 0) {
      row = std::max(prevRow(row), 0);
      edge -= rowHeightOf(row);
      if (edge <= t) break;
    }
  } else {
    edge += rowHeightOf(row);
    while (edge < t && row < rowCount()) {
      row = std::min(nextRow(row), rowCount());
      edge += rowHeightOf(row);
    }
  }
  row = std::min(row, rowCount() - 1);
  return {row, col};
}

// ---------------------------------------------------------------- scrolling

void CGridView::scrollPane(Pane& pane, int64_t dx, int64_t dy) {
  if (dx != 0 && (pane.scrollDirs & Pane::SCROLL_X)) {
    if (dx > 0) {
      const int64_t visible = unzoom(pane.rect.right - pane.rect.left + 1);
      const int64_t limit = mStyle->scrollMargin + pane.contentWidth;
      if (pane.scrollX + visible + dx > limit) dx = limit - pane.scrollX - visible;
      if (dx > 0) {
        pane.scrollX += dx;
        while (pane.firstCol < colCount() && pane.colOffset + colWidthOf(pane.firstCol) < pane.scrollX) {
          pane.colOffset += colWidthOf(pane.firstCol);
          ++pane.firstCol;
        }
      }
    } else if (pane.scrollX > pane.minScrollX) {
      dx = std::max(dx, pane.minScrollX - pane.scrollX);
      pane.scrollX += dx;
      while (pane.colOffset > pane.scrollX && pane.firstCol > 0) {
        --pane.firstCol;
        pane.colOffset -= colWidthOf(pane.firstCol);
        if (pane.colOffset < 0) {
          pane.colOffset = 0;
          break;
        }
      }
    }
  }
  if (dy != 0 && (pane.scrollDirs & Pane::SCROLL_Y)) {
    if (dy > 0) {
      const int64_t visible = unzoom(pane.rect.bottom - pane.rect.top + 1);
      const int64_t limit = mStyle->scrollMargin + pane.contentHeight;
      if (pane.scrollY + visible + dy > limit) dy = limit - pane.scrollY - visible;
      if (dy > 0) {
        pane.scrollY += dy;
        while (pane.firstRow < rowCount() && pane.rowOffset + rowHeightOf(pane.firstRow) < pane.scrollY) {
          pane.rowOffset += rowHeightOf(pane.firstRow);
          pane.firstRow = std::min(nextRow(pane.firstRow), rowCount());
        }
      }
    } else if (pane.scrollY > pane.minScrollY) {
      dy = std::max(dy, pane.minScrollY - pane.scrollY);
      pane.scrollY += dy;
      while (pane.rowOffset > pane.scrollY && pane.firstRow > 0) {
        pane.firstRow = std::max(prevRow(pane.firstRow), 0);
        pane.rowOffset -= rowHeightOf(pane.firstRow);
        if (pane.rowOffset < 0) {
          pane.rowOffset = 0;
          break;
        }
      }
    }
  }
}

void CGridView::scrollBy(int64_t dx, int64_t dy) {
  if (dx == 0 && dy == 0) return;
  if (mPanes.empty()) {
    scrollPane(mMainPane, dx, dy);
  } else {
    for (Pane& pane : mPanes) scrollPane(pane, dx, dy);
  }
  updateScrollPos();
}

void CGridView::scrollToCell(uint64_t cell) {
  const Pane& p = paneOfCell(cell);
  const Box b = cellRect(posRow(cell), posCol(cell));
  // In 64 bits: far cells lie beyond the int32 client range.
  const int64_t areaLeft = p.rect.left + (p.hasRowHeaders() ? rowHeaderWidth() : 0);
  const int64_t areaTop = p.rect.top + (p.hasColHeaders() ? headerStrip() : 0);
  const int64_t left = areaLeft + zoomed(b.left - p.scrollX), right = areaLeft + zoomed(b.right - p.scrollX);
  const int64_t top = areaTop + zoomed(b.top - p.scrollY), bottom = areaTop + zoomed(b.bottom - p.scrollY);
  int64_t dx = 0, dy = 0;
  if (left < areaLeft) dx = left - areaLeft;
  else if (right > p.rect.right) dx = right - p.rect.right;
  if (top < areaTop) dy = top - areaTop;
  else if (bottom > p.rect.bottom) dy = bottom - p.rect.bottom;
  // Content distance rounded away from zero, so that the edge lands inside the area.
  auto toContent = [this](int64_t d) {
    int64_t c = unzoom(d);
    if (static_cast<double>(c) * mZoom != static_cast<double>(d)) c += d > 0 ? 1 : (d < 0 ? -1 : 0);
    return c;
  };
  scrollBy(toContent(dx), toContent(dy));
  updateScrollRanges();
}

// ---------------------------------------------------------------- scroll bars

void CGridView::updateScrollRanges() {
  HWND hwnd = mCanvas.mOwner;
  if (!hwnd) return;
  const Pane& q = scrollingPane();
  const int64_t vMax = zoomed(mStyle->scrollMargin + q.contentHeight - q.minScrollY);
  const int64_t hMax = zoomed(mStyle->scrollMargin + q.contentWidth - q.minScrollX);
  mBarScaleY = scrollBarScale(vMax);
  mBarScaleX = scrollBarScale(hMax);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = static_cast<int>(vMax / mBarScaleY);
  si.nPage = static_cast<UINT>(std::max<int64_t>(
      0, (q.rect.bottom - q.rect.top - (q.hasColHeaders() ? headerStrip() : 0) + 1) / mBarScaleY));
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  si.nMax = static_cast<int>(hMax / mBarScaleX);
  si.nPage = static_cast<UINT>(std::max<int64_t>(
      0, (q.rect.right - q.rect.left - (q.hasRowHeaders() ? rowHeaderWidth() : 0) + 1) / mBarScaleX));
  SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

void CGridView::updateScrollPos() {
  HWND hwnd = mCanvas.mOwner;
  if (!hwnd) return;
  const Pane& q = scrollingPane();
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS;
  si.nPos = static_cast<int>(zoomed(q.scrollY - q.minScrollY) / mBarScaleY);
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  si.nPos = static_cast<int>(zoomed(q.scrollX - q.minScrollX) / mBarScaleX);
  SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

// ---------------------------------------------------------------- re-layout

void CGridView::layout(const RECT& client) {
  mCanvas.begin(client);
  mMainPane.rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
  relayoutEnd();
}

void CGridView::setZoom(double zoom) {
  mZoom = zoom;
  relayoutEnd();
}

void CGridView::refresh() {
  Pane& m = mMainPane;
  std::tie(m.contentWidth, m.contentHeight) = contentSize();
  if (colCount() <= 1) {
    m.firstCol = 1;
    m.colOffset = m.scrollX = 0;
  } else if (m.firstCol >= colCount()) {
    m.firstCol = colCount() - 1;
    m.colOffset = m.scrollX = m.contentWidth - colWidthOf(colCount() - 1);
  }
  if (rowCount() <= 1) {
    m.firstRow = 1;
    m.rowOffset = m.scrollY = 0;
  } else if (m.firstRow >= rowCount()) {
    m.firstRow = rowCount() - 1;
    m.rowOffset = m.scrollY = m.contentHeight - rowHeightOf(rowCount() - 1);
  }
  // Frozen panes carry their own content size.
  for (Pane& p : mPanes) {
    p.contentWidth = m.contentWidth;
    p.contentHeight = m.contentHeight;
  }
  relayoutEnd();
}

// Pulls the view back until at most scrollMargin of empty space shows, rebuilds frozen
// panes, and updates the scroll bars.
void CGridView::relayoutEnd() {
  if (mCanvas.mDc)
    mCanvas.setFont(static_cast<int32_t>(zoomed(mStyle->headerFont.lfHeight)), mStyle->headerFont.lfFaceName);
  Pane& m = mMainPane;
  const int64_t dx = colEndGap(m.firstCol, m.scrollX - m.colOffset, unzoom(m.rect.right - m.rect.left + 1));
  const int64_t dy = rowEndGap(m.firstRow, m.scrollY - m.rowOffset, unzoom(m.rect.bottom - m.rect.top + 1));
  scrollPane(m, dx, dy);
  if (!mPanes.empty()) rebuildPanes();
  updateScrollRanges();
  updateScrollPos();
}

void CGridView::reset() {
  Pane& m = mMainPane;
  m.headers = Pane::COL_HEADERS | Pane::ROW_HEADERS;
  m.scrollDirs = Pane::SCROLL_X | Pane::SCROLL_Y;
  m.scrollX = m.scrollY = 0;
  m.colOffset = m.rowOffset = 0;
  mSplitX = mSplitY = 0;
  m.firstRow = m.firstCol = 1;
  std::tie(m.contentWidth, m.contentHeight) = contentSize();
  mSelection->anchorRow = mSelection->anchorCol = 1;
  mSelection->range = Range{1, 1, 1, 1};
  initCSyntaxColors(mCColors);
  initExprtkSyntaxColors(mExprtkColors);
  initPySyntaxColors(mPyColors);
}

void CGridView::clearPanes() {
  mHiddenRuns.invalidate();
  mPanes.clear();
  mSplitX = mSplitY = 0;
  Pane& m = mMainPane;
  m.contentWidth = m.contentHeight = 0;
  m.scrollX = m.scrollY = m.minScrollX = m.minScrollY = 0;
  m.colOffset = m.rowOffset = 0;
  m.firstRow = m.firstCol = 0;
  m.freezeRow = m.freezeCol = 0;
  mZoom = 1.0;
}

// ---------------------------------------------------------------- freezing

void CGridView::toggleFreeze(int32_t row, int32_t col) {
  if (!mPanes.empty()) {
    mPanes.clear();
    mSplitX = mSplitY = 0;
  } else {
    const int32_t r = std::max(row, 2), c = std::max(col, 2);
    scrollToCell(cellPos(r - 1, c - 1));
    if ((row != 0 && col != 0) || (row == 0 && col == 0)) buildPanes(r, c);
    else if (row != 0) buildPanes(r, 0);
    else buildPanes(0, c);
  }
  updateScrollRanges();
  updateScrollPos();
}

// Splits the main pane at freeze position (fr, fc); 0 leaves that direction unfrozen.
void CGridView::buildPanes(int32_t fr, int32_t fc) {
  Pane& m = mMainPane;
  m.freezeRow = fr;
  m.freezeCol = fc;
  const Box box = cellRect(fr, fc);
  const RECT at = toClient(m, box);
  mSplitX = fc ? at.left : 0;
  mSplitY = fr ? at.top : 0;
  const int64_t R = box.top, C = box.left;
  mPanes.clear();
  auto add = [&](int32_t headers, int32_t dirs) -> Pane& {
    mPanes.push_back(m);
    mPanes.back().headers = headers;
    mPanes.back().scrollDirs = dirs;
    return mPanes.back();
  };
  if (fr && fc) {
    Pane& tl = add(3, 0);
    tl.rect.right = mSplitX, tl.rect.bottom = mSplitY;
    tl.minScrollX = m.colOffset, tl.minScrollY = m.rowOffset;
    Pane& tr = add(1, 1);
    tr.rect.left = mSplitX, tr.rect.bottom = mSplitY;
    tr.minScrollX = tr.scrollX = tr.colOffset = C, tr.firstCol = fc, tr.minScrollY = m.rowOffset;
    Pane& bl = add(2, 2);
    bl.rect.top = mSplitY, bl.rect.right = mSplitX;
    bl.minScrollY = bl.scrollY = bl.rowOffset = R, bl.firstRow = fr, bl.minScrollX = m.colOffset;
    Pane& br = add(0, 3);
    br.rect.left = mSplitX, br.rect.top = mSplitY;
    br.minScrollX = br.scrollX = br.colOffset = C;
    br.minScrollY = br.scrollY = br.rowOffset = R;
    br.firstRow = fr, br.firstCol = fc;
  } else if (fr) {
    Pane& top = add(3, 1);
    top.rect.bottom = mSplitY;
    top.minScrollY = m.rowOffset;
    Pane& bottom = add(2, 3);
    bottom.rect.top = mSplitY;
    bottom.minScrollY = bottom.scrollY = bottom.rowOffset = R, bottom.firstRow = fr;
  } else {
    Pane& left = add(3, 2);
    left.rect.right = mSplitX;
    left.minScrollX = m.colOffset;
    Pane& right = add(1, 3);
    right.rect.left = mSplitX;
    right.minScrollX = right.scrollX = right.colOffset = C, right.firstCol = fc;
  }
}

void CGridView::rebuildPanes() {
  const Pane& last = mPanes.back();
  const int64_t keepX = last.scrollX - last.minScrollX, keepY = last.scrollY - last.minScrollY;
  const int32_t fr = mMainPane.freezeRow, fc = mMainPane.freezeCol;
  mPanes.clear();
  mSplitX = mSplitY = 0;
  scrollToCell(cellPos(fr, fc));
  buildPanes(fr, fc);
  scrollBy(keepX, keepY);
}

// ---------------------------------------------------------------- keys

bool CGridView::ctrlDown() const { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }

void CGridView::selectCell(int32_t row, int32_t col) {
  mSelection->anchorRow = row;
  mSelection->anchorCol = col;
  mSelection->range = Range{row, col, row, col};
  scrollToCell(cellPos(row, col));
}

bool CGridView::keyEnd() {
  const Range& r = mSelection->range;
  if (ctrlDown()) {
    const int32_t row = rowCount() - 1, col = colCount() - 1;
    if (r == Range{row, col, row, col}) return false;
    selectCell(row, col);
    return true;
  }
  if (r.left >= colCount() - 1) return false;
  selectCell(std::max(r.top, 1), colCount() - 1);
  return true;
}

bool CGridView::keyHome() {
  const Range& r = mSelection->range;
  if (ctrlDown()) {
    if (r == Range{1, 1, 1, 1}) return false;
    selectCell(1, 1);
    return true;
  }
  if (r.left < 2) return false;
  selectCell(std::max(r.top, 1), 1);
  return true;
}

bool CGridView::keyLeft() {
  const Range& r = mSelection->range;
  if (r.left < 2) return false;
  selectCell(std::max(r.top, 1), r.left - 1);
  return true;
}

bool CGridView::keyUp() {
  const Range& r = mSelection->range;
  if (r.top < 2) return false;
  selectCell(r.top - 1, std::max(r.left, 1));
  return true;
}
