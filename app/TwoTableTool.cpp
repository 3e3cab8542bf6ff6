#include "app/TwoTableTool.h"

#include "app/ColumnPick.h"
#include "app/ToolDialog.h"
#include "controls/InputState.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "resources/ToolIds.h"
#include "resources/ToolResources.h"
#include "store/ColumnName.h"

TwoTableInput gTwoTable;

namespace {

constexpr int32_t kFieldLimit = 512;

// The ids of one of the two dialogs; combos and picks in the order source, lookup,
// match columns 1 to 3.
struct TwoTableIds {
  WORD dialog;
  const char16_t* caption;
  int combos[5];
  int picks[5];
  int run;
  bool duplicates;
};
const TwoTableIds kDedupe{
    IDD_TWO_TABLE_DEDUPE,
    u"两表去重复",
    {IDC_DEDUPE_SOURCE, IDC_DEDUPE_LOOKUP, IDC_DEDUPE_MATCH1, IDC_DEDUPE_MATCH2, IDC_DEDUPE_MATCH3},
    {IDC_DEDUPE_SOURCE_PICK, IDC_DEDUPE_LOOKUP_PICK, IDC_DEDUPE_MATCH1_PICK, IDC_DEDUPE_MATCH2_PICK,
     IDC_DEDUPE_MATCH3_PICK},
    IDC_DEDUPE_RUN,
    false};
const TwoTableIds kDuplicates{IDD_TWO_TABLE_DUPLICATES,
                              u"两表求重复",
                              {IDC_DUPLICATES_SOURCE, IDC_DUPLICATES_LOOKUP, IDC_DUPLICATES_MATCH1,
                               IDC_DUPLICATES_MATCH2, IDC_DUPLICATES_MATCH3},
                              {IDC_DUPLICATES_SOURCE_PICK, IDC_DUPLICATES_LOOKUP_PICK, IDC_DUPLICATES_MATCH1_PICK,
                               IDC_DUPLICATES_MATCH2_PICK, IDC_DUPLICATES_MATCH3_PICK},
                              IDC_DUPLICATES_RUN,
                              true};

void clearInput() { gTwoTable = TwoTableInput{}; }

void closeDialog() {
  HWND dialog = gTwoTable.mDialog;
  clearInput();
  if (dialog) DestroyWindow(dialog);
}

HWND showDialog(HWND parent, const TwoTableIds& ids, DLGPROC proc) {
  if (gTwoTable.mDialog) {
    ShowWindow(gTwoTable.mDialog, SW_SHOW);
    return gTwoTable.mDialog;
  }
  registerToolResources();
  installColumnPicking();
  gTwoTable.mDialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(ids.dialog), parent, proc, 0);
  if (gTwoTable.mDialog) ShowWindow(gTwoTable.mDialog, SW_SHOW);
  return gTwoTable.mDialog;
}

void fill(HWND dialog, const TwoTableIds& ids) {
  std::vector<std::u16string> titles;
  for (const auto& tab : gTabStrip.tabs) titles.push_back(tab.title);
  addComboItems(dialog, {ids.combos[0], ids.combos[1]}, titles);
  std::vector<std::u16string> letters;
  if (!gTabStrip.tabs.empty() && gTabStrip.tabs[0].document) {
    const int32_t cols = static_cast<int32_t>(gTabStrip.tabs[0].document->core().mColCount);
    for (int32_t c = 0; c + 1 < cols; ++c) letters.push_back(colName(c));
  }
  addComboItems(dialog, {ids.combos[2], ids.combos[3], ids.combos[4]}, letters);
  SetDlgItemTextW(dialog, ids.combos[2], u"A");
}

// The run button: the fields into gTwoTable, checked, then the run.
void onRun(HWND dialog, const TwoTableIds& ids) {
  static const char16_t* const names[5] = {u"原始表", u"查找表", u"匹配列1", u"匹配列2", u"匹配列3"};
  std::u16string text[5];
  for (int i = 0; i < 5; ++i) {
    if (!readToolField(dialog, ids.combos[i], kFieldLimit, names[i], ids.caption, text[i])) return;
    if (i < 3 && text[i].empty()) {
      toolMessage(dialog, std::u16string(names[i]) + u"不能为空！", ids.caption);
      return;
    }
  }
  gTwoTable.mSource = text[0];
  gTwoTable.mLookup = text[1];
  gTwoTable.mMatchCol1 = text[2];
  gTwoTable.mMatchCol2 = text[3];
  gTwoTable.mMatchCol3 = text[4];
  if (ids.duplicates) runTwoTableDuplicates();
  else runTwoTableDedupe();
}

