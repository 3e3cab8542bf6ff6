#include "grid/FilterValues.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>

#include "commands/FilterValue.h"
#include "commands/ParallelSort.h"
#include "platform/AsciiCase.h"
#include "platform/Crt.h"
#include "store/NumberText.h"
#include "store/Parallel.h"
#include "store/StringPool.h"
#include "store/TextKey.h"

namespace {

// What a cell is listed by.
enum ValueClass : uint8_t { VALUE_INTEGER = 0, VALUE_DECIMAL = 1, VALUE_TEXT = 2 };

// One distinct value found: its class and key (an integer, a double's bits, a text key).
struct ValueSlot {
  uint64_t key = 0;
  int32_t firstRow = 0;  // 0: the slot is free
  uint32_t count = 0;
  uint8_t cls = 0;
  uint8_t checked = 0;
};

uint64_t mix(uint64_t x) { return StringPool::mixKey(x); }

// An open-addressing table of the values of one hash partition.
class ValueTable {
 public:
  ValueTable() : mSlots(1024) {}
  ValueSlot& find(uint64_t key, uint8_t cls, uint64_t hash) {
    if ((mUsed + 1) * 2 > mSlots.size()) grow();
    size_t mask = mSlots.size() - 1;
    for (size_t i = size_t(hash) & mask;; i = (i + 1) & mask) {
      ValueSlot& s = mSlots[i];
      if (s.firstRow == 0) {
        ++mUsed;
        s.key = key;
        s.cls = cls;
        return s;
      }
      if (s.key == key && s.cls == cls) return s;
    }
  }
  const std::vector<ValueSlot>& slots() const { return mSlots; }
  size_t used() const { return mUsed; }

 private:
  void grow() {
    std::vector<ValueSlot> old(mSlots.size() * 2);
    old.swap(mSlots);
    const size_t mask = mSlots.size() - 1;
    for (const ValueSlot& s : old) {
      if (s.firstRow == 0) continue;
      size_t i = size_t(mix(s.key ^ s.cls)) & mask;
      while (mSlots[i].firstRow != 0) i = (i + 1) & mask;
      mSlots[i] = s;
    }
  }
  std::vector<ValueSlot> mSlots;
  size_t mUsed = 0;
};

// The class and key of a cell, false for a cell that is counted but not listed (kind 3).
// Integers, date-times and integral decimals within the 64-bit range are integers, so
// equal numbers meet in one item and large integers never round into each other.
// Two cells get the same class and key exactly when the filter command takes them for
// the same value (FilterValue.h).
bool classify(const Cell& cell, uint8_t& cls, uint64_t& key) {
  switch (filterMatchOf(cell)) {
    case FILTER_BY_SHOWN_TEXT: return false;
    case FILTER_BY_KEY: cls = VALUE_TEXT, key = cell.value; return true;
    case FILTER_BY_NUMBER: break;
  }
  if (cell.kind != CELL_DOUBLE) {
    cls = VALUE_INTEGER, key = cell.value;
    return true;
  }
  double d = cell.asDouble();
  if (d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
    cls = VALUE_INTEGER, key = static_cast<uint64_t>(static_cast<int64_t>(d));
  } else {
    if (d != d) d = std::numeric_limits<double>::quiet_NaN();  // one NaN
    cls = VALUE_DECIMAL;
    std::memcpy(&key, &d, sizeof key);
  }
  return true;
}

// Numeric order of an integer or decimal slot (exact: long double holds every int64).
long double numericValue(const ValueSlot& s) {
  if (s.cls == VALUE_INTEGER) return static_cast<long double>(static_cast<int64_t>(s.key));
  double d;
  std::memcpy(&d, &s.key, sizeof d);
  return d;
}

// The rows the popup examines, as the filter command does: below the area's header row,
// or rows 2 on for whole columns.
void examinedRows(const CDataCore& core, int64_t& first, int64_t& last) {
  const Range& area = core.mFilter.mRange;
  const int64_t rows = static_cast<int64_t>(core.mRowCount);
  first = area.top + 1, last = area.bottom;
  if (area.top == 0) first = 2, last = rows - 1;
  if (area.top < 0 || area.left < 0) first = 1, last = 0;
  first = std::max<int64_t>(first, 1);
  last = std::min(last, rows - 1);
}

}  // namespace

