// The key under which a compiled exprtk script is kept for reuse (see ExprtkCache.h):
// the text with every reference replaced by its distance from the running cell, its
// letter case, kind, whether it is bound and its range size, and the sheet's bounds. A
// reference that the scanner found inside a number or string literal (the e1 of 1e1) is
// kept as written: it is part of the literal's value.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "script/ExprtkBinding.h"

// False when the text must be compiled afresh each time: it declares local variables
// (exprtk keeps an uninitialised one's value between evaluations), holds the key's
// marker bytes, or names a reference that could not be shifted safely (more than two
// column letters, mixed letter case, a leading zero in its row).
bool exprtkCacheKey(const std::string& text, const std::vector<BoundRef>& refs, int32_t row, int32_t col,
                    int32_t lastRow, int32_t lastCol, std::string& key);
