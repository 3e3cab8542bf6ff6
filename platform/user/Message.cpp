// The message queue: posting, retrieval in the platform's order, routing of
// raw input at retrieval, keystroke translation and dispatch.
#include "platform/user/Message.h"

#include <chrono>
#include <cstdlib>

#include "platform/user/Desktop.h"
#include "platform/user/Inject.h"
#include "platform/user/Input.h"
#include "platform/user/Kernel.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBarTrack.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

struct Filter {
  HWND hwnd;
  UINT min, max;

  bool matchesMessage(UINT m) const { return (min == 0 && max == 0) || (m >= min && m <= max); }
  bool matchesWindow(HWND target) const {
    if (!hwnd) return true;
    if (hwnd == reinterpret_cast<HWND>(-1)) return target == nullptr;
    return target == hwnd || IsChild(hwnd, target);
  }
  bool matches(const MSG& m) const { return matchesMessage(m.message) && matchesWindow(m.hwnd); }
};

bool takePosted(ThreadQueue& q, MSG* out, const Filter& f, bool remove) {
  std::lock_guard<std::mutex> lock(q.mutex);
  for (auto it = q.posted.begin(); it != q.posted.end();) {
    if (it->hwnd && !findWindow(it->hwnd)) {  // its window was destroyed meanwhile
      it = q.posted.erase(it);
      continue;
    }
    if (f.matches(*it)) {
      *out = *it;
      if (remove) q.posted.erase(it);
      return true;
    }
    ++it;
  }
  return false;
}

bool takeQuit(ThreadQueue& q, MSG* out, const Filter& f, bool remove) {
  std::lock_guard<std::mutex> lock(q.mutex);
  if (!q.quit || !f.matchesMessage(WM_QUIT)) return false;
  *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, tickNow(), {}};
  if (remove) q.quit = false;
  return true;
}

UINT nonClientForm(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE: return WM_NCMOUSEMOVE;
    case WM_LBUTTONDOWN: return WM_NCLBUTTONDOWN;
    case WM_LBUTTONUP: return WM_NCLBUTTONUP;
    case WM_RBUTTONDOWN: return WM_NCRBUTTONDOWN;
    case WM_RBUTTONUP: return WM_NCRBUTTONUP;
    case WM_MBUTTONDOWN: return WM_NCMBUTTONDOWN;
    case WM_MBUTTONUP: return WM_NCMBUTTONUP;
    default: return message;
  }
}

bool isButtonDown(UINT m) { return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN; }

// A second press of the same button on the same window of a CS_DBLCLKS
// class, soon enough and near enough, becomes a double click; the press
// after a double click starts a new pair.
void synthesiseDoubleClick(MSG& m, const InputEvent& e, const Window& target) {
  State& s = state();
  const MSG& last = s.lastClick;
  int reach = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
  bool dbl = (target.cls->style & CS_DBLCLKS) && last.message == e.message && last.hwnd == m.hwnd &&
             e.time - last.time < GetDoubleClickTime() && std::abs(e.pt.x - last.pt.x) <= reach &&
             std::abs(e.pt.y - last.pt.y) <= reach;
  if (dbl) {
    m.message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    s.lastClick = MSG{};
  } else {
    s.lastClick = m;
    s.lastClick.pt = e.pt;
  }
}

// What an uncaptured pointer message does before it is delivered: a press
// activates the top-level window (WM_MOUSEACTIVATE decides), then
// WM_SETCURSOR. False when the message is eaten or its window is gone.
bool beforePointerMessage(const WindowRef& target, const InputEvent& e, int hit) {
  State& s = state();
  HWND hwnd = target->handle;
  if (isButtonDown(e.message)) {
    WindowRef top = topLevelOf(target);
    if (top && top->handle != s.active) {
      LRESULT how =
          callProc(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle), MAKELPARAM(hit, e.message));
      if (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT) setActive(top->handle, WA_CLICKACTIVE);
      if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT) return false;
    }
  }
  if (!IsWindow(hwnd)) return false;
  callProc(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(hit, e.message));
  return IsWindow(hwnd) != FALSE;
}

