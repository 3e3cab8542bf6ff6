#include "store/RowReader.h"

#include <cstdio>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/xl/xl.h"
#include "store/Encoding.h"
#include "store/RecordIndex.h"

namespace {

constexpr char DELIMITER_CANDIDATES[] = {',', '\t', '|', ';', ':', ' '};

char16_t swapUnit(char16_t u) { return static_cast<char16_t>((u >> 8) | (u << 8)); }

// The delimiter as a code unit: the 8-bit character sign-extended.
char16_t unitOf(char c) { return static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(c))); }

bool startsWithLeMark(const std::u16string& path) {
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (f == nullptr) return false;
  unsigned char b[2] = {0, 0};
  size_t n = std::fread(b, 1, 2, f);
  std::fclose(f);
  return n == 2 && b[0] == 0xFF && b[1] == 0xFE;
}

}  // namespace

void RowReader::open(const std::u16string& path, char delimiter, const IoOptions& options) {
  close();
  mPath = path;
  mDelimiter = delimiter;
  mQuoteDetect = options.quoteDetect;
  if (delimiter == 0) {
    openWorksheet(path);
    return;
  }
  TextEncoding enc = detectEncoding(path);
  const size_t bytes = options.blockBytes;
  const bool quotes = options.quoteDetect;
  switch (enc) {
    case ENC_UTF8:
    case ENC_UTF8_NOBOM:
    case ENC_ANSI:
      mKind = enc == ENC_ANSI ? KIND_ANSI : KIND_UTF8;
      mStream = std::make_unique<CsvStream>(path, enc == ENC_UTF8 ? 3 : 0, delimiter, '"', '\n', '\r', quotes,
                                            bytes ? bytes : CsvStream::DEFAULT_BLOCK_BYTES);
      mStream->setDoubleByte(mKind == KIND_ANSI && CsvStream::delimiterMayBeTrail(delimiter));
      break;
    case ENC_UTF16LE:
      mKind = KIND_UTF16LE;
      mStreamW = std::make_unique<CsvStreamW>(path, startsWithLeMark(path) ? 2 : 0, unitOf(delimiter), u'"', u'\n',
                                              u'\r', quotes, bytes ? bytes : CsvStreamW::DEFAULT_BLOCK_BYTES);
      break;
    case ENC_UTF16BE:
      mKind = KIND_UTF16BE;
      mStreamW = std::make_unique<CsvStreamW>(path, 2, swapUnit(unitOf(delimiter)), swapUnit(u'"'), swapUnit(u'\n'),
                                              swapUnit(u'\r'), quotes,
                                              bytes ? bytes : CsvStreamW::DEFAULT_BLOCK_BYTES);
      break;
    default: break;
  }
}

void RowReader::close() {
  mStream.reset();
  mStreamW.reset();
  if (mBook) mBook->release();
  mBook = nullptr;
  mSheetRow = 0;
  mKind = KIND_NONE;
}

std::vector<std::u16string> RowReader::nextRow() {
  std::vector<std::u16string> row;
  if (mKind == KIND_WORKSHEET) {
    excelRow(mSheetRow, row);
    if (mSheetRow < worksheetRows()) ++mSheetRow;
    return row;
  }
  FieldBuffer fields;
  nextRecord(fields);
  row.reserve(fields.size());
  for (size_t j = 0; j < fields.size(); ++j) row.emplace_back(fields.field(j));
  return row;
}

namespace {

// Appends the fields of the record in `stream`'s line to `out`, each decoded
// by decode(units, n, to), which writes at most n units and returns how many.
// A quoted field is undoubled into `scratch` first; an empty one ("") is
// decoded from the line, as `scratch` may not have been allocated yet.
template <class Unit, class Decode>
void decodeFields(const BasicCsvStream<Unit>& stream, std::vector<CsvFieldSpan>& spans, std::vector<Unit>& scratch,
                  FieldBuffer& out, Decode&& decode) {
  const size_t fields = stream.fieldSpans(spans);
  if (out.units.size() < stream.lineLength() + 1) out.units.resize(stream.lineLength() + 1);
  size_t at = 0;
  for (size_t k = 0; k < fields; ++k) {
    const CsvFieldSpan& span = spans[k];
    const Unit* units = stream.line() + span.begin;
    size_t n = span.end - span.begin;
    if (span.quoted && n != 0) {
      if (scratch.size() < n) scratch.resize(n);
      n = stream.copyField(span, scratch.data());
      units = scratch.data();
    }
    at += decode(units, n, out.units.data() + at);
    out.add(at);
  }
}

}  // namespace

