// Window classes of the program's own controls ("List2", "Text2", "Tab2", "Grid2").
#pragma once
#include "platform/windows.h"

// Registers `className` with `windowProcedure` for the program module: redrawn on every
// resize, double clicks delivered, the standard application icon, the arrow cursor, no
// background brush (the controls paint everything themselves) and no menu. Called at every
// creation of such a window; a repeated registration fails inside RegisterClassW and is
// ignored, so the first registration of a name stays in force.
void registerControlClass(const char16_t* className, WNDPROC windowProcedure);
