#include "resources/ToolResources.h"

#include "platform/controls/Controls.h"
#include "platform/resources/Resources.h"
#include "platform/windows.h"

namespace {

using platform::resources::Dialog;
using platform::resources::DialogItem;

constexpr DWORD kCombo = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

Dialog toolDialog(WORD id, const char16_t* caption, short cx, short cy) {
  Dialog d;
  d.id = id;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  d.cx = cx, d.cy = cy;
  d.caption = caption;
  return d;
}

DialogItem label(const char16_t* text, short x, short y, short cx) {
  return DialogItem{u"STATIC", text, 0xFFFF, SS_RIGHT, 0, x, short(y + 2), cx, 10};
}

// One line: a label, a combo (its list dropping 120 units) and its "获取" button.
void comboLine(Dialog& d, const char16_t* text, WORD combo, WORD pick, short y, short labelWidth = 60,
               short comboWidth = 200) {
  const short x = short(8 + labelWidth + 4);
  d.items.push_back(label(text, 8, y, labelWidth));
  d.items.push_back(DialogItem{u"COMBOBOX", u"", combo, kCombo, 0, x, y, comboWidth, 120});
  d.items.push_back(DialogItem{u"BUTTON", u"获取", pick, kButton, 0, short(x + comboWidth + 6), y, 40, 14});
}

Dialog findMatchDialog() {
  Dialog d = toolDialog(172, u"查找匹配", 381, 160);
  comboLine(d, u"写入位置列：", 1037, 1038, 10, 70, 240);
  comboLine(d, u"查找数据列：", 1040, 1043, 32, 70, 240);
  comboLine(d, u"要查找区域：", 1041, 1044, 54, 70, 240);
  comboLine(d, u"返回值的列：", 1042, 1045, 76, 70, 240);
  d.items.push_back(label(u"返回的列数：", 8, 98, 70));
  d.items.push_back(DialogItem{u"COMBOBOX", u"", 1046, kCombo, 0, 82, 98, 60, 120});
  d.items.push_back(DialogItem{u"BUTTON", u"查找匹配", 1036, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 280, 134, 90, 16});
  return d;
}

// Dialogs 174 and 180: source and lookup tables, three match columns, the run button.
Dialog twoTableDialog(WORD id, const char16_t* caption, short cx, const WORD combos[5], const WORD picks[5],
                      WORD run, const char16_t* runText) {
  Dialog d = toolDialog(id, caption, cx, 160);
  const char16_t* labels[5] = {u"原始表：", u"查找表：", u"匹配列1：", u"匹配列2：", u"匹配列3："};
  for (int i = 0; i < 5; ++i) comboLine(d, labels[i], combos[i], picks[i], short(8 + 22 * i), 60, 240);
  d.items.push_back(DialogItem{u"BUTTON", runText, run, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, short(cx - 108), 134, 100, 16});
  return d;
}

Dialog columnMergeDialog() {
  Dialog d = toolDialog(179, u"列字符串合并", 381, 208);
  comboLine(d, u"要合并的列1：", 1065, 1067, 8, 66);
  d.items.push_back(label(u"间隔字符串：", 8, 28, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", 1066, kEdit, 0, 78, 28, 80, 14});
  comboLine(d, u"要合并的列2：", 1039, 1068, 48, 66);
  d.items.push_back(label(u"间隔字符串：", 8, 68, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", 1085, kEdit, 0, 78, 68, 80, 14});
  comboLine(d, u"要合并的列3：", 1041, 1069, 88, 66);
  d.items.push_back(label(u"间隔字符串：", 8, 108, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", 1086, kEdit, 0, 78, 108, 80, 14});
  comboLine(d, u"要合并的列4：", 1043, 1070, 128, 66);
  comboLine(d, u"结果写入列：", 1045, 1071, 152, 66);
  d.items.push_back(DialogItem{u"BUTTON", u"合并", 1072, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 290, 184, 80, 16});
  return d;
}

Dialog columnSplitDialog() {
  Dialog d = toolDialog(176, u"列字符串分割", 381, 168);
  comboLine(d, u"要分割的列：", 1059, 1058, 8, 66);
  d.items.push_back(label(u"分割字符串：", 8, 28, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", 1064, kEdit, 0, 78, 28, 80, 14});
  comboLine(d, u"结果写入列1：", 1060, 1040, 52, 66);
  comboLine(d, u"结果写入列2：", 1061, 1042, 72, 66);
  comboLine(d, u"结果写入列3：", 1062, 1044, 92, 66);
  comboLine(d, u"结果写入列4：", 1063, 1046, 112, 66);
  d.items.push_back(DialogItem{u"BUTTON", u"分割", 1047, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 290, 144, 80, 16});
  return d;
}

Dialog classifySaveDialog() {
  Dialog d = toolDialog(181, u"分类另存设置", 300, 148);
  d.items.push_back(
      DialogItem{u"BUTTON", u"保留第一行标题", 1000, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 78, 8, 100, 12});
  comboLine(d, u"分类内容列1：", 1060, 1040, 26, 66, 120);
  comboLine(d, u"分类内容列2：", 1061, 1041, 46, 66, 120);
  comboLine(d, u"分类内容列3：", 1062, 1042, 66, 66, 120);
  d.items.push_back(label(u"  文件保存全路径：", 8, 90, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", 1005, kEdit, 0, 78, 90, 176, 14});
  d.items.push_back(DialogItem{u"BUTTON", u"...", 1006, kButton, 0, 258, 90, 30, 14});
  d.items.push_back(DialogItem{u"BUTTON", u"确定", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 150, 124, 64, 16});
  d.items.push_back(DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 224, 124, 64, 16});
  return d;
}

}  // namespace

void registerToolResources() {
  static bool done = false;
  if (done) return;
  done = true;
  static const WORD dedupeCombos[5] = {1039, 1048, 1049, 1050, 1051};
  static const WORD dedupePicks[5] = {1053, 1054, 1055, 1056, 1047};
  static const WORD duplicateCombos[5] = {1089, 1088, 1087, 1086, 1085};
  static const WORD duplicatePicks[5] = {1090, 1091, 1092, 1093, 1094};
  platform::resources::Table table;
  table.dialogs.push_back(findMatchDialog());
  table.dialogs.push_back(twoTableDialog(174, u"两表去重复", 381, dedupeCombos, dedupePicks, 1052, u"去重并生成新表"));
  table.dialogs.push_back(twoTableDialog(180, u"两表求重复", 389, duplicateCombos, duplicatePicks, 1084, u"求重并生成新表"));
  table.dialogs.push_back(columnSplitDialog());
  table.dialogs.push_back(columnMergeDialog());
  table.dialogs.push_back(classifySaveDialog());
  for (Dialog& d : table.dialogs)
    for (DialogItem& item : d.items) item.style |= WS_VISIBLE;
  platform::resources::addTable(table);
}
