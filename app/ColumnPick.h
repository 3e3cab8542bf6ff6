// Naming a column of an open table (tab title, "!", column letters) and picking one by
// clicking in a grid: a tool dialog's "获取" button hides the dialog and records which
// combo waits; the next selection in any grid fills that combo and shows the dialog.
#pragma once
#include <cstdint>
#include <string>

#include "controls/TabStrip.h"
#include "platform/windows.h"

class CGrid;
class CDataCore;

// A resolved column name. mTab and mDocument are null when no tab has the title; mCol
// is 0 when the letters are not A to Z. The tab record is valid until the tabs change.
struct ColumnRef {
  CCTab::CTabData* mTab = nullptr;
  CGrid* mDocument = nullptr;
  CDataCore* mTable = nullptr;
  int32_t mCol = 0;
  // The reference names a data column of its table (1 .. column count - 1).
  bool names() const;
};

// Resolves a name at its last '!': the first tab with the exact title before it and the
// column letters after it (either case). No '!': an empty reference.
ColumnRef parseColumnRef(const std::u16string& name);

// The pick state of the column tools: column merge and split, classify-save, file merge
// and file split.
struct ColumnPickState {
  int32_t mPending = 0;      // id of the "获取" button whose pick is awaited; 0 = none
  HWND mDialog = nullptr;    // the newest column tool dialog: the one a pick returns to
  int32_t mComboId = 0;      // the combo of that dialog that receives the pick
  bool mWithTabName = true;  // tab title + "!" + letters, or the letters alone
};
extern ColumnPickState gColumnPick;

// Each new column tool dialog becomes the one picks return to.
void setColumnPickDialog(HWND dialog);
// A "获取" button of a column tool dialog: the pick is awaited for `combo` (as tab title
// + "!" + letters, or the letters alone) and the dialog hidden.
void startColumnPick(HWND dialog, int32_t button, int32_t combo, bool withTabName);
// A column tool dialog closes (destroyed by the caller): a pending pick ends, and the
// record no longer points at it.
void endColumnPick(HWND dialog);

// In combo `combo`, selects the entry equal to `text` ignoring case (the whole list
// searched); when there is none, the combo's selection and text are cleared.
void selectComboEntry(HWND dialog, int combo, const std::u16string& text);

// The selection callback of every document: a pending pick of find-match, of the
// two-table tools and of the column tools takes the selection's left column (column 1
// for whole rows) of the tab whose grid window is `grid`, shows its dialog again and
// ends. `range` holds the selection's top, left, bottom, right in its four members, in
// that order (so its `top` member holds the left column).
void onColumnPicked(HWND grid, RECT range);

// Makes onColumnPicked the selection callback of every document, open and to come (the
// start-up initialiser's, and every tool dialog's when it is made). Repeats do nothing.
void installColumnPicking();

// Makes and shows the modeless column tool dialog of template `templateId` owned by
// `parent` (the tool resources registered, column picking installed), and makes it the
// dialog picks return to. Null when the dialog could not be made.
HWND openPickingDialog(HWND parent, int templateId, DLGPROC proc);
