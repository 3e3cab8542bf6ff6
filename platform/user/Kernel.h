// Kernel calls: tick count, sleeping, the module and its file name, and the
// hand-driven clock of tests.
#pragma once
#include <string>

#include "platform/WinTypes.h"

// Milliseconds since start-up, 32-bit, wrapping. A plain C function: its
// address is handed to compiled scripts.
extern "C" DWORD GetTickCount(void);
ULONGLONG GetTickCount64();
// Blocks the calling thread. Under a hand-driven clock it advances the clock
// instead of waiting.
void Sleep(DWORD ms);
HMODULE GetModuleHandleW(LPCWSTR moduleName);  // null: the program
// The full path of the program file ('/' separators); cut to the buffer
// (then `size` is returned). Returns the length copied.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

namespace platform {
// Tests: GetTickCount reads `ms` until advanced by hand (or by Sleep).
void setManualClock(DWORD ms);
void advanceClock(DWORD ms);
void useRealClock();
bool clockIsManual();
// Tests: the path GetModuleFileNameW gives (empty: the program file's own).
void setModuleFileName(const std::u16string& path);
}  // namespace platform
