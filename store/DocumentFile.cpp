// The ".mvt" document file: CDataCore::write, read and appendMvt, and the checks and
// progress arithmetic they share (declared in DocumentFile.h).
#include "store/DocumentFile.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileIo.h"
#include "store/Alloc.h"
#include "store/BlockIo.h"
#include "store/DataCore.h"
#include "store/KeyCounts.h"
#include "store/Parallel.h"
#include "store/PoolSection.h"
#include "store/TextKey.h"

static_assert(std::endian::native == std::endian::little,
              "cells and heads are written as they lie in memory, which must be little-endian");

namespace docfile {

bool checkHead(const DocHeader& head, uint64_t fileSize, Layout& out) {
  constexpr uint64_t LIMIT = uint64_t(INT32_MAX);
  if (fileSize < HEAD_BYTES) return false;
  if (head.mRowCount > LIMIT || head.mColCount > LIMIT) return false;
  if (head.mRowCount > 0 && head.mColCount == 0) return false;
  // Both counts are below 2^31, so R x C fits; x 10 is checked against the file.
  uint64_t cells = head.mRowCount * head.mColCount;
  if (cells > (fileSize - HEAD_BYTES) / CELL_BYTES) return false;
  out.rows = head.mRowCount;
  out.cols = head.mColCount;
  out.rowBytes = head.mColCount * CELL_BYTES;
  out.cellBytes = cells * CELL_BYTES;
  out.poolStart = HEAD_BYTES + out.cellBytes;
  out.fileSize = fileSize;
  return true;
}

bool checkEntry(uint64_t key, uint64_t len, uint64_t offset, uint64_t fileSize) {
  if (key == 0 || len < COUNT_BYTES) return false;
  if (offset > fileSize || fileSize - offset < ENTRY_HEAD_BYTES) return false;
  return len <= fileSize - offset - ENTRY_HEAD_BYTES;
}

ReadProgress planReadProgress(uint64_t rows, uint64_t cellBytes, int64_t poolBytes,
                              uint64_t poolSection) {
  ReadProgress plan;
  double cells = double(cellBytes);
  double pool = poolBytes <= 0 ? 0.0 : double(std::min(uint64_t(poolBytes), poolSection));
  if (cells + pool > 0) plan.share = cells * 90.0 / (cells + pool);
  if (plan.share > 0) {
    double step = double(rows) / plan.share;  // at most 1.2 x rows: fits
    plan.rowStep = int64_t(step);
  }
  double rest = 90.0 - plan.share;
  if (pool > 0 && rest > 0) {
    double h = pool / rest;
    plan.poolStep = h < double(INT32_MAX) ? int32_t(h) : INT32_MAX;
  }
  return plan;
}

}  // namespace docfile

using namespace docfile;

namespace {

// ---- write ----

// One pool entry: key, L (the stored bytes and the count), the bytes, the count.
void putEntry(BlockWriter& out, uint64_t key, const char* bytes, size_t len, uint64_t count) {
  const uint64_t stored = uint64_t(len) + COUNT_BYTES;
  constexpr size_t FRAME = ENTRY_HEAD_BYTES + COUNT_BYTES;
  if (out.capacity() >= FRAME && len <= out.capacity() - FRAME) {
    char* p = out.space(FRAME + len);  // one bounds check for the whole entry
    std::memcpy(p, &key, 8);
    std::memcpy(p + 8, &stored, 8);
    std::memcpy(p + ENTRY_HEAD_BYTES, bytes, len);
    std::memcpy(p + ENTRY_HEAD_BYTES + len, &count, 8);
    return;
  }
  out.put64(key);
  out.put64(uint64_t(len) + COUNT_BYTES);
  out.put(bytes, len);
  out.put64(count);
}

// The state of the filter goes into the pool under slot 6, or slot 6 is emptied.
void storeFilterState(CDataCore& core) {
  AttrSlot& slot = core.mAttrs[ATTR_FILTER];
  if (core.mFilter.active()) {
    std::string bytes = core.mFilter.serialize();
    const uint64_t key = core.internBytes(fnv1a64(bytes.data(), bytes.size()), bytes);  // may throw: first
    if (slot.value) core.release(slot.value);
    slot.value = key;
  } else if (slot.value) {
    core.release(slot.value);
    slot.value = 0;
  }
}

// Rows that a filtered save keeps: the header row and every row not hidden.
bool shownRow(const CDataCore& core, uint64_t r) { return r == 0 || core.mDatas[r][0].flag == 0; }

// Writes the rows for which keep(r) holds, reporting progress on the sheet's row count.
template <class Keep>
void putRows(CDataCore& core, BlockWriter& out, int64_t& counter, Keep&& keep) {
  if (core.mColCount == 0) return;
  const uint64_t rows = core.mRowCount, rowBytes = core.mColCount * CELL_BYTES;
  const uint64_t step = rows / 70;
  for (uint64_t r = 0; r < rows && out.ok(); ++r) {
    if (!keep(r)) continue;
    out.put(core.mDatas[r], rowBytes);
    if (step && r % step == 0) core.reportProgress(counter++);
  }
}

bool writeWhole(CDataCore& core, BlockWriter& out, int64_t& counter) {
  storeFilterState(core);
  DocHeader head = core;
  if (head.mColCount == 0) head.mRowCount = 0;  // rows without cells carry nothing
  out.put(&head, HEAD_BYTES);
  core.reportProgress(10);
  putRows(core, out, counter, [](uint64_t) { return true; });
  const size_t step = core.mPool.size() / 20;
  size_t k = 0;
  core.mPool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
    if (!out.ok()) return;
    putEntry(out, key, bytes, len, count);
    if (step && k % step == 0) core.reportProgress(counter++);
    ++k;
  });
  return out.flush();
}

