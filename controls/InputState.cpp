#include "controls/InputState.h"

#include "platform/windows.h"

bool gInputEnabled = true;

bool refusedWhileBusy(unsigned message) { return !gInputEnabled && (message == WM_COMMAND || message == WM_CLOSE); }
