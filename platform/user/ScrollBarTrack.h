// Mouse tracking of a window's standard scroll bars. A press on a bar
// (WM_NCLBUTTONDOWN with HTVSCROLL or HTHSCROLL reaching DefWindowProcW)
// takes the capture and sends the window WM_VSCROLL / WM_HSCROLL requests
// (lParam 0): an arrow SB_LINEUP / SB_LINEDOWN, the track beside the thumb
// SB_PAGEUP / SB_PAGEDOWN, both again after a first delay and then at a
// repeat interval of the layer's clock while the button stays down over the
// same part; dragging the thumb SB_THUMBTRACK at each new position (nTrackPos
// and HIWORD(wParam)), SB_THUMBPOSITION at the release. A pointer that strays
// far from the bar while the thumb is dragged puts the thumb back where the
// drag began (SB_THUMBTRACK with that position; a release out there ends at
// it); coming back near the bar takes the thumb up again. Every press ends
// with SB_ENDSCROLL when the button goes up or the capture is lost.
//
// The tracking does not hold the caller in a loop of its own: it filters the
// pointer input the caller's message loop retrieves, so the window procedure
// sees none of it while the button is down.
#pragma once
#include <optional>

#include "platform/user/ScrollBarLayout.h"

namespace platform::user {

constexpr UINT kScrollRepeatDelay = 400;    // ms from the press to the first repeat
constexpr UINT kScrollRepeatInterval = 50;  // ms between repeats
// How far a thumb-dragging pointer may stray from the bar, in bar
// thicknesses: across the bar, and beyond its ends.
constexpr int kThumbStrayAcross = 8;
constexpr int kThumbStrayAlong = 2;

// Starts tracking a press at a screen point on bar `bar` (SB_HORZ, SB_VERT)
// of `w`; nothing happens on a disabled bar or off its parts.
void startScrollTrack(const WindowRef& w, int bar, POINT screen);
// Pointer input retrieved while a bar is tracked: true when the tracking
// took it (the caller drops it). `screen` is the event's screen point.
bool scrollTrackTakes(const MSG& m, POINT screen);

// The window lost the capture: a press on its bar ends (SB_ENDSCROLL).
// Without this notice the press ends at the next pointer input or repeat.
void scrollTrackCaptureLost(HWND hwnd);

// What the drawing shows of a tracked bar.
struct TrackedBar {
  HWND hwnd = nullptr;
  int bar = SB_VERT;
  BarPart part = BarPart::None;  // the part pressed
  bool over = false;             // the pointer is over the pressed part
  int thumbStart = 0;            // along the axis, while the thumb is dragged
};
std::optional<TrackedBar> trackedBar();

}  // namespace platform::user
