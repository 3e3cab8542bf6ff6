// Finding the rows whose key repeats an earlier row's. Each row's key is hashed on
// several threads; then each of eight shards (chosen by the hash) walks the rows in row
// order and keeps the first row of each key in a flat table, comparing the texts
// themselves whenever hashes meet, so that the result is exact and the same as one
// pass in row order with a set of seen keys.
#include <algorithm>
#include <array>

#include "commands/DeleteDuplicate.h"
#include "platform/AsciiCase.h"
#include "store/Parallel.h"
#include "store/StringPool.h"

namespace {

constexpr unsigned SHARD_BITS = 3;
constexpr unsigned SHARDS = 1u << SHARD_BITS;

uint64_t mix(uint64_t h) { return StringPool::mixKey(h); }

// Reads one row's key fields.
class KeyReader {
 public:
  KeyReader(const CDataCore& core, const std::vector<int32_t>& columns, bool matchCase)
      : mCore(core), mColumns(columns), mMatchCase(matchCase) {}

  uint64_t hash(int32_t row) {
    uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (int32_t col : mColumns) {
      std::u16string_view t = text(row, col, mScratchA);
      h = mix(h ^ (t.size() + 1));  // the length keeps the fields apart
      uint64_t word = 0;
      unsigned k = 0;
      for (char16_t c : t) {
        word = (word << 16) | (mMatchCase ? c : foldAscii(c));
        if (++k == 4) {
          h = mix(h ^ word);
          word = 0;
          k = 0;
        }
      }
      if (k) h = mix(h ^ word ^ (uint64_t(k) << 62));
    }
    return h;
  }

  bool sameKey(int32_t a, int32_t b) {
    for (int32_t col : mColumns) {
      const Cell& ca = *mCore.cellAt(a, col);
      const Cell& cb = *mCore.cellAt(b, col);
      if (ca.kind == cb.kind && ca.value == cb.value &&
          (ca.kind == CELL_TEXT || ca.kind == CELL_INT64 || ca.kind == CELL_DOUBLE))
        continue;  // the same text key or number: the same text
      std::u16string_view ta = text(a, col, mScratchA), tb = text(b, col, mScratchB);
      if (ta.size() != tb.size()) return false;
      if (mMatchCase) {
        if (ta != tb) return false;
        continue;
      }
      for (size_t i = 0; i < ta.size(); ++i)
        if (foldAscii(ta[i]) != foldAscii(tb[i])) return false;
    }
    return true;
  }

 private:
  std::u16string_view text(int32_t row, int32_t col, std::u16string& scratch) {
    return mCore.cellTextView(*mCore.cellAt(row, col), scratch);
  }

  const CDataCore& mCore;
  const std::vector<int32_t>& mColumns;
  bool mMatchCase;
  std::u16string mScratchA, mScratchB;
};

// The cells of up to two key columns as stored. Equal stored cells of the text, integer
// and decimal kinds mean equal texts (one text per pool key), so equal tuples prove a
// duplicate without reading the earlier row again; unequal ones prove nothing.
struct CellTuple {
  uint8_t kind[2] = {0xFF, 0xFF};  // 0xFF: not usable (another kind, or no such column)
  uint64_t value[2] = {0, 0};

  static CellTuple of(const CDataCore& core, int32_t row, const std::vector<int32_t>& cols) {
    CellTuple t;
    if (cols.size() > 2) return t;
    for (size_t i = 0; i < cols.size(); ++i) {
      const Cell& c = *core.cellAt(row, cols[i]);
      if (c.kind > CELL_DOUBLE) return CellTuple{};
      t.kind[i] = c.kind;
      t.value[i] = c.value;
    }
    for (size_t i = cols.size(); i < 2; ++i) t.kind[i] = 0;  // absent columns match
    return t;
  }
  bool proves(const CellTuple& o) const {
    return kind[0] != 0xFF && kind[0] == o.kind[0] && kind[1] == o.kind[1] && value[0] == o.value[0] &&
           value[1] == o.value[1];
  }
};

// One shard's table of first rows: open addressing by hash, linear probing.
struct FirstRows {
  struct __attribute__((packed)) Slot {  // 32 bytes
    uint64_t hash;
    int32_t row;  // -1: free
    uint8_t kind[2];
    uint16_t unused;
    uint64_t value[2];

    CellTuple cells() const {
      CellTuple t;
      t.kind[0] = kind[0], t.kind[1] = kind[1], t.value[0] = value[0], t.value[1] = value[1];
      return t;
    }
  };
  std::vector<Slot> slots;
  size_t mask = 0;

  explicit FirstRows(size_t entries) {
    size_t cap = 16;
    while (cap < entries * 2) cap *= 2;
    slots.assign(cap, Slot{0, -1, {0xFF, 0xFF}, 0, {0, 0}});
    mask = cap - 1;
  }

  // True when an earlier row has the same key; otherwise `row` is entered.
  bool seen(uint64_t hash, int32_t row, const CellTuple& cells, KeyReader& reader) {
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& s = slots[i];
      if (s.row < 0) {
        s = Slot{hash, row, {cells.kind[0], cells.kind[1]}, 0, {cells.value[0], cells.value[1]}};
        return false;
      }
      if (s.hash == hash && (s.cells().proves(cells) || reader.sameKey(s.row, row))) return true;
    }
  }
};

}  // namespace

std::vector<int32_t> findDuplicateRows(const CDataCore& core, int32_t first, int32_t last,
                                       const std::vector<int32_t>& columns, bool matchCase) {
  if (last < first) return {};
  const size_t n = size_t(int64_t(last) - first + 1);
  const unsigned threads = threadCount(n, 16384);
  const unsigned shards = threads > 1 ? SHARDS : 1;
  // Each thread hashes a chunk of rows into per-shard lists; chunk order then row order
  // keeps every shard's rows in row order.
  struct Keyed {
    uint64_t hash;
    int32_t row;
  };
  std::vector<std::array<std::vector<Keyed>, SHARDS>> buckets(threads);
  parallelChunks(n, threads, [&](unsigned p, size_t b, size_t e) {
    KeyReader reader(core, columns, matchCase);
    for (size_t i = b; i < e; ++i) {
      const int32_t row = first + int32_t(i);
      const uint64_t h = reader.hash(row);
      buckets[p][shards > 1 ? h >> (64 - SHARD_BITS) : 0].push_back({h, row});
    }
  });
  std::vector<uint8_t> duplicate(n, 0);
  parallelChunks(shards, shards, [&](unsigned, size_t sb, size_t se) {
    KeyReader reader(core, columns, matchCase);
    for (size_t s = sb; s < se; ++s) {
      size_t rows = 0;
      for (auto& b : buckets) rows += b[s].size();
      FirstRows table(rows);
      for (auto& b : buckets) {
        for (const Keyed& k : b[s])
          if (table.seen(k.hash, k.row, CellTuple::of(core, k.row, columns), reader))
            duplicate[size_t(k.row - first)] = 1;
        std::vector<Keyed>().swap(b[s]);
      }
    }
  });
  std::vector<int32_t> rows;
  for (size_t i = 0; i < n; ++i)
    if (duplicate[i]) rows.push_back(first + int32_t(i));
  return rows;
}
