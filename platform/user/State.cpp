// The layer's state, window look-up, per-thread queues and procedure calls.
#include "platform/user/State.h"

#include "platform/user/Desktop.h"

#include <cstdio>
#include <cstdlib>

namespace platform::user {

State& state() {
  static State* s = [] {  // never destroyed: usable during static destruction
    auto* made = new State;
    made->asyncKeys[0x90 /* VK_NUMLOCK */].store(0x01);
    made->syncKeys[0x90] = 0x01;
    return made;
  }();
  return *s;
}

WindowRef findWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  State& s = state();
  std::lock_guard<std::mutex> lock(s.tableMutex);
  auto it = s.windows.find(hwnd);
  return it == s.windows.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadQueue> currentQueue() {
  thread_local std::shared_ptr<ThreadQueue> queue;
  if (!queue) {
    queue = std::make_shared<ThreadQueue>();
    State& s = state();
    std::lock_guard<std::mutex> lock(s.queuesMutex);
    std::erase_if(s.queues, [](const std::weak_ptr<ThreadQueue>& q) { return q.expired(); });
    s.queues.push_back(queue);
  }
  return queue;
}

void wakeQueue(ThreadQueue& queue) {
  {
    std::lock_guard<std::mutex> lock(queue.mutex);
    ++queue.signals;
  }
  queue.wake.notify_all();
  if (platform::Desktop* d = platform::desktop()) d->wake();
}

void wakeAllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> all;
  {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.queuesMutex);
    for (auto& weak : s.queues)
      if (auto q = weak.lock()) all.push_back(q);
  }
  for (auto& q : all) wakeQueue(*q);
}

LRESULT callProc(const WindowRef& w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (w->thread != std::this_thread::get_id()) {
    std::fprintf(stderr,
                 "platform: message 0x%04x sent to window %p of another thread; "
                 "cross-thread sends are not supported (post instead)\n",
                 message, static_cast<void*>(w->handle));
    std::abort();
  }
  WindowRef keep = w;  // the procedure may destroy the window
  return keep->proc(keep->handle, message, wParam, lParam);
}

}  // namespace platform::user

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }
