// Painting of the grid view.
#include "grid/GridView.h"

void CGridView::paint(HDC hdc, const RECT& invalid) {
  if (!mCanvas.mDc) return;
  if (mPanes.empty()) paintPane(mMainPane);
  else
    for (const Pane& p : mPanes) paintPane(p);
  RECT area = invalid;
  if (area.left == area.right || area.top == area.bottom) return;
  mCanvas.copyTo(hdc, area);
}

void CGridView::paintPane(const Pane& pane) {
  mCanvas.setBrush(mStyle->colors[COLOR_CELL_AREA]);
  HGDIOBJ pen = SelectObject(mCanvas.mDc, GetStockObject(NULL_PEN));
  Rectangle(mCanvas.mDc, pane.rect.left, pane.rect.top, pane.rect.right + 2, pane.rect.bottom + 2);
  SelectObject(mCanvas.mDc, pen);
}

void CGridView::paintCorner(const Pane&, PaneLayout&) {}
void CGridView::paintColumnHeaders(const Pane&, PaneLayout&) {}
void CGridView::paintRowHeaders(const Pane&, PaneLayout&) {}
void CGridView::paintCells(const Pane&, PaneLayout&) {}
void CGridView::paintGridLines(const Pane&, PaneLayout&) {}
