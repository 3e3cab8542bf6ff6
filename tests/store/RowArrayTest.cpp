#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "store/Alloc.h"
#include "store/Cell.h"

namespace {

Cell* marker(size_t i) { return reinterpret_cast<Cell*>(uintptr_t(i + 1) * 16); }

// One array taken through a run of sizes, small and mapped, growing in its room and
// past it, shrinking a little and to a sliver: each step keeps the entries both sizes
// have, and the entries added are written over their whole length.
TEST(RowArray, ResizesKeepTheEntriesBothSizesHave) {
  const size_t steps[] = {3, 100, 200'000, 250'000, 600'000, 590'000, 10, 0, 40};
  size_t count = 1;
  Cell** array = rowalloc::allocArray(count);
  ASSERT_NE(array, nullptr);
  array[0] = marker(0);
  for (size_t next : steps) {
    SCOPED_TRACE(next);
    Cell** resized = rowalloc::reallocArray(array, count, next);
    ASSERT_NE(resized, nullptr);
    array = resized;
    for (size_t i = 0; i < std::min(count, next); ++i) ASSERT_EQ(array[i], marker(i)) << i;
    for (size_t i = count; i < next; ++i) array[i] = marker(i);
    count = next;
  }
  rowalloc::freeArray(array);
}

// A growth the hook fails leaves the array as it was, whether it would have grown in
// its room or moved.
TEST(RowArray, FailedGrowthLeavesTheArray) {
  for (size_t grown : {300'001, 2'000'000}) {
    SCOPED_TRACE(grown);
    Cell** array = rowalloc::reallocArray(rowalloc::allocArray(1), 1, 300'000);
    ASSERT_NE(array, nullptr);
    for (size_t i = 0; i < 300'000; ++i) array[i] = marker(i);
    rowalloc::failNth(1);
    EXPECT_EQ(rowalloc::reallocArray(array, 300'000, grown), nullptr);
    rowalloc::failNth(0);
    for (size_t i = 0; i < 300'000; ++i) ASSERT_EQ(array[i], marker(i)) << i;
    rowalloc::freeArray(array);
  }
}

}  // namespace
