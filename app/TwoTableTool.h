// The two-table tools: dedupe (dialog IDD_TWO_TABLE_DEDUPE) and duplicates (dialog
// IDD_TWO_TABLE_DUPLICATES) make a new table of the rows of a source table whose key does
// not occur, or does occur, in a lookup table. The two dialogs share one record, so at
// most one of them is open.
#pragma once
#include <cstdint>
#include <string>

#include "platform/windows.h"

struct TwoTableInput {
  int32_t mPending = 0;                               // id of the "获取" button whose pick is awaited; 0 = none
  HWND mDialog = nullptr;                             // the open two-table dialog; null while none is
  std::u16string mSource;                             // tab title of the source table
  std::u16string mLookup;                             // tab title of the lookup table
  std::u16string mMatchCol1, mMatchCol2, mMatchCol3;  // column letters
};
extern TwoTableInput gTwoTable;

// Commands ID_TWO_TABLE_DEDUPE and ID_TWO_TABLE_DUPLICATES: create the dialog over
// `parent`, or show the two-table dialog that is open.
HWND showTwoTableDedupeDialog(HWND parent);
HWND showTwoTableDuplicatesDialog(HWND parent);

// What a "获取" button of the two-table dialogs fills: its combo, and whether it takes the
// tab title (the tables) or the column letters. combo 0 for another id.
struct TwoTablePick {
  int combo = 0;
  bool tableTitle = false;
};
TwoTablePick twoTablePickOf(int button);

void fillTwoTableDedupeDialog(HWND dialog);
void fillTwoTableDuplicatesDialog(HWND dialog);
INT_PTR CALLBACK twoTableDedupeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK twoTableDuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Check gTwoTable and build the result table in a new tab, which becomes current; the
// dialog closes. Messages owned by the main window. True on success.
bool runTwoTableDedupe();
bool runTwoTableDuplicates();
