// How a text typed into a cell becomes its value: '=' first gives a formula,
// numberKind 1 an integer (_wtoi64), 2 a double (wcstod), anything else a text.
#pragma once
#include <cstdint>
#include <string_view>

#include "store/Cell.h"
#include "store/NumberText.h"

// The cell of numberValue's result `kind` with its values: true with `cell`'s
// kind and value set for 1 and 2, false (cell untouched) for a text.
inline bool numberCell(int kind, int64_t i, double d, Cell& cell) {
  switch (kind) {  // the values of _wtoi64 and wcstod
    case 1:
      cell.kind = CELL_INT64;
      cell.value = static_cast<uint64_t>(i);
      return true;
    case 2:
      cell.kind = CELL_DOUBLE;
      cell.setDoubleBits(d);
      return true;
    default: return false;
  }
}

// The value (kind and value, flag 0) that `text`, which holds no NUL, gives a
// cell. Formulas and texts take their key from intern(text), which returns it
// with one more reference taken; the empty text is an empty cell.
template <class Intern>
Cell typedCellOf(std::u16string_view text, Intern&& intern) {
  Cell typed{CELL_TEXT, 0, 0};
  if (text.empty()) return typed;
  if (text[0] == u'=') {
    typed.kind = CELL_FORMULA;
    typed.value = intern(text);
    return typed;
  }
  int64_t i = 0;
  double d = 0;
  const int kind = numberValue(text, i, d);
  if (!numberCell(kind, i, d, typed)) typed.value = intern(text);
  return typed;
}
