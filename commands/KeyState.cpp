#include "commands/KeyState.h"

KeyHeldFn gCtrlHeld = nullptr;
