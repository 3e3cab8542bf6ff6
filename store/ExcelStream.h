// ExcelStream: the first worksheet of a workbook read one row at a time as a
// comma-joined text line (the file merge tool; one stream per worker thread,
// never shared).
#pragma once
#include <cstdint>
#include <string>

#include "platform/xl/xl.h"

class ExcelStream {
 public:
  ExcelStream() = default;
  ~ExcelStream() { close(); }
  ExcelStream(const ExcelStream&) = delete;
  ExcelStream& operator=(const ExcelStream&) = delete;

  // Creates a book of the path's type and loads it; true when both worked (also
  // for a book without worksheets, which then reads no lines).
  bool open(const std::u16string& path);
  // The next row's cells, each quoted with csvQuote (so a comma, a line break or a
  // leading quote stays inside its field), joined by "," and ended by "\n"; the
  // empty text after the last row.
  std::u16string readLine();
  // Releases the book; the stream reads no more lines.
  void close();

  // The first worksheet's rows (one past its last used row); 0 without one.
  int32_t lastRow() const { return mLastRow; }

 private:
  int32_t mNextRow = 0;
  int32_t mLastRow = 0;
  xl::Sheet* mSheet = nullptr;  // of mBook
  xl::Book* mBook = nullptr;    // owned
};
