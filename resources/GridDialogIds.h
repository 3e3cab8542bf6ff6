// The ids of the grid's resources (GridResources.cpp, GridCommandDialogs.cpp): its
// context menu, the script output and paged-open dialogs, the header filter button's
// icons, and the dialogs of the grid's commands (split settings, table size, sort scope,
// go to), with their controls. Their buttons besides these are IDOK and IDCANCEL.
#pragma once

enum : int {
  IDR_GRID_CONTEXT = 145,  // the context menu: one popup
  IDD_OUTPUT = 147,        // the script output window

  IDD_PAGED_OPEN = 149,
  IDC_PAGE_KEEP_HEADER = 1000,
  IDC_PAGE_PATH = 1003,
  IDC_PAGE_START = 1004,
  IDC_PAGE_ROWS = 1005,
  IDC_PAGE_TOTAL = 1007,
  IDC_PAGE_OPEN = 1030,
  IDC_PAGE_BROWSE = 1031,
  IDC_PAGE_PREVIOUS = 1032,
  IDC_PAGE_NEXT = 1033,

  // The header filter button: raised or pressed, with the funnel empty or (the column
  // filters rows) filled.
  IDI_FILTER = 139,
  IDI_FILTER_ON_PRESSED = 140,
  IDI_FILTER_ON = 141,
  IDI_FILTER_PRESSED = 142,

  IDD_SPLIT_SETTINGS = 129,
  IDC_SPLIT_KEEP_HEADER = 1000,
  IDC_SPLIT_BY_ROWS = 1001,
  IDC_SPLIT_BY_PARTS = 1002,
  IDC_SPLIT_ROWS = 1003,
  IDC_SPLIT_PARTS = 1004,
  IDC_SPLIT_TARGET = 1005,
  IDC_SPLIT_BROWSE = 1006,

  IDD_TABLE_SIZE = 130,
  IDC_SIZE_ROWS = 1007,
  IDC_SIZE_COLS = 1008,

  IDD_SORT_SCOPE = 131,
  IDC_SORT_EXPAND = 1001,
  IDC_SORT_ALONE = 1002,

  IDD_GOTO = 151,
  IDC_GOTO_ROW = 1003,
  IDC_GOTO_COL = 1004,
};
