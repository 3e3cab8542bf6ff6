// Keys, mouse, wheel, scroll bars, the context menu and the command table of the grid.
#include <algorithm>

#include "grid/CanvasMeasure.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridCommandTable.h"
#include "grid/ReadSettings.h"
#include "platform/windows.h"
#include "resources/GridDialogIds.h"
#include "resources/GridIds.h"
#include "script/ScriptRuns.h"

namespace {

bool held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

int64_t packPoint(POINT p) {
  return static_cast<int64_t>(static_cast<uint32_t>(p.x) |
                              (static_cast<uint64_t>(static_cast<uint32_t>(p.y)) << 32));
}

}  // namespace

POINT CGrid::cursorPoint() const {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(mHwnd, &p);
  return p;
}

void CGrid::selectCell(int32_t row, int32_t col) {
  mSelection.anchorRow = row;
  mSelection.anchorCol = col;
  mSelection.range = Range{row, col, row, col};
  mView.scrollToCell(cellPos(row, col));
}

void CGrid::selectAll() {
  if (mSelection.range == Range{0, 0, 0, 0} && mSelection.anchorRow == 0 && mSelection.anchorCol == 0) return;
  mSelection.anchorRow = mSelection.anchorCol = 0;
  mSelection.range = Range{0, 0, 0, 0};
  invalidate();
}

// ---------------------------------------------------------------- keys

void CGrid::onKeyDown(WPARAM key) {
  const bool ctrl = held(VK_CONTROL), alt = held(VK_MENU), shift = held(VK_SHIFT);
  if (ctrl && !alt && !shift) {
    switch (key) {
      case VK_END:
        if (mView.keyEnd()) invalidate();
        return;
      case VK_HOME:
        if (mView.keyHome()) invalidate();
        return;
      case 'A': selectAll(); return;
      case 'C': onCommand(ID_COPY); return;
      case 'D': onCommand(ID_CLEAR); return;
      case 'F': onCommand(ID_FIND); return;
      case 'G': onCommand(ID_GOTO); return;
      case 'H': onCommand(ID_REPLACE); return;
      case 'I': onCommand(ID_INSERT1); return;
      case 'K': onCommand(ID_SPLIT_FILE); return;
      case 'L': appendFiles(); return;
      case 'N': newTable(); return;
      case 'O':
        openDialog();
        updateEncodingMenu();
        return;
      case 'S': save(); return;
      case 'V': onCommand(ID_PASTE); return;
      case 'X': onCommand(ID_CUT); return;
      case 'Y': onCommand(ID_REDO); return;
      case 'Z': onCommand(ID_UNDO); return;
      default: return;
    }
  }
  if (alt && !ctrl && !shift) {
    if (key == 'R') onCommand(ID_REPLACE_NEXT);
    return;
  }
  if (shift && !ctrl && !alt) {
    if (key == VK_TAB) {
      if (mView.keyLeft()) invalidate();
    } else if (key == VK_RETURN) {
      if (mView.keyUp()) invalidate();
    } else if (key == VK_F3) onCommand(ID_FIND_PREV);
    return;
  }
  if (ctrl || alt || shift) return;
  const Range& r = mSelection.range;
  const int32_t rows = static_cast<int32_t>(mCore.mRowCount), cols = static_cast<int32_t>(mCore.mColCount);
  switch (key) {
    case VK_TAB:
    case VK_RIGHT:
      if (r.right >= cols - 1) return;
      selectCell(std::max(r.top, 1), r.left + 1);
      invalidate();
      return;
    case VK_RETURN:
    case VK_DOWN:
      if (r.bottom >= rows - 1) return;
      selectCell(r.top + 1, std::max(r.left, 1));
      invalidate();
      return;
    case VK_PRIOR: pageMove(false); return;
    case VK_NEXT: pageMove(true); return;
    case VK_END:
      if (mView.keyEnd()) invalidate();
      return;
    case VK_HOME:
      if (mView.keyHome()) invalidate();
      return;
    case VK_LEFT:
      if (mView.keyLeft()) invalidate();
      return;
    case VK_UP:
      if (mView.keyUp()) invalidate();
      return;
    case VK_DELETE: onCommand(ID_CLEAR); return;
    case VK_F3: onCommand(ID_FIND_NEXT); return;
    default: return;
  }
}

