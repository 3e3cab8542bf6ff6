// The documents of the program: one tab of the tab strip per open document, the current
// one, opening paths, folders and dropped files, workbooks as one tab per sheet, and the
// question asked when a modified tab closes.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "controls/TabStrip.h"
#include "platform/windows.h"

class CGrid;

// The main window (owner of message boxes and carrier of the menu's marks); null until
// the main window exists.
extern HWND gMainWnd;
// The selection callback every new document gets (column picking, installColumnPicking);
// unset: none.
extern std::function<void(HWND, RECT)> gOnColumnPicked;

// The document of the current tab; null when no tab is current.
CGrid* currentDocument();
// The documents of all tabs, in tab order.
std::vector<CGrid*> allDocuments();
// A new document with its grid window and tab; a non-empty path is loaded.
CGrid* openInNewTab(const std::u16string& path);
// The same, but a non-empty path receives the new empty table.
CGrid* createFileInNewTab(const std::u16string& path);
// Activates the tab of `path`, else opens it in a new tab. Nothing for an empty path.
void openPath(const std::u16string& path);
// openPath for every file below the folder, without following directory links.
void openFolder(const std::u16string& folder);
// Opens every dropped file or folder (ignored while input is off).
void onDropFiles(HDROP drop);
// The multi-select open dialog; empty when cancelled.
std::vector<std::u16string> chooseFilesToOpen(HWND owner);
// Command 32899: a new tab opened through the paged-open dialog.
void pagedOpenInNewTab();
// Loads the first sheet into `document` and every further sheet into a new tab.
bool openWorkbookTabs(CGrid* document, const std::u16string& path);
// Stores the path into the document (nothing when it is that very string).
void setDocumentPath(CGrid* document, const std::u16string& path);
// The close query of every document tab: a modified tab asks whether to save; false keeps
// the tab (Cancel, or a save that failed or was cancelled).
bool onDocumentTabClose(CCTab::CTabData& tab);
// The save question of a tab whose document has unsaved changes (nothing asked for a clean
// one): Yes saves, No goes on; false for Cancel and for a save that failed or whose
// dialog was cancelled. An open system-script window of the document is stored into it
// first.
bool askToSaveTab(CCTab::CTabData& tab);
// The tab of `document` follows its file: the path (a workbook sheet's with "!" and the
// sheet name) and its file name as the title. Nothing for a document without a path or
// outside the strip. Every open and every save to a new path goes through it.
void showPathInTab(CGrid* document);
// A document whose open failed: its tab loses the path and takes the new-table title.
void forgetDocumentPath(CGrid* document);
