// The entry function, the main window and its message loop.
#include "app/MainWindow.h"

#include <vector>

#include "app/CommandTable.h"
#include "app/Plugins.h"
#include "controls/ControlClass.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/DocumentCommands.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/ReadSettings.h"
#include "platform/FileIo.h"
#include "platform/controls/commctrl.h"
#include "platform/windows.h"
#include "resources/GridIds.h"
#include "resources/MainIds.h"
#include "script/ScriptRun.h"
#include "script/SystemScriptWindow.h"

HINSTANCE gInstance = nullptr;
char16_t gWindowTitle[100] = {};
char16_t gWindowClass[100] = {};

namespace {

HACCEL gAccelerators = nullptr;

// The module's full path, whatever its length.
std::u16string modulePath() {
  std::vector<char16_t> buffer(260);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size() - 1) return std::u16string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

void registerMainClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = mainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SMALL));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN);
  wc.lpszClassName = gWindowClass;
  RegisterClassExW(&wc);
}

// The tooltip of the strip's row, its text asked of the strip.
void makeTooltip(HWND strip, RECT row) {
  gTabStrip.tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, strip, nullptr,
                                      nullptr, nullptr);
  if (!gTabStrip.tooltip) return;
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = strip;
  info.uId = reinterpret_cast<UINT_PTR>(strip);
  info.rect = row;
  info.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(gTabStrip.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

// The strip over the whole client area; its canvas and font for the row; every document
// window below the row (1 by 1 at (0, 0) when the strip is no taller than the row).
void layout(HWND main) {
  HWND strip = gTabStrip.hwnd;
  if (!strip) return;
  RECT c{};
  GetClientRect(main, &c);
  MoveWindow(strip, c.left, c.top, c.right - c.left + 1, c.bottom - c.top + 1, FALSE);
  RECT s{};
  GetClientRect(strip, &s);
  RECT row = s;
  row.bottom = row.top + gTabStrip.height - 1;
  gTabStrip.canvas.mOwner = strip;
  gTabStrip.canvas.begin(row);
  gTabStrip.canvas.setFontIndirect(gTabStrip.font);
  gTabStrip.canvas.setTextColor(gTabStrip.textColour);
  RECT area{};
  if (s.bottom > gTabStrip.height) area = RECT{s.left, gTabStrip.height, s.right, s.bottom};
  for (const CCTab::CTabData& tab : gTabStrip.tabs)
    if (tab.gridWindow)
      MoveWindow(tab.gridWindow, area.left, area.top, area.right - area.left + 1, area.bottom - area.top + 1,
                 FALSE);
}

// After the window is gone: no main window, no strip window, no tab records (their
// documents went with their windows).
void forgetMainWindow() {
  gTabStrip.tabs.clear();
  gTabStrip.current = -1;
  gTabStrip.firstVisible = 0;
  gTabStrip.hwnd = nullptr;
  gTabStrip.tooltip = nullptr;
  gMainWnd = nullptr;
}

}  // namespace

std::u16string programFolder() {
  const std::u16string path = modulePath();
  const size_t cut = path.find_last_of(u'/');
  return cut == std::u16string::npos ? path : path.substr(0, cut);
}

std::u16string lastPathComponent(const std::u16string& path) { return path.substr(fileNameStart(path)); }

void registerMvtFileType() {
  const std::u16string program = modulePath();
  const std::u16string progId = u"Morvel.mvd.1.5";
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CLASSES_ROOT, u".mvt", &key) == ERROR_SUCCESS) {
    char16_t value[260] = {};
    LONG bytes = sizeof value;
    const LSTATUS read = RegQueryValueW(key, nullptr, value, &bytes);
    RegCloseKey(key);
    if (read == ERROR_SUCCESS && _wcsicmp(value, progId.c_str()) == 0) return;
  }
  auto set = [](const std::u16string& name, const std::u16string& value) {
    HKEY k = nullptr;
    if (RegCreateKeyW(HKEY_CLASSES_ROOT, name.c_str(), &k) != ERROR_SUCCESS) return;
    RegSetValueW(k, u"", REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(k);
  };
  set(u".mvt", progId);
  set(progId, u"Morvel表格文件");
  set(progId + u"\\DefaultIcon", program + u",0");
  set(progId + u"\\Shell", u"Open");
  // The program path quoted, so that a path with blanks reaches the program whole.
  set(progId + u"\\Shell\\Open\\Command", u"\"" + program + u"\" \"%1\"");
}

