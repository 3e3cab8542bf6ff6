// The grid's small modal dialogs: go to, table size, sort scope and split settings (their
// ids: resources/GridDialogIds.h). Each keeps its CGrid in GWLP_USERDATA and centres
// itself on its parent.
// Number fields are read as signed 32-bit decimals: a number beyond that range is refused
// with a message instead of wrapping.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "grid/DialogCentre.h"
#include "grid/FileDialogs.h"
#include "grid/Grid.h"
#include "grid/GridDialogs.h"
#include "platform/controls/Controls.h"
#include "platform/windows.h"
#include "resources/GridDialogIds.h"
#include "store/FilePath.h"

namespace {

constexpr char16_t kOutOfRange[] = u"输入的数字超出范围！";

CGrid* gridOf(HWND dialog) { return reinterpret_cast<CGrid*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

std::u16string fieldText(HWND dialog, int id, int limit) {
  std::vector<char16_t> buffer(static_cast<size_t>(limit) + 1, 0);
  GetDlgItemTextW(dialog, id, buffer.data(), limit + 1);
  return buffer.data();
}

std::u16string decimal(int64_t v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

enum class FieldNumber { None, OutOfRange, Ok };

// The text read as wcstol reads it: leading white space, an optional sign, decimal
// digits up to the first other character. None when no digit follows; OutOfRange when
// the value does not fit 32 bits signed.
FieldNumber readInt32(const std::u16string& text, int32_t& out) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return FieldNumber::None;
  int64_t v = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    v = v * 10 + (text[i] - u'0');
    if (v > int64_t(INT32_MAX) + 1) return FieldNumber::OutOfRange;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return FieldNumber::OutOfRange;
  out = static_cast<int32_t>(v);
  return FieldNumber::Ok;
}

// A message captioned with the product name over the dialog; the focus goes to `focusId`.
void refuse(HWND dialog, const std::u16string& text, int focusId) {
  MessageBoxW(dialog, text.c_str(), u"Morvel", MB_OK);
  SetFocus(GetDlgItem(dialog, focusId));
}

}  // namespace

// ---------------------------------------------------------------- go to

INT_PTR CALLBACK gotoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      centreDialog(dialog);
      SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
      SetDlgItemTextW(dialog, IDC_GOTO_ROW, u"1");
      SetDlgItemTextW(dialog, IDC_GOTO_COL, u"1");
      PostMessageW(GetDlgItem(dialog, IDC_GOTO_ROW), EM_SETSEL, 0, -1);
      SetFocus(GetDlgItem(dialog, IDC_GOTO_ROW));
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          CGrid* grid = gridOf(dialog);
          int32_t row = 0, col = 0;
          const FieldNumber r = readInt32(fieldText(dialog, IDC_GOTO_ROW, 255), row);
          const FieldNumber c = readInt32(fieldText(dialog, IDC_GOTO_COL, 255), col);
          if (r == FieldNumber::OutOfRange || c == FieldNumber::OutOfRange) {
            refuse(dialog, kOutOfRange, r == FieldNumber::OutOfRange ? IDC_GOTO_ROW : IDC_GOTO_COL);
            return TRUE;
          }
          if (r == FieldNumber::None || c == FieldNumber::None || !grid) {
            EndDialog(dialog, 0);  // nothing to go to
            return TRUE;
          }
          const int32_t rows = static_cast<int32_t>(grid->mCore.mRowCount);
          const int32_t cols = static_cast<int32_t>(grid->mCore.mColCount);
          if (rows > 0 && cols > 0) {
            row = row <= 0 ? 1 : std::min(row, rows - 1);
            col = col <= 0 ? 1 : std::min(col, cols - 1);
            grid->selectCell(row, col);
            grid->invalidate();
          }
          EndDialog(dialog, 1030);
          return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

void CGrid::showGoto() {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GOTO), mHwnd, gotoDialogProc,
                  reinterpret_cast<LPARAM>(this));
}

// ---------------------------------------------------------------- table size

