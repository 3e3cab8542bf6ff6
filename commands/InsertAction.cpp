#include "commands/InsertAction.h"

#include <algorithm>
#include <vector>

#include "commands/Record.h"
#include "store/Alloc.h"

CInsertAction::CInsertAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_INSERT) {}

bool CInsertAction::isEmpty() const {
  return mCount == 0 || (mSelection.range.top == 0 && mSelection.range.left == 0);
}

void CInsertAction::redo() {
  mPosition = -1;
  if (insertsRows()) {
    const int64_t p = std::min<int64_t>(mSelection.range.top, int64_t(mCore->mRowCount));
    mCore->insertRow(mSelection.range.top, mCount);
    mPosition = static_cast<int32_t>(p);
  } else {
    const int64_t p = std::clamp<int64_t>(mSelection.range.left, 0, int64_t(mCore->mColCount));
    mCore->insertCol(mSelection.range.left, mCount);
    mPosition = static_cast<int32_t>(p);
  }
  notify();
}

// Rows first..first+count-1 leave the sheet: their cells are emptied (releasing their
// texts), their storage freed, the rows below move up and the filter's rows follow.
void CInsertAction::removeRows(int32_t first, int32_t count) {
  const int64_t last = int64_t(first) + count - 1;
  if (first < 0 || count <= 0 || last >= int64_t(mCore->mRowCount)) return;
  std::vector<Cell*> rows;
  for (int64_t r = first; r <= last; ++r) {
    for (uint64_t c = 0; c < mCore->mColCount; ++c) mCore->clearCell(int32_t(r), int32_t(c));
    rows.push_back(mCore->mDatas[r]);  // flag now 0: removeVisibleRows takes it out
  }
  mCore->removeVisibleRows(first, int32_t(last));
  for (Cell* row : rows) rowalloc::freeRow(row);
  if (mCore->mRowCount == 0) mCore->mColCount = 0;  // no rows left: the sheet is empty
}

void CInsertAction::undo() {
  if (mPosition >= 0) {
    if (insertsRows()) {
      removeRows(mPosition, mCount);
    } else {
      mCore->deleteCols(mPosition, mPosition + mCount - 1);
    }
  }
  notify();
}

std::string CInsertAction::serialize() const {
  RecordWriter w;
  w.i64(KIND_INSERT);
  w.i64(mState);
  w.zeros(16);
  w.selection(mSelection);
  w.i32(mCount);
  return w.take();
}
