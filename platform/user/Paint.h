// Painting: update regions (sets of rectangles), WM_PAINT, window
// DCs. Every top-level window owns a Surface of its client area; a window DC
// draws into its top-level window's surface with the origin at the window's
// client origin, clipped to its client area and those of its ancestors, less
// its visible children when it has WS_CLIPCHILDREN and, for it and each
// ancestor with WS_CLIPSIBLINGS, less the visible siblings above it.
#pragma once
#include "platform/user/Types.h"

// Adds `rect` (client coordinates; null = all) to the update region; parents
// without WS_CLIPCHILDREN invalidate the children under it too.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);  // sends WM_PAINT now when the window is invalid
// rcPaint = the update region's bounding box; the DC clips to the region
// itself; validates.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
HDC GetDC(HWND hwnd);  // null window: a DC of the screen, for compatible objects
int ReleaseDC(HWND hwnd, HDC dc);
