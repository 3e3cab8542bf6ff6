// The write-back of one page of a huge text file: the bytes before and after
// the page are copied unchanged into a temporary copy in the same folder,
// the sheet's rows take the page's place, and the copy replaces the file only
// when every step succeeded.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/FileIo.h"
#include "store/BlockIo.h"
#include "store/DataCore.h"
#include "store/DelimitedWriter.h"
#include "store/FieldEncoder.h"
#include "store/PageWriteBack.h"
#include "store/RecordIndex.h"
#include "store/RisingProgress.h"
#include "store/RowReader.h"
#include "store/SafeSave.h"

using namespace textout;

namespace {

constexpr size_t COPY_CHUNK = 524288;

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
    return writeAllBytes(out, mark);
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

// True when the unit just before byte `at` of `path` is LF or CR, so that a
// record starts at `at` (a page written after an unended last line joins it).
bool recordEndsBefore(const std::u16string& path, uint64_t at, int32_t kind) {
  const size_t unit = kind == 2 || kind == 3 ? 2 : 1;
  if (at < unit) return false;
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (f == nullptr) return false;
  unsigned char b[2] = {0, 0};
  const bool read = _fseeki64(f, static_cast<int64_t>(at - unit), SEEK_SET) == 0 &&
                    std::fread(b, 1, unit, f) == unit;
  std::fclose(f);
  if (!read) return false;
  const unsigned c = unit == 1 ? b[0] : kind == 2 ? b[0] | (b[1] << 8) : (b[0] << 8) | b[1];
  return c == '\n' || c == '\r';
}

// The records of the rewritten page [from, to) of `path`, cut as the index's
// reading cuts them; false when they do not end exactly at `to`.
bool countPageRecords(const std::u16string& path, const RecordIndex& index, uint64_t from, uint64_t to,
                      uint64_t& records) {
  IoOptions options = IoOptions::current();
  options.quoteDetect = index.quoteDetect;
  RowReader reader;
  reader.open(path, index.delimiter, options);
  if (reader.kind() != index.encoding) return false;
  if (from > static_cast<uint64_t>(reader.startOffset())) {
    if (!recordEndsBefore(path, from, index.encoding)) return false;
    reader.seek(from);
  }
  records = 0;
  while (reader.offset() < to) {
    reader.skipRecord();
    ++records;
    if (reader.atEnd() && reader.offset() < to) return false;  // the data ended inside the page
  }
  return reader.offset() == to;
}

uint64_t fileLength(FILE* f) {
  uint64_t size = 0;
  return fileSizeOf(f, size) ? size : 0;
}

}  // namespace

bool writeTextPage(CDataCore& sheet, const std::u16string& path, bool fromRow1, TextPage& page,
                   RecordIndex* index) {
  // An index that no longer fits the file would take the new file's stamp with marks of another file.
  if (index != nullptr && !index->fits(path, page.delimiter, index->quoteDetect, page.encoding)) index->clear();
  FILE* in = _wfopen(path.c_str(), u"rb");
  if (in == nullptr) return false;
  const uint64_t length = fileLength(in);
  if (page.start > page.end || page.end > length) {  // offsets that do not describe this file
    std::fclose(in);
    return false;
  }
  SafeSave save(path);
  FILE* out = save.file();
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
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
    FieldEncoder encoder(sheet, fmt, sheet.ioOptions().writeKeptBytes);
    std::string line;
    for (int32_t r = fromRow1 ? 1 : 2; ok && r < static_cast<int32_t>(sheet.mRowCount); ++r) {
      line.clear();
      encoder.appendLine(r, line);
      ok = writeAllBytes(out, line);
      rowBytes += line.size();
      if (step != 0 && r % step == 0) progress(counter++);
    }
  }
  ok = ok && writePageTail(progress, in, out, page.end, length);
  std::fclose(in);
  // The new file takes the old one's place and permissions.
  ok = ok && save.commit();
  if (ok) {
    const uint64_t oldEnd = page.end, oldRecords = page.records;
    page.end = headBytes + rowBytes;
    page.records = sheet.mRowCount > (fromRow1 ? 1u : 2u) ? sheet.mRowCount - (fromRow1 ? 1 : 2) : 0;
    if (index != nullptr && !index->empty()) {
      uint64_t records = 0;
      if (countPageRecords(path, *index, page.start, page.end, records) && index->stamp()) {
        index->replaceRange(page.start, oldEnd, page.end, oldRecords, records);
        page.records = records;
      } else {
        index->clear();
      }
    }
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
