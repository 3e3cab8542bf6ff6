// Timers: WM_TIMER is made when a timer is due and nothing else is waiting.
// Time is GetTickCount's, which tests can drive by hand.
#pragma once
#include "platform/user/Types.h"

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
