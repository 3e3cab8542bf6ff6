#include "store/FastImport.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/crt.h"
#include "platform/fileio.h"
#include "store/Alloc.h"
#include "store/CsvStream.h"
#include "store/DataCore.h"
#include "store/Parallel.h"
#include "store/QuoteDetect.h"
#include "store/RowReader.h"
#include "store/TextHelpers.h"
#include "store/TextImport.h"
#include "store/TextKey.h"

namespace {

// numberKind over 7-bit ASCII bytes, with the value of an integer: the same
// rule step for step (one leading blank, TAB or '-' skipped; a leading '0'
// followed by '.' or the end; at most 19 units after the skipped one; at
// least one digit; an integer that fits in 64 bits).
int asciiNumberKind(const char* t, size_t n, uint64_t& value, bool& negative) {
  if (n == 0) return 0;
  if (t[0] == '0' && n > 1 && t[1] != '.') return 0;
  size_t i = 0;
  negative = false;
  if (t[0] == ' ' || t[0] == '\t' || t[0] == '-') {
    negative = t[0] == '-';
    i = 1;
  }
  if (n - i > 19) return 0;
  int kind = 1;
  int digits = 0;
  value = 0;
  for (; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    if (c == '.') {
      if (kind == 2) return 0;
      kind = 2;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (kind == 1) value = value * 10 + (c - '0');
    } else {
      return 0;
    }
  }
  if (digits == 0) return 0;
  if (kind == 1 && value > (negative ? uint64_t{INT64_MAX} + 1 : uint64_t{INT64_MAX})) return 0;
  return kind;
}

}  // namespace

bool typeAsciiNumber(std::string_view field, Cell& cell) {
  uint64_t value = 0;
  bool negative = false;
  const int kind = asciiNumberKind(field.data(), field.size(), value, negative);
  if (kind == 0) return false;
  if (kind == 1) {  // what _wtoi64 reads from such a text
    cell.kind = CELL_INT64;
    cell.value = negative ? uint64_t{0} - value : value;
    return true;
  }
  const char* p = field.data();
  const char* end = p + field.size();
  if (*p == ' ' || *p == '\t') ++p;  // wcstod skips it; from_chars does not
  double d = 0;
  std::from_chars(p, end, d);  // correctly rounded, as strtod
  cell.kind = CELL_DOUBLE;
  cell.setDoubleBits(d);
  return true;
}

namespace {

constexpr int64_t MAX_ROWS = INT32_MAX;
constexpr size_t WORKER_BLOCK_BYTES = 1u << 20;
constexpr size_t WORKER_LINE_UNITS = 1u << 16;
constexpr size_t SPANS_PER_WORKER = 4;

// Decodes a field's bytes as the sequential road does (utf8ToWide or
// ansiToWide, then read as a C string): into `out`, NUL-terminated; returns
// the number of units before the first NUL. `out` holds n + 1 units.
size_t decodeField(int kind, const char* p, size_t n, char16_t* out) {
  size_t m = kind == RowReader::KIND_UTF8 ? utf8Decode(p, n, out) : ansiDecode(p, n, out);
  const size_t nul = std::u16string_view(out, m).find(u'\0');
  if (nul != std::u16string_view::npos) m = nul;
  out[m] = 0;
  return m;
}

// A cheap hash of a field's bytes, eight at a time (the local table's own;
// text keys are computed once per distinct field).
uint64_t bytesHash(const char* p, size_t n) {
  uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * 0xff51afd7ed558ccdULL;
    h ^= h >> 32;
  }
  if (n != 0) {
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 29;
  }
  return h;
}

