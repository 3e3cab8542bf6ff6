// The ".mvt" document file: CDataCore::write, read and appendMvt, and the checks and
// progress arithmetic they share (declared in DocumentFile.h).
#include "store/DocumentFile.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/fileio.h"
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
    if (slot.value) core.release(slot.value);
    slot.value = core.internBytes(fnv1a64(bytes.data(), bytes.size()), bytes);
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
// throws the reader's text.
bool readRows(CDataCore& core, BlockReader& in, const Layout& lay, const ReadProgress& plan,
              int64_t& counter, Cell**& out) {
  out = nullptr;
  if (lay.rows == 0) return true;
  Cell** rows = rowalloc::allocArray(lay.rows);
  if (!rows) throw std::string("CDataGrid::read:mDatas malloc error, RowCount:") + std::to_string(lay.rows);
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
bool loadPool(CDataCore& core, BlockReader& in, const Layout& lay, const ReadProgress& plan,
              int64_t counter, int64_t headPoolBytes) {
  uint64_t taken = 0, entries = 0, stored = 0;
  int64_t reported = 0, poolBytes = 0;
  const uint64_t expected = entriesByHead(lay.fileSize - lay.poolStart, headPoolBytes);
  if (expected) core.mPool.reserve(size_t(expected));
  bool reserved = expected != 0;
  const bool ok = readPoolSection(in, lay.fileSize, [&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
    core.mPool.put(key, bytes, len, count);
    if (len && count) {
      ++stored;
      poolBytes += StringPool::accountedBytes(len);
    }
    taken += len + COUNT_BYTES;
    ++entries;
    if (!reserved && taken >= RESERVE_AFTER_BYTES) {
      reserved = true;
      reserveForSection(core.mPool, lay.fileSize - lay.poolStart, taken + ENTRY_HEAD_BYTES * entries, entries);
    }
    if (plan.poolStep) {
      const int64_t m = int64_t(taken / uint64_t(plan.poolStep));
      if (m > reported) core.reportProgress(counter + (reported = m));
    }
  });
  if (!ok) return false;
  if (core.mPool.size() != stored) {  // keys given more than once: add up what is left
    poolBytes = 0;
    core.mPool.forEach([&](uint64_t, const char*, size_t len, uint64_t) {
      poolBytes += StringPool::accountedBytes(len);
    });
  }
  core.mPoolBytes = poolBytes;
  return true;
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
  if (!readRows(core, in, lay, plan, counter, rows)) return false;
  static_cast<DocHeader&>(core) = head;
  core.mDatas = rows;
  return loadPool(core, in, lay, plan, counter, head.mPoolBytes);
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
  for (uint64_t c = 0; c < cols; ++c) {
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
}

struct AppendProgress {
  int32_t from, to;
};

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

// Cuts an open regular file to `size` bytes.
static bool truncateTo(FILE* f, uint64_t size) { return ::ftruncate(fileno(f), off_t(size)) == 0; }

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
    reportProgress(100);
    throw;
  }
  ok = f.close() && ok;
  reportProgress(100);
  return ok;
}

// Both encodings become ANSI first. A file that cannot be opened gives false without any
// report. Otherwise the sheet is emptied and the document read into it; a damaged or
// short file gives false and leaves the sheet empty (no rows, no pool, counts 0). The
// final report 100 is sent in every case, an allocation failure included, whose text is
// then raised.
bool CDataCore::read(const std::u16string& path) {
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
