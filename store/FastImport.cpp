#include "store/FastImport.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Crt.h"
#include "platform/FileIo.h"
#include "store/Alloc.h"
#include "store/CellTyping.h"
#include "store/CsvStream.h"
#include "store/DataCore.h"
#include "store/LargeBlock.h"
#include "store/LocalTexts.h"
#include "store/NumberText.h"
#include "store/Parallel.h"
#include "store/RecordSplitter.h"
#include "store/RowReader.h"
#include "store/TextImport.h"
#include "store/TextKey.h"

bool typeAsciiNumber(std::string_view field, Cell& cell) {
  int64_t i = 0;
  double d = 0;
  const int kind = asciiNumberValue(field, i, d);
  return numberCell(kind, i, d, cell);
}

namespace {

constexpr int64_t MAX_ROWS = INT32_MAX;
constexpr size_t WORKER_BLOCK_BYTES = 1u << 20;
constexpr size_t WORKER_LINE_UNITS = 1u << 16;
constexpr size_t SPANS_PER_WORKER = 4;        // fewest spans of a whole file per worker
constexpr size_t MOST_SPANS_PER_WORKER = 32;  // most of them
constexpr size_t SPAN_BLOCKS = 4;             // fewest blocks of a span beyond the fewest spans
constexpr uint64_t PAGE_SPAN_RECORDS = 8192;  // fewest records of one span of a page
constexpr uint64_t PAGE_SKIP_ALONE = 4096;    // records a page skips without help

using KeyFn = uint64_t (*)(std::u16string_view);

bool isWide(int kind) { return kind == RowReader::KIND_UTF16LE || kind == RowReader::KIND_UTF16BE; }

char16_t swap16(char16_t u) { return static_cast<char16_t>((u >> 8) | (u << 8)); }

// The delimiter as a code unit: the 8-bit character sign-extended.
char16_t unitOf(char c) { return static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(c))); }

// The text key of an ASCII text given as bytes: textKey of its UTF-16 form,
// whose high bytes are all 0 (XOR with 0 leaves the hash).
uint64_t asciiTextKey(const char* p, size_t n) {
  uint64_t h = FNV_OFFSET_BASIS;
  for (size_t i = 0; i < n; ++i) {
    h ^= static_cast<unsigned char>(p[i]);
    h *= FNV_PRIME * FNV_PRIME;  // the byte, then its high byte 0
  }
  return h * FNV_PRIME * FNV_PRIME;  // the NUL unit
}

// The rows a span of a guessed start makes, in order, until they go to the
// sheet's row array: on large pages, as that array is, so that the hand-over
// costs the system a few faults.
class SpanRows {
 public:
  SpanRows() = default;
  SpanRows(SpanRows&& other) noexcept { swap(other); }
  SpanRows& operator=(SpanRows&& other) noexcept {
    SpanRows gone(std::move(other));
    swap(gone);
    return *this;
  }
  ~SpanRows() { largeblock::release(mRows, mRoom * sizeof(Cell*)); }

  // Room for `count` rows, or more: a block mapped from the system, which
  // gives its pages back when released (a smaller one would stay with the
  // C library's heap). False when it cannot be had.
  bool reserve(size_t count) {
    if (count <= mRoom) return true;
    count = std::max(count, largeblock::MAPPED_MIN / sizeof(Cell*));
    auto* grown = static_cast<Cell**>(largeblock::allocate(count * sizeof(Cell*)));
    if (grown == nullptr) return false;
    if (mSize != 0) std::memcpy(static_cast<void*>(grown), mRows, mSize * sizeof(Cell*));
    largeblock::release(mRows, mRoom * sizeof(Cell*));
    mRows = grown;
    mRoom = count;
    return true;
  }
  bool push(Cell* row) {
    if (mSize == mRoom && !reserve(mRoom * 2 + 1024)) return false;
    mRows[mSize++] = row;
    return true;
  }
  Cell* const* data() const { return mRows; }
  size_t size() const { return mSize; }
  void clear() { mSize = 0; }

 private:
  void swap(SpanRows& other) noexcept {
    std::swap(mRows, other.mRows);
    std::swap(mSize, other.mSize);
    std::swap(mRoom, other.mRoom);
  }
  Cell** mRows = nullptr;
  size_t mSize = 0;
  size_t mRoom = 0;
};

// Span row lists given back once their rows are in the sheet, for later
// spans to fill again: an import writes the pages of a few lists, not of one
// per span.
class SpareRowLists {
 public:
  SpanRows take() {
    const std::lock_guard<std::mutex> guard(mLock);
    if (mLists.empty()) return {};
    SpanRows list = std::move(mLists.back());
    mLists.pop_back();
    return list;
  }
  void give(SpanRows&& list) {
    list.clear();
    const std::lock_guard<std::mutex> guard(mLock);
    mLists.push_back(std::move(list));
  }
  void release() {
    const std::lock_guard<std::mutex> guard(mLock);
    mLists.clear();
  }

 private:
  std::mutex mLock;
  std::vector<SpanRows> mLists;
};

// A row made wider than the sheet as first sized, for a record with as many
// fields as the sheet has columns or more: the other rows are widened to the
// widest once every row is made.
struct WideRow {
  int64_t row;
  uint64_t cells;  // the cells its block holds
};

// Shared by the workers of one import.
struct ImportJob {
  const std::u16string& path;
  const IoOptions& options;
  int kind;        // a RowReader text kind
  char delimiter;  // the delimiter in use (after detection)
  size_t blockBytes;
  uint64_t width = 0;  // cells of a row as the sheet is first sized
  size_t localSlots = 1u << 14;
  Cell** rows = nullptr;                 // the sheet's row array while the workers make its rows
  std::atomic<uint64_t> recordsDone{0};  // or bytes, for spans of guessed starts
  std::atomic<bool> failed{false};
  std::atomic<bool> outOfResources{false};  // memory or a thread lacked: failed, whatever the starts
  double bytesPerRecord = 64;               // as the sample found them
  SpareRowLists spareRows{};
};

