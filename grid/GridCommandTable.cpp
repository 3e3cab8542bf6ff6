#include "grid/GridCommandTable.h"

#include <cassert>

namespace {

using Registrar = void (*)(GridCommandRows&);

// Every group's registration function; add a group with one line of its own.
constexpr Registrar kRegistrars[] = {
    addEditCommands,
};

const GridCommandRows& table() {
  static const GridCommandRows rows = [] {
    GridCommandRows all;
    for (Registrar add : kRegistrars) add(all);
#ifndef NDEBUG
    // No id belongs to two rows.
    for (size_t i = 0; i < all.size(); ++i)
      for (size_t j = i + 1; j < all.size(); ++j)
        assert(all[i].last < all[j].first || all[j].last < all[i].first);
#endif
    return all;
  }();
  return rows;
}

}  // namespace

bool runGridCommand(CGrid& grid, UINT id) {
  for (const GridCommandRow& row : table()) {
    if (id >= row.first && id <= row.last) {
      row.run(grid, id);
      return true;
    }
  }
  return false;
}
