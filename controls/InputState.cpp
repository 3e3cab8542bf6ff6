#include "controls/InputState.h"

bool gInputEnabled = true;
