// Keyboard focus, activation of top-level windows and mouse capture.
#include <algorithm>

#include "platform/user/Desktop.h"
#include "platform/user/Input.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

// Moves the focus without any activation: WM_KILLFOCUS to the old window,
// then WM_SETFOCUS to the new one unless the first message moved it again.
HWND setFocusWindow(HWND hwnd) {
  State& s = state();
  HWND old = s.focus;
  if (old == hwnd) return old;
  s.focus = hwnd;
  if (WindowRef w = findWindow(old)) callProc(w, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (s.focus != hwnd) return old;
  if (WindowRef w = findWindow(hwnd)) callProc(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

bool canActivate(const WindowRef& w) {
  return w && !w->destroying && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

// True when `owner` owns `hwnd`, directly or through the owner's owned windows.
bool ownedBy(HWND hwnd, HWND owner) {
  WindowRef w = findWindow(hwnd);
  for (int depth = 0; w && w->owner && depth < 64; ++depth) {  // owners could be made to loop
    if (w->owner == owner) return true;
    w = findWindow(w->owner);
  }
  return false;
}

// Brings `hwnd` to the top of the top-level z-order, the windows it owns still above
// it (in their own order), as owned windows always stay above their owner.
void bringToTop(std::vector<HWND>& z, HWND hwnd) {
  auto it = std::find(z.begin(), z.end(), hwnd);
  if (it == z.end()) return;
  z.erase(it);
  std::vector<HWND> owned;
  for (HWND t : z)
    if (ownedBy(t, hwnd)) owned.push_back(t);
  std::erase_if(z, [&](HWND t) { return std::find(owned.begin(), owned.end(), t) != owned.end(); });
  z.insert(z.begin(), hwnd);
  z.insert(z.begin(), owned.begin(), owned.end());
}

}  // namespace

namespace platform::user {

// WM_NCACTIVATE and WM_ACTIVATE (WA_INACTIVE) to the window losing the
// activation, then to the one gaining it; the focus follows into the newly
// active window unless its handlers placed it inside already.
void setActive(HWND hwnd, WORD how) {
  State& s = state();
  HWND old = s.active;
  if (old == hwnd) return;
  if (WindowRef w = findWindow(hwnd); w && (w->style & WS_DISABLED)) return;  // never activated
  s.active = hwnd;
  // An Alt held while the activation moves is no menu key any more: its
  // release (after a window manager's Alt+F4, say) must not select the menu
  // bar of the window that is active now.
  s.altAlone = false;
  s.lastSysKey = 0;
  if (hwnd) {
    bringToTop(s.topLevels, hwnd);
    if (platform::Desktop* d = platform::desktop()) d->windowActivated(hwnd);
  }
  if (WindowRef w = findWindow(old)) {
    callProc(w, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(hwnd));
    callProc(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  }
  if (s.active != hwnd) return;
  if (WindowRef w = findWindow(hwnd)) {
    callProc(w, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
    callProc(w, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
  }
  if (s.active != hwnd) return;
  if (!hwnd) {
    if (s.focus) setFocusWindow(nullptr);
  } else if (!s.focus || GetAncestor(s.focus, GA_ROOT) != hwnd) {
    setFocusWindow(hwnd);
  }
}

// The owner when it can take the activation, else the topmost other visible
// enabled top-level window, else none. Windows owned by a window being
// destroyed are not candidates: they go with it.
void activateOther(HWND leaving) {
  State& s = state();
  WindowRef w = findWindow(leaving);
  WindowRef next = w ? findWindow(w->owner) : nullptr;
  auto doomed = [&](const WindowRef& c) {
    int depth = 0;  // owners set through GWLP_HWNDPARENT could form a loop
    for (WindowRef o = c ? findWindow(c->owner) : nullptr; o && depth < 64; o = findWindow(o->owner), ++depth)
      if (o->destroying) return true;
    return false;
  };
  if (!canActivate(next)) {
    next = nullptr;
    for (HWND t : s.topLevels) {
      WindowRef c = findWindow(t);
      if (t != leaving && canActivate(c) && !doomed(c)) {
        next = c;
        break;
      }
    }
  }
  setActive(next ? next->handle : nullptr, WA_ACTIVE);
}

void forgetWindow(HWND hwnd) {
  State& s = state();
  if (s.focus == hwnd) s.focus = nullptr;
  if (s.active == hwnd) s.active = nullptr;
  if (s.capture == hwnd) s.capture = nullptr;
  if (s.caret.owner == hwnd) s.caret = Caret{};
  std::erase_if(s.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
}

}  // namespace platform::user

HWND SetFocus(HWND hwnd) {
  State& s = state();
  HWND previous = s.focus;
  if (hwnd) {
    WindowRef w = findWindow(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (!isEnabledWithAncestors(*w)) return nullptr;
    if (hwnd == s.focus) return hwnd;
    WindowRef top = topLevelOf(w);
    if (s.active != top->handle) {
      setActive(top->handle, WA_ACTIVE);
      if (s.active != top->handle || !IsWindow(hwnd)) return nullptr;
    }
  }
  setFocusWindow(hwnd);
  return previous;
}

HWND GetFocus() { return state().focus; }

HWND SetActiveWindow(HWND hwnd) {
  State& s = state();
  HWND previous = s.active;
  WindowRef w = findWindow(hwnd);
  if (hwnd && (!w || w->isChild() || (w->style & WS_DISABLED))) return nullptr;
  setActive(hwnd, WA_ACTIVE);
  return previous;
}

HWND GetActiveWindow() { return state().active; }
HWND GetForegroundWindow() { return state().active; }

HWND SetCapture(HWND hwnd) {
  State& s = state();
  HWND previous = s.capture;
  s.capture = hwnd;
  if (previous != hwnd)
    if (platform::Desktop* d = platform::desktop()) d->captureChanged(hwnd);
  if (previous && previous != hwnd)
    if (WindowRef w = findWindow(previous)) callProc(w, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

BOOL ReleaseCapture() {
  State& s = state();
  HWND previous = s.capture;
  s.capture = nullptr;
  if (previous)
    if (platform::Desktop* d = platform::desktop()) d->captureChanged(nullptr);
  if (WindowRef w = findWindow(previous)) callProc(w, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return state().capture; }