// One span of the data: records that start in [start, limit).
struct Span {
  uint64_t start = 0;
  uint64_t limit = 0;
  uint64_t count = 0;         // records found in phase 1 (or to fill)
  uint64_t end = 0;           // where the span's last record ended
  int64_t firstRow = 0;       // sheet row of its first record
  uint64_t widest = 0;        // most cells of a wide row (0: none)
  std::vector<WideRow> wide;  // in row order
  // A span of a guessed start types the records that start before its limit
  // into rows of its own (`wide` then holds indices into them), counted as
  // they come; `done` once its last record is placed.
  bool guessed = false;
  bool done = false;
  SpanRows rows;
};

// A stream over the job's file in its own unit, comparing raw units (a
// big-endian file's are byte-swapped), from byte `offset`.
template <class Unit>
std::unique_ptr<BasicCsvStream<Unit>> openStream(const ImportJob& job, uint64_t offset, size_t blockBytes,
                                                 size_t lineUnits = WORKER_LINE_UNITS) {
  std::unique_ptr<BasicCsvStream<Unit>> stream;
  if constexpr (sizeof(Unit) == 1) {
    stream = std::make_unique<CsvStream>(job.path, 0, job.delimiter, '"', '\n', '\r', job.options.quoteDetect,
                                         blockBytes, lineUnits);
    stream->setDoubleByte(job.kind == RowReader::KIND_ANSI && CsvStream::delimiterMayBeTrail(job.delimiter));
  } else {
    const bool big = job.kind == RowReader::KIND_UTF16BE;
    auto raw = [big](char16_t u) { return big ? swap16(u) : u; };
    stream = std::make_unique<CsvStreamW>(job.path, 0, raw(unitOf(job.delimiter)), raw(u'"'), raw(u'\n'),
                                          raw(u'\r'), job.options.quoteDetect, blockBytes, lineUnits);
  }
  stream->seek(offset);
  return stream;
}

// Types fields into cells the way setTextTyped does, texts counted locally.
// Fields come in the machine's unit order.
template <class Unit>
class FieldTyper {
 public:
  FieldTyper(int kind, LocalTexts& texts, KeyFn keyOf) : mKind(kind), mTexts(texts), mKeyOf(keyOf) {}

  // False when the text key cannot be used (the import gives way).
  bool type(const Unit* p, size_t n, Cell& cell, size_t column) {
    cell = Cell{};
    if (n == 0) return true;
    mColumn = column;
    if constexpr (sizeof(Unit) == 1) {
      return typeBytes(p, n, nulOrHigh(p, n), cell);
    } else {
      return typeUnits(p, n, cell);
    }
  }

  // The same for bytes whose first NUL or high byte is known: at `cut` (n
  // when none).
  bool type(const char* p, size_t n, size_t cut, Cell& cell, size_t column) {
    cell = Cell{};
    if (n == 0) return true;
    mColumn = column;
    return typeBytes(p, n, cut, cell);
  }

 private:
  // `cut` indexes the first NUL or high byte (n when none): the cell reads a
  // C string, which ends at a NUL. Inlined into the record's loop, the rare
  // cases out of line.
  __attribute__((always_inline)) bool typeBytes(const char* p, size_t n, size_t cut, Cell& cell) {
    if (cut == n || p[cut] == 0) {  // 7-bit ASCII up to the end or a NUL
      if (cut == 0) return true;
      if (mayBeginNumber(static_cast<unsigned char>(p[0])) && typeAsciiNumber(std::string_view(p, cut), cell))
        return true;
      return text(p, cut, p[0] == '=', true, cell);  // ASCII decodes to itself
    }
    // A byte of 0x80 and above comes before any NUL here. In UTF-8 it decodes
    // to a unit of 0x80 and above (U+FFFD when invalid) and never takes an
    // ASCII byte with it, so the text is not a number: no decoding needed.
    if (mKind == RowReader::KIND_UTF8) return text(p, n, p[0] == '=', false, cell);
    return typeDecoded(p, n, cell);
  }

  // typeBytes for a field of another code page with a byte of 0x80 and above:
  // decoded first. A number needs ASCII digits, which no other byte decodes
  // to, but the rule is applied to the text as the cell would see it.
  __attribute__((noinline)) bool typeDecoded(const char* p, size_t n, Cell& cell) {
    if (mWide.size() < n + 1) mWide.resize(n + 1);
    const size_t m = decodeField(mKind, p, n, mWide.data());
    if (m == 0) return true;
    if (mWide[0] != u'=' && typeNumber(std::u16string_view(mWide.data(), m), cell)) return true;
    return text(p, n, p[0] == '=', false, cell);
  }

  bool typeUnits(const char16_t* p, size_t n, Cell& cell) {
    const size_t cut = std::u16string_view(p, n).find(u'\0');
    if (cut == 0) return true;
    if (cut != std::u16string_view::npos) n = cut;
    const std::u16string_view t(p, n);
    if (t[0] != u'=' && typeNumber(t, cell)) return true;
    return text(reinterpret_cast<const char*>(p), n * 2, t[0] == u'=', false, cell);
  }

  static bool typeNumber(std::u16string_view t, Cell& cell) {
    int64_t i = 0;
    double d = 0;
    const int kind = numberValue(t, i, d);
    return numberCell(kind, i, d, cell);
  }

  // What the table did for one column's texts lately. After a window of
  // WINDOW texts nearly all new, the next PASS texts of the column skip the
  // table (which they would only fill with texts met once), then the column
  // is watched again.
  struct ColumnWatch {
    static constexpr uint32_t WINDOW = 1024, PASS = 65536;
    uint32_t seen = 0, missed = 0, passLeft = 0;
    void count(bool miss) {
      missed += miss;
      if (++seen < WINDOW) return;
      if (missed >= WINDOW - WINDOW / 16) passLeft = PASS;
      seen = missed = 0;
    }
  };
  static constexpr size_t WATCHED_COLUMNS = 256;  // later columns always use the table

  ColumnWatch* watchOf(size_t column) {
    if (column >= WATCHED_COLUMNS) return nullptr;
    if (column >= mWatch.size()) mWatch.resize(column + 1);
    return &mWatch[column];
  }