namespace {

// What the first pass notes of one examined row.
enum RowNote : uint8_t {
  ROW_LEFT_OUT = 0,     // hidden by another column or by the user
  ROW_NOT_LISTED = 1,   // counted, but its kind is not listed
  ROW_SHOWN = 2,        // counted and listed
  ROW_HIDDEN_HERE = 3,  // counted and listed, hidden by this column
};

// Texts in code-unit order, the smaller key first among equal texts. The first eight
// units, packed high unit first (0 past the end), decide most comparisons without
// reaching into the pool.
struct NamedValue {
  uint64_t head0 = 0, head1 = 0;
  std::u16string_view text;
  const ValueSlot* slot = nullptr;
};

NamedValue named(std::u16string_view text, const ValueSlot* slot) {
  NamedValue n{0, 0, text, slot};
  for (size_t i = 0; i < 8; ++i) {
    const uint64_t unit = i < text.size() ? text[i] : 0;
    (i < 4 ? n.head0 : n.head1) |= unit << (16 * (3 - (i & 3)));
  }
  return n;
}

bool namedLess(const NamedValue& a, const NamedValue& b) {
  if (a.head0 != b.head0) return a.head0 < b.head0;
  if (a.head1 != b.head1) return a.head1 < b.head1;
  const int c = a.text.size() > 8 || b.text.size() > 8
                    ? a.text.substr(std::min<size_t>(8, a.text.size()))
                          .compare(b.text.substr(std::min<size_t>(8, b.text.size())))
                    : 0;
  return c < 0 || (c == 0 && a.slot->key < b.slot->key);
}

}  // namespace

