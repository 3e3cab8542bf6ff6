#include "store/RowSlab.h"

#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/FileIo.h"
#include "store/LargeBlock.h"

namespace rowslab {
namespace {

// The head of a slab, in its first bytes. `live` counts the blocks handed out
// and not released, plus one while the slab is some thread's current slab, so
// the slab is unmapped exactly when it reaches 0.
struct Slab {
  std::atomic<int64_t> live;
  size_t used;  // bytes carved so far (head included); only the owning thread moves it
};
constexpr size_t HEAD_BYTES = 64;

// One bit per possible slab position in the 47-bit user address space: set
// while a slab is mapped there. 2^25 bits = 4 MiB, touched only where slabs lie.
constexpr int SLAB_SHIFT = 22;
static_assert((size_t(1) << SLAB_SHIFT) == SLAB_BYTES);
constexpr uint64_t POSITIONS = uint64_t(1) << (47 - SLAB_SHIFT);
std::atomic<uint64_t> gMapped[POSITIONS / 64];

uint64_t positionOf(const void* p) { return reinterpret_cast<uintptr_t>(p) >> SLAB_SHIFT; }

bool mapped(uint64_t pos) {
  if (pos >= POSITIONS) return false;
  return (gMapped[pos / 64].load(std::memory_order_acquire) >> (pos % 64)) & 1;
}

void setMapped(uint64_t pos, bool on) {
  uint64_t bit = uint64_t(1) << (pos % 64);
  if (on) gMapped[pos / 64].fetch_or(bit, std::memory_order_release);
  else gMapped[pos / 64].fetch_and(~bit, std::memory_order_release);
}

// SLAB_BYTES of fresh, zero-filled pages on a SLAB_BYTES boundary, or null; on large
// pages where they are cheaper (a slab filled with rows then costs the system two
// faults instead of a thousand).
void* mapAligned() { return largeblock::mapFresh(SLAB_BYTES, SLAB_BYTES); }

// A fresh, zero-filled, SLAB_BYTES-aligned slab, or null.
Slab* mapSlab() {
  void* base = mapAligned();
  if (base == nullptr) return nullptr;
  if (positionOf(base) >= POSITIONS) {
    VirtualFree(base, 0, MEM_RELEASE);
    return nullptr;
  }
  Slab* slab = static_cast<Slab*>(base);
  new (&slab->live) std::atomic<int64_t>(1);  // the current-slab reference
  slab->used = HEAD_BYTES;
  setMapped(positionOf(slab), true);
  return slab;
}

void drop(Slab* slab) {
  if (slab->live.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  setMapped(positionOf(slab), false);
  VirtualFree(slab, 0, MEM_RELEASE);
}

// The calling thread's current slab; its reference goes when the thread ends.
struct Current {
  Slab* slab = nullptr;
  ~Current() {
    if (slab) drop(slab);
  }
};
thread_local Current tCurrent;       // rows
thread_local Current tCurrentBlock;  // blocks, apart from rows so that they pack whole slabs

}  // namespace

namespace {

// `bytes` from the calling thread's current slab `current`, starting at a multiple of
// `align`.
void* carve(Current& current, size_t bytes, size_t align) {
  Slab* slab = current.slab;
  if (!slab || (slab->used + align - 1) / align * align + bytes > SLAB_BYTES) {
    Slab* fresh = mapSlab();
    if (!fresh) return nullptr;
    if (slab) drop(slab);
    current.slab = slab = fresh;
  }
  slab->used = (slab->used + align - 1) / align * align;
  char* p = reinterpret_cast<char*>(slab) + slab->used;
  slab->used += bytes;
  slab->live.fetch_add(1, std::memory_order_relaxed);
  return p;  // never handed out before: still zero from the mapping
}

}  // namespace

void* allocate(size_t bytes) {
  assert(bytes > 0 && bytes <= SLAB_ROW_LIMIT);
  return carve(tCurrent, bytes, 1);
}

void* allocateBlock(size_t bytes) {
  assert(bytes > 0 && bytes <= SLAB_BLOCK_LIMIT);
  return carve(tCurrentBlock, bytes, 64);
}

bool owns(const void* p) { return p && mapped(positionOf(p)); }

void release(void* p) {
  assert(owns(p));
  uintptr_t base = reinterpret_cast<uintptr_t>(p) & ~(uintptr_t(SLAB_BYTES) - 1);
  drop(reinterpret_cast<Slab*>(base));
}

}  // namespace rowslab