void CGrid::pageMove(bool down) {
  const int32_t row = std::max(mSelection.range.top, 1), col = std::max(mSelection.range.left, 1);
  const int32_t rows = static_cast<int32_t>(mCore.mRowCount);
  if (!down && row < 2) return;
  if (down && row >= rows - 1) return;
  const uint64_t cell = cellPos(row, col);
  const Pane& pane = mView.paneOfCell(cell);
  const RECT c = mView.toClient(pane, mView.cellRect(row, col));
  const int32_t h = pane.rect.bottom + 1 - mView.headerStrip() - pane.rect.top;
  const int32_t y = down ? c.top + h + 1 : c.top - h + 1;
  const int64_t point = packPoint(POINT{c.left + 1, y});
  auto [targetRow, targetCol] = mView.cellAt(point, true);
  targetRow = std::max(targetRow, 1);
  targetCol = std::max(targetCol, 1);
  mSelection.anchorRow = targetRow;
  mSelection.anchorCol = targetCol;
  mSelection.range = Range{targetRow, targetCol, targetRow, targetCol};
  if (targetRow == row) mView.scrollBy(0, (down ? 1 : -1) * mView.unzoom(h));
  else mView.scrollToCell(cellPos(targetRow, targetCol));
  invalidate();
}

// ---------------------------------------------------------------- scroll bars and wheel

bool CGrid::onScroll(int bar, int request) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(mHwnd, bar, &si);
  const int64_t scale = bar == SB_HORZ ? mView.mBarScaleX : mView.mBarScaleY;
  const int64_t step = std::max<int64_t>(1, (bar == SB_HORZ ? mStyle.columnWidth : mStyle.rowHeight) / scale);
  int64_t pos = si.nPos;
  switch (request) {
    case SB_LINEUP: pos -= step; break;
    case SB_LINEDOWN: pos += step; break;
    case SB_PAGEUP: pos -= si.nPage; break;
    case SB_PAGEDOWN: pos += si.nPage; break;
    case SB_THUMBTRACK: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: break;
  }
  const int old = si.nPos;
  si.fMask = SIF_POS;
  si.nPos = static_cast<int>(std::clamp<int64_t>(pos, INT32_MIN, INT32_MAX));
  SetScrollInfo(mHwnd, bar, &si, FALSE);
  si.fMask = SIF_POS;
  GetScrollInfo(mHwnd, bar, &si);
  if (si.nPos == old) return false;
  // Bar units are zoomed pixels (times the bar's scale); the view scrolls content pixels.
  const double delta = static_cast<double>(si.nPos - old) * static_cast<double>(scale) / mView.mZoom;
  const int64_t content = static_cast<int64_t>(delta >= 0 ? delta + 0.5 : delta - 0.5);
  if (bar == SB_HORZ) mView.scrollBy(content, 0);
  else mView.scrollBy(0, content);
  return true;
}

void CGrid::onWheel(WPARAM wParam) {
  const bool down = static_cast<int32_t>(static_cast<uint32_t>(wParam)) <= 0;
  if (held(VK_CONTROL)) {
    if (zoomWheel(down ? -15 : 15)) invalidate();
    return;
  }
  const int64_t amount = down ? mStyle.wheelStep : -mStyle.wheelStep;
  if (held(VK_SHIFT)) mView.scrollBy(amount, 0);
  else mView.scrollBy(0, amount);
  invalidate();
}

bool CGrid::zoomWheel(int32_t step) {
  const int c = static_cast<int>(mView.mZoom * 100);
  if ((step < 0 && c <= 25) || (step > 0 && c >= 400)) return false;
  mView.setZoom(mView.mZoom + step / 100.0);
  return true;
}

// ---------------------------------------------------------------- mouse

