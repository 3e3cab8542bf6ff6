// The grid's command table: which operation a command id of the menu, the context menu
// or an accelerator runs in a document. Each group of grid operations adds its own rows
// from its own registration function; the table is built once, on first use, from the
// list in GridCommandTable.cpp. Ids the table lacks fall through to CGrid::onCommand's
// own switch (file, view and setting commands) and then to the main window.
#pragma once
#include <vector>

#include "platform/windows.h"

class CGrid;

// Ids first..last (inclusive) run `run(grid, id)`.
struct GridCommandRow {
  UINT first = 0;
  UINT last = 0;
  void (*run)(CGrid& grid, UINT id) = nullptr;
};
using GridCommandRows = std::vector<GridCommandRow>;

// Registration functions, one per group of grid operations.
void addEditCommands(GridCommandRows& rows);  // GridCommands.cpp: clipboard, kinds, insert, sort, statistics, dialogs

// Runs the row that holds `id`; false when no row does.
bool runGridCommand(CGrid& grid, UINT id);
