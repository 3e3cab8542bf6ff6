#include "commands/SortAction.h"

#include <cmath>
#include <deque>
#include <memory>

#include "commands/ParallelSort.h"
#include "commands/Record.h"
#include "store/LargeBlock.h"
#include "store/NumberText.h"
#include "store/Parallel.h"

namespace {

struct NumberKey {
  double value;
  int32_t row;
};

// A text key with its first eight code units packed big end first (zero-padded, and no
// text holds a NUL), so that most comparisons need no look at the text itself.
struct TextKey {
  uint64_t head;  // units 0..3
  uint64_t next;  // units 4..7
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

// Code unit order: negative, 0 or positive.
int textCompare(const TextKey& a, const TextKey& b) {
  if (a.head != b.head) return a.head < b.head ? -1 : 1;
  if (a.next != b.next) return a.next < b.next ? -1 : 1;
  // The first eight units are equal: then both texts are at least eight long, or both
  // are these same units.
  if (a.text == b.text || (a.length <= 8 && b.length <= 8)) return 0;
  return std::u16string_view(a.text + 8, a.length - 8).compare(std::u16string_view(b.text + 8, b.length - 8));
}

// The orders of the sort, each a strict order with equal values in row order: any sort
// by them gives what a stable sort by value gives.
struct NumberOrder {
  bool ascending;
  bool operator()(const NumberKey& a, const NumberKey& b) const {
    if (a.value != b.value) return ascending ? a.value < b.value : b.value < a.value;
    return a.row < b.row;
  }
};
struct TextOrder {
  bool ascending;
  bool operator()(const TextKey& a, const TextKey& b) const {
    const int c = textCompare(a, b);
    if (c != 0) return ascending ? c < 0 : c > 0;
    return a.row < b.row;
  }
};

// The keys of the texts last looked up by one thread, by pool key: a column of few
// distinct texts then looks up each of them in the pool about once.
class TextKeyCache {
 public:
  TextKey keyOf(const CDataCore& core, uint64_t poolKey, int32_t row) {
    Slot& s = mSlots[(poolKey * 0x9E3779B97F4A7C15ULL) >> (64 - BITS)];
    if (s.poolKey != poolKey) {
      s.poolKey = poolKey;
      s.key = textKeyOf(core.poolTextView(poolKey), 0);
    }
    TextKey k = s.key;
    k.row = row;
    return k;
  }

