// The delimited-text writers of the sheet: the whole-sheet save, the page
// write-back into a huge file, the rows writer of a split, and the encoders
// of one cell, one character and one row.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/fileio.h"
#include "store/DataCore.h"
#include "store/RisingProgress.h"
#include "store/TextHelpers.h"
#include "store/TextImport.h"

namespace {

constexpr size_t COPY_CHUNK = 524288;
constexpr int64_t WRITE_BATCH_ROWS = 16384;

// The text in encoding `enc` (any value outside 1, 2, 3, 5 is ANSI), appended.
void appendEncoded(std::string& out, int32_t enc, const char16_t* s, size_t n) {
  const size_t at = out.size();
  switch (enc) {
    case ENC_UTF8:
    case ENC_UTF8_NOBOM:
      out.resize(at + 3 * n);
      out.resize(at + utf8Encode(s, n, out.data() + at));
      break;
    case ENC_UTF16LE:
      out.resize(at + 2 * n);
      std::memcpy(out.data() + at, s, 2 * n);
      break;
    case ENC_UTF16BE:
      out.resize(at + 2 * n);
      for (size_t i = 0; i < n; ++i) {
        out[at + 2 * i] = static_cast<char>(s[i] >> 8);
        out[at + 2 * i + 1] = static_cast<char>(s[i] & 0xFF);
      }
      break;
    default:
      out.resize(at + 2 * n);
      out.resize(at + ansiEncode(s, n, out.data() + at));
      break;
  }
}

std::string bomOf(int32_t enc) {
  switch (enc) {
    case ENC_UTF8: return "\xEF\xBB\xBF";
    case ENC_UTF16LE: return "\xFF\xFE";
    case ENC_UTF16BE: return "\xFE\xFF";
    default: return {};
  }
}

// One 8-bit character as one code unit (sign-extended) in `enc`; in ANSI and
// the values outside 1..5 the byte itself.
std::string charBytes(int32_t enc, char c) {
  if (enc != ENC_UTF8 && enc != ENC_UTF8_NOBOM && enc != ENC_UTF16LE && enc != ENC_UTF16BE) {
    return std::string(1, c);
  }
  const char16_t unit = static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(c)));
  std::string out;
  appendEncoded(out, enc, &unit, 1);
  return out;
}

// getText of the cell, appended: texts straight from the pool and numbers
// formatted in place; the other kinds through getText itself.
void appendCellText(const CDataCore& sheet, const Cell& cell, int32_t row, int32_t col,
                    std::u16string& out) {
  switch (cell.kind) {
    case CELL_TEXT: {
      StringPool::Entry e;
      if (cell.value == 0 || !sheet.mPool.lookup(cell.value, e)) return;
      const char16_t* t = reinterpret_cast<const char16_t*>(e.bytes);
      const size_t units = e.len / 2;
      size_t n = 0;
      while (n < units && t[n] != 0) ++n;
      out.append(t, n);
      return;
    }
    case CELL_INT64: {
      char buf[24];
      int64_t v = cell.asInt64();
      uint64_t u = v < 0 ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
      char* p = buf + sizeof buf;
      do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
      } while (u != 0);
      if (v < 0) *--p = '-';
      out.append(p, buf + sizeof buf);
      return;
    }
    case CELL_DOUBLE:
      appendDoubleText(out, cell.asDouble());
      return;
    default:
      out += sheet.getText(row, col);
      return;
  }
}

// How the rows of one write become lines.
struct LineFormat {
  int32_t encoding;
  char delimiter;            // also quoted for (csvQuote)
  std::string delimiterBytes;
  std::string lineEnd;
  std::vector<int32_t> cols;  // the columns written, in order
};

LineFormat makeFormat(const CDataCore& sheet, int32_t enc, char delimiter, bool crlf, bool visibleOnly) {
  LineFormat f{enc, delimiter, charBytes(enc, delimiter),
               crlf ? charBytes(enc, '\r') + charBytes(enc, '\n') : charBytes(enc, '\n'), {}};
  const int32_t cols = sheet.mRowCount == 0 ? 0 : static_cast<int32_t>(sheet.mColCount);
  for (int32_t c = 1; c < cols; ++c) {
    if (!visibleOnly || sheet.mDatas[0][c].flag == 0) f.cols.push_back(c);
  }
  return f;
}

