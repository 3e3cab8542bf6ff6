// Stand-in for the drawing side's surfaces until it is merged: the seam's
// calls with no drawing behind them.
#include "platform/gdi/Surface.h"

#include <algorithm>

void Surface::resize(int w, int h) {
  w = std::max(w, 0), h = std::max(h, 0);
  std::vector<uint32_t> next(static_cast<size_t>(w) * h, 0x00FFFFFF);
  for (int y = 0; y < std::min(h, height); ++y)
    std::copy_n(row(y), std::min(w, width), next.data() + static_cast<size_t>(y) * w);
  pixels.swap(next);
  width = w, height = h;
}

namespace {
struct StubDC {
  Surface* surface;
  POINT origin;
  RECT clip;
};
}  // namespace

HDC createSurfaceDC(Surface* surface, POINT origin, RECT clip) {
  return reinterpret_cast<HDC>(new StubDC{surface, origin, clip});
}

void setSurfaceDCClip(HDC dc, RECT clip) { reinterpret_cast<StubDC*>(dc)->clip = clip; }

void deleteSurfaceDC(HDC dc) { delete reinterpret_cast<StubDC*>(dc); }

Surface* surfaceOfDC(HDC dc) { return dc ? reinterpret_cast<StubDC*>(dc)->surface : nullptr; }
