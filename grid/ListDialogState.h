// The record that the column filter popup and the delete-duplicates dialog keep in their
// window's user data.
#pragma once
#include <cstdint>
#include <vector>

#include "controls/ListCtrl.h"
#include "grid/FilterValues.h"
#include "platform/windows.h"

class CGrid;

struct ListDialogState {
  HWND hwnd = nullptr;                               // the popup or dialog
  uint8_t painted = 0;                               // the popup has been painted once
  CCList* list = nullptr;                            // owned; its window is a child of hwnd
  CGrid* grid = nullptr;                             // the document
  std::vector<ListItem2> items;                      // the popup's full value list, the dialog's column list
  int32_t expand = 0, hasHeader = 0, matchCase = 0;  // the delete-duplicates options
  // ---- the popup only ----
  uint64_t headerKey = 0;  // the filter's header cell
  int32_t column = 0;      // its column
  POINT anchor{};          // the button's lower-right corner in the grid's client area
  FilterTexts texts;       // the items' texts, taken at the first narrowing
};