  // A text cell for the field's raw bytes: kind 8 when the text begins with
  // '=', else kind 0. A text the table holds costs a hash and a compare here;
  // the others go out of line.
  __attribute__((always_inline)) bool text(const char* p, size_t n, bool formula, bool ascii, Cell& cell) {
    cell.kind = formula ? CELL_FORMULA : CELL_TEXT;
    ColumnWatch* watch = watchOf(mColumn);
    if (watch != nullptr && watch->passLeft != 0) return passText(p, n, ascii, *watch, cell);
    const uint64_t hash = bytesHash(p, n);
    uint64_t key = 0;
    const bool known = mTexts.find(p, n, hash, key);
    if (watch != nullptr) watch->count(!known);
    if (!known) return newText(p, n, hash, ascii, cell);
    cell.value = key;
    return true;
  }

  // A text of a column of new texts: straight to the hand-over.
  __attribute__((noinline)) bool passText(const char* p, size_t n, bool ascii, ColumnWatch& watch, Cell& cell) {
    if (n >= (size_t{1} << 31)) return false;  // beyond the local table's 32-bit lengths
    --watch.passLeft;
    const uint64_t key = keyOf(p, n, ascii);
    if (key == 0) return false;
    cell.value = key;
    mTexts.addOnce(p, n, key);
    return true;
  }

  // A text the table does not hold, with the hash of its bytes: added.
  __attribute__((noinline)) bool newText(const char* p, size_t n, uint64_t hash, bool ascii, Cell& cell) {
    if (n >= (size_t{1} << 31)) return false;  // beyond the local table's 32-bit lengths
    const uint64_t key = keyOf(p, n, ascii);
    if (key == 0) return false;  // the pool never stores under 0: let the sequential road probe
    cell.value = key;
    mTexts.add(p, n, hash, key);
    return true;
  }

  // The text key of a field's raw bytes.
  uint64_t keyOf(const char* p, size_t n, bool ascii) {
    if (ascii && mKeyOf == nullptr) return asciiTextKey(p, n);
    if (mWide.size() < n + 1) mWide.resize(n + 1);
    const size_t m = decodeField(mKind, p, n, mWide.data());
    const std::u16string_view t(mWide.data(), m);
    return mKeyOf ? mKeyOf(t) : textKey(t);
  }

  int mKind;
  LocalTexts& mTexts;
  KeyFn mKeyOf;
  std::vector<char16_t> mWide;
  size_t mColumn = 0;  // of the field being typed
  std::vector<ColumnWatch> mWatch;
};

// Phase 1: counts the records that start in the span and notes where the
// last one ended. The last span runs to the end of the data.
template <class Unit>
void countSpan(ImportJob& job, Span& span, bool last) {
  auto stream = openStream<Unit>(job, span.start, job.blockBytes);
  const uint64_t limit = last ? UINT64_MAX : span.limit;
  uint64_t count = 0;
  for (;;) {
    count += stream->skipPlainRecords(limit);
    if (stream->offset() >= limit) break;
    stream->skipRecord();
    if (stream->lineLength() == 0 && stream->atEnd()) break;
    ++count;
  }
  span.count = count;
  span.end = stream->offset();
}

// Phase 2: types the span's records into their rows: span.count records into
// job.rows from span.firstRow, or for a span of a guessed start those that
// start before its limit (the last span's: the data's size when the road
// was planned, so that what the file gained since is not read) into
// span.rows, its count, end and progress in bytes following.
template <class Unit>
void fillSpan(ImportJob& job, Span& span, FieldTyper<Unit>& typer) {
  auto stream = openStream<Unit>(job, span.start, job.blockBytes);
  const bool guessed = span.guessed;
  const uint64_t limit = span.limit;
  if (guessed) span.rows = job.spareRows.take();
  if (guessed &&
      !span.rows.reserve(static_cast<size_t>((span.limit - span.start) / job.bytesPerRecord * 1.1) + 16)) {
    job.outOfResources = true;
    job.failed = true;
    return;
  }
  uint64_t reportedBytes = span.start;
  const bool quotes = job.options.quoteDetect;
  const bool big = job.kind == RowReader::KIND_UTF16BE;
  const unsigned char d = static_cast<unsigned char>(job.delimiter);
  const bool doubleByte = job.kind == RowReader::KIND_ANSI && d >= 0x40 && d <= 0xFE && d != 0x7F;
  const Unit delimiter = static_cast<Unit>(sizeof(Unit) == 1 ? job.delimiter : unitOf(job.delimiter));
  const uint64_t width = job.width;
  std::basic_string<Unit> unquoted, swapped;
  std::vector<Cell> cells;
  ByteMarks marks;
  size_t typed = 0;
  uint64_t reported = 0;
  uint64_t k = 0;
  for (;; ++k) {
    if (!guessed && k == span.count) break;
    if (guessed && stream->offset() >= limit) break;
    const Unit* line = stream->readPlainRecord();  // most records: read in place
    if (line == nullptr) {
      line = stream->readRecord();
      if (guessed && stream->lineLength() == 0 && stream->atEnd()) break;
    }
    size_t length = stream->lineLength();
    if constexpr (sizeof(Unit) == 2) {
      if (big) {
        swapped.assign(line, length);
        for (char16_t& u : swapped) u = swap16(u);
        line = swapped.data();
      }
    }
    bool typedAll;
    if constexpr (sizeof(Unit) == 1) {
      typedAll = doubleByte
                     ? typeRecord<Unit>(line, length, delimiter, quotes, true, typer, unquoted, cells, typed)
                     : typeMarkedRecord(line, length, delimiter, quotes, typer, unquoted, cells, typed, marks);
    } else {
      typedAll = typeRecord<Unit>(line, length, delimiter, quotes, false, typer, unquoted, cells, typed);
    }
    if (!typedAll) {
      job.failed = true;
      return;
    }
    const int64_t row = guessed ? static_cast<int64_t>(k) : span.firstRow + static_cast<int64_t>(k);
    // Each worker makes its own rows: they come from its own slab and their
    // pages are first touched here, on all threads at once.
    const uint64_t rowCells = std::max<uint64_t>(width, typed + 1);
    Cell* cellsOfRow = rowalloc::allocRow(rowCells);
    if (cellsOfRow == nullptr || (guessed && !span.rows.push(cellsOfRow))) {
      rowalloc::freeRow(cellsOfRow);
      job.outOfResources = true;
      job.failed = true;
      return;
    }
    if (!guessed) job.rows[row] = cellsOfRow;
    if (typed != 0) std::memcpy(static_cast<void*>(cellsOfRow + 1), cells.data(), typed * sizeof(Cell));
    if (rowCells > width) {
      span.widest = std::max(span.widest, rowCells);
      span.wide.push_back({row, rowCells});
    }
    if (k - reported >= 4096) {
      if (guessed) {
        const uint64_t at = stream->offset();
        job.recordsDone += at - reportedBytes;
        reportedBytes = at;
      } else {
        job.recordsDone += k - reported;
      }
      reported = k;
      if (job.failed) return;
    }
  }
  if (guessed) {
    span.count = k;
    span.end = stream->offset();
    span.done = true;
    job.recordsDone += span.end - reportedBytes;
  } else {
    job.recordsDone += span.count - reported;
  }
}

