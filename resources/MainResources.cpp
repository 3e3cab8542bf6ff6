// The main window's resources: menu 109, accelerator table 109, the window title (string
// 103) and class name (string 109), and the program's icons 107 (large) and 108 (small).
#include "resources/MainResources.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/resources/Resources.h"
#include "platform/windows.h"

namespace {

using platform::resources::Accelerator;
using platform::resources::AcceleratorTable;
using platform::resources::Icon;
using platform::resources::Menu;
using platform::resources::MenuItem;

// The text of every command item of menu 109, blanks before the shortcut included.
const std::map<UINT, const char16_t*>& commandTexts() {
  static const std::map<UINT, const char16_t*> texts = {
    {104, u"关于(&A) ..."},
    {105, u"退出(&X)"},
    {32811, u"新建(&N)          Ctrl+N"},
    {32812, u"打开(&O)          Ctrl+O"},
    {32813, u"保存(&S)          Ctrl+S"},
    {32814, u"另存(&A)          Ctrl+Alt+S"},
    {32815, u"文件追加(&L)           Ctrl+L"},
    {32816, u"文件分割(&K)          Ctrl+K"},
    {32818, u"撤销(&Z)          Ctrl+Z"},
    {32819, u"重做(&Y)          Ctrl+Y"},
    {32820, u"剪切(&X)          Ctrl+X"},
    {32821, u"复制(&C)          Ctrl+C"},
    {32822, u"粘贴(&V)          Ctrl+V"},
    {32823, u"清除(&D)          Ctrl+D"},
    {32824, u"删除(&N)          DEL"},
    {32825, u"全选(&A)          Ctrl+A"},
    {32826, u"插入行/列(&I)    Ctrl+I"},
    {32827, u"插入2行/列"},
    {32828, u"恢复宽高"},
    {32829, u"隐藏"},
    {32830, u"取消隐藏"},
    {32831, u"冻结/取消      Ctrl+Alt+P"},
    {32833, u"放大             Ctrl+WheelUp"},
    {32834, u"缩小             Ctrl+WheelDown"},
    {32836, u"设置Exprtk脚本"},
    {32837, u"设置TCC脚本"},
    {32905, u"设置Python脚本"},
    {32885, u"设置普通文本"},
    {32838, u"设置过滤(&F)    Ctrl+Alt+F"},
    {32839, u"升序排序        Alt+A"},
    {32840, u"降序排序        Alt+D"},
    {32841, u"添加300行"},
    {32842, u"添加26列"},
    {32843, u"设置行列数     Ctrl+Alt+R"},
    {32844, u"查找(&F)              Ctrl+F"},
    {32845, u"查找下一个(&N)    F3"},
    {32846, u"查找上一个(&B)    Shift+F3"},
    {32847, u"替换(&H)             Ctrl+H"},
    {32848, u"替换下一个(&R)    Alt+R"},
    {32849, u"全部替换(&A)       Alt+A"},
    {32887, u"查看帮助(&H)    F1"},
    {32888, u"运行全部脚本(&A)    F5"},
    {32889, u"运行选择脚本(&S)    F8"},
    {32895, u"隔行颜色"},
    {32897, u"删除重复"},
    {32899, u"分页打开(&H)    Alt+O"},
    {32907, u"转跳(&G)         Ctrl+G"},
    {32914, u"过滤数据另存"},
    {32921, u"设置为UTF8格式"},
    {32922, u"设置为UTF8无BOM格式"},
    {32923, u"设置为UNICODE格式"},
    {32924, u"设置为UNICODE BIG ENDIAN格式"},
    {32925, u"设置为ANSI格式"},
    {32931, u"求和"},
    {32932, u"求平均"},
    {32933, u"求个数"},
    {32934, u"求最大值"},
    {32935, u"求最小值"},
    {32937, u"查找匹配"},
    {32939, u"全部保存(&L)    Ctrl+Shift+S"},
    {32944, u"两表去重"},
    {32977, u"两表求重复"},
    {32946, u"设置系统脚本"},
    {32951, u"设置分类"},
    {32953, u"导入脚本"},
    {32956, u"批量设置过滤"},
    {32957, u"批量保存过滤"},
    {32964, u"判断双引号"},
    {32965, u"不判断双引号"},
    {32967, u"打开命令行窗口"},
    {32972, u"列数据合并"},
    {32973, u"列数据分割"},
    {32979, u"分类另存"},
    {32974, u"多文件合并"},
    {32975, u"多文件分割"},
    {32988, u"自动判断分隔符"},
    {32989, u"逗号(,)"},
    {32990, u"TAB"},
    {32991, u"空格"},
    {32992, u"分号(;)"},
    {32993, u"竖线(|)"},
    {32994, u"反斜杠(\\)"},
    {32995, u"冒号(:)"},
  };
  return texts;
}

MenuItem item(UINT id, UINT flags = 0) { return MenuItem{commandTexts().at(id), id, flags, {}}; }
MenuItem bar() { return MenuItem{u"", 0, MF_SEPARATOR, {}}; }
MenuItem popup(const char16_t* text, std::vector<MenuItem> items) { return MenuItem{text, 0, MF_POPUP, std::move(items)}; }
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
  std::vector<MenuItem> file = items({32811, 32812, 32899, 32813, 32939, 32814, 32914});
  file.push_back(popup(u"设置文件默认分隔符", range(32988, 32995)));
  file.push_back(popup(u"设置存储编码", items({32925, 32921, 32922, 32923, 32924})));
  file.push_back(popup(u"设置引号格式", items({32964, 32965})));
  for (UINT id : {32979, 32815, 32816, 105}) file.push_back(item(id));

