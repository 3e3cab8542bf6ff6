#include "resources/FileToolResources.h"

#include "platform/controls/Controls.h"
#include "platform/controls/commctrl.h"
#include "platform/resources/Resources.h"
#include "platform/windows.h"
#include "resources/FileToolIds.h"
#include "resources/MainIds.h"
#include "resources/StaticId.h"

namespace {

using platform::resources::Dialog;
using platform::resources::DialogItem;

constexpr DWORD kTool = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kList = WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
constexpr DWORD kButton = WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP;

DialogItem text(const char16_t* s, WORD id, short x, short y, short cx, short cy) {
  return DialogItem{u"STATIC", s, id, WS_VISIBLE, 0, x, y, cx, cy};
}

Dialog mergeDialog() {
  Dialog d;
  d.id = IDD_FILES_MERGE;
  d.style = kTool;
  d.cx = 291, d.cy = 269;
  d.caption = u"文件合并";
  d.items = {
      DialogItem{u"LISTBOX", u"", IDC_FILES_LIST, kList, 0, 7, 7, 220, 150},
      DialogItem{u"BUTTON", u"..文件", IDC_FILES_ADD, kButton, 0, 234, 7, 50, 14},
      DialogItem{u"BUTTON", u"..文件夹", IDC_FILES_ADD_FOLDER, kButton, 0, 234, 25, 50, 14},
      DialogItem{u"BUTTON", u"去掉其他文件标题行:", IDC_FILES_HEADER, WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 0,
                 7, 166, 90, 10},
      DialogItem{u"EDIT", u"", IDC_FILES_HEADER_LINES, kEdit, 0, 100, 164, 30, 14},
      text(u"行", kStaticId, 134, 166, 12, 8),
      text(u"  文件保存全路径：", kStaticId, 7, 187, 76, 8),
      DialogItem{u"EDIT", u"", IDC_FILES_OUTPUT, kEdit, 0, 84, 185, 174, 14},
      DialogItem{u"BUTTON", u"...", IDC_FILES_BROWSE, kButton, 0, 262, 185, 22, 14},
      text(u"正处理文件：", IDC_FILES_CURRENT, 7, 208, 277, 8),
      text(u"处理进度：", IDC_FILES_PROGRESS, 7, 222, 277, 8),
      DialogItem{u"BUTTON", u"确定", IDABORT, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 176, 246, 50, 14},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 234, 246, 50, 14},
  };
  return d;
}

Dialog splitDialog() {
  Dialog d;
  d.id = IDD_FILES_SPLIT;
  d.style = kTool;
  d.cx = 285, d.cy = 294;
  d.caption = u"文件分割";
  d.items = {
      text(u"打开要分割的文件：", kStaticId, 7, 7, 100, 8),
      DialogItem{u"LISTBOX", u"", IDC_FILES_LIST, kList | LBS_SORT, 0, 7, 18, 214, 140},
      DialogItem{u"BUTTON", u"..文件", IDC_FILES_ADD, kButton, 0, 228, 18, 50, 14},
      DialogItem{u"BUTTON", u"..文件夹", IDC_FILES_ADD_FOLDER, kButton, 0, 228, 36, 50, 14},
      DialogItem{u"BUTTON", u"保留标题行：", IDC_FILES_HEADER, WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 0, 7, 166,
                 70, 10},
      DialogItem{u"EDIT", u"", IDC_FILES_HEADER_LINES, kEdit, 0, 80, 164, 30, 14},
      text(u"行", kStaticId, 114, 166, 12, 8),
      DialogItem{u"BUTTON", u"按行数分割：", IDC_FILES_BY_LINES,
                 WS_VISIBLE | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, 7, 186, 70, 10},
      DialogItem{u"EDIT", u"", IDC_FILES_LINES, kEdit, 0, 80, 184, 50, 14},
      text(u"行", kStaticId, 134, 186, 12, 8),
      DialogItem{u"BUTTON", u"按份数分割：", IDC_FILES_BY_PARTS, WS_VISIBLE | BS_AUTORADIOBUTTON | WS_TABSTOP, 0, 7,
                 204, 70, 10},
      DialogItem{u"EDIT", u"", IDC_FILES_PARTS, kEdit, 0, 80, 202, 50, 14},
      text(u"份", kStaticId, 134, 204, 12, 8),
      text(u"  文件保存路径：", kStaticId, 7, 226, 70, 8),
      DialogItem{u"EDIT", u"", IDC_FILES_OUTPUT, kEdit, 0, 80, 224, 174, 14},
      DialogItem{u"BUTTON", u"...", IDC_FILES_BROWSE, kButton, 0, 256, 224, 22, 14},
      text(u"正处理文件：", IDC_FILES_CURRENT, 7, 246, 271, 8),
      text(u"处理进度：", IDC_FILES_PROGRESS, 7, 260, 271, 8),
      DialogItem{u"BUTTON", u"确定", IDABORT, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 170, 274, 50, 14},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 228, 274, 50, 14},
  };
  return d;
}

Dialog aboutDialog() {
  Dialog d;
  d.id = IDD_ABOUT;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  d.cx = 175, d.cy = 75;
  d.caption = u"关于 Morvel";
  const std::u16string link = std::u16string(u"<a href=\"") + MORVEL_README_PATH + u"\">使用说明</a>";
  d.items = {
      DialogItem{u"STATIC", u"", kStaticId, WS_VISIBLE | SS_ICON, 0, 14, 14, 21, 20, IDI_SMALL},
      text(u"Morvel，版本 4.5", kStaticId, 42, 14, 114, 8),
      DialogItem{u"BUTTON", u"确定", IDOK, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 118, 54, 50,
                 14},
      DialogItem{WC_LINK, link, IDC_ABOUT_LINK, WS_VISIBLE | WS_TABSTOP, 0, 41, 38, 108, 14},
  };
  return d;
}

}  // namespace

void registerFileToolResources() {
  static bool done = false;
  if (done) return;
  done = true;
  platform::resources::Table table;
  table.dialogs.push_back(mergeDialog());
  table.dialogs.push_back(splitDialog());
  table.dialogs.push_back(aboutDialog());
  platform::resources::addTable(table);
}