// Counts the references that the shown rows from..to-1 hold.
void countRows(const CDataCore& core, uint64_t from, uint64_t to, KeyCounts& counts) {
  const uint64_t cols = core.mColCount;
  for (uint64_t r = from; r < to; ++r) {
    if (!shownRow(core, r)) continue;
    const Cell* row = core.mDatas[r];
    for (uint64_t c = 0; c < cols; ++c)
      if (isPoolKind(row[c].kind)) counts.add(row[c].value);
  }
}

// References that the shown rows and the text attribute slots (the filter's excepted)
// hold, per pool key; keys without a pool entry are not counted. Large sheets are
// counted by a few threads, each over its own rows.
void countShownTexts(const CDataCore& core, const IoOptions& options, KeyCounts& counts) {
  const uint64_t rows = core.mColCount ? core.mRowCount : 0;
  const unsigned threads = options.parallel ? threadCount(rows, 50000, options.threads) : 1;
  parallelChunks(rows, threads, [&](unsigned, size_t from, size_t to) { countRows(core, from, to, counts); });
  for (int32_t slot = 0; slot < ATTR_SLOT_COUNT; ++slot)
    if (slot != ATTR_FILTER && isTextAttr(slot)) counts.add(core.mAttrs[slot].value);
}

// The filtered save: shown rows only, slot 6 empty, and only the texts those rows and
// the document scripts use, with their counts recounted, so that nothing of the hidden
// rows (nor the filter state naming them) reaches the file.
bool writeShown(CDataCore& core, BlockWriter& out, const IoOptions& options, int64_t& counter) {
  DocHeader head = core;
  uint64_t shown = 0;
  for (uint64_t r = 0; head.mColCount && r < core.mRowCount; ++r) shown += shownRow(core, r);
  head.mRowCount = shown;
  head.mAttrs[ATTR_FILTER].value = 0;
  KeyCounts counts(core.mPool);
  countShownTexts(core, options, counts);
  int64_t poolBytes;
  const size_t entries = counts.counted(poolBytes);
  head.mPoolBytes = poolBytes;
  out.put(&head, HEAD_BYTES);
  core.reportProgress(10);
  putRows(core, out, counter, [&](uint64_t r) { return shownRow(core, r); });
  const size_t step = entries / 20;
  size_t k = 0;
  core.mPool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t) {
    const uint64_t count = counts.get(key);
    if (!count || !out.ok()) return;
    putEntry(out, key, bytes, len, count);
    if (step && k % step == 0) core.reportProgress(counter++);
    ++k;
  });
  return out.flush();
}

// ---- read ----

void freeRows(Cell** rows, uint64_t n) {
  for (uint64_t r = 0; r < n; ++r) rowalloc::freeRow(rows[r]);
  rowalloc::freeArray(rows);
}

[[noreturn]] void throwRowFailure(uint64_t row, uint64_t rowBytes) {
  throw "CDataGrid::read: row-" + std::to_string(row) + ",len-" + std::to_string(rowBytes) +
      " memory malloc error!";
}