bool CGrid::onLButtonDown() {
  SetFocus(mHwnd);
  GetCursorPos(&mDownPoint);
  const POINT p = cursorPoint();
  mDrag.size = mDrag.index = 0;
  mDragState = mView.hitTest(mDrag, packPoint(p));
  bool changed = false;
  if (mDragState == HIT_CELLS) {
    if (held(VK_SHIFT)) {
      changed = extendSelection(p);
    } else {
      const auto [row, col] = mView.cellAt(packPoint(p), false);
      if (!(mSelection.range == Range{row, col, row, col} && mSelection.anchorRow == row &&
            mSelection.anchorCol == col)) {
        mSelection.anchorRow = row;
        mSelection.anchorCol = col;
        mSelection.range = Range{row, col, row, col};
        mView.mLastCell = cellPos(row, col);
        changed = true;
      }
      selectionChanged();
    }
  } else if (mDragState == HIT_COL_BORDER || mDragState == HIT_ROW_BORDER) {
    mDrag.press = mDrag.current = mDragState == HIT_COL_BORDER ? p.x : p.y;
    drawDragLine(mDrag.current);
  } else if (mDragState == HIT_FILTER_BUTTON) {
    changed = true;
  }
  SetCursor(LoadCursorW(nullptr, mStyle.cursor));
  if (changed) invalidate();
  return true;
}

bool CGrid::onMouseMove() {
  const POINT p = cursorPoint();
  bool changed = false;
  if (mDragState == HIT_CELLS) {
    changed = extendSelection(p);
  } else if (mDragState == HIT_COL_BORDER || mDragState == HIT_ROW_BORDER) {
    drawDragLine(mDrag.current);
    mDrag.current = mDragState == HIT_COL_BORDER ? p.x : p.y;
    drawDragLine(mDrag.current);
  } else {
    DragInfo scratch = mDrag;
    mView.hitTest(scratch, packPoint(p));
    SetCursor(LoadCursorW(nullptr, mStyle.cursor));
  }
  if (changed) invalidate();
  return true;
}

bool CGrid::extendSelection(POINT point) {
  const auto [row, col] = mView.cellAt(packPoint(point), true);
  const Range& r = mSelection.range;
  if (!(r.top == 0 && r.left == 0)) {
    const Pane& pane = mView.mMainPane;
    const int32_t headerBottom = pane.rect.top + mView.headerStrip();
    const int32_t headerRight = pane.rect.left + mView.rowHeaderWidth();
    int64_t dx = 0, dy = 0;
    if (r.top != 0) {
      if (point.y < headerBottom) dy = point.y - mStyle.rowHeight - headerBottom;
      else if (point.y > pane.rect.bottom) dy = point.y + mStyle.rowHeight - pane.rect.bottom;
    }
    if (r.left != 0) {
      if (point.x < headerRight) dx = point.x - mStyle.columnWidth - headerRight;
      else if (point.x > pane.rect.right) dx = point.x + mStyle.columnWidth - pane.rect.right;
    }
    mView.scrollBy(dx, dy);
  }
  bool changed = false;
  const uint64_t cell = cellPos(row, col);
  if (cell != mView.mLastCell) {
    mView.mLastCell = cell;
    mSelection.extendTo(cell);
    changed = true;
  }
  selectionChanged();
  return changed;
}

bool CGrid::onLButtonUp() {
  if (mDragState == HIT_COL_BORDER || mDragState == HIT_ROW_BORDER) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == mDownPoint.x && now.y == mDownPoint.y) {
      drawDragLine(mDrag.current);
    } else {
      drawDragLine(mDrag.current);
      // The distance dragged is client pixels; the stored size is content pixels.
      int32_t size = static_cast<int32_t>(static_cast<double>(mDrag.current - mDrag.press) / mView.mZoom +
                                          (mDrag.current >= mDrag.press ? 0.5 : -0.5)) +
                     mDrag.size;
      if (size < 1) size = -1;
      const bool rows = mDragState == HIT_ROW_BORDER;
      const int32_t index = mDrag.index;
      guarded([&] { mOps.setWidthHeight(rows, index, size); });
      invalidate();
    }
  } else if (mDragState == HIT_FILTER_BUTTON) {
    PostMessageW(mHwnd, WM_USER, GRID_OPEN_FILTER, 0);
  }
  mDragState = HIT_NONE;
  return true;
}

void CGrid::endDrag() {
  if (mDragState == HIT_COL_BORDER || mDragState == HIT_ROW_BORDER) {
    onLButtonUp();
    return;
  }
  const bool buttonPressed = mDragState == HIT_FILTER_BUTTON;
  mDragState = HIT_NONE;
  if (buttonPressed) invalidate();  // the button is drawn raised again
}

