#include "commands/DeleteDuplicate.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "store/Alloc.h"
#include "store/Parallel.h"
#include "store/StringPool.h"
#include "store/TextPromise.h"

namespace {

constexpr unsigned TEXT_SHARDS = 8;

// Keys are split and walked in the pool's own mixing order, so each shard's walk goes
// through the pool's tables in order (only speed depends on this).
uint64_t fmix(uint64_t k) { return StringPool::mixKey(k); }

unsigned shardOfKey(uint64_t key) { return unsigned(fmix(key) >> 61); }

// Counts of keys in a flat table (key 0 never occurs: it is no text).
struct KeyCounts {
  std::vector<std::pair<uint64_t, uint64_t>> slots;
  size_t used = 0;

  KeyCounts() : slots(1024, {0, 0}) {}

  void add(uint64_t key) {
    if ((used + 1) * 10 > slots.size() * 7) grow();
    size_t mask = slots.size() - 1;
    for (size_t i = (key * 0xff51afd7ed558ccdULL) >> 20 & mask;; i = (i + 1) & mask) {
      if (slots[i].first == key) {
        ++slots[i].second;
        return;
      }
      if (slots[i].first == 0) {
        slots[i] = {key, 1};
        ++used;
        return;
      }
    }
  }

  void grow() {
    std::vector<std::pair<uint64_t, uint64_t>> old(slots.size() * 2, {0, 0});
    old.swap(slots);
    used = 0;
    for (auto& [k, n] : old)
      if (k) {
        size_t mask = slots.size() - 1;
        size_t i = (k * 0xff51afd7ed558ccdULL) >> 20 & mask;
        while (slots[i].first) i = (i + 1) & mask;
        slots[i] = {k, n};
        ++used;
      }
  }
};

bool holdsPoolKey(const Cell& c) { return isPoolKind(c.kind) && c.value != 0; }

}  // namespace

CDeleteDuplicate::CDeleteDuplicate(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_DELETE_DUPLICATE) {}

CDeleteDuplicate::~CDeleteDuplicate() {
  // Removed rows hold no pool references any more: only their storage is freed.
  for (Cell* row : mRemovedRows) rowalloc::freeRow(row);
}

bool CDeleteDuplicate::isEmpty() const { return mDuplicateRows.empty() && mOldCells.empty(); }

std::pair<int32_t, int32_t> CDeleteDuplicate::prepare(bool expand, bool hasHeader, bool matchCase,
                                                      const std::vector<int32_t>& columns) {
  mDuplicateRows.clear();
  const Range block = mSelection.toRange(*mCore);
  const int32_t rows = static_cast<int32_t>(mCore->mRowCount);
  const int32_t cols = static_cast<int32_t>(mCore->mColCount);
  const int32_t first = hasHeader ? block.top + 1 : block.top;
  // Rows beyond the sheet do not exist: they are neither compared nor counted.
  const int32_t bottom = std::min(block.bottom, rows - 1);
  if (bottom < first || first < 1) return {0, 0};
  std::vector<int32_t> duplicates = findDuplicateRows(*mCore, first, bottom, columns, matchCase);
  const int32_t d = static_cast<int32_t>(duplicates.size());
  const int32_t compared = bottom - first + 1;
  const bool rowsMode = expand || (mSelection.range.top == 0 && mSelection.range.left == 0);
  if (rowsMode) {
    mDuplicateRows = std::move(duplicates);
    return {d, compared - d};
  }
  const int32_t left = std::max(block.left, 1);
  const int32_t right = std::min(block.right, cols - 1);
  int32_t w = first;
  size_t next = 0;
  for (int32_t r = first; r <= bottom; ++r) {
    if (next < duplicates.size() && duplicates[next] == r) {
      ++next;
      continue;
    }
    for (int32_t c = left; c <= right; ++c) moveCell(w, c, *mCore->cellAt(r, c), r);
    ++w;
  }
  const Cell empty{};
  for (int32_t r = w; r <= bottom; ++r)
    for (int32_t c = left; c <= right; ++c) moveCell(r, c, empty);
  return {d, compared - d};
}