// One thread's texts and their counts, keyed by the fields' raw bytes (a
// repeated field costs a hash and a compare: no decoding, no text key). When
// the table fills, the fields met only once go to the pool and the others
// stay, so hot texts cost the pool one call in all and the table's memory
// stays bounded. Two raw forms of one text
// (e.g. two invalid bytes that both decode to U+FFFD) are two entries with
// the same key and bytes; the pool adds their counts.
class LocalTexts {
 public:
  LocalTexts(StringPool& pool, int kind, size_t firstShard)
      : mPool(pool), mKind(kind), mFirstShard(firstShard % StringPool::SHARD_COUNT), mSlots(SLOTS) {
    mArena.reserve(ARENA_BYTES + 65536);
    mKeptArena.reserve(ARENA_BYTES + 65536);
    mUsed.reserve(SLOTS / 2);
  }

  // Counts the field when it is in the table; its key then goes to `key`.
  bool find(const char* raw, size_t n, uint64_t hash, uint64_t& key) {
    for (size_t i = hash & (SLOTS - 1);; i = (i + 1) & (SLOTS - 1)) {
      Slot& s = mSlots[i];
      if (s.count == 0) return false;
      if (s.hash == hash && s.length == n && std::memcmp(mArena.data() + s.offset, raw, n) == 0) {
        ++s.count;
        key = s.key;
        return true;
      }
    }
  }

  // Adds a field that find() did not know, with its text key.
  void add(const char* raw, size_t n, uint64_t hash, uint64_t key) {
    size_t i = hash & (SLOTS - 1);
    while (mSlots[i].count != 0) i = (i + 1) & (SLOTS - 1);
    mSlots[i] = Slot{hash, key, 1, static_cast<uint32_t>(mArena.size()), static_cast<uint32_t>(n)};
    mArena.append(raw, n);
    mUsed.push_back(i);
    if (mUsed.size() >= SLOTS / 2 || mArena.size() >= ARENA_BYTES) flush();
  }

  // Hands counts to the pool; a key held there by another text sets
  // collided(). A partial flush (the table is full) keeps the fields seen more
  // than once since they came in, so hot texts stay here and cost the pool
  // one call in all; the final flush hands over everything.
  void flush(bool all = false) {
    std::vector<Slot> kept, handed;
    size_t keptBytes = 0;
    for (size_t i : mUsed) {
      Slot& s = mSlots[i];
      if (!all && s.count >= 2 && kept.size() < SLOTS / 4 && keptBytes + s.length <= ARENA_BYTES / 2) {
        kept.push_back(s);
        keptBytes += s.length;
      } else {
        handed.push_back(s);
      }
      s = Slot{};
    }
    mUsed.clear();
    handOver(handed);
    mKeptArena.clear();
    for (Slot& k : kept) {
      mKeptArena.append(mArena, k.offset, k.length);
      k.offset = static_cast<uint32_t>(mKeptArena.size() - k.length);
    }
    mArena.swap(mKeptArena);
    for (const Slot& k : kept) {
      size_t i = k.hash & (SLOTS - 1);
      while (mSlots[i].count != 0) i = (i + 1) & (SLOTS - 1);
      mSlots[i] = k;
      mUsed.push_back(i);
    }
  }

  bool collided() const { return mCollided; }

 private:
  static constexpr size_t SLOTS = 1u << 14;  // 512 KB of slots: stays in the core's cache
  static constexpr size_t ARENA_BYTES = 1u << 20;
  struct Slot {
    uint64_t hash = 0;
    uint64_t key = 0;
    uint64_t count = 0;  // 0: the slot is free
    uint32_t offset = 0;  // of the raw bytes in mArena
    uint32_t length = 0;
  };