void buildFilterValueList(const CDataCore& core, uint64_t headerKey, std::vector<ListItem2>& items,
                          FilterTexts* texts_) {
  items.clear();
  const int32_t col = posCol(headerKey);
  auto found = core.mFilter.mColumns.find(headerKey);
  const std::unordered_set<int32_t>* own = found == core.mFilter.mColumns.end() ? nullptr : &found->second.rows;
  int64_t first, last;
  examinedRows(core, first, last);
  if (core.mColCount == 0) last = first - 1;
  const bool inside = col >= 0 && static_cast<uint64_t>(col) < core.mColCount;
  const size_t span = last >= first ? size_t(last - first + 1) : 0;

  // First pass, rows in chunks: each examined row's value (class in the note's high bits).
  std::vector<uint64_t> keys(span);
  std::vector<uint8_t> notes(span);
  const unsigned chunks = threadCount(span, 65536);
  std::vector<uint64_t> countedIn(chunks, 0);
  std::vector<uint8_t> hiddenIn(chunks, 0);
  parallelChunks(span, chunks, [&](unsigned part, size_t from, size_t to) {
    uint64_t rowsCounted = 0;
    bool hiddenSeen = false;
    for (size_t i = from; i < to; ++i) {
      const int64_t r = first + int64_t(i);
      const Cell* cells = core.mDatas[r];
      uint8_t note = ROW_SHOWN;
      if (cells[0].flag != 0) {
        if (!own || !own->count(int32_t(r))) {
          notes[i] = ROW_LEFT_OUT;
          continue;
        }
        note = ROW_HIDDEN_HERE;
        hiddenSeen = true;
      }
      ++rowsCounted;
      uint8_t cls = 0;
      if (!classify(inside ? cells[col] : core.mEmptyCell, cls, keys[i])) note = ROW_NOT_LISTED;
      notes[i] = uint8_t(note | cls << 2);
    }
    countedIn[part] = rowsCounted;
    hiddenIn[part] = hiddenSeen;
  });

  // Second pass: every thread reads all notes and keeps the values of its own hash
  // partition, so each value is counted by one thread in row order and nothing merges.
  const unsigned parts = threadCount(span, 65536);
  std::vector<ValueTable> tables(parts);
  parallelChunks(parts, parts, [&](unsigned, size_t from, size_t to) {
    for (size_t part = from; part < to; ++part) {
      ValueTable& table = tables[part];
      for (size_t i = 0; i < span; ++i) {
        const uint8_t note = notes[i] & 3;
        if (note < ROW_SHOWN) continue;
        const uint8_t cls = notes[i] >> 2;
        const uint64_t hash = mix(keys[i] ^ cls);
        if ((hash >> 40) % parts != part) continue;
        ValueSlot& slot = table.find(keys[i], cls, hash);
        if (slot.firstRow == 0) {
          slot.firstRow = int32_t(first + int64_t(i));
          slot.checked = note != ROW_HIDDEN_HERE;
        }
        ++slot.count;
      }
    }
  });
  std::vector<uint64_t>().swap(keys);
  std::vector<uint8_t>().swap(notes);

  std::vector<ValueSlot> numbers, texts;
  for (const ValueTable& t : tables)
    for (const ValueSlot& s : t.slots())
      if (s.firstRow != 0) (s.cls == VALUE_TEXT ? texts : numbers).push_back(s);
  parallelStableSort(numbers, [](const ValueSlot& a, const ValueSlot& b) {
    const long double x = numericValue(a), y = numericValue(b);
    return x < y || (x == y && a.firstRow < b.firstRow);
  });
  // The texts are copied out of the pool into one buffer per thread as they are read, so
  // the sort and later narrowing read them there.
  FilterTexts local;
  FilterTexts& out = texts_ ? *texts_ : local;
  const unsigned textParts = threadCount(texts.size(), 65536);
  out.buffers.assign(textParts + 1, std::u16string());  // the last one holds the numbers
  std::vector<NamedValue> names(texts.size());
  parallelChunks(texts.size(), textParts, [&](unsigned part, size_t from, size_t to) {
    std::u16string& buffer = out.buffers[part];
    std::vector<size_t> ends;
    ends.reserve(to - from);
    for (size_t i = from; i < to; ++i) {
      buffer.append(core.poolTextView(texts[i].key));
      ends.push_back(buffer.size());
    }
    size_t start = 0;
    for (size_t i = from; i < to; ++i) {
      names[i] = named(std::u16string_view(buffer).substr(start, ends[i - from] - start), &texts[i]);
      start = ends[i - from];
    }
  });
  parallelStableSort(names, namedLess);

  uint64_t total = 0;
  bool hiddenAny = false;
  for (unsigned p = 0; p < chunks; ++p) total += countedIn[p], hiddenAny |= hiddenIn[p] != 0;
  items.reserve(1 + numbers.size() + names.size());
  items.push_back(ListItem2{});
  auto add = [&](const ValueSlot& s) {
    ListItem2 item;
    item.checked = s.checked;
    item.value = s.firstRow;
    item.count = s.count;
    item.amount = total ? double(s.count) / double(total) : 0;
    items.push_back(item);
  };
  for (const ValueSlot& s : numbers) add(s);
  out.texts.assign(items.size(), std::u16string_view());
  // One item per text: the first of equal texts is the smaller key.
  for (size_t i = 0; i < names.size(); ++i)
    if (i == 0 || names[i].text != names[i - 1].text) {
      add(*names[i].slot);
      out.texts.push_back(names[i].text);
    }
  ListItem2& all = items[0];
  all.checked = !hiddenAny;
  all.value = SELECT_ALL_ROW;
  all.count = total;
  all.amount = double(items.size() - 1);
  // The numbers' texts as the sheet shows them, into the last buffer.
  std::u16string& buffer = out.buffers.back();
  std::vector<size_t> ends(numbers.size());
  for (size_t i = 0; i < numbers.size(); ++i) {
    core.appendText(items[i + 1].value, col, buffer);
    ends[i] = buffer.size();
  }
  for (size_t i = 0, start = 0; i < numbers.size(); start = ends[i], ++i)
    out.texts[i + 1] = std::u16string_view(buffer).substr(start, ends[i] - start);
  out.built = true;
}

void buildFilterTexts(const CDataCore& core, int32_t column, const std::vector<ListItem2>& items,
                      FilterTexts& out) {
  const size_t n = items.size();
  const unsigned parts = threadCount(n, 16384);
  out.buffers.assign(parts, std::u16string());
  out.texts.assign(n, std::u16string_view());
  parallelChunks(n, parts, [&](unsigned part, size_t from, size_t to) {
    std::u16string& buffer = out.buffers[part];
    std::vector<size_t> ends;
    ends.reserve(to - from);
    for (size_t i = from; i < to; ++i) {
      if (i > 0) core.appendText(items[i].value, column, buffer);
      ends.push_back(buffer.size());
    }
    // The buffer is complete: the views can be taken.
    size_t start = 0;
    for (size_t i = from; i < to; ++i) {
      const size_t end = ends[i - from];
      out.texts[i] = std::u16string_view(buffer).substr(start, end - start);
      start = end;
    }
  });
  out.built = true;
}

