// Classify-save (dialog IDD_CLASSIFY_SAVE): the rows of the current table written into
// one ".csv" file per file name that their key columns give, in a chosen folder.
#pragma once
#include "platform/windows.h"

// Command ID_CLASSIFY_SAVE: creates a new dialog over `parent` while a document is open
// (null otherwise); it becomes the dialog column picks return to.
HWND showClassifySaveDialog(HWND parent);
INT_PTR CALLBACK classifySaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Reads the dialog, writes the files and ends the dialog; a field refused leaves it open.
// After the run one message lists the files that could not be created or written.
void runClassifySave(HWND dialog);
