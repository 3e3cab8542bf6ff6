#include "commands/SortAction.h"

#include <cmath>
#include <deque>

#include "commands/CellText.h"
#include "commands/Parallel.h"
#include "commands/ParallelSort.h"
#include "commands/Record.h"
#include "store/TextHelpers.h"

namespace {

// The group of a row by its key cell.
enum Group : uint8_t { NUMBER, NAN_NUMBER, TEXT, EMPTY };

struct NumberKey {
  double value;
  int32_t row;
};

struct TextKey {
  uint64_t prefix;  // the first four code units, big end first, for quick comparison
  int32_t index;    // into the texts
};

uint64_t prefixOf(std::u16string_view t) {
  uint64_t p = 0;
  for (size_t i = 0; i < 4; ++i) p = (p << 16) | (i < t.size() ? t[i] : 0);
  return p;
}

bool cellEmpty(const Cell& c) { return c.isZero(); }

// Non-empty text cell (kind 0 with a key).
bool isText(const Cell& c) { return c.kind == CELL_TEXT && c.value != 0; }

bool isNumeric(const CDataCore& core, const Cell& c) {
  if (c.kind == CELL_INT64 || c.kind == CELL_DOUBLE || c.kind == CELL_DATETIME) return true;
  return isText(c) && numberKind(poolTextView(core, c.value)) != 0;
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
  std::vector<uint8_t> group(n);
  std::vector<double> numbers(n);
  std::vector<std::u16string_view> texts(n);
  const unsigned threads = threadCount(n, 32768);
  // Formatted texts (date-times, handler values) live here until the sort is done.
  std::vector<std::deque<std::u16string>> owned(threads);
  parallelChunks(n, threads, [&](unsigned p, size_t b, size_t e) {
    std::u16string scratch;
    for (size_t i = b; i < e; ++i) {
      const int32_t row = first + int32_t(i);
      const Cell& c = core.mDatas[row][key];
      if (c.kind == CELL_INT64) {
        group[i] = NUMBER;
        numbers[i] = double(c.asInt64());
      } else if (c.kind == CELL_DOUBLE) {
        numbers[i] = c.asDouble();
        group[i] = std::isnan(numbers[i]) ? NAN_NUMBER : NUMBER;
      } else {
        std::u16string_view t = cellTextView(core, row, key, c, scratch);
        if (!t.empty() && t.data() == scratch.data()) t = owned[p].emplace_back(scratch);
        texts[i] = t;
        group[i] = t.empty() ? EMPTY : TEXT;
      }
    }
  });
  std::vector<NumberKey> nums;
  std::vector<TextKey> strs;
  std::vector<int32_t> nans, empties;
  for (size_t i = 0; i < n; ++i) {
    const int32_t row = first + int32_t(i);
    switch (group[i]) {
      case NUMBER: nums.push_back({numbers[i], row}); break;
      case NAN_NUMBER: nans.push_back(row); break;
      case TEXT: strs.push_back({prefixOf(texts[i]), int32_t(i)}); break;
      default: empties.push_back(row); break;
    }
  }
  std::vector<double>().swap(numbers);
  auto textLess = [&](const TextKey& a, const TextKey& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return texts[a.index].compare(texts[b.index]) < 0;
  };
  if (ascending) {
    parallelStableSort(nums, [](const NumberKey& a, const NumberKey& b) { return a.value < b.value; });
    parallelStableSort(strs, textLess);
  } else {
    parallelStableSort(nums, [](const NumberKey& a, const NumberKey& b) { return b.value < a.value; });
    parallelStableSort(strs, [&](const TextKey& a, const TextKey& b) { return textLess(b, a); });
  }
  std::vector<int32_t> order;
  order.reserve(n);
  auto putNumbers = [&] {
    for (const NumberKey& k : nums) order.push_back(k.row);
    order.insert(order.end(), nans.begin(), nans.end());
  };
  auto putTexts = [&] {
    for (const TextKey& k : strs) order.push_back(first + k.index);
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
