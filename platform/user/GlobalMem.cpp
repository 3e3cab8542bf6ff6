// Global memory blocks: each handle is the block's address; the blocks that
// exist are recorded so that a stale or foreign handle fails cleanly.
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "platform/user/Clipboard.h"

namespace {

struct Blocks {
  std::mutex mutex;
  std::unordered_map<void*, SIZE_T> sizes;
};

Blocks& blocks() {
  static auto* b = new Blocks;
  return *b;
}

std::atomic<int> gFailingAllocs{0};

// Takes one of the failures a test asked for.
bool failThisAlloc() {
  int left = gFailingAllocs.load();
  while (left > 0)
    if (gFailingAllocs.compare_exchange_weak(left, left - 1)) return true;
  return false;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (failThisAlloc()) return nullptr;
  void* p = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (!p) return nullptr;
  Blocks& b = blocks();
  std::lock_guard<std::mutex> lock(b.mutex);
  b.sizes[p] = bytes;
  return static_cast<HGLOBAL>(p);
}

HGLOBAL GlobalFree(HGLOBAL block) {
  Blocks& b = blocks();
  std::lock_guard<std::mutex> lock(b.mutex);
  auto it = b.sizes.find(block);
  if (it == b.sizes.end()) return block;
  b.sizes.erase(it);
  std::free(block);
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL block) {
  Blocks& b = blocks();
  std::lock_guard<std::mutex> lock(b.mutex);
  return b.sizes.count(block) ? static_cast<LPVOID>(block) : nullptr;
}

BOOL GlobalUnlock(HGLOBAL block) {
  (void)block;
  return FALSE;  // no lock count is kept: every block stays at its address
}

SIZE_T GlobalSize(HGLOBAL block) {
  Blocks& b = blocks();
  std::lock_guard<std::mutex> lock(b.mutex);
  auto it = b.sizes.find(block);
  return it == b.sizes.end() ? 0 : it->second;
}

void platform::failGlobalAllocs(int count) { gFailingAllocs.store(count > 0 ? count : 0); }
