// Feeding input into the layer: what the test driver (or a display backend)
// calls. Each call updates the asynchronous state at once (key states, mouse
// buttons, cursor position) and queues a raw input event; the event becomes a
// message when it is retrieved, routed then to the capture window, the
// window under the point or the focus window, as the platform routes input.
#pragma once
#include "platform/user/Types.h"

namespace platform {

// WM_MOUSEMOVE, WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN/UP, WM_MBUTTONDOWN/UP or
// WM_MOUSEWHEEL (with `wheelDelta`, a multiple of WHEEL_DELTA) at a screen
// point. Double clicks are made from downs at retrieval.
void injectMouse(UINT message, POINT screen, int wheelDelta = 0);
// A key going down or up (VK_* code). Alt without Ctrl, and F10, make the
// WM_SYS* forms. Caps Lock and Num Lock toggle when they go down. `scan`,
// the key's code on the keyboard (0 when unknown), goes into lParam bits
// 16-23, where TranslateMessage finds it for the desktop's keymap.
void injectKey(int vk, bool down, int scan = 0);
// The desktop took the release of a mouse button (VK_LBUTTON...) for a
// drag of its own, such as sizing a window by its grip: the button is up in
// both key states from now on, and no message tells the windows.
void buttonReleasedUnseen(int vk);
// A character typed without a keystroke (as an input method delivers it):
// WM_CHAR to the focus window.
void injectChar(char16_t ch);
// Drops everything queued and resets keys, buttons, the cursor position and
// the double-click memory (tests start from here).
void resetInput();

// The thumb position a drag of a standard scroll bar has reached (read back
// as nTrackPos); the driver sets it before sending SB_THUMBTRACK.
void setScrollTrackPos(HWND hwnd, int bar, int pos);

struct CaretState {
  HWND owner = nullptr;
  int width = 0, height = 0;
  POINT pos{};
  bool visible = false;
};
CaretState caretState();

// The character a keystroke makes with the given modifier states (US
// layout), 0 when it makes none. What TranslateMessage uses.
char16_t characterForKey(int vk, bool shift, bool capsLock, bool ctrl, bool alt);
// The same for a keystroke with its scan code (lParam bits 16-23): under a
// desktop its keymap answers.
char16_t characterForKey(int vk, int scan, bool shift, bool capsLock, bool ctrl, bool alt);

}  // namespace platform
