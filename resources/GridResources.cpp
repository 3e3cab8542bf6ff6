#include "resources/GridResources.h"

#include <cstdint>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/resources/Resources.h"
#include "platform/windows.h"
#include "resources/GridCommandDialogs.h"
#include "resources/GridDialogIds.h"
#include "resources/GridIds.h"
#include "resources/StaticId.h"

namespace {

using platform::resources::Dialog;
using platform::resources::DialogItem;
using platform::resources::Icon;
using platform::resources::Menu;
using platform::resources::MenuItem;

MenuItem item(UINT id, const char16_t* text) { return MenuItem{text, id, 0, {}}; }

Menu contextMenu() {
  MenuItem pop{u"POP", 0, 0, {}};
  pop.items = {item(ID_COPY, u"复制(&C)              Ctrl+C"),
               item(ID_CUT, u"剪切(&X)              Ctrl+X"),
               item(ID_PASTE, u"粘贴(&V)              Ctrl+V"),
               item(ID_CLEAR, u"清除内容(&D)        DEL"),
               item(ID_DELETE, u"删除(&N) "),
               item(ID_INSERT1, u"插入行/列（&I）    Ctrl+I"),
               item(ID_INSERT2, u"插入2行/列"),
               item(ID_FILTER, u"设置过滤(&F)         Ctrl+Alt+F"),
               item(ID_SORT_UP, u"升序排序             Alt+A"),
               item(ID_SORT_DOWN, u"降序排序             Alt+D"),
               item(ID_HIDE, u"隐藏"),
               item(ID_UNHIDE, u"取消隐藏"),
               item(ID_FREEZE, u"冻结/取消")};
  return Menu{IDR_GRID_CONTEXT, {pop}};
}

Dialog outputDialog() {
  Dialog d;
  d.id = IDD_OUTPUT;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | DS_CENTER;
  d.cx = 427, d.cy = 250;
  d.caption = u"输出";
  return d;
}

Dialog pageDialog() {
  Dialog d;
  d.id = IDD_PAGED_OPEN;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  d.cx = 300, d.cy = 130;
  d.caption = u"分页打开";
  const DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  d.items = {
      DialogItem{u"STATIC", u"文件路径：", kStaticId, 0, 0, 8, 10, 50, 10},
      DialogItem{u"EDIT", u"", IDC_PAGE_PATH, edit, 0, 60, 8, 200, 14},
      DialogItem{u"BUTTON", u"...", IDC_PAGE_BROWSE, BS_PUSHBUTTON | WS_TABSTOP, 0, 264, 8, 28, 14},
      DialogItem{u"BUTTON", u"保留第一行标题", IDC_PAGE_KEEP_HEADER, BS_AUTOCHECKBOX | WS_TABSTOP, 0, 8, 30, 100,
                 12},
      DialogItem{u"STATIC", u"当前文件总行数：", kStaticId, 0, 0, 120, 32, 70, 10},
      DialogItem{u"STATIC", u"0", IDC_PAGE_TOTAL, 0, 0, 192, 32, 100, 10},
      DialogItem{u"STATIC", u"开始行号：", kStaticId, 0, 0, 8, 54, 50, 10},
      DialogItem{u"EDIT", u"", IDC_PAGE_START, edit, 0, 60, 52, 80, 14},
      DialogItem{u"STATIC", u"打开行数：", kStaticId, 0, 0, 150, 54, 50, 10},
      DialogItem{u"EDIT", u"", IDC_PAGE_ROWS, edit, 0, 202, 52, 90, 14},
      DialogItem{u"BUTTON", u"上一页", IDC_PAGE_PREVIOUS, BS_PUSHBUTTON | WS_TABSTOP, 0, 60, 100, 60, 16},
      DialogItem{u"BUTTON", u"下一页", IDC_PAGE_NEXT, BS_PUSHBUTTON | WS_TABSTOP, 0, 126, 100, 60, 16},
      DialogItem{u"BUTTON", u"打开", IDC_PAGE_OPEN, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 232, 100, 60, 16},
  };
  return d;
}

// The header filter button, 17 x 17: a raised (or, pressed, sunken) square with a funnel;
// a column that filters rows shows the funnel filled.
Icon filterIcon(WORD id, bool pressed, bool filtering) {
  Icon icon{id, 17, 17, std::vector<uint32_t>(17 * 17, 0)};
  auto set = [&](int x, int y, uint32_t c) { icon.argb[size_t(y) * 17 + x] = c; };
  const uint32_t face = pressed ? 0xFFD6DCE4 : 0xFFF4F6F8;
  const uint32_t light = pressed ? 0xFF8A96A3 : 0xFFFFFFFF;
  const uint32_t dark = pressed ? 0xFFFFFFFF : 0xFF8A96A3;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) set(x, y, face);
  for (int i = 0; i < 17; ++i) {
    set(i, 0, light), set(0, i, light);
    set(i, 16, dark), set(16, i, dark);
  }
  const int shift = pressed ? 1 : 0;
  const uint32_t ink = filtering ? 0xFF1F6FC5 : 0xFF404850;
  // Funnel: a wide top narrowing over five rows, then a stem.
  for (int row = 0; row < 5; ++row) {
    const int y = 4 + row + shift;
    const int l = 3 + row + shift, r = 13 - row + shift;
    for (int x = l; x <= r; ++x) {
      const bool edge = x == l || x == r || row == 0;
      if (edge || filtering) set(x, y, ink);
    }
  }
  for (int y = 9; y <= 12; ++y) {
    set(7 + shift, y + shift, ink);
    set(9 + shift, y + shift, ink);
    if (filtering) set(8 + shift, y + shift, ink);
  }
  set(8 + shift, 12 + shift, ink);
  return icon;
}

}  // namespace

void registerGridResources() {
  static bool done = false;
  if (done) return;
  done = true;
  platform::resources::Table table;
  table.menus.push_back(contextMenu());
  table.dialogs.push_back(outputDialog());
  table.dialogs.push_back(pageDialog());
  addGridCommandDialogs(table);
  // The controls of a template are made hidden unless their style says visible.
  for (Dialog& d : table.dialogs)
    for (DialogItem& item : d.items) item.style |= WS_VISIBLE;
  table.icons.push_back(filterIcon(IDI_FILTER, false, false));
  table.icons.push_back(filterIcon(IDI_FILTER_PRESSED, true, false));
  table.icons.push_back(filterIcon(IDI_FILTER_ON, false, true));
  table.icons.push_back(filterIcon(IDI_FILTER_ON_PRESSED, true, true));
  platform::resources::addTable(table);
}
