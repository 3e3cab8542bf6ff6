// The test driver: runs the headless window system from a test. It pumps the
// calling thread's queue until idle, injects mouse, keyboard, character and
// drop input at screen points, sends scroll-bar requests, drives the clock,
// and reads what windows have painted.
//
// Input goes through the same path as real input: injected events update the
// key and button states at once and become messages when the pump retrieves
// them, routed to the capture, focus or pointed-at window.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/user/Inject.h"
#include "platform/user/User.h"

namespace testdriver {

struct PumpResult {
  int dispatched = 0;     // messages dispatched
  bool quit = false;      // WM_QUIT was retrieved (the pump stopped there)
  int exitCode = 0;       // its wParam
  bool limitHit = false;  // stopped at the limit (a window that never validates, ...)
};

// PeekMessageW(PM_REMOVE), TranslateMessage, DispatchMessageW until nothing
// is left (due timers included), WM_QUIT is retrieved or `limit` messages
// have been dispatched.
PumpResult pumpUntilIdle(int limit = 100000);

// Starts a test from a known state: a hand-driven clock at `startMs`, no
// queued input, keys and buttons up, cursor at (0, 0), empty clipboard.
// Queued messages are dropped, except that pending paints are done (and a
// window that does not validate in WM_PAINT is validated). Windows are left
// alone (destroy them in the test).
void reset(DWORD startMs = 1000);
// Advances the hand-driven clock (timers fall due) and pumps.
PumpResult advance(DWORD ms);

enum class Button { Left, Right, Middle };
enum Modifiers : unsigned { None = 0, Shift = 1, Ctrl = 2, Alt = 4 };

// The screen point of a client point of `hwnd`.
POINT screenPoint(HWND hwnd, int x, int y);

void mouseMove(POINT screen);
void mouseDown(POINT screen, Button button = Button::Left);
void mouseUp(POINT screen, Button button = Button::Left);
void click(POINT screen, Button button = Button::Left);  // down, up
void doubleClick(POINT screen);                          // down, up, down, up at once
void wheel(POINT screen, int delta);                     // delta in WHEEL_DELTA units of 120

void keyDown(int vk);
void keyUp(int vk);
// Modifiers down (Ctrl, Shift, Alt), the key down and up, modifiers up, all
// queued before anything is pumped: a handler reading GetAsyncKeyState finds
// the modifiers already up (GetKeyState sees them down).
void keyPress(int vk, unsigned modifiers = None);
// Modifiers down and pumped, then `input` (key or mouse events) injected and
// pumped while the modifiers are still held, then the modifiers up and
// pumped: handlers of that input find the modifiers down in GetKeyState and
// GetAsyncKeyState alike. Returns what the pumps did.
PumpResult holding(unsigned modifiers, const std::function<void()>& input);
// holding(modifiers, key down and up): a key chord such as Ctrl+C.
PumpResult chord(int vk, unsigned modifiers);
void typeChar(char16_t ch);  // WM_CHAR to the focus window, as an input method gives it
void typeText(std::u16string_view text);

// Posts WM_DROPFILES to the window under the point that accepts files (it or
// an ancestor with WS_EX_ACCEPTFILES); returns that window, null when none.
HWND dropFiles(POINT screen, const std::vector<std::u16string>& paths);

// A request of a standard scroll bar: SB_THUMBTRACK / SB_THUMBPOSITION first
// set nTrackPos to `thumb`; then WM_VSCROLL or WM_HSCROLL is sent.
void scroll(HWND hwnd, int bar, int request, int thumb = 0);
// The close box: WM_SYSCOMMAND SC_CLOSE.
void closeBox(HWND hwnd);

// The pixels of a window's visible client area (0x00RRGGBB), as painted on
// its top-level window's surface.
Surface windowPixels(HWND hwnd);
// Writes them as a PNG file; false when the file cannot be written.
bool saveWindowPng(HWND hwnd, const std::string& path);

}  // namespace testdriver
