#include "commands/FilterAction.h"

#include <algorithm>

#include "commands/Record.h"
#include "store/NumberText.h"
#include "store/TextKey.h"

namespace {

void setRowHidden(CDataCore& core, int32_t row, bool hidden) {
  if (row < 0 || static_cast<uint64_t>(row) >= core.mRowCount || core.mColCount == 0) return;
  core.mDatas[row][0].flag = hidden ? 1 : 0;
}

bool columnHasData(const CDataCore& core, int32_t col, int64_t first, int64_t last) {
  for (int64_t r = first; r <= last; ++r)
    if (!core.mDatas[r][col].isZero()) return true;
  return false;
}

}  // namespace

CFilterAction::CFilterAction(CDataCore* core, const Selection* selection)
    : iCommand(core, selection, KIND_FILTER) {}

bool CFilterAction::isEmpty() const { return mNewState.equals(mOldState); }

void CFilterAction::apply(const FilterState& from, const FilterState& to) {
  mCore->mFilter.assign(to);
  for (int32_t row : from.hiddenRows()) setRowHidden(*mCore, row, false);
  for (int32_t row : to.hiddenRows()) setRowHidden(*mCore, row, true);
  notify();
}

// The flags of the rows the change touches are kept before it, so that undo gives back
// exactly the flags they had: a row the filter lists may have been shown by the user.
void CFilterAction::redo() {
  mFlagsBefore.clear();
  std::set<int32_t> rows = mOldState.hiddenRows();
  for (int32_t row : mNewState.hiddenRows()) rows.insert(row);
  for (int32_t row : rows)
    if (row >= 0 && static_cast<uint64_t>(row) < mCore->mRowCount && mCore->mColCount != 0)
      mFlagsBefore.emplace_back(row, mCore->mDatas[row][0].flag);
  apply(mOldState, mNewState);
}

void CFilterAction::undo() {
  mCore->mFilter.assign(mOldState);
  for (const auto& [row, flag] : mFlagsBefore)
    if (static_cast<uint64_t>(row) < mCore->mRowCount && mCore->mColCount != 0) mCore->mDatas[row][0].flag = flag;
  mFlagsBefore.clear();
  notify();
}

std::string CFilterAction::serialize() const {
  RecordWriter w;
  w.u64(KIND_FILTER);
  w.u64(static_cast<uint64_t>(mState));
  w.bytes((applied() ? mNewState : mOldState).serialize());
  return w.take();
}

void CFilterAction::prepareToggle() {
  mOldState.assign(mCore->mFilter);
  mNewState = FilterState{};
  if (mOldState.active()) return;  // switching off: the new state stays empty
  const Range s = mSelection.range;
  mNewState.mRange = s;
  const int64_t rows = static_cast<int64_t>(mCore->mRowCount);
  const int64_t cols = static_cast<int64_t>(mCore->mColCount);
  int64_t firstRow, lastRow, firstCol, lastCol, keyRow;
  if ((s.top == 0 && s.left == 0) || (s.top > 0 && s.left > 0 && s.top == s.bottom && s.left == s.right) ||
      s.top < 0 || s.left < 0) {
    mNewState.mRange = Range{};
    firstRow = 1, lastRow = rows - 1, firstCol = 1, lastCol = cols - 1, keyRow = 1;
  } else if (s.top == 0) {
    firstRow = 1, lastRow = rows - 1, firstCol = s.left, lastCol = s.right, keyRow = 1;
  } else if (s.left == 0) {
    firstRow = s.top, lastRow = s.bottom, firstCol = 1, lastCol = cols - 1, keyRow = s.top;
  } else {
    firstRow = s.top, lastRow = s.bottom, firstCol = s.left, lastCol = s.right, keyRow = s.top;
  }
  lastRow = std::min(lastRow, rows - 1);
  lastCol = std::min(lastCol, cols - 1);
  for (int64_t c = std::max<int64_t>(firstCol, 1); c <= lastCol; ++c) {
    if (!columnHasData(*mCore, int32_t(c), std::max<int64_t>(firstRow, 1), lastRow)) continue;
    const uint64_t key = cellPos(int32_t(keyRow), int32_t(c));
    mNewState.mColumns[key].key = key;
  }
}

void CFilterAction::prepareValues(uint64_t key, const FilterNumbers& numbers, const std::set<uint64_t>& keys) {
  mOldState.assign(mCore->mFilter);
  mNewState.assign(mOldState);
  auto it = mNewState.mColumns.find(key);
  if (it == mNewState.mColumns.end()) {
    mNewState.mColumns.clear();
    mOldState.mColumns.clear();
    const std::u16string title = u"Filter";
    const std::u16string text = u"Cant not find cell:" + int64Text(posRow(key)) + u"," + int64Text(posCol(key));
    if (mCore->mCallbacks[CALLBACK_MESSAGE])
      mCore->mCallbacks[CALLBACK_MESSAGE](reinterpret_cast<uint64_t>(title.c_str()),
                                          reinterpret_cast<int64_t>(text.c_str()));
    return;
  }
  // The rows this column hid count as shown while its condition is tested again (redo
  // shows them before it hides the new set); the sheet itself is not touched here.
  std::unordered_set<int32_t>& hidden = it->second.rows;
  const std::unordered_set<int32_t> before = std::move(hidden);
  hidden.clear();
  const Range& area = mNewState.mRange;
  const int64_t rows = static_cast<int64_t>(mCore->mRowCount);
  int64_t first = area.top + 1, last = area.bottom;
  if (area.top == 0) first = 2, last = rows - 1;
  if (area.top < 0 || area.left < 0) first = 1, last = 0;
  last = std::min(last, rows - 1);
  const int32_t col = posCol(key);
  for (int64_t r = std::max<int64_t>(first, 1); r <= last; ++r) {
    const int32_t row = int32_t(r);
    if (mCore->mColCount == 0 || (mCore->mDatas[row][0].flag != 0 && !before.count(row))) continue;
    const Cell& cell = *mCore->cellAt(row, col);
    bool shown;
    switch (filterMatchOf(cell)) {
      case FILTER_BY_NUMBER: shown = numbers.count(filterNumberOf(cell)) != 0; break;
      case FILTER_BY_SHOWN_TEXT: shown = keys.count(textKey(mCore->getText(row, col))) != 0; break;
      default: shown = keys.count(cell.value) != 0; break;
    }
    if (!shown) hidden.insert(row);
  }
}
