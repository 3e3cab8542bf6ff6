// The delimited-text writers of the sheet: the whole-sheet save, the rows
// writer of a split, and the encoders of one cell, one character and one row.
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/FileIo.h"
#include "store/DataCore.h"
#include "store/DelimitedWriter.h"
#include "store/FieldEncoder.h"
#include "store/Parallel.h"
#include "store/RisingProgress.h"
#include "store/SafeSave.h"
#include "store/TextImport.h"

using namespace textout;

namespace {

constexpr size_t WRITE_BATCH_ROWS = 16384;

// Lines of the given rows, built in batches on several threads and written
// in order, so the bytes are those of a row-by-row write. Workers take the
// next batch as they come free and fill a ring of buffers a few batches
// ahead of the writing (no worker waits for a slower one's batch but
// through the ring). `afterBatch(row)` is called on this thread with the last
// row of each batch written. False on a short write, which stops the writing.
// The batch size and the workers come from the options the write started with.
template <class AfterBatch>
bool writeLines(const CDataCore& sheet, FILE* out, const std::vector<int32_t>& rows, const LineFormat& fmt,
                const IoOptions& options, AfterBatch&& afterBatch) {
  const size_t batchRows = options.writeBatchRows ? options.writeBatchRows : WRITE_BATCH_ROWS;
  const size_t batches = (rows.size() + batchRows - 1) / batchRows;
  const size_t workers = options.parallel ? threadCount(batches, 1, options.threads) : 1;
  if (workers <= 1) {
    FieldEncoder encoder(sheet, fmt, options.writeKeptBytes);
    std::string buf;
    for (size_t b = 0; b < batches; ++b) {
      buf.clear();
      const size_t end = std::min(rows.size(), (b + 1) * batchRows);
      encoder.appendLines(rows, b * batchRows, end, buf);
      if (!writeAllBytes(out, buf)) return false;
      afterBatch(rows[end - 1]);
    }
    return true;
  }
  const size_t ringSize = 3 * workers;
  std::vector<std::string> ring(ringSize);
  std::vector<uint8_t> ready(ringSize, 0);  // guarded by `lock`
  std::mutex lock;
  std::condition_variable changed;
  size_t nextBatch = 0, written = 0;  // guarded by `lock`
  bool stop = false;
  auto encodeBatches = [&] {
    FieldEncoder encoder(sheet, fmt, options.writeKeptBytes);
    for (;;) {
      size_t b;
      {
        std::unique_lock<std::mutex> guard(lock);
        if (stop || nextBatch >= batches) return;
        b = nextBatch++;
        changed.wait(guard, [&] { return stop || b < written + ringSize; });
        if (stop) return;
      }
      std::string& buf = ring[b % ringSize];
      buf.clear();
      const size_t end = std::min(rows.size(), (b + 1) * batchRows);
      encoder.appendLines(rows, b * batchRows, end, buf);
      std::lock_guard<std::mutex> guard(lock);
      ready[b % ringSize] = 1;
      changed.notify_all();
    }
  };
  auto halt = [&] {
    std::lock_guard<std::mutex> guard(lock);
    stop = true;
    changed.notify_all();
  };
  auto work = [&](unsigned) {
    try {
      encodeBatches();
    } catch (...) {  // out of memory: the write fails
      halt();
    }
  };
  WorkerThreads pool(static_cast<unsigned>(workers), work, halt);
  bool ok = true;
  for (size_t b = 0; ok && b < batches; ++b) {
    {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [&] { return ready[b % ringSize] != 0 || stop; });
      if (ready[b % ringSize] == 0) {
        ok = false;
        break;
      }
    }
    ok = writeAllBytes(out, ring[b % ringSize]);
    if (ok) afterBatch(rows[std::min(rows.size(), (b + 1) * batchRows) - 1]);
    std::lock_guard<std::mutex> guard(lock);
    ready[b % ringSize] = 0;
    written = b + 1;
    if (!ok) stop = true;
    changed.notify_all();
  }
  pool.join();
  return ok;
}

}  // namespace

