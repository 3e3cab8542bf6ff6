// The delete-duplicates dialog: the sheet's columns with check boxes and three
// options, handed to the delete-duplicates operation.
#include <string>
#include <vector>

#include "grid/DialogCentre.h"
#include "grid/FilterValues.h"
#include "grid/Grid.h"
#include "grid/ListDialogState.h"
#include "platform/controls/Controls.h"
#include "platform/windows.h"
#include "resources/FindFilterIds.h"
#include "resources/GridFindResources.h"
#include "store/ColumnName.h"

namespace {

constexpr int32_t SELECT_ALL_COLUMN = -1;

// The last column holding a non-empty cell in rows 1 .. row count - 1; 0 when none.
int32_t lastUsedColumn(const CDataCore& core) {
  const int32_t cols = static_cast<int32_t>(core.mColCount);
  int32_t last = 0;
  for (uint64_t row = 1; row < core.mRowCount && last < cols - 1; ++row) {
    const Cell* cells = core.mDatas[row];
    for (int32_t col = cols - 1; col > last; --col)
      if (!cells[col].isZero()) {
        last = col;
        break;
      }
  }
  return last;
}

std::vector<ListItem2> columnItems(const CDataCore& core, const Range& selection) {
  std::vector<ListItem2> items(1);
  items[0].value = SELECT_ALL_COLUMN;
  const bool wholeSheet = selection.top == 0 && selection.left == 0;
  const int32_t last = lastUsedColumn(core);
  for (int32_t i = 1; i <= last; ++i) {
    ListItem2 item;
    item.value = i - 1;  // shows that column's letters
    item.checked = wholeSheet || (selection.left > 0 && i >= selection.left && i <= selection.right);
    items.push_back(item);
  }
  return items;
}

INT_PTR CALLBACK deleteDuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<ListDialogState*>(lParam);
    state->hwnd = dialog;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    centreDialog(dialog);
    RECT client{};
    CheckDlgButton(dialog, IDC_DELETE_DUP_EXPAND, BST_CHECKED);
    GetClientRect(dialog, &client);
    state->list->create(dialog, 6, 55, (client.right - client.left) - 11, (client.bottom - client.top) - 110);
    state->list->items = state->items;
    state->list->refresh();
    return TRUE;
  }
  auto* state = reinterpret_cast<ListDialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!state || message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  if (id != IDOK && id != IDCANCEL) return FALSE;
  state->expand = IsDlgButtonChecked(dialog, IDC_DELETE_DUP_EXPAND) == BST_CHECKED;
  state->hasHeader = IsDlgButtonChecked(dialog, IDC_DELETE_DUP_HEADER) == BST_CHECKED;
  state->matchCase = IsDlgButtonChecked(dialog, IDC_DELETE_DUP_MATCH_CASE) == BST_CHECKED;
  EndDialog(dialog, id);
  return TRUE;
}

}  // namespace

void CGrid::showDeleteDuplicates() {
  registerFindFilterResources();
  ListDialogState state;
  state.grid = this;
  CCList list;
  state.list = &list;
  list.showCount = 0;
  list.itemText = [](const ListItem2& item) {
    return item.value == SELECT_ALL_COLUMN ? std::u16string(u"全选") : colName(item.value);
  };
  list.onCheck = [](CCList& l, int32_t index) {
    toggleAllItems(l.items, index);
    l.refresh();
  };
  state.items = columnItems(mCore, mSelection.range);
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DELETE_DUPLICATES), mHwnd,
                                         deleteDuplicatesDialogProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return;
  std::vector<int32_t> columns;
  for (size_t i = 1; i < list.items.size(); ++i)
    if (list.items[i].checked) columns.push_back(list.items[i].value + 1);
  if (columns.empty()) {
    MessageBoxW(mHwnd, u"请至少选择一个包含重复项的列。", u"删除重复", MB_OK);
    return;
  }
  guarded([&] { mOps.deleteDuplicates(state.expand != 0, state.hasHeader != 0, state.matchCase != 0, columns); });
  invalidate();
}
