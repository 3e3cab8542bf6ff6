#include "commands/SortAction.h"

#include <cmath>
#include <deque>

#include "store/Parallel.h"
#include "commands/ParallelSort.h"
#include "commands/Record.h"
#include "store/NumberText.h"

namespace {

struct NumberKey {
  double value;
  int32_t row;
};

// A text key with its first eight code units packed big end first (zero-padded, and no
// text holds a NUL), so that most comparisons need no look at the text itself.
struct TextKey {
  uint64_t head;    // units 0..3
  uint64_t next;    // units 4..7
  const char16_t* text;
  uint32_t length;
  int32_t row;
};

TextKey textKeyOf(std::u16string_view t, int32_t row) {
  TextKey k{0, 0, t.data(), static_cast<uint32_t>(t.size()), row};
  for (size_t i = 0; i < 4; ++i) k.head = (k.head << 16) | (i < t.size() ? t[i] : 0);
  for (size_t i = 4; i < 8; ++i) k.next = (k.next << 16) | (i < t.size() ? t[i] : 0);
  return k;
}

// Code unit order.
bool textLess(const TextKey& a, const TextKey& b) {
  if (a.head != b.head) return a.head < b.head;
  if (a.next != b.next) return a.next < b.next;
  // The first eight units are equal: then both texts are at least eight long, or both
  // are these same units.
  if (a.text == b.text || (a.length <= 8 && b.length <= 8)) return false;
  return std::u16string_view(a.text + 8, a.length - 8) < std::u16string_view(b.text + 8, b.length - 8);
}

// The rows of one chunk by group, in row order.
struct Groups {
  std::vector<NumberKey> numbers;
  std::vector<TextKey> texts;
  std::vector<int32_t> nans;
  std::vector<int32_t> empties;
  std::deque<std::u16string> owned;  // formatted texts (date-times, handler values)
};

template <class T>
std::vector<T> concat(std::vector<Groups>& parts, std::vector<T> Groups::*member) {
  size_t n = 0;
  for (Groups& g : parts) n += (g.*member).size();
  std::vector<T> all;
  all.reserve(n);
  for (Groups& g : parts) {
    all.insert(all.end(), (g.*member).begin(), (g.*member).end());
    std::vector<T>().swap(g.*member);
  }
  return all;
}

bool cellEmpty(const Cell& c) { return c.isZero(); }

// Non-empty text cell (kind 0 with a key).
bool isText(const Cell& c) { return c.kind == CELL_TEXT && c.value != 0; }

bool isNumeric(const CDataCore& core, const Cell& c) {
  if (c.kind == CELL_INT64 || c.kind == CELL_DOUBLE || c.kind == CELL_DATETIME) return true;
  return isText(c) && numberKind(core.poolTextView(c.value)) != 0;
}

bool rowEmpty(const CDataCore& core, int32_t row, int32_t c1, int32_t c2) {
  const Cell* cells = core.mDatas[row];
  for (int32_t c = c1; c <= c2; ++c)
    if (!cellEmpty(cells[c])) return false;
  return true;
}

bool looksLikeHeader(const CDataCore& core, int32_t r1, int32_t c1, int32_t c2) {
  bool numeric = false;
  for (int32_t c = c1; c <= c2 && !numeric; ++c) numeric = isNumeric(core, core.mDatas[r1 + 1][c]);
  if (!numeric) return false;
  for (int32_t c = c1; c <= c2; ++c)
    if (!isText(core.mDatas[r1][c])) return false;
  return true;
}

}  // namespace

