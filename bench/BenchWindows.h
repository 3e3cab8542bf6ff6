// The message pump shared by the benchmark programs that drive windows.
#pragma once
#include "platform/windows.h"

namespace bench {

// Dispatches every queued message and returns when the queue is empty.
inline void drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace bench
