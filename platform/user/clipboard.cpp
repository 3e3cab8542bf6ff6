// The process-local clipboard. invariant: data is only changed while the
// clipboard is open; every handle in `data` is owned by the clipboard.
#include "platform/user/clipboard.h"

#include <map>
#include <mutex>
#include <thread>

#include "platform/user/window.h"

namespace {

struct Clipboard {
  std::mutex mutex;
  bool open = false;
  HWND opener = nullptr;
  std::thread::id thread;
  HWND owner = nullptr;
  std::map<UINT, HANDLE> data;

  bool openedByCaller() const { return open && thread == std::this_thread::get_id(); }
  void freeAll() {
    for (auto& [format, handle] : data) GlobalFree(static_cast<HGLOBAL>(handle));
    data.clear();
  }
};

Clipboard& clipboard() {
  static auto* c = new Clipboard;
  return *c;
}

}  // namespace

BOOL OpenClipboard(HWND owner) {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (c.open && (c.opener != owner || c.thread != std::this_thread::get_id())) return FALSE;
  c.open = true;
  c.opener = owner;
  c.thread = std::this_thread::get_id();
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (!c.openedByCaller()) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  c.open = false;
  c.opener = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (!c.openedByCaller()) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  c.freeAll();
  c.owner = c.opener;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (!c.openedByCaller() || !data) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  auto it = c.data.find(format);
  if (it != c.data.end() && it->second != data) GlobalFree(static_cast<HGLOBAL>(it->second));
  c.data[format] = data;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (!c.openedByCaller()) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  auto it = c.data.find(format);
  return it == c.data.end() ? nullptr : it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.data.count(format) ? TRUE : FALSE;
}

namespace platform {

void resetClipboard() {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.freeAll();
  c.open = false;
  c.opener = c.owner = nullptr;
}

}  // namespace platform