// The offset just after the first line end at or after `from` (a unit
// boundary for UTF-16 counted from `begin`); `size` when none.
template <class Unit>
uint64_t nextLineStart(const ImportJob& job, uint64_t begin, uint64_t from, uint64_t size) {
  if constexpr (sizeof(Unit) == 2) from += (from - begin) % 2;
  auto stream = openStream<Unit>(job, from, 65536, 1);
  Unit lf = '\n';
  if constexpr (sizeof(Unit) == 2) {
    if (job.kind == RowReader::KIND_UTF16BE) lf = swap16(lf);
  }
  for (;;) {
    const Unit u = stream->nextUnit();
    if (stream->atEnd()) return size;
    if (u == lf) return stream->offset();
  }
}

// Runs f(i) for i in [0, n) on n threads while the calling thread reports
// progress from `done` (records typed so far) between `from` and `to`. A
// worker that throws (out of memory) fails the job; a thread that cannot be
// started fails it too, once the others have stopped.
template <class F>
void runWorkers(size_t n, F&& f, ImportJob& job, uint64_t total, RisingProgress& progress, int from, int to) {
  try {
    WorkerThreads workers(
        static_cast<unsigned>(n),
        [&](unsigned i) {
          try {
            f(i);
          } catch (...) {
            job.outOfResources = true;
            job.failed = true;
          }
        },
        [&] {
          job.outOfResources = true;
          job.failed = true;
        });
    while (!workers.waitFinished(std::chrono::milliseconds(15))) {
      if (total > 0 && to > from) {
        progress(from + static_cast<int64_t>((to - from) * (job.recordsDone.load() * 1.0 / total)));
      }
    }
    workers.join();
  } catch (...) {
    job.outOfResources = true;
    job.failed = true;
  }
}

unsigned workerCount(const IoOptions& options) { return threadCount(SIZE_MAX, 1, options.threads); }

// Cuts [begin, limit) of data that ends at `size` into spans.size() spans
// whose starts are guessed: each just after a line end (which a quoted
// section may hold). `begin` is a record start.
template <class Unit>
void guessRecordStarts(ImportJob& job, std::vector<Span>& spans, uint64_t begin, uint64_t limit, uint64_t size) {
  const size_t n = spans.size();
  for (size_t t = 0; t < n; ++t) {
    const uint64_t nominal = begin + (limit - begin) * t / n;
    spans[t].start = t == 0 ? begin : std::max(nextLineStart<Unit>(job, begin, nominal, size), spans[t - 1].start);
  }
  for (size_t t = 0; t < n; ++t) spans[t].limit = t + 1 < n ? spans[t + 1].start : std::max(limit, spans[t].start);
}

// Phase 1 for spans over [begin, limit) of data that ends at `size`; false
// when a guessed start proved wrong. `begin` is a record start; `spans` holds
// as many spans as wanted. The last span's last record may run past `limit`
// (to `size` when limit is the end).
template <class Unit>
bool findRecordStarts(ImportJob& job, std::vector<Span>& spans, uint64_t begin, uint64_t limit, uint64_t size,
                      RisingProgress& progress) {
  const size_t n = spans.size();
  guessRecordStarts<Unit>(job, spans, begin, limit, size);
  std::atomic<size_t> next{0};
  runWorkers(
      std::min<size_t>(workerCount(job.options), n),
      [&](size_t) {
        for (size_t t; (t = next++) < n;) countSpan<Unit>(job, spans[t], t + 1 == n && limit >= size);
      },
      job, 0, progress, 0, 0);
  if (job.failed) return false;
  for (size_t t = 0; t + 1 < n; ++t) {
    if (spans[t].end != spans[t + 1].start) return false;
  }
  return true;
}

// Widens a span's rows to `cells`, zero-filling what each gains. False when a
// block cannot grow (it then stays as it was, still freeable).
bool widenSpan(Cell** rows, const Span& span, uint64_t width, uint64_t cells) {
  size_t next = 0;  // the span's next wide row
  for (uint64_t k = 0; k < span.count; ++k) {
    const int64_t row = span.firstRow + static_cast<int64_t>(k);
    uint64_t has = width;
    if (next < span.wide.size() && span.wide[next].row == row) has = span.wide[next++].cells;
    if (has == cells) continue;
    Cell* grown = rowalloc::reallocRow(rows[row], has, cells);
    if (grown == nullptr) return false;
    rows[row] = grown;
  }
  return true;
}

// After every row is made: when some records were wider than the first, all
// rows (row 0 too) get the widest row's width, on every worker at once.
bool widenRows(ImportJob& job, std::vector<Span>& spans, RisingProgress& progress, uint64_t& widthOut) {
  uint64_t widest = 0;
  for (const Span& s : spans) widest = std::max(widest, s.widest);
  widthOut = job.width;
  if (widest == 0) return true;
  Cell* row0 = rowalloc::reallocRow(job.rows[0], job.width, widest);
  if (row0 == nullptr) return false;
  job.rows[0] = row0;
  std::atomic<size_t> next{0};
  runWorkers(
      std::min<size_t>(workerCount(job.options), spans.size()),
      [&](size_t) {
        for (size_t t; (t = next++) < spans.size();) {
          if (!widenSpan(job.rows, spans[t], job.width, widest)) job.failed = true;
        }
      },
      job, 0, progress, 0, 0);
  if (job.failed) return false;
  widthOut = widest;
  return true;
}

