#include "grid/GridCommandTable.h"

#include <unordered_map>

namespace {

std::unordered_map<UINT, GridCommandFn>& table() {
  static std::unordered_map<UINT, GridCommandFn> rows;
  return rows;
}

}  // namespace

void addGridCommands(std::initializer_list<GridCommandRow> rows) {
  for (const GridCommandRow& row : rows) table()[row.id] = row.run;
}

void installGridCommands() {
  static bool done = false;
  if (done) return;
  done = true;
  registerEditCommands();
  registerFindFilterCommands();
}

bool runGridCommand(CGrid& grid, UINT id) {
  installGridCommands();
  auto it = table().find(id);
  if (it == table().end() || !it->second) return false;
  it->second(grid);
  return true;
}
