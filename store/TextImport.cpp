// The text importers: readDelimited (a whole file), readPage (one page of a
// huge file, with its byte offsets) and appendFile (rows below the sheet's).
#include "store/TextImport.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <vector>

#include "store/CellTyping.h"
#include "store/DataCore.h"
#include "store/FastImport.h"
#include "store/FilePath.h"
#include "store/RecentTexts.h"
#include "store/RecordIndex.h"
#include "store/RisingProgress.h"
#include "store/RowReader.h"

namespace {

constexpr int64_t MAX_ROWS = INT32_MAX;  // rows and columns are signed 32-bit, row 0 included

using Record = std::vector<std::u16string>;

// Field j of the record goes to (row, j + 1), typed by its text as
// setTextTyped types a C string (up to its first NUL). The row's cells hold
// nothing yet, and the sheet is as wide as the record (growColumns). As with
// setTextTyped, a row beyond the sheet's is ignored: a file that grew after
// it was counted has more records than the sheet has rows.
void putRecord(CDataCore& sheet, int32_t row, const FieldBuffer& record, RecentTexts& texts) {
  if (row < 0 || static_cast<uint64_t>(row) >= sheet.mRowCount) return;
  assert(record.size() < sheet.mColCount);
  Cell* cells = sheet.mDatas[row];
  const auto intern = [&texts](std::u16string_view text) { return texts.intern(text); };
  for (size_t j = 0; j < record.size(); ++j) {
    std::u16string_view text = record.field(j);
    const char16_t* nul = std::char_traits<char16_t>::find(text.data(), text.size(), u'\0');
    if (nul != nullptr) text = text.substr(0, static_cast<size_t>(nul - text.data()));
    Cell& cell = cells[j + 1];
    assert(cell.isZero());
    const Cell typed = typedCellOf(text, intern);
    cell.kind = typed.kind;
    cell.value = typed.value;
  }
}

// The same for a record read as separate texts.
void putRecord(CDataCore& sheet, int32_t row, const Record& record, RecentTexts& texts) {
  FieldBuffer fields;
  for (const std::u16string& f : record) {
    fields.units.insert(fields.units.end(), f.begin(), f.end());
    fields.add(fields.units.size());
  }
  putRecord(sheet, row, fields, texts);
}

// Widens the sheet when the record has as many fields as the sheet has
// columns or more (earlier rows keep empty cells in the new columns). False
// when the record is too wide for a sheet.
bool growColumns(CDataCore& sheet, size_t fields) {
  if (fields < sheet.mColCount) return true;
  if (static_cast<int64_t>(fields) >= MAX_ROWS) return false;
  sheet.resize(static_cast<int32_t>(sheet.mRowCount), static_cast<int32_t>(fields + 1));
  return true;
}

// Opens the reader and records its encoding on the sheet: both encodings 4
// first, then the reader's kind. False when nothing could be opened.
bool openForImport(CDataCore& sheet, RowReader& reader, const std::u16string& path, char delimiter,
                   const IoOptions& options) {
  sheet.mOpenEncoding = ENC_ANSI;
  sheet.mSaveEncoding = ENC_ANSI;
  reader.open(path, delimiter, options);
  if (reader.kind() == RowReader::KIND_NONE) return false;
  sheet.mOpenEncoding = reader.kind();
  sheet.mSaveEncoding = reader.kind();
  return true;
}

// The first record, with the delimiter detected when it has a single field.
Record firstRecord(RowReader& reader) {
  Record first = reader.nextRow();
  if (first.size() == 1) reader.detectDelimiter(first);
  return first;
}

ReadRoad roadOf(ParallelResult result) {
  switch (result) {
    case ParallelResult::Done: return ReadRoad::Parallel;
    case ParallelResult::GaveWay: return ReadRoad::GaveWay;
    default: return ReadRoad::Sequential;
  }
}

// The sequential whole-file import, from the reader's start: count, size the
// sheet and its pool once, fill it record by record. The fill stops at the
// counted records: what the file gained since the count is not read.
bool readAllRecords(CDataCore& sheet, RowReader& reader, RisingProgress& progress) {
  uint64_t count = reader.countRows();
  if (static_cast<int64_t>(count) >= MAX_ROWS) return false;
  progress(10);
  sheet.clear();
  FieldBuffer record;
  reader.nextRecord(record);  // counting rewound the stream
  if (record.size() == 0 && reader.atEnd()) return true;
  if (static_cast<int64_t>(record.size()) >= MAX_ROWS) return false;
  sheet.resize(static_cast<int32_t>(count + 1), static_cast<int32_t>(record.size() + 1));
  sheet.mPool.reserve(static_cast<size_t>(count));
  RecentTexts texts(sheet.mPool, count * record.size());
  putRecord(sheet, 1, record, texts);
  const uint64_t divisor = count / 90;
  int64_t counter = 10;
  for (int64_t next = 2; next <= static_cast<int64_t>(count); ++next) {
    reader.nextRecord(record);
    if (record.size() == 0 && reader.atEnd()) break;
    if (!growColumns(sheet, record.size())) return false;
    putRecord(sheet, static_cast<int32_t>(next), record, texts);
    if (divisor >= 1 && static_cast<uint64_t>(next + 1) % divisor == 0) progress(counter++);
  }
  texts.flush();
  return true;
}

}  // namespace