// The size of each worker's table of texts, from a sample of records at the
// start of the data: room for about four times the texts that the sample
// holds more than once (fields that begin like a number are left out), so
// that the texts that repeat stay in the table between hand-overs. A text met
// once in the sample most likely never comes back: given room, it would only
// spread the table beyond the processor's cache. A sample that reaches the end
// of the data holds every text: then room for each of them at half load, so that
// a small file or page costs a small table. The sample's bytes per record go
// to job.bytesPerRecord.
template <class Unit>
size_t localSlotsFromSample(ImportJob& job, uint64_t begin) {
  constexpr size_t SAMPLE_RECORDS = 16384;
  constexpr size_t FEWEST = size_t{1} << 14, MOST = size_t{1} << 20, FEWEST_FOR_LITTLE = 64;
  auto stream = openStream<Unit>(job, begin, size_t{1} << 18);
  const bool big = job.kind == RowReader::KIND_UTF16BE;
  Unit delimiter = static_cast<Unit>(job.delimiter);
  if constexpr (sizeof(Unit) == 2) delimiter = big ? swap16(unitOf(job.delimiter)) : unitOf(job.delimiter);
  auto numeric = [big](Unit u) {
    if constexpr (sizeof(Unit) == 2) u = big ? swap16(u) : u;
    return mayBeginNumber(static_cast<std::make_unsigned_t<Unit>>(u));
  };
  std::vector<uint64_t> hashes;
  bool whole = false;  // the sample is all the data: its texts are all there are
  size_t k = 0;
  for (; k < SAMPLE_RECORDS; ++k) {
    const Unit* line = stream->readRecord();
    const size_t length = stream->lineLength();
    if (length == 0 && stream->atEnd()) {
      whole = true;
      break;
    }
    size_t i = 0;
    while (i < length) {  // fields cut at every delimiter: close enough for an estimate
      size_t j = i;
      while (j < length && line[j] != delimiter) ++j;
      if (j > i && !numeric(line[i])) {
        hashes.push_back(bytesHash(reinterpret_cast<const char*>(line + i), (j - i) * sizeof(Unit)));
      }
      i = j + 1;
    }
  }
  const uint64_t sampled = stream->offset() - begin;
  if (k != 0 && sampled != 0) job.bytesPerRecord = static_cast<double>(sampled) / static_cast<double>(k);
  if (whole) {  // room for every text at half load: the table never fills
    return std::clamp<size_t>(std::bit_ceil(hashes.size() * 2), FEWEST_FOR_LITTLE, FEWEST);
  }
  std::sort(hashes.begin(), hashes.end());
  size_t repeated = 0;  // distinct hashes met twice or more
  for (size_t k = 1; k < hashes.size(); ++k)
    repeated += hashes[k] == hashes[k - 1] && (k < 2 || hashes[k] != hashes[k - 2]);
  size_t slots = FEWEST;
  while (slots < repeated * 4 && slots < MOST) slots *= 2;
  return slots;
}

// Phase 2 over the spans on `threads` workers, which hand their texts over
// at the end; a key held by another text fails the job. Progress goes from
// `from` to `to` as job.recordsDone reaches `total`. A worker calls
// spanDone(t) after each span t it typed whole.
template <class Unit, class SpanDone>
void typeSpans(CDataCore& sheet, ImportJob& job, std::vector<Span>& spans, unsigned threads, uint64_t total,
               RisingProgress& progress, int from, int to, SpanDone&& spanDone) {
  std::atomic<size_t> nextSpan{0};
  runWorkers(
      threads,
      [&](size_t w) {
        LocalTexts texts(sheet.mPool, job.kind, w * StringPool::SHARD_COUNT / threads, job.localSlots);
        FieldTyper<Unit> typer(job.kind, texts, job.options.keyOf);
        for (size_t t; !job.failed && (t = nextSpan++) < spans.size();) {
          fillSpan<Unit>(job, spans[t], typer);
          if (!job.failed) spanDone(t);
        }
        texts.flush(true);
        if (texts.collided()) job.failed = true;
      },
      job, total, progress, from, to);
}

// Phase 2 and the widening over ready spans whose rows go to job.rows at
// their firstRow: the workers type the records, hand their texts over and
// widen the rows. False when the road gives way (the rows made stay in
// job.rows, the rest null).
template <class Unit>
bool fillRows(CDataCore& sheet, ImportJob& job, std::vector<Span>& spans, unsigned threads, uint64_t total,
              RisingProgress& progress, int from, int to, uint64_t& width) {
  typeSpans<Unit>(sheet, job, spans, threads, total, progress, from, to, [](size_t) {});
  return !job.failed && widenRows(job, spans, progress, width);
}

// Frees rows [first, end) of a row array (null entries are skipped).
void freeRows(Cell** rows, uint64_t first, uint64_t end) {
  for (uint64_t r = first; r < end; ++r) rowalloc::freeRow(rows[r]);
}

// Makes the sheet one of `total` + 1 rows whose rows 1.. the workers make:
// row 0 from the sheet, `width` cells, the others null. False when the row
// array cannot be had (the sheet is then empty).
bool prepareRows(CDataCore& sheet, ImportJob& job, uint64_t total, uint64_t width) {
  sheet.clear();
  sheet.resize(1, static_cast<int32_t>(width));  // row 0, made by the sheet
  Cell** rows = rowalloc::reallocArray(sheet.mDatas, 1, total + 1);
  if (rows == nullptr) {
    sheet.clear();
    return false;
  }
  const unsigned threads = total >= (1u << 20) ? workerCount(job.options) : 1;
  parallelChunks(total, threads,
                 [&](unsigned, size_t from, size_t to) { std::fill(rows + 1 + from, rows + 1 + to, nullptr); });
  sheet.mDatas = job.rows = rows;
  job.width = width;
  // Room for one distinct text per record up front, so that the shards'
  // tables do not grow under their locks while the workers add. (A pool
  // that reaches that many texts has tables of this size anyway.)
  sheet.mPool.reserve(static_cast<size_t>(total), threads);
  return true;
}

// Undoes prepareRows after a failed fill: every row made freed, the sheet
// emptied.
void dropRows(CDataCore& sheet, Cell** rows, uint64_t total) {
  freeRows(rows, 1, total + 1);
  sheet.mDatas = rowalloc::reallocArray(rows, total + 1, 1);  // shrinking: never fails
  sheet.clear();
}