  // Adds the entries to the pool in the order of the pool's shards, starting
  // at a shard of this thread's own, so that threads flushing at the same
  // time mostly take different shard locks, each several times in a row.
  // (The shard guess mirrors the pool's key mixing; were it to differ, only
  // the order, not the result, would change.)
  void handOver(std::vector<Slot>& entries) {
    auto shardOf = [](uint64_t key) {
      key ^= key >> 33;
      key *= 0xff51afd7ed558ccdULL;
      key ^= key >> 33;
      key *= 0xc4ceb9fe1a85ec53ULL;
      key ^= key >> 33;
      return static_cast<size_t>(key >> (64 - StringPool::SHARD_BITS));
    };
    const size_t shards = StringPool::SHARD_COUNT;
    std::vector<size_t> start(shards + 1, 0);
    for (const Slot& e : entries) ++start[(shardOf(e.key) + shards - mFirstShard) % shards + 1];
    for (size_t i = 0; i < shards; ++i) start[i + 1] += start[i];
    std::vector<const Slot*> order(entries.size());
    for (const Slot& e : entries) order[start[(shardOf(e.key) + shards - mFirstShard) % shards]++] = &e;
    for (const Slot* e : order) {
      if (mWide.size() < e->length + 1) mWide.resize(e->length + 1);
      const size_t m = decodeField(mKind, mArena.data() + e->offset, e->length, mWide.data());
      mPool.addCounted(e->key, mWide.data(), (m + 1) * 2, e->count, mCollided);
    }
  }


  StringPool& mPool;
  int mKind;
  size_t mFirstShard;
  std::vector<Slot> mSlots;
  std::vector<size_t> mUsed;
  std::string mArena;
  std::string mKeptArena;
  std::vector<char16_t> mWide;
  bool mCollided = false;
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
  CDataCore& sheet;
  int kind;  // RowReader::KIND_UTF8 or KIND_ANSI
  char delimiter;
  size_t blockBytes;
  Cell** rows = nullptr;  // the sheet's row array while the workers make its rows
  std::atomic<uint64_t> recordsDone{0};
  std::atomic<bool> failed{false};
};

// A zero-filled row; each worker carves its rows from slabs of its own.
Cell* newRow(size_t cells) { return rowalloc::allocRow(cells); }

// One span of the data: records that start in [start, limit).
struct Span {
  uint64_t start = 0;
  uint64_t limit = 0;
  uint64_t count = 0;      // records found in phase 1
  uint64_t end = 0;        // where the span's last record ended
  int64_t firstRow = 0;    // sheet row of its first record
  uint64_t widest = 0;     // most cells of a wide row (0: none)
  std::vector<WideRow> wide;  // in row order
};

// Types fields into cells the way setTextTyped does, texts counted locally.
class FieldTyper {
 public:
  FieldTyper(int kind, LocalTexts& texts, uint64_t (*keyOf)(std::u16string_view))
      : mKind(kind), mTexts(texts), mKeyOf(keyOf ? keyOf : textKey) {}

  // False when the text key cannot be used (the import gives way).
  bool type(const char* p, size_t n, Cell& cell) {
    cell = Cell{};
    if (n == 0) return true;
    const char* nul = static_cast<const char*>(std::memchr(p, 0, n));
    const size_t cut = nul ? static_cast<size_t>(nul - p) : n;  // the cell reads a C string
    if (cut == 0) return true;
    bool ascii = true;
    for (size_t i = 0; i < cut; ++i) ascii &= static_cast<unsigned char>(p[i]) < 0x80;
    if (ascii) {
      if (p[0] != '=' && typeAsciiNumber(std::string_view(p, cut), cell)) return true;
      return text(p, cut, cell);  // ASCII decodes to itself, so the bytes stand for the text
    }
    // Decoded first: a number needs ASCII digits, which no other byte decodes to,
    // but the rule is applied to the text as the cell would see it.
    if (mWide.size() < n + 1) mWide.resize(n + 1);
    const size_t m = decodeField(mKind, p, n, mWide.data());
    if (m == 0) return true;
    if (mWide[0] != u'=') {
      const int kind = numberKind(std::u16string_view(mWide.data(), m));
      if (kind == 1) {
        cell.kind = CELL_INT64;
        cell.value = static_cast<uint64_t>(_wtoi64(mWide.data()));
        return true;
      }
      if (kind == 2) {
        cell.kind = CELL_DOUBLE;
        cell.setDoubleBits(wcstod(mWide.data(), nullptr));
        return true;
      }
    }
    return text(p, n, cell);
  }

