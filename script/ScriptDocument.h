// The script side of one document: its three host records, and what the records and
// runs need from the document beyond its operations block (the grid's save, open,
// progress, insert, sort and scrolling, its output window and path) and the other open
// tables. The document object implements it and owns it; bindScriptHosts fills the
// records with operations bound to that document.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "script/ScriptHosts.h"

class CCText;
class CGridOps;

class ScriptDocument {
 public:
  virtual ~ScriptDocument() = default;
  // The document's operations block (sheet, selection, manager, message boxes).
  virtual CGridOps& scriptOps() = 0;
  // Saves to the document's path (asking for one when it has none); the save's result.
  virtual int32_t save() = 0;
  // Writes the whole table to `path` by its extension; the document keeps its own path.
  virtual int32_t saveAs(const std::u16string& path) = 0;
  // The progress display: a bar below 100, closed at 100 or more.
  virtual void progress(int32_t percent) = 0;
  // The file replaces the document's content.
  virtual void open(const std::u16string& path) = 0;
  // The grid's insert command for the selected whole rows or columns.
  virtual void insert(int32_t count) = 0;
  // The grid's sort commands with the selection extended.
  virtual void sortAscending() = 0;
  virtual void sortDescending() = 0;
  virtual void scrollToCell(int32_t row, int32_t col) = 0;
  // Invalidates the grid window.
  virtual void repaint() = 0;
  // The editor of the document's output window, which collects the runs' error banners;
  // none by default.
  virtual CCText* outputEditor() { return nullptr; }
  // Shows the output window (SW_SHOWNORMAL); nothing by default.
  virtual void showOutput() {}
  // The document's file path (empty for a table never saved), for C scripts.
  virtual std::u16string documentPath() { return {}; }

  // The host records through which the engines reach this document.
  ExprtkHost mExprtkHost;
  TccHost mTccHost;
  PythonHost mPythonHost;
};

// The open tables, as the table functions and createFile reach them.
struct ScriptDocuments {
  // The first open tab whose title equals `title` exactly; null when none.
  std::function<ScriptDocument*(const std::u16string& title)> findByTitle;
  // A new tab with an empty table saved to `path`; 1 when a document was made.
  std::function<int32_t(const std::u16string& path)> createFileInNewTab;
  // The tab that shows `path` becomes current, else the file opens in a new tab.
  std::function<void(const std::u16string& path)> openPath;
};
ScriptDocuments& scriptDocuments();

// Fills every slot of the document's three host records (the commit slot excepted,
// which each exprtk run installs).
void bindScriptHosts(ScriptDocument& document);