// The sheet of `total` records from ready spans: sized, filled by the
// workers (their tables of texts sized from the records at `sample`) and
// widened. GaveWay leaves it empty.
template <class Unit>
ParallelResult makeSheet(CDataCore& sheet, ImportJob& job, std::vector<Span>& spans, unsigned threads,
                         uint64_t total, size_t firstFields, uint64_t sample, RisingProgress& progress) {
  job.localSlots = localSlotsFromSample<Unit>(job, sample);
  if (!prepareRows(sheet, job, total, firstFields + 1)) return ParallelResult::GaveWay;
  uint64_t width = 0;
  if (!fillRows<Unit>(sheet, job, spans, threads, total, progress, 10, 95, width)) {
    dropRows(sheet, job.rows, total);
    return ParallelResult::GaveWay;
  }
  sheet.mColCount = width;
  sheet.mRowCount = total + 1;  // every row is made and as wide as the sheet: whole again
  return ParallelResult::Done;
}

template <class Unit>
uint64_t scanPage(ImportJob& job, uint64_t start, uint64_t want, unsigned threads, std::vector<Span>& spans,
                  int64_t firstRow, uint64_t& end);

// The spans that `bytes` of data are cut into for `threads` workers. The more
// spans, the less the workers that end first wait for the last (whose span
// the machine slowed down), but a span reads on to the end of the block its
// limit falls in: spans of SPAN_BLOCKS blocks or more keep that small.
size_t spanCount(uint64_t bytes, size_t blockBytes, unsigned threads) {
  const uint64_t byBlocks = bytes / (uint64_t{blockBytes} * SPAN_BLOCKS);
  return static_cast<size_t>(std::clamp<uint64_t>(byBlocks, uint64_t{threads} * SPANS_PER_WORKER,
                                                  uint64_t{threads} * MOST_SPANS_PER_WORKER));
}

// Frees the rows that spans of guessed starts made, those that went to the
// sheet's row array (rows 1 .. placed) and those the spans still hold, and
// empties the sheet.
void dropSpanRows(CDataCore& sheet, uint64_t placed, std::vector<Span>& spans) {
  freeRows(sheet.mDatas, 1, placed + 1);
  for (Span& s : spans) {
    for (size_t k = 0; k < s.rows.size(); ++k) rowalloc::freeRow(s.rows.data()[k]);
    s.rows = {};
  }
  sheet.clear();
}

// Moves a span's rows to the row array from its firstRow, its list to the
// spares; its wide rows then name sheet rows.
void placeSpanRows(Cell** rows, Span& s, SpareRowLists& spares) {
  if (s.count != 0) std::memcpy(static_cast<void*>(rows + s.firstRow), s.rows.data(), s.count * sizeof(Cell*));
  spares.give(std::move(s.rows));
  for (WideRow& w : s.wide) w.row += s.firstRow;
}

// Whether every span of guessed starts was typed to its end and the next
// began where it ended: then its start was a record start, as the first's is.
bool startsHeld(const std::vector<Span>& spans) {
  for (size_t t = 0; t < spans.size(); ++t) {
    if (!spans[t].done || (t + 1 < spans.size() && spans[t].end != spans[t + 1].start)) return false;
  }
  return true;
}

// The sheet from spans of guessed starts over [begin, size), typed without
// counting them first: each span's rows are its own until every span is
// done, then they go to the sheet's row array in span order. NotTaken with
// `startsWrong` set when a guess fell inside a quoted line break (or a
// span's typing failed, which a wrong start may cause): the sheet is then
// empty, for the exact starts to be found. GaveWay leaves it empty too.
template <class Unit>
ParallelResult makeSheetFromGuesses(CDataCore& sheet, ImportJob& job, std::vector<Span>& spans, unsigned threads,
                                    uint64_t begin, uint64_t size, size_t firstFields, RisingProgress& progress,
                                    bool& startsWrong) {
  startsWrong = false;
  job.localSlots = localSlotsFromSample<Unit>(job, begin);
  sheet.clear();
  sheet.resize(1, static_cast<int32_t>(firstFields + 1));  // row 0, made by the sheet
  job.width = firstFields + 1;
  for (Span& s : spans) s.guessed = true;
  // Room for one distinct text per record up front, as prepareRows makes.
  const double records = static_cast<double>(size - begin) / job.bytesPerRecord;
  sheet.mPool.reserve(static_cast<size_t>(std::min(records, double{MAX_ROWS})), threads);
  // The spans done in order hand their rows to the sheet's row array while
  // the others are typed: room for half as many rows again as the sample
  // suggests (pages not written cost nothing), more at the end if short.
  const uint64_t room = static_cast<uint64_t>(std::min(records * 1.5 + 1024, double{MAX_ROWS - 1}));
  Cell** rows = rowalloc::reallocArray(sheet.mDatas, 1, room + 1);
  if (rows == nullptr) {
    sheet.clear();
    return ParallelResult::GaveWay;
  }
  sheet.mDatas = rows;
  std::mutex handing;  // guards the three below
  std::vector<char> typed(spans.size(), 0);
  size_t handed = 0;    // spans whose rows are in the array
  uint64_t placed = 0;  // their rows
  const auto handOver = [&](size_t t) {
    const std::lock_guard<std::mutex> guard(handing);
    typed[t] = 1;
    while (handed < spans.size() && typed[handed]) {
      Span& s = spans[handed];
      if ((handed > 0 && spans[handed - 1].end != s.start) || placed + s.count > room) break;
      s.firstRow = static_cast<int64_t>(placed) + 1;
      placeSpanRows(rows, s, job.spareRows);
      placed += s.count;
      ++handed;
    }
  };
  progress(10);
  typeSpans<Unit>(sheet, job, spans, threads, size - begin, progress, 10, 95, handOver);
  if (job.outOfResources) {
    dropSpanRows(sheet, placed, spans);
    return ParallelResult::GaveWay;
  }
  if (!startsHeld(spans)) {
    dropSpanRows(sheet, placed, spans);
    job.failed = false;
    startsWrong = true;
    return ParallelResult::NotTaken;
  }
  if (job.failed) {
    dropSpanRows(sheet, placed, spans);
    return ParallelResult::GaveWay;
  }
  uint64_t total = placed;
  for (size_t t = handed; t < spans.size(); ++t) {
    spans[t].firstRow = static_cast<int64_t>(total) + 1;
    total += spans[t].count;
  }
  if (total == 0 || static_cast<int64_t>(total) >= MAX_ROWS) {
    dropSpanRows(sheet, placed, spans);
    return ParallelResult::NotTaken;
  }
  if (total > room) {  // the sample promised fewer rows
    rows = rowalloc::reallocArray(rows, placed + 1, total + 1);
    if (rows == nullptr) {
      dropSpanRows(sheet, placed, spans);
      return ParallelResult::GaveWay;
    }
    sheet.mDatas = rows;
  }
  parallelChunks(spans.size() - handed, total >= (1u << 20) ? threads : 1, [&](unsigned, size_t from, size_t to) {
    for (size_t t = handed + from; t < handed + to; ++t) placeSpanRows(rows, spans[t], job.spareRows);
  });
  job.spareRows.release();
  rows = rowalloc::reallocArray(rows, std::max(room, total) + 1, total + 1);  // shrinking: never fails
  sheet.mDatas = job.rows = rows;
  // Every row is made: the sheet holds them all.
  uint64_t width = 0;
  if (!widenRows(job, spans, progress, width)) {
    dropRows(sheet, rows, total);
    return ParallelResult::GaveWay;
  }
  sheet.mColCount = width;
  sheet.mRowCount = total + 1;
  return ParallelResult::Done;
}

