// Window class registration of the custom controls ("List2", "Text2", "Tab2", "Grid2").
#pragma once
#include "platform/windows.h"

// Registers `className` with `windowProcedure` for the program's module: styles
// CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, the standard application icon, the arrow cursor, no
// background brush (the controls paint everything themselves) and no menu. Called at every
// creation of such a window; a repeated registration fails and is ignored. Returns the
// class atom, 0 when the class was already registered.
ATOM registerControlClass(LPCWSTR className, WNDPROC windowProcedure);
