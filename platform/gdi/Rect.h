// Small rectangle helpers of the drawing code (exclusive right/bottom).
#pragma once
#include <algorithm>

#include "platform/WinTypes.h"

namespace gdi {

inline bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Intersection; an empty result is returned as {0, 0, 0, 0}.
inline RECT intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return isEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

inline RECT offset(const RECT& r, LONG dx, LONG dy) {
  return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// Left/right and top/bottom put in order.
inline RECT normalised(LONG l, LONG t, LONG r, LONG b) {
  return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

}  // namespace gdi
