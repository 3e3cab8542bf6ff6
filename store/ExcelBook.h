// ExcelBook: one workbook for one command: the import of a worksheet into a
// sheet (a workbook opens as one tab per worksheet) and the export of a sheet
// into a worksheet of a book that is then saved.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/xl/xl.h"

class CDataCore;

// The worksheet an export adds to a book that has none at its index (every new book).
inline constexpr char16_t kNewWorksheetName[] = u"sheet1";

class ExcelBook {
 public:
  // Creates a book of the path's type (xlsx by the last four characters, else xls)
  // and, when `load`, loads the file; `all` exports every row and column (true) or
  // only the visible ones. A failed load keeps the library's message in
  // errorText() and an empty book. Reports 0 and 10.
  ExcelBook(CDataCore& sheet, const std::u16string& path, bool load, bool all);
  ~ExcelBook();
  ExcelBook(const ExcelBook&) = delete;
  ExcelBook& operator=(const ExcelBook&) = delete;

  // The worksheet names in book order (a name the library cannot give is skipped).
  std::vector<std::u16string> sheetNames() const;
  // Replaces the sheet by worksheet `index`: worksheet (r, c) goes to (r + 1, c + 1),
  // heights × 1.5 and widths × 8 into the header cells. False when there is no
  // such worksheet, and false with errorText() telling why and the sheet unchanged
  // when a sheet reaching the worksheet's last cell would not fit in memory.
  bool importSheet(int index);
  // Writes the sheet into worksheet `index` (a new "sheet1" when there is none) and
  // saves the book to its path. False, with the file untouched and errorText()
  // telling why, when the save fails or when the sheet holds data that the file
  // type cannot take (beyond its rows or columns, a text too long for a cell of the type);
  // an export never drops data and reports success.
  bool exportSheet(int index);

  // Points the book at another sheet (the opening of a workbook, one tab per worksheet).
  void setSheet(CDataCore& sheet) { mSheet = &sheet; }
  bool hasBook() const { return mBook != nullptr; }
  const std::string& errorText() const { return mError; }

 private:
  void progress(int64_t percent);
  bool refuse(const std::string& why);
  bool exportAll(xl::Sheet& ws);
  bool exportVisible(xl::Sheet& ws);
  bool writeCell(xl::Sheet& ws, int32_t row, int32_t col, int outRow, int outCol);
  bool dataBeyond(int64_t rows, int64_t cols, bool visibleOnly) const;

  xl::Book* mBook = nullptr;  // owned; null when none could be created
  bool mAll;                  // export every row and column, or only the visible ones
  bool mXlsx;                 // the path names an xlsx file (else xls)
  std::u16string mPath;
  std::string mError;                 // why the last load or export failed
  CDataCore* mSheet;                  // never null
  xl::Format* mDateFormat = nullptr;  // of mBook, made at the first date-time cell
  bool mDate1904 = false;             // the book counts dates from 1904
  std::u16string mText;               // the cell text being written (reused)
};
