// The program-wide reading settings chosen in the menu, and their check marks.
#pragma once
#include <atomic>

#include "platform/windows.h"

// Field separator chosen in the menu: 0 (automatic), ',', TAB, ' ', ';', '|', '\\' or ':'.
extern std::atomic<char> gDefaultSeparator;

// gQuoteDetect = on; ID_QUOTES_ON checked when on, ID_QUOTES_OFF when off (main window's
// menu).
void setQuoteDetect(bool on);
// gDefaultSeparator = the entry of menu id ID_SEPARATOR_AUTO..ID_SEPARATOR_COLON; exactly
// that item checked.
void setDefaultSeparator(UINT menuId);
// The delimiter of open, paged open and the saves for a path: the menu's separator, else
// ',' for ".csv" and TAB for every other text file.
char delimiterFor(const std::u16string& path);