  // 0 stands for a separator in these lists.
  std::vector<MenuItem> edit = items({32818, 32819, 0, 32820, 32821, 32822, 32823, 32824, 32825, 0, 32826, 32827,
                                      32828, 32829, 32830, 32831, 32833, 32834, 32907, 0, 32838, 32897, 32839,
                                      32840, 32895, 0, 32841, 32842, 32843});
  std::vector<MenuItem> data = items({32937, 32944, 32977, 32972, 32973});
  data.push_back(item(32951, MF_GRAYED));
  return Menu{109,
              {popup(u"文件(&F)", std::move(file)), popup(u"编辑(&E)", std::move(edit)),
               popup(u"搜索(&S)", range(32844, 32849)), popup(u"批量(&V)", items({32956, 32957})),
               popup(u"数据处理(&A)", std::move(data)), popup(u"文件合并分割(&S)", items({32974, 32975})),
               popup(u"公式(&L)", range(32931, 32935)),
               popup(u"脚本(&D)", items({32946, 0, 32836, 32837, 32905, 32885, 0, 32889, 32888, 0, 32967})),
               popup(u"脚本插件(&P)", items({32953, 0})), popup(u"帮助(&H)", items({32887, 104}))}};
}

AcceleratorTable accelerators() {
  const BYTE key = FVIRTKEY | FNOINVERT;
  const BYTE character = FNOINVERT;
  return AcceleratorTable{109,
                          {{key | FALT, VK_RETURN, 32875},
                           {key | FCONTROL | FALT, 'F', 32838},
                           {key | FCONTROL | FALT, 'P', 32831},
                           {key | FALT, 'O', 32899},
                           {character | FALT, 'A', 32849},
                           {character | FALT, 'R', 32848},
                           {key, VK_F5, 32888},
                           {key, VK_F8, 32889},
                           {key | FCONTROL | FALT, 'S', 32814},
                           {key | FCONTROL | FALT, 'R', 32843},
                           {key | FALT, 'A', 32839},
                           {key | FALT, 'D', 32840},
                           {character | FALT, '/', 104},
                           {character | FALT, '?', 104},
                           {key | FCONTROL | FSHIFT, 'S', 32939}}};
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
  table.strings = {{103, u"Morvel"}, {109, u"MORVEL"}};
  table.icons = {sheetIcon(107, 32), sheetIcon(108, 16)};
  platform::resources::addTable(table);
}
