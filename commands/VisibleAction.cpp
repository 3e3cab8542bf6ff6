#include "commands/VisibleAction.h"

#include <algorithm>

#include "commands/Record.h"

CVisibleAction::CVisibleAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_VISIBLE) {}

void CVisibleAction::prepare(bool show) {
  const uint8_t target = show ? 0 : 1;
  const Range& r = mSelection.range;
  const bool wholeCols = r.top == 0 && r.left != 0;
  const bool wholeRows = r.left == 0 && r.top != 0;
  if (!wholeCols && !wholeRows) return;
  const int32_t first = wholeCols ? r.left : r.top;
  // Header cells beyond the sheet cannot change, so they are not recorded.
  const int64_t count = static_cast<int64_t>(wholeCols ? mCore->mColCount : mCore->mRowCount);
  const int64_t last = std::min<int64_t>(wholeCols ? r.right : r.bottom, count - 1);
  for (int64_t i = first; i <= last; ++i) {
    const int32_t row = wholeCols ? 0 : static_cast<int32_t>(i);
    const int32_t col = wholeCols ? static_cast<int32_t>(i) : 0;
    if (!mCore->inSheet(row, col)) continue;
    const uint8_t current = mCore->cellAt(row, col)->flag;
    if (current == target) continue;
    mNewFlags[cellPos(row, col)] = target;
    mOldFlags[cellPos(row, col)] = current;
  }
}

bool CVisibleAction::isEmpty() const { return mNewFlags.empty(); }

void CVisibleAction::apply(const FlagMap& flags) {
  for (const auto& [key, flag] : flags) {
    const int32_t row = posRow(key);
    const int32_t col = posCol(key);
    if (mCore->inSheet(row, col)) mCore->cellAt(row, col)->flag = flag;
  }
  notify();
}

void CVisibleAction::redo() { apply(mNewFlags); }
void CVisibleAction::undo() { apply(mOldFlags); }

std::string CVisibleAction::serialize() const {
  const FlagMap& flags = applied() ? mNewFlags : mOldFlags;
  RecordWriter w;
  w.i64(KIND_VISIBLE);
  w.i64(static_cast<int64_t>(flags.size()));
  w.zeros(16);
  for (const auto& [key, flag] : flags) {
    w.u64(key);
    w.u8(flag);
  }
  return w.take();
}