// Reads the cell section into a new row array (null for no rows). A short read gives
// false with nothing allocated left; an allocation failure frees what was made and
// throws the reader's text. Large sheets are read a block of rows at a time, whose rows
// several threads make and fill (each row's memory first touched by the thread that
// fills it); a failed row is then the first of the block that failed.
bool readRows(CDataCore& core, BlockReader& in, const Layout& lay, const ReadProgress& plan,
              const IoOptions& options, int64_t& counter, Cell**& out) {
  constexpr uint64_t PARALLEL_FROM_ROWS = 65536;
  constexpr uint64_t BLOCK_BYTES = uint64_t(64) << 20;
  out = nullptr;
  if (lay.rows == 0) return true;
  Cell** rows = rowalloc::allocArray(lay.rows);
  if (!rows) throw std::string("CDataGrid::read:mDatas malloc error, RowCount:") + std::to_string(lay.rows);
  const unsigned threads = options.parallel ? threadCount(lay.rows, PARALLEL_FROM_ROWS / 8, options.threads) : 1u;
  if (threads <= 1 || lay.rows < PARALLEL_FROM_ROWS || lay.rowBytes > BLOCK_BYTES) {
    for (uint64_t r = 0; r < lay.rows; ++r) {
      Cell* row = rowalloc::allocRow(lay.cols);
      if (!row) {
        freeRows(rows, r);
        throwRowFailure(r, lay.rowBytes);
      }
      rows[r] = row;
      if (!in.copy(row, lay.rowBytes)) {
        freeRows(rows, r + 1);
        return false;
      }
      if (plan.rowStep && r % uint64_t(plan.rowStep) == 0) core.reportProgress(counter++);
    }
    out = rows;
    return true;
  }
  const uint64_t perBlock = std::max<uint64_t>(1, BLOCK_BYTES / lay.rowBytes);
  std::vector<char> block(size_t(std::min(perBlock, lay.rows) * lay.rowBytes));
  for (uint64_t first = 0; first < lay.rows; first += perBlock) {
    const uint64_t n = std::min(perBlock, lay.rows - first);
    if (!in.copy(block.data(), size_t(n * lay.rowBytes))) {
      freeRows(rows, first);
      return false;
    }
    std::atomic<uint64_t> failed{UINT64_MAX};
    std::fill(rows + first, rows + first + n, nullptr);
    try {
      parallelChunks(size_t(n), threads, [&](unsigned, size_t b, size_t e) {
        for (size_t i = b; i < e; ++i) {
          Cell* row = rowalloc::allocRow(lay.cols);
          rows[first + i] = row;
          if (!row) {
            uint64_t seen = failed.load();
            while (first + i < seen && !failed.compare_exchange_weak(seen, first + i)) {
            }
            continue;
          }
          std::memcpy(static_cast<void*>(row), block.data() + i * lay.rowBytes, size_t(lay.rowBytes));
        }
      });
    } catch (...) {  // a thread that could not be started
      freeRows(rows, first + n);
      throw;
    }
    if (failed.load() != UINT64_MAX) {
      freeRows(rows, first + n);  // null rows are passed over
      throwRowFailure(failed.load(), lay.rowBytes);
    }
    for (uint64_t r = first; r < first + n; ++r) {
      if (plan.rowStep && r % uint64_t(plan.rowStep) == 0) core.reportProgress(counter++);
    }
  }
  out = rows;
  return true;
}

// The number of entries a pool section of `section` bytes holds by the head's pool
// bytes (an entry takes 8 bytes more in the file than in that figure), at most as many
// as entries of the smallest size fit; 0 when the head's figure cannot be right.
uint64_t entriesByHead(uint64_t section, int64_t poolBytes) {
  if (poolBytes < 0 || uint64_t(poolBytes) > section) return 0;
  const uint64_t entries = (section - uint64_t(poolBytes)) / COUNT_BYTES;
  return std::min(entries, section / (ENTRY_HEAD_BYTES + COUNT_BYTES + 1));
}

// Once this many pool bytes are read without a usable head figure, the pool makes room
// for the rest of the section.
constexpr uint64_t RESERVE_AFTER_BYTES = uint64_t(16) << 20;

