#include "commands/WidthHightAction.h"

#include "commands/CellRecord.h"
#include "commands/Record.h"

CWidthHightAction::CWidthHightAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_WIDTH_HEIGHT) {}

void CWidthHightAction::setSize(int32_t row, int32_t col, int32_t size) {
  if (!mCore->inSheet(row, col)) return;  // nothing to change there
  const int64_t current = mCore->getInt64(row, col);
  if (current == size) return;
  const uint64_t key = cellPos(row, col);
  mNewSizes[key] = size;
  mOldSizes[key] = static_cast<int32_t>(current);
  Cell old = *mCore->cellAt(row, col);
  old.flag = CELL_FLAG_KEEP;
  keepCellText(*mCore, old, mOldTexts);
  mOldCells[key] = old;
}

void CWidthHightAction::prepare(bool rows, int32_t index, int32_t size) {
  const Range& r = mSelection.range;
  const int32_t count = static_cast<int32_t>(rows ? mCore->mRowCount : mCore->mColCount);
  int32_t first = index;
  int32_t last = index;
  if (r.top == 0 && r.left == 0) {
    first = 1;
    last = count - 1;
  } else if (rows && r.left == 0 && index >= r.top && index <= r.bottom) {
    first = r.top;
    last = r.bottom;
  } else if (!rows && r.top == 0 && index >= r.left && index <= r.right) {
    first = r.left;
    last = r.right;
  }
  for (int64_t i = first; i <= last; ++i) {
    const int32_t n = static_cast<int32_t>(i);
    if (rows) {
      setSize(n, 0, size);
    } else {
      setSize(0, n, size);
    }
  }
}

bool CWidthHightAction::isEmpty() const { return mOldSizes.empty(); }

void CWidthHightAction::redo() {
  for (const auto& [key, size] : mNewSizes) mCore->setInt64(posRow(key), posCol(key), size);
  notify();
}

void CWidthHightAction::undo() {
  for (const auto& [key, cell] : mOldCells) mCore->restoreCell(posRow(key), posCol(key), cell, mOldTexts);
  notify();
}

std::string CWidthHightAction::serialize() const {
  const SizeMap& sizes = applied() ? mNewSizes : mOldSizes;
  RecordWriter w;
  w.i64(KIND_WIDTH_HEIGHT);
  w.i64(static_cast<int64_t>(sizes.size()));
  w.zeros(8);
  w.i64(mState);
  w.selection(mSelection);
  for (const auto& [key, size] : sizes) {
    w.u64(key);
    w.i32(size);
  }
  return w.take();
}
