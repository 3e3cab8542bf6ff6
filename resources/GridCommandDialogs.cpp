#include "resources/GridCommandDialogs.h"

#include "platform/controls/Controls.h"
#include "platform/windows.h"
#include "resources/GridDialogIds.h"
#include "resources/StaticId.h"

namespace {

using platform::resources::Dialog;
using platform::resources::DialogItem;

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefault = BS_DEFPUSHBUTTON | WS_TABSTOP;

DialogItem label(const char16_t* text, short x, short y, short cx, short cy = 10) {
  return DialogItem{u"STATIC", text, kStaticId, SS_LEFT, 0, x, y, cx, cy};
}

Dialog gotoDialog() {
  Dialog d;
  d.id = IDD_GOTO;
  d.style = kDialogStyle;
  d.cx = 170, d.cy = 76;
  d.caption = u"转跳";
  d.items = {
      label(u"行：", 10, 12, 30),
      DialogItem{u"EDIT", u"", IDC_GOTO_ROW, kEdit, 0, 42, 10, 118, 14},
      label(u"列：", 10, 34, 30),
      DialogItem{u"EDIT", u"", IDC_GOTO_COL, kEdit, 0, 42, 32, 118, 14},
      DialogItem{u"BUTTON", u"确定", IDOK, kDefault, 0, 56, 54, 50, 16},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 110, 54, 50, 16},
  };
  return d;
}

Dialog tableSizeDialog() {
  Dialog d;
  d.id = IDD_TABLE_SIZE;
  d.style = kDialogStyle;
  d.cx = 190, d.cy = 76;
  d.caption = u"设置表格行列数";
  d.items = {
      label(u"行数：", 10, 12, 50),
      DialogItem{u"EDIT", u"", IDC_SIZE_ROWS, kEdit, 0, 62, 10, 118, 14},
      label(u"列数：", 10, 34, 50),
      DialogItem{u"EDIT", u"", IDC_SIZE_COLS, kEdit, 0, 62, 32, 118, 14},
      DialogItem{u"BUTTON", u"确定", IDOK, kDefault, 0, 76, 54, 50, 16},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 130, 54, 50, 16},
  };
  return d;
}

Dialog sortScopeDialog() {
  Dialog d;
  d.id = IDD_SORT_SCOPE;
  d.style = kDialogStyle;
  d.cx = 250, d.cy = 112;
  d.caption = u"排序方案";
  d.items = {
      label(u"Morvel发现在选定区域外还有数据。该数据未被选择，将不参与排序。", 10, 8, 230, 22),
      label(u"请给出排序依据：", 10, 34, 230),
      DialogItem{u"BUTTON", u"扩展选定区域（E）", IDC_SORT_EXPAND, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0,
                 20, 48, 200, 12},
      DialogItem{u"BUTTON", u"以当前选定区域排序（C）", IDC_SORT_ALONE, BS_AUTORADIOBUTTON, 0, 20, 64, 200, 12},
      DialogItem{u"BUTTON", u"排序", IDOK, kDefault | WS_GROUP, 0, 136, 88, 50, 16},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 190, 88, 50, 16},
  };
  return d;
}

Dialog splitSettingsDialog() {
  Dialog d;
  d.id = IDD_SPLIT_SETTINGS;
  d.style = kDialogStyle;
  d.cx = 280, d.cy = 120;
  d.caption = u"分割设置";
  d.items = {
      DialogItem{u"BUTTON", u"保留第一行标题", IDC_SPLIT_KEEP_HEADER, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 10, 8, 160,
                 12},
      DialogItem{u"BUTTON", u"按行数分割：", IDC_SPLIT_BY_ROWS, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 10,
                 28, 64, 12},
      DialogItem{u"BUTTON", u"按份数分割：", IDC_SPLIT_BY_PARTS, BS_AUTORADIOBUTTON, 0, 10, 48, 64, 12},
      DialogItem{u"EDIT", u"", IDC_SPLIT_ROWS, kEdit | WS_GROUP, 0, 78, 26, 80, 14},
      DialogItem{u"EDIT", u"", IDC_SPLIT_PARTS, kEdit, 0, 78, 46, 80, 14},
      label(u"保存路径：", 10, 70, 52),
      DialogItem{u"EDIT", u"", IDC_SPLIT_TARGET, kEdit, 0, 64, 68, 176, 14},
      DialogItem{u"BUTTON", u"...", IDC_SPLIT_BROWSE, kButton, 0, 244, 68, 26, 14},
      DialogItem{u"BUTTON", u"确定", IDOK, kDefault, 0, 166, 96, 50, 16},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 220, 96, 50, 16},
  };
  return d;
}

}  // namespace

void addGridCommandDialogs(platform::resources::Table& table) {
  table.dialogs.push_back(splitSettingsDialog());
  table.dialogs.push_back(tableSizeDialog());
  table.dialogs.push_back(sortScopeDialog());
  table.dialogs.push_back(gotoDialog());
}
