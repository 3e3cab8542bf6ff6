// Whether the user's mouse and keyboard input reaches the document windows. Cleared while
// a long operation runs (the grid, the main menu and the tab strip then ignore clicks and
// the wheel) and set again when it ends. UI thread only.
#pragma once

extern bool gInputEnabled;  // true at start
