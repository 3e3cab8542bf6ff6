// The main window's resources: its menu and accelerator table, the window title and class
// name strings, and the program's icons, large and small (their ids: MainIds.h).
#include "resources/MainResources.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/resources/Resources.h"
#include "platform/windows.h"
#include "resources/GridIds.h"
#include "resources/MainIds.h"

namespace {

using platform::resources::Accelerator;
using platform::resources::AcceleratorTable;
using platform::resources::Icon;
using platform::resources::Menu;
using platform::resources::MenuItem;

// The text of every command item of the main menu, blanks before the shortcut included.
const std::map<UINT, const char16_t*>& commandTexts() {
  static const std::map<UINT, const char16_t*> texts = {
      {ID_ABOUT, u"关于(&A) ..."},
      {ID_EXIT, u"退出(&X)"},
      {ID_NEW, u"新建(&N)          Ctrl+N"},
      {ID_OPEN, u"打开(&O)          Ctrl+O"},
      {ID_SAVE, u"保存(&S)          Ctrl+S"},
      {ID_SAVE_AS, u"另存(&A)          Ctrl+Alt+S"},
      {ID_APPEND, u"文件追加(&L)           Ctrl+L"},
      {ID_SPLIT_FILE, u"文件分割(&K)          Ctrl+K"},
      {ID_UNDO, u"撤销(&Z)          Ctrl+Z"},
      {ID_REDO, u"重做(&Y)          Ctrl+Y"},
      {ID_CUT, u"剪切(&X)          Ctrl+X"},
      {ID_COPY, u"复制(&C)          Ctrl+C"},
      {ID_PASTE, u"粘贴(&V)          Ctrl+V"},
      {ID_CLEAR, u"清除(&D)          Ctrl+D"},
      {ID_DELETE, u"删除(&N)          DEL"},
      {ID_SELECT_ALL, u"全选(&A)          Ctrl+A"},
      {ID_INSERT1, u"插入行/列(&I)    Ctrl+I"},
      {ID_INSERT2, u"插入2行/列"},
      {ID_RESTORE_SIZES, u"恢复宽高"},
      {ID_HIDE, u"隐藏"},
      {ID_UNHIDE, u"取消隐藏"},
      {ID_FREEZE, u"冻结/取消      Ctrl+Alt+P"},
      {ID_ZOOM_IN, u"放大             Ctrl+WheelUp"},
      {ID_ZOOM_OUT, u"缩小             Ctrl+WheelDown"},
      {ID_KIND_EXPRTK, u"设置Exprtk脚本"},
      {ID_KIND_C, u"设置TCC脚本"},
      {ID_KIND_PYTHON, u"设置Python脚本"},
      {ID_KIND_TEXT, u"设置普通文本"},
      {ID_FILTER, u"设置过滤(&F)    Ctrl+Alt+F"},
      {ID_SORT_UP, u"升序排序        Alt+A"},
      {ID_SORT_DOWN, u"降序排序        Alt+D"},
      {ID_ADD_ROWS, u"添加300行"},
      {ID_ADD_COLS, u"添加26列"},
      {ID_TABLE_SIZE, u"设置行列数     Ctrl+Alt+R"},
      {ID_FIND, u"查找(&F)              Ctrl+F"},
      {ID_FIND_NEXT, u"查找下一个(&N)    F3"},
      {ID_FIND_PREV, u"查找上一个(&B)    Shift+F3"},
      {ID_REPLACE, u"替换(&H)             Ctrl+H"},
      {ID_REPLACE_NEXT, u"替换下一个(&R)    Alt+R"},
      {ID_REPLACE_ALL, u"全部替换(&A)       Alt+A"},
      {ID_HELP, u"查看帮助(&H)    F1"},
      {ID_RUN_ALL, u"运行全部脚本(&A)    F5"},
      {ID_RUN_SELECTED, u"运行选择脚本(&S)    F8"},
      {ID_BANDED_ROWS, u"隔行颜色"},
      {ID_DELETE_DUPLICATES, u"删除重复"},
      {ID_PAGED_OPEN, u"分页打开(&H)    Alt+O"},
      {ID_GOTO, u"转跳(&G)         Ctrl+G"},
      {ID_SAVE_FILTERED, u"过滤数据另存"},
      {ID_ENC_UTF8, u"设置为UTF8格式"},
      {ID_ENC_UTF8_NOBOM, u"设置为UTF8无BOM格式"},
      {ID_ENC_UTF16LE, u"设置为UNICODE格式"},
      {ID_ENC_UTF16BE, u"设置为UNICODE BIG ENDIAN格式"},
      {ID_ENC_ANSI, u"设置为ANSI格式"},
      {ID_FORMULA_SUM, u"求和"},
      {ID_FORMULA_AVERAGE, u"求平均"},
      {ID_FORMULA_COUNT, u"求个数"},
      {ID_FORMULA_MAX, u"求最大值"},
      {ID_FORMULA_MIN, u"求最小值"},
      {ID_FIND_MATCH, u"查找匹配"},
      {ID_SAVE_ALL, u"全部保存(&L)    Ctrl+Shift+S"},
      {ID_TWO_TABLE_DEDUPE, u"两表去重"},
      {ID_TWO_TABLE_DUPLICATES, u"两表求重复"},
      {ID_SYSTEM_SCRIPT, u"设置系统脚本"},
      {ID_CLASSIFY_SETTINGS, u"设置分类"},
      {ID_IMPORT_PLUGIN, u"导入脚本"},
      {ID_BATCH_FILTER, u"批量设置过滤"},
      {ID_BATCH_SAVE_FILTERED, u"批量保存过滤"},
      {ID_QUOTES_ON, u"判断双引号"},
      {ID_QUOTES_OFF, u"不判断双引号"},
      {ID_COMMAND_WINDOW, u"打开命令行窗口"},
      {ID_COLUMN_MERGE, u"列数据合并"},
      {ID_COLUMN_SPLIT, u"列数据分割"},
      {ID_CLASSIFY_SAVE, u"分类另存"},
      {ID_FILES_MERGE, u"多文件合并"},
      {ID_FILES_SPLIT, u"多文件分割"},
      {ID_SEPARATOR_AUTO, u"自动判断分隔符"},
      {ID_SEPARATOR_COMMA, u"逗号(,)"},
      {ID_SEPARATOR_TAB, u"TAB"},
      {ID_SEPARATOR_SPACE, u"空格"},
      {ID_SEPARATOR_SEMICOLON, u"分号(;)"},
      {ID_SEPARATOR_BAR, u"竖线(|)"},
      {ID_SEPARATOR_BACKSLASH, u"反斜杠(\\)"},
      {ID_SEPARATOR_COLON, u"冒号(:)"},
  };
  return texts;
}

MenuItem item(UINT id, UINT flags = 0) { return MenuItem{commandTexts().at(id), id, flags, {}}; }
MenuItem bar() { return MenuItem{u"", 0, MF_SEPARATOR, {}}; }
MenuItem popup(const char16_t* text, std::vector<MenuItem> items) {
  return MenuItem{text, 0, MF_POPUP, std::move(items)};
}
std::vector<MenuItem> items(std::initializer_list<UINT> ids) {
  std::vector<MenuItem> out;
  for (UINT id : ids) out.push_back(id ? item(id) : bar());
  return out;
}
std::vector<MenuItem> range(UINT first, UINT last) {
  std::vector<MenuItem> out;
  for (UINT id = first; id <= last; ++id) out.push_back(item(id));
  return out;
}

Menu mainMenu() {
  std::vector<MenuItem> file =
      items({ID_NEW, ID_OPEN, ID_PAGED_OPEN, ID_SAVE, ID_SAVE_ALL, ID_SAVE_AS, ID_SAVE_FILTERED});
  file.push_back(popup(u"设置文件默认分隔符", range(ID_SEPARATOR_AUTO, ID_SEPARATOR_COLON)));
  file.push_back(
      popup(u"设置存储编码", items({ID_ENC_ANSI, ID_ENC_UTF8, ID_ENC_UTF8_NOBOM, ID_ENC_UTF16LE, ID_ENC_UTF16BE})));
  file.push_back(popup(u"设置引号格式", items({ID_QUOTES_ON, ID_QUOTES_OFF})));
  const std::vector<MenuItem> fileTail = items({ID_CLASSIFY_SAVE, ID_APPEND, ID_SPLIT_FILE, ID_EXIT});
  file.insert(file.end(), fileTail.begin(), fileTail.end());

  // 0 stands for a separator in these lists.
  std::vector<MenuItem> edit = items({ID_UNDO,
                                      ID_REDO,
                                      0,
                                      ID_CUT,
                                      ID_COPY,
                                      ID_PASTE,
                                      ID_CLEAR,
                                      ID_DELETE,
                                      ID_SELECT_ALL,
                                      0,
                                      ID_INSERT1,
                                      ID_INSERT2,
                                      ID_RESTORE_SIZES,
                                      ID_HIDE,
                                      ID_UNHIDE,
                                      ID_FREEZE,
                                      ID_ZOOM_IN,
                                      ID_ZOOM_OUT,
                                      ID_GOTO,
                                      0,
                                      ID_FILTER,
                                      ID_DELETE_DUPLICATES,
                                      ID_SORT_UP,
                                      ID_SORT_DOWN,
                                      ID_BANDED_ROWS,
                                      0,
                                      ID_ADD_ROWS,
                                      ID_ADD_COLS,
                                      ID_TABLE_SIZE});
  std::vector<MenuItem> data =
      items({ID_FIND_MATCH, ID_TWO_TABLE_DEDUPE, ID_TWO_TABLE_DUPLICATES, ID_COLUMN_MERGE, ID_COLUMN_SPLIT});
  data.push_back(item(ID_CLASSIFY_SETTINGS, MF_GRAYED));
  std::vector<MenuItem> script = items({ID_SYSTEM_SCRIPT, 0, ID_KIND_EXPRTK, ID_KIND_C, ID_KIND_PYTHON,
                                        ID_KIND_TEXT, 0, ID_RUN_SELECTED, ID_RUN_ALL, 0, ID_COMMAND_WINDOW});
  return Menu{
      IDR_MAIN,
      {popup(u"文件(&F)", std::move(file)), popup(u"编辑(&E)", std::move(edit)),
       popup(u"搜索(&S)", range(ID_FIND, ID_REPLACE_ALL)),
       popup(u"批量(&V)", items({ID_BATCH_FILTER, ID_BATCH_SAVE_FILTERED})),
       popup(u"数据处理(&A)", std::move(data)), popup(u"文件合并分割(&S)", items({ID_FILES_MERGE, ID_FILES_SPLIT})),
       popup(u"公式(&L)", range(ID_FORMULA_SUM, ID_FORMULA_MIN)), popup(u"脚本(&D)", std::move(script)),
       popup(u"脚本插件(&P)", items({ID_IMPORT_PLUGIN, 0})), popup(u"帮助(&H)", items({ID_HELP, ID_ABOUT}))}};
}

AcceleratorTable accelerators() {
  const BYTE key = FVIRTKEY | FNOINVERT;
  const BYTE character = FNOINVERT;
  return AcceleratorTable{IDR_MAIN,
                          {{key | FALT, VK_RETURN, ID_ALT_ENTER},
                           {key | FCONTROL | FALT, 'F', ID_FILTER},
                           {key | FCONTROL | FALT, 'P', ID_FREEZE},
                           {key | FALT, 'O', ID_PAGED_OPEN},
                           {character | FALT, 'A', ID_REPLACE_ALL},
                           {character | FALT, 'R', ID_REPLACE_NEXT},
                           {key, VK_F5, ID_RUN_ALL},
                           {key, VK_F8, ID_RUN_SELECTED},
                           {key | FCONTROL | FALT, 'S', ID_SAVE_AS},
                           {key | FCONTROL | FALT, 'R', ID_TABLE_SIZE},
                           {key | FALT, 'A', ID_SORT_UP},
                           {key | FALT, 'D', ID_SORT_DOWN},
                           {character | FALT, '/', ID_ABOUT},
                           {character | FALT, '?', ID_ABOUT},
                           {key | FCONTROL | FSHIFT, 'S', ID_SAVE_ALL}}};
}

// The program's icon at `size` pixels: a sheet of paper with a green header row and a
// grid of cells, its top-right corner folded.
Icon sheetIcon(WORD id, int size) {
  Icon icon{id, size, size, std::vector<uint32_t>(size_t(size) * size, 0)};
  auto set = [&](int x, int y, uint32_t c) { icon.argb[size_t(y) * size + x] = c; };
  const int left = size / 8, right = size - 1 - size / 8, top = size / 16, bottom = size - 1 - size / 16;
  const int fold = size / 4, header = top + size / 4, cell = std::max(3, size / 6);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) {
      if (x - (right - fold) > y - top) continue;  // the folded corner
      uint32_t c = 0xFFFFFFFF;
      if (x == left || x == right || y == top || y == bottom) c = 0xFF2F6B3A;
      else if (y <= header) c = 0xFF3C9A4E;
      else if ((x - left) % cell == 0 || (y - header) % cell == 0) c = 0xFF9CC7A4;
      set(x, y, c);
    }
  for (int i = 0; i <= fold; ++i) {
    set(right - fold + i, top + i, 0xFF2F6B3A);  // the fold's edge
    set(right - fold, top + i, 0xFF2F6B3A);
    set(right - fold + i, top + fold, 0xFF2F6B3A);
  }
  return icon;
}

}  // namespace

void registerMainResources() {
  platform::resources::Table table;
  table.menus.push_back(mainMenu());
  table.accelerators.push_back(accelerators());
  table.strings = {{IDS_APP_TITLE, u"Morvel"}, {IDR_MAIN, u"MORVEL"}};
  table.icons = {sheetIcon(IDI_APP, 32), sheetIcon(IDI_SMALL, 16)};
  platform::resources::addTable(table);
}