bool writeAllBytes(FILE* f, const std::string& bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

size_t CDataCore::writeBom(FILE* f) {
  const std::string mark = bomOf(mSaveEncoding);
  return mark.empty() ? 0 : std::fwrite(mark.data(), 1, mark.size(), f);
}

std::string CDataCore::encodeChar(char c) { return charBytes(mSaveEncoding, c); }

std::string CDataCore::encodeCell(int32_t row, int32_t col) {
  const std::u16string quoted = csvQuote(getText(row, col));
  std::string out;
  appendEncoded(out, mSaveEncoding, quoted.data(), quoted.size());
  return out;
}

std::string CDataCore::rowToCsvLine(int32_t row) {
  const std::string comma = charBytes(mSaveEncoding, ',');
  std::string out;
  for (int32_t c = 1; c < static_cast<int32_t>(mColCount); ++c) {
    if (c != 1) out += comma;
    out += encodeCell(row, c);
  }
  return out + charBytes(mSaveEncoding, '\n');
}

// The sheet save: every row (all) or only the visible rows and columns, each
// line ended by CR LF, in the save encoding after its byte order mark. Fields
// holding the delimiter are quoted too, so the file reads back as it was. The file is
// saved beside the old one and replaces it only when all of it was written.
bool CDataCore::writeDelimited(const std::u16string& path, char delimiter, bool all) {
  SafeSave save(path);
  FILE* out = save.file();
  if (out == nullptr) return false;
  bool ok = writeBom(out) == bomOf(mSaveEncoding).size();
  RisingProgress progress(*this);
  progress(0);
  if (ok && mRowCount >= 2) {
    const LineFormat fmt = makeFormat(*this, mSaveEncoding, delimiter, true, !all);
    std::vector<int32_t> rows;
    rows.reserve(mRowCount - 1);
    for (int32_t r = 1; r < static_cast<int32_t>(mRowCount); ++r) {
      if (all || mDatas[r][0].flag == 0) rows.push_back(r);
    }
    const int64_t step = static_cast<int64_t>(mRowCount / 100);
    int64_t reported = 0;
    ok = writeLines(*this, out, rows, fmt, ioOptions(), [&](int32_t lastRow) {
      if (step != 0 && lastRow / step > reported) {
        reported = lastRow / step;
        progress(reported);
      }
    });
  }
  ok = ok && save.commit();
  progress.finish();
  return ok;
}

// One part of a split: rows firstRow .. endRow - 1 (after row 1 when
// withHeader), LF line ends, in the save encoding after its byte order mark; saved
// as writeDelimited saves.
bool CDataCore::writeRows(const std::u16string& path, int32_t firstRow, int32_t endRow, int32_t progressFrom,
                          int32_t progressTo, char delimiter, bool withHeader) {
  SafeSave save(path);
  FILE* out = save.file();
  if (out == nullptr) return false;
  bool ok = writeBom(out) == bomOf(mSaveEncoding).size();
  reportProgress(progressFrom);  // the split's schedule: the same value may repeat
  const LineFormat fmt = makeFormat(*this, mSaveEncoding, delimiter, false, false);
  FieldEncoder encoder(*this, fmt, ioOptions().writeKeptBytes);
  std::string line;
  if (ok && withHeader && mRowCount >= 2) {
    encoder.appendLine(1, line);
    ok = writeAllBytes(out, line);
  }
  const int64_t valueStep = (int64_t{progressTo} - progressFrom) / 100;
  const int64_t rowStep = (int64_t{endRow} - firstRow) / 100;
  int64_t value = progressFrom;
  const int32_t first = std::max(firstRow, 1);
  const int32_t end = static_cast<int32_t>(std::min<int64_t>(endRow, static_cast<int64_t>(mRowCount)));
  for (int32_t r = first; ok && r < end; ++r) {
    line.clear();
    encoder.appendLine(r, line);
    ok = writeAllBytes(out, line);
    if (rowStep != 0 && r % rowStep == 0) {
      // Never to progressTo before the end (100 would close the display).
      reportProgress(std::min<int64_t>(value, std::max<int64_t>(progressFrom, int64_t{progressTo} - 1)));
      value += valueStep;
    }
  }
  ok = ok && save.commit();
  reportProgress(progressTo);
  return ok;
}