INT_PTR CALLBACK tableSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      centreDialog(dialog);
      SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
      const auto* grid = reinterpret_cast<const CGrid*>(lParam);
      if (grid) {
        SetDlgItemTextW(dialog, IDC_SIZE_ROWS, decimal(static_cast<int64_t>(grid->mCore.mRowCount)).c_str());
        SetDlgItemTextW(dialog, IDC_SIZE_COLS, decimal(static_cast<int64_t>(grid->mCore.mColCount)).c_str());
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          int32_t rows = 0, cols = 0;
          if (readInt32(fieldText(dialog, IDC_SIZE_ROWS, 255), rows) == FieldNumber::OutOfRange) {
            refuse(dialog, kOutOfRange, IDC_SIZE_ROWS);
            return TRUE;
          }
          if (rows <= 1) {
            refuse(dialog, u"系统行占一行，所以表格行数必须大于等于2行！", IDC_SIZE_ROWS);
            return TRUE;
          }
          if (readInt32(fieldText(dialog, IDC_SIZE_COLS, 255), cols) == FieldNumber::OutOfRange) {
            refuse(dialog, kOutOfRange, IDC_SIZE_ROWS);
            return TRUE;
          }
          if (cols <= 1) {
            refuse(dialog, u"系统列占一列，所以表格列数必须大于等于2列！", IDC_SIZE_ROWS);
            return TRUE;
          }
          if (cols > 32768) {
            refuse(dialog, u"表格列数必须小于32768列！", IDC_SIZE_ROWS);
            return TRUE;
          }
          EndDialog(dialog, 1);
          if (CGrid* grid = gridOf(dialog)) {
            grid->guarded([&] { grid->mOps.resize(rows, cols); });
            grid->invalidate();
          }
          return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 2); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

void CGrid::showTableSize() {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TABLE_SIZE), mHwnd, tableSizeDialogProc,
                  reinterpret_cast<LPARAM>(this));
}

// ---------------------------------------------------------------- sort scope

INT_PTR CALLBACK sortScopeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      centreDialog(dialog);
      CheckRadioButton(dialog, IDC_SORT_EXPAND, IDC_SORT_ALONE, IDC_SORT_EXPAND);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, IsDlgButtonChecked(dialog, IDC_SORT_EXPAND) == BST_CHECKED ? 1 : 2);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

// ---------------------------------------------------------------- split settings

std::u16string proposedSplitPath(const std::u16string& path) {
  if (path.empty()) return path;
  const FileKind kind = fileKind(path);
  if (kind == FILE_CSV || kind == FILE_TXT) return path;
  const size_t slash = path.find_last_of(u"\\/");
  const size_t dot = path.rfind(u'.');
  const bool inName = dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash);
  return (inName ? path.substr(0, dot) : path) + u".csv";
}

INT_PTR CALLBACK splitSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
      centreDialog(dialog);
      CheckDlgButton(dialog, IDC_SPLIT_KEEP_HEADER, BST_CHECKED);
      CheckRadioButton(dialog, IDC_SPLIT_BY_ROWS, IDC_SPLIT_BY_PARTS, IDC_SPLIT_BY_PARTS);
      SetDlgItemTextW(dialog, IDC_SPLIT_ROWS, u"100");
      SetDlgItemTextW(dialog, IDC_SPLIT_PARTS, u"3");
      const auto* grid = reinterpret_cast<const CGrid*>(lParam);
      if (grid) SetDlgItemTextW(dialog, IDC_SPLIT_TARGET, proposedSplitPath(grid->mPath).c_str());
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          const bool keep = IsDlgButtonChecked(dialog, IDC_SPLIT_KEEP_HEADER) == BST_CHECKED;
          const bool byRows = IsDlgButtonChecked(dialog, IDC_SPLIT_BY_ROWS) == BST_CHECKED;
          const int field = byRows ? IDC_SPLIT_ROWS : IDC_SPLIT_PARTS;
          const std::u16string text = fieldText(dialog, field, 255);
          if (text.empty()) {
            refuse(dialog, byRows ? u"分割行数不能为空！" : u"分割份数不能为空！", field);
            return TRUE;
          }
          int32_t number = 0;
          const FieldNumber read = readInt32(text, number);
          if (read == FieldNumber::OutOfRange) {
            refuse(dialog, kOutOfRange, field);
            return TRUE;
          }
          if (number <= 0) {
            refuse(dialog, byRows ? u"分割行数必须大于0！" : u"分割份数必须大于0！", field);
            return TRUE;
          }
          const std::u16string target = fieldText(dialog, IDC_SPLIT_TARGET, 519);
          if (target.empty()) {
            refuse(dialog, u"请选择保存文件路径！", IDC_SPLIT_TARGET);
            return TRUE;
          }
          EndDialog(dialog, 1);
          if (CGrid* grid = gridOf(dialog)) grid->splitFile(target, keep, byRows, number);
          return TRUE;
        }
        case IDC_SPLIT_BROWSE: {
          const std::u16string chosen = askTextSavePath(dialog, fieldText(dialog, IDC_SPLIT_TARGET, 509), 510);
          if (!chosen.empty()) SetDlgItemTextW(dialog, IDC_SPLIT_TARGET, chosen.c_str());
          return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, 2); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

void CGrid::showSplitSettings() {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SPLIT_SETTINGS), mHwnd, splitSettingsDialogProc,
                  reinterpret_cast<LPARAM>(this));
}
