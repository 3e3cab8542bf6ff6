#include "platform/user/UpdateRegion.h"

#include "platform/gdi/Rect.h"

namespace platform::user {

RECT UpdateRegion::bounds() const {
  if (mParts.empty()) return RECT{0, 0, 0, 0};
  RECT b = mParts.front();
  for (const RECT& p : mParts) {
    b.left = std::min(b.left, p.left), b.top = std::min(b.top, p.top);
    b.right = std::max(b.right, p.right), b.bottom = std::max(b.bottom, p.bottom);
  }
  return b;
}

// The new area less what the region holds already, so the parts stay disjoint.
void UpdateRegion::add(const RECT& r) {
  if (gdi::isEmpty(r)) return;
  std::vector<RECT> fresh{r}, next;
  for (const RECT& p : mParts) {
    next.clear();
    for (const RECT& f : fresh) gdi::subtract(f, p, next);
    fresh.swap(next);
    if (fresh.empty()) return;
  }
  mParts.insert(mParts.end(), fresh.begin(), fresh.end());
  if (mParts.size() > kMaxParts) mParts = {bounds()};
}

void UpdateRegion::subtract(const RECT& r) {
  if (gdi::isEmpty(r)) return;
  std::vector<RECT> next;
  for (const RECT& p : mParts) gdi::subtract(p, r, next);
  mParts.swap(next);
  if (mParts.size() > kMaxParts) mParts = {bounds()};
}

std::vector<RECT> UpdateRegion::outside(const RECT& box) const {
  std::vector<RECT> rest, next;
  if (!gdi::isEmpty(box)) rest.push_back(box);
  for (const RECT& p : mParts) {
    next.clear();
    for (const RECT& q : rest) gdi::subtract(q, p, next);
    rest.swap(next);
  }
  return rest;
}

}  // namespace platform::user
