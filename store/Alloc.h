// Row allocations of the sheet, with a fault-injection hook for tests: arm it with n and
// the n-th fallible allocation from then on fails (returns null) once. Shrinking
// reallocations never count and never fail.
#pragma once
#include <cstddef>
#include <cstdint>

struct Cell;

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

// A row-pointer array of `count` entries (contents undefined), or null on failure.
Cell** allocArray(size_t count);
Cell** reallocArray(Cell** array, size_t oldCount, size_t newCount);
void freeArray(Cell** array);

// Test hook: the n-th allocation counted from now fails (1 = the next one); 0 disarms.
void failNth(int64_t n);

}  // namespace rowalloc
