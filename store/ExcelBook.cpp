#include "store/ExcelBook.h"

#include <algorithm>
#include <cmath>

#include "platform/Crt.h"
#include "platform/SystemMemory.h"
#include "platform/xl/Dates.h"
#include "store/DataCore.h"
#include "store/ExcelText.h"
#include "store/SafeSave.h"

namespace {

// What the export writes: rows and columns count from 1 and the worksheet's from 0.
struct Limits {
  int64_t rows;  // data rows the file type takes
  int64_t cols;  // data columns the export writes
};

// The every-row export writes at most 255 columns into an xls sheet (the file takes
// 256), the visible-only one 256.
Limits limitsOf(bool xlsx, bool all) {
  if (xlsx) return {1048576, 16384};
  return {65536, all ? 255 : 256};
}

// Whether the export writes anything for the cell: a value of a known kind.
bool holdsData(const Cell& c) { return c.kind <= CELL_FORMULA && !(c.kind == CELL_TEXT && c.value == 0); }

// The date serial of a date-time cell's value (seconds since 1970, shown in local
// time, as the sheet shows it); false when the file's calendar cannot hold it.
bool dateSerial(int64_t t, bool date1904, double& serial) {
  const struct tm* lt = _localtime64(&t);
  if (lt == nullptr || lt->tm_year + 1900 > 9999) return false;
  using xl::detail::daysFromCivil;
  int64_t days = daysFromCivil(lt->tm_year + 1900, lt->tm_mon + 1, lt->tm_mday) - daysFromCivil(1899, 12, 30);
  if (date1904) {
    days -= 1462;
    if (days < 0) return false;
  } else {
    if (days < 61) --days;  // the 1900 system counts a 29 February 1900
    if (days < 1) return false;
  }
  serial = double(days) + (lt->tm_hour * 3600 + lt->tm_min * 60 + lt->tm_sec) / 86400.0;
  return true;
}

// The memory a sheet of `rows` x `cols` cells takes: its cells, a row pointer and the
// allocator's head per row.
uint64_t sheetBytes(uint64_t rows, uint64_t cols) { return rows * (cols * sizeof(Cell) + 2 * sizeof(void*)); }

// The most characters (UTF-16 code units) an xlsx cell holds.
constexpr size_t XLSX_TEXT_LIMIT = 32767;

std::string cellName(int32_t row, int32_t col) {
  return "row " + std::to_string(row) + ", column " + std::to_string(col);
}

}  // namespace

ExcelBook::ExcelBook(CDataCore& sheet, const std::u16string& path, bool load, bool all)
    : mAll(all), mXlsx(isXlsxPath(path)), mPath(path), mSheet(&sheet) {
  progress(0);
  mBook = createBookForPath(path);
  if (mBook == nullptr) return;
  if (load && !loadBook(*mBook, path)) {
    mError = mBook->errorMessage();
    if (mError.empty()) mError = "not a regular file";  // refused before the library opened it
  }
  int year = 0, month = 0, day = 0;
  mDate1904 = mBook->dateUnpack(0, &year, &month, &day) && year == 1904;
  progress(10);
}

ExcelBook::~ExcelBook() {
  if (mBook) mBook->release();
}

void ExcelBook::progress(int64_t percent) {
  const ProgressFn& fn = mSheet->mCallbacks[CALLBACK_PROGRESS];
  if (fn) fn(reinterpret_cast<uint64_t>(this), percent);
}

bool ExcelBook::refuse(const std::string& why) {
  mError = why;
  progress(100);
  return false;
}

std::vector<std::u16string> ExcelBook::sheetNames() const {
  std::vector<std::u16string> names;
  if (mBook == nullptr) return names;
  for (int i = 0, n = mBook->sheetCount(); i < n; ++i) {
    if (const char16_t* name = mBook->getSheetName(i)) names.emplace_back(name);
  }
  return names;
}