// Makes room in the pool for the entries of a section of `section` bytes, estimated from
// the `entries` read in its first `consumed` bytes (a little over, so that the tables do
// not grow again near the end). The estimate is bounded by the file's own size.
void reserveForSection(StringPool& pool, uint64_t section, uint64_t consumed, uint64_t entries) {
  if (consumed == 0 || consumed >= section) return;
  const double estimate = double(section) / double(consumed) * double(entries) * 1.05;
  if (estimate > double(entries)) pool.reserve(size_t(estimate) - size_t(entries));
}

// Step 9 of reading: every entry into the pool as it stands in the file (a later entry
// under the same key replaces an earlier one). The head's pool bytes are then set to
// what the stored entries add up to: a damaged head is not believed.
//
// The pool's tables are made large enough before the first entry goes in: entries come
// in the order of the saving pool's tables, and storing them in that order into tables
// that are still growing piles them into long probe runs.
//
// The section is read a large block at a time; the entries of a block are sorted by
// the pool shard that holds them and stored by several threads, each shard by one
// thread in the order of the file (so a repeated key ends as the last entry gives it).
class PoolLoader {
 public:
  static constexpr size_t LOAD_BLOCK_BYTES = size_t(64) << 20;

  PoolLoader(CDataCore& core, const Layout& lay, const ReadProgress& plan, int64_t counter, int64_t headPoolBytes,
             const IoOptions& options)
      : mCore(core), mLay(lay), mPlan(plan), mCounter(counter), mOptions(options),
        mSection(lay.fileSize - lay.poolStart) {
    const uint64_t expected = entriesByHead(mSection, headPoolBytes);
    if (expected) core.mPool.reserve(size_t(expected));
    mReserved = expected != 0;
  }

  bool load(BlockReader& in) {
    const size_t blockBytes = mOptions.blockBytes ? in.capacity() : LOAD_BLOCK_BYTES;
    std::vector<char> block;
    std::string spill;  // an entry larger than a block
    uint64_t offset = mLay.poolStart;  // of block[0] in the file
    size_t have = 0;    // bytes of the block read
    bool end = false;
    while (!end || have != 0) {
      if (!end) {  // fill the block behind what the last one left
        const size_t want = std::min<uint64_t>(blockBytes, mLay.fileSize - offset - have);
        if (have + want > block.capacity()) allocfail::check(allocfail::BUFFERS);
        block.resize(have + want);
        if (want != 0 && !in.copy(block.data() + have, want)) return false;
        have += want;
        end = offset + have == mLay.fileSize;
      }
      size_t used = 0;
      while (have - used >= ENTRY_HEAD_BYTES) {
        uint64_t key, len;
        std::memcpy(&key, block.data() + used, 8);
        std::memcpy(&len, block.data() + used + 8, 8);
        if (!checkEntry(key, len, offset + used, mLay.fileSize)) return false;
        if (len > have - used - ENTRY_HEAD_BYTES) {
          if (len <= blockBytes) break;  // the rest comes with the next block
          // Larger than a block: read on its own, after the entries before it.
          storeQueued();
          spill.assign(block.data() + used + ENTRY_HEAD_BYTES, have - used - ENTRY_HEAD_BYTES);
          const size_t had = spill.size();
          allocfail::check(allocfail::BUFFERS);
          spill.resize(len);
          if (!in.copy(spill.data() + had, len - had)) return false;
          queue(key, spill.data(), len);
          storeQueued();
          offset += used + ENTRY_HEAD_BYTES + len;
          used = have = 0;
          end = offset == mLay.fileSize;
          break;
        }
        queue(key, block.data() + used + ENTRY_HEAD_BYTES, len);
        used += ENTRY_HEAD_BYTES + len;
      }
      if (have == 0) continue;
      if (used == 0 && end) return false;  // a cut entry at the end of the file
      storeQueued();
      std::memmove(block.data(), block.data() + used, have - used);
      offset += used;
      have -= used;
    }
    if (mCore.mPool.size() != mStored) {  // keys given more than once: add up what is left
      mPoolBytes = 0;
      mCore.mPool.forEach([&](uint64_t, const char*, size_t len, uint64_t) {
        mPoolBytes += StringPool::accountedBytes(len);
      });
    }
    mCore.mPoolBytes = mPoolBytes;
    return true;
  }

 private:
  struct Queued {
    uint64_t key;
    const char* bytes;
    size_t len;  // without the count
    uint64_t count;
  };

