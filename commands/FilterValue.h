// The one rule by which the column filter tells values apart: the filter popup lists a
// column's values by it and the filter command keeps the rows whose value was ticked by
// it, so what the popup shows as two values is never one value to the command.
// - Integers, date-times and decimals are numbers, taken at their exact value: an integer
//   and a decimal of equal value are one value, while integers beyond 2^53 (which a double
//   cannot tell apart) stay distinct.
// - A cell of kind 3 (value handler) goes by the text key of its displayed text; the
//   popup does not list it.
// - Every other cell (texts, scripts, formulas, the empty cell) goes by its stored value.
#pragma once
#include <cstdint>
#include <limits>
#include <set>

#include "store/Cell.h"

// A long double holds every 64-bit integer and every double exactly.
static_assert(std::numeric_limits<long double>::digits >= 64, "filter numbers need a 64-bit mantissa");

enum FilterMatch : uint8_t {
  FILTER_BY_NUMBER = 0,      // filterNumberOf(cell)
  FILTER_BY_SHOWN_TEXT = 1,  // textKey of the cell's displayed text
  FILTER_BY_KEY = 2,         // cell.value
};

FilterMatch filterMatchOf(const Cell& cell);

// The exact value of a number cell (FILTER_BY_NUMBER); every NaN reads as the same NaN.
long double filterNumberOf(const Cell& cell);

// Numbers in a total order: NaN is one value, before every other; -0 and +0 are one value.
struct FilterNumberOrder {
  bool operator()(long double a, long double b) const {
    const bool nanA = a != a, nanB = b != b;
    if (nanA || nanB) return nanA && !nanB;
    return a < b;
  }
};

// The ticked numbers handed to the filter command.
using FilterNumbers = std::set<long double, FilterNumberOrder>;