bool CGrid::onLButtonDblClk() {
  mDrag.size = mDrag.index = 0;
  const POINT p = cursorPoint();
  int32_t h = mView.hitTest(mDrag, packPoint(p));
  const RECT& m = mView.mMainPane.rect;
  if (h == HIT_CELLS && p.x >= m.left && p.x <= m.right && p.y >= m.top && p.y <= m.bottom) {
    const Pane& pane = mView.paneAt(packPoint(p));
    const int32_t rw = pane.hasRowHeaders() ? mView.rowHeaderWidth() : 0;
    const int32_t ch = pane.hasColHeaders() ? mView.headerStrip() : 0;
    const int64_t x = mView.unzoom(p.x - rw - pane.rect.left) + pane.scrollX;
    const int64_t y = mView.unzoom(p.y - ch - pane.rect.top) + pane.scrollY;
    const bool right = x > pane.contentWidth, below = y > pane.contentHeight;
    if (right && below) h = HIT_BEYOND_BOTH;
    else if (right) h = HIT_RIGHT_OF_COLUMNS;
    else if (below) h = HIT_BELOW_ROWS;
  }
  const int32_t rows = static_cast<int32_t>(mCore.mRowCount), cols = static_cast<int32_t>(mCore.mColCount);
  // Growth saturates at the sheet's 32-bit limits.
  auto grow = [](int32_t n, int32_t by) {
    return static_cast<int32_t>(std::min<int64_t>(int64_t(n) + by, INT32_MAX));
  };
  const Range& r = mSelection.range;
  switch (h) {
    case HIT_CELLS:
      if (r.top != 0 && r.left != 0) beginEdit(false);
      break;
    case HIT_COL_BORDER:
    case HIT_ROW_BORDER: {
      const bool cols_ = h == HIT_COL_BORDER;
      int32_t first = mDrag.index, last = mDrag.index;
      if (cols_ && r.top == 0 && r.left != 0 && first >= r.left && first <= r.right) first = r.left, last = r.right;
      if (!cols_ && r.left == 0 && r.top != 0 && first >= r.top && first <= r.bottom)
        first = r.top, last = r.bottom;
      CanvasMeasure measure(mView.mCanvas);
      CellFont font{mStyle.cellFont.lfHeight, mStyle.headerFont.lfFaceName};
      guarded([&] {
        if (cols_) mOps.autoFitColumns(font, measure, first, last);
        else mOps.autoFitRows(font, measure, first, last);
      });
      mView.refresh();
      invalidate();
      break;
    }
    case HIT_RIGHT_OF_COLUMNS:
      guarded([&] { mOps.resize(rows > 0 ? rows : 300, grow(cols, 26)); });
      invalidate();
      break;
    case HIT_BELOW_ROWS:
      guarded([&] { mOps.resize(grow(rows, 300), cols > 0 ? cols : 26); });
      invalidate();
      break;
    case HIT_BEYOND_BOTH:
      guarded([&] { mOps.resize(grow(rows, 300), grow(cols, 26)); });
      invalidate();
      break;
    default: break;
  }
  mDragState = HIT_NONE;
  return true;
}

void CGrid::drawDragLine(int32_t position) {
  HDC dc = GetDC(mHwnd);
  RECT band = mRect;
  if (mDragState == HIT_ROW_BORDER) band.top = position - 1, band.bottom = position + 2;
  else band.left = position - 1, band.right = position + 2;
  InvertRect(dc, &band);
  ReleaseDC(mHwnd, dc);
}

// ---------------------------------------------------------------- context menu

bool CGrid::contextMenu(HWND window, POINT screen) {
  POINT client = screen;
  ScreenToClient(window, &client);
  RECT r{};
  GetClientRect(window, &r);
  if (client.x < r.left || client.x >= r.right || client.y < r.top || client.y >= r.bottom) return false;
  HMENU menu = LoadMenuW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)),
                         MAKEINTRESOURCEW(IDR_GRID_CONTEXT));
  if (!menu) return false;
  HMENU popup = GetSubMenu(menu, 0);
  ClientToScreen(window, &client);
  const Range& s = mSelection.range;
  const UINT state = (s.top && s.left && s.bottom && s.right) ? MF_DISABLED : MF_ENABLED;
  for (UINT id : {ID_INSERT1, ID_INSERT2, ID_HIDE, ID_UNHIDE}) EnableMenuItem(popup, id, MF_BYCOMMAND | state);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, client.x, client.y, 0, window, nullptr);
  DestroyMenu(menu);
  return true;
}

