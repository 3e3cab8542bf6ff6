// The grid's edit commands: clipboard, clear, insert, sizes, cell kinds, filter, sort,
// sheet growth and banded rows; and the registration of the grid's command ids.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "commands/AttributeAction.h"
#include "commands/CellAction.h"
#include "commands/DeleteAction.h"
#include "commands/InsertAction.h"
#include "grid/Grid.h"
#include "grid/GridCommandTable.h"
#include "grid/GridDialogs.h"
#include "platform/windows.h"
#include "resources/GridDialogIds.h"
#include "resources/GridIds.h"
#include "store/ClipTable.h"

namespace {

// Holds the clipboard open for one read; closes it on every way out.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : mOpen(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (mOpen) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool isOpen() const { return mOpen; }

 private:
  bool mOpen;
};

// The clipboard's CF_UNICODETEXT into `text` (empty when it holds none); false when the
// clipboard cannot be opened. The text ends at its NUL or at the end of the memory block.
bool readClipboardText(HWND owner, std::u16string& text) {
  OpenedClipboard clipboard(owner);
  if (!clipboard.isOpen()) return false;
  text.clear();
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return true;
  const auto* p = static_cast<const char16_t*>(GlobalLock(data));
  if (!p) return true;
  const size_t units = GlobalSize(data) / sizeof(char16_t);
  size_t n = 0;
  while (n < units && p[n]) ++n;
  try {
    text.assign(p, n);
  } catch (...) {
    GlobalUnlock(data);
    throw;
  }
  GlobalUnlock(data);
  return true;
}

// Adds to a count, saturating at the sheet's 32-bit limit.
int32_t grown(uint64_t count, int32_t by) {
  return static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(count) + by, INT32_MAX));
}

}  // namespace

// ---------------------------------------------------------------- clipboard and clear

void CGrid::paste() {
  if (!mOps.editLocked()) {
    guarded([&] {
      std::u16string text;
      if (!readClipboardText(mHwnd, text)) return;
      ClipTable table(text);
      auto command = std::make_unique<CCellAction>(&mCore, &mSelection);
      command->paste(table);
      mComManag.add(std::move(command));
    });
  }
  invalidate();
}

// The cells go only once their text is on the clipboard: a copy that fails cuts nothing.
void CGrid::cut() {
  bool copied = false;
  guarded([&] { copied = mOps.copy(); });
  if (copied) guarded([&] { mOps.deleteSelection(); });
  invalidate();
}

void CGrid::clear() {
  if (!mOps.editLocked()) {
    guarded([&] {
      auto command = std::make_unique<CDeleteAction>(&mCore, &mSelection);
      command->mKind = KIND_CLEAR;
      command->prepare();
      mComManag.add(std::move(command));
    });
  }
  invalidate();
}

// ---------------------------------------------------------------- structure

void CGrid::insert(int32_t count) {
  const Range& r = mSelection.range;
  const bool wholeRows = r.left == 0 && r.top != 0, wholeCols = r.top == 0 && r.left != 0;
  if (!mOps.editLocked() && (wholeRows || wholeCols)) {
    guarded([&] {
      auto command = std::make_unique<CInsertAction>(&mCore, &mSelection);
      command->mCount = count;
      mComManag.add(std::move(command));
    });
  }
  invalidate();
}

void CGrid::restoreWidthHeight() {
  const Range& r = mSelection.range;
  guarded([&] {
    if (r.top == 0 && r.left == 0) {
      mOps.setWidthHeight(false, 1, 0);
      mOps.setWidthHeight(true, 1, 0);
    } else if (r.top == 0) {
      mOps.setWidthHeight(false, r.left, 0);
    } else if (r.left == 0) {
      mOps.setWidthHeight(true, r.top, 0);
    }
  });
  invalidate();
}

void CGrid::addRows(int32_t n) {
  guarded([&] {
    mOps.resize(grown(mCore.mRowCount, n), mCore.mColCount > 0 ? static_cast<int32_t>(mCore.mColCount) : 26);
  });
  invalidate();
}

void CGrid::addCols(int32_t n) {
  guarded([&] {
    mOps.resize(mCore.mRowCount > 0 ? static_cast<int32_t>(mCore.mRowCount) : 300, grown(mCore.mColCount, n));
  });
  invalidate();
}

// ---------------------------------------------------------------- cell kinds

