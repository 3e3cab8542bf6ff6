// Fresh blocks: the page kind a thread maps them with follows what large pages have
// cost it, and every block is zero-filled on its boundary whichever kind it got.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/FileIo.h"
#include "store/LargeBlock.h"

namespace {

using largeblock::PageLearning;

constexpr int64_t SMALL_NS = 1'000'000;                       // what ordinary pages cost
constexpr int64_t CHEAP = SMALL_NS / 4, DEAR = SMALL_NS * 5;  // a large page's first touch

// Blocks mapped on ordinary pages before the next large one.
uint32_t smallRun(PageLearning& learning) {
  uint32_t run = 0;
  while (learning.next(MEM_LARGE_PAGES) == 0) ++run;
  return run;
}

TEST(PageLearning, DearLargePagesSendBlocksToOrdinaryPagesInDoublingStreaks) {
  PageLearning learning;
  EXPECT_EQ(smallRun(learning), 0u);  // large pages until one is found dear
  struct Step {
    int64_t took;  // the first touch of the large block just mapped
    uint32_t run;  // ordinary blocks before the next large one
  } steps[] = {{CHEAP, 0}, {DEAR, 16}, {DEAR, 32}, {DEAR, 64}, {CHEAP, 0}, {DEAR, 16}, {SMALL_NS, 0}};
  for (const Step& s : steps) {
    learning.learn(s.took, SMALL_NS);
    EXPECT_EQ(smallRun(learning), s.run) << "after a touch of " << s.took << " ns";
  }
  for (int i = 0; i < 20; ++i) learning.learn(DEAR, SMALL_NS), smallRun(learning);
  learning.learn(DEAR, SMALL_NS);
  EXPECT_EQ(smallRun(learning), PageLearning::LAST_STREAK);
}

TEST(PageLearning, OrdinaryPagesAskedForStayOrdinary) {
  PageLearning learning;
  for (int64_t took : {CHEAP, DEAR}) {
    learning.learn(took, SMALL_NS);
    EXPECT_EQ(learning.next(0), 0u);
  }
}

TEST(LargeBlock, FreshBlocksAreZeroOnTheirBoundaryOnEveryKindOfPage) {
  // More slabs than a streak, so that a machine where large pages are dear maps both
  // kinds here; and blocks large enough to be settled by a probe first.
  struct Case {
    size_t bytes, alignment;
    int count;
  } cases[] = {{size_t(4) << 20, size_t(4) << 20, 40}, {largeblock::PROBED_BYTES, 0, 2}};
  for (const Case& c : cases) {
    std::vector<void*> blocks;
    for (int i = 0; i < c.count; ++i) {
      auto* p = static_cast<unsigned char*>(largeblock::mapFresh(c.bytes, c.alignment));
      ASSERT_NE(p, nullptr);
      if (c.alignment) EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % c.alignment, 0u);
      for (size_t at = 0; at < c.bytes; at += 4096) ASSERT_EQ(p[at] | p[at + 4095], 0) << c.bytes << " #" << i;
      p[c.bytes - 1] = 1;
      blocks.push_back(p);
    }
    for (void* p : blocks) EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
  }
}

}  // namespace
