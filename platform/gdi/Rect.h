// Small rectangle helpers of the drawing code (exclusive right/bottom).
#pragma once
#include <algorithm>
#include <vector>

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

// The parts of `r` outside `hole` (up to four disjoint bands), appended to
// `out`.
inline void subtract(const RECT& r, const RECT& hole, std::vector<RECT>& out) {
  RECT cut = intersect(r, hole);
  if (isEmpty(cut)) {
    if (!isEmpty(r)) out.push_back(r);
    return;
  }
  if (r.top < cut.top) out.push_back(RECT{r.left, r.top, r.right, cut.top});
  if (cut.bottom < r.bottom) out.push_back(RECT{r.left, cut.bottom, r.right, r.bottom});
  if (r.left < cut.left) out.push_back(RECT{r.left, cut.top, cut.left, cut.bottom});
  if (cut.right < r.right) out.push_back(RECT{cut.right, cut.top, r.right, cut.bottom});
}

// Left/right and top/bottom put in order.
inline RECT normalised(LONG l, LONG t, LONG r, LONG b) {
  return RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

}  // namespace gdi
