// Find-match (dialog 172): looks up the values of one column in another table's column
// and writes the matching row's return columns into a write column, or, without a
// look-up, copies the return columns row for row.
#pragma once
#include <cstdint>
#include <string>

#include "platform/windows.h"

struct FindMatchInput {
  int32_t mPending = 0;      // id of the "获取" button whose pick is awaited; 0 = none
  HWND mDialog = nullptr;    // the find-match dialog; null while it is closed
  std::u16string mLookupData;  // combo 1040: the column whose values are looked up
  std::u16string mLookupArea;  // combo 1041: the column searched for them
  std::u16string mWritePos;    // combo 1037: the first column written
  std::u16string mReturnCol;   // combo 1042: the first column whose values are returned
  int32_t mCount = 1;          // combo 1046: adjacent columns returned (above 0)
};
extern FindMatchInput gFindMatch;

// Command 32937: creates the dialog over `parent`, or shows the one that is open.
HWND showFindMatchDialog(HWND parent);
// The combo that a "获取" button of dialog 172 fills; 0 for another id.
int findMatchComboOf(int button);
void fillFindMatchDialog(HWND dialog);
INT_PTR CALLBACK findMatchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Checks and runs the find-match of gFindMatch; messages owned by the main window. True
// on success.
bool runFindMatch();
