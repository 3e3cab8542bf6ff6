// The desktop a display backend shows the layer's windows on. Headless runs
// (tests under the test driver) have none and the layer behaves exactly as
// without this file; with a desktop the layer tells it what changed at the
// few points where a real window system must hear of it, and asks it where
// only the desktop knows the answer (the keymap, the monitor, another
// program's clipboard, a native chooser). Every call is made on the UI
// thread (the thread that created the windows) except `wake`.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/user/Blocking.h"
#include "platform/user/Types.h"

namespace platform {

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Top-level windows. `windowChanged` covers position, size, styles, the
  // menu bar and the owner; `windowShown` the visibility (and creation of
  // the desktop's window on first show); `windowGone` comes before the
  // layer forgets the window.
  virtual void windowShown(HWND top, bool shown) = 0;
  virtual void windowChanged(HWND top) = 0;
  virtual void windowTitle(HWND top) = 0;
  virtual void windowActivated(HWND top) = 0;
  virtual void windowGone(HWND top) = 0;
  // A part of a top-level window's surface (surface pixels) was drawn.
  virtual void surfaceDrawn(HWND top, RECT area) = 0;
  virtual void menuBarChanged(HWND top) = 0;
  // The standard scroll bars of a top-level window changed (scrollBarPixels
  // draws them in the frame, outside the surface).
  virtual void scrollBarsChanged(HWND /*top*/) {}
  virtual void cursorChanged(HCURSOR cursor) = 0;
  virtual void captureChanged(HWND capture) = 0;
  // A press on a size grip (HTBOTTOMRIGHT): the desktop sizes the top-level
  // window `top` from its bottom-right corner while the button stays down.
  virtual void sizeFromCorner(HWND /*top*/) {}
  // ImmSetCompositionWindow placed the composition at a client point.
  virtual void compositionMoved(HWND hwnd, POINT client) = 0;
  // WM_SYSCOMMAND SC_KEYMENU reached a top-level window with a menu: `ch` is
  // the letter typed with Alt, 0 for Alt or F10 pressed alone.
  virtual void keyMenu(HWND top, char16_t ch) = 0;

  // Waiting for messages on the UI thread: `wait` returns when input
  // arrived, `wake` was called, or `ms` passed (0xFFFFFFFF: no limit);
  // `pump` handles what the desktop has pending without waiting.
  virtual bool isUiThread() const = 0;
  virtual void wait(DWORD ms) = 0;
  virtual void pump() = 0;
  virtual void wake() = 0;  // any thread

  // The character a key makes under the desktop's keymap; nullopt when the
  // desktop cannot tell (the layer's own table answers then).
  virtual std::optional<char16_t> characterForKey(int vk, int scan, bool shift, bool capsLock, bool ctrl,
                                                  bool alt) = 0;

  // The clipboard: the layer's CF_UNICODETEXT has changed (it now owns the
  // desktop clipboard), or the layer asks for text another program holds
  // (nullopt while the layer owns the clipboard).
  virtual void clipboardTaken() = 0;
  virtual std::optional<std::u16string> foreignClipboardText() = 0;

  // Blocking calls the desktop serves itself (native choosers); nullopt
  // leaves the call to its headless answer.
  virtual std::optional<BlockingAnswer> answer(const BlockingCall& call) = 0;
  // TrackPopupMenu: shows the menu at a screen point until a command is
  // chosen (its id) or the menu is dismissed (0).
  virtual UINT trackPopupMenu(HMENU menu, POINT screen, HWND owner) = 0;

  // The monitor the main window is on and its work area (screen pixels).
  virtual RECT monitor() = 0;
  virtual RECT workArea() = 0;

  // A document type was registered under HKEY_CLASSES_ROOT: the extension
  // (".mvt"), its description and the open command.
  virtual void fileTypeRegistered(const std::u16string& extension, const std::u16string& progId,
                                  const std::u16string& description, const std::u16string& command) = 0;
};

// The desktop in use, null when headless. The first call with `pick` set
// (the first top-level window) opens the installed display backend when a
// display is present (DISPLAY or WAYLAND_DISPLAY) and nothing pinned the
// layer headless.
Desktop* desktop(bool pick = false);
// Installs the display backend's opener, which returns null when no display
// can be opened. The layer itself links no window toolkit: a program without
// an opener (every test program but the display tests) is always headless.
// The program installs platform::display::open at start.
void setDesktopOpener(Desktop* (*open)());
// Installs a desktop (null: headless again); returns the previous one.
Desktop* setDesktop(Desktop* next);
// Keeps the layer headless: the test driver calls it, as does
// MORVEL_HEADLESS=1 in the environment.
void pinHeadless();
bool headlessPinned();

// How a top-level window is laid out for a desktop: its rectangle and the
// parts inside it, all in screen pixels.
struct FrameLayout {
  RECT window{};           // the whole window (GetWindowRect)
  RECT frame{};            // inside the border and caption: what the desktop's window shows
  RECT menuBar{};          // empty without a menu
  RECT client{};           // the client area (the surface)
  bool decorated = false;  // has a caption: the desktop draws border and caption
  bool popup = false;      // WS_POPUP
  HWND owner = nullptr;
};
std::optional<FrameLayout> frameLayout(HWND top);
// The desktop moved or resized a top-level window: the layer takes the new
// frame rectangle (screen), sending WM_MOVE and WM_SIZE as MoveWindow does.
void frameMovedByDesktop(HWND top, RECT frame);

}  // namespace platform
