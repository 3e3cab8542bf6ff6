// The process-wide objects in the order they are built: the table below holds one row
// per object, with how it is built and how it is torn down.
#include "app/ProcessObjects.h"

#include <cstddef>

#include "app/ColumnPick.h"
#include "app/FileTasks.h"
#include "app/FindMatchTool.h"
#include "app/Plugins.h"
#include "app/TwoTableTool.h"
#include "controls/TabStrip.h"
#include "platform/windows.h"
#include "resources/GridResources.h"
#include "resources/MainResources.h"
#include "resources/ToolResources.h"
#include "script/PythonRun.h"
#include "script/TccRun.h"

namespace {

ULONG_PTR gGdiplusToken = 0;
bool gStarted = false;

void startGdiplus() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread, codecs
  Gdiplus::GdiplusStartup(&gGdiplusToken, &input, nullptr);
}
void endGdiplus() { Gdiplus::GdiplusShutdown(gGdiplusToken); }

void startSockets() {
  WSADATA data{};
  WSAStartup(0x0202, &data);
}
void endSockets() { WSACleanup(); }

// The program's tables (menus, accelerators, dialogs, strings, icons).
void startResources() {
  registerMainResources();
  registerGridResources();
  registerToolResources();
}

// The script engines of C and Python cells.
void startEngines() {
  installTccEngine();
  installPythonEngine();
}

// The strip as its construction leaves it: no window, no tabs.
void resetTabStrip() {
  gTabStrip.tabs.clear();
  gTabStrip.current = -1;
  gTabStrip.firstVisible = 0;
  gTabStrip.hover = TabHit{};
  gTabStrip.hwnd = nullptr;
  gTabStrip.tooltip = nullptr;
  gTabStrip.onDropFiles = nullptr;
}
void endTabStrip() {
  resetTabStrip();
  gTabStrip.canvas.end();
}

void clearPlugins() { gPlugins.clear(); }

// The input records of the table tools and the pending column pick.
void resetToolInputs() {
  gFindMatch = FindMatchInput{};
  gTwoTable = TwoTableInput{};
  gColumnPick = ColumnPickState{};
}
// The same, and every document made from now on reports its selection to column picking.
void startToolInputs() {
  resetToolInputs();
  installColumnPicking();
}

// Every merge or split worker still running is cancelled and joined.
void endFileTasks() {
  gSplitTasks.cancelAll();
  gMergeTasks.cancelAll();
}

struct ProcessObject {
  void (*start)();
  void (*end)();  // null: nothing to tear down
};

// In the order of construction.
const ProcessObject kObjects[] = {
    {startGdiplus, endGdiplus},         {startSockets, endSockets},
    {startResources, nullptr},          {startEngines, nullptr},
    {resetTabStrip, endTabStrip},       {clearPlugins, clearPlugins},
    {startToolInputs, resetToolInputs}, {[] {}, endFileTasks},  // the merge and split task registries
};

}  // namespace

void startProcessObjects() {
  if (gStarted) return;
  for (const ProcessObject& object : kObjects) object.start();
  gStarted = true;
}

void endProcessObjects() {
  if (!gStarted) return;
  for (size_t i = std::size(kObjects); i-- > 0;)
    if (kObjects[i].end) kObjects[i].end();
  gStarted = false;
}
