#include "store/LargeBlock.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/FileIo.h"

namespace largeblock {

namespace {

constexpr size_t ORDINARY_PAGE = 4096;  // the processor's ordinary page

enum class Fixed { No, Small, Large };

// The page kind the environment fixes, if any.
Fixed fixedPages() {
  static const Fixed fixed = std::getenv("MORVEL_SMALL_PAGES")   ? Fixed::Small
                             : std::getenv("MORVEL_LARGE_PAGES") ? Fixed::Large
                                                                 : Fixed::No;
  return fixed;
}

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Nanoseconds to fault in one large page's span of fresh ordinary pages (a byte written
// on each), the least of three tries; taken once per process, by the first thread that
// maps a block on large pages.
int64_t smallSpanNs() {
  static const int64_t least = [] {
    const size_t span = GetLargePageMinimum();
    int64_t best = INT64_MAX;
    for (int round = 0; round < 3; ++round) {
      void* block = VirtualAlloc(nullptr, span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
      if (block == nullptr) continue;
      auto* bytes = static_cast<volatile char*>(block);
      const int64_t start = nowNs();
      for (size_t at = 0; at < span; at += ORDINARY_PAGE) bytes[at] = 0;
      best = std::min(best, nowNs() - start);
      VirtualFree(block, 0, MEM_RELEASE);
    }
    return best;
  }();
  return least;
}

thread_local PageLearning tLearning;

// Touches the first page of a fresh block on large pages and times it.
int64_t firstTouchNs(void* block) {
  const int64_t start = nowNs();
  *static_cast<volatile char*>(block) = 0;
  return nowNs() - start;
}

}  // namespace

DWORD pageFlags() { return fixedPages() == Fixed::Small ? 0 : MEM_LARGE_PAGES; }

DWORD PageLearning::next(DWORD allowed) {
  if (allowed == 0 || mSmallLeft == 0) return allowed;
  --mSmallLeft;
  return 0;
}

void PageLearning::learn(int64_t tookNs, int64_t smallNs) {
  if (tookNs > smallNs) {
    mSmallLeft = mStreak;
    mStreak = std::min(mStreak * 2, LAST_STREAK);
  } else {
    mStreak = FIRST_STREAK;
  }
}

namespace {

void* mapPages(size_t bytes, size_t alignment, DWORD pages) {
  MEM_ADDRESS_REQUIREMENTS needs{nullptr, nullptr, alignment};
  MEM_EXTENDED_PARAMETER parameter{};
  parameter.Type = MemExtendedParameterAddressRequirements;
  parameter.Pointer = &needs;
  return VirtualAlloc2(nullptr, nullptr, bytes, MEM_RESERVE | MEM_COMMIT | pages, PAGE_READWRITE,
                       alignment ? &parameter : nullptr, alignment ? 1 : 0);
}

// Learns from one large page mapped, touched and given back on its own: what a block
// of many large pages is mapped with is then settled before it is mapped.
void probeLargePage() {
  void* probe = mapPages(GetLargePageMinimum(), 0, MEM_LARGE_PAGES);
  if (probe == nullptr) return;
  tLearning.learn(firstTouchNs(probe), smallSpanNs());
  VirtualFree(probe, 0, MEM_RELEASE);
}

}  // namespace

void* mapFresh(size_t bytes, size_t alignment) {
  if (fixedPages() != Fixed::No) return mapPages(bytes, alignment, pageFlags());
  const bool probed = bytes >= PROBED_BYTES && pageFlags() != 0 && tLearning.wantsLarge();
  if (probed) probeLargePage();
  const DWORD pages = tLearning.next(pageFlags());
  void* block = mapPages(bytes, alignment, pages);
  if (block != nullptr && pages != 0 && !probed) tLearning.learn(firstTouchNs(block), smallSpanNs());
  return block;
}

// Under AddressSanitizer every block comes from the C library, which it watches: a read
// past a block is then still seen.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kMappedMin = SIZE_MAX;
#else
constexpr size_t kMappedMin = MAPPED_MIN;
#endif

bool mapped(size_t bytes) { return bytes >= kMappedMin; }

void* allocate(size_t bytes) {
  if (bytes < kMappedMin) {
    const size_t rounded = (bytes + 63) / 64 * 64 + (bytes == 0 ? 64 : 0);
    void* p = std::aligned_alloc(64, rounded);
    if (p) std::memset(p, 0, rounded);
    return p;
  }
  return mapFresh(bytes, 0);
}

void release(void* p, size_t bytes) {
  if (p == nullptr) return;
  if (bytes < kMappedMin) std::free(p);
  else VirtualFree(p, 0, MEM_RELEASE);
}

void touchForWrite(void* p, size_t bytes) {
  if (!mapped(bytes)) return;  // from the C library, which has written it (memset)
  auto* page = static_cast<volatile char*>(p);
  for (size_t at = 0; at < bytes; at += ORDINARY_PAGE) page[at] = 0;
}

}  // namespace largeblock
