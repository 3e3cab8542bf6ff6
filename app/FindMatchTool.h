// Find-match (dialog IDD_FIND_MATCH): looks up the values of one column in another
// table's column and writes the matching row's return columns into a write column, or,
// without a look-up, copies the return columns row for row.
#pragma once
#include <cstdint>
#include <string>

#include "platform/windows.h"

struct FindMatchInput {
  int32_t mPending = 0;        // id of the "获取" button whose pick is awaited; 0 = none
  HWND mDialog = nullptr;      // the find-match dialog; null while it is closed
  std::u16string mLookupData;  // combo IDC_MATCH_DATA: the column whose values are looked up
  std::u16string mLookupArea;  // combo IDC_MATCH_AREA: the column searched for them
  std::u16string mWritePos;    // combo IDC_MATCH_WRITE: the first column written
  std::u16string mReturnCol;   // combo IDC_MATCH_RETURN: the first column whose values are returned
  int32_t mCount = 1;          // combo IDC_MATCH_COUNT: adjacent columns returned (above 0)
};
extern FindMatchInput gFindMatch;

// Command ID_FIND_MATCH: creates the dialog over `parent`, or shows the one that is open.
HWND showFindMatchDialog(HWND parent);
// The combo that a "获取" button of the dialog fills; 0 for another id.
int findMatchComboOf(int button);
void fillFindMatchDialog(HWND dialog);
INT_PTR CALLBACK findMatchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Checks and runs the find-match of gFindMatch; messages owned by the main window. True
// on success.
bool runFindMatch();
