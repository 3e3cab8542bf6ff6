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
// ways). The row slabs ask for their pages with it too.
DWORD pageFlags();

// True when a block of `bytes` is mapped from the system (not under AddressSanitizer,
// which watches the C library's blocks only).
bool mapped(size_t bytes);

// `bytes` zero-filled bytes on a 64-byte boundary (a block of 0 bytes is a valid
// non-null block), or null.
void* allocate(size_t bytes);
// Gives back a block of allocate(bytes); null does nothing.
void release(void* p, size_t bytes);

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
