#include "app/Plugins.h"

#include "app/MainWindow.h"
#include "grid/Documents.h"
#include "grid/FileDialogs.h"
#include "grid/Grid.h"
#include "platform/AsciiCase.h"
#include "script/ScriptFile.h"
#include "store/FilePath.h"

std::vector<std::u16string> gPlugins;

namespace {

// The script files a plug-in may be.
constexpr char16_t kPluginFilter[] = u"Morvel支持文件(.c;.py;.exp;)\0*.c;*.py;*.exp;\0";
// Room for the chosen path, in characters.
constexpr size_t kPluginPathRoom = 260;

bool isPluginName(const std::u16string& name) {
  const std::u16string ext = toLowerWide(getFileExt(name));
  return ext == u".c" || ext == u".exp" || ext == u".py";
}

HMENU scriptPopup() { return gMainWnd ? GetSubMenu(GetMenu(gMainWnd), kScriptPopup) : nullptr; }

}  // namespace

std::u16string pluginFolder() { return programFolder() + u"/plugin"; }

void scanPluginFolder(const std::u16string& folder) {
  WIN32_FIND_DATAW data;
  const std::u16string pattern = folder + u"/*.*";
  HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::u16string name = data.cFileName;
    if (!name.empty() && name[0] != u'.' && isPluginName(name)) gPlugins.push_back(name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

void appendPluginItems(HMENU menu) {
  HMENU popup = GetSubMenu(menu, kScriptPopup);
  if (!popup) return;
  for (size_t i = 0; i < gPlugins.size(); ++i)
    AppendMenuW(popup, MF_STRING, kFirstPluginCommand + UINT(i), gPlugins[i].c_str());
}

void importPlugin() {
  const std::u16string chosen =
      askFilePath(FileDialogKind::Open, {.owner = gMainWnd,
                                         .title = u"请选择一个文件",
                                         .filter = kPluginFilter,
                                         .flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                                         .room = kPluginPathRoom});
  if (chosen.empty()) return;
  const std::u16string name = lastPathComponent(chosen);
  const bool known = std::find(gPlugins.begin(), gPlugins.end(), name) != gPlugins.end();
  const std::u16string target = pluginFolder() + u"/" + name;
  if (!CopyFileW(chosen.c_str(), target.c_str(), FALSE)) {
    MessageBoxW(gMainWnd, u"脚本导入失败，因为无法拷贝文件!", u"脚本导入", MB_OK);
    return;
  }
  if (known) return;  // its item now runs the new copy
  if (HMENU popup = scriptPopup())
    AppendMenuW(popup, MF_STRING, kFirstPluginCommand + UINT(gPlugins.size()), name.c_str());
  gPlugins.push_back(name);
}

bool runPlugin(UINT id) {
  if (id < kFirstPluginCommand || id - kFirstPluginCommand >= gPlugins.size()) return false;
  CGrid* document = currentDocument();
  if (!document) return false;
  return runScriptFile(document->scriptDocument(), pluginFolder() + u"/" + gPlugins[id - kFirstPluginCommand]);
}
