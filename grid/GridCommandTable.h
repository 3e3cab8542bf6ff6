// The grid's command table: rows (command id, handler) that the parts of the grid add,
// each part in a registration function of its own, so that adding a part adds rows
// without touching the rows of another. The window's command handling asks the table
// before its built-in commands.
#pragma once
#include <initializer_list>

#include "platform/windows.h"

class CGrid;

using GridCommandFn = void (*)(CGrid&);

struct GridCommandRow {
  UINT id;
  GridCommandFn run;
};

// Adds rows; a row for an id already in the table replaces it. UI thread only.
void addGridCommands(std::initializer_list<GridCommandRow> rows);
// Runs the handler of `id` on `grid`; false when the table has no row for it. The first
// call fills the table from every part's registration function.
bool runGridCommand(CGrid& grid, UINT id);
// Fills the table (once; later calls do nothing). The document object calls it when it is
// made, so that hooks the parts install are in place before the first window exists.
void installGridCommands();

// The parts' registration functions, each defined with its part.
void registerEditCommands();        // clipboard, clear, insert, sizes, kinds, statistics, sort, dialogs
void registerFindFilterCommands();  // find and replace, delete duplicates