void applyStartupSettings() {
  setQuoteDetect(true);
  setDefaultSeparator(ID_SEPARATOR_AUTO);
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return;
  if (count >= 2 && PathFileExistsW(args[1]) && !PathIsDirectoryW(args[1])) {
    const std::u16string path = args[1];
    if (CGrid* document = currentDocument()) {
      // The open names the tab (each sheet's of a workbook, whose last sheet is current
      // now); a failed open leaves it a new table.
      document->open(path);
      if (CGrid* now = currentDocument()) now->updateEncodingMenu();
    }
  }
  LocalFree(args);
}

int createMainWindow(HINSTANCE instance, int show) {
  gInstance = instance;
  gMainWnd = CreateWindowExW(WS_EX_ACCEPTFILES, gWindowClass, gWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                             CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (!gMainWnd) return 0;
  RECT c{};
  GetClientRect(gMainWnd, &c);
  registerControlClass(u"Tab2", CCTab::wndProc);
  HWND strip = CreateWindowExW(0, u"Tab2", u"Tab2", WS_CHILD | WS_VISIBLE, c.left, c.top, c.right, c.bottom,
                               gMainWnd, nullptr, instance, nullptr);
  gTabStrip.hwnd = strip;
  SetWindowLongPtrW(strip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&gTabStrip));
  gTabStrip.onDropFiles = onDropFiles;
  RECT row{};
  GetClientRect(strip, &row);
  row.bottom = row.top + gTabStrip.height - 1;
  makeTooltip(strip, row);
  DragAcceptFiles(strip, TRUE);
  layout(gMainWnd);
  openInNewTab(u"");
  ShowWindow(gMainWnd, show);
  UpdateWindow(gMainWnd);
  applyStartupSettings();
  return 1;
}

bool startMainWindow(HINSTANCE instance, int show) {
  registerMvtFileType();
  LoadStringW(instance, IDS_APP_TITLE, gWindowTitle, 100);
  LoadStringW(instance, IDR_MAIN, gWindowClass, 100);
  registerMainClass(instance);
  if (!createMainWindow(instance, show)) return false;
  gAccelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAIN));
  if (CGrid* document = currentDocument()) document->updateEncodingMenu();
  gPlugins.clear();
  scanPluginFolder(pluginFolder());
  appendPluginItems(GetMenu(gMainWnd));
  return true;
}

void dispatchLoopMessage(MSG& msg) {
  // Tab, Enter and Esc of a modeless dialog (find, replace, the tools) are the dialog's.
  if (msg.hwnd) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (root && root != gMainWnd && IsDialogMessageW(root, &msg)) return;
  }
  if (gAccelerators && msg.hwnd && TranslateAcceleratorW(msg.hwnd, gAccelerators, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int runMessageLoop() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatchLoopMessage(msg);
  return static_cast<int>(msg.wParam);
}

int wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  if (!startMainWindow(instance, show)) return 0;
  return runMessageLoop();
}

bool mayCloseMainWindow() {
  // While the progress bar is up a read or write is under way on a document: closing
  // would destroy its grid and sheet under it. The close is refused, as during a run.
  if (!gInputEnabled) return false;
  if (scriptRunBlocksClose(nullptr)) return false;
  for (size_t i = 0; i < gTabStrip.tabs.size(); ++i) {
    CCTab::CTabData& tab = gTabStrip.tabs[i];
    if (!tab.document || (!tab.modified && !tab.document->commands().modified())) continue;
    gTabStrip.activate(static_cast<int32_t>(i));
    if (!askToSaveTab(gTabStrip.tabs[i])) return false;
  }
  return true;
}

LRESULT CALLBACK mainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: layout(hwnd); return 0;
    case WM_SETFOCUS:
      // The keyboard belongs to the current document, so that its keys and the
      // accelerators reach it.
      if (CGrid* document = currentDocument()) SetFocus(document->window());
      return 0;
    case WM_COMMAND:
      if (runCommand(LOWORD(wParam))) return 0;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_DROPFILES: onDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CLOSE:
      if (mayCloseMainWindow()) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      // The system-script windows own their records; they go before their documents.
      for (CGrid* document : allDocuments())
        if (document) closeSystemScriptWindows(&document->ops());
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: forgetMainWindow(); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
