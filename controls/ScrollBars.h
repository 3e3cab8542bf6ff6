// The standard scroll bars of the custom controls: their ranges and positions, and one
// request of a bar (SB_LINEUP ... SB_BOTTOM, SB_THUMBTRACK) carried out on the bar's own
// position.
#pragma once
#include "platform/windows.h"

// Moves the bar by `line` pixels for a line step, by its page for a page step,
// to the thumb, top or bottom otherwise; the bar clamps the position. Returns
// how far the position moved (0 when it did not).
int applyScrollRequest(HWND hwnd, int bar, int request, int line);

// Sets the vertical bar to 0..contentHeight and the horizontal one to 0..contentWidth,
// each with the page of `view` (its height or width plus one, at least 0).
void setScrollRanges(HWND hwnd, int contentWidth, int contentHeight, const RECT& view);
// Sets the bars' positions (the bars clamp them).
void setScrollPositions(HWND hwnd, int x, int y);
