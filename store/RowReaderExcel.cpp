// The worksheet kind of the row reader: the first worksheet of a workbook, one
// record per worksheet row.
#include "platform/xl/xl.h"
#include "store/ExcelText.h"
#include "store/RowReader.h"

void RowReader::openWorksheet(const std::u16string& path) {
  xl::Book* book = createBookForPath(path);
  if (book == nullptr) return;
  if (!loadBook(*book, path)) {
    book->release();
    return;
  }
  mBook = book;
  mSheetRow = 0;
  mKind = KIND_WORKSHEET;
}

int32_t RowReader::worksheetRows() const {
  xl::Sheet* sheet = mBook ? mBook->getSheet(0) : nullptr;
  return sheet ? sheet->lastRow() : 0;
}

void RowReader::excelRow(int32_t row, std::vector<std::u16string>& out) const {
  xl::Sheet* sheet = mBook ? mBook->getSheet(0) : nullptr;
  if (sheet == nullptr || row < 0 || row >= sheet->lastRow()) return;
  for (int c = sheet->firstCol(), last = sheet->lastCol(); c < last; ++c) {
    out.push_back(excelCellText(*mBook, *sheet, row, c, true));
  }
}
