#include "store/ExcelStream.h"

#include "store/CsvQuote.h"
#include "store/ExcelText.h"

bool ExcelStream::open(const std::u16string& path) {
  close();
  mBook = createBookForPath(path);
  if (mBook == nullptr || !loadBook(*mBook, path)) return false;
  mSheet = mBook->getSheet(0);
  if (mSheet != nullptr) mLastRow = mSheet->lastRow();
  return true;
}

std::u16string ExcelStream::readLine() {
  std::u16string line;
  if (mSheet == nullptr || mNextRow >= mLastRow) return line;
  const int row = mNextRow++;
  for (int c = mSheet->firstCol(), last = mSheet->lastCol(); c < last; ++c) {
    if (c != mSheet->firstCol()) line += u',';
    line += csvQuote(excelCellText(*mBook, *mSheet, row, c, false));
  }
  line += u'\n';
  return line;
}

void ExcelStream::close() {
  if (mBook) mBook->release();
  mBook = nullptr;
  mSheet = nullptr;
  mNextRow = 0;
  mLastRow = 0;
}
