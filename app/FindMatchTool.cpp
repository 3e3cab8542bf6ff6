#include "app/FindMatchTool.h"

#include <algorithm>

#include "app/ColumnPick.h"
#include "app/ToolDialog.h"
#include "controls/InputState.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "resources/ToolIds.h"
#include "resources/ToolResources.h"
#include "store/ColumnName.h"
#include "store/NumberText.h"

FindMatchInput gFindMatch;

namespace {

const char16_t kCaption[] = u"查找匹配";
constexpr int32_t kFieldLimit = 512;

void clearInput() {
  gFindMatch.mPending = 0;
  gFindMatch.mDialog = nullptr;
  gFindMatch.mLookupData.clear();
  gFindMatch.mLookupArea.clear();
  gFindMatch.mWritePos.clear();
  gFindMatch.mReturnCol.clear();
}

void fail(const std::u16string& text) { toolMessage(gMainWnd, text, kCaption); }

// The "查找匹配" button: the fields into gFindMatch, checked, then the run.
void onRun(HWND dialog) {
  std::u16string write, data, area, ret, count;
  if (!readToolField(dialog, IDC_MATCH_WRITE, kFieldLimit, u"写入位置列", kCaption, write)) return;
  if (write.empty()) {
    toolMessage(dialog, u"写入位置列不能为空！", kCaption);
    return;
  }
  if (!readToolField(dialog, IDC_MATCH_DATA, kFieldLimit, u"查找数据列", kCaption, data) ||
      !readToolField(dialog, IDC_MATCH_AREA, kFieldLimit, u"要查找区域", kCaption, area) ||
      !readToolField(dialog, IDC_MATCH_RETURN, kFieldLimit, u"返回值的列", kCaption, ret))
    return;
  gFindMatch.mWritePos = write;
  gFindMatch.mLookupData = data;
  gFindMatch.mLookupArea = area;
  gFindMatch.mReturnCol = ret;
  if (ret.empty()) {
    toolMessage(dialog, u"返回值的列不能为空！", kCaption);
    return;
  }
  BOOL ok = FALSE;
  const int value = static_cast<int>(GetDlgItemInt(dialog, IDC_MATCH_COUNT, &ok, TRUE));
  gFindMatch.mCount = ok && value > 0 ? value : 1;
  runFindMatch();
}

// Copy mode: the return columns into the write columns row for row, the write table
// grown to the return table's rows.
void copyColumns(CDataCore& write, int32_t writeCol, const CDataCore& ret, int32_t retCol, int32_t count) {
  const int32_t rows = static_cast<int32_t>(ret.mRowCount);
  if (write.mRowCount < ret.mRowCount) write.resize(rows, static_cast<int32_t>(write.mColCount));
  const int64_t room = static_cast<int64_t>(write.mColCount) - writeCol;
  const int32_t columns = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(count, room)));
  for (int32_t i = 1; i < rows; ++i)
    for (int32_t k = 0; k < columns; ++k) {
      const Cell source = ret.inSheet(i, retCol + k) ? ret.mDatas[i][retCol + k] : Cell{};
      write.copyCell(i, writeCol + k, source, ret.mPool);
    }
}

}  // namespace

HWND showFindMatchDialog(HWND parent) {
  if (gFindMatch.mDialog) {
    ShowWindow(gFindMatch.mDialog, SW_SHOW);
    return gFindMatch.mDialog;
  }
  registerToolResources();
  installColumnPicking();
  gFindMatch.mDialog =
      CreateDialogParamW(nullptr, MAKEINTRESOURCEW(IDD_FIND_MATCH), parent, findMatchDialogProc, 0);
  if (gFindMatch.mDialog) ShowWindow(gFindMatch.mDialog, SW_SHOW);
  return gFindMatch.mDialog;
}

int findMatchComboOf(int button) {
  switch (button) {
    case IDC_MATCH_WRITE_PICK: return IDC_MATCH_WRITE;
    case IDC_MATCH_DATA_PICK: return IDC_MATCH_DATA;
    case IDC_MATCH_AREA_PICK: return IDC_MATCH_AREA;
    case IDC_MATCH_RETURN_PICK: return IDC_MATCH_RETURN;
    default: return 0;
  }
}

void fillFindMatchDialog(HWND dialog) {
  addComboItems(dialog, {IDC_MATCH_WRITE, IDC_MATCH_DATA, IDC_MATCH_AREA, IDC_MATCH_RETURN}, tabColumnNames());
  for (int n = 1; n <= 32; ++n)
    SendDlgItemMessageW(dialog, IDC_MATCH_COUNT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(int64Text(n).c_str()));
  SetDlgItemTextW(dialog, IDC_MATCH_COUNT, u"1");
}

INT_PTR CALLBACK findMatchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (refusedWhileBusy(message)) return TRUE;  // no run over a sheet being read
  switch (message) {
    case WM_INITDIALOG:
      fillFindMatchDialog(dialog);
      centreOnParent(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (findMatchComboOf(id)) {
        gFindMatch.mPending = id;
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
      }
      if (id == IDC_MATCH_RUN) {
        onRun(dialog);
        return TRUE;
      }
      if (id == IDCANCEL) {
        if (gFindMatch.mDialog == dialog) clearInput();
        DestroyWindow(dialog);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

bool runFindMatch() {
  const FindMatchInput& in = gFindMatch;
  const ColumnRef write = parseColumnRef(in.mWritePos);
  const ColumnRef ret = parseColumnRef(in.mReturnCol);
  const bool lookup = !in.mLookupArea.empty() && !in.mLookupData.empty();
  if (!write.names()) return fail(u"找不到写入位置表格列：" + in.mWritePos), false;
  ColumnRef data, area;
  if (lookup) {
    data = parseColumnRef(in.mLookupData);
    if (!data.names()) return fail(u"找不到查找数据表格列：" + in.mLookupData), false;
    area = parseColumnRef(in.mLookupArea);
    if (!area.names()) return fail(u"找不到要查找区域表格列：" + in.mLookupArea), false;
  }
  if (!ret.names()) return fail(u"找不到返回值的表格列：" + in.mReturnCol), false;
  const int32_t count = in.mCount > 0 ? in.mCount : 1;
  const bool done = changeSheets({write.mDocument}, [&] {
    if (lookup)
      write.mTable->findMatch(write.mCol, *ret.mTable, ret.mCol, *data.mTable, data.mCol, *area.mTable, area.mCol,
                              count);
    else copyColumns(*write.mTable, write.mCol, *ret.mTable, ret.mCol, count);
  });
  if (!done) return false;
  afterToolWrite(write.mDocument);
  toolMessage(gMainWnd, u"查找匹配成功！", kCaption);
  return true;
}