// The whole file replaces the sheet. The delimiter is settled (detected from a
// first line of one field) before the records are counted, so the count and
// the fill see the same records even when the new delimiter moves the starts
// of quoted sections. Large UTF-8 and ANSI files take the parallel road, whose
// result is that of this sequential one.
bool CDataCore::readDelimited(const std::u16string& path, char delimiter) {
  beforeChange();
  const CheckOnExit check{*this, "a read of delimited text"};
  const IoOptions options = ioOptions();
  mLastIo = IoResult{};
  RowReader reader;
  if (!openForImport(*this, reader, path, delimiter, options)) return false;
  RisingProgress progress(*this);
  progress(0);
  Record first = firstRecord(reader);
  bool ok;
  if (first.empty() && reader.atEnd()) {
    clear();
    ok = true;
  } else {
    const ParallelResult parallel = readAllInParallel(*this, reader, path, options, progress);
    mLastIo.road = roadOf(parallel);
    ok = parallel == ParallelResult::Done || readAllRecords(*this, reader, progress);
  }
  progress.finish();
  reader.close();
  return ok;
}

bool readTextPage(CDataCore& sheet, const std::u16string& path, char delimiter, bool keepHeader, int32_t firstRow,
                  int32_t rowCount, TextPage& page, const RecordIndex* index) {
  sheet.beforeChange();
  const IoOptions options = sheet.ioOptions();
  RowReader reader;
  if (!openForImport(sheet, reader, path, delimiter, options)) return false;
  RisingProgress progress(sheet);
  progress(0);
  progress(10);
  sheet.clear();
  firstRow = std::max(firstRow, 1);
  rowCount = std::max(rowCount, 0);
  Record first = firstRecord(reader);
  if (first.empty() && reader.atEnd()) {
    progress.finish();
    return true;
  }
  if (static_cast<int64_t>(first.size()) >= MAX_ROWS) return false;
  // The page's sheet rows; the sheet grows as records come (a page larger
  // than the rest of the file allocates no rows for records it never reads).
  const int64_t pageRows =
      std::min<int64_t>(int64_t{rowCount} + (keepHeader && firstRow != 1 ? 1 : 0), MAX_ROWS - 1);
  // The nearest known record start at or before the page, when the index
  // belongs to the file as it is and to this reading.
  const RecordIndex::Mark* mark = index != nullptr &&
                                          index->fits(path, reader.delimiter(), options.quoteDetect, reader.kind())
                                      ? index->nearest(static_cast<uint64_t>(firstRow))
                                      : nullptr;
  if (mark != nullptr && mark->record < 2) mark = nullptr;
  const ParallelResult parallel = readPageInParallel(sheet, reader, path, options, first.size(), keepHeader,
                                                     firstRow, pageRows, page, progress, mark ? mark->record : 1,
                                                     mark ? mark->offset : 0);
  sheet.mLastIo.road = roadOf(parallel);
  if (parallel == ParallelResult::Done) {
    page.delimiter = reader.delimiter();
    page.encoding = reader.kind();
    progress.finish();
    reader.close();
    return true;
  }
  // Otherwise the sheet is empty and the reader still just after the first record.
  const int32_t cols = static_cast<int32_t>(first.size() + 1);
  sheet.resize(static_cast<int32_t>(std::min<int64_t>(pageRows, 65536) + 1), cols);
  sheet.mPool.reserve(static_cast<size_t>(std::min<int64_t>(pageRows, 65536)));
  RecentTexts texts(sheet.mPool, static_cast<uint64_t>(std::min<int64_t>(pageRows, 65536)) * first.size());
  int64_t next = 1;
  // A page of 0 rows from record 1 holds nothing, not even that record.
  if ((keepHeader || firstRow == 1) && next <= pageRows)
    putRecord(sheet, static_cast<int32_t>(next++), first, texts);
  int64_t from = 2;  // the record the reader is at
  if (mark != nullptr && firstRow > 2) {
    reader.seek(mark->offset);
    from = static_cast<int64_t>(mark->record);
  }
  for (int64_t r = from; r < firstRow; ++r) {
    reader.skipRecord();
    const size_t length = reader.byteStream() ? reader.byteStream()->lineLength()
                                              : reader.unitStream()->lineLength();
    if (length == 0 && reader.atEnd()) break;
  }
  page.start = firstRow == 1 ? 0 : reader.offset();
  const int64_t divisor = pageRows / 90;
  int64_t counter = 10;
  FieldBuffer record;
  while (next <= pageRows) {
    reader.nextRecord(record);
    if (record.size() == 0 && reader.atEnd()) break;
    if (next >= static_cast<int64_t>(sheet.mRowCount)) {
      int64_t grown = std::min<int64_t>(pageRows + 1, static_cast<int64_t>(sheet.mRowCount) * 2);
      sheet.resize(static_cast<int32_t>(grown), static_cast<int32_t>(sheet.mColCount));
    }
    if (!growColumns(sheet, record.size())) return false;
    putRecord(sheet, static_cast<int32_t>(next++), record, texts);
    if (divisor >= 1 && next % divisor == 0) progress(counter++);
  }
  texts.flush();
  // An empty page from record 1 ends where that record starts (after any mark).
  page.end = firstRow == 1 && pageRows == 0 ? static_cast<uint64_t>(reader.startOffset()) : reader.offset();
  page.delimiter = reader.delimiter();
  page.encoding = reader.kind();
  page.records = static_cast<uint64_t>(next - 1 - (keepHeader && firstRow != 1 ? 1 : 0));
  if (next != static_cast<int64_t>(sheet.mRowCount)) {
    sheet.resize(static_cast<int32_t>(next), static_cast<int32_t>(sheet.mColCount));
  }
  progress.finish();
  reader.close();
  return true;
}

