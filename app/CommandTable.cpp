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
#include "app/FindMatchTool.h"
#include "app/MainWindow.h"
#include "app/Plugins.h"
#include "app/TwoTableTool.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/ReadSettings.h"
#include "platform/windows.h"
#include "resources/GridIds.h"
#include "resources/MainIds.h"
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
      {ID_ABOUT, false, about},
      {ID_EXIT, false, exitProgram},
      {ID_NEW, false, newTable},
      {ID_OPEN, false, openFiles},
      {ID_SAVE, true, onDocument},
      {ID_SAVE_AS, true, onDocument},
      {ID_HELP, false, help},
      {ID_PAGED_OPEN, false, pagedOpen},
      {ID_FIND_MATCH, true, [](CGrid*, UINT) { showFindMatchDialog(gMainWnd); }},
      {ID_DELETE_DUPLICATES, true, deleteDuplicates},
      {ID_SAVE_ALL, true, saveAll},
      {ID_TWO_TABLE_DEDUPE, false, [](CGrid*, UINT) { showTwoTableDedupeDialog(gMainWnd); }},
      {ID_SYSTEM_SCRIPT, false, systemScript},
      {ID_CLASSIFY_SETTINGS, false, repaint},
      {ID_IMPORT_PLUGIN, false, [](CGrid*, UINT) { importPlugin(); }},
      {ID_BATCH_FILTER, false, batchFilter},
      {ID_BATCH_SAVE_FILTERED, false, batchSaveFiltered},
      {ID_COMMAND_WINDOW, false, commandWindow},
      {ID_COLUMN_MERGE, false,
       [](CGrid* current, UINT) {
         if (current) showColumnMergeDialog(gMainWnd);
       }},
      {ID_COLUMN_SPLIT, false,
       [](CGrid* current, UINT) {
         if (current) showColumnSplitDialog(gMainWnd);
       }},
      {ID_FILES_MERGE, false, [](CGrid*, UINT) { setColumnPickDialog(openFileMergeDialog(gMainWnd)); }},
      {ID_FILES_SPLIT, false, [](CGrid*, UINT) { setColumnPickDialog(openFileSplitDialog(gMainWnd)); }},
      {ID_TWO_TABLE_DUPLICATES, false, [](CGrid*, UINT) { showTwoTableDuplicatesDialog(gMainWnd); }},
      {ID_CLASSIFY_SAVE, true, [](CGrid*, UINT) { showClassifySaveDialog(gMainWnd); }},
  };
  // The document's own commands.
  for (UINT id : {ID_APPEND,    ID_SPLIT_FILE,    ID_SAVE_FILTERED, ID_UNDO,        ID_REDO,       ID_CUT,
                  ID_COPY,      ID_PASTE,         ID_CLEAR,         ID_DELETE,      ID_SELECT_ALL, ID_INSERT1,
                  ID_INSERT2,   ID_RESTORE_SIZES, ID_HIDE,          ID_UNHIDE,      ID_FREEZE,     ID_ZOOM_IN,
                  ID_ZOOM_OUT,  ID_GOTO,          ID_FILTER,        ID_SORT_UP,     ID_SORT_DOWN,  ID_BANDED_ROWS,
                  ID_ADD_ROWS,  ID_ADD_COLS,      ID_TABLE_SIZE,    ID_FIND,        ID_FIND_NEXT,  ID_FIND_PREV,
                  ID_REPLACE,   ID_REPLACE_NEXT,  ID_REPLACE_ALL,   ID_KIND_EXPRTK, ID_KIND_C,     ID_KIND_PYTHON,
                  ID_KIND_TEXT, ID_RUN_ALL,       ID_RUN_SELECTED})
    rows.push_back({id, true, onDocument});
  for (UINT id = ID_ENC_UTF8; id <= ID_ENC_ANSI; ++id) rows.push_back({id, true, onDocument});
  for (UINT id = ID_FORMULA_SUM; id <= ID_FORMULA_MIN; ++id) rows.push_back({id, true, onDocument});
  // The settings of reading and writing text files.
  for (UINT id : {ID_QUOTES_ON, ID_QUOTES_OFF})
    rows.push_back({id, false, [](CGrid*, UINT id) { setQuoteDetect(id == ID_QUOTES_ON); }});
  for (UINT id = ID_SEPARATOR_AUTO; id <= ID_SEPARATOR_COLON; ++id)
    rows.push_back({id, false, [](CGrid*, UINT id) { setDefaultSeparator(id); }});
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
