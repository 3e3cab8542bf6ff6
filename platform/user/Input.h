// Input state: keyboard focus, activation of top-level windows, mouse
// capture, key states, the cursor and the caret. The state changes when the
// test driver (or a display backend) injects input; GetAsyncKeyState reads it
// as of now, GetKeyState as of the last input message retrieved.
#pragma once
#include "platform/user/Types.h"

// WM_KILLFOCUS (wParam = new focus) to the old focus, then WM_SETFOCUS
// (wParam = old focus) to the new one. Returns the previous focus window;
// null, without any change, for a window that is disabled or inside a
// disabled window (even one that has the focus already).
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

SHORT GetAsyncKeyState(int vk);  // high bit: down now
SHORT GetKeyState(int vk);       // high bit: down; low bit: toggled (Caps Lock)

BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
HCURSOR SetCursor(HCURSOR cursor);  // returns the previous cursor
HCURSOR GetCursor();
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);  // system cursors (null instance)
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);      // system icons (null instance), else resources
UINT GetDoubleClickTime();

// One caret for the thread, owned by the window that created it; hidden
// after creation until ShowCaret.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* point);
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
