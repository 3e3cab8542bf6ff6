// Internal state of the windowing layer: classes, windows, queues, input
// state. Not for the program: it includes the public headers instead.
//
// Threads: the window table is guarded by `tableMutex` (PostMessageW and
// IsWindow look windows up from any thread); every other field is touched
// only by the thread that owns the windows (the UI thread). Each thread that
// calls the queue functions has its own ThreadQueue.
#pragma once
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/user/Types.h"
#include "platform/user/UpdateRegion.h"

namespace platform::user {

struct WindowClass {
  std::u16string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;  // brush, COLOR_* + 1, or null
  LPCWSTR menuName = nullptr;   // kept as given (resource number or string)
};

// One standard scroll bar. invariant when `exists`: min <= max,
// page <= max - min + 1, min <= pos <= max - max(page - 1, 0).
struct ScrollBar {
  bool exists = false;  // has state (the style asked for it, or SetScrollInfo made it)
  bool shown = false;   // takes room from the client area
  int min = 0, max = 0;
  UINT page = 0;
  int pos = 0, trackPos = 0;
};

struct ThreadQueue;

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  HWND parent = nullptr;       // set for child windows (and after SetParent)
  HWND owner = nullptr;        // top-level windows only: a top-level window
  std::vector<HWND> children;  // z-order, topmost first
  RECT rect{};                 // parent-client coordinates, or screen for top-level
  std::u16string text;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;          // control id of a child window
  HMENU menu = nullptr;     // menu of a top-level window
  bool hasMenuBar = false;  // a top-level window with a menu (bar height counted)
  ScrollBar bars[2];        // SB_HORZ, SB_VERT
  bool barsStale = false;   // the shown bars must be drawn again (ScrollBarDraw.cpp)
  UpdateRegion update;      // client coordinates
  bool erasePending = false;
  std::shared_ptr<Surface> surface;  // top-level windows: their client area
  bool destroying = false;           // DestroyWindow has started
  bool shownOnce = false;            // the first show of a top-level window sent WM_SIZE
  std::shared_ptr<ThreadQueue> queue;
  std::thread::id thread;

  bool isChild() const { return parent != nullptr; }
};
using WindowRef = std::shared_ptr<Window>;

// Raw input waiting to be routed to a window when it is retrieved.
struct InputEvent {
  enum Kind { Mouse, Key, Char } kind = Mouse;
  UINT message = 0;   // WM_MOUSEMOVE, WM_LBUTTONDOWN, ..., WM_MOUSEWHEEL, WM_KEYDOWN, WM_CHAR
  POINT pt{};         // screen point
  WPARAM wParam = 0;  // key flags (mouse), virtual key (keys), character
  LPARAM lParam = 0;  // keystroke flags
  DWORD time = 0;
  int vk = 0;  // key whose state this event changes (0 = none)
  bool down = false;
};

struct ThreadQueue {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<MSG> posted;  // FIFO
  bool quit = false;
  int quitCode = 0;
  uint64_t signals = 0;  // bumped by every wake-up
};

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  DWORD base;  // tick of the last firing or of SetTimer
  std::thread::id thread;
};

struct Caret {
  HWND owner = nullptr;
  int width = 0, height = 0;
  POINT pos{};
  int hideCount = 1;  // shown while 0
};

struct State {
  std::mutex tableMutex;
  std::unordered_map<HWND, WindowRef> windows;  // live windows (guarded by tableMutex)
  uint64_t nextHandle = 0x10000;                // handles grow by 4, never reused
  std::vector<HWND> topLevels;                  // z-order, topmost first
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;

  HWND focus = nullptr, active = nullptr, capture = nullptr;
  Caret caret;
  HCURSOR cursor = nullptr;

