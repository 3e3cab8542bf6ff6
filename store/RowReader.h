// RowReader: a delimited text file in any of the five encodings, read as
// records of wide-string fields. One reader serves one import or one count.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/CsvStream.h"
#include "store/IoOptions.h"

namespace xl {
class Book;
}

struct RecordIndex;

// One record's fields decoded one after another into a buffer that the next
// record reuses (no allocation per field once the buffer has grown).
struct FieldBuffer {
  std::vector<char16_t> units;  // the fields' units; grows, never shrinks
  std::vector<size_t>
      ends;          // ends[j] for j < size(): one past field j's last unit (it starts at ends[j - 1], 0 for j = 0)
  size_t count = 0;  // fields of the record

  size_t size() const { return count; }
  std::u16string_view field(size_t j) const {
    const size_t begin = j == 0 ? 0 : ends[j - 1];
    return std::u16string_view(units.data() + begin, ends[j] - begin);
  }
  void clear() { count = 0; }
  // Ends the next field at unit `end`.
  void add(size_t end) {
    if (count == ends.size()) ends.resize(count * 2 + 16);
    ends[count++] = end;
  }
};

class RowReader {
 public:
  // Reading kinds: what the file holds and which stream reads it.
  enum Kind : int32_t {
    KIND_NONE = 0,       // nothing open
    KIND_UTF8 = 1,       // CsvStream, fields decoded from UTF-8
    KIND_UTF16LE = 2,    // CsvStreamW, units as read
    KIND_UTF16BE = 3,    // CsvStreamW, units compared and delivered byte-swapped
    KIND_ANSI = 4,       // CsvStream, fields decoded from GBK
    KIND_WORKSHEET = 6,  // the first worksheet of a workbook
  };

  RowReader() = default;
  ~RowReader() { close(); }
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  // Opens `path` with `delimiter` (0 selects the worksheet reader: the first
  // worksheet of the workbook, kind 6 when the book was made and loaded, else
  // kind 0). For text the kind follows detectEncoding; a
  // file whose encoding cannot be found leaves kind 0. The options give the
  // quote detection of the whole reading and the stream's read size
  // (blockBytes 0: the stream's default, tests use tiny blocks).
  void open(const std::u16string& path, char delimiter, const IoOptions& options = IoOptions::current());
  // Closes the file and frees the stream and its buffers.
  void close();

  // The next record's fields; empty at the end of the data and for an empty line.
  std::vector<std::u16string> nextRow();
  // The same fields, decoded into `out` (nextRow() is built on it).
  void nextRecord(FieldBuffer& out);
  // True when the data is exhausted.
  bool atEnd() const;
  // Called with the first record when it has exactly one field: picks the first
  // of ',' TAB '|' ';' ':' ' ' that occurs in it, rewinds and reads the first
  // record again with that delimiter into `record`. Nothing when none occurs.
  void detectDelimiter(std::vector<std::u16string>& record);
  // The number of records (every empty line counts, the empty read at the end
  // does not); the stream is at its start afterwards.
  uint64_t countRows();
  // The same, calling `progress` at every multiple of 10153 and once with the
  // final count, and stopping after the record at which `*cancel` is non-zero.
  // With `index` (text files only) the delimiter is first settled from the
  // first record as a page read settles it, and the index receives the file's
  // stamp and a mark at every index->stride-th record start counted (a
  // cancelled count leaves the marks reached). The index is left empty when
  // the file changed during the count.
  uint64_t countRowsCancellable(const std::function<void(uint64_t)>& progress, const std::atomic<uint8_t>* cancel,
                                RecordIndex* index = nullptr);
  // Reads and drops one record without splitting or converting it.
  void skipRecord();
  // The byte offset in the file of the next unread byte (code units count two).
  uint64_t offset() const;
  // Back to the start of the text (after any byte order mark).
  void rewind();
  // Continues at byte `offset` of the file, which must be a record start
  // (text kinds only).
  void seek(uint64_t offset);

  // Appends the cells of row `row` of the first worksheet as texts, from its
  // first used column to its last (so every row gives as many fields); nothing
  // without a worksheet or for a row at or beyond its last. Format 176 counts as
  // a date here (RowReaderExcel.cpp).
  void excelRow(int32_t row, std::vector<std::u16string>& out) const;

  Kind kind() const { return mKind; }
  // The delimiter in use (after detection), as the 8-bit character.
  char delimiter() const { return mDelimiter; }
  // The quote detection the reader was opened with.
  bool quoteDetect() const { return mQuoteDetect; }
  // The path the reader was opened with.
  const std::u16string& path() const { return mPath; }
  // Where the text starts: 3 after a UTF-8 mark, 2 after a UTF-16 one, else 0.
  int32_t startOffset() const;
  CsvStream* byteStream() const { return mStream.get(); }
  CsvStreamW* unitStream() const { return mStreamW.get(); }

 private:
  void setStreamDelimiter(char delimiter);
  void openWorksheet(const std::u16string& path);
  // The first worksheet's rows (one past its last used row); 0 without one.
  int32_t worksheetRows() const;
  template <class F>
  uint64_t countWith(F&& afterRecord);
  void beginIndex(RecordIndex& index);

  int32_t mSheetRow = 0;      // next worksheet row (kind 6)
  xl::Book* mBook = nullptr;  // the workbook (kind 6), owned
  Kind mKind = KIND_NONE;
  std::unique_ptr<CsvStream> mStream;    // kinds 1 and 4
  std::unique_ptr<CsvStreamW> mStreamW;  // kinds 2 and 3
  std::vector<CsvFieldSpan> mSpans;      // the current record's fields (nextRecord)
  std::vector<char> mQuoted;             // a quoted field's bytes undoubled (nextRecord)
  std::vector<char16_t> mQuotedW;        // the same for 16-bit units
  char mDelimiter = 0;
  bool mQuoteDetect = true;
  std::u16string mPath;
};
