// Whether the user's mouse and keyboard input reaches the document windows. Cleared while
// a long operation runs (the grid, the main menu and the tab strip then ignore clicks and
// the wheel) and set again when it ends. UI thread only.
#pragma once

extern bool gInputEnabled;  // true at start

// True for a command (WM_COMMAND) or a close request (WM_CLOSE) that a modeless dialog
// receives while input is off: the dialog takes it and does nothing, so that nothing
// starts on a sheet that the long operation is reading or writing.
bool refusedWhileBusy(unsigned message);
