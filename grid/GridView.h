// CGridView: the painting and geometry of one document's grid. It knows where every row,
// column and header lies, which pane shows which part of the sheet, the zoom, scrolling
// and the scroll bars, frozen panes, what lies under a point, four keyboard moves, and
// paints the panes into its canvas.
//
// Coordinates: content coordinates are unzoomed 64-bit pixels with (0, 0) at the top-left
// corner of cell (1, 1); client coordinates are zoomed pixels of the grid window.
// Rectangles are inclusive. Z(v) = v * zoom + 0.5 truncated. A row's position is found by
// walking from the row anchor pane's first visible row, never by summing from row 1; only
// contentSize visits every row. Walks step with nextRow / prevRow, which pass over long runs
// of hidden rows at once (the runs are rebuilt by contentSize, so by every refresh, and
// whenever the row count changed). Columns are summed from column 1.
//
// Invariants: mPanes is empty (not frozen) or holds 2 or 4 panes in the fixed order
// (four: top-left, top-right, bottom-left, bottom-right; two: top/left, bottom/right);
// the last pane (or the main pane) is the scrolling pane. UI thread only.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "controls/Canvas.h"
#include "controls/SyntaxColors.h"
#include "grid/GridStyle.h"
#include "grid/HiddenRowRuns.h"
#include "grid/Pane.h"
#include "store/DataCore.h"
#include "store/Range.h"

class CGridView {
 public:
  int32_t mSplitX = 0, mSplitY = 0;  // client x / y of the split lines; 0 when not frozen that way
  std::vector<Pane> mPanes;
  Pane mMainPane;
  CCanvas mCanvas;  // its owner window is the grid window
  Selection* mSelection = nullptr;
  CDataCore* mCore = nullptr;
  GridStyle* mStyle = nullptr;
  uint64_t mLastCell = 0;  // cell last reached while the mouse extends the selection
  double mZoom = 1.0;
  SyntaxColors mCColors, mExprtkColors, mPyColors;
  // Scroll-bar units: a bar position is zoomed pixels / scale, so that ranges of sheets
  // taller than 2^31 zoomed pixels still fit the bar's int. 1 for every ordinary sheet.
  int64_t mBarScaleX = 1, mBarScaleY = 1;
  // What the painter needs of the document: its drag state and press (filter button).
  const int32_t* mDragState = nullptr;
  const DragInfo* mDrag = nullptr;
  // The row-header width while a paint runs (nothing changes the view meanwhile); 0 outside.
  int32_t mPaintHeaderWidth = 0;

  // ---- re-layout ----
  void reset();                     // defaults for a whole new sheet
  void layout(const RECT& client);  // WM_SIZE
  void setZoom(double zoom);
  void refresh();  // the sheet changed (the command manager's notifier)
  void toggleFreeze(int32_t row, int32_t col);
  // Drops frozen panes, split, zoom (1.0) and the main pane's scroll state (file commands).
  void clearPanes();

  // ---- scrolling (content pixels) ----
  void scrollBy(int64_t dx, int64_t dy);
  void scrollToCell(uint64_t cell);
  void updateScrollRanges();
  void updateScrollPos();
  void updateScrollBars() {
    updateScrollRanges();
    updateScrollPos();
  }

  // ---- sizes ----
  int32_t colWidthOf(int32_t col) const;
  int32_t rowHeightOf(int32_t row) const;
  int32_t rowHeaderWidth() const;
  std::pair<int64_t, int64_t> contentSize() const;
  std::pair<int64_t, int64_t> colSpan(int32_t first, int32_t last) const;
  std::pair<int64_t, int64_t> rowSpan(int32_t first, int32_t last) const;
  int64_t colEndGap(int32_t first, int64_t into, int64_t visible) const;
  int64_t rowEndGap(int32_t first, int64_t into, int64_t visible) const;
  // Steps of a walk over rows: r + 1 / r - 1, or past a long run of hidden rows beside r.
  // Every row stepped over has no height.
  int32_t nextRow(int32_t r) const { return hiddenRuns().next(r); }
  int32_t prevRow(int32_t r) const { return hiddenRuns().prev(r); }

  // ---- places (content rectangles are 64-bit: left, top, right, bottom) ----
  struct Box {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
  };
  Box cellRect(int32_t row, int32_t col) const;
  Box rangeRect(const Selection& selection) const;
  // Client rectangle of a content box in a pane, clamped to the int32 range.
  RECT toClient(const Pane& pane, const Box& content) const;
  RECT selectionRect(const Selection& selection) const;
  PaneLayout paneLayout(const Pane& pane) const;

  // ---- which pane, what is under a point (point: x low, y high 32 bits, client) ----
  const Pane& paneAt(int64_t point) const;
  Pane& paneAt(int64_t point);
  const Pane& paneOfCell(uint64_t cell) const;
  Pane& paneOfCell(uint64_t cell);
  const Pane& scrollingPane() const { return mPanes.empty() ? mMainPane : mPanes.back(); }
  const Pane& rowAnchorPane() const;
  int32_t hitTest(DragInfo& out, int64_t point);
  // (row, col) under the point; overHeaders keeps yielding cells over the header strips.
  std::pair<int32_t, int32_t> cellAt(int64_t point, bool overHeaders) const;

  // ---- keys: each selects one target cell, scrolls to it; false when it would not move ----
  bool keyEnd();
  bool keyHome();
  bool keyLeft();
  bool keyUp();

  // ---- painting (GridPaint.cpp) ----
  void paint(HDC hdc, const RECT& invalid);
  void paintPane(const Pane& pane);
  void paintCorner(const Pane& pane, PaneLayout& layout);
  void paintColumnHeaders(const Pane& pane, PaneLayout& layout);
  void paintRowHeaders(const Pane& pane, PaneLayout& layout);
  void paintCells(const Pane& pane, PaneLayout& layout);
  void paintGridLines(const Pane& pane, PaneLayout& layout);

  // Z(v) and the header strip height.
  int64_t zoomed(int64_t v) const { return static_cast<int64_t>(static_cast<double>(v) * mZoom + 0.5); }
  int32_t headerStrip() const { return static_cast<int32_t>(zoomed(mStyle->headerHeight)); }
  int32_t rowCount() const { return static_cast<int32_t>(mCore->mRowCount); }
  int32_t colCount() const { return static_cast<int32_t>(mCore->mColCount); }
  // Unzoomed content distance of a client distance.
  int64_t unzoom(int64_t v) const { return static_cast<int64_t>(static_cast<double>(v) / mZoom); }

 private:
  const HiddenRowRuns& hiddenRuns() const;
  // Long runs of hidden rows; rebuilt by contentSize and when the row count changed.
  mutable HiddenRowRuns mHiddenRuns;
  void scrollPane(Pane& pane, int64_t dx, int64_t dy);
  void relayoutEnd();
  void rebuildPanes();
  void buildPanes(int32_t r, int32_t c);
  void selectCell(int32_t row, int32_t col);
  bool ctrlDown() const;
};

// Scales a zoomed 64-bit extent into the int range of a scroll bar.
int64_t scrollBarScale(int64_t zoomedExtent);
