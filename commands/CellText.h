// Display texts of cells read without the cell interface's temporary strings, for the
// operations that read a whole block of cells (sort, delete duplicates, replace), also
// from several threads at once: these readers only read the sheet and its pool.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "store/DataCore.h"

// The text of a pool entry up to its first NUL, pointing into the pool (valid until the
// pool changes); empty for key 0 or an absent key.
std::u16string_view poolTextView(const CDataCore& core, uint64_t key);

// The text DataIntf::getText gives for `cell` at (row, col): a view into the pool for
// the text kinds, else a view of `scratch`, which receives the formatted number or
// date-time.
std::u16string_view cellTextView(const CDataCore& core, int32_t row, int32_t col,
                                 const Cell& cell, std::u16string& scratch);