namespace {

void setKindOf(CGrid& grid, uint8_t kind) {
  if (!grid.mOps.editLocked()) {
    grid.guarded([&] {
      auto command = std::make_unique<CCellAction>(&grid.mCore, &grid.mSelection);
      command->setKind(kind);
      grid.mComManag.add(std::move(command));
    });
  }
  grid.invalidate();
}

}  // namespace

void CGrid::setTextKind() { setKindOf(*this, CELL_TEXT); }
void CGrid::setExprtkKind() { setKindOf(*this, CELL_EXPRTK); }
void CGrid::setTccKind() { setKindOf(*this, CELL_TCC); }
void CGrid::setPythonKind() { setKindOf(*this, CELL_PYTHON); }

// ---------------------------------------------------------------- filter, sort, bands

void CGrid::filter(bool batch) {
  mBatchFilter = batch ? 1 : 0;
  if (!mOps.editLocked()) {
    guarded([&] { mOps.toggleFilter(); });
  }
  invalidate();
}

void CGrid::sortAscending(bool expand) {
  if (!mOps.editLocked()) {
    guarded([&] { mOps.sort(true, expand); });
  }
  invalidate();
}

void CGrid::sortDescending(bool expand) {
  if (!mOps.editLocked()) {
    guarded([&] { mOps.sort(false, expand); });
  }
  invalidate();
}

void CGrid::sortCommand(bool ascending) {
  const Range& r = mSelection.range;
  if (r.top != 0 && r.left != 0 && r.top == r.bottom && r.left == r.right) {
    invalidate();
    return;
  }
  bool expand = false;
  if (r.left != 0 && r.left == r.right) {
    // The sort-scope question: 0 cancelled, 1 expand, 2 the selection alone.
    const INT_PTR answer =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SORT_SCOPE), mHwnd, sortScopeDialogProc, 0);
    if (answer != 1 && answer != 2) {
      invalidate();
      return;
    }
    expand = answer == 1;
  }
  if (ascending) sortAscending(expand);
  else sortDescending(expand);
}

void CGrid::toggleBandColor() {
  guarded([&] {
    auto command = std::make_unique<CAttributeAction>(&mCore, &mSelection);
    command->setValue(ATTR_BANDED_ROWS, mCore.mAttrs[ATTR_BANDED_ROWS].value == 0 ? 1 : 0);
    mComManag.add(std::move(command));
  });
  invalidate();
}

// ---------------------------------------------------------------- the command rows

void registerEditCommands() {
  addGridCommands({
      {ID_CUT, [](CGrid& g) { g.cut(); }},
      {ID_PASTE, [](CGrid& g) { g.paste(); }},
      {ID_CLEAR, [](CGrid& g) { g.clear(); }},
      {ID_INSERT1, [](CGrid& g) { g.insert(1); }},
      {ID_INSERT2, [](CGrid& g) { g.insert(2); }},
      {ID_RESTORE_SIZES, [](CGrid& g) { g.restoreWidthHeight(); }},
      {ID_KIND_TEXT, [](CGrid& g) { g.setTextKind(); }},
      {ID_KIND_EXPRTK, [](CGrid& g) { g.setExprtkKind(); }},
      {ID_KIND_C, [](CGrid& g) { g.setTccKind(); }},
      {ID_KIND_PYTHON, [](CGrid& g) { g.setPythonKind(); }},
      {ID_FORMULA_SUM, [](CGrid& g) { g.formula(0); }},
      {ID_FORMULA_AVERAGE, [](CGrid& g) { g.formula(1); }},
      {ID_FORMULA_COUNT, [](CGrid& g) { g.formula(2); }},
      {ID_FORMULA_MAX, [](CGrid& g) { g.formula(3); }},
      {ID_FORMULA_MIN, [](CGrid& g) { g.formula(4); }},
      {ID_FILTER, [](CGrid& g) { g.filter(false); }},
      {ID_SORT_UP, [](CGrid& g) { g.sortCommand(true); }},
      {ID_SORT_DOWN, [](CGrid& g) { g.sortCommand(false); }},
      {ID_ADD_ROWS, [](CGrid& g) { g.addRows(300); }},
      {ID_ADD_COLS, [](CGrid& g) { g.addCols(26); }},
      {ID_BANDED_ROWS, [](CGrid& g) { g.toggleBandColor(); }},
      {ID_GOTO, [](CGrid& g) { g.showGoto(); }},
      {ID_TABLE_SIZE, [](CGrid& g) { g.showTableSize(); }},
      {ID_SPLIT_FILE, [](CGrid& g) { g.showSplitSettings(); }},
  });
}