bool CDataCore::readPage(const std::u16string& path, char delimiter, bool keepHeader, int32_t firstRow,
                         int32_t rowCount, uint64_t& pageStart, uint64_t& pageEnd) {
  beforeChange();
  const CheckOnExit check{*this, "a read of a page"};
  TextPage page{pageStart, pageEnd, delimiter, mOpenEncoding};
  if (!readTextPage(*this, path, delimiter, keepHeader, firstRow, rowCount, page)) return false;
  pageStart = page.start;
  pageEnd = page.end;
  return true;
}

// Another file's records below the sheet's. A first line equal to the sheet's
// row 1 (same fields, same texts) is taken for the header again and dropped.
bool CDataCore::appendFile(const std::u16string& path, int32_t progressFrom, int32_t progressTo) {
  beforeChange();
  const CheckOnExit check{*this, "an append"};
  char delimiter = '\t';
  switch (fileKind(path)) {
    case FILE_MVT: return appendMvt(path, progressFrom, progressTo);
    case FILE_EXCEL:
      delimiter = 0;  // the worksheet reader
      break;
    case FILE_CSV: delimiter = ','; break;
    default: break;
  }
  const IoOptions options = ioOptions();
  RowReader reader;
  reader.open(path, delimiter, options);
  if (reader.kind() == RowReader::KIND_NONE) return false;
  RisingProgress progress(*this);
  progress(progressFrom);
  // Text files are counted once the parallel road has declined them.
  const bool text = reader.byteStream() != nullptr || reader.unitStream() != nullptr;
  uint64_t count = text ? 0 : reader.countRows();
  Record first = reader.nextRow();
  if (first.empty() && reader.atEnd()) {
    progress.finish(progressTo);
    return true;
  }
  const int64_t rows = static_cast<int64_t>(mRowCount), cols = static_cast<int64_t>(mColCount);
  bool sameHeader = !isHeaderEmpty() && static_cast<int64_t>(first.size()) == cols - 1;
  for (size_t j = 0; sameHeader && j < first.size(); ++j) {
    sameHeader = first[j] == getText(1, static_cast<int32_t>(j + 1));
  }
  progress.setRange(progressFrom, progressTo);
  const ParallelResult parallel =
      appendInParallel(*this, reader, path, options, first.size(), sameHeader, progress);
  progress.setRange(0, 100);
  mLastIo.road = roadOf(parallel);
  if (parallel == ParallelResult::Done) {
    progress.finish(progressTo);
    reader.close();
    return true;
  }
  if (text) {
    count = reader.countRows();
    first = reader.nextRow();  // counting rewound the stream
  }
  mPool.reserve(static_cast<size_t>(count));
  RecentTexts texts(mPool, count * first.size());
  int64_t next = rows == 0 ? 1 : rows;
  const int64_t total = static_cast<int64_t>(count) + (sameHeader ? rows - 1 : next);
  if (total >= MAX_ROWS || static_cast<int64_t>(first.size()) >= MAX_ROWS) return false;
  if (sameHeader) {
    resize(static_cast<int32_t>(total), static_cast<int32_t>(cols));
  } else {
    resize(static_cast<int32_t>(total),
           static_cast<int32_t>(std::max<int64_t>(cols, static_cast<int64_t>(first.size()) + 1)));
    putRecord(*this, static_cast<int32_t>(next++), first, texts);
  }
  const int64_t range = int64_t{progressTo} - progressFrom;
  const int64_t step = range > 0 ? static_cast<int64_t>(count) / range : 0;
  int64_t value = int64_t{progressFrom} + 1;
  FieldBuffer record;
  // The rows end at the counted records: what the file gained since the count is not read.
  for (int64_t placed = 1; next < total; ++placed) {
    reader.nextRecord(record);
    if (record.size() == 0 && reader.atEnd()) break;
    if (!growColumns(*this, record.size())) return false;
    putRecord(*this, static_cast<int32_t>(next++), record, texts);
    if (step >= 1 && placed % step == 0 && value < progressTo) progress(value++);
  }
  texts.flush();
  progress.finish(progressTo);
  reader.close();
  return true;
}
