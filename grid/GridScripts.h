// The script side of a document: its host records, the operations they reach through
// (save, open, progress, sorts, scrolling, repaint), its output window and the open
// tables by title.
#pragma once
#include "script/ScriptDocument.h"

class CGrid;

class CGridScriptDocument : public ScriptDocument {
 public:
  explicit CGridScriptDocument(CGrid& grid) : mGrid(grid) {}
  CGridOps& scriptOps() override;
  int32_t save() override;
  int32_t saveAs(const std::u16string& path) override;
  void progress(int32_t percent) override;
  void open(const std::u16string& path) override;
  // The grid's insert command (one undoable command) for the selected whole rows or
  // columns.
  void insert(int32_t count) override;
  void sortAscending() override;
  void sortDescending() override;
  void scrollToCell(int32_t row, int32_t col) override;
  void repaint() override;
  CCText* outputEditor() override;
  void showOutput() override;
  std::u16string documentPath() override;

 private:
  CGrid& mGrid;
};

// Binds the document's host records and the table registry (once).
void attachScripts(CGrid& grid);
