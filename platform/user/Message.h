// The message queue: sending, posting from any thread, retrieval in the
// platform's order (posted, then WM_QUIT, then input, then WM_PAINT, then
// WM_TIMER), translation of keystrokes into characters, dispatch and default
// processing.
#pragma once
#include "platform/user/Types.h"

// Calls the window procedure now. Only for windows of the calling thread: a
// send across threads is a fault of the caller and aborts with a message.
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message for the window's thread (or the calling thread when hwnd
// is null) and wakes its GetMessageW. Any thread; never waits. FALSE for an
// invalid window. Messages for windows destroyed meanwhile are dropped.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Waits for a message; 0 for WM_QUIT (its wParam is the exit code).
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Posts WM_CHAR / WM_SYSCHAR for a WM_KEYDOWN / WM_SYSKEYDOWN that makes a
// character, to the keystroke's own window. Nonzero for every key message.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