// Turns cells into the bytes of their fields: getText, quoted for the
// delimiter (csvQuote), encoded. Texts met before come from a small cache of
// encoded fields (the pool does not change while a writer runs), numbers are
// formatted as ASCII and written without a detour through UTF-16 text.
class FieldEncoder {
 public:
  FieldEncoder(const CDataCore& sheet, const LineFormat& f)
      : mSheet(sheet), mFormat(f), mDelimiter(static_cast<char16_t>(static_cast<unsigned char>(f.delimiter))),
        mCache(CACHE_SLOTS), mFound(FOUND_SLOTS) {}

  // The lines of rows[from, to). The texts of a group of rows that the cache
  // lacks are looked up in the pool one after another first: independent
  // look-ups that the processor overlaps, where one at a time each waits
  // for its own cache misses.
  void appendLines(const std::vector<int32_t>& rows, size_t from, size_t to, std::string& out) {
    for (size_t group = from; group < to; group += GROUP_ROWS) {
      const size_t end = std::min(to, group + GROUP_ROWS);
      ++mGeneration;
      for (size_t i = group; i < end; ++i) {
        const Cell* cells = mSheet.mDatas[rows[i]];
        for (int32_t col : mFormat.cols) {
          const Cell& c = cells[col];
          if (c.kind == CELL_TEXT && c.value != 0 && cacheSlot(c.value).key != c.value) resolve(c.value);
        }
      }
      for (size_t i = group; i < end; ++i) appendLine(rows[i], out);
    }
  }

  void appendLine(int32_t row, std::string& out) {
    const Cell* cells = mSheet.mDatas[row];
    for (size_t i = 0; i < mFormat.cols.size(); ++i) {
      if (i != 0) out += mFormat.delimiterBytes;
      appendField(cells[mFormat.cols[i]], row, mFormat.cols[i], out);
    }
    out += mFormat.lineEnd;
  }

 private:
  static constexpr size_t CACHE_SLOTS = 16384;
  static constexpr size_t CACHE_BYTES = 4u << 20;
  struct Slot {
    uint64_t key = 0;  // 0: empty
    uint32_t offset = 0;
    uint32_t length = 0;
    bool used = false;  // hit since it came in: a text met once does not push it out
  };
  static constexpr size_t GROUP_ROWS = 16;
  static constexpr size_t FOUND_SLOTS = 1024;  // look-ups of one group, open addressing
  struct Found {
    uint64_t generation = 0;  // valid for the group of this generation only
    uint64_t key = 0;
    StringPool::Entry entry;
    bool present = false;
  };

  Slot& cacheSlot(uint64_t key) { return mCache[(key ^ (key >> 29)) & (CACHE_SLOTS - 1)]; }

  // The group's look-up of `key`, made now when it is not yet made.
  Found& resolve(uint64_t key) {
    size_t i = (key ^ (key >> 31)) & (FOUND_SLOTS - 1);
    for (size_t probes = 0; probes < FOUND_SLOTS; ++probes, i = (i + 1) & (FOUND_SLOTS - 1)) {
      Found& f = mFound[i];
      if (f.generation == mGeneration && f.key == key) return f;
      if (f.generation != mGeneration) {
        f.generation = mGeneration;
        f.key = key;
        f.present = mSheet.mPool.lookup(key, f.entry);
        return f;
      }
    }
    mSpare.key = key;
    mSpare.present = mSheet.mPool.lookup(key, mSpare.entry);
    return mSpare;
  }

  void appendField(const Cell& cell, int32_t row, int32_t col, std::string& out) {
    switch (cell.kind) {
      case CELL_TEXT:
        if (cell.value != 0) appendText(cell, row, col, out);
        return;
      case CELL_INT64: {
        char buf[24];
        const char* end = std::to_chars(buf, buf + sizeof buf, cell.asInt64()).ptr;
        appendAscii(buf, static_cast<size_t>(end - buf), out);
        return;
      }
      case CELL_DOUBLE: {
        mScratch.clear();
        appendDoubleText(mScratch, cell.asDouble());
        char buf[512];
        const size_t n = std::min(mScratch.size(), sizeof buf);
        for (size_t i = 0; i < n; ++i) buf[i] = static_cast<char>(mScratch[i]);
        appendAscii(buf, n, out);
        return;
      }
      default:
        appendGeneric(mSheet.getText(row, col), out);
        return;
    }
  }