 private:
  // A text cell for the field's bytes: kind 8 when it begins with '=' (an
  // ASCII byte, so the text begins with it too), else kind 0.
  bool text(const char* p, size_t n, Cell& cell) {
    if (n >= (size_t{1} << 31)) return false;  // beyond the local table's 32-bit lengths
    cell.kind = p[0] == '=' ? CELL_FORMULA : CELL_TEXT;
    const uint64_t hash = bytesHash(p, n);
    uint64_t known = 0;
    if (mTexts.find(p, n, hash, known)) {
      cell.value = known;
      return true;
    }
    if (mWide.size() < n + 1) mWide.resize(n + 1);
    const size_t m = decodeField(mKind, p, n, mWide.data());
    const std::u16string_view t(mWide.data(), m);
    const uint64_t key = mKeyOf(t);
    if (key == 0) return false;  // the pool never stores under 0: let the sequential road probe
    cell.value = key;
    mTexts.add(p, n, hash, key);
    return true;
  }

  int mKind;
  LocalTexts& mTexts;
  uint64_t (*mKeyOf)(std::u16string_view);
  std::vector<char16_t> mWide;
};

// Splits the record in the line buffer as CsvStream::splitLine does, typing
// each field into `cells`. False on a key collision.
bool typeRecord(const char* s, size_t len, char delimiter, bool quotes, FieldTyper& typer,
                std::string& unquoted, std::vector<Cell>& cells) {
  cells.clear();
  size_t i = 0;
  Cell cell;
  while (i < len) {
    size_t j;
    bool ok;
    if (quotes && s[i] == '"') {
      unquoted.clear();
      j = i + 1;
      while (j < len) {
        if (s[j] == '"') {
          if (j + 1 < len && s[j + 1] == '"') {
            unquoted.push_back('"');
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        const char* q = static_cast<const char*>(std::memchr(s + j, '"', len - j));
        size_t run = q ? static_cast<size_t>(q - (s + j)) : len - j;
        unquoted.append(s + j, run);
        j += run;
      }
      const void* d = std::memchr(s + j, delimiter, len - j);
      j = d ? static_cast<size_t>(static_cast<const char*>(d) - s) : len;
      ok = typer.type(unquoted.data(), unquoted.size(), cell);
    } else {
      const void* d = std::memchr(s + i, delimiter, len - i);
      j = d ? static_cast<size_t>(static_cast<const char*>(d) - s) : len;
      ok = typer.type(s + i, j - i, cell);
    }
    if (!ok) return false;
    cells.push_back(cell);
    if (j >= len) break;
    if (j + 1 == len) {  // a delimiter ends the record: one more empty field
      cells.push_back(Cell{});
      break;
    }
    i = j + 1;
  }
  return true;
}

// Phase 1: counts the records that start in the span and notes where the
// last one ended. The last span runs to the end of the data.
void countSpan(ImportJob& job, Span& span, bool last) {
  CsvStream stream(job.path, 0, job.delimiter, '"', '\n', '\r', job.options.quoteDetect, job.blockBytes,
                   WORKER_LINE_UNITS);
  stream.seek(span.start);
  uint64_t count = 0;
  while (last || stream.offset() < span.limit) {
    stream.skipRecord();
    if (stream.lineLength() == 0 && stream.atEnd()) break;
    ++count;
  }
  span.count = count;
  span.end = stream.offset();
}

// Phase 2: types the span's records into their rows.
void fillSpan(ImportJob& job, Span& span, FieldTyper& typer) {
  CDataCore& sheet = job.sheet;
  CsvStream stream(job.path, 0, job.delimiter, '"', '\n', '\r', job.options.quoteDetect, job.blockBytes,
                   WORKER_LINE_UNITS);
  stream.seek(span.start);
  const bool quotes = job.options.quoteDetect;
  const uint64_t width = sheet.mColCount;
  std::string unquoted;
  std::vector<Cell> cells;
  uint64_t reported = 0;
  for (uint64_t k = 0; k < span.count; ++k) {
    stream.readRecord();
    if (!typeRecord(stream.line(), stream.lineLength(), job.delimiter, quotes, typer, unquoted, cells)) {
      job.failed = true;
      return;
    }
    const int64_t row = span.firstRow + static_cast<int64_t>(k);
    // Each worker makes its own rows: they come from its own malloc arena and
    // their pages are first touched here, on all threads at once.
    const uint64_t rowCells = std::max<uint64_t>(width, cells.size() + 1);
    Cell* cellsOfRow = newRow(rowCells);
    if (cellsOfRow == nullptr) {
      job.failed = true;
      return;
    }
    job.rows[row] = cellsOfRow;
    if (!cells.empty()) std::memcpy(cellsOfRow + 1, cells.data(), cells.size() * sizeof(Cell));
    if (rowCells > width) {
      span.widest = std::max(span.widest, rowCells);
      span.wide.push_back({row, rowCells});
    }
    if (k - reported >= 4096) {
      job.recordsDone += k - reported;
      reported = k;
      if (job.failed) return;
    }
  }
  job.recordsDone += span.count - reported;
}

// The offset just after the first LF at or after `from`; `size` when none.
uint64_t nextLineStart(int fd, uint64_t from, uint64_t size) {
  char buf[65536];
  while (from < size) {
    ssize_t got = ::pread(fd, buf, sizeof buf, static_cast<off_t>(from));
    if (got <= 0) return size;
    const void* lf = std::memchr(buf, '\n', static_cast<size_t>(got));
    if (lf) return from + static_cast<uint64_t>(static_cast<const char*>(lf) - buf) + 1;
    from += static_cast<uint64_t>(got);
  }
  return size;
}

// Runs f(i) for i in [0, n) on n threads while the calling thread reports
// progress from `done` (records typed so far) between `from` and `to`. A
// worker that throws (out of memory) fails the job; a thread that cannot be
// started fails it too, once the others have stopped.
template <class F>
void runWorkers(size_t n, F&& f, ImportJob& job, uint64_t total, RisingProgress& progress, int from,
                int to) {
  try {
    WorkerThreads workers(static_cast<unsigned>(n), [&](unsigned i) {
      try {
        f(i);
      } catch (...) {
        job.failed = true;
      }
    }, [&] { job.failed = true; });
    while (!workers.finished()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
      if (total > 0 && to > from) {
        progress(from + static_cast<int64_t>((to - from) * (job.recordsDone.load() * 1.0 / total)));
      }
    }
    workers.join();
  } catch (...) {
    job.failed = true;
  }
}

unsigned workerCount(const IoOptions& options) { return threadCount(SIZE_MAX, 1, options.threads); }

// Phase 1 for every span; false when a guessed start proved wrong.
bool findRecordStarts(ImportJob& job, std::vector<Span>& spans, int fd, uint64_t begin, uint64_t size,
                      RisingProgress& progress) {
  const size_t n = spans.size();
  for (size_t t = 0; t < n; ++t) {
    uint64_t nominal = begin + (size - begin) * t / n;
    spans[t].start = t == 0 ? begin : std::max(nextLineStart(fd, nominal, size), spans[t - 1].start);
  }
  for (size_t t = 0; t < n; ++t) spans[t].limit = t + 1 < n ? spans[t + 1].start : size;
  std::atomic<size_t> next{0};
  runWorkers(std::min<size_t>(workerCount(job.options), n), [&](size_t) {
    for (size_t t; (t = next++) < n;) countSpan(job, spans[t], t + 1 == n);
  }, job, 0, progress, 0, 0);
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
bool widenRows(ImportJob& job, std::vector<Span>& spans, uint64_t width, RisingProgress& progress) {
  uint64_t widest = 0;
  for (const Span& s : spans) widest = std::max(widest, s.widest);
  if (widest == 0) return true;
  Cell* row0 = rowalloc::reallocRow(job.rows[0], width, widest);
  if (row0 == nullptr) return false;
  job.rows[0] = row0;
  std::atomic<size_t> next{0};
  runWorkers(std::min<size_t>(workerCount(job.options), spans.size()), [&](size_t) {
    for (size_t t; (t = next++) < spans.size();) {
      if (!widenSpan(job.rows, spans[t], width, widest)) job.failed = true;
    }
  }, job, 0, progress, 0, 0);
  if (job.failed) return false;
  job.sheet.mColCount = widest;
  return true;
}

}  // namespace

ParallelResult readAllInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                 const IoOptions& options, RisingProgress& progress) {
  if (!options.parallel) return ParallelResult::NotTaken;
  if (reader.kind() != RowReader::KIND_UTF8 && reader.kind() != RowReader::KIND_ANSI) {
    return ParallelResult::NotTaken;
  }
  CsvStream* stream = reader.byteStream();
  const uint64_t size = stream->fileSize();
  const uint64_t begin = static_cast<uint64_t>(stream->startOffset());
  const unsigned threads = workerCount(options);
  if (threads < 2 || size <= begin || size - begin < options.minParallelBytes) return ParallelResult::NotTaken;

  // The first record's width, with the settled delimiter, sizes the sheet.
  reader.rewind();
  const size_t firstFields = reader.nextRow().size();
  reader.rewind();

  FILE* f = _wfopen(path.c_str(), u"rb");
  if (f == nullptr) return ParallelResult::NotTaken;
  ImportJob job{path, options, sheet, reader.kind(), reader.delimiter(),
                options.blockBytes ? options.blockBytes : WORKER_BLOCK_BYTES};
  // Several spans per worker, taken as workers come free: a worker that the
  // machine slows down holds up the end by one small span at most.
  std::vector<Span> spans(threads * SPANS_PER_WORKER);
  const bool found = findRecordStarts(job, spans, fileno(f), begin, size, progress);
  std::fclose(f);
  if (!found) {
    return ParallelResult::GaveWay;
  }

  uint64_t total = 0;
  for (size_t t = 0; t < spans.size(); ++t) {
    spans[t].firstRow = static_cast<int64_t>(total) + 1;
    total += spans[t].count;
  }
  if (total == 0 || static_cast<int64_t>(total) >= MAX_ROWS || firstFields + 1 >= MAX_ROWS) {
    return ParallelResult::NotTaken;
  }
  progress(10);
  sheet.clear();
  sheet.resize(1, static_cast<int32_t>(firstFields + 1));  // row 0, made by the sheet
  Cell** rows = rowalloc::reallocArray(sheet.mDatas, 1, total + 1);
  if (rows == nullptr) {
    sheet.clear();  // the sequential road meets the shortage and reports it
    return ParallelResult::NotTaken;
  }
  std::fill(rows + 1, rows + total + 1, nullptr);
  sheet.mDatas = job.rows = rows;
  // Room for one distinct text per record up front, so that the shards'
  // tables do not grow under their locks while the workers add. (A pool
  // that reaches that many texts has tables of this size anyway; pages of
  // them that no text reaches are never touched.)
  sheet.mPool.reserve(static_cast<size_t>(total));
  std::atomic<size_t> nextSpan{0};
  runWorkers(threads, [&](size_t w) {
    LocalTexts texts(sheet.mPool, job.kind, w * StringPool::SHARD_COUNT / threads);
    FieldTyper typer(job.kind, texts, options.keyOf);
    for (size_t t; !job.failed && (t = nextSpan++) < spans.size();) fillSpan(job, spans[t], typer);
    texts.flush(true);
    if (texts.collided()) job.failed = true;
  }, job, total, progress, 10, 95);
  if (!job.failed && !widenRows(job, spans, firstFields + 1, progress)) job.failed = true;
  if (job.failed) {
    for (uint64_t r = 1; r <= total; ++r) rowalloc::freeRow(rows[r]);
    sheet.mDatas = rowalloc::reallocArray(rows, total + 1, 1);  // shrinking: never fails
    sheet.clear();
    return ParallelResult::GaveWay;
  }
  sheet.mRowCount = total + 1;  // every row is made and as wide as the sheet: whole again
  return ParallelResult::Done;
}
