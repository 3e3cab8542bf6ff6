// The font the custom controls start with.
#pragma once
#include "platform/windows.h"

// 12-pixel "宋体", normal weight, the default character set.
LOGFONTW defaultControlFont();
