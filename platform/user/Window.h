// Window classes and windows: creation and destruction, the window tree
// (parent for child windows, owner for top-level ones), geometry with fixed
// non-client metrics, visibility, enabling, text and window data.
//
// Coordinates: a child window's rectangle is relative to its parent's client
// area, a top-level window's to the screen (1920 x 1080). Rectangles are
// exclusive on the right and bottom. Window handles start at 0x10000 and are
// never reused. All calls are for the thread that created the window.
#pragma once
#include "platform/user/Types.h"

ATOM RegisterClassW(const WNDCLASSW* wc);      // 0 if the name is taken (the first stays)
ATOM RegisterClassExW(const WNDCLASSEXW* wc);  // 0 if the name is taken
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* out);

// WM_NCCREATE, WM_CREATE, WM_SIZE and WM_MOVE are sent inside the call, then
// WM_PARENTNOTIFY to the parents of a child, then the window is shown when
// WS_VISIBLE was given. For a top-level window `parent` names its owner (the
// top-level ancestor of the window given). Null on failure.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width, int height,
                          HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
// Synchronous: the window is hidden (focus and activation leave it), then
// WM_DESTROY goes to it and to its children (parents before children), then
// its owned windows are destroyed, then WM_NCDESTROY children first; posted
// messages for it are dropped. Callable from inside its own procedure.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetParent(HWND hwnd);  // the parent of a child, the owner of a popup
HWND SetParent(HWND hwnd, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND WindowFromPoint(POINT screen);

BOOL ShowWindow(HWND hwnd, int command);  // returns whether it was visible
BOOL IsWindowVisible(HWND hwnd);          // WS_VISIBLE on it and every ancestor
// Returns whether it was disabled. Disabling takes the focus from the window
// itself and the capture from it and its children; a focused child keeps the
// focus until the activation moves it. The children of a disabled window get
// no pointer input and cannot be focused or activated.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);  // returns the previous value
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG SetWindowLongW(HWND hwnd, int index, LONG value);
LONG GetWindowLongW(HWND hwnd, int index);

int GetSystemMetrics(int index);
DWORD GetSysColor(int index);

BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL IsRectEmpty(const RECT* rect);
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL OffsetRect(RECT* rect, int dx, int dy);

DWORD GetLastError();
void SetLastError(DWORD code);
