// The tools that work across tables: the look-up copy of find-match and the result
// tables of the two-table tools.
#include <algorithm>
#include <cassert>
#include <functional>
#include <unordered_set>
#include <vector>

#include "store/DataCore.h"
#include "store/Parallel.h"

namespace {

// The text getText gives for (row, col) of `table`, as a view valid until that table's
// pool changes; outside the table the empty text.
std::u16string_view textAt(const CDataCore& table, int32_t row, int32_t col, std::u16string& scratch) {
  if (!table.inSheet(row, col)) return {};
  return table.cellTextView(table.mDatas[row][col], scratch);
}

// The smallest row of every distinct text of one column (rows 1 .. last). The texts
// are copied into arenas, so the index stays true while that column is overwritten.
// Built in two parallel passes: the hash of every row's text, then one table per share
// of the hashes, each filled by its own thread walking the rows in order (so the first,
// smallest row of a text is the one kept).
class SmallestRowIndex {
 public:
  SmallestRowIndex(const CDataCore& table, int32_t col) {
    const size_t rows = table.mRowCount > 1 ? static_cast<size_t>(table.mRowCount - 1) : 0;
    std::vector<size_t> hashes(rows);
    parallelChunks(rows, threadCount(rows, 1 << 16), [&](unsigned, size_t begin, size_t end) {
      std::u16string scratch;
      for (size_t i = begin; i < end; ++i)
        hashes[i] = hashOf(textAt(table, static_cast<int32_t>(i + 1), col, scratch));
    });
    mShares.resize(threadCount(rows, 1 << 16));
    WorkerThreads workers(static_cast<unsigned>(mShares.size()), [&](unsigned share) {
      Share& own = mShares[share];
      size_t count = 0;
      for (size_t i = 0; i < rows; ++i) count += shareOf(hashes[i]) == share;
      own.init(count);
      std::u16string scratch;
      for (size_t i = 0; i < rows; ++i)
        if (shareOf(hashes[i]) == share)
          own.add(textAt(table, static_cast<int32_t>(i + 1), col, scratch), hashes[i], static_cast<int32_t>(i + 1));
    });
    workers.join();
  }

  // The smallest row holding exactly `text`; 0 when none does.
  int32_t find(std::u16string_view text) const {
    const size_t hash = hashOf(text);
    return mShares.empty() ? 0 : mShares[shareOf(hash)].find(text, hash);
  }

 private:
  static size_t hashOf(std::u16string_view text) { return std::hash<std::u16string_view>()(text); }
  size_t shareOf(size_t hash) const { return (hash >> 40) % mShares.size(); }

  // The texts of one share of the hashes, in an open-addressing table.
  struct Share {
    struct Entry {
      size_t start;  // in arena
      uint32_t length;
      int32_t row;
      size_t hash;
    };
    std::u16string arena;
    std::vector<Entry> entries;
    std::vector<uint32_t> slots;  // entry index + 1; 0 = empty; a power of two, at most 3/4 full

    void init(size_t count) {
      size_t n = 16;
      while (n * 3 < count * 4) n *= 2;
      slots.assign(n, 0);
      entries.reserve(count);
    }
    // The slot holding `text`, else the empty slot where it would go.
    size_t probe(std::u16string_view text, size_t hash) const {
      const size_t mask = slots.size() - 1;
      for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint32_t slot = slots[i];
        if (slot == 0) return i;
        const Entry& e = entries[slot - 1];
        if (e.hash == hash && std::u16string_view(arena).substr(e.start, e.length) == text) return i;
      }
    }
    void add(std::u16string_view text, size_t hash, int32_t row) {
      const size_t i = probe(text, hash);
      if (slots[i] != 0) return;  // an earlier row holds the text: it wins
      entries.push_back(Entry{arena.size(), static_cast<uint32_t>(text.size()), row, hash});
      arena.append(text);
      slots[i] = static_cast<uint32_t>(entries.size());
    }
    int32_t find(std::u16string_view text, size_t hash) const {
      const uint32_t slot = slots[probe(text, hash)];
      return slot ? entries[slot - 1].row : 0;
    }
  };
  std::vector<Share> mShares;
};

// The key of row `row` for the two-table tools: the texts of the used columns, each
// after a NUL (no cell text holds one), so different tuples never give one key.
void twoTableKey(const CDataCore& table, int32_t row, int32_t col1, int32_t col2, int32_t col3,
                 std::u16string& key) {
  key.clear();
  table.appendText(row, col1, key);
  for (int32_t col : {col2, col3}) {
    if (col <= 0) continue;
    key.push_back(u'\0');
    table.appendText(row, col, key);
  }
}

}  // namespace

void CDataCore::findMatch(int32_t writeCol, const CDataCore& returnTable, int32_t returnCol,
                          const CDataCore& dataTable, int32_t dataCol, const CDataCore& areaTable, int32_t areaCol,
                          int32_t count) {
  beforeChange();
  const SmallestRowIndex index(areaTable, areaCol);
  if (mRowCount < dataTable.mRowCount)
    resize(static_cast<int32_t>(dataTable.mRowCount), static_cast<int32_t>(mColCount));
  const int32_t dataRows = static_cast<int32_t>(dataTable.mRowCount);
  // Columns beyond this sheet are not written.
  const int64_t room = static_cast<int64_t>(mColCount) - writeCol;
  const int32_t columns = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(count, room)));
  std::u16string scratch;
  for (int32_t i = 1; i < dataRows; ++i) {
    const int32_t r = index.find(textAt(dataTable, i, dataCol, scratch));
    for (int32_t k = 0; k < columns; ++k) {
      const int32_t col = writeCol + k;
      if (!inSheet(i, col)) continue;
      if (r == 0) {
        clearCell(i, col);
        continue;
      }
      const Cell source = returnTable.inSheet(r, returnCol + k) ? returnTable.mDatas[r][returnCol + k] : Cell{};
      copyCell(i, col, source, returnTable.mPool);
    }
  }
  checkInDebug("findMatch");
}

void CDataCore::twoTableCopy(const CDataCore& source, const CDataCore& lookup, int32_t col1, int32_t col2,
                             int32_t col3, bool present) {
  beforeChange();
  assert(this != &source && this != &lookup);
  std::unordered_set<std::u16string> keys;
  std::u16string key;
  for (int32_t r = 1; r < static_cast<int32_t>(lookup.mRowCount); ++r) {
    twoTableKey(lookup, r, col1, col2, col3, key);
    if (!key.empty()) keys.insert(key);
  }
  const int32_t rows = static_cast<int32_t>(source.mRowCount);
  const int32_t cols = static_cast<int32_t>(source.mColCount);
  resize(rows, cols);
  int32_t out = 1;
  for (int32_t r = 1; r < rows; ++r) {
    twoTableKey(source, r, col1, col2, col3, key);
    if (key.empty() || (keys.count(key) != 0) != present) continue;
    for (int32_t c = 0; c < cols; ++c) copyCell(out, c, source.mDatas[r][c], source.mPool);
    ++out;
  }
  if (out != rows) resize(out, cols);
  checkInDebug("twoTableCopy");
}

void CDataCore::twoTableDedupe(const CDataCore& source, const CDataCore& lookup, int32_t col1, int32_t col2,
                               int32_t col3) {
  twoTableCopy(source, lookup, col1, col2, col3, false);
}

void CDataCore::twoTableDuplicates(const CDataCore& source, const CDataCore& lookup, int32_t col1, int32_t col2,
                                   int32_t col3) {
  twoTableCopy(source, lookup, col1, col2, col3, true);
}