// The computed value at (row, col) into `values` under `to`, when there is one; with
// `formulasOnly`, only when the cell is a formula.
static void keepValue(const CDataCore& core, const Cell& cell, int32_t row, int32_t col, uint64_t to,
                      std::unordered_map<uint64_t, double>& values, bool formulasOnly) {
  if (formulasOnly && cell.kind != CELL_FORMULA) return;
  auto it = core.mFormulaValues.find(cellPos(row, col));
  if (it != core.mFormulaValues.end()) values[to] = it->second;
}

void CDeleteDuplicate::moveCell(int32_t row, int32_t col, const Cell& source, int32_t sourceRow) {
  const Cell target = *mCore->cellAt(row, col);
  if (target.kind == source.kind && target.flag == source.flag && target.value == source.value) return;
  // The old side keeps any value at the position (one a row move left there too).
  keepValue(*mCore, target, row, col, cellPos(row, col), mOldValues, false);
  if (sourceRow > 0) keepValue(*mCore, source, sourceRow, col, cellPos(row, col), mNewValues, true);
  keepCellText(*mCore, source, mNewTexts);
  mNewCells.push_back(CellRecord{row, col, source});
  keepCellText(*mCore, target, mOldTexts);
  mOldCells.push_back(CellRecord{row, col, target});
}

void CDeleteDuplicate::redo() {
  if (mDuplicateRows.empty()) {
    const TextPromise promise(*mCore, mNewTexts);  // may fail: before any cell is written
    for (const CellRecord& r : mNewCells) mCore->restoreCell(r.row, r.col, r.cell, mNewTexts);
    for (const auto& [pos, value] : mNewValues) mCore->mFormulaValues[pos] = value;
    return;
  }
  removeRows();
  notify();
}

void CDeleteDuplicate::undo() {
  if (mDuplicateRows.empty()) {
    const TextPromise promise(*mCore, mOldTexts);  // may fail: before any cell is written
    for (const CellRecord& r : mOldCells) mCore->restoreCell(r.row, r.col, r.cell, mOldTexts);
    for (const auto& [pos, value] : mOldValues) mCore->mFormulaValues[pos] = value;
    return;
  }
  restoreRows();
  notify();
}

// Rows mode, redo: releases the removed rows' texts, then closes the rows up.
void CDeleteDuplicate::removeRows() {
  CDataCore& core = *mCore;
  const size_t n = mDuplicateRows.size();
  const int64_t count = static_cast<int64_t>(core.mRowCount);
  mRemovedRows.clear();
  mRemovedRows.reserve(n);  // before anything changes: nothing below allocates rows
  releaseTexts();
  mOldValues.clear();
  if (!core.mFormulaValues.empty()) {  // as clearing the cells would; kept for undo
    const int32_t cols = static_cast<int32_t>(core.mColCount);
    for (int32_t r : mDuplicateRows) {
      for (int32_t c = 0; c < cols; ++c) {
        if (core.mDatas[r][c].kind != CELL_FORMULA) continue;
        auto it = core.mFormulaValues.find(cellPos(r, c));
        if (it == core.mFormulaValues.end()) continue;
        mOldValues.insert(*it);
        core.mFormulaValues.erase(it);
      }
    }
  }
  int64_t w = mDuplicateRows.front();
  size_t d = 0;
  for (int64_t r = w; r < count; ++r) {
    if (d < n && mDuplicateRows[d] == r) {
      mRemovedRows.push_back(core.mDatas[r]);
      ++d;
    } else {
      core.mDatas[w++] = core.mDatas[r];
    }
  }
  core.mDatas = rowalloc::reallocArray(core.mDatas, size_t(count), size_t(w));  // shrinks
  core.mRowCount = uint64_t(w);
  mFilterRows.clear();
  if (core.mFilter.active()) {
    const std::vector<int32_t>& dup = mDuplicateRows;
    for (const auto& [key, column] : core.mFilter.mColumns)
      for (int32_t r : column.rows)
        if (std::binary_search(dup.begin(), dup.end(), r)) mFilterRows.push_back({key, r});
    core.mFilter.remapRows([&dup](int32_t a) {
      auto it = std::lower_bound(dup.begin(), dup.end(), a);
      if (it != dup.end() && *it == a) return -1;
      return a - int32_t(it - dup.begin());
    });
  }
}