// The whole data from `begin` as a sheet. The record starts are guessed and
// the spans typed from them in parallel, with no pass that counts the records
// first; when a guess fell inside a quoted line break, one quote-aware pass
// over the data finds the exact starts instead, and the records are still
// typed in parallel.
template <class Unit>
ParallelResult readWhole(CDataCore& sheet, ImportJob& job, uint64_t begin, uint64_t size, size_t firstFields,
                         unsigned threads, RisingProgress& progress) {
  if (firstFields + 1 >= MAX_ROWS) return ParallelResult::NotTaken;
  // Several spans per worker, taken as workers come free: a worker that the
  // machine slows down holds up the end by one small span at most.
  std::vector<Span> spans(spanCount(size - begin, job.blockBytes, threads));
  guessRecordStarts<Unit>(job, spans, begin, size, size);
  bool startsWrong = false;
  const ParallelResult made =
      makeSheetFromGuesses<Unit>(sheet, job, spans, threads, begin, size, firstFields, progress, startsWrong);
  if (!startsWrong) return made;
  job.spareRows.release();
  job.recordsDone = 0;
  spans.clear();
  uint64_t end = 0;
  scanPage<Unit>(job, begin, UINT64_MAX, threads, spans, 1, end);
  uint64_t total = 0;
  for (Span& s : spans) {
    s.firstRow = static_cast<int64_t>(total) + 1;
    total += s.count;
  }
  if (total == 0 || static_cast<int64_t>(total) >= MAX_ROWS) return ParallelResult::NotTaken;
  progress(10);
  return makeSheet<Unit>(sheet, job, spans, threads, total, firstFields, begin, progress);
}

// Where the job's data lies and how many workers read it; false when the
// road does not apply.
bool planRoad(RowReader& reader, const IoOptions& options, uint64_t& begin, uint64_t& size, unsigned& threads) {
  if (!options.parallel) return false;
  if (reader.kind() != RowReader::KIND_UTF8 && reader.kind() != RowReader::KIND_ANSI && !isWide(reader.kind())) {
    return false;
  }
  size = reader.byteStream() ? reader.byteStream()->fileSize() : reader.unitStream()->fileSize();
  begin = static_cast<uint64_t>(reader.startOffset());
  threads = workerCount(options);  // one worker too: the road without a text per field
  return size > begin && size - begin >= options.minParallelBytes;
}

// The offset of the record with 1-based number `record` (counted from
// `begin`), or `size` when the data ends first. Far records are found by
// counting the records of the data in parallel, a growing stretch at a time,
// the rest by skipping records one after another (also when the stretch's
// guessed starts do not hold).
template <class Unit>
uint64_t recordOffset(ImportJob& job, uint64_t begin, uint64_t size, uint64_t record, unsigned threads,
                      RisingProgress& progress) {
  uint64_t offset = begin, skip = record - 1;
  uint64_t stretch = uint64_t{job.blockBytes} * 16 * threads;
  while (skip > PAGE_SKIP_ALONE && threads > 1 && offset < size) {
    const uint64_t limit = std::min(size, offset + stretch);
    std::vector<Span> spans(threads * SPANS_PER_WORKER);
    if (!findRecordStarts<Unit>(job, spans, offset, limit, size, progress)) break;
    bool within = false;
    for (const Span& s : spans) {
      if (s.count > skip) {
        offset = s.start;
        within = true;
        break;
      }
      skip -= s.count;
      offset = s.end;
    }
    if (within) break;
    stretch *= 2;
  }
  job.failed = false;
  auto stream = openStream<Unit>(job, offset, job.blockBytes);
  for (uint64_t k = 0; k < skip; ++k) {
    stream->skipRecord();
    if (stream->lineLength() == 0 && stream->atEnd()) return size;
  }
  return stream->offset();
}

// The page's records from `start`: at most `want` of them, cut into spans of
// exact starts. Returns the records found; `end` is where the last ended.
template <class Unit>
uint64_t scanPage(ImportJob& job, uint64_t start, uint64_t want, unsigned threads, std::vector<Span>& spans,
                  int64_t firstRow, uint64_t& end) {
  const uint64_t per =
      std::clamp<uint64_t>(want / (threads * SPANS_PER_WORKER) + 1, PAGE_SPAN_RECORDS, PAGE_SPAN_RECORDS * 8);
  auto stream = openStream<Unit>(job, start, job.blockBytes);
  uint64_t found = 0;
  Span span;
  span.start = start;
  span.firstRow = firstRow;
  while (found < want) {
    const uint64_t at = stream->offset();
    stream->skipRecord();
    if (stream->lineLength() == 0 && stream->atEnd()) break;
    if (span.count == per) {
      spans.push_back(std::move(span));
      span = Span{};
      span.start = at;
      span.firstRow = firstRow + static_cast<int64_t>(found);
    }
    ++span.count;
    ++found;
  }
  if (span.count != 0) spans.push_back(std::move(span));
  end = stream->offset();
  return found;
}

