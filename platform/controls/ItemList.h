// The items of a list box or of a combo box's list: texts with a data value,
// kept in the order added or sorted (ASCII case ignored, equal texts in the
// order added), and the searches LB_/CB_FINDSTRING(EXACT) make.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace platform::controls {

struct Item {
  std::u16string text;
  LONG_PTR data = 0;
};

class ItemList {
 public:
  bool sorted = false;
  std::vector<Item> items;

  int count() const { return static_cast<int>(items.size()); }
  bool valid(long long i) const { return i >= 0 && i < count(); }
  // Adds at the end, or at the sorted place; returns the index.
  int add(std::u16string text);
  // Inserts before `index` (-1: at the end) whatever the sorting; -1 when
  // the index is past the end.
  int insert(long long index, std::u16string text);
  bool erase(long long index);
  void clear() { items.clear(); }
  // The first item after `start` (wrapping round to it; start -1 or out of
  // range searches from the first) equal to `text` (exact) or beginning with
  // it, ASCII case ignored; -1 when none.
  int find(long long start, std::u16string_view text, bool exact) const;
};

// A selected index `sel` (-1: none) after item `index` was inserted (delta +1)
// or removed (delta -1): removing the selected item leaves no selection.
inline void shiftSelection(int& sel, int index, int delta) {
  if (sel < 0) return;
  if (delta < 0 && sel == index) sel = -1;
  else if (sel >= index) sel += delta;
}

}  // namespace platform::controls