// Rows mode, undo: puts the removed rows back at their row numbers, then their texts.
void CDeleteDuplicate::restoreRows() {
  CDataCore& core = *mCore;
  // Every saved text promised first: re-counting them below then finds each entry in
  // place, and a failure for want of memory comes before anything changed.
  TextPromise promise(core);
  size_t saved = 0;
  for (const TextShard& shard : mSavedTexts) saved += shard.texts.size();
  promise.reserve(saved);
  for (const TextShard& shard : mSavedTexts)
    for (const SavedText& t : shard.texts)
      if (t.len != 0) promise.add(t.key, std::string_view(shard.bytes.data() + t.offset, t.len));
  const int64_t n = static_cast<int64_t>(mDuplicateRows.size());
  const int64_t count = static_cast<int64_t>(core.mRowCount);
  Cell** rows = rowalloc::reallocArray(core.mDatas, size_t(count), size_t(count + n));
  if (!rows) throw "CDataGrid::insertRow1:mDatas memery malloc error!";
  core.mDatas = rows;
  int64_t src = count - 1;
  for (int64_t i = count + n - 1, d = n - 1; d >= 0; --i) {
    if (mDuplicateRows[size_t(d)] == i) rows[i] = mRemovedRows[size_t(d--)];
    else rows[i] = rows[src--];
  }
  core.mRowCount = uint64_t(count + n);
  reinternTexts();
  mRemovedRows.clear();
  for (const auto& [pos, value] : mOldValues) core.mFormulaValues[pos] = value;
  mOldValues.clear();
  if (core.mFilter.active()) {
    // Old row a moves down by the number of positions p_j with p_j - j <= a.
    std::vector<int32_t> shifted(mDuplicateRows.size());
    for (size_t j = 0; j < shifted.size(); ++j) shifted[j] = mDuplicateRows[j] - int32_t(j);
    core.mFilter.remapRows([&shifted](int32_t a) {
      return a + int32_t(std::upper_bound(shifted.begin(), shifted.end(), a) - shifted.begin());
    });
  }
  // The removed rows that a filter column hid are hidden by it again.
  for (const auto& [key, row] : mFilterRows) {
    auto it = core.mFilter.mColumns.find(key);
    if (it != core.mFilter.mColumns.end()) it->second.rows.insert(row);
  }
  mFilterRows.clear();
}

