// The ".mvt" document file: CDataCore::write, read and appendMvt, and the checks and
// progress arithmetic they share (declared in DocumentFile.h).
#include "store/DocumentFile.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileIo.h"
#include "store/Alloc.h"
#include "store/BlockIo.h"
#include "store/DataCore.h"
#include "store/KeyCounts.h"
#include "store/LargeBlock.h"
#include "store/Parallel.h"
#include "store/PoolSection.h"
#include "store/SafeSave.h"
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

ReadProgress planReadProgress(uint64_t rows, uint64_t cellBytes, int64_t poolBytes, uint64_t poolSection) {
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

// Reads n bytes at `offset` of the file into dst; false on a short read.
bool readFully(FILE* f, char* dst, size_t n, uint64_t offset) {
  while (n != 0) {
    const size_t got = readAt(f, dst, n, offset);
    if (got == 0) return false;
    dst += got;
    n -= got;
    offset += got;
  }
  return true;
}

// readFully of a large range in consecutive pieces of at least a megabyte, on up to
// `threads` threads: copying out of the page cache is work that spreads.
bool readSpread(FILE* f, char* dst, size_t n, uint64_t offset, unsigned threads) {
  constexpr size_t MIN_PIECE = size_t(1) << 20;
  const auto parts = unsigned(std::min<size_t>(threads, std::max<size_t>(1, n / MIN_PIECE)));
  std::atomic<bool> ok{true};
  parallelChunks(n, parts, [&](unsigned, size_t from, size_t to) {
    if (!readFully(f, dst + from, to - from, offset + from)) ok = false;
  });
  return ok;
}

// The workers a read gives `work` bytes of a file of `fileSize` bytes: one on the
// sequential road (parallel reading off, or a file below the parallel threshold), else
// as many as the policy allows with at least an eighth of the threshold each.
unsigned readWorkers(const IoOptions& options, uint64_t fileSize, uint64_t work) {
  if (!options.parallel || fileSize < options.minParallelBytes) return 1;
  return threadCount(size_t(work), size_t(std::max<uint64_t>(1, options.minParallelBytes / 8)), options.threads);
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

// Reading, first step: every entry of the pool section into the pool as it stands in
// the file (a later entry under the same key replaces an earlier one), each with a
// count of 1 until the references are counted. poolBytes() then gives what the stored
// entries add up to: a damaged head's figure is not believed.
//
// The pool's tables are made large enough before the first entry goes in: entries come
// in the order of the saving pool's tables, and storing them in that order into tables
// that are still growing piles them into long probe runs.
//
// The section is read a large block at a time (its pieces on several threads); one
// pass over the block's entry heads checks them and notes where each begins, and then
// several threads sort them by the pool shard that holds them and store them, each
// shard by one thread in the order of the file (so a repeated key ends as the last
// entry gives it).
class PoolLoader {
 public:
  static constexpr size_t LOAD_BLOCK_BYTES = size_t(64) << 20;
  static constexpr size_t MAX_BLOCK_BYTES = size_t(1) << 30;  // block offsets fit 32 bits

  PoolLoader(CDataCore& core, const Layout& lay, const ReadProgress& plan, int64_t counter, int64_t headPoolBytes,
             const IoOptions& options)
      : mCore(core), mLay(lay), mPlan(plan), mCounter(counter), mSection(lay.fileSize - lay.poolStart),
        mThreads(readWorkers(options, lay.fileSize, lay.fileSize - lay.poolStart)),
        mMinEach(std::max<uint64_t>(1, options.minParallelBytes / 8)),
        mBlockBytes(std::min(options.blockBytes ? options.blockBytes : LOAD_BLOCK_BYTES, MAX_BLOCK_BYTES)) {
    if (plan.poolStep) mNextReport = uint64_t(plan.poolStep);
    const uint64_t expected = entriesByHead(mSection, headPoolBytes);
    if (expected) core.mPool.reserve(size_t(expected));
    mReserved = expected != 0;
  }

  // False on a damaged or short section.
  bool load(FILE* f) {
    // What a block may hold: the start of an entry of up to a block's size left over
    // from the last block, and a block's bytes.
    const size_t room = size_t(std::min<uint64_t>(mSection, 2 * uint64_t(mBlockBytes) + ENTRY_HEAD_BYTES));
    allocfail::check(allocfail::BUFFERS);
    largeblock::Array<char> bytes(room);  // on large pages: read into once
    char* const block = bytes.data();
    std::string spill;                 // an entry larger than a block
    uint64_t offset = mLay.poolStart;  // of block[0] in the file
    size_t have = 0;                   // bytes of the block read
    bool end = false;
    while (!end || have != 0) {
      if (!end) {  // fill the block behind what the last one left
        const size_t want = std::min<uint64_t>(mBlockBytes, mLay.fileSize - offset - have);
        assert(have + want <= room);
        if (want != 0 && !readSpread(f, block + have, want, offset + have, mThreads)) return false;
        have += want;
        end = offset + have == mLay.fileSize;
      }
      size_t used = 0;
      while (have - used >= ENTRY_HEAD_BYTES) {
        uint64_t key, len;
        std::memcpy(&key, block + used, 8);
        std::memcpy(&len, block + used + 8, 8);
        if (!checkEntry(key, len, offset + used, mLay.fileSize)) return false;
        if (len > have - used - ENTRY_HEAD_BYTES) {
          if (len <= mBlockBytes) break;  // the rest comes with the next block
          // Larger than a block: read on its own, after the entries before it.
          storeQueued(block, used);
          spill.assign(block + used + ENTRY_HEAD_BYTES, have - used - ENTRY_HEAD_BYTES);
          const size_t had = spill.size();
          allocfail::check(allocfail::BUFFERS);
          spill.resize(len);
          const uint64_t rest = offset + used + ENTRY_HEAD_BYTES + had;
          if (!readSpread(f, spill.data() + had, len - had, rest, mThreads)) return false;
          account(len);
          reserveIfDue();
          mCore.mPool.put(key, spill.data(), size_t(len - COUNT_BYTES), 1);
          offset += used + ENTRY_HEAD_BYTES + len;
          used = have = 0;
          end = offset == mLay.fileSize;
          break;
        }
        account(len);
        mQueued.push_back(uint32_t(used));
        used += ENTRY_HEAD_BYTES + len;
      }
      if (have == 0) continue;
      if (used == 0 && end) return false;  // a cut entry at the end of the file
      storeQueued(block, used);
      std::memmove(block, block + used, have - used);
      offset += used;
      have -= used;
    }
    if (mCore.mPool.size() != mStored) {  // keys given more than once: add up what is left
      mPoolBytes = 0;
      mCore.mPool.forEach(
          [&](uint64_t, const char*, size_t len, uint64_t) { mPoolBytes += StringPool::accountedBytes(len); });
    }
    return true;
  }

  int64_t poolBytes() const { return mPoolBytes; }
  // The progress counter after the pool's reports.
  int64_t counter() const { return mCounter + mReported; }

 private:
  // Takes note of an entry of `len` stored bytes (the count included): the figures of
  // the stored entries and the reports of reading one entry after another.
  void account(uint64_t len) {
    if (len > COUNT_BYTES) {
      ++mStored;
      mPoolBytes += StringPool::accountedBytes(size_t(len - COUNT_BYTES));
    }
    mTaken += len;
    ++mEntries;
    if (mTaken >= mNextReport && mPlan.poolStep) {
      const uint64_t step = uint64_t(mPlan.poolStep);
      mReported = int64_t(mTaken / step);
      mNextReport = (uint64_t(mReported) + 1) * step;
      mCore.reportProgress(mCounter + mReported);
    }
  }

  // Stores the queued entries of `block`, which lie in its first `bytes` bytes, on
  // several threads: each takes a share of the entries and counts, then places, them
  // by the shard that holds them (a share's entries after the earlier shares'), and
  // then each shard is stored by one thread in the order of the file. The stored count
  // is not read: every entry goes in with a count of 1 and takes the references the
  // sheet holds later.
  void storeQueued(const char* block, size_t bytes) {
    const size_t n = mQueued.size();
    if (n == 0) return;
    reserveIfDue();
    const auto threads = unsigned(std::min<size_t>(n, threadCount(bytes, size_t(mMinEach), mThreads)));
    auto shardAt = [&](size_t k) {
      uint64_t key;
      std::memcpy(&key, block + mQueued[k], 8);
      return StringPool::shardIndex(key);
    };
    mPlace.assign(size_t(threads) * SHARDS, 0);  // [share][shard]: entries, then next place
    parallelChunks(n, threads, [&](unsigned w, size_t from, size_t to) {
      size_t* mine = &mPlace[size_t(w) * SHARDS];
      for (size_t k = from; k < to; ++k) ++mine[shardAt(k)];
    });
    size_t start[SHARDS + 1];
    size_t sum = 0;
    for (size_t sh = 0; sh < SHARDS; ++sh) {
      start[sh] = sum;
      for (unsigned w = 0; w < threads; ++w) {
        const size_t c = mPlace[size_t(w) * SHARDS + sh];
        mPlace[size_t(w) * SHARDS + sh] = sum;
        sum += c;
      }
    }
    start[SHARDS] = sum;
    mOrder.resize(n);
    parallelChunks(n, threads, [&](unsigned w, size_t from, size_t to) {
      size_t* mine = &mPlace[size_t(w) * SHARDS];
      for (size_t k = from; k < to; ++k) mOrder[mine[shardAt(k)]++] = mQueued[k];
    });
    std::atomic<size_t> next{0};
    StringPool& pool = mCore.mPool;
    parallelChunks(threads, threads, [&](unsigned, size_t, size_t) {
      for (size_t sh; (sh = next++) < SHARDS;) {
        for (size_t k = start[sh]; k < start[sh + 1]; ++k) {
          const char* e = block + mOrder[k];
          uint64_t key, len;
          std::memcpy(&key, e, 8);
          std::memcpy(&len, e + 8, 8);
          pool.put(key, e + ENTRY_HEAD_BYTES, size_t(len - COUNT_BYTES), 1);
        }
      }
    });
    mQueued.clear();
  }

  // Without a usable head figure, room for the rest of the section once enough of it is
  // read to tell how many entries it holds.
  void reserveIfDue() {
    if (mReserved || mTaken < RESERVE_AFTER_BYTES) return;
    mReserved = true;
    reserveForSection(mCore.mPool, mSection, mTaken + ENTRY_HEAD_BYTES * mEntries, mEntries);
  }

  static constexpr size_t SHARDS = StringPool::SHARD_COUNT;

  CDataCore& mCore;
  const Layout& mLay;
  const ReadProgress& mPlan;
  int64_t mCounter;
  uint64_t mSection;
  unsigned mThreads;   // the workers of this read
  uint64_t mMinEach;   // bytes of a block below which it gets no more workers
  size_t mBlockBytes;  // bytes read at a time (entries up to this size go in a block)
  bool mReserved = false;
  uint64_t mTaken = 0, mEntries = 0, mStored = 0;

  int64_t mReported = 0, mPoolBytes = 0;
  uint64_t mNextReport = UINT64_MAX;  // mTaken at which the next report is due
  std::vector<uint32_t> mQueued;      // offsets in the block of the entries not yet stored
  std::vector<uint32_t> mOrder;       // the same sorted by shard (file order within each)
  std::vector<size_t> mPlace;         // storeQueued's counts and places
};

// Counts the references that rows hold into the pool while the rows are read. The pool
// holds the file's entries with their counts cleared (beginRecount). Each worker
// gathers the keys of its rows in a short run per shard, which it hands to the shard's
// common run (taking the shard's lock when it is free, waiting for it only once its own
// run is twice full); whoever fills a common run counts it into the shard
// (countInShard, which takes long runs in the order of the table) under the same lock.
// No count is ever changed by two threads at once.
class RefCounter {
 public:
  static constexpr size_t SHARDS = StringPool::SHARD_COUNT;

  // `local` keys make a worker's run, `common` a shard's.
  RefCounter(StringPool& pool, unsigned workers, size_t local, size_t common)
      : mPool(pool), mLocal(local), mCommon(common), mCommonRoom(common + 2 * local) {
    allocfail::check(allocfail::COUNTS);
    mKeys = std::make_unique<largeblock::Array<uint64_t>>(size_t(workers) * SHARDS * 2 * local);
    allocfail::check(allocfail::COUNTS);
    mShared = std::make_unique<largeblock::Array<uint64_t>>(SHARDS * mCommonRoom);
    allocfail::check(allocfail::COUNTS);
    mScratch = std::make_unique<largeblock::Array<uint64_t>>(size_t(workers) * mCommonRoom);
    mHeld.assign(size_t(workers) * SHARDS, 0);
  }

  // Worker w's reference to `key` (not 0).
  void add(unsigned w, uint64_t key) {
    const size_t sh = StringPool::shardIndex(key);
    const size_t at = size_t(w) * SHARDS + sh;
    size_t& n = mHeld[at];
    runOf(at)[n++] = key;
    if (n < mLocal) return;
    std::unique_lock<std::mutex> lock(mShards[sh].lock, std::try_to_lock);
    if (!lock.owns_lock()) {
      if (n < 2 * mLocal) return;
      lock.lock();
    }
    handOver(w, sh, at);
  }

  // Hands over what worker w still holds; the common runs are counted by finish().
  void flush(unsigned w) {
    for (size_t sh = 0; sh < SHARDS; ++sh) {
      const size_t at = size_t(w) * SHARDS + sh;
      if (mHeld[at] == 0) continue;
      std::lock_guard<std::mutex> lock(mShards[sh].lock);
      handOver(w, sh, at);
    }
  }

  // Counts the common runs left, shard by shard on up to `threads` threads (the
  // workers' scratch), once every worker has flushed.
  void finish(unsigned threads) {
    std::atomic<size_t> next{0};
    parallelChunks(threads, threads, [&](unsigned t, size_t, size_t) {
      for (size_t sh; (sh = next++) < SHARDS;) count(t, sh);
    });
  }

  // References counted to keys the pool lacks.
  size_t absent() const { return mAbsent.load(); }

 private:
  struct Shard {
    std::mutex lock;
    size_t held = 0;  // keys in the common run
  };

  uint64_t* runOf(size_t at) { return mKeys->data() + at * 2 * mLocal; }
  uint64_t* commonOf(size_t sh) { return mShared->data() + sh * mCommonRoom; }

  // Moves worker w's run for shard sh into the common run, counting that once it is
  // long enough. The shard's lock is held.
  void handOver(unsigned w, size_t sh, size_t at) {
    Shard& s = mShards[sh];
    std::memcpy(commonOf(sh) + s.held, runOf(at), mHeld[at] * sizeof(uint64_t));
    s.held += mHeld[at];
    mHeld[at] = 0;
    if (s.held >= mCommon) count(w, sh);
  }
  void count(unsigned w, size_t sh) {
    Shard& s = mShards[sh];
    if (s.held == 0) return;
    const size_t missing = mPool.countInShard(sh, commonOf(sh), s.held, mScratch->data() + size_t(w) * mCommonRoom);
    if (missing) mAbsent += missing;
    s.held = 0;
  }

  StringPool& mPool;
  size_t mLocal, mCommon;
  size_t mCommonRoom;  // a common run's room: mCommon and a worker's run
  // On large pages (largeblock): they are written all over.
  std::unique_ptr<largeblock::Array<uint64_t>> mKeys;     // [worker][shard]: room for 2 x mLocal keys
  std::unique_ptr<largeblock::Array<uint64_t>> mShared;   // [shard]: the common runs
  std::unique_ptr<largeblock::Array<uint64_t>> mScratch;  // [worker]: room for a common run, for countInShard
  std::vector<size_t> mHeld;                              // [worker][shard]: keys in the worker's run
  Shard mShards[SHARDS];
  std::atomic<size_t> mAbsent{0};
};

[[noreturn]] void throwRowFailure(uint64_t row, uint64_t rowBytes) {
  throw "CDataGrid::read: row-" + std::to_string(row) + ",len-" + std::to_string(rowBytes) +
      " memory malloc error!";
}

// How the cell section is read: by `workers` threads, each over its own consecutive
// rows, `blockRows` rows at a time, with the runs of the recount.
struct RowPlan {
  unsigned workers = 1;
  uint64_t blockRows = 1;
  size_t localRun = 1, commonRun = 1;  // RefCounter's runs
};

RowPlan planRows(const IoOptions& options, const Layout& lay) {
  constexpr uint64_t BLOCK_BYTES = uint64_t(1) << 20;
  constexpr size_t LOCAL_KEYS = 1024, COMMON_KEYS = size_t(64) << 10;
  RowPlan p;
  p.workers = lay.rows ? readWorkers(options, lay.fileSize, lay.cellBytes) : 1;
  const uint64_t block = options.blockBytes ? options.blockBytes : BLOCK_BYTES;
  p.blockRows = lay.rowBytes ? std::max<uint64_t>(1, block / lay.rowBytes) : 1;
  p.localRun = options.blockBytes ? std::clamp<size_t>(options.blockBytes / 8, 2, LOCAL_KEYS) : LOCAL_KEYS;
  // A common run holds about a sixteenth of a shard's references, but no more than
  // COMMON_KEYS (long runs walk the pool's tables in order).
  const uint64_t perShard = lay.rows * lay.cols / StringPool::SHARD_COUNT;
  p.commonRun = options.blockBytes ? 4 * p.localRun
                                   : size_t(std::clamp<uint64_t>(perShard / 16, LOCAL_KEYS, COMMON_KEYS));
  return p;
}

// Reads rows first..last-1 of the cell section into rows made for them (each row's
// memory first touched by the thread that fills it): straight into the rows where they
// lie back to back, else through `buffer`. Sets `made` past the last row made; false
// when a row cannot be made (its number in `failed`) or the file ends early (`failed`
// left alone).
bool readRowBlock(FILE* f, const Layout& lay, Cell** rows, uint64_t first, uint64_t last, uint64_t& made,
                  uint64_t& failed, std::unique_ptr<char[]>& buffer) {
  for (uint64_t r = first; r < last; ++r) {
    Cell* row = rowalloc::allocRow(lay.cols);
    if (!row) {
      failed = r;
      return false;
    }
    rows[r] = row;
    made = r + 1;
  }
  constexpr size_t MOST_RUNS = 8;  // more pieces than this: one read into the buffer
  size_t runs = 1;
  for (uint64_t r = first + 1; r < last && runs <= MOST_RUNS; ++r)
    runs += reinterpret_cast<char*>(rows[r]) != reinterpret_cast<char*>(rows[r - 1]) + lay.rowBytes;
  const uint64_t at = HEAD_BYTES + first * lay.rowBytes;
  if (runs <= MOST_RUNS) {
    for (uint64_t r = first; r < last;) {
      uint64_t e = r + 1;
      while (e < last && reinterpret_cast<char*>(rows[e]) == reinterpret_cast<char*>(rows[e - 1]) + lay.rowBytes)
        ++e;
      if (!readFully(f, reinterpret_cast<char*>(rows[r]), size_t((e - r) * lay.rowBytes),
                     HEAD_BYTES + r * lay.rowBytes))
        return false;
      r = e;
    }
    return true;
  }
  const size_t bytes = size_t((last - first) * lay.rowBytes);
  if (!buffer) {
    allocfail::check(allocfail::BUFFERS);
    buffer.reset(new char[bytes]);
  }
  if (!readFully(f, buffer.get(), bytes, at)) return false;
  for (uint64_t r = first; r < last; ++r)
    std::memcpy(static_cast<void*>(rows[r]), buffer.get() + (r - first) * lay.rowBytes, size_t(lay.rowBytes));
  return true;
}

// Reads the cell section into a new row array (null for no rows), each reference a
// cell holds counted into the pool on the way. A short read gives false with nothing
// allocated left; an allocation failure frees what was made and throws the reader's
// text, naming the first row that could not be made.
bool readRows(CDataCore& core, FILE* f, const Layout& lay, const ReadProgress& progress, const RowPlan& plan,
              RefCounter& refs, int64_t& counter, Cell**& out) {
  out = nullptr;
  if (lay.rows == 0) return true;
  Cell** rows = rowalloc::allocArray(lay.rows);
  if (!rows) throw std::string("CDataGrid::read:mDatas malloc error, RowCount:") + std::to_string(lay.rows);
  struct Part {
    uint64_t from = 0, made = 0, failed = UINT64_MAX;
  };
  std::vector<Part> parts(plan.workers);
  std::atomic<bool> stop{false}, shortRead{false};
  std::atomic<uint64_t> done{0};
  const uint64_t step = uint64_t(std::max<int64_t>(0, progress.rowStep));
  uint64_t reported = 0;  // rows whose reports were sent: one per multiple of step
  auto report = [&](uint64_t rowsDone) {
    if (step == 0) return;
    for (; reported < rowsDone; reported += step) core.reportProgress(counter++);
  };
  auto freeMade = [&] {
    for (const Part& p : parts)
      for (uint64_t r = p.from; r < p.made; ++r) rowalloc::freeRow(rows[r]);
    rowalloc::freeArray(rows);
  };
  try {
    parallelChunks(size_t(lay.rows), plan.workers, [&](unsigned w, size_t from, size_t to) {
      Part& part = parts[w];
      part.from = part.made = from;
      std::unique_ptr<char[]> buffer;
      for (uint64_t first = from; first < to && !stop.load(std::memory_order_relaxed); first += plan.blockRows) {
        const uint64_t last = std::min<uint64_t>(to, first + plan.blockRows);
        if (!readRowBlock(f, lay, rows, first, last, part.made, part.failed, buffer)) {
          if (part.failed == UINT64_MAX) shortRead = true;
          stop = true;
          break;
        }
        for (uint64_t r = first; r < last; ++r) {
          const Cell* row = rows[r];
          for (uint64_t c = 0; c < lay.cols; ++c) {
            const uint64_t key = row[c].value;  // a copy: the packed field may be misaligned
            if (isPoolKind(row[c].kind) && key != 0) refs.add(w, key);
          }
        }
        const uint64_t now = done += last - first;
        if (w == 0) report(now);
      }
      refs.flush(w);
    });
  } catch (...) {  // a thread that could not be started, or a buffer
    freeMade();
    throw;
  }
  uint64_t failed = UINT64_MAX;
  for (const Part& p : parts) failed = std::min(failed, p.failed);
  if (failed != UINT64_MAX) {
    freeMade();
    throwRowFailure(failed, lay.rowBytes);
  }
  if (shortRead) {
    freeMade();
    return false;
  }
  report(lay.rows);
  out = rows;
  return true;
}

// The text attribute slots' references, counted after the rows': a slot naming a text
// the file lacks is emptied.
void countSlots(CDataCore& core) {
  for (int32_t slot = 0; slot < ATTR_SLOT_COUNT; ++slot) {
    const uint64_t key = core.mAttrs[slot].value;
    if (!isTextAttr(slot) || key == 0) continue;
    if (core.mPool.countInShard(StringPool::shardIndex(key), &key, 1)) core.mAttrs[slot].value = 0;
  }
}

// Cells referring to a text the pool lacks become the empty text.
void emptyAbsentRefs(CDataCore& core, unsigned threads) {
  const uint64_t rows = core.mColCount ? core.mRowCount : 0;
  const StringPool& pool = core.mPool;
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

// Steps 4 to 10 of reading a document into an emptied sheet: the pool section first,
// then the cells, whose references (cells, header cells included, and the text
// attribute slots) become each text's count as they are read, so no stated count can
// plant a wrong one; entries nothing references leave the pool, and a reference to a
// text the file lacks is emptied (a cell becomes the empty text, a slot 0). False
// leaves the sheet holding whatever was read; the caller empties it.
bool readDocument(CDataCore& core, FILE* f, const IoOptions& options) {
  uint64_t fileSize;
  if (!fileSizeOf(f, fileSize)) return false;
  DocHeader head;
  Layout lay;
  if (fileSize < HEAD_BYTES || !readFully(f, reinterpret_cast<char*>(&head), HEAD_BYTES, 0) ||
      !checkHead(head, fileSize, lay))
    return false;
  if (head.mRowCount == 0) head.mColCount = 0;  // no rows: an empty sheet, as clear leaves it
  core.reportProgress(10);
  const ReadProgress progress =
      planReadProgress(lay.rows, lay.cellBytes, head.mPoolBytes, fileSize - lay.poolStart);
  PoolLoader loader(core, lay, progress, 10, head.mPoolBytes, options);
  if (!loader.load(f)) return false;
  int64_t counter = loader.counter();
  const RowPlan plan = planRows(options, lay);
  RefCounter refs(core.mPool, plan.workers, plan.localRun, plan.commonRun);
  core.mPool.beginRecount(plan.workers);
  Cell** rows;
  if (!readRows(core, f, lay, progress, plan, refs, counter, rows)) return false;
  static_cast<DocHeader&>(core) = head;
  core.mDatas = rows;
  core.mPoolBytes = loader.poolBytes();
  refs.finish(plan.workers);
  countSlots(core);
  core.mPool.endRecount(plan.workers);
  if (refs.absent() != 0) emptyAbsentRefs(core, plan.workers);
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
  bool ok = readPoolSection(
      in, fileSize, [&](uint64_t key, const char* bytes, size_t len, uint64_t) { texts[key].assign(bytes, len); });
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
// The document is written beside the old file and replaces it only once all of it is
// on the disk: a failed save (an exception included) leaves the old file whole and no
// part of the new one.
bool CDataCore::write(const std::u16string& path, bool all) {
  beforeChange();
  const IoOptions options = ioOptions();
  SafeSave save(path);
  if (!save) return false;
  reportProgress(0);
  bool ok;
  try {
    BlockWriter out(save.file(), options.blockBytes ? options.blockBytes : BlockWriter::DEFAULT_CAPACITY);
    int64_t counter = 10;
    ok = all ? writeWhole(*this, out, counter) : writeShown(*this, out, options, counter);
    ok = out.flush() && ok;
  } catch (...) {  // out of memory
    save.discard();
    reportProgress(100);
    throw;
  }
  ok = ok && save.commit();
  reportProgress(100);
  return ok;
}

namespace {

// The document at `path` opened for reading; null when it cannot be, and for what is not
// a regular file, which is never opened (a named pipe's open waits for a writer).
FILE* openDocument(const std::u16string& path) {
  return isRegularFile(path) ? _wfopen(path.c_str(), u"rb") : nullptr;
}

}  // namespace

// Both encodings become ANSI first. A file that cannot be opened gives false without any
// report. Otherwise the sheet is emptied and the document read into it; a damaged or
// short file gives false and leaves the sheet empty (no rows, no pool, counts 0). The
// final report 100 is sent in every case, an allocation failure included, whose text is
// then raised.
bool CDataCore::read(const std::u16string& path) {
  beforeChange();
  const CheckOnExit check{*this, "a read of a document"};
  const IoOptions options = ioOptions();
  mOpenEncoding = ENC_ANSI;
  mSaveEncoding = ENC_ANSI;
  FileHandle f(openDocument(path));
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
  if (ok) loadFilter();
  else clear();
  f.close();
  reportProgress(100);
  return ok;
}

// Appends rows 1 on of another document (row 1 left out when it repeats the sheet's
// row 1), interning their texts into this sheet's pool. A refused, damaged or short file
// gives false with the sheet as it was. Progress from progressFrom to progressTo, the
// last report sent in every case once the file is open; resize failures are raised.
bool CDataCore::appendMvt(const std::u16string& path, int32_t progressFrom, int32_t progressTo) {
  beforeChange();
  const CheckOnExit check{*this, "an append of a document"};
  const IoOptions options = ioOptions();
  FileHandle f(openDocument(path));
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