  // The stored count is not read: every entry goes in with a count of 1 and takes the
  // references the sheet holds afterwards (adoptReferences).
  void queue(uint64_t key, const char* stored, uint64_t len) {
    Queued q{key, stored, size_t(len - COUNT_BYTES), 1};
    if (q.len) {
      ++mStored;
      mPoolBytes += StringPool::accountedBytes(q.len);
    }
    mTaken += len;
    ++mEntries;
    mQueued.push_back(q);
    if (mPlan.poolStep) {  // the reports of storing one entry after another
      const int64_t m = int64_t(mTaken / uint64_t(mPlan.poolStep));
      if (m > mReported) mCore.reportProgress(mCounter + (mReported = m));
    }
  }

  // Stores the queued entries, shard by shard on several threads.
  void storeQueued() {
    if (mQueued.empty()) return;
    if (!mReserved && mTaken >= RESERVE_AFTER_BYTES) {
      mReserved = true;
      reserveForSection(mCore.mPool, mSection, mTaken + ENTRY_HEAD_BYTES * mEntries, mEntries);
    }
    const size_t shards = StringPool::SHARD_COUNT;
    std::vector<size_t> start(shards + 1, 0);
    for (const Queued& q : mQueued) ++start[StringPool::shardIndex(q.key) + 1];
    for (size_t i = 0; i < shards; ++i) start[i + 1] += start[i];
    mOrder.resize(mQueued.size());
    std::vector<size_t> at(start.begin(), start.end() - 1);
    for (const Queued& q : mQueued) mOrder[at[StringPool::shardIndex(q.key)]++] = q;
    const unsigned threads =
        mOptions.parallel ? threadCount(mQueued.size(), 4096, mOptions.threads) : 1u;
    std::atomic<size_t> next{0};
    parallelChunks(threads, threads, [&](unsigned, size_t, size_t) {
      for (size_t sh; (sh = next++) < shards;) {
        for (size_t k = start[sh]; k < start[sh + 1]; ++k) {
          const Queued& q = mOrder[k];
          mCore.mPool.put(q.key, q.bytes, q.len, q.count);
        }
      }
    });
    mQueued.clear();
  }

  CDataCore& mCore;
  const Layout& mLay;
  const ReadProgress& mPlan;
  int64_t mCounter;
  const IoOptions& mOptions;
  uint64_t mSection;
  bool mReserved = false;
  uint64_t mTaken = 0, mEntries = 0, mStored = 0;
  int64_t mReported = 0, mPoolBytes = 0;
  std::vector<Queued> mQueued, mOrder;
};

// The text keys of rows from..to-1 (cells of a pool kind with a key), each passed to f.
template <class F>
void forEachRowKey(const CDataCore& core, uint64_t from, uint64_t to, F&& f) {
  const uint64_t cols = core.mColCount;
  for (uint64_t r = from; r < to; ++r) {
    const Cell* row = core.mDatas[r];
    for (uint64_t c = 0; c < cols; ++c) {
      const uint64_t key = row[c].value;  // a copy: the packed field may be misaligned
      if (isPoolKind(row[c].kind) && key != 0) f(key);
    }
  }
}

// Cells whose references are counted in one pass: the keys of that many cells are
// gathered by shard before they are counted.
constexpr uint64_t RECOUNT_BATCH_CELLS = uint64_t(1) << 22;

