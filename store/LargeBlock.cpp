#include "store/LargeBlock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/FileIo.h"

namespace largeblock {

DWORD pageFlags() {
  static const DWORD pages = std::getenv("MORVEL_SMALL_PAGES") ? 0 : MEM_LARGE_PAGES;
  return pages;
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
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT | pageFlags(), PAGE_READWRITE);
}

void release(void* p, size_t bytes) {
  if (p == nullptr) return;
  if (bytes < kMappedMin) std::free(p);
  else VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace largeblock
