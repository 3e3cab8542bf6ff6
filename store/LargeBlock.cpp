#include "store/LargeBlock.h"

#include <cstdlib>

#include "platform/FileIo.h"

namespace largeblock {

DWORD pageFlags() {
  static const DWORD pages = std::getenv("MORVEL_SMALL_PAGES") ? 0 : MEM_LARGE_PAGES;
  return pages;
}

void* allocate(size_t bytes) {
  if (bytes < MAPPED_MIN) return std::calloc(1, bytes ? bytes : 1);
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT | pageFlags(), PAGE_READWRITE);
}

void release(void* p, size_t bytes) {
  if (p == nullptr) return;
  if (bytes < MAPPED_MIN)
    std::free(p);
  else
    VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace largeblock