  void appendText(const Cell& cell, int32_t, int32_t, std::string& out) {
    Slot& slot = cacheSlot(cell.value);
    if (slot.key == cell.value) {
      slot.used = true;
      out.append(mCacheBytes, slot.offset, slot.length);
      return;
    }
    const size_t at = out.size();
    mScratch.clear();
    const Found& f = resolve(cell.value);
    if (f.present) {  // poolText: the entry's units up to the first NUL
      const char16_t* t = reinterpret_cast<const char16_t*>(f.entry.bytes);
      const size_t units = f.entry.len / 2;
      size_t n = 0;
      while (n < units && t[n] != 0) ++n;
      mScratch.assign(t, n);
    }
    appendGeneric(mScratch, out);
    if (slot.used) {  // a text in use keeps its place once; the next miss takes it
      slot.used = false;
      return;
    }
    if (mCacheBytes.size() + (out.size() - at) > CACHE_BYTES) {
      mCacheBytes.clear();
      std::fill(mCache.begin(), mCache.end(), Slot{});
    }
    slot = Slot{cell.value, static_cast<uint32_t>(mCacheBytes.size()), static_cast<uint32_t>(out.size() - at)};
    mCacheBytes.append(out, at, out.size() - at);
  }

  // A number's ASCII text; quoted only when it holds the delimiter.
  void appendAscii(const char* p, size_t n, std::string& out) {
    if (std::memchr(p, mFormat.delimiter, n) != nullptr) {
      appendGeneric(std::u16string(p, p + n), out);
      return;
    }
    const size_t at = out.size();
    switch (mFormat.encoding) {
      case ENC_UTF16LE:
      case ENC_UTF16BE: {
        out.resize(at + 2 * n);
        const bool big = mFormat.encoding == ENC_UTF16BE;
        for (size_t i = 0; i < n; ++i) {
          out[at + 2 * i + (big ? 1 : 0)] = p[i];
          out[at + 2 * i + (big ? 0 : 1)] = 0;
        }
        return;
      }
      default:  // ASCII is the same in UTF-8 and in the ANSI code page
        out.append(p, n);
        return;
    }
  }

  void appendGeneric(std::u16string_view text, std::string& out) {
    if (csvNeedsQuote(text, mDelimiter)) {
      const std::u16string quoted = csvQuote(text, mDelimiter);
      appendEncoded(out, mFormat.encoding, quoted.data(), quoted.size());
    } else {
      appendEncoded(out, mFormat.encoding, text.data(), text.size());
    }
  }

  const CDataCore& mSheet;
  const LineFormat& mFormat;
  char16_t mDelimiter;
  std::vector<Slot> mCache;
  std::string mCacheBytes;
  std::vector<Found> mFound;
  Found mSpare;
  uint64_t mGeneration = 0;
  std::u16string mScratch;
};

void appendLine(const CDataCore& sheet, int32_t row, const LineFormat& f, std::u16string&,
                std::string& out) {
  FieldEncoder(sheet, f).appendLine(row, out);
}