bool ExcelBook::importSheet(int index) {
  xl::Sheet* ws = mBook ? mBook->getSheet(index) : nullptr;
  if (ws == nullptr) {
    progress(100);
    return false;
  }
  const int fr = ws->firstRow(), fc = ws->firstCol(), lr = ws->lastRow(), lc = ws->lastCol();
  // Refused before the sheet changes: the cells alone would not fit in memory.
  const uint64_t need = sheetBytes(uint64_t(lr) + 1, uint64_t(lc) + 1);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (GlobalMemoryStatusEx(&memory) && need > memory.ullAvailPhys) {
    return refuse("the worksheet reaches row " + std::to_string(lr) + " and column " + std::to_string(lc) +
                  ": a sheet of that size needs about " + std::to_string(need >> 20) + " MB, more than the " +
                  std::to_string(memory.ullAvailPhys >> 20) + " MB of memory available");
  }
  CDataCore& sheet = *mSheet;
  const CDataCore::CheckOnExit check{sheet, "a worksheet import"};
  sheet.clear();
  sheet.resize(lr + 1, lc + 1);
  for (int r = fr; r < lr; ++r) sheet.setDouble(r + 1, 0, ws->rowHeight(r) * 1.5);
  progress(15);
  for (int c = fc; c < lc; ++c) sheet.setDouble(0, c + 1, ws->colWidth(c) * 8);
  progress(20);
  const int step = lr / 70;
  int64_t counter = 20;
  std::u16string text;
  for (int r = fr; r < lr; ++r) {
    for (int c = fc; c < lc; ++c) {
      const xl::CellType type = ws->cellType(r, c);
      if (type == xl::CELLTYPE_NUMBER) {
        xl::Format* format = ws->cellFormat(r, c);
        NumberStyle style = format ? numberStyle(format->numFormat(), false) : NumberStyle::Plain;
        if (styledNumberText(*mBook, style, ws->readNum(r, c), text)) {
          // "12.50%" stays a text either way; only the typed write would take a number.
          if (style == NumberStyle::Percent2) sheet.setTextTyped(r + 1, c + 1, text.c_str());
          else sheet.setText(r + 1, c + 1, text);
          continue;
        }
      }
      if (const char16_t* s = ws->readStr(r, c)) {
        sheet.setTextTyped(r + 1, c + 1, s);
      } else if (type == xl::CELLTYPE_NUMBER) {
        sheet.setDouble(r + 1, c + 1, ws->readNum(r, c));
      } else if (type == xl::CELLTYPE_BOOLEAN) {
        sheet.setTextTyped(r + 1, c + 1, ws->readBool(r, c) ? u"true" : u"false");
      } else if (type == xl::CELLTYPE_ERROR) {
        text = excelErrorText(ws->readError(r, c));
        if (!text.empty()) sheet.setText(r + 1, c + 1, text);
      }
    }
    if (step > 0 && r % step == 0) progress(counter++);
  }
  progress(100);
  return true;
}

// True when a cell that holds data lies beyond the limits: for the visible-only
// export the limits count visible rows and columns, hidden ones being skipped.
bool ExcelBook::dataBeyond(int64_t rowLimit, int64_t colLimit, bool visibleOnly) const {
  const CDataCore& sheet = *mSheet;
  const int64_t rows = int64_t(sheet.mRowCount), cols = int64_t(sheet.mColCount);
  if (rows <= 1 || (rows - 1 <= rowLimit && cols - 1 <= colLimit)) return false;
  // The columns beyond the column limit.
  std::vector<int32_t> farCols;
  for (int64_t c = 1, m = 0; c < cols; ++c) {
    if (visibleOnly && sheet.mDatas[0][c].flag != 0) continue;
    if (m++ >= colLimit) farCols.push_back(int32_t(c));
  }
  for (int64_t r = 1, k = 0; r < rows; ++r) {
    const Cell* row = sheet.mDatas[r];
    if (visibleOnly && row[0].flag != 0) continue;
    if (k++ >= rowLimit) {
      for (int64_t c = 1; c < cols; ++c) {
        if ((!visibleOnly || sheet.mDatas[0][c].flag == 0) && holdsData(row[c])) return true;
      }
    } else {
      for (int32_t c : farCols) {
        if (holdsData(row[c])) return true;
      }
    }
  }
  return false;
}

// Writes sheet cell (row, col) at (outRow, outCol) of the worksheet by its kind:
// a finite double as a number, a date-time as a number in the book's date-and-time
// format (its text when the file's calendar cannot hold it), kinds above 8 not
// at all, every other kind as its text when that is not empty. False, with
// mError set, when the library refuses the write.
bool ExcelBook::writeCell(xl::Sheet& ws, int32_t row, int32_t col, int outRow, int outCol) {
  const Cell& cell = *mSheet->cellAt(row, col);
  if (cell.kind > CELL_FORMULA) return true;
  // A number no file can hold (NaN, an infinity) goes as the text the sheet shows.
  if (cell.kind == CELL_DOUBLE && std::isfinite(cell.asDouble())) {
    if (ws.writeNum(outRow, outCol, cell.asDouble())) return true;
    mError = "the number at " + cellName(row, col) + " cannot be written: " + mBook->errorMessage();
    return false;
  }
  if (cell.kind == CELL_DATETIME) {
    double serial = 0;
    if (dateSerial(cell.asInt64(), mDate1904, serial)) {
      if (mDateFormat == nullptr) {
        mDateFormat = mBook->addFormat();
        if (mDateFormat != nullptr && !mDateFormat->setNumFormat(22)) mDateFormat = nullptr;
        if (mDateFormat == nullptr) {
          mError = std::string("no date format can be added: ") + mBook->errorMessage();
          return false;
        }
      }
      if (ws.writeNum(outRow, outCol, serial, mDateFormat)) return true;
      mError = "the date at " + cellName(row, col) + " cannot be written: " + mBook->errorMessage();
      return false;
    }
  }
  mText.clear();
  mSheet->appendText(row, col, mText);
  if (mXlsx && mText.size() > XLSX_TEXT_LIMIT) {
    mError = "the text at " + cellName(row, col) + " is longer than the " + std::to_string(XLSX_TEXT_LIMIT) +
             " characters a cell of this file type takes";
    return false;
  }
  if (mText.empty() || ws.writeStr(outRow, outCol, mText.c_str())) return true;
  mError = "the text at " + cellName(row, col) + " cannot be written: " + mBook->errorMessage();
  return false;
}