// ---------------------------------------------------------------- menu marks

void CGrid::setSaveEncoding(TextEncoding encoding) {
  mCore.mSaveEncoding = encoding;
  updateEncodingMenu();
}

void CGrid::updateEncodingMenu() {
  if (!gMainWnd) return;
  HMENU menu = GetMenu(gMainWnd);
  if (!menu) return;
  for (UINT id = ID_ENC_UTF8; id <= ID_ENC_ANSI; ++id) CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
  UINT id = ID_ENC_ANSI;
  switch (mCore.mSaveEncoding) {
    case ENC_UTF8: id = ID_ENC_UTF8; break;
    case ENC_UTF8_NOBOM: id = ID_ENC_UTF8_NOBOM; break;
    case ENC_UTF16LE: id = ID_ENC_UTF16LE; break;
    case ENC_UTF16BE: id = ID_ENC_UTF16BE; break;
    default: break;
  }
  CheckMenuItem(menu, id, MF_BYCOMMAND | MF_CHECKED);
}

// ---------------------------------------------------------------- commands

bool CGrid::onCommand(UINT id) {
  if (runGridCommand(*this, id)) return true;
  switch (id) {
    case ID_EXIT: DestroyWindow(mHwnd); return true;
    case ID_NEW:
      if (CGrid* doc = openInNewTab(u"")) doc->updateEncodingMenu();
      return true;
    case ID_OPEN:
      openDialog();
      updateEncodingMenu();
      return true;
    case ID_SAVE: save(); return true;
    case ID_RUN_ALL:
      guarded([&] { runAllScripts(mScriptDoc); });
      invalidate();
      return true;
    case ID_RUN_SELECTED:
      guarded([&] { runSelectedScripts(mScriptDoc); });
      invalidate();
      return true;
    case ID_SAVE_AS: saveAsDialog(); return true;
    case ID_APPEND: appendFiles(); return true;
    case ID_UNDO:
      guarded([&] { mComManag.undo(); });
      invalidate();
      return true;
    case ID_REDO:
      guarded([&] { mComManag.redo(); });
      invalidate();
      return true;
    case ID_COPY: guarded([&] { mOps.copy(); }); return true;
    case ID_DELETE:
      guarded([&] { mOps.deleteSelection(); });
      invalidate();
      return true;
    case ID_SELECT_ALL: selectAll(); return true;
    case ID_HIDE:
      guarded([&] { mOps.setVisible(false); });
      invalidate();
      return true;
    case ID_UNHIDE:
      guarded([&] { mOps.setVisible(true); });
      invalidate();
      return true;
    case ID_FREEZE:
      mView.toggleFreeze(mSelection.range.top, mSelection.range.left);
      invalidate();
      return true;
    case ID_ZOOM_IN:
      if (static_cast<int>(mView.mZoom * 100) < 400) mView.setZoom(mView.mZoom + 0.15);
      invalidate();
      return true;
    case ID_ZOOM_OUT:
      if (static_cast<int>(mView.mZoom * 100) >= 26) mView.setZoom(mView.mZoom - 0.15);
      invalidate();
      return true;
    case ID_PAGED_OPEN: pagedOpenInNewTab(); return true;
    case ID_SAVE_FILTERED: saveFiltered(false); return true;
    case ID_ENC_UTF8: setSaveEncoding(ENC_UTF8); return true;
    case ID_ENC_UTF8_NOBOM: setSaveEncoding(ENC_UTF8_NOBOM); return true;
    case ID_ENC_UTF16LE: setSaveEncoding(ENC_UTF16LE); return true;
    case ID_ENC_UTF16BE: setSaveEncoding(ENC_UTF16BE); return true;
    case ID_ENC_ANSI: setSaveEncoding(ENC_ANSI); return true;
    case ID_QUOTES_ON: setQuoteDetect(true); return true;
    case ID_QUOTES_OFF: setQuoteDetect(false); return true;
    default:
      if (id >= ID_SEPARATOR_AUTO && id <= ID_SEPARATOR_COLON) {
        setDefaultSeparator(id);
        return true;
      }
      return false;
  }
}
