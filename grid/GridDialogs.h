// The procedures of the grid's small modal dialogs (GridDialogs.cpp); each takes its CGrid
// as the creation parameter, except the sort scope, which takes none.
#pragma once
#include <string>

#include "platform/windows.h"

INT_PTR CALLBACK gotoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK tableSizeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Ends with 1 (expand the selection), 2 (the selection alone) or 0 (cancelled).
INT_PTR CALLBACK sortScopeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK splitSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The target the split dialog proposes for a document's path: a delimited-text path as it
// is, any other kind with its file name's extension replaced by ".csv" (or ".csv" added
// when the name has none); an empty path stays empty.
std::u16string proposedSplitPath(const std::u16string& path);
