// The walks of find and count over a sheet: cells in reading order (row by row, columns
// from 1), compared by a prepared FindPattern, fanned out over threads in batches of rows
// so that a match near the start costs one batch and a match at the end costs a pass at
// the speed of all cores.
#pragma once
#include <cstdint>

#include "grid/FindPattern.h"

// A cell position in reading order: row * column count + column (column 0 is never
// searched).
using CellIndex = int64_t;

struct FindHit {
  RegexStatus status = RegexStatus::NoMatch;  // Match: the cell; Limit: where the engine gave up
  int32_t row = 0;
  int32_t col = 0;
};

// The first matching cell of [first, end) in reading order (forward), or the last of
// [first, end) (backward, searching from end - 1 down to first). A Limit met before any
// match ends the walk there.
FindHit findCell(const CDataCore& core, const FindPattern& pattern, CellIndex first, CellIndex end, bool forward);

struct CountResult {
  int64_t count = 0;
  FindHit limit;  // status Limit and the cell when the engine gave up (the count is then partial)
};
// Counts the matching cells of rows 1 .. row count - 1, columns 1 .. column count - 1.
CountResult countCells(const CDataCore& core, const FindPattern& pattern);