template <class Unit>
ParallelResult readPageRows(CDataCore& sheet, ImportJob& job, uint64_t begin, uint64_t size, size_t firstFields,
                            bool keepHeader, int64_t firstRow, int64_t pageRows, TextPage& page, unsigned threads,
                            RisingProgress& progress, uint64_t fromRecord, uint64_t fromOffset) {
  const bool header = firstRow != 1 && keepHeader;
  const bool known = fromRecord > 1 && fromRecord <= static_cast<uint64_t>(firstRow);
  const uint64_t start = firstRow == 1 ? begin
                         : known       ? recordOffset<Unit>(job, fromOffset, size,
                                                      static_cast<uint64_t>(firstRow) - fromRecord + 1, threads,
                                                      progress)
                                       : recordOffset<Unit>(job, begin, size, firstRow, threads, progress);
  if (job.failed || start >= size) return ParallelResult::NotTaken;
  std::vector<Span> spans;
  if (header) {  // row 1: the file's first record
    Span first;
    first.start = begin;
    first.count = 1;
    first.firstRow = 1;
    spans.push_back(std::move(first));
  }
  uint64_t end = 0;
  const uint64_t want = static_cast<uint64_t>(pageRows) - (header ? 1 : 0);
  const uint64_t found = scanPage<Unit>(job, start, want, threads, spans, header ? 2 : 1, end);
  if (found == 0) return ParallelResult::NotTaken;
  progress(10);
  const ParallelResult made =
      makeSheet<Unit>(sheet, job, spans, threads, found + (header ? 1 : 0), firstFields, start, progress);
  if (made != ParallelResult::Done) return made;
  page.start = firstRow == 1 ? 0 : start;
  page.end = end;
  page.records = found;
  return ParallelResult::Done;
}

}  // namespace

ParallelResult readAllInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                 const IoOptions& options, RisingProgress& progress) {
  uint64_t begin = 0, size = 0;
  unsigned threads = 1;
  if (!planRoad(reader, options, begin, size, threads)) return ParallelResult::NotTaken;
  // The first record's width, with the settled delimiter, sizes the sheet.
  reader.rewind();
  const size_t firstFields = reader.nextRow().size();
  reader.rewind();
  ImportJob job{path, options, reader.kind(), reader.delimiter(),
                options.blockBytes ? options.blockBytes : WORKER_BLOCK_BYTES};
  return isWide(job.kind) ? readWhole<char16_t>(sheet, job, begin, size, firstFields, threads, progress)
                          : readWhole<char>(sheet, job, begin, size, firstFields, threads, progress);
}

ParallelResult readPageInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                  const IoOptions& options, size_t firstFields, bool keepHeader, int64_t firstRow,
                                  int64_t pageRows, TextPage& page, RisingProgress& progress, uint64_t fromRecord,
                                  uint64_t fromOffset) {
  uint64_t begin = 0, size = 0;
  unsigned threads = 1;
  if (!planRoad(reader, options, begin, size, threads)) return ParallelResult::NotTaken;
  if (pageRows < 2 || firstRow < 1 || firstFields + 1 >= MAX_ROWS) return ParallelResult::NotTaken;
  ImportJob job{path, options, reader.kind(), reader.delimiter(),
                options.blockBytes ? options.blockBytes : WORKER_BLOCK_BYTES};
  return isWide(job.kind) ? readPageRows<char16_t>(sheet, job, begin, size, firstFields, keepHeader, firstRow,
                                                   pageRows, page, threads, progress, fromRecord, fromOffset)
                          : readPageRows<char>(sheet, job, begin, size, firstFields, keepHeader, firstRow, pageRows,
                                               page, threads, progress, fromRecord, fromOffset);
}

ParallelResult appendInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                const IoOptions& options, size_t firstFields, bool sameHeader,
                                RisingProgress& progress) {
  uint64_t begin = 0, size = 0;
  unsigned threads = 1;
  if (!planRoad(reader, options, begin, size, threads)) return ParallelResult::NotTaken;
  // The file's rows as a sheet of their own, read as a whole file is.
  CDataCore added;
  ImportJob job{path, options, reader.kind(), reader.delimiter(),
                options.blockBytes ? options.blockBytes : WORKER_BLOCK_BYTES};
  const ParallelResult read = isWide(job.kind)
                                  ? readWhole<char16_t>(added, job, begin, size, firstFields, threads, progress)
                                  : readWhole<char>(added, job, begin, size, firstFields, threads, progress);
  if (read != ParallelResult::Done) return read;
  // A text the sheet holds under a key that one of the file's texts has too
  // is probed past by the sequential road: that road reads the file then.
  if (sheet.mPool.clashesWith(added.mPool, threads)) return ParallelResult::GaveWay;
  progress(96);

  const uint64_t rows = sheet.mRowCount, cols = sheet.mColCount;
  const uint64_t fileRows = added.mRowCount - 1;  // records 1..
  const uint64_t skipped = sameHeader ? 1 : 0;
  const uint64_t next = rows == 0 ? 1 : rows;
  const uint64_t total = next + fileRows - skipped;
  if (static_cast<int64_t>(total) >= MAX_ROWS) return ParallelResult::NotTaken;
  const uint64_t width = std::max(cols, added.mColCount);
  if (sameHeader) {  // the repeated header row gives its texts back
    Cell* first = added.mDatas[1];
    for (uint64_t c = 0; c < added.mColCount; ++c) {
      if (isPoolKind(first[c].kind)) added.release(first[c].value);
    }
  }
  // The sheet's own rows (row 0 for a sheet without rows) at the new width.
  sheet.resize(static_cast<int32_t>(next), static_cast<int32_t>(width));
  // The added rows at that width too, then moved over.
  if (added.mColCount < width) added.resize(static_cast<int32_t>(added.mRowCount), static_cast<int32_t>(width));
  Cell** array = rowalloc::reallocArray(sheet.mDatas, next, total);
  if (array == nullptr) throw "CDataGrid::resize: mDatas malloc error";
  sheet.mDatas = array;
  for (uint64_t r = 1 + skipped; r < added.mRowCount; ++r) {
    array[next + r - 1 - skipped] = added.mDatas[r];
    added.mDatas[r] = nullptr;  // the sheet owns it now
  }
  sheet.mRowCount = total;
  // The texts: counts added under the keys the cells hold.
  sheet.mPool.addAll(added.mPool, threads);
  return ParallelResult::Done;
}
