#include "commands/FilterValue.h"

#include <limits>

FilterMatch filterMatchOf(const Cell& cell) {
  switch (cell.kind) {
    case CELL_INT64:
    case CELL_DOUBLE:
    case CELL_DATETIME: return FILTER_BY_NUMBER;
    case CELL_HANDLER: return FILTER_BY_SHOWN_TEXT;
    default: return FILTER_BY_KEY;
  }
}

long double filterNumberOf(const Cell& cell) {
  if (cell.kind != CELL_DOUBLE) return static_cast<long double>(cell.asInt64());
  const double d = cell.asDouble();
  if (d != d) return std::numeric_limits<long double>::quiet_NaN();
  return static_cast<long double>(d);
}
