// The process-local clipboard. invariant: data is only changed while the
// clipboard is open, or when text another program put on the desktop's
// clipboard is taken in; every handle in `data` is owned by the clipboard.
// Under a desktop, closing the clipboard after EmptyClipboard hands the
// text to the desktop's clipboard, and reading CF_UNICODETEXT while another
// program owns that clipboard takes its text first.
#include "platform/user/Clipboard.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/user/Desktop.h"

#include "platform/user/Window.h"

namespace {

struct Clipboard {
  std::mutex mutex;
  bool open = false;
  HWND opener = nullptr;
  std::thread::id thread;
  HWND owner = nullptr;
  bool emptied = false;  // EmptyClipboard since the last OpenClipboard
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
  c.emptied = false;
  c.opener = owner;
  c.thread = std::this_thread::get_id();
  return TRUE;
}

BOOL CloseClipboard() {
  Clipboard& c = clipboard();
  bool emptied;
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    if (!c.openedByCaller()) {
      SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
      return FALSE;
    }
    c.open = false;
    c.opener = nullptr;
    emptied = c.emptied;
  }
  if (emptied)
    if (platform::Desktop* d = platform::desktop()) d->clipboardTaken();
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
  c.emptied = true;
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

namespace {

bool openedHere() {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.openedByCaller();
}

// Takes in the text of another program's clipboard (asked of the desktop
// without holding the lock: the desktop may wait for that program).
void takeForeignText(UINT format) {
  platform::Desktop* d = format == CF_UNICODETEXT ? platform::desktop() : nullptr;
  if (!d) return;
  std::optional<std::u16string> text = d->foreignClipboardText();
  if (!text) return;
  HGLOBAL block = nullptr;
  if (!text->empty()) {
    block = GlobalAlloc(GMEM_MOVEABLE, (text->size() + 1) * sizeof(char16_t));
    if (auto* units = static_cast<char16_t*>(GlobalLock(block))) {
      std::copy(text->begin(), text->end(), units);
      units[text->size()] = 0;
      GlobalUnlock(block);
    }
  }
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.freeAll();
  c.owner = nullptr;
  if (block) c.data[CF_UNICODETEXT] = block;
}

}  // namespace

HANDLE GetClipboardData(UINT format) {
  if (openedHere()) takeForeignText(format);
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
  takeForeignText(format);
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.data.count(format) ? TRUE : FALSE;
}

namespace platform {

std::u16string clipboardText() {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  auto it = c.data.find(CF_UNICODETEXT);
  if (it == c.data.end()) return u"";
  auto* units = static_cast<const char16_t*>(GlobalLock(static_cast<HGLOBAL>(it->second)));
  if (!units) return u"";
  size_t n = GlobalSize(static_cast<HGLOBAL>(it->second)) / sizeof(char16_t);
  std::u16string text(units, std::find(units, units + n, u'\0'));
  GlobalUnlock(static_cast<HGLOBAL>(it->second));
  return text;
}

void resetClipboard() {
  Clipboard& c = clipboard();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.freeAll();
  c.open = false;
  c.opener = c.owner = nullptr;
}

}  // namespace platform
