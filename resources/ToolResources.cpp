#include "resources/ToolResources.h"

#include "platform/controls/Controls.h"
#include "platform/resources/Resources.h"
#include "platform/windows.h"
#include "resources/StaticId.h"
#include "resources/ToolIds.h"

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
  return DialogItem{u"STATIC", text, kStaticId, SS_RIGHT, 0, x, short(y + 2), cx, 10};
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
  Dialog d = toolDialog(IDD_FIND_MATCH, u"查找匹配", 381, 160);
  comboLine(d, u"写入位置列：", IDC_MATCH_WRITE, IDC_MATCH_WRITE_PICK, 10, 70, 240);
  comboLine(d, u"查找数据列：", IDC_MATCH_DATA, IDC_MATCH_DATA_PICK, 32, 70, 240);
  comboLine(d, u"要查找区域：", IDC_MATCH_AREA, IDC_MATCH_AREA_PICK, 54, 70, 240);
  comboLine(d, u"返回值的列：", IDC_MATCH_RETURN, IDC_MATCH_RETURN_PICK, 76, 70, 240);
  d.items.push_back(label(u"返回的列数：", 8, 98, 70));
  d.items.push_back(DialogItem{u"COMBOBOX", u"", IDC_MATCH_COUNT, kCombo, 0, 82, 98, 60, 120});
  d.items.push_back(
      DialogItem{u"BUTTON", u"查找匹配", IDC_MATCH_RUN, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 280, 134, 90, 16});
  return d;
}

// The two-table dialogs: source and lookup tables, three match columns, the run button.
Dialog twoTableDialog(WORD id, const char16_t* caption, short cx, const WORD combos[5], const WORD picks[5],
                      WORD run, const char16_t* runText) {
  Dialog d = toolDialog(id, caption, cx, 160);
  const char16_t* labels[5] = {u"原始表：", u"查找表：", u"匹配列1：", u"匹配列2：", u"匹配列3："};
  for (int i = 0; i < 5; ++i) comboLine(d, labels[i], combos[i], picks[i], short(8 + 22 * i), 60, 240);
  d.items.push_back(
      DialogItem{u"BUTTON", runText, run, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, short(cx - 108), 134, 100, 16});
  return d;
}

