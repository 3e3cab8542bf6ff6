// The About dialog (modal dialog IDD_ABOUT, command ID_ABOUT): the program's icon, name
// and version and a link to its read-me file.
#pragma once
#include <string>

#include "platform/windows.h"

// The full path of the read-me file the link opens.
std::u16string readmePath();

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the dialog over `parent`; returns the id that closed it (1 or 2).
INT_PTR showAboutDialog(HWND parent);
