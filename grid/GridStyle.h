// The look of one document's grid: its 28 indexed colours, fonts, selection fill, default
// sizes, the cursor over the grid and the header filter button's four pictures.
#pragma once
#include <array>
#include <cstdint>

#include "platform/windows.h"

// Indices into GridStyle::colors.
enum GridColor : int32_t {
  COLOR_HEADER_BORDER = 1,        // border line of an ordinary header; corner box edge
  COLOR_HEADER_BORDER_WHOLE = 2,  // header of a wholly selected column or row
  COLOR_HEADER_BORDER_MEET = 3,   // header that meets the selection
  COLOR_CORNER_LIGHT = 4,
  COLOR_CORNER_DARK = 5,
  COLOR_CORNER_FILL = 6,
  COLOR_CORNER_MARK = 7,
  COLOR_CORNER_LIGHT_ALL = 8,
  COLOR_CORNER_DARK_ALL = 9,
  COLOR_CORNER_FILL_ALL = 10,
  COLOR_CORNER_MARK_ALL = 11,
  COLOR_COLHEAD_TOP = 12,  // 12 + 2 * state: gradient top; 13 + 2 * state: bottom
  COLOR_COLHEAD_BOTTOM = 13,
  COLOR_ROWHEAD = 18,  // 18 + state
  COLOR_GRID_LINE = 21,
  COLOR_CELL_AREA = 22,
  COLOR_BAND_EVEN = 23,
  COLOR_BAND_ODD = 24,
  COLOR_SPLIT_LINE = 25,
  COLOR_HEADER_TEXT = 26,
  COLOR_CELL_TEXT = 27,
};

struct GridStyle {
  std::array<COLORREF, 28> colors{};
  LOGFONTW headerFont{};  // layout, zoom, headers; its face serves the cells too
  LOGFONTW cellFont{};    // cell text height
  COLORREF selectionFill = 0x777766;
  int32_t selectionAlpha = 65;
  // Unzoomed pixels.
  int32_t headerHeight = 20;
  int32_t rowHeaderWidth = 34;
  int32_t rowHeight = 18;      // default row height
  int32_t columnWidth = 74;    // default column width
  int32_t scrollMargin = 150;  // scrollable space past the last row and column
  int32_t wheelStep = 200;     // pixels per wheel notch
  int32_t grabTolerance = 3;   // pixels either side of a header border that grab it
  LPCWSTR cursor = nullptr;    // system cursor id (IDC_*) shown over the grid
  // Filter button pictures: plain, pressed, filtering, filtering and pressed.
  std::array<HICON, 4> icons{};

  // Every field at its default; the filter button's icons from the program's resources.
  void setDefaults();
};
