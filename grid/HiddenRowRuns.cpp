#include "grid/HiddenRowRuns.h"

#include <algorithm>

const std::pair<int32_t, int32_t>* HiddenRowRuns::find(int32_t r) const {
  // The last run starting at or before r.
  auto it = std::upper_bound(mRuns.begin(), mRuns.end(), r,
                             [](int32_t row, const std::pair<int32_t, int32_t>& run) { return row < run.first; });
  if (it == mRuns.begin()) return nullptr;
  --it;
  return r <= it->second ? &*it : nullptr;
}