// Step 10 of reading: each text's count becomes the number of references the file
// actually holds (cells, header cells included, and the text attribute slots), so no
// stated count can plant a wrong one; entries nothing references leave the pool, and a
// reference to a text the file lacks is emptied (a cell becomes the empty text, a slot 0).
// Rows are taken in batches: several threads gather a batch's keys into one run per
// shard (each thread its own part of every run), then each shard's run is counted
// into the pool by one thread, so no count is shared between threads.
void adoptReferences(CDataCore& core, const IoOptions& options) {
  constexpr size_t SHARDS = StringPool::SHARD_COUNT;
  const uint64_t rows = core.mColCount ? core.mRowCount : 0;
  const uint64_t batchRows = rows ? std::max<uint64_t>(1, RECOUNT_BATCH_CELLS / core.mColCount) : 0;
  const uint64_t most = std::min(rows, batchRows);
  const unsigned threads = options.parallel ? threadCount(most, 50000, options.threads) : 1;
  // Everything is allocated before the counts are cleared.
  allocfail::check(allocfail::COUNTS);
  std::vector<uint64_t> keys(size_t(most * core.mColCount)), scratch(keys.size());
  std::vector<size_t> at(size_t(threads) * SHARDS);  // [thread][shard]: count, then next slot
  std::vector<size_t> start(SHARDS + 1);
  StringPool& pool = core.mPool;
  pool.beginRecount(threads);
  std::atomic<size_t> absent{0};
  for (uint64_t first = 0; first < rows; first += batchRows) {
    const uint64_t n = std::min(batchRows, rows - first);
    std::fill(at.begin(), at.end(), size_t(0));
    parallelChunks(n, threads, [&](unsigned t, size_t from, size_t to) {
      size_t* mine = &at[size_t(t) * SHARDS];
      forEachRowKey(core, first + from, first + to, [&](uint64_t key) { ++mine[StringPool::shardIndex(key)]; });
    });
    size_t sum = 0;
    for (size_t sh = 0; sh < SHARDS; ++sh) {
      start[sh] = sum;
      for (unsigned t = 0; t < threads; ++t) {
        const size_t c = at[size_t(t) * SHARDS + sh];
        at[size_t(t) * SHARDS + sh] = sum;
        sum += c;
      }
    }
    start[SHARDS] = sum;
    parallelChunks(n, threads, [&](unsigned t, size_t from, size_t to) {
      size_t* mine = &at[size_t(t) * SHARDS];
      forEachRowKey(core, first + from, first + to,
                    [&](uint64_t key) { keys[mine[StringPool::shardIndex(key)]++] = key; });
    });
    std::atomic<size_t> next{0};
    parallelChunks(threads, threads, [&](unsigned, size_t, size_t) {
      size_t missing = 0;
      for (size_t sh; (sh = next++) < SHARDS;)
        missing += pool.countInShard(sh, keys.data() + start[sh], start[sh + 1] - start[sh], scratch.data() + start[sh]);
      if (missing) absent += missing;
    });
  }
  for (int32_t slot = 0; slot < ATTR_SLOT_COUNT; ++slot) {
    const uint64_t key = core.mAttrs[slot].value;
    if (!isTextAttr(slot) || key == 0) continue;
    if (pool.countInShard(StringPool::shardIndex(key), &key, 1)) core.mAttrs[slot].value = 0;
  }
  pool.endRecount(threads);
  if (absent == 0) return;
  parallelChunks(rows, threads, [&](unsigned, size_t from, size_t to) {
    const uint64_t cols = core.mColCount;
    for (size_t r = from; r < to; ++r) {
      Cell* row = core.mDatas[r];
      for (uint64_t c = 0; c < cols; ++c) {
        Cell& cell = row[c];
        const uint64_t key = cell.value;
        if (isPoolKind(cell.kind) && key != 0 && pool.find(key) == nullptr) {
          cell.kind = CELL_TEXT;
          cell.value = 0;
        }
      }
    }
  });
}

bool loadPool(CDataCore& core, BlockReader& in, const Layout& lay, const ReadProgress& plan, int64_t counter,
              int64_t headPoolBytes, const IoOptions& options) {
  PoolLoader loader(core, lay, plan, counter, headPoolBytes, options);
  return loader.load(in);
}

// Steps 4 to 9 of reading a document into an emptied sheet. False leaves the sheet
// holding whatever was read; the caller empties it.
bool readDocument(CDataCore& core, FILE* f, const IoOptions& options) {
  uint64_t fileSize;
  if (!fileSizeOf(f, fileSize)) return false;
  BlockReader in(f, options.blockBytes ? options.blockBytes : BlockReader::DEFAULT_CAPACITY);
  DocHeader head;
  Layout lay;
  if (!in.copy(&head, HEAD_BYTES) || !checkHead(head, fileSize, lay)) return false;
  if (head.mRowCount == 0) head.mColCount = 0;  // no rows: an empty sheet, as clear leaves it
  core.reportProgress(10);
  const ReadProgress plan =
      planReadProgress(lay.rows, lay.cellBytes, head.mPoolBytes, fileSize - lay.poolStart);
  int64_t counter = 10;
  Cell** rows;
  if (!readRows(core, in, lay, plan, options, counter, rows)) return false;
  static_cast<DocHeader&>(core) = head;
  core.mDatas = rows;
  if (!loadPool(core, in, lay, plan, counter, head.mPoolBytes, options)) return false;
  adoptReferences(core, options);
  return true;
}

// ---- append ----

using TextBytes = std::unordered_map<uint64_t, std::string>;

