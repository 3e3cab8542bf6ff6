#include "commands/DeleteAction.h"

#include <algorithm>
#include <vector>

#include "commands/Record.h"
#include "commands/VisibleCells.h"
#include "store/Alloc.h"
#include "store/TextPromise.h"

CDeleteAction::CDeleteAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_DELETE) {}

// Releases the pool references of the cells of `count` rows that are leaving the sheet,
// keeping their texts in `texts`. The cells keep their keys.
static void detachTexts(CDataCore& core, Cell* const* rows, uint64_t count, uint64_t cols, TextMap& texts) {
  for (uint64_t r = 0; r < count; ++r) {
    for (uint64_t c = 0; c < cols; ++c) {
      const Cell& cell = rows[r][c];
      if (!isPoolKind(cell.kind) || cell.value == 0) continue;
      keepCellText(core, cell, texts);
      core.release(cell.value);
    }
  }
}

// Takes the pool references back for the cells of rows that have re-entered the sheet;
// a key may change when the pool holds another text under it now.
static void attachTexts(CDataCore& core, Cell* const* rows, uint64_t count, uint64_t cols, const TextMap& texts) {
  for (uint64_t r = 0; r < count; ++r) {
    for (uint64_t c = 0; c < cols; ++c) {
      Cell& cell = rows[r][c];
      if (!isPoolKind(cell.kind) || cell.value == 0) continue;
      auto it = texts.find(cell.value);
      cell.value = it == texts.end() ? 0 : core.internBytes(cell.value, it->second);
    }
  }
}

// Rows held out of the sheet have no pool references (detachTexts), so freeing them is
// safe whatever the sheet holds by then.
CDeleteAction::~CDeleteAction() {
  for (auto& [number, row] : mSavedRows) rowalloc::freeRow(row);
  if (mSheetRows != nullptr) {
    for (uint64_t r = 0; r < mSheetRowCount; ++r) rowalloc::freeRow(mSheetRows[r]);
    rowalloc::freeArray(mSheetRows);
  }
}

CDeleteAction::Shape CDeleteAction::shape() const {
  const Range& r = mSelection.range;
  if (r.top < 0 || r.left < 0) return CELLS;
  if (r.top == 0 && r.left == 0) return SHEET;
  if (r.top == 0) return COLUMNS;
  if (r.left == 0) return ROWS;
  return CELLS;
}

// The selection's range limited to the sheet's data cells.
static Range clippedRange(const CDataCore& core, const Selection& selection) {
  Range r = selection.toRange(core);
  r.top = std::max(r.top, 1);
  r.left = std::max(r.left, 1);
  r.bottom = static_cast<int32_t>(std::min<int64_t>(r.bottom, int64_t(core.mRowCount) - 1));
  r.right = static_cast<int32_t>(std::min<int64_t>(r.right, int64_t(core.mColCount) - 1));
  return r;
}

void CDeleteAction::prepare() {
  const CDataCore& core = *mCore;
  if (mKind == KIND_CLEAR) {
    forEachVisibleCell(core, clippedRange(core, mSelection), [&](int32_t row, int32_t col, int32_t, int32_t) {
      const Cell* c = core.cellAt(row, col);
      if (c->kind != 0 || c->value != 0) mSaved.save(core, row, col, false, false);
    });
    return;
  }
  switch (shape()) {
    case ROWS: return;  // the rows themselves are taken by redo
    case SHEET:
      mSelection.range.bottom = static_cast<int32_t>(core.mRowCount);
      mSelection.range.right = static_cast<int32_t>(core.mColCount);
      return;
    case COLUMNS: {
      mFirstCol = mSelection.range.left;
      mLastCol = static_cast<int32_t>(std::min<int64_t>(mSelection.range.right, int64_t(core.mColCount) - 1));
      for (uint64_t r = 0; r < core.mRowCount; ++r)
        for (int32_t c = mFirstCol; c <= mLastCol; ++c) mSaved.save(core, int32_t(r), c, true, true);
      return;
    }
    case CELLS: {
      const Range r = clippedRange(core, mSelection);
      for (int32_t row = r.top; row <= r.bottom; ++row)
        for (int32_t col = r.left; col <= r.right; ++col) mSaved.save(core, row, col, true, true);
      return;
    }
  }
}

bool CDeleteAction::isEmpty() const { return false; }

void CDeleteAction::redo() {
  if (mKind == KIND_CLEAR) {
    static const TextMap kNoTexts;
    const Cell empty{CELL_TEXT, CELL_FLAG_KEEP, 0};
    for (const CellRecord& r : mSaved.cells) mCore->restoreCell(r.row, r.col, empty, kNoTexts);
    return;
  }
  redoDelete();
  notify();
}

