// Column string split (dialog IDD_COLUMN_SPLIT): the text of one column cut at any of a
// set of separator characters into up to four result columns of any open tables.
#pragma once
#include <string>
#include <vector>

#include "platform/windows.h"

// Command ID_COLUMN_SPLIT: creates a new dialog over `parent`; it becomes the dialog
// column picks return to.
HWND showColumnSplitDialog(HWND parent);
INT_PTR CALLBACK columnSplitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The tokens of `text`: runs of characters that are not in `separators` (an empty
// separator text leaves the whole text as one token; an empty text has none).
std::vector<std::u16string> splitTokens(const std::u16string& text, const std::u16string& separators);
// Splits and closes the dialog. A source that names no column of an open table, or no
// result that does, is refused (message owned by the main window), nothing written: false.
bool runColumnSplit(HWND dialog, const std::u16string& source, const std::u16string& separators,
                    const std::u16string& result1, const std::u16string& result2, const std::u16string& result3,
                    const std::u16string& result4);