// Puts another document's row (its C2 cells) into row r of the sheet, which is empty and
// at least as wide, and interns the texts of its cells from the other's pool. A key the
// other pool lacks (a damaged file) leaves an empty cell. The row-header cell is treated
// alike: it holds a height, but should a file give it a text key, that key must own a
// reference in this sheet's pool like any other.
void placeRow(CDataCore& core, uint64_t r, const Cell* src, uint64_t cols, const TextBytes& texts) {
  Cell* row = core.mDatas[r];
  std::memcpy(static_cast<void*>(row), src, cols * CELL_BYTES);
  uint64_t c = 0;
  try {
    for (; c < cols; ++c) {
      Cell& cell = row[c];
      const uint64_t key = cell.value;  // a copy: the packed field may be misaligned
      if (!isPoolKind(cell.kind) || key == 0) continue;
      auto it = texts.find(key);
      if (it == texts.end() || it->second.empty()) {
        cell.kind = CELL_TEXT;
        cell.value = 0;
      } else {
        cell.value = core.internBytes(key, it->second);
      }
    }
  } catch (...) {  // the cells not yet interned own no reference: emptied before the rollback
    std::memset(static_cast<void*>(row + c), 0, size_t(cols - c) * CELL_BYTES);
    throw;
  }
}

struct AppendProgress {
  int32_t from, to;
};

bool placeRows(CDataCore& core, BlockReader& in, const Layout& lay, const TextBytes& texts, std::vector<Cell>& row,
               bool repeated, AppendProgress pr, int32_t c);

// Steps 3 to 9 of appending a document. The sheet changes only once the other file has
// passed its checks and its pool has been read; a later failure takes the appended rows
// back out.
bool appendDocument(CDataCore& core, FILE* f, AppendProgress pr, const IoOptions& options) {
  uint64_t fileSize;
  if (!fileSizeOf(f, fileSize)) return false;
  BlockReader in(f, options.blockBytes ? options.blockBytes : BlockReader::DEFAULT_CAPACITY);
  DocHeader head;
  Layout lay;
  if (!in.copy(&head, HEAD_BYTES) || !checkHead(head, fileSize, lay)) return false;
  if (lay.rows <= 1 || lay.cols <= 1) return false;
  const uint64_t oldRows = core.mRowCount, oldCols = core.mColCount;
  const uint64_t n = std::max<uint64_t>(oldRows, 1);  // a sheet without rows gets row 0
  if (n + lay.rows - 1 > uint64_t(INT32_MAX)) return false;

  TextBytes texts;
  if (!in.seek(lay.poolStart)) return false;
  bool ok = readPoolSection(in, fileSize, [&](uint64_t key, const char* bytes, size_t len, uint64_t) {
    texts[key].assign(bytes, len);
  });
  if (!ok) return false;
  const int32_t c = (pr.to - pr.from) / 6;
  core.reportProgress(pr.from + c);

  std::vector<Cell> row(lay.cols);
  if (!in.seek(HEAD_BYTES + lay.rowBytes) || !in.copy(row.data(), lay.rowBytes)) return false;
  const bool repeated = oldCols == lay.cols && oldRows > 1 && !core.isHeaderEmpty() &&
                        std::memcmp(core.mDatas[1], row.data(), lay.rowBytes) == 0;
  // From here on the sheet changes: any failure, an exception included, takes the
  // appended rows and columns back out.
  try {
    return placeRows(core, in, lay, texts, row, repeated, pr, c);
  } catch (...) {
    core.resize(int32_t(oldRows), int32_t(oldCols));
    throw;
  }
}

// The rows of an append, placed below the sheet's (which grows to hold them); false
// after the sheet was put back to its old size when the file ends early.
bool placeRows(CDataCore& core, BlockReader& in, const Layout& lay, const TextBytes& texts, std::vector<Cell>& row,
               bool repeated, AppendProgress pr, int32_t c) {
  const uint64_t oldRows = core.mRowCount, oldCols = core.mColCount;
  const uint64_t n = std::max<uint64_t>(oldRows, 1);
  uint64_t dst = n;
  if (repeated) {
    core.resize(int32_t(n + lay.rows - 2), int32_t(oldCols));
  } else {
    core.resize(int32_t(n + lay.rows - 1), int32_t(std::max(oldCols, lay.cols)));
    placeRow(core, dst++, row.data(), lay.cols, texts);
  }

  int32_t a = pr.from + 2 * c;
  const int32_t m = (pr.to - a) / 10;
  const uint64_t step = lay.rows / 10;
  core.reportProgress(a);
  for (uint64_t i = 2; i < lay.rows; ++i) {
    if (!in.copy(row.data(), lay.rowBytes)) {
      core.resize(int32_t(oldRows), int32_t(oldCols));
      return false;
    }
    placeRow(core, dst++, row.data(), lay.cols, texts);
    if (step && i % step == 0) {
      core.reportProgress(a);
      a += m;
    }
  }
  return true;
}

}  // namespace

