// The main window's command table. A command whose operation belongs to the document
// (the grid's edit, view, file and script commands) runs through the grid's own command
// table (CGrid::onCommand), so the menu and the grid's keys always do the same thing.
#include "app/CommandTable.h"

#include <algorithm>

#include "app/AboutDialog.h"
#include "app/ClassifySaveTool.h"
#include "app/ColumnMergeTool.h"
#include "app/ColumnPick.h"
#include "app/ColumnSplitTool.h"
#include "app/FileMerge.h"
#include "app/FileSplit.h"
#include "app/MainWindow.h"
#include "app/FindMatchTool.h"
#include "app/Plugins.h"
#include "app/TwoTableTool.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridIds.h"
#include "grid/ReadSettings.h"
#include "platform/windows.h"
#include "script/SystemScriptWindow.h"
#include "store/FilePath.h"

std::u16string helpPagePath() { return readmePath(); }

namespace {

// ---- rows that act on the current document

// The document's own operation for `id` (the grid's command table).
void onDocument(CGrid* current, UINT id) { current->onCommand(id); }

// Delete duplicates: nothing for one cell, else the document's dialog.
void deleteDuplicates(CGrid* current, UINT id) {
  const Range& r = current->selection().range;
  if (r.top != 0 && r.left != 0 && r.top == r.bottom && r.left == r.right) return;
  current->onCommand(id);
}

// Every modified tab saved in tab order; a document saved to a new path renames its tab
// itself, as the save and Save As commands do.
void saveAll(CGrid*, UINT) {
  for (size_t i = 0; i < gTabStrip.tabs.size(); ++i) {
    const CCTab::CTabData& tab = gTabStrip.tabs[i];
    if (tab.modified && tab.document) tab.document->save();
  }
}

// ---- rows of the program

void about(CGrid*, UINT) { showAboutDialog(gMainWnd); }

void exitProgram(CGrid*, UINT) {
  if (mayCloseMainWindow()) DestroyWindow(gMainWnd);
}

void newTable(CGrid*, UINT) {
  if (CGrid* document = openInNewTab(u"")) document->updateEncodingMenu();
}

// The multi-select open dialog; a path already open is only activated when it is the
// last one chosen.
void openFiles(CGrid*, UINT) {
  int32_t lastOpen = -1;
  for (const std::u16string& path : chooseFilesToOpen(gMainWnd)) {
    lastOpen = gTabStrip.findByPath(path);
    if (lastOpen >= 0) continue;
    if (CGrid* document = openInNewTab(path)) document->updateEncodingMenu();
  }
  if (lastOpen >= 0) gTabStrip.activate(lastOpen);
}

void pagedOpen(CGrid*, UINT) { pagedOpenInNewTab(); }

void help(CGrid*, UINT) { ShellExecuteW(gMainWnd, u"open", helpPagePath().c_str(), nullptr, nullptr, SW_SHOW); }

void systemScript(CGrid* current, UINT) {
  if (current) showSystemScriptWnd(&current->ops(), gMainWnd);
}

void repaint(CGrid* current, UINT) {
  if (current) current->invalidate();
}

// Every document filtered with the batch flag; the others take the current document's
// selection first.
void batchFilter(CGrid* current, UINT) {
  for (CGrid* document : allDocuments()) {
    if (current && document != current) document->selection() = current->selection();
    document->filter(true);
  }
}

void batchSaveFiltered(CGrid*, UINT) {
  for (CGrid* document : allDocuments()) document->saveFiltered(true);
}

// A terminal; where none starts the user is told why nothing came up.
void commandWindow(CGrid*, UINT) {
  const UINT started = WinExec("cmd.exe", SW_SHOW);
  if (started > 31) return;
  const char16_t* why = started == ERROR_FILE_NOT_FOUND
                            ? u"打开命令行窗口失败：找不到终端程序（x-terminal-emulator 或 xterm）"
                            : u"打开命令行窗口失败";
  MessageBoxW(gMainWnd, why, u"Morvel", MB_OK);
}

std::vector<CommandRow> buildTable() {
  std::vector<CommandRow> rows = {
      {104, false, about},
      {105, false, exitProgram},
      {32811, false, newTable},
      {32812, false, openFiles},
      {32813, true, onDocument},
      {32814, true, onDocument},
      {32887, false, help},
      {32899, false, pagedOpen},
      {32937, true, [](CGrid*, UINT) { showFindMatchDialog(gMainWnd); }},
      {32897, true, deleteDuplicates},
      {32939, true, saveAll},
      {32944, false, [](CGrid*, UINT) { showTwoTableDedupeDialog(gMainWnd); }},
      {32946, false, systemScript},
      {32951, false, repaint},
      {32953, false, [](CGrid*, UINT) { importPlugin(); }},
      {32956, false, batchFilter},
      {32957, false, batchSaveFiltered},
      {32967, false, commandWindow},
      {32972, false, [](CGrid* current, UINT) { if (current) showColumnMergeDialog(gMainWnd); }},
      {32973, false, [](CGrid* current, UINT) { if (current) showColumnSplitDialog(gMainWnd); }},
      {32974, false, [](CGrid*, UINT) { setColumnPickDialog(openFileMergeDialog(gMainWnd)); }},
      {32975, false, [](CGrid*, UINT) { setColumnPickDialog(openFileSplitDialog(gMainWnd)); }},
      {32977, false, [](CGrid*, UINT) { showTwoTableDuplicatesDialog(gMainWnd); }},
      {32979, true, [](CGrid*, UINT) { showClassifySaveDialog(gMainWnd); }},
  };
  // The document's own commands.
  for (UINT id : {32815u, 32816u, 32885u, 32888u, 32889u, 32895u, 32905u, 32907u, 32914u})
    rows.push_back({id, true, onDocument});
  for (UINT id = 32818; id <= 32849; ++id)
    if (id != 32832 && id != 32835) rows.push_back({id, true, onDocument});
  for (UINT id = 32921; id <= 32925; ++id) rows.push_back({id, true, onDocument});
  for (UINT id = 32931; id <= 32935; ++id) rows.push_back({id, true, onDocument});
  // The settings of reading and writing text files.
  for (UINT id : {32964u, 32965u}) rows.push_back({id, false, [](CGrid*, UINT id) { setQuoteDetect(id == 32964); }});
  for (UINT id = 32988; id <= 32995; ++id) rows.push_back({id, false, [](CGrid*, UINT id) { setDefaultSeparator(id); }});
  std::sort(rows.begin(), rows.end(), [](const CommandRow& a, const CommandRow& b) { return a.id < b.id; });
  return rows;
}

}  // namespace

const std::vector<CommandRow>& commandTable() {
  static const std::vector<CommandRow> rows = buildTable();
  return rows;
}

const CommandRow* findCommand(UINT id) {
  const auto& rows = commandTable();
  auto it = std::lower_bound(rows.begin(), rows.end(), id, [](const CommandRow& r, UINT v) { return r.id < v; });
  return it != rows.end() && it->id == id ? &*it : nullptr;
}

bool runCommand(UINT id) {
  if (!gInputEnabled) return true;
  CGrid* current = currentDocument();
  if (id >= kFirstPluginCommand) runPlugin(id);
  const CommandRow* row = findCommand(id);
  if (!row) return false;
  if (row->document && !current) return true;
  row->run(current, id);
  return true;
}