void CDeleteAction::undo() {
  if (mKind == KIND_CLEAR) {
    mSaved.restore(*mCore);
    return;
  }
  undoDelete();
  notify();
}

void CDeleteAction::redoDelete() {
  const Range& sel = mSelection.range;
  mFilterBefore.assign(mCore->mFilter);
  switch (shape()) {
    case ROWS: {
      mSavedRows.clear();
      mRowTexts.clear();
      const int64_t last = std::min<int64_t>(sel.bottom, int64_t(mCore->mRowCount) - 1);
      std::vector<Cell*> rows;
      for (int64_t r = sel.top; r <= last; ++r) {
        if (!rowVisible(*mCore, int32_t(r))) continue;
        mSavedRows[int32_t(r)] = mCore->mDatas[r];
        rows.push_back(mCore->mDatas[r]);
      }
      if (rows.empty()) return;
      mRowWidth = mCore->mColCount;
      detachTexts(*mCore, rows.data(), rows.size(), mRowWidth, mRowTexts);
      mCore->removeVisibleRows(sel.top, int32_t(last));
      return;
    }
    case COLUMNS:
      if (mFirstCol <= mLastCol) mCore->deleteCols(mFirstCol, mLastCol);
      return;
    case SHEET: takeSheet(); return;
    case CELLS:
      for (const CellRecord& r : mSaved.cells) mCore->clearCell(r.row, r.col);
      return;
  }
}

void CDeleteAction::undoDelete() {
  undoShape();
  // Moving rows and columns back cannot bring back the row sets that the delete dropped.
  mCore->mFilter.assign(mFilterBefore);
}

void CDeleteAction::undoShape() {
  switch (shape()) {
    case ROWS: {
      const TextPromise promise(*mCore, mRowTexts);  // may fail: before the rows go back
      if (!mSavedRows.empty() && mCore->restoreRows(mSavedRows)) {
        std::vector<Cell*> rows;
        for (const auto& [number, row] : mSavedRows) rows.push_back(row);
        attachTexts(*mCore, rows.data(), rows.size(), mRowWidth, mRowTexts);
        mSavedRows.clear();
        mRowTexts.clear();
      }
      return;
    }
    case COLUMNS:
      if (mFirstCol <= mLastCol) {
        const TextPromise promise(*mCore, mSaved.texts);  // may fail: before the columns come back
        mCore->insertCol(mFirstCol, mLastCol - mFirstCol + 1);
        mSaved.restore(*mCore);
      }
      return;
    case SHEET: giveSheet(); return;
    case CELLS: mSaved.restore(*mCore); return;
  }
}

// Takes the whole row array out of the sheet, leaving it empty. The cells keep their
// keys, but their pool references are released (the texts kept in mSheetTexts), so the
// pool holds what an emptied sheet holds.
void CDeleteAction::takeSheet() {
  CDataCore& core = *mCore;
  mSheetRows = core.mDatas;
  mSheetRowCount = core.mRowCount;
  mSheetColCount = core.mColCount;
  mSheetTexts.clear();
  detachTexts(core, mSheetRows, mSheetRowCount, mSheetColCount, mSheetTexts);
  mSheetFormulaValues.swap(core.mFormulaValues);
  core.mFormulaValues.clear();
  core.mDatas = nullptr;
  core.mRowCount = 0;
  core.mColCount = 0;
}

// Puts the taken row array back and re-interns the texts of its cells.
void CDeleteAction::giveSheet() {
  if (mSheetRows == nullptr) return;
  CDataCore& core = *mCore;
  const TextPromise promise(core, mSheetTexts);  // may fail: before the sheet comes back
  if (core.mRowCount != 0 || core.mColCount != 0) core.resize(0, 0);
  core.mDatas = mSheetRows;
  core.mRowCount = mSheetRowCount;
  core.mColCount = mSheetColCount;
  mSheetRows = nullptr;
  attachTexts(core, core.mDatas, mSheetRowCount, mSheetColCount, mSheetTexts);
  mSheetTexts.clear();
  for (const auto& [pos, value] : mSheetFormulaValues) core.mFormulaValues[pos] = value;
  mSheetFormulaValues.clear();
}

std::string CDeleteAction::serialize() const {
  RecordWriter w;
  w.i64(mKind);
  w.i64(static_cast<int64_t>(mSaved.cells.size()));
  w.i64(static_cast<int64_t>(mSaved.texts.size()));
  w.i64(mState);
  w.selection(mSelection);
  if (!applied()) {
    for (const CellRecord& r : mSaved.cells) w.cell(r);
    w.textTable(mSaved.texts);
  }
  return w.take();
}