// Counts the pool keys of the duplicate rows (still in the sheet), keeps each key's
// bytes, and drops their references from the pool.
void CDeleteDuplicate::releaseTexts() {
  CDataCore& core = *mCore;
  const size_t n = mDuplicateRows.size();
  const size_t cols = size_t(core.mColCount);
  const unsigned threads = threadCount(n, 4096);
  // Keys sorted into shards by row chunk, then counted and saved per shard.
  std::vector<std::array<std::vector<uint64_t>, TEXT_SHARDS>> buckets(threads);
  parallelChunks(n, threads, [&](unsigned p, size_t b, size_t e) {
    for (size_t i = b; i < e; ++i) {
      const Cell* row = core.mDatas[mDuplicateRows[i]];
      for (size_t c = 1; c < cols; ++c)  // column 0 holds heights, not texts
        if (holdsPoolKey(row[c])) buckets[p][shardOfKey(row[c].value)].push_back(row[c].value);
    }
  });
  mSavedTexts.assign(TEXT_SHARDS, TextShard{});
  parallelChunks(TEXT_SHARDS, threads > 1 ? TEXT_SHARDS : 1, [&](unsigned, size_t sb, size_t se) {
    for (size_t s = sb; s < se; ++s) {
      KeyCounts counts;
      for (auto& b : buckets) {
        for (uint64_t k : b[s]) counts.add(k);
        std::vector<uint64_t>().swap(b[s]);
      }
      TextShard& shard = mSavedTexts[s];
      shard.texts.reserve(counts.used);
      std::vector<std::pair<uint64_t, uint64_t>> keys;  // (placement, index in counts)
      keys.reserve(counts.used);
      for (size_t i = 0; i < counts.slots.size(); ++i)
        if (counts.slots[i].first) keys.push_back({fmix(counts.slots[i].first), i});
      std::sort(keys.begin(), keys.end());
      for (auto [placement, i] : keys) {
        auto [key, refs] = counts.slots[i];
        StringPool::Entry e;
        if (!core.mPool.lookup(key, e)) e = StringPool::Entry{};
        shard.texts.push_back(SavedText{key, refs, e.count, shard.bytes.size(), e.len});
        shard.bytes.append(e.bytes ? e.bytes : "", e.len);
      }
    }
  });
  // Every shard's references go at once; the pool locks its own shards.
  parallelChunks(TEXT_SHARDS, threads > 1 ? TEXT_SHARDS : 1, [&](unsigned, size_t sb, size_t se) {
    for (size_t s = sb; s < se; ++s)
      for (const SavedText& t : mSavedTexts[s].texts)
        if (t.len != 0) core.mPool.releaseCounted(t.key, t.refs);  // len 0: not in the pool
  });
}

// Gives the restored rows' cells their pool references back, from the saved bytes.
void CDeleteDuplicate::reinternTexts() {
  CDataCore& core = *mCore;
  std::vector<std::vector<const SavedText*>> collided(TEXT_SHARDS);
  std::vector<std::vector<const SavedText*>> missing(TEXT_SHARDS);
  const unsigned threads = mDuplicateRows.size() > 4096 ? TEXT_SHARDS : 1;
  parallelChunks(TEXT_SHARDS, threads, [&](unsigned, size_t sb, size_t se) {
    for (size_t s = sb; s < se; ++s) {
      const TextShard& shard = mSavedTexts[s];
      for (const SavedText& t : shard.texts) {
        if (t.len == 0) {
          missing[s].push_back(&t);
          continue;
        }
        bool clash = false;
        core.mPool.addCounted(t.key, shard.bytes.data() + t.offset, t.len, t.refs, clash);
        if (clash) collided[s].push_back(&t);
      }
    }
  });
  // Keys that another text took meanwhile get the next free key, as interning does.
  std::unordered_map<uint64_t, uint64_t> moved;
  for (size_t s = 0; s < TEXT_SHARDS; ++s) {
    const TextShard& shard = mSavedTexts[s];
    for (const SavedText* t : collided[s]) {
      const char* bytes = shard.bytes.data() + t->offset;
      uint64_t key = core.mPool.intern(t->key, bytes, t->len);
      bool clash = false;
      if (t->refs > 1) core.mPool.addCounted(key, bytes, t->len, t->refs - 1, clash);
      moved[t->key] = key;
    }
    for (const SavedText* t : missing[s]) moved[t->key] = 0;
  }
  mSavedTexts.clear();
  if (moved.empty()) return;
  const size_t cols = size_t(core.mColCount);
  for (int32_t r : mDuplicateRows) {
    Cell* row = core.mDatas[r];
    for (size_t c = 1; c < cols; ++c) {
      if (!holdsPoolKey(row[c])) continue;
      auto it = moved.find(row[c].value);
      if (it == moved.end()) continue;
      row[c].value = it->second;
      if (it->second == 0) row[c].kind = CELL_TEXT;  // a text lost before it was saved
    }
  }
}
