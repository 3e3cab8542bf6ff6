#include "commands/ResizeAction.h"

#include "store/TextPromise.h"

#include <algorithm>

#include "commands/Record.h"

CResizeAction::CResizeAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_RESIZE) {}

bool CResizeAction::isEmpty() const { return mOldRows == mNewRows && mOldCols == mNewCols; }

// Saves the cells that resize(rows, cols) is about to drop: rows from `rows` on, and in
// the rows that stay, columns from `cols` on. A count of 0 drops everything.
static void saveCut(const CDataCore& core, int32_t rows, int32_t cols, SavedCells& cut) {
  const int32_t oldRows = static_cast<int32_t>(core.mRowCount);
  const int32_t oldCols = static_cast<int32_t>(core.mColCount);
  if (rows <= 0 || cols <= 0) rows = cols = 0;
  for (int32_t r = 0; r < oldRows; ++r) {
    const int32_t firstCut = r >= rows ? 0 : cols;
    for (int32_t c = firstCut; c < oldCols; ++c) cut.save(core, r, c, true, true);
  }
}

void CResizeAction::redo() {
  mCut.clear();
  if (mNewRows >= 0 && mNewCols >= 0) saveCut(*mCore, mNewRows, mNewCols, mCut);
  mCore->resize(mNewRows, mNewCols);
  notify();
}

void CResizeAction::undo() {
  const TextPromise promise(*mCore, mCut.texts);  // may fail: before the size changes
  mCore->resize(mOldRows, mOldCols);
  mCut.restore(*mCore);
  mCut.clear();
  notify();
}

std::string CResizeAction::serialize() const {
  RecordWriter w;
  w.i64(KIND_RESIZE);
  w.i64(mState);
  w.i32(applied() ? mNewRows : mOldRows);
  w.i32(applied() ? mNewCols : mOldCols);
  w.zeros(8);
  return w.take();
}
