// A window's update region: the union of the rectangles invalidated and not
// validated since, kept as disjoint rectangles (client coordinates,
// exclusive right and bottom), so that validating one of two separate areas
// leaves the other alone.
#pragma once
#include <vector>

#include "platform/WinTypes.h"

namespace platform::user {

class UpdateRegion {
 public:
  bool empty() const { return mParts.empty(); }
  // The smallest rectangle holding the region; {0, 0, 0, 0} when empty.
  RECT bounds() const;
  void add(const RECT& r);
  void subtract(const RECT& r);
  void clear() { mParts.clear(); }
  // What of `box` lies outside the region (disjoint rectangles).
  std::vector<RECT> outside(const RECT& box) const;
  const std::vector<RECT>& parts() const { return mParts; }

 private:
  // Past this many pieces the region becomes its bounding box: painting a
  // little more than needed is harmless, an unbounded list is not.
  static constexpr size_t kMaxParts = 64;
  std::vector<RECT> mParts;  // invariant: disjoint, none empty
};

}  // namespace platform::user
