#include "platform/controls/ItemList.h"

#include <algorithm>

#include "platform/controls/ControlBase.h"

namespace platform::controls {

int ItemList::add(std::u16string text) {
  if (!sorted) {
    items.push_back(Item{std::move(text), 0});
    return count() - 1;
  }
  auto at = std::upper_bound(items.begin(), items.end(), text,
                             [](const std::u16string& t, const Item& it) { return compareNoCase(t, it.text) < 0; });
  int index = static_cast<int>(at - items.begin());
  items.insert(at, Item{std::move(text), 0});
  return index;
}

int ItemList::insert(long long index, std::u16string text) {
  if (index < 0) index = count();
  if (index > count()) return -1;
  items.insert(items.begin() + index, Item{std::move(text), 0});
  return static_cast<int>(index);
}

bool ItemList::erase(long long index) {
  if (!valid(index)) return false;
  items.erase(items.begin() + index);
  return true;
}

int ItemList::find(long long start, std::u16string_view text, bool exact) const {
  int n = count();
  if (n == 0) return -1;
  long long first = valid(start) ? start + 1 : 0;
  for (int k = 0; k < n; ++k) {
    int i = static_cast<int>((first + k) % n);
    const std::u16string& t = items[static_cast<size_t>(i)].text;
    if (exact ? equalNoCase(t, text) : startsWithNoCase(t, text)) return i;
  }
  return -1;
}

}  // namespace platform::controls
