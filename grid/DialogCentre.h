// Placement shared by the grid's dialogs.
#pragma once
#include "platform/windows.h"

// Moves the dialog, keeping its size and without repainting, so that it is centred over
// its parent window (screen coordinates; the top-left corner when it has no parent).
void centreDialog(HWND dialog);