bool ExcelBook::exportAll(xl::Sheet& ws) {
  const Limits lim = limitsOf(isXlsxPath(mPath), true);
  const CDataCore& sheet = *mSheet;
  const int64_t rows = std::min<int64_t>(int64_t(sheet.mRowCount), lim.rows + 1);
  const int64_t cols = std::min<int64_t>(int64_t(sheet.mColCount), lim.cols + 1);
  // Sizes are no data: one the library refuses (negative, not finite) stays the default.
  for (int64_t r = 1; r < rows; ++r) {
    double h = sheet.getDouble(int32_t(r), 0);
    if (h != 0) ws.setRow(int(r - 1), h / 1.5);
  }
  progress(15);
  for (int64_t c = 1; c < cols; ++c) {
    double w = sheet.getDouble(0, int32_t(c));
    if (w != 0) ws.setCol(int(c - 1), int(c - 1), w / 8);
  }
  progress(20);
  const int64_t step = rows / 70;
  int64_t counter = 20;
  for (int64_t r = 1; r < rows; ++r) {
    for (int64_t c = 1; c < cols; ++c) {
      if (!writeCell(ws, int32_t(r), int32_t(c), int(r - 1), int(c - 1))) return false;
    }
    if (step > 0 && r % step == 0) progress(counter++);
  }
  return true;
}

bool ExcelBook::exportVisible(xl::Sheet& ws) {
  const Limits lim = limitsOf(isXlsxPath(mPath), false);
  const CDataCore& sheet = *mSheet;
  const int64_t rows = int64_t(sheet.mRowCount), cols = rows > 0 ? int64_t(sheet.mColCount) : 0;
  std::vector<int32_t> visRows, visCols;
  for (int64_t r = 1; r < rows && int64_t(visRows.size()) < lim.rows; ++r) {
    if (sheet.mDatas[r][0].flag == 0) visRows.push_back(int32_t(r));
  }
  for (int64_t c = 1; c < cols && int64_t(visCols.size()) < lim.cols; ++c) {
    if (sheet.mDatas[0][c].flag == 0) visCols.push_back(int32_t(c));
  }
  for (size_t k = 0; k < visRows.size(); ++k) {
    double h = sheet.getDouble(visRows[k], 0);
    if (h != 0) ws.setRow(int(k), h / 1.5);
  }
  progress(15);
  for (size_t m = 0; m < visCols.size(); ++m) {
    double w = sheet.getDouble(0, visCols[m]);
    if (w != 0) ws.setCol(int(m), int(m), w / 8);
  }
  progress(20);
  const int64_t step = rows / 70;
  int64_t counter = 20;
  for (size_t k = 0; k < visRows.size(); ++k) {
    for (size_t m = 0; m < visCols.size(); ++m) {
      if (!writeCell(ws, visRows[k], visCols[m], int(k), int(m))) return false;
    }
    if (step > 0 && visRows[k] % step == 0) progress(counter++);
  }
  return true;
}

bool ExcelBook::exportSheet(int index) {
  if (mBook == nullptr) return refuse("no workbook could be created");
  xl::Sheet* ws = mBook->getSheet(index);
  if (ws == nullptr) ws = mBook->addSheet(kNewWorksheetName);
  if (ws == nullptr) return refuse(std::string("no worksheet to write into: ") + mBook->errorMessage());
  // Refused before anything is written: the file stays as it was.
  const Limits lim = limitsOf(isXlsxPath(mPath), mAll);
  if (dataBeyond(lim.rows, lim.cols, !mAll)) {
    return refuse("the sheet holds data beyond the " + std::to_string(lim.rows) + " rows and " +
                  std::to_string(lim.cols) + " columns this file type takes");
  }
  ws->clear(0, 1048575, 0, 16383);
  if (!(mAll ? exportAll(*ws) : exportVisible(*ws))) return refuse(mError);
  // The book is written beside the file, which it replaces once all of it is on the disk.
  SafeSave save(mPath);
  if (!save) return refuse("cannot write the file");
  save.handOver();
  bool saved = mBook->save(save.newPath().c_str(), true);
  if (!saved) mError = mBook->errorMessage();
  if (saved && !save.commit()) {
    saved = false;
    mError = "cannot write the file";
  }
  progress(100);
  return saved;
}
