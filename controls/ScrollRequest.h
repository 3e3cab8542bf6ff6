// One request of a window's standard scroll bar (SB_LINEUP ... SB_BOTTOM,
// SB_THUMBTRACK) carried out on the bar's own position.
#pragma once
#include "platform/windows.h"

// Moves the bar by `line` pixels for a line step, by its page for a page step,
// to the thumb, top or bottom otherwise; the bar clamps the position. Returns
// how far the position moved (0 when it did not).
int applyScrollRequest(HWND hwnd, int bar, int request, int line);
