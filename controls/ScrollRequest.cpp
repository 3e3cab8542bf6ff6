#include "controls/ScrollRequest.h"

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