// The enabled window that stands for a disabled top-level one: the topmost
// visible enabled window it owns, directly or through other owned windows
// (its modal dialog or message box); null when there is none.
HWND enabledPopupOf(HWND owner) {
  for (HWND t : state().topLevels) {
    WindowRef w = findWindow(t);
    if (!w || t == owner || !(w->style & WS_VISIBLE) || (w->style & WS_DISABLED)) continue;
    int depth = 0;  // owners set through GWLP_HWNDPARENT could form a loop
    for (WindowRef o = findWindow(w->owner); o && depth < 64; o = findWindow(o->owner), ++depth)
      if (o->handle == owner) return t;
  }
  return nullptr;
}

// Pointer input on a disabled top-level window (hit-test HTERROR): the
// window hears of it only through WM_SETCURSOR, and a press activates the
// enabled window it owns instead (a modal dialog over it); the input itself
// goes nowhere.
void refusePointerInput(const WindowRef& disabled, UINT message) {
  HWND hwnd = disabled->handle;
  callProc(disabled, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTERROR, message));
  if (!isButtonDown(message) || !IsWindow(hwnd)) return;
  HWND popup = enabledPopupOf(hwnd);
  if (popup && popup != state().active) setActive(popup, WA_ACTIVE);
}

// The message a raw event makes, routed as the platform routes input:
// keys and characters to the focus window (keys to the active window as
// WM_SYS* when nothing has the focus), the wheel to the focus window, other
// pointer input to the capture window or the window under the point, which
// is never inside a disabled window (a disabled top-level window gets hit
// HTERROR). `hwnd` stays null when nothing takes the event.
MSG route(const InputEvent& e, int* hit) {
  State& s = state();
  MSG m{nullptr, e.message, e.wParam, e.lParam, e.time, e.pt};
  *hit = HTCLIENT;
  if (e.kind != InputEvent::Mouse) {
    m.hwnd = s.focus;
    if (!m.hwnd && e.kind == InputEvent::Key && s.active) {
      m.hwnd = s.active;
      if (m.message == WM_KEYDOWN) m.message = WM_SYSKEYDOWN;
      if (m.message == WM_KEYUP) m.message = WM_SYSKEYUP;
    }
    return m;
  }
  if (e.message == WM_MOUSEWHEEL || e.message == WM_MOUSEHWHEEL) {
    m.hwnd = s.focus ? s.focus : s.active;
    m.lParam = MAKELPARAM(e.pt.x, e.pt.y);
    return m;
  }
  m.hwnd = s.capture ? s.capture : WindowFromPoint(e.pt);
  WindowRef w = findWindow(m.hwnd);
  if (w && !s.capture && (w->style & WS_DISABLED)) {
    *hit = HTERROR;
    return m;
  }
  if (!w || !isEnabledWithAncestors(*w)) {
    m.hwnd = nullptr;
    return m;
  }
  if (!s.capture) *hit = hitTest(*w, e.pt);
  if (*hit == HTCLIENT) {
    POINT local = e.pt;
    ScreenToClient(m.hwnd, &local);
    m.lParam = MAKELPARAM(local.x, local.y);
  } else {
    m.message = nonClientForm(e.message);
    m.wParam = static_cast<WPARAM>(*hit);
    m.lParam = MAKELPARAM(e.pt.x, e.pt.y);
  }
  return m;
}

// Turns the raw event at the head of the input queue into a message for a
// window of this thread. False when there is none, or the head belongs to
// another thread or does not pass the filter (input keeps its order).
bool takeInput(MSG* out, const Filter& f, bool remove) {
  State& s = state();
  for (;;) {
    InputEvent e;
    {
      std::lock_guard<std::mutex> lock(s.inputMutex);
      if (s.input.empty()) return false;
      e = s.input.front();
    }
    int hit = HTCLIENT;
    MSG m = route(e, &hit);
    WindowRef target = findWindow(m.hwnd);
    if (target) {
      if (target->thread != std::this_thread::get_id() || !f.matches(m)) return false;
      if (!remove && hit != HTERROR) {
        *out = m;
        return true;
      }
    }
    {
      std::lock_guard<std::mutex> lock(s.inputMutex);
      if (!s.input.empty()) s.input.pop_front();
    }
    if (e.vk) applySyncKey(e.vk, e.down);
    if (!target) continue;  // nobody takes it: dropped
    bool pointer = e.kind == InputEvent::Mouse && e.message != WM_MOUSEWHEEL && e.message != WM_MOUSEHWHEEL;
    if (pointer && scrollTrackTakes(m, e.pt)) continue;  // a scroll bar is held
    if (pointer && hit == HTERROR) {
      refusePointerInput(target, e.message);
      continue;
    }
    if (pointer && hit == HTCLIENT && isButtonDown(e.message)) synthesiseDoubleClick(m, e, *target);
    if (pointer && !s.capture && !beforePointerMessage(target, e, hit)) continue;
    *out = m;
    return true;
  }
}

