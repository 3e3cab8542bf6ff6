// Large scratch blocks of the store and the commands (the keys of a sort, their merge
// buffer): zero-filled pages asked for on large pages where the system has them (a block
// of hundreds of megabytes then costs the system a few hundred faults instead of tens of
// thousands), ordinary pages otherwise. Small blocks come from the C library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "platform/WinTypes.h"

namespace largeblock {

// Blocks of at least this many bytes are mapped from the system.
constexpr size_t MAPPED_MIN = size_t(1) << 20;

// MEM_LARGE_PAGES, or 0 when the environment sets MORVEL_SMALL_PAGES (to measure both
// ways): the pages fresh blocks are asked for with, before mapFresh's learning.
DWORD pageFlags();

// `bytes` of fresh zero-filled pages starting on a multiple of `alignment` (a power of
// two; 0 for no more than the system's), or null; given back with VirtualFree. The row
// slabs and the mapped blocks below come from here.
//
// Large pages usually cost a fraction of the faults of ordinary ones, but not always: a
// virtual machine that has handed its free memory back to its host makes a fresh large
// page cost several times the ordinary pages it replaces, while memory freed a moment
// ago is cheap either way, and both kinds can be met within one load. So each thread
// learns as it goes: a block on large pages has its first page touched here and timed
// against what the same span of ordinary pages costs on this machine (measured once per
// process); when the large page was dearer, the thread's next blocks are mapped on
// ordinary pages (16 of them, twice as many each time large pages are found dear again
// in a row) before large pages are tried again. A block of PROBED_BYTES or more is
// settled before it is mapped, by a large page mapped and touched on its own (the one
// page a block that size could only learn from would be its own first). Under
// MORVEL_SMALL_PAGES or MORVEL_LARGE_PAGES nothing is learned: every block takes the
// pages named.
void* mapFresh(size_t bytes, size_t alignment);
constexpr size_t PROBED_BYTES = size_t(64) << 20;

// What one thread has learned of large pages, as mapFresh uses it.
class PageLearning {
 public:
  static constexpr uint32_t FIRST_STREAK = 16, LAST_STREAK = 1024;
  // The pages of the next block, of `allowed` (pageFlags()).
  DWORD next(DWORD allowed);
  // True when next() would give large pages (where allowed).
  bool wantsLarge() const { return mSmallLeft == 0; }
  // The first page of a block on large pages took `tookNs`; the same span of ordinary
  // pages takes `smallNs`.
  void learn(int64_t tookNs, int64_t smallNs);

 private:
  uint32_t mSmallLeft = 0;          // blocks still to map on ordinary pages
  uint32_t mStreak = FIRST_STREAK;  // ordinary blocks after the next dear large page
};

// True when a block of `bytes` is mapped from the system (not under AddressSanitizer,
// which watches the C library's blocks only).
bool mapped(size_t bytes);

// `bytes` zero-filled bytes on a 64-byte boundary (a block of 0 bytes is a valid
// non-null block), or null.
void* allocate(size_t bytes);
// Gives back a block of allocate(bytes); null does nothing.
void release(void* p, size_t bytes);

// Writes a zero on every page of a fresh block of allocate(bytes). For a block that is
// read before it is written (a hash table's probes): a fresh page that is read first is
// mapped to the system's shared zero page, and the write that follows then costs a second
// fault and a flush of every processor's address cache. The contents stay zero.
void touchForWrite(void* p, size_t bytes);

// A fixed-size array of `count` zero-filled elements of a trivially copyable type.
// Throws std::bad_alloc when the block cannot be had.
template <class T>
class Array {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  explicit Array(size_t count) : mCount(count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    mData = static_cast<T*>(allocate(count * sizeof(T)));
    if (mData == nullptr) throw std::bad_alloc();
  }
  ~Array() { release(mData, mCount * sizeof(T)); }
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;

  T* data() { return mData; }
  size_t size() const { return mCount; }
  T& operator[](size_t i) { return mData[i]; }

 private:
  T* mData;
  size_t mCount;
};

}  // namespace largeblock
