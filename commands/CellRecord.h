// A saved cell of an edit command, and the rule by which commands keep the texts of the
// cells they save.
#pragma once
#include <cstdint>

#include "store/Cell.h"
#include "store/DataCore.h"
#include "store/TextMap.h"

// A cell as a command saves it. Flag 0xFF (CELL_FLAG_KEEP) writes back keeping the
// destination's flag byte.
struct __attribute__((packed)) CellRecord {
  int32_t row;
  int32_t col;
  Cell cell;
};
static_assert(sizeof(CellRecord) == 18, "a cell in a record is 18 bytes");

// True when the cell's value may be a text key: every kind but integer and decimal,
// with a non-zero value.
inline bool holdsTextKey(const Cell& cell) {
  return cell.kind != CELL_INT64 && cell.kind != CELL_DOUBLE && cell.value != 0;
}

// Stores the pool bytes under the cell's value in `texts` when the value may be a text
// key and `texts` has no entry under it yet (the empty string when the pool has no such
// key).
inline void keepCellText(const CDataCore& core, const Cell& cell, TextMap& texts) {
  if (!holdsTextKey(cell) || texts.count(cell.value)) return;
  texts.emplace(cell.value, core.poolBytes(cell.value));
}