namespace {

bool equalFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  return true;
}

bool containsFolded(std::u16string_view text, std::u16string_view part) {
  if (part.size() > text.size()) return false;
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (equalFolded(text.substr(i, part.size()), part)) return true;
  return false;
}

// The typed text of one narrowing, taken apart once.
struct Typed {
  std::u16string text;
  bool numeric = false;
  double number = 0;
  std::vector<std::u16string> parts;  // cut at ',' without empty parts
};

// The order of the cell text against the typed text: by number when both read as numbers,
// else by code unit.
int orderOf(const Typed& t, std::u16string_view c) {
  if (t.numeric && numberKind(c) != 0) {
    const double x = wcstod(std::u16string(c).c_str(), nullptr);
    return x < t.number ? -1 : x > t.number ? 1 : 0;
  }
  const int c2 = c.compare(t.text);
  return c2 < 0 ? -1 : c2 > 0 ? 1 : 0;
}

bool meets(int32_t condition, const Typed& t, std::u16string_view c) {
  const int order = condition >= 2 && condition <= 5 ? orderOf(t, c) : 0;
  switch (condition) {
    case 0: return equalFolded(c, t.text);
    case 1: return !equalFolded(c, t.text);
    case 2: return order > 0;
    case 3: return order >= 0;
    case 4: return order < 0;
    case 5: return order <= 0;
    case 6:
    case 7: {
      bool any;
      if (t.parts.empty()) any = false;
      else if (t.parts.size() == 1) any = containsFolded(c, t.text);
      else
        any = std::any_of(t.parts.begin(), t.parts.end(),
                          [&](const std::u16string& p) { return containsFolded(c, p); });
      return condition == 6 ? any : (t.parts.empty() || !any);
    }
    case 8:
    case 9: {
      const bool starts = c.size() >= t.text.size() && equalFolded(c.substr(0, t.text.size()), t.text);
      return condition == 8 ? starts : !starts;
    }
    case 10:
    case 11: {
      const bool ends = c.size() >= t.text.size() && equalFolded(c.substr(c.size() - t.text.size()), t.text);
      return condition == 10 ? ends : !ends;
    }
    default: return false;
  }
}

}  // namespace

std::vector<ListItem2> narrowFilterList(const CDataCore& core, int32_t column, const std::vector<ListItem2>& all,
                                        FilterTexts& texts, int32_t condition, const std::u16string& text) {
  if (text.empty() || all.empty()) return all;
  if (!texts.built || texts.texts.size() != all.size()) buildFilterTexts(core, column, all, texts);
  Typed typed;
  typed.text = text;
  typed.numeric = numberKind(std::u16string_view(text)) != 0;
  if (typed.numeric) typed.number = wcstod(text.c_str(), nullptr);
  for (size_t at = 0; at <= text.size();) {
    size_t comma = text.find(u',', at);
    if (comma == std::u16string::npos) comma = text.size();
    if (comma > at) typed.parts.push_back(text.substr(at, comma - at));
    at = comma + 1;
  }
  const size_t n = all.size();
  std::vector<uint8_t> keep(n, 0);
  parallelChunks(n, threadCount(n, 16384), [&](unsigned, size_t from, size_t to) {
    for (size_t i = std::max<size_t>(from, 1); i < to; ++i) {
      keep[i] = meets(condition, typed, texts.texts[i]);
    }
  });
  std::vector<ListItem2> out;
  out.push_back(all[0]);
  for (size_t i = 1; i < n; ++i)
    if (keep[i]) out.push_back(all[i]);
  for (ListItem2& item : out) item.checked = 1;
  return out;
}

void collectTickedValues(const CDataCore& core, int32_t column, const std::vector<ListItem2>& shown,
                         FilterNumbers& numbers, std::set<uint64_t>& keys) {
  for (size_t i = 1; i < shown.size(); ++i) {
    if (!shown[i].checked) continue;
    const Cell& cell = *core.cellAt(shown[i].value, column);
    if (filterMatchOf(cell) == FILTER_BY_NUMBER) numbers.insert(filterNumberOf(cell));
    else keys.insert(cell.value);
  }
}

void toggleAllItems(std::vector<ListItem2>& items, int32_t index) {
  if (index != 0 || items.empty()) return;
  for (ListItem2& item : items) item.checked = items[0].checked;
}
