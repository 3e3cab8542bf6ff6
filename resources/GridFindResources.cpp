#include "resources/GridFindResources.h"

#include "platform/controls/Controls.h"
#include "platform/resources/Resources.h"
#include "platform/windows.h"
#include "resources/FindFilterIds.h"
#include "resources/StaticId.h"

namespace {

using platform::resources::Dialog;
using platform::resources::DialogItem;

constexpr DWORD TAB = WS_TABSTOP;
constexpr DWORD EDIT = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD CHECK = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD PUSH = BS_PUSHBUTTON | WS_TABSTOP;

DialogItem label(const char16_t* text, short x, short y, short cx, short cy = 10, WORD id = kStaticId) {
  return DialogItem{u"STATIC", text, id, SS_LEFT, 0, x, y, cx, cy};
}

// The options, the mode group and the result line, shared by both dialogs; `top` is the
// first line below the text fields.
void addOptions(Dialog& d, short top) {
  d.items.push_back(
      DialogItem{u"BUTTON", u"全词匹配(W)", IDC_FIND_WHOLE_CELL, CHECK | WS_GROUP, 0, 8, top, 100, 12});
  d.items.push_back(
      DialogItem{u"BUTTON", u"匹配大小写(C)", IDC_FIND_MATCH_CASE, CHECK, 0, 8, short(top + 15), 100, 12});
  d.items.push_back(DialogItem{u"BUTTON", u"循环查找(D)", IDC_FIND_WRAP, CHECK, 0, 8, short(top + 30), 100, 12});
  d.items.push_back(DialogItem{u"BUTTON", u"查找模式", kStaticId, BS_GROUPBOX, 0, 116, short(top - 6), 104, 56});
  d.items.push_back(DialogItem{u"BUTTON", u"普通", IDC_FIND_MODE_NORMAL, BS_AUTORADIOBUTTON | WS_GROUP | TAB, 0,
                               124, short(top + 4), 90, 12});
  d.items.push_back(DialogItem{u"BUTTON", u"扩展(\\r,\\n,\\t)", IDC_FIND_MODE_EXTENDED, BS_AUTORADIOBUTTON, 0, 124,
                               short(top + 18), 90, 12});
  d.items.push_back(DialogItem{u"BUTTON", u"正则表达式", IDC_FIND_MODE_REGEX, BS_AUTORADIOBUTTON, 0, 124,
                               short(top + 32), 90, 12});
  d.items.push_back(label(u"", 8, short(top + 58), 284, 20, IDC_FIND_RESULT));
}

Dialog findDialog() {
  Dialog d;
  d.id = IDD_FIND;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.cx = 300, d.cy = 118;
  d.caption = u"查找";
  d.items = {
      label(u"查找目标：", 8, 10, 50),
      DialogItem{u"EDIT", u"", IDC_FIND_TEXT, EDIT | WS_GROUP, 0, 60, 8, 160, 14},
      DialogItem{u"BUTTON", u"查找下一个", IDC_FIND_NEXT_BUTTON, BS_DEFPUSHBUTTON | TAB | WS_GROUP, 0, 230, 7, 62,
                 16},
      DialogItem{u"BUTTON", u"查找上一个", IDC_FIND_PREV_BUTTON, PUSH, 0, 230, 27, 62, 16},
      DialogItem{u"BUTTON", u"计数", IDC_FIND_COUNT_BUTTON, PUSH, 0, 230, 47, 62, 16},
  };
  addOptions(d, 34);
  return d;
}

Dialog replaceDialog() {
  Dialog d;
  d.id = IDD_REPLACE;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.cx = 300, d.cy = 136;
  d.caption = u"替换";
  d.items = {
      label(u"查找目标：", 8, 10, 50),
      DialogItem{u"EDIT", u"", IDC_FIND_TEXT, EDIT | WS_GROUP, 0, 60, 8, 160, 14},
      label(u"替换为(P)：", 8, 30, 50),
      DialogItem{u"EDIT", u"", IDC_REPLACE_TEXT, EDIT, 0, 60, 28, 160, 14},
      DialogItem{u"BUTTON", u"查找下一个", IDC_FIND_NEXT_BUTTON, BS_DEFPUSHBUTTON | TAB | WS_GROUP, 0, 230, 7, 62,
                 16},
      DialogItem{u"BUTTON", u"替换", IDC_REPLACE_BUTTON, PUSH, 0, 230, 27, 62, 16},
      DialogItem{u"BUTTON", u"全部替换", IDC_REPLACE_ALL_BUTTON, PUSH, 0, 230, 47, 62, 16},
  };
  addOptions(d, 54);
  return d;
}

// The column filter popup: no caption; the list control fills the space between the
// condition line and the buttons.
Dialog filterPopup() {
  Dialog d;
  d.id = IDD_FILTER_POPUP;
  d.style = WS_POPUP;
  d.cx = 150, d.cy = 200;
  d.items = {
      DialogItem{u"COMBOBOX", u"", IDC_FILTER_CONDITION, CBS_DROPDOWNLIST | TAB, 0, 4, 4, 54, 120},
      DialogItem{u"EDIT", u"", IDC_FILTER_TEXT, EDIT, 0, 60, 4, 70, 13},
      DialogItem{u"BUTTON", u"X", IDC_FILTER_CLEAR_TEXT, PUSH, 0, 132, 4, 14, 13},
      DialogItem{u"BUTTON", u"确定", IDOK, BS_DEFPUSHBUTTON | TAB, 0, 50, 176, 45, 14},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, PUSH, 0, 100, 176, 45, 14},
  };
  return d;
}

// The list control (made by the dialog) fills the space between the options and the
// buttons: 55 pixels from the top, 55 from the bottom.
Dialog deleteDuplicatesDialog() {
  Dialog d;
  d.id = IDD_DELETE_DUPLICATES;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  d.cx = 240, d.cy = 200;
  d.caption = u"删除重复方案";
  d.items = {
      label(u"删除依据：", 6, 4, 44),
      DialogItem{u"BUTTON", u"扩展选定区域（E）", IDC_DELETE_DUP_EXPAND, BS_AUTORADIOBUTTON | WS_GROUP | TAB, 0, 52,
                 3, 86, 10},
      DialogItem{u"BUTTON", u"以当前选定区域（C）", IDC_DELETE_DUP_ALONE, BS_AUTORADIOBUTTON, 0, 140, 3, 96, 10},
      DialogItem{u"BUTTON", u"包含标题(&M)", IDC_DELETE_DUP_HEADER, CHECK | WS_GROUP, 0, 6, 14, 80, 10},
      DialogItem{u"BUTTON", u"匹配大小写", IDC_DELETE_DUP_MATCH_CASE, CHECK, 0, 92, 14, 80, 10},
      label(u"请选择一个或者多个包含重复项的列：", 6, 24, 200, 8),
      DialogItem{u"BUTTON", u"删除重复项", IDOK, BS_DEFPUSHBUTTON | TAB | WS_GROUP, 0, 110, 176, 60, 14},
      DialogItem{u"BUTTON", u"取消", IDCANCEL, PUSH, 0, 176, 176, 58, 14},
  };
  return d;
}

}  // namespace

void registerFindFilterResources() {
  static bool done = false;
  if (done) return;
  done = true;
  platform::resources::Table table;
  table.dialogs.push_back(findDialog());
  table.dialogs.push_back(replaceDialog());
  table.dialogs.push_back(filterPopup());
  table.dialogs.push_back(deleteDuplicatesDialog());
  for (Dialog& d : table.dialogs)
    for (DialogItem& item : d.items) item.style |= WS_VISIBLE;
  platform::resources::addTable(table);
}
