// Timers: WM_TIMER made at retrieval when a timer is due.
#include "platform/user/Timer.h"

#include <algorithm>

#include "platform/user/Input.h"
#include "platform/user/Kernel.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

bool due(const Timer& t, DWORD now) { return static_cast<DWORD>(now - t.base) >= t.elapse; }

bool passes(const Timer& t, HWND filter) { return !filter || t.hwnd == filter || IsChild(filter, t.hwnd); }

}  // namespace

namespace platform::user {

bool takeDueTimer(MSG* out, HWND filter, std::thread::id thread, bool remove) {
  DWORD now = tickNow();
  for (Timer& t : state().timers) {
    if (t.thread != thread || !passes(t, filter) || !due(t, now)) continue;
    *out = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), now, {}};
    GetCursorPos(&out->pt);
    if (remove) t.base = now;
    return true;
  }
  return false;
}

DWORD msUntilNextTimer(std::thread::id thread) {
  if (platform::clockIsManual()) return 0xFFFFFFFF;  // woken when the clock is advanced
  DWORD now = tickNow(), best = 0xFFFFFFFF;
  for (const Timer& t : state().timers) {
    if (t.thread != thread) continue;
    DWORD passed = now - t.base;
    best = std::min(best, passed >= t.elapse ? 0 : t.elapse - passed);
  }
  return best;
}

}  // namespace platform::user

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !IsWindow(hwnd)) return 0;
  State& s = state();
  elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  auto thread = std::this_thread::get_id();
  for (Timer& t : s.timers) {
    if (t.hwnd == hwnd && t.id == id && (hwnd || t.thread == thread)) {
      t.elapse = elapse, t.proc = proc, t.base = tickNow();
      return hwnd ? (id ? id : 1) : id;
    }
  }
  if (!hwnd) id = s.nextThreadTimer++;
  s.timers.push_back(Timer{hwnd, id, elapse, proc, tickNow(), thread});
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto thread = std::this_thread::get_id();
  size_t n = std::erase_if(
      state().timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id && (hwnd || t.thread == thread); });
  return n ? TRUE : FALSE;
}