bool takePaint(MSG* out, const Filter& f) {
  HWND hwnd = findWindowToPaint(f.hwnd, std::this_thread::get_id());
  if (!hwnd || !f.matchesMessage(WM_PAINT)) return false;
  *out = MSG{hwnd, WM_PAINT, 0, 0, tickNow(), {}};
  GetCursorPos(&out->pt);
  return true;
}

// One attempt at a message in the platform's order.
bool retrieve(MSG* out, const Filter& f, bool remove) {
  ThreadQueue& q = *currentQueue();
  return takePosted(q, out, f, remove) || takeQuit(q, out, f, remove) || takeInput(out, f, remove) ||
         takePaint(out, f) || takeDueTimer(out, f.hwnd, std::this_thread::get_id(), remove);
}

}  // namespace

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRef w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return callProc(w, message, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> q;
  if (!hwnd) {
    q = currentQueue();
  } else if (WindowRef w = findWindow(hwnd)) {
    q = w->queue;
  } else {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MSG m{hwnd, message, wParam, lParam, tickNow(), {}};
  GetCursorPos(&m.pt);
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->posted.push_back(m);
    ++q->signals;
  }
  q->wake.notify_all();
  if (platform::Desktop* d = platform::desktop()) d->wake();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto q = currentQueue();
  {
    std::lock_guard<std::mutex> lock(q->mutex);
    q->quit = true;
    q->quitCode = exitCode;
    ++q->signals;
  }
  q->wake.notify_all();
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  if (platform::Desktop* d = platform::desktop(); d && d->isUiThread()) d->pump();
  return retrieve(msg, Filter{hwnd, filterMin, filterMax}, (removeFlags & PM_REMOVE) != 0);
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  Filter f{hwnd, filterMin, filterMax};
  auto q = currentQueue();
  for (;;) {
    uint64_t seen;
    {
      std::lock_guard<std::mutex> lock(q->mutex);
      seen = q->signals;
    }
    if (retrieve(msg, f, true)) return msg->message != WM_QUIT;
    DWORD wait = msUntilNextTimer(std::this_thread::get_id());
    if (platform::Desktop* d = platform::desktop(); d && d->isUiThread()) {
      // The desktop's events and the layer's queue are waited on together:
      // every wake-up of the queue also wakes the desktop.
      bool idle;
      {
        std::lock_guard<std::mutex> lock(q->mutex);
        idle = q->signals == seen;
      }
      if (idle) d->wait(wait);
      continue;
    }
    std::unique_lock<std::mutex> lock(q->mutex);
    auto woken = [&] { return q->signals != seen; };
    if (wait == 0xFFFFFFFF) q->wake.wait(lock, woken);
    else q->wake.wait_for(lock, std::chrono::milliseconds(wait), woken);
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_KEYUP && m != WM_SYSKEYUP) return FALSE;
  if (m == WM_KEYUP || m == WM_SYSKEYUP) return TRUE;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0, caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  bool sys = m == WM_SYSKEYDOWN;
  // Alt picks the WM_SYSCHAR form; the character itself is the one without Alt.
  int scan = static_cast<int>((msg->lParam >> 16) & 0xFF);
  char16_t ch = platform::characterForKey(static_cast<int>(msg->wParam), scan, shift, caps, sys ? false : ctrl,
                                          sys ? false : alt);
  if (ch) PostMessageW(msg->hwnd, sys ? WM_SYSCHAR : WM_CHAR, ch, msg->lParam);
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  WindowRef w = findWindow(msg->hwnd);
  if (!w) return 0;
  return callProc(w, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}