bool writeAll(FILE* f, const std::string& bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

unsigned writerThreads() {
  unsigned n = gTextIo.threads ? gTextIo.threads : std::thread::hardware_concurrency();
  if (!gTextIo.parallel) n = 1;
  return std::max(1u, std::min(n, 64u));
}

// Lines of the given rows, built in batches on several threads and written
// in order, so the bytes are those of a row-by-row write. `afterBatch(row)`
// is called on this thread with the last row of each batch written. False
// on a short write, which stops the writing.
template <class AfterBatch>
bool writeLines(const CDataCore& sheet, FILE* out, const std::vector<int32_t>& rows, const LineFormat& fmt,
                AfterBatch&& afterBatch) {
  const size_t threads = writerThreads();
  const size_t batches = (rows.size() + WRITE_BATCH_ROWS - 1) / WRITE_BATCH_ROWS;
  std::vector<FieldEncoder> encoders(threads, FieldEncoder(sheet, fmt));  // one per batch of a round
  auto encodeBatch = [&](size_t b, std::string& buf) {
    FieldEncoder& encoder = encoders[b % threads];
    buf.clear();
    const size_t end = std::min(rows.size(), (b + 1) * WRITE_BATCH_ROWS);
    encoder.appendLines(rows, b * WRITE_BATCH_ROWS, end, buf);
  };
  auto encodeRound = [&](size_t first, std::vector<std::string>& bufs) {
    std::vector<std::thread> pool;
    for (size_t i = 1; i < threads && first + i < batches; ++i) {
      pool.emplace_back([&, i] { encodeBatch(first + i, bufs[i]); });
    }
    if (first < batches) encodeBatch(first, bufs[0]);
    for (std::thread& t : pool) t.join();
  };
  std::vector<std::string> current(threads), next(threads);
  encodeRound(0, current);
  for (size_t first = 0; first < batches; first += threads) {
    std::thread ahead([&] { encodeRound(first + threads, next); });
    bool ok = true;
    for (size_t i = 0; ok && i < threads && first + i < batches; ++i) {
      ok = writeAll(out, current[i]);
      if (ok) afterBatch(rows[std::min(rows.size(), (first + i + 1) * WRITE_BATCH_ROWS) - 1]);
    }
    ahead.join();
    if (!ok) return false;
    std::swap(current, next);
  }
  return true;
}

// Copies bytes [from, from + n) of `in` to `out` in 512 KB chunks, calling
// report(copied) after each chunk. False on a short read or write.
template <class Report>
bool copyRange(FILE* in, FILE* out, uint64_t from, uint64_t n, Report&& report) {
  if (n == 0) return true;
  if (_fseeki64(in, static_cast<int64_t>(from), SEEK_SET) != 0) return false;
  std::vector<char> buf(COPY_CHUNK);
  uint64_t copied = 0;
  while (copied < n) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(COPY_CHUNK, n - copied));
    if (std::fread(buf.data(), 1, want, in) != want) return false;
    if (std::fwrite(buf.data(), 1, want, out) != want) return false;
    copied += want;
    report(copied);
  }
  return true;
}

// Flushes the file to disk and closes it; false when any step fails.
bool flushAndClose(FILE* f) {
  bool ok = std::fflush(f) == 0;
  ok = ::fsync(fileno(f)) == 0 && ok;
  return std::fclose(f) == 0 && ok;
}

// The file's own byte order mark when it starts with the mark of `enc`.
std::string ownMark(FILE* in, int32_t enc) {
  const std::string mark = bomOf(enc == ENC_UTF8_NOBOM ? ENC_UTF8 : enc);
  if (mark.empty() || _fseeki64(in, 0, SEEK_SET) != 0) return {};
  char head[3] = {0, 0, 0};
  size_t got = std::fread(head, 1, mark.size(), in);
  return got == mark.size() && std::memcmp(head, mark.data(), got) == 0 ? mark : std::string();
}

// The head of a write-back: the file's own mark for the first page, else the
// bytes before the page (progress rising towards 20). Adds what it wrote to `written`.
bool writePageHead(RisingProgress& progress, FILE* in, FILE* out, const TextPage& page, uint64_t& written) {
  if (page.start == 0) {
    std::string mark = ownMark(in, page.encoding);
    written = mark.size();
    return writeAll(out, mark);
  }
  const uint64_t step = page.start / 20;
  uint64_t lastReport = 0;
  written = page.start;
  return copyRange(in, out, 0, page.start, [&](uint64_t copied) {
    if (step != 0 && copied - lastReport >= step) {
      lastReport = copied;
      progress(static_cast<int64_t>(copied / step));
    }
  });
}

bool writePageTail(RisingProgress& progress, FILE* in, FILE* out, uint64_t from, uint64_t length) {
  const uint64_t step = (length - from) / 20;
  uint64_t lastReport = 0;
  return copyRange(in, out, from, length - from, [&](uint64_t copied) {
    if (step != 0 && copied - lastReport >= step) {
      lastReport = copied;
      progress(static_cast<int64_t>(copied / step) + 80);
    }
  });
}

uint64_t fileLength(FILE* f) {
  struct stat st;
  return ::fstat(fileno(f), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

}  // namespace

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
// holding the delimiter are quoted too, so the file reads back as it was.
bool CDataCore::writeDelimited(const std::u16string& path, char delimiter, bool all) {
  FILE* out = _wfopen(path.c_str(), u"wb");
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
    ok = writeLines(*this, out, rows, fmt, [&](int32_t lastRow) {
      if (step != 0 && lastRow / step > reported) {
        reported = lastRow / step;
        progress(reported);
      }
    });
  }
  ok = std::fclose(out) == 0 && ok;
  progress.finish();
  return ok;
}