void RowReader::nextRecord(FieldBuffer& out) {
  out.clear();
  switch (mKind) {
    case KIND_UTF8:
    case KIND_ANSI: {
      mStream->readRecord();
      const bool utf8 = mKind == KIND_UTF8;
      decodeFields(*mStream, mSpans, mQuoted, out, [utf8](const char* p, size_t n, char16_t* to) {
        return utf8 ? utf8Decode(p, n, to) : ansiDecode(p, n, to);
      });
      break;
    }
    case KIND_UTF16LE:
    case KIND_UTF16BE: {
      mStreamW->readRecord();
      const bool big = mKind == KIND_UTF16BE;
      decodeFields(*mStreamW, mSpans, mQuotedW, out, [big](const char16_t* p, size_t n, char16_t* to) {
        if (big) {
          for (size_t i = 0; i < n; ++i) to[i] = swapUnit(p[i]);
        } else {
          std::memcpy(to, p, n * sizeof(char16_t));
        }
        return n;
      });
      break;
    }
    case KIND_WORKSHEET: {
      std::vector<std::u16string> row;
      excelRow(mSheetRow, row);
      if (mSheetRow < worksheetRows()) ++mSheetRow;
      size_t total = 0;
      for (const std::u16string& f : row) total += f.size();
      if (out.units.size() < total + 1) out.units.resize(total + 1);
      size_t at = 0;
      for (const std::u16string& f : row) {
        std::memcpy(out.units.data() + at, f.data(), f.size() * sizeof(char16_t));
        at += f.size();
        out.add(at);
      }
      break;
    }
    default: break;
  }
}

bool RowReader::atEnd() const {
  if (mKind == KIND_WORKSHEET) return mSheetRow >= worksheetRows();
  if (mStream) return mStream->atEnd();
  if (mStreamW) return mStreamW->atEnd();
  return true;
}

void RowReader::setStreamDelimiter(char delimiter) {
  mDelimiter = delimiter;
  if (mStream) {
    mStream->setDelimiter(delimiter);
    // GBK pairs hold together whenever the new delimiter may be a trail byte.
    mStream->setDoubleByte(mKind == KIND_ANSI && CsvStream::delimiterMayBeTrail(delimiter));
  }
  if (mStreamW) {
    char16_t u = unitOf(delimiter);
    mStreamW->setDelimiter(mKind == KIND_UTF16BE ? swapUnit(u) : u);
  }
}

void RowReader::detectDelimiter(std::vector<std::u16string>& record) {
  if (record.size() != 1 || (!mStream && !mStreamW)) return;
  for (char candidate : DELIMITER_CANDIDATES) {
    if (record[0].find(static_cast<char16_t>(candidate)) == std::u16string::npos) continue;
    rewind();
    setStreamDelimiter(candidate);
    record = nextRow();
    return;
  }
}

void RowReader::rewind() {
  if (mStream) mStream->rewind();
  if (mStreamW) mStreamW->rewind();
}

void RowReader::seek(uint64_t offset) {
  if (mStream) mStream->seek(offset);
  if (mStreamW) mStreamW->seek(offset);
}

void RowReader::skipRecord() {
  if (mStream) mStream->skipRecord();
  if (mStreamW) mStreamW->skipRecord();
}

uint64_t RowReader::offset() const {
  if (mStream) return mStream->offset();
  if (mStreamW) return mStreamW->offset();
  return 0;
}

int32_t RowReader::startOffset() const {
  if (mStream) return mStream->startOffset();
  if (mStreamW) return mStreamW->startOffset();
  return 0;
}

// Counts records from the start; afterRecord(count) returns false to stop.
template <class F>
uint64_t RowReader::countWith(F&& afterRecord) {
  if (mKind == KIND_WORKSHEET) return uint64_t(worksheetRows());
  if (!mStream && !mStreamW) return 0;
  rewind();
  uint64_t count = 0;
  for (;;) {
    skipRecord();
    size_t length = mStream ? mStream->lineLength() : mStreamW->lineLength();
    if (length == 0 && atEnd()) break;
    ++count;
    if (!afterRecord(count)) break;
  }
  rewind();
  return count;
}

uint64_t RowReader::countRows() {
  return countWith([](uint64_t) { return true; });
}

// Settles the delimiter as readTextPage does (a first record of one field is
// detected on) and stamps the index with the file and the reading.
void RowReader::beginIndex(RecordIndex& index) {
  index.clear();
  if (!mStream && !mStreamW) return;
  rewind();
  std::vector<std::u16string> first = nextRow();
  if (first.size() == 1) detectDelimiter(first);
  index.path = mPath;
  index.delimiter = mDelimiter;
  index.quoteDetect = mQuoteDetect;
  index.encoding = mKind;
  index.stamp();
}

uint64_t RowReader::countRowsCancellable(const std::function<void(uint64_t)>& progress,
                                         const std::atomic<uint8_t>* cancel, RecordIndex* index) {
  if (index != nullptr) beginIndex(*index);
  const bool marking = index != nullptr && !index->path.empty() && index->stride != 0;
  uint64_t count = countWith([&](uint64_t n) {
    if (marking && n % index->stride == 0) index->marks.push_back(RecordIndex::Mark{n + 1, offset()});
    if (n % 10153 == 0 && progress) progress(n);
    return cancel == nullptr || cancel->load(std::memory_order_relaxed) == 0;
  });
  if (marking) {
    uint64_t size = 0, writeTime = 0;
    if (!fileStamp(mPath, size, writeTime) || size != index->size || writeTime != index->writeTime) index->clear();
  }
  if (progress) progress(count);
  return count;
}
