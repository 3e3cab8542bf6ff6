// A 32-bit memory surface and the DCs that draw into it. Every top-level
// window paints into one Surface; memory bitmaps are Surfaces too.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

// Pixels are 0x00RRGGBB, row-major, width * height of them. The top byte is
// kept 0 by every drawing call.
struct Surface {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // invariant: pixels.size() == width * height

  // Resizes to w x h (negative sizes count as 0). Pixels that stay inside
  // both the old and the new size keep their values; new pixels are white.
  void resize(int w, int h);
  uint32_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const uint32_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
  uint32_t at(int x, int y) const { return row(y)[x]; }
};

// A DC drawing into `surface` with its origin (DC point 0,0) at `origin`
// (surface pixels) and everything clipped to `clip` (surface pixels,
// exclusive right/bottom): what a window DC is. The DC starts with the
// default objects (white brush, black pen, default font, opaque background
// mode, black text, white background). The surface must outlive the DC.
HDC createSurfaceDC(Surface* surface, POINT origin, RECT clip);
// Replaces the DC's base clip (surface pixels), e.g. BeginPaint's update
// rectangle. A region selected with SelectClipRgn still applies inside it.
void setSurfaceDCClip(HDC dc, RECT clip);
// Areas (surface pixels) the DC leaves alone inside its clip: the children
// of a window with WS_CLIPCHILDREN, the siblings above one with
// WS_CLIPSIBLINGS. Replaces what was set before.
void setSurfaceDCExcluded(HDC dc, std::vector<RECT> excluded);
// Frees a DC made by createSurfaceDC; the objects selected into it are not
// deleted (as with ReleaseDC).
void deleteSurfaceDC(HDC dc);
// The surface a DC draws into: a window surface, or the bitmap selected into
// a memory DC (null when nothing is selected). For tests and the test driver.
Surface* surfaceOfDC(HDC dc);
