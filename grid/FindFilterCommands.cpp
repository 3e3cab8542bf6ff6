// The rows of the grid's command table for find and replace and delete duplicates.
#include "grid/Grid.h"
#include "grid/GridCommandTable.h"
#include "resources/GridIds.h"

void registerFindFilterCommands() {
  addGridCommands({
      {ID_FIND, [](CGrid& g) { g.showFind(); }},
      {ID_FIND_NEXT, [](CGrid& g) { g.findNext(); }},
      {ID_FIND_PREV, [](CGrid& g) { g.findPrev(); }},
      {ID_REPLACE, [](CGrid& g) { g.showReplace(); }},
      {ID_REPLACE_NEXT, [](CGrid& g) { g.replaceNext(); }},
      {ID_REPLACE_ALL, [](CGrid& g) { g.replaceAll(); }},
      {ID_DELETE_DUPLICATES, [](CGrid& g) { g.showDeleteDuplicates(); }},
  });
}