bool writeTextPage(CDataCore& sheet, const std::u16string& path, bool fromRow1, TextPage& page) {
  const std::u16string temp = path + u".temp__";
  FILE* in = _wfopen(path.c_str(), u"rb");
  if (in == nullptr) return false;
  const uint64_t length = fileLength(in);
  if (page.start > page.end || page.end > length) {  // offsets that do not describe this file
    std::fclose(in);
    return false;
  }
  FILE* out = _wfopen(temp.c_str(), u"wb");
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
  struct stat st;
  if (::fstat(fileno(in), &st) == 0) ::fchmod(fileno(out), st.st_mode & 07777);
  const int32_t enc = page.encoding != 0 ? page.encoding : sheet.mOpenEncoding;
  RisingProgress progress(sheet);
  progress(0);
  uint64_t headBytes = 0;
  bool ok = writePageHead(progress, in, out, page, headBytes);
  progress(20);
  uint64_t rowBytes = 0;
  if (ok) {
    const LineFormat fmt = makeFormat(sheet, enc, page.delimiter, false, false);
    const int64_t step = static_cast<int64_t>(sheet.mRowCount / 60);
    int64_t counter = 21;
    std::u16string scratch;
    std::string line;
    for (int32_t r = fromRow1 ? 1 : 2; ok && r < static_cast<int32_t>(sheet.mRowCount); ++r) {
      line.clear();
      appendLine(sheet, r, fmt, scratch, line);
      ok = writeAll(out, line);
      rowBytes += line.size();
      if (step != 0 && r % step == 0) progress(counter++);
    }
  }
  ok = ok && writePageTail(progress, in, out, page.end, length);
  std::fclose(in);
  ok = flushAndClose(out) && ok;
  if (ok) ok = std::rename(nativePath(temp).c_str(), nativePath(path).c_str()) == 0;
  if (!ok) {
    std::remove(nativePath(temp).c_str());
  } else {
    page.end = headBytes + rowBytes;
  }
  progress.finish();
  return ok;
}

// The page write-back with the caller's delimiter, in the encoding the file
// was read in (mOpenEncoding). The new end of the page is not handed back:
// callers that write the same page again use writeTextPage.
bool CDataCore::writePage(const std::u16string& path, char delimiter, bool fromRow1, uint64_t pageStart,
                          uint64_t pageEnd) {
  TextPage page{pageStart, pageEnd, delimiter, mOpenEncoding};
  return writeTextPage(*this, path, fromRow1, page);
}

// One part of a split: rows firstRow .. endRow - 1 (after row 1 when
// withHeader), LF line ends, in the save encoding after its byte order mark.
bool CDataCore::writeRows(const std::u16string& path, int32_t firstRow, int32_t endRow, int32_t progressFrom,
                          int32_t progressTo, char delimiter, bool withHeader) {
  FILE* out = _wfopen(path.c_str(), u"wb");
  if (out == nullptr) return false;
  bool ok = writeBom(out) == bomOf(mSaveEncoding).size();
  reportProgress(progressFrom);  // the split's schedule: the same value may repeat
  const LineFormat fmt = makeFormat(*this, mSaveEncoding, delimiter, false, false);
  std::u16string scratch;
  std::string line;
  if (ok && withHeader && mRowCount >= 2) {
    appendLine(*this, 1, fmt, scratch, line);
    ok = writeAll(out, line);
  }
  const int64_t valueStep = (int64_t{progressTo} - progressFrom) / 100;
  const int64_t rowStep = (int64_t{endRow} - firstRow) / 100;
  int64_t value = progressFrom;
  const int32_t first = std::max(firstRow, 1);
  const int32_t end = static_cast<int32_t>(std::min<int64_t>(endRow, static_cast<int64_t>(mRowCount)));
  for (int32_t r = first; ok && r < end; ++r) {
    line.clear();
    appendLine(*this, r, fmt, scratch, line);
    ok = writeAll(out, line);
    if (rowStep != 0 && r % rowStep == 0) {
      // Never to progressTo before the end (100 would close the display).
      reportProgress(std::min<int64_t>(value, std::max<int64_t>(progressFrom, int64_t{progressTo} - 1)));
      value += valueStep;
    }
  }
  ok = std::fclose(out) == 0 && ok;
  reportProgress(progressTo);
  return ok;
}
