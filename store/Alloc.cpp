#include "store/Alloc.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/Crt.h"
#include "store/Cell.h"
#include "store/LargeBlock.h"
#include "store/RowSlab.h"

namespace allocfail {
namespace {

std::atomic<int64_t> gFailCountdown{0};  // > 0: allocations left until the failing one
std::atomic<unsigned> gKinds{ALL};       // the kinds counted

}  // namespace

void failNth(int64_t n, unsigned kinds) {
  gKinds.store(kinds, std::memory_order_relaxed);
  gFailCountdown.store(n > 0 ? n : 0, std::memory_order_relaxed);
}

Suspended::Suspended()
    : mLeft(gFailCountdown.exchange(0, std::memory_order_relaxed)), mKinds(gKinds.load(std::memory_order_relaxed)) {
}

Suspended::~Suspended() { failNth(mLeft, mKinds); }

bool armed() { return gFailCountdown.load(std::memory_order_relaxed) > 0; }

bool inject(Kind kind) {
  int64_t left = gFailCountdown.load(std::memory_order_relaxed);
  if (left <= 0 || (gKinds.load(std::memory_order_relaxed) & kind) == 0) return false;
  while (left > 0) {
    if (gFailCountdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) return left == 1;
  }
  return false;
}

}  // namespace allocfail

namespace rowalloc {
namespace {

bool injectedFailure() { return allocfail::inject(allocfail::ROWS); }

// n * size, or 0 with `overflow` set when it does not fit in size_t.
size_t bytesFor(size_t n, size_t size, bool& overflow) {
  size_t bytes;
  overflow = __builtin_mul_overflow(n, size, &bytes);
  return bytes;
}

// Small rows come from slabs, except under AddressSanitizer, which can then
// still see a write past the end of a row.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSlabs = false;
#else
constexpr bool kSlabs = true;
#endif

// A zero-filled block for a row of `bytes`, or null.
void* rowBlock(size_t bytes) {
  if (kSlabs && bytes <= rowslab::SLAB_ROW_LIMIT) {
    if (bytes == 0) bytes = 1;
    return rowslab::allocate(bytes);
  }
  return std::calloc(bytes ? bytes : 1, 1);
}

}  // namespace

Cell* allocRow(size_t cells) {
  if (injectedFailure()) return nullptr;
  bool overflow;
  size_t bytes = bytesFor(cells, sizeof(Cell), overflow);
  if (overflow) return nullptr;
  return static_cast<Cell*>(rowBlock(bytes));
}

Cell* reallocRow(Cell* row, size_t oldCells, size_t newCells) {
  if (rowslab::owns(row)) {
    // Slab rows do not grow in place: a shrunk one keeps its block, a grown one moves.
    if (newCells <= oldCells) return row;
    if (injectedFailure()) return nullptr;
    bool overflow;
    size_t bytes = bytesFor(newCells, sizeof(Cell), overflow);
    if (overflow) return nullptr;
    Cell* grown = static_cast<Cell*>(rowBlock(bytes));
    if (!grown) return nullptr;
    std::memcpy(grown, row, oldCells * sizeof(Cell));
    rowslab::release(row);
    return grown;
  }
  if (newCells <= oldCells) {
    // Shrinking always succeeds: on a null result the old block is still good.
    void* p = std::realloc(row, newCells ? newCells * sizeof(Cell) : 1);
    return p ? static_cast<Cell*>(p) : row;
  }
  if (injectedFailure()) return nullptr;
  bool overflow;
  size_t bytes = bytesFor(newCells, sizeof(Cell), overflow);
  if (overflow) return nullptr;
  void* p = std::realloc(row, bytes);
  if (!p) return nullptr;
  std::memset(static_cast<char*>(p) + oldCells * sizeof(Cell), 0, (newCells - oldCells) * sizeof(Cell));
  return static_cast<Cell*>(p);
}

void freeRow(Cell* row) {
  if (rowslab::owns(row)) rowslab::release(row);
  else std::free(row);
}

size_t rowFootprint(const Cell* row, size_t cells) {
  if (rowslab::owns(row)) return cells ? cells * sizeof(Cell) : 1;
  return _msize(const_cast<Cell*>(row)) + sizeof(size_t);
}

namespace {

// A row array is a large block (largeblock: on large pages where it is mapped) led by
// a head that keeps its room, so that a mapped array grows in place into the room that
// its growth left (half as much again), and is copied only when that is used up.
struct alignas(64) ArrayHead {
  size_t room;  // bytes for entries behind the head
};
constexpr size_t ARRAY_HEAD = sizeof(ArrayHead);

ArrayHead* headOf(Cell** array) {
  return reinterpret_cast<ArrayHead*>(reinterpret_cast<char*>(array) - ARRAY_HEAD);
}

// An array with room for `room` bytes of entries, or null.
Cell** makeArray(size_t room) {
  if (room > SIZE_MAX - ARRAY_HEAD) return nullptr;
  void* block = largeblock::allocate(ARRAY_HEAD + room);
  if (!block) return nullptr;
  static_cast<ArrayHead*>(block)->room = room;
  return reinterpret_cast<Cell**>(static_cast<char*>(block) + ARRAY_HEAD);
}

void dropArray(Cell** array) {
  ArrayHead* head = headOf(array);
  largeblock::release(head, ARRAY_HEAD + head->room);
}

// The room a growing array of `bytes` gets: slack only where the block is mapped (the
// pages of the slack are not touched until used).
size_t grownRoom(size_t bytes) {
  const size_t slack = bytes / 2;
  return largeblock::mapped(ARRAY_HEAD + bytes) && bytes <= SIZE_MAX - ARRAY_HEAD - slack ? bytes + slack : bytes;
}

}  // namespace

Cell** allocArray(size_t count) {
  if (injectedFailure()) return nullptr;
  bool overflow;
  size_t bytes = bytesFor(count, sizeof(Cell*), overflow);
  if (overflow) return nullptr;
  return makeArray(bytes);
}

Cell** reallocArray(Cell** array, size_t oldCount, size_t newCount) {
  if (array == nullptr) oldCount = 0;
  if (newCount <= oldCount) {
    // Shrinking always succeeds; a mapped array left mostly empty moves to a smaller
    // block when one can be had.
    if (array == nullptr) return makeArray(0);
    const size_t bytes = newCount * sizeof(Cell*);
    const size_t room = headOf(array)->room;
    if (largeblock::mapped(ARRAY_HEAD + room) && bytes < room / 4) {
      if (Cell** smaller = makeArray(bytes)) {
        std::memcpy(smaller, array, bytes);
        dropArray(array);
        return smaller;
      }
    }
    return array;
  }
  if (injectedFailure()) return nullptr;
  bool overflow;
  size_t bytes = bytesFor(newCount, sizeof(Cell*), overflow);
  if (overflow) return nullptr;
  if (array != nullptr && bytes <= headOf(array)->room) return array;
  Cell** grown = makeArray(grownRoom(bytes));
  if (!grown) return nullptr;
  if (array != nullptr) {
    std::memcpy(grown, array, oldCount * sizeof(Cell*));
    dropArray(array);
  }
  return grown;
}

void freeArray(Cell** array) {
  if (array != nullptr) dropArray(array);
}

}  // namespace rowalloc