 private:
  static constexpr int BITS = 10;
  struct Slot {
    uint64_t poolKey = 0;  // 0: empty (no text is stored under key 0)
    TextKey key{};
  };
  Slot mSlots[size_t(1) << BITS];
};

// The rows of one chunk that do not go to the sort's key arrays, in row order, and the
// count of those that do.
struct Part {
  size_t numbers = 0, texts = 0;
  std::vector<int32_t> nans;
  std::vector<int32_t> empties;
  std::deque<std::u16string> owned;  // formatted texts (date-times, handler values)
};

template <class T>
std::vector<T> concat(std::vector<Part>& parts, std::vector<T> Part::*member) {
  std::vector<T> all;
  for (Part& g : parts) all.insert(all.end(), (g.*member).begin(), (g.*member).end());
  return all;
}

// Sorts the runs of `keys` that the parts left (part p's from `starts[p]`, counts[p]
// long) into one; returns the first of the sorted keys, which lie in `keys` or `buffer`.
template <class K, class Order>
const K* mergeParts(largeblock::Array<K>& keys, std::unique_ptr<largeblock::Array<K>>& buffer,
                    const std::vector<SortRun>& runs, unsigned threads, Order order) {
  size_t total = 0;
  for (const SortRun& r : runs) total += r.count;
  if (runs.size() > 1 && total > 0) buffer = std::make_unique<largeblock::Array<K>>(total);
  return mergeRuns(keys.data(), buffer ? buffer->data() : nullptr, runs, threads, order);
}

// Writes the rows of `count` sorted keys to out[0, count), on several threads.
template <class K>
void putRows(const K* keys, size_t count, int32_t* out) {
  parallelChunks(count, threadCount(count, size_t(1) << 18), [&](unsigned, size_t b, size_t e) {
    for (size_t i = b; i < e; ++i) out[i] = keys[i].row;
  });
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

std::vector<int32_t> sortedRowOrder(const CDataCore& core, int32_t first, int32_t last, int32_t key,
                                    bool ascending) {
  const size_t n = size_t(int64_t(last) - first + 1);
  const unsigned threads = threadCount(n, 32768);
  // Each part writes its keys at its own rows' place in the arrays (only the pages
  // written are touched) and sorts them there; the runs are merged after.
  largeblock::Array<NumberKey> numbers(n);
  largeblock::Array<TextKey> texts(n);
  std::vector<Part> parts(threads);
  std::vector<SortRun> numberRuns(threads), textRuns(threads);
  const NumberOrder numberOrder{ascending};
  const TextOrder textOrder{ascending};
  parallelChunks(n, threads, [&](unsigned p, size_t b, size_t e) {
    Part& g = parts[p];
    NumberKey* nk = numbers.data() + b;
    TextKey* tk = texts.data() + b;
    auto cache = std::make_unique<TextKeyCache>();
    std::u16string scratch;
    for (size_t i = b; i < e; ++i) {
      const int32_t row = first + int32_t(i);
      const Cell& c = core.mDatas[row][key];
      if (c.kind == CELL_INT64) {
        nk[g.numbers++] = {double(c.asInt64()), row};
      } else if (c.kind == CELL_DOUBLE) {
        if (std::isnan(c.asDouble())) g.nans.push_back(row);
        else nk[g.numbers++] = {c.asDouble(), row};
      } else if (isTextKind(c.kind)) {
        const TextKey k = c.value == 0 ? TextKey{} : cache->keyOf(core, c.value, row);
        if (k.length == 0) g.empties.push_back(row);
        else tk[g.texts++] = k;
      } else {
        std::u16string_view t = core.cellTextView(c, scratch);
        if (t.empty()) {
          g.empties.push_back(row);
          continue;
        }
        tk[g.texts++] = textKeyOf(g.owned.emplace_back(t), row);
      }
    }
    std::sort(nk, nk + g.numbers, numberOrder);
    std::sort(tk, tk + g.texts, textOrder);
    numberRuns[p] = SortRun{b, g.numbers};
    textRuns[p] = SortRun{b, g.texts};
  });
  std::unique_ptr<largeblock::Array<NumberKey>> numberBuffer;
  std::unique_ptr<largeblock::Array<TextKey>> textBuffer;
  const NumberKey* nums = mergeParts(numbers, numberBuffer, numberRuns, threads, numberOrder);
  const TextKey* strs = mergeParts(texts, textBuffer, textRuns, threads, textOrder);
  size_t numberCount = 0, textCount = 0;
  for (const Part& g : parts) numberCount += g.numbers, textCount += g.texts;
  const std::vector<int32_t> nans = concat(parts, &Part::nans);
  const std::vector<int32_t> empties = concat(parts, &Part::empties);

  std::vector<int32_t> order(n);
  int32_t* out = order.data();
  auto putNumbers = [&] {
    putRows(nums, numberCount, out);
    out = std::copy(nans.begin(), nans.end(), out + numberCount);
  };
  auto putTexts = [&] {
    putRows(strs, textCount, out);
    out += textCount;
  };
  if (ascending) {
    putNumbers();
    putTexts();
  } else {
    putTexts();
    putNumbers();
  }
  std::copy(empties.begin(), empties.end(), out);
  return order;
}

CSortAction::CSortAction(CDataCore* core, const Selection* selection) : iCommand(core, selection, KIND_SORT) {}

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