// Creates or replaces the file and writes the head, the rows and the pool entries;
// all = false writes the filtered save (writeShown). Progress 0, 10, one report per
// 1/70 of the rows and per 1/20 of the entries, then 100 once the file is closed. The
// final 100 comes after a failed write too, so that the progress display always closes.
// A file that cannot be created gives false without any report.
//
// An existing regular file is not truncated first: the new bytes go over the old ones
// and the file is then cut to the new length (to nothing after a failure, as a failed
// save leaves no document either way). The result is the file a truncating open gives,
// without making the file system drop the whole old file first and, on ext4, wait at
// the close for the new blocks to be allocated (which halves the speed of a re-save).
bool CDataCore::write(const std::u16string& path, bool all) {
  const IoOptions options = ioOptions();
  FileHandle f(_wfopen(path.c_str(), u"r+b"));
  uint64_t oldSize = 0;
  const bool inPlace = f && fileSizeOf(f.get(), oldSize);
  const bool created = !f && !fileExists(path);  // only a file this save makes is removed again
  if (!inPlace) {
    f.close();
    f = FileHandle(_wfopen(path.c_str(), u"wb"));
  }
  if (!f) return false;
  reportProgress(0);
  bool ok;
  try {
    BlockWriter out(f.get(), options.blockBytes ? options.blockBytes : BlockWriter::DEFAULT_CAPACITY);
    int64_t counter = 10;
    ok = all ? writeWhole(*this, out, counter) : writeShown(*this, out, options, counter);
    ok = out.flush() && ok;
    if (inPlace && !truncateTo(f.get(), ok ? out.total() : 0)) ok = false;
  } catch (...) {  // out of memory: no half-new document is left behind either
    if (inPlace) truncateTo(f.get(), 0);
    f.close();
    if (created) DeleteFileW(path.c_str());
    reportProgress(100);
    throw;
  }
  ok = f.close() && ok;
  // A file this save created holds a whole document or is gone: a cut one would read
  // as damaged, or worse, as a shorter sheet.
  if (!ok && created) DeleteFileW(path.c_str());
  reportProgress(100);
  return ok;
}

// Both encodings become ANSI first. A file that cannot be opened gives false without any
// report. Otherwise the sheet is emptied and the document read into it; a damaged or
// short file gives false and leaves the sheet empty (no rows, no pool, counts 0). The
// final report 100 is sent in every case, an allocation failure included, whose text is
// then raised.
bool CDataCore::read(const std::u16string& path) {
  const CheckOnExit check{*this, "a read of a document"};
  const IoOptions options = ioOptions();
  mOpenEncoding = ENC_ANSI;
  mSaveEncoding = ENC_ANSI;
  FileHandle f(_wfopen(path.c_str(), u"rb"));
  if (!f) return false;
  reportProgress(0);
  clear();
  bool ok;
  try {
    ok = readDocument(*this, f.get(), options);
  } catch (...) {
    clear();
    f.close();
    reportProgress(100);
    throw;
  }
  if (ok)
    loadFilter();
  else
    clear();
  f.close();
  reportProgress(100);
  return ok;
}

// Appends rows 1 on of another document (row 1 left out when it repeats the sheet's
// row 1), interning their texts into this sheet's pool. A refused, damaged or short file
// gives false with the sheet as it was. Progress from progressFrom to progressTo, the
// last report sent in every case once the file is open; resize failures are raised.
bool CDataCore::appendMvt(const std::u16string& path, int32_t progressFrom, int32_t progressTo) {
  const CheckOnExit check{*this, "an append of a document"};
  const IoOptions options = ioOptions();
  FileHandle f(_wfopen(path.c_str(), u"rb"));
  if (!f) return false;
  reportProgress(progressFrom);
  bool ok;
  try {
    ok = appendDocument(*this, f.get(), AppendProgress{progressFrom, progressTo}, options);
  } catch (...) {
    f.close();
    reportProgress(progressTo);
    throw;
  }
  f.close();
  reportProgress(progressTo);
  return ok;
}
