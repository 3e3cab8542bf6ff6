// Drawing of the standard scroll bars in a window's non-client area: two
// arrow buttons, the track, the thumb sized from the page and placed from
// the position, and the size box where both bars meet. A child window's
// bars are drawn into its top-level window's surface, clipped to its
// parent's visible client area; a top-level window's bars lie outside its
// surface, in the frame a desktop draws from scrollBarPixels.
#pragma once
#include "platform/gdi/Surface.h"
#include "platform/user/State.h"

namespace platform::user {

// Colours of the bars (COLORREF).
constexpr COLORREF kBarTrack = 0x00F0F0F0;
constexpr COLORREF kBarThumb = 0x00C2C2C2;
constexpr COLORREF kBarThumbDragged = 0x00A0A0A0;
constexpr COLORREF kBarArrow = 0x00606060;
constexpr COLORREF kBarArrowDisabled = 0x00BFBFBF;
constexpr COLORREF kBarPressed = 0x00DADADA;  // an arrow or page held down

// Draws the shown bars of `w` now (a top-level window: tells the desktop).
void drawScrollBars(const WindowRef& w);
// The bars must be drawn again once the window's parent has painted: the
// window was invalidated whole (shown, moved, bars shown or hidden).
void markScrollBarsStale(Window& w);
// Marks the bars of the children of `parent` that `area` (client
// coordinates of `parent`) covers: the parent is about to paint there.
void scrollBarsCovered(const Window& parent, RECT area);
// Draws marked bars; called once the window's ancestors have painted.
void drawStaleScrollBars(const WindowRef& w);

}  // namespace platform::user

// The picture of a window's shown bar `bar` (SB_VERT or SB_HORZ), the size
// box included at the end of the vertical bar when both show; empty when the
// bar is not shown. It lies at the client area's right edge (vertical) or
// bottom edge (horizontal).
Surface scrollBarPixels(HWND hwnd, int bar);
