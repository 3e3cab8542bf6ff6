// Slabs for the sheet's rows. A sheet of millions of narrow rows would pay the
// C library's 8-byte header and 16-byte rounding on every row (about 3.6 bytes
// per cell for 10 columns), so small rows are carved instead, back to back and
// unaligned (cells are packed), from 4 MiB slabs mapped from the system.
//
// A slab is bump-allocated by one thread at a time (its current slab) and never
// reuses the space of a freed row; it is unmapped when its last row is freed
// and no thread still carves from it. Rows of more than SLAB_ROW_LIMIT bytes
// come from the C library. owns() tells the two apart by address. The string pool
// carves its arena chunks from slabs too (allocateBlock), so that they share the
// slabs' large pages.
#pragma once
#include <cstddef>

namespace rowslab {

constexpr size_t SLAB_BYTES = size_t(4) << 20;      // slab size and alignment
constexpr size_t SLAB_ROW_LIMIT = SLAB_BYTES / 16;  // larger rows go to the C library

// The largest block of allocateBlock: four of them fill a slab after its head.
constexpr size_t SLAB_BLOCK_LIMIT = SLAB_BYTES / 4 - 64;

// A zero-filled block of `bytes` (1..SLAB_ROW_LIMIT) from the calling thread's
// current slab, or null when no slab can be mapped.
void* allocate(size_t bytes);
// The same for a block of the store's other large structures (the string pool's
// arena chunks): 1..SLAB_BLOCK_LIMIT bytes on a 64-byte boundary.
void* allocateBlock(size_t bytes);
// True when `p` was handed out by allocate() and not yet released.
bool owns(const void* p);
// Gives a block back; its slab goes when it holds no live block.
void release(void* p);

}  // namespace rowslab
