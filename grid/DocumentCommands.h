// The menu commands that need a document, greyed while no tab is open.
#pragma once
#include "platform/windows.h"

// MF_ENABLED (enable) or MF_GRAYED for each of those commands of the main window's menu.
// Nothing while there is no main window or it has no menu.
void enableDocumentCommands(bool enable);
// Whether `id` is one of them.
bool isDocumentCommand(UINT id);
