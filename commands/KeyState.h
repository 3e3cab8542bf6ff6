// The keyboard state that the edit operations sample. The grid installs a reader of
// the platform's key state; while none is installed no key counts as held.
#pragma once

// Returns true while Ctrl is held down now.
using KeyHeldFn = bool (*)();
extern KeyHeldFn gCtrlHeld;

inline bool ctrlHeld() { return gCtrlHeld != nullptr && gCtrlHeld(); }
