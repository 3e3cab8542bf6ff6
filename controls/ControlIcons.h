// The images of the program's own controls, by icon resource id: the list's check boxes
// (143 checked, 144 unchecked) and the pieces of the tab strip (153 to 170).
#pragma once
#include "platform/windows.h"

// The icon `id` of the program module (LoadIconW with the module instance); when the
// module has no such icon, the control's built-in drawing of it. The handle is made once
// per id and shared by every caller; it is never destroyed. Null for an id that is neither
// a module icon nor one of the ids above.
HICON loadControlIcon(WORD id);
