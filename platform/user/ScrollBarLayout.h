// Where the parts of a window's standard scroll bars lie: the two arrows at
// the ends, the track between them and the thumb inside it, sized from the
// page and placed from the position. Shared by drawing and mouse tracking.
#pragma once
#include "platform/user/State.h"

namespace platform::user {

enum class BarPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// One bar laid out along its own axis: 0 is the top (left) end of the bar.
struct BarLayout {
  RECT bar{};  // window coordinates (0,0 = the window's top-left corner)
  bool vertical = true;
  bool enabled = false;  // can scroll (range wider than a page) and the window is enabled
  int length = 0;        // along the axis
  int arrow = 0;         // each arrow's length along the axis
  // The thumb: start along the axis and length; length 0 = no thumb (disabled
  // bar, or a track too short for one). invariant: arrow <= thumbStart and
  // thumbStart + thumbLength <= length - arrow when thumbLength > 0.
  int thumbStart = 0, thumbLength = 0;

  int trackStart() const { return arrow; }
  int trackEnd() const { return length - arrow; }
  // The slack of the thumb: how far it can travel in the track.
  int travel() const { return trackEnd() - trackStart() - thumbLength; }
};

// The last position a bar can scroll to: max - max(page - 1, 0).
int lastScrollPos(const ScrollBar& b);
// The top-left corner of the whole window on the screen.
POINT windowOriginOnScreen(const Window& w);
// A shown bar's rectangle in window coordinates (empty when not shown), and
// the size box in the corner both bars leave (empty unless both show).
RECT scrollBarRect(const Window& w, int bar);
RECT sizeBoxRect(const Window& w);
// The layout of a shown bar with its thumb at position `pos`.
BarLayout layoutScrollBar(const Window& w, int bar, int pos);
// The same layout with the thumb moved to start at `thumbStart` (clamped to
// the track), as a drag leaves it.
BarLayout withThumbAt(BarLayout l, int thumbStart);
// The part of the bar at a point along its axis (None outside the bar).
BarPart barPartAt(const BarLayout& l, int along);
// The scroll position a thumb starting at `thumbStart` stands for.
int positionForThumb(const ScrollBar& b, const BarLayout& l, int thumbStart);

}  // namespace platform::user
