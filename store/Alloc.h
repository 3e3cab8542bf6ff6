// Row allocations of the sheet, and the store's one allocation-failure hook for tests:
// arm it with n and the n-th fallible allocation from then on fails once, as it would
// for want of memory. It counts the rows and row arrays (which then return null), the
// string pool's arena chunks, tables and compaction, KeyCounts tables and the document
// reader's recount buffers, the block buffers of the readers and writers and the
// document reader's pool blocks (which throw std::bad_alloc). Shrinking reallocations never count and never fail.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>

struct Cell;

namespace allocfail {

// What an allocation is, so that a test may count only some kinds.
enum Kind : unsigned {
  ROWS = 1,     // rows and row arrays of the sheet
  POOL = 2,     // the string pool: arena chunks, tables, compaction
  COUNTS = 4,   // KeyCounts tables, the document reader's recount buffers
  BUFFERS = 8,  // block buffers of readers and writers, the document reader's blocks
  ALL = 15,
};

// Test hook: the n-th allocation of the given kinds counted from now fails (1 = the
// next one); 0 disarms.
void failNth(int64_t n, unsigned kinds = ALL);
// True while the hook is armed and its failure has not come yet.
bool armed();
// Counts one fallible allocation of `kind`; true when the armed hook makes it fail.
bool inject(Kind kind);
// Throws std::bad_alloc when inject(kind) says so.
inline void check(Kind kind) {
  if (inject(kind)) throw std::bad_alloc();
}

// Holds the hook off while it lives, the count kept: the debug builds' self-checks
// allocate too, and must neither fail nor move the count.
class Suspended {
 public:
  Suspended();
  ~Suspended();
  Suspended(const Suspended&) = delete;
  Suspended& operator=(const Suspended&) = delete;

 private:
  int64_t mLeft;
  unsigned mKinds;
};

}  // namespace allocfail

namespace rowalloc {

// A zero-filled row of `cells` cells (a row of 0 cells is a valid non-null block), or
// null when the allocation fails.
Cell* allocRow(size_t cells);
// Resizes a row, zero-filling the cells added; null (old row untouched) on failure.
Cell* reallocRow(Cell* row, size_t oldCells, size_t newCells);
void freeRow(Cell* row);
// The memory a row of `cells` cells holds: its cells exactly for a slab row, the
// C library's block and head otherwise.
size_t rowFootprint(const Cell* row, size_t cells);

// A row-pointer array of `count` entries (contents undefined), or null on failure. A
// large one lies on large pages where the system has them, and a grown one keeps room
// to grow in place. Only these three functions may make, resize or free one.
Cell** allocArray(size_t count);
Cell** reallocArray(Cell** array, size_t oldCount, size_t newCount);
void freeArray(Cell** array);

// The hook counting row allocations only (allocfail::failNth(n, allocfail::ROWS)).
inline void failNth(int64_t n) { allocfail::failNth(n, allocfail::ROWS); }

}  // namespace rowalloc