INT_PTR dialogProc(HWND dialog, UINT message, WPARAM wParam, const TwoTableIds& ids) {
  if (message == WM_INITDIALOG) {
    fill(dialog, ids);
    centreOnParent(dialog);
    return TRUE;
  }
  if (refusedWhileBusy(message)) return TRUE;  // no run over a sheet being read
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  for (int pick : ids.picks)
    if (id == pick) {
      gTwoTable.mPending = id;
      ShowWindow(dialog, SW_HIDE);
      return TRUE;
    }
  if (id == ids.run) {
    onRun(dialog, ids);
    return TRUE;
  }
  if (id == IDCANCEL) {
    if (gTwoTable.mDialog == dialog) clearInput();
    DestroyWindow(dialog);
    return TRUE;
  }
  return FALSE;
}

// A match column counts when it names a data column of both tables.
int32_t matchColumn(const std::u16string& letters, const CDataCore& source, const CDataCore& lookup) {
  const int32_t col = colNumber(letters);
  const bool inBoth = col >= 1 && static_cast<uint64_t>(col) < source.mColCount &&
                      static_cast<uint64_t>(col) < lookup.mColCount;
  return inBoth ? col : 0;
}

bool run(const TwoTableIds& ids) {
  auto fail = [&](const char16_t* text) {
    toolMessage(gMainWnd, text, ids.caption);
    return false;
  };
  // The sheets first: a new tab may move the tab records.
  CCTab::CTabData* sourceTab = gTabStrip.findByTitle(gTwoTable.mSource);
  if (!sourceTab || !sourceTab->document) return fail(u"原始表找不到！");
  CDataCore* source = &sourceTab->document->core();
  CCTab::CTabData* lookupTab = gTabStrip.findByTitle(gTwoTable.mLookup);
  if (!lookupTab || !lookupTab->document) return fail(u"查找表找不到！");
  CDataCore* lookup = &lookupTab->document->core();
  const int32_t col1 = matchColumn(gTwoTable.mMatchCol1, *source, *lookup);
  if (col1 == 0) return fail(u"匹配列1不对！");
  const int32_t col2 = matchColumn(gTwoTable.mMatchCol2, *source, *lookup);
  const int32_t col3 = matchColumn(gTwoTable.mMatchCol3, *source, *lookup);
  CGrid* result = openInNewTab(u"");
  if (!result) return false;
  const bool done = changeSheets({result}, [&] {
    if (ids.duplicates) result->core().twoTableDuplicates(*source, *lookup, col1, col2, col3);
    else result->core().twoTableDedupe(*source, *lookup, col1, col2, col3);
  });
  afterToolWrite(result);
  result->updateEncodingMenu();
  closeDialog();
  return done;
}

}  // namespace

HWND showTwoTableDedupeDialog(HWND parent) { return showDialog(parent, kDedupe, twoTableDedupeDialogProc); }
HWND showTwoTableDuplicatesDialog(HWND parent) {
  return showDialog(parent, kDuplicates, twoTableDuplicatesDialogProc);
}

TwoTablePick twoTablePickOf(int button) {
  for (const TwoTableIds* ids : {&kDedupe, &kDuplicates})
    for (int i = 0; i < 5; ++i)
      if (ids->picks[i] == button) return TwoTablePick{ids->combos[i], i < 2};
  return {};
}

void fillTwoTableDedupeDialog(HWND dialog) { fill(dialog, kDedupe); }
void fillTwoTableDuplicatesDialog(HWND dialog) { fill(dialog, kDuplicates); }

INT_PTR CALLBACK twoTableDedupeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return dialogProc(dialog, message, wParam, kDedupe);
}
INT_PTR CALLBACK twoTableDuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return dialogProc(dialog, message, wParam, kDuplicates);
}

bool runTwoTableDedupe() { return run(kDedupe); }
bool runTwoTableDuplicates() { return run(kDuplicates); }
