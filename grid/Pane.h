// The areas of a grid view and what the last left-button press hit.
#pragma once
#include <cstdint>

#include "platform/windows.h"

// One area of the view. Client values are int32; content values (unzoomed pixels from the
// top-left corner of cell (1, 1)) are 64-bit, since a sheet of many millions of rows is
// taller than 2^31 pixels.
struct Pane {
  enum : int32_t { COL_HEADERS = 1, ROW_HEADERS = 2 };  // `headers` bits
  enum : int32_t { SCROLL_X = 1, SCROLL_Y = 2 };        // `scrollDirs` bits
  RECT rect{};                                          // client area of the pane, headers included (inclusive)
  int32_t headers = 0;
  int32_t scrollDirs = 0;
  int64_t contentWidth = 0, contentHeight = 0;  // widths of columns 1.., heights of rows 1..
  int64_t scrollX = 0, scrollY = 0;             // content shown at the cell area's left / top
  int64_t minScrollX = 0, minScrollY = 0;       // lowest allowed scrollX / scrollY
  int64_t colOffset = 0, rowOffset = 0;         // content x of firstCol's left edge, y of firstRow's top
  int32_t firstRow = 1, firstCol = 1;           // first row / column at least partly visible
  int32_t freezeRow = 0, freezeCol = 0;         // the view's freeze position (copied into every pane)

  bool hasColHeaders() const { return headers & COL_HEADERS; }
  bool hasRowHeaders() const { return headers & ROW_HEADERS; }
};

// The visible part of one pane, as painting needs it.
struct PaneLayout {
  int32_t firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
  RECT corner{}, colHeaders{}, rowHeaders{};  // zero when absent
  RECT cells{};
};

// What the last left-button press hit. Border: size before the drag, its column or row,
// press and current client coordinate. Filter button: header cell row, column, and the
// client right and bottom of that cell.
struct DragInfo {
  int32_t size = 0;
  int32_t index = 0;
  int32_t press = 0;
  int32_t current = 0;
};

// Hit codes of CGridView::hitTest and the grid's drag state.
enum HitCode : int32_t {
  HIT_NONE = 0,
  HIT_CELLS = 1,
  HIT_COL_BORDER = 4,
  HIT_ROW_BORDER = 5,
  HIT_RIGHT_OF_COLUMNS = 6,
  HIT_BELOW_ROWS = 7,
  HIT_BEYOND_BOTH = 8,
  HIT_FILTER_BUTTON = 9,
};