Dialog columnMergeDialog() {
  Dialog d = toolDialog(IDD_COLUMN_MERGE, u"列字符串合并", 381, 208);
  comboLine(d, u"要合并的列1：", IDC_COLUMN_MERGE_COLUMN1, IDC_COLUMN_MERGE_COLUMN1_PICK, 8, 66);
  d.items.push_back(label(u"间隔字符串：", 8, 28, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", IDC_COLUMN_MERGE_SEPARATOR1, kEdit, 0, 78, 28, 80, 14});
  comboLine(d, u"要合并的列2：", IDC_COLUMN_MERGE_COLUMN2, IDC_COLUMN_MERGE_COLUMN2_PICK, 48, 66);
  d.items.push_back(label(u"间隔字符串：", 8, 68, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", IDC_COLUMN_MERGE_SEPARATOR2, kEdit, 0, 78, 68, 80, 14});
  comboLine(d, u"要合并的列3：", IDC_COLUMN_MERGE_COLUMN3, IDC_COLUMN_MERGE_COLUMN3_PICK, 88, 66);
  d.items.push_back(label(u"间隔字符串：", 8, 108, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", IDC_COLUMN_MERGE_SEPARATOR3, kEdit, 0, 78, 108, 80, 14});
  comboLine(d, u"要合并的列4：", IDC_COLUMN_MERGE_COLUMN4, IDC_COLUMN_MERGE_COLUMN4_PICK, 128, 66);
  comboLine(d, u"结果写入列：", IDC_COLUMN_MERGE_RESULT, IDC_COLUMN_MERGE_RESULT_PICK, 152, 66);
  d.items.push_back(
      DialogItem{u"BUTTON", u"合并", IDC_COLUMN_MERGE_RUN, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 290, 184, 80, 16});
  return d;
}

Dialog columnSplitDialog() {
  Dialog d = toolDialog(IDD_COLUMN_SPLIT, u"列字符串分割", 381, 168);
  comboLine(d, u"要分割的列：", IDC_COLUMN_SPLIT_SOURCE, IDC_COLUMN_SPLIT_SOURCE_PICK, 8, 66);
  d.items.push_back(label(u"分割字符串：", 8, 28, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", IDC_COLUMN_SPLIT_SEPARATORS, kEdit, 0, 78, 28, 80, 14});
  comboLine(d, u"结果写入列1：", IDC_COLUMN_SPLIT_RESULT1, IDC_COLUMN_SPLIT_RESULT1_PICK, 52, 66);
  comboLine(d, u"结果写入列2：", IDC_COLUMN_SPLIT_RESULT2, IDC_COLUMN_SPLIT_RESULT2_PICK, 72, 66);
  comboLine(d, u"结果写入列3：", IDC_COLUMN_SPLIT_RESULT3, IDC_COLUMN_SPLIT_RESULT3_PICK, 92, 66);
  comboLine(d, u"结果写入列4：", IDC_COLUMN_SPLIT_RESULT4, IDC_COLUMN_SPLIT_RESULT4_PICK, 112, 66);
  d.items.push_back(
      DialogItem{u"BUTTON", u"分割", IDC_COLUMN_SPLIT_RUN, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 290, 144, 80, 16});
  return d;
}

Dialog classifySaveDialog() {
  Dialog d = toolDialog(IDD_CLASSIFY_SAVE, u"分类另存设置", 300, 148);
  d.items.push_back(DialogItem{u"BUTTON", u"保留第一行标题", IDC_CLASSIFY_HEADER, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
                               78, 8, 100, 12});
  comboLine(d, u"分类内容列1：", IDC_CLASSIFY_KEY1, IDC_CLASSIFY_KEY1_PICK, 26, 66, 120);
  comboLine(d, u"分类内容列2：", IDC_CLASSIFY_KEY2, IDC_CLASSIFY_KEY2_PICK, 46, 66, 120);
  comboLine(d, u"分类内容列3：", IDC_CLASSIFY_KEY3, IDC_CLASSIFY_KEY3_PICK, 66, 66, 120);
  d.items.push_back(label(u"  文件保存全路径：", 8, 90, 66));
  d.items.push_back(DialogItem{u"EDIT", u"", IDC_CLASSIFY_FOLDER, kEdit, 0, 78, 90, 176, 14});
  d.items.push_back(DialogItem{u"BUTTON", u"...", IDC_CLASSIFY_BROWSE, kButton, 0, 258, 90, 30, 14});
  d.items.push_back(DialogItem{u"BUTTON", u"确定", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 150, 124, 64, 16});
  d.items.push_back(DialogItem{u"BUTTON", u"取消", IDCANCEL, kButton, 0, 224, 124, 64, 16});
  return d;
}

}  // namespace

void registerToolResources() {
  static bool done = false;
  if (done) return;
  done = true;
  static const WORD dedupeCombos[5] = {IDC_DEDUPE_SOURCE, IDC_DEDUPE_LOOKUP, IDC_DEDUPE_MATCH1, IDC_DEDUPE_MATCH2,
                                       IDC_DEDUPE_MATCH3};
  static const WORD dedupePicks[5] = {IDC_DEDUPE_SOURCE_PICK, IDC_DEDUPE_LOOKUP_PICK, IDC_DEDUPE_MATCH1_PICK,
                                      IDC_DEDUPE_MATCH2_PICK, IDC_DEDUPE_MATCH3_PICK};
  static const WORD duplicateCombos[5] = {IDC_DUPLICATES_SOURCE, IDC_DUPLICATES_LOOKUP, IDC_DUPLICATES_MATCH1,
                                          IDC_DUPLICATES_MATCH2, IDC_DUPLICATES_MATCH3};
  static const WORD duplicatePicks[5] = {IDC_DUPLICATES_SOURCE_PICK, IDC_DUPLICATES_LOOKUP_PICK,
                                         IDC_DUPLICATES_MATCH1_PICK, IDC_DUPLICATES_MATCH2_PICK,
                                         IDC_DUPLICATES_MATCH3_PICK};
  platform::resources::Table table;
  table.dialogs.push_back(findMatchDialog());
  table.dialogs.push_back(twoTableDialog(IDD_TWO_TABLE_DEDUPE, u"两表去重复", 381, dedupeCombos, dedupePicks,
                                         IDC_DEDUPE_RUN, u"去重并生成新表"));
  table.dialogs.push_back(twoTableDialog(IDD_TWO_TABLE_DUPLICATES, u"两表求重复", 389, duplicateCombos,
                                         duplicatePicks, IDC_DUPLICATES_RUN, u"求重并生成新表"));
  table.dialogs.push_back(columnSplitDialog());
  table.dialogs.push_back(columnMergeDialog());
  table.dialogs.push_back(classifySaveDialog());
  for (Dialog& d : table.dialogs)
    for (DialogItem& item : d.items) item.style |= WS_VISIBLE;
  platform::resources::addTable(table);
}
