#include "controls/ScrollBars.h"

#include <algorithm>

int applyScrollRequest(HWND hwnd, int bar, int request, int line) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd, bar, &si);
  const int before = si.nPos;
  int pos = before;
  switch (request) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: break;
  }
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, FALSE);
  GetScrollInfo(hwnd, bar, &si);  // the bar clamps the position
  return si.nPos - before;
}

void setScrollRanges(HWND hwnd, int contentWidth, int contentHeight, const RECT& view) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = contentHeight;
  si.nPage = static_cast<UINT>(std::max<LONG>(0, view.bottom - view.top + 1));
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  si.nMax = contentWidth;
  si.nPage = static_cast<UINT>(std::max<LONG>(0, view.right - view.left + 1));
  SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

void setScrollPositions(HWND hwnd, int x, int y) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS;
  si.nPos = y;
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  si.nPos = x;
  SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}
