#include "app/ColumnPick.h"

#include "app/FindMatchTool.h"
#include "app/TwoTableTool.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "resources/ToolResources.h"
#include "store/ColumnName.h"

ColumnPickState gColumnPick;

bool ColumnRef::names() const { return mTable && mCol >= 1 && static_cast<uint64_t>(mCol) < mTable->mColCount; }

ColumnRef parseColumnRef(const std::u16string& name) {
  ColumnRef ref;
  const size_t bang = name.rfind(u'!');
  if (bang == std::u16string::npos) return ref;
  CCTab::CTabData* tab = gTabStrip.findByTitle(name.substr(0, bang));
  if (!tab || !tab->document) return ref;
  ref.mTab = tab;
  ref.mDocument = tab->document;
  ref.mTable = &tab->document->core();
  ref.mCol = colNumber(std::u16string_view(name).substr(bang + 1));
  return ref;
}

void setColumnPickDialog(HWND dialog) { gColumnPick.mDialog = dialog; }

void startColumnPick(HWND dialog, int32_t button, int32_t combo, bool withTabName) {
  gColumnPick.mPending = button;
  gColumnPick.mComboId = combo;
  gColumnPick.mWithTabName = withTabName;
  ShowWindow(dialog, SW_HIDE);
}

void endColumnPick(HWND dialog) {
  gColumnPick.mPending = 0;
  gColumnPick.mWithTabName = true;
  if (gColumnPick.mDialog == dialog) gColumnPick.mDialog = nullptr;
}

void selectComboEntry(HWND dialog, int combo, const std::u16string& text) {
  const LRESULT found =
      SendDlgItemMessageW(dialog, combo, CB_FINDSTRINGEXACT, 1, reinterpret_cast<LPARAM>(text.c_str()));
  SendDlgItemMessageW(dialog, combo, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found, 0);
  if (found == CB_ERR) SetDlgItemTextW(dialog, combo, u"");
}

void onColumnPicked(HWND grid, RECT range) {
  // The RECT carries the Range member for member: its `top` holds the left column.
  const int32_t column = range.top == 0 ? 1 : range.top;
  const CCTab::CTabData* tab = nullptr;
  for (const auto& t : gTabStrip.tabs)
    if (t.gridWindow == grid) tab = &t;
  const std::u16string letters = colName(column - 1);
  const std::u16string named = tab ? tab->title + u"!" + letters : std::u16string();
  if (gFindMatch.mPending) {
    ShowWindow(gFindMatch.mDialog, SW_SHOWNORMAL);
    if (tab) selectComboEntry(gFindMatch.mDialog, findMatchComboOf(gFindMatch.mPending), named);
    gFindMatch.mPending = 0;
  }
  if (gTwoTable.mPending) {
    ShowWindow(gTwoTable.mDialog, SW_SHOWNORMAL);
    const TwoTablePick pick = twoTablePickOf(gTwoTable.mPending);
    if (tab) selectComboEntry(gTwoTable.mDialog, pick.combo, pick.tableTitle ? tab->title : letters);
    gTwoTable.mPending = 0;
  }
  if (gColumnPick.mPending) {
    ShowWindow(gColumnPick.mDialog, SW_SHOWNORMAL);
    if (tab)
      selectComboEntry(gColumnPick.mDialog, gColumnPick.mComboId, gColumnPick.mWithTabName ? named : letters);
    gColumnPick.mPending = 0;
    gColumnPick.mWithTabName = true;
  }
}

void installColumnPicking() {
  if (gOnColumnPicked) return;
  gOnColumnPicked = onColumnPicked;
  for (CGrid* document : allDocuments())
    if (document) document->setSelectCallback(SelectFn(onColumnPicked));
}

HWND openPickingDialog(HWND parent, int templateId, DLGPROC proc) {
  registerToolResources();
  installColumnPicking();
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(templateId), parent, proc, 0);
  if (dialog) {
    setColumnPickDialog(dialog);
    ShowWindow(dialog, SW_SHOW);
  }
  return dialog;
}
