// Column string merge (dialog IDD_COLUMN_MERGE): the texts of up to four columns of any
// open tables, joined with three separators, written into a result column.
#pragma once
#include <string>

#include "platform/windows.h"

// Command ID_COLUMN_MERGE: creates a new dialog over `parent`; it becomes the dialog
// column picks return to.
HWND showColumnMergeDialog(HWND parent);
INT_PTR CALLBACK columnMergeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Merges and closes the dialog; a column 1 or result that names no column of an open
// table is refused (message owned by the main window) and nothing is written: false.
bool runColumnMerge(HWND dialog, const std::u16string& col1, const std::u16string& col2, const std::u16string& col3,
                    const std::u16string& col4, const std::u16string& sep1, const std::u16string& sep2,
                    const std::u16string& sep3, const std::u16string& result);