  std::mutex inputMutex;
  std::deque<InputEvent> input;                       // guarded by inputMutex
  std::array<std::atomic<uint8_t>, 256> asyncKeys{};  // 0x80 down, 0x01 toggled
  std::atomic<int> lastSysKey{0};       // the last key that went down as WM_SYSKEYDOWN (0 after a WM_SYSKEYUP)
  std::array<uint8_t, 256> syncKeys{};  // as of the last retrieved input
  std::atomic<LONG> cursorX{0}, cursorY{0};
  MSG lastClick{};        // for double-click synthesis (message 0 = none)
  bool altAlone = false;  // Alt went down and nothing else since (as of the last retrieved input)

  std::mutex queuesMutex;
  std::vector<std::weak_ptr<ThreadQueue>> queues;

  std::vector<Timer> timers;
  UINT_PTR nextThreadTimer = 0x7FFF;
};

// The state, made on first use and never destroyed, so it serves static
// initialisation and exit alike.
State& state();

WindowRef findWindow(HWND hwnd);
// The calling thread's queue.
std::shared_ptr<ThreadQueue> currentQueue();
// Wakes every thread waiting in GetMessageW (input, clock changes).
void wakeAllQueues();
void wakeQueue(ThreadQueue& queue);

// Geometry (Geometry.cpp).
RECT nonClientInsets(const Window& w);  // border, caption, menu, edges, shown bars
SIZE clientSize(const Window& w);
POINT clientOriginOnScreen(const Window& w);
WindowRef topLevelOf(const WindowRef& w);
// The client origin of `w` in its top-level window's surface, and the part of
// its client area that its ancestors leave visible (surface coordinates).
POINT clientOriginInSurface(const Window& w);
RECT visibleClientInSurface(const Window& w);
bool isVisible(const Window& w);  // WS_VISIBLE on it and every ancestor
// No WS_DISABLED on it or any ancestor: the children of a disabled window
// are disabled with it (no pointer input, no focus, no activation).
bool isEnabledWithAncestors(const Window& w);
// The part of the window a screen point is on: HTCLIENT, HTVSCROLL,
// HTHSCROLL, HTCAPTION, HTMENU or HTBORDER; the size box between two shown
// bars is HTBOTTOMRIGHT where it resizes a window (sizeBoxTarget), else
// HTSIZE.
int hitTest(const Window& w, POINT screen);
// The window the size box of `w` resizes: the first window with a sizing
// frame going up from `w` through children without caption, when it is not
// maximized and the bottom-right corner of `w` reaches (within an edge) the
// bottom-right corner of its client area, as a grip in that corner does;
// null otherwise.
HWND sizeBoxTarget(const Window& w);
// Sends WM_SIZE when the client size differs from `before` and keeps a
// top-level window's surface at its client size.
void clientSizeChanged(const WindowRef& w, SIZE before);
void resizeSurface(Window& w);

// Calls the window procedure of `w` (of the calling thread).
LRESULT callProc(const WindowRef& w, UINT message, WPARAM wParam, LPARAM lParam);

// Focus and activation helpers (Focus.cpp).
void activateOther(HWND leaving);
void setActive(HWND hwnd, WORD how);
void forgetWindow(HWND hwnd);  // clears focus, capture, caret, timers that name it

// Paint helpers (Paint.cpp).
RECT rectInSurface(const Window& w);  // a child's rectangle in its top-level window's surface
// What a DC of `w` leaves alone (surface pixels): its visible children when
// it has WS_CLIPCHILDREN; for it and each ancestor with WS_CLIPSIBLINGS, the
// visible siblings above it.
std::vector<RECT> clippedAway(const WindowRef& w);
void invalidate(const WindowRef& w, const RECT* rect, bool erase);
void invalidateParentArea(const Window& w);  // the area a child covers in its parent
HWND findWindowToPaint(HWND filter, std::thread::id thread);

// Timers (Timer.cpp).
bool takeDueTimer(MSG* out, HWND filter, std::thread::id thread, bool remove);
DWORD msUntilNextTimer(std::thread::id thread);  // INFINITE-ish when none

// Records a retrieved key or button change in the synchronous key state
// (Input.cpp).
void applySyncKey(int vk, bool down);

// Clock (Kernel.cpp).
DWORD tickNow();

}  // namespace platform::user
