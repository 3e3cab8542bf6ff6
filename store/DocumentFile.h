// The ".mvt" document file: the sections of its layout, the checks a file must pass
// before anything is allocated for it, and the progress arithmetic of its reader and
// writer. The file itself is written and read by CDataCore::write, read and appendMvt.
//
// Layout (little-endian): the 496-byte DocHeader; R x C cells of 10 bytes, row 0 first;
// then pool entries to the end of the file, each key (8), L (8) and L bytes: the stored
// bytes followed by the 8-byte reference count.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/Cell.h"

namespace docfile {

constexpr uint64_t HEAD_BYTES = sizeof(DocHeader);  // 496
constexpr uint64_t CELL_BYTES = sizeof(Cell);       // 10
constexpr uint64_t ENTRY_HEAD_BYTES = 16;           // key, L
constexpr uint64_t COUNT_BYTES = 8;                 // the count closing every entry

// Where the sections of a checked document lie.
struct Layout {
  uint64_t rows = 0;       // R, fits a signed 32-bit row
  uint64_t cols = 0;       // C, fits a signed 32-bit column
  uint64_t rowBytes = 0;   // C x 10
  uint64_t cellBytes = 0;  // R x C x 10
  uint64_t poolStart = 0;  // 496 + R x C x 10, never beyond the file
  uint64_t fileSize = 0;
};

// Checks a head read from a file of `fileSize` bytes and fills `out`. False when the file
// is shorter than a head, when R or C does not fit a signed 32-bit count, when rows are
// announced without columns (they would cost memory without any byte in the file), or
// when the cells would reach beyond the end of the file.
bool checkHead(const DocHeader& head, uint64_t fileSize, Layout& out);

// Checks the head of one pool entry beginning at `offset`: L at least 8 (room for the
// count) and the whole entry within the file. Key 0 never names a text and is refused.
bool checkEntry(uint64_t key, uint64_t len, uint64_t offset, uint64_t fileSize);

// The reader's progress plan. share = the percent given to the rows (of the 90 after
// the head); rowStep = report after every row that is a multiple of it (0: never);
// poolStep = pool bytes per percent (0: never). Empty sheets, empty pools and any head
// value give finite numbers: nothing is divided by zero or turned from NaN into an int.
struct ReadProgress {
  double share = 0;
  int64_t rowStep = 0;
  int32_t poolStep = 0;
};
// poolBytes is the head's figure, which a damaged file may make anything; it is taken
// within [0, poolSection] (the bytes that really follow the cells).
ReadProgress planReadProgress(uint64_t rows, uint64_t cellBytes, int64_t poolBytes, uint64_t poolSection);

}  // namespace docfile