std::vector<int32_t> sortedRowOrder(const CDataCore& core, int32_t first, int32_t last,
                                    int32_t key, bool ascending) {
  const size_t n = size_t(int64_t(last) - first + 1);
  const unsigned threads = threadCount(n, 32768);
  std::vector<Groups> parts(threads);
  parallelChunks(n, threads, [&](unsigned p, size_t b, size_t e) {
    Groups& g = parts[p];
    std::u16string scratch;
    for (size_t i = b; i < e; ++i) {
      const int32_t row = first + int32_t(i);
      const Cell& c = core.mDatas[row][key];
      if (c.kind == CELL_INT64) {
        g.numbers.push_back({double(c.asInt64()), row});
      } else if (c.kind == CELL_DOUBLE) {
        if (std::isnan(c.asDouble()))
          g.nans.push_back(row);
        else
          g.numbers.push_back({c.asDouble(), row});
      } else {
        std::u16string_view t = core.cellTextView(c, scratch);
        if (t.empty()) {
          g.empties.push_back(row);
          continue;
        }
        if (t.data() == scratch.data()) t = g.owned.emplace_back(scratch);
        g.texts.push_back(textKeyOf(t, row));
      }
    }
  });
  std::vector<NumberKey> nums = concat(parts, &Groups::numbers);
  std::vector<TextKey> strs = concat(parts, &Groups::texts);
  std::vector<int32_t> nans = concat(parts, &Groups::nans);
  std::vector<int32_t> empties = concat(parts, &Groups::empties);
  if (ascending) {
    parallelStableSort(nums, [](const NumberKey& a, const NumberKey& b) { return a.value < b.value; });
    parallelStableSort(strs, textLess);
  } else {
    parallelStableSort(nums, [](const NumberKey& a, const NumberKey& b) { return b.value < a.value; });
    parallelStableSort(strs, [](const TextKey& a, const TextKey& b) { return textLess(b, a); });
  }
  std::vector<int32_t> order;
  order.reserve(n);
  auto putNumbers = [&] {
    for (const NumberKey& k : nums) order.push_back(k.row);
    order.insert(order.end(), nans.begin(), nans.end());
  };
  auto putTexts = [&] {
    for (const TextKey& k : strs) order.push_back(k.row);
  };
  if (ascending) {
    putNumbers();
    putTexts();
  } else {
    putTexts();
    putNumbers();
  }
  order.insert(order.end(), empties.begin(), empties.end());
  return order;
}

CSortAction::CSortAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_SORT) {}

bool CSortAction::isEmpty() const { return mOrder.empty(); }

void CSortAction::redo() { mCore->permuteRows(mRange, mOrder, true); }

void CSortAction::undo() { mCore->permuteRows(mRange, mOrder, false); }

std::string CSortAction::serialize() const {
  RecordWriter w;
  w.i64(KIND_SORT);
  w.i64(static_cast<int64_t>(mOrder.size()));
  w.i32(mRange.top);
  w.i32(mRange.left);
  w.i32(mRange.bottom);
  w.i32(mRange.right);
  w.u8(static_cast<uint8_t>(mState));
  for (int32_t r : mOrder) w.i32(r);
  return w.take();
}

void CSortAction::prepare(bool ascending, bool expand) {
  mOrder.clear();
  const int32_t rows = static_cast<int32_t>(mCore->mRowCount);
  const int32_t cols = static_cast<int32_t>(mCore->mColCount);
  if (rows < 2 || cols < 2) return;
  const Range s = mSelection.range;
  int32_t r1, r2, c1, c2, key;
  if (s.top < 0 || s.left < 0) return;  // the single cell (1, 1): one row
  if (s.top == 0 && s.left == 0) {
    r1 = 1, r2 = rows - 1, c1 = 1, c2 = cols - 1, key = 1, expand = true;
  } else if (s.left == 0) {
    r1 = s.top, r2 = s.bottom, c1 = 1, c2 = cols - 1, key = 1, expand = true;
  } else if (s.top == 0) {
    r1 = 1, r2 = rows - 1, c1 = s.left, c2 = s.right, key = s.left;
  } else {
    r1 = s.top, r2 = s.bottom, key = s.left;
    c1 = expand ? 1 : s.left;
    c2 = expand ? cols - 1 : s.right;
  }
  // Rows and columns beyond the sheet are empty; leaving them out changes nothing.
  r2 = std::min(r2, rows - 1);
  c2 = std::min(c2, cols - 1);
  if (r1 < 1 || c1 < 1 || key < 1 || key >= cols || c2 < c1 || r2 <= r1) return;
  while (rowEmpty(*mCore, r1, c1, c2))
    if (++r1 >= r2) return;
  while (rowEmpty(*mCore, r2, c1, c2))
    if (--r2 <= r1) return;
  if (looksLikeHeader(*mCore, r1, c1, c2) && ++r1 >= r2) return;
  if (mCore->isColumnEmpty(key, r1, r2)) return;
  if (!expand)
    while (c2 > key && mCore->isColumnEmpty(c2, r1, r2)) --c2;
  mRange = Range{r1, expand ? 0 : c1, r2, expand ? 0 : c2};
  mOrder = sortedRowOrder(*mCore, r1, r2, key, ascending);
}
