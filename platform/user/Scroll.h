// Standard scroll bars of a window (SB_HORZ, SB_VERT). A bar is shown while
// its range is larger than one page (nMax - max(nPage - 1, 0) > nMin); showing
// or hiding one changes the client area and sends WM_SIZE.
#pragma once
#include "platform/user/Types.h"

// Applies the masked fields: nPage is cut to the range, nPos clamped to
// nMin .. nMax - max(nPage - 1, 0). Returns the position after the call.
int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
