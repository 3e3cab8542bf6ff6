// Accelerator tables and their translation.
#include "platform/user/Accel.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/resources/Resources.h"
#include "platform/user/Input.h"
#include "platform/user/Menu.h"
#include "platform/user/MenuState.h"
#include "platform/user/Message.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

struct AccelTable {
  std::vector<ACCEL> entries;
  bool loaded = false;  // from a resource: shared, never destroyed
};

struct Tables {
  std::unordered_map<HACCEL, std::unique_ptr<AccelTable>> live;
  std::map<const void*, HACCEL> loaded;  // resource -> its handle
  uint64_t nextHandle = 0x7F0000;
};

Tables& tables() {
  static auto* t = new Tables;  // never destroyed
  return *t;
}

AccelTable* findTable(HACCEL h) {
  auto it = tables().live.find(h);
  return it == tables().live.end() ? nullptr : it->second.get();
}

HACCEL makeTable(std::vector<ACCEL> entries, bool loaded) {
  Tables& t = tables();
  HACCEL h = reinterpret_cast<HACCEL>(static_cast<uintptr_t>(t.nextHandle));
  t.nextHandle += 4;
  t.live[h] = std::make_unique<AccelTable>(AccelTable{std::move(entries), loaded});
  return h;
}

bool matches(const ACCEL& a, const MSG& m, bool shift, bool ctrl, bool alt) {
  if (a.fVirt & FVIRTKEY) {
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN) return false;
    return m.wParam == a.key && shift == ((a.fVirt & FSHIFT) != 0) && ctrl == ((a.fVirt & FCONTROL) != 0) &&
           alt == ((a.fVirt & FALT) != 0);
  }
  if (m.message != WM_CHAR && m.message != WM_SYSCHAR) return false;
  return m.wParam == a.key && ((a.fVirt & FALT) != 0) == (m.message == WM_SYSCHAR);
}

// Whether the command may go out: see TranslateAcceleratorW.
bool commandAllowed(HWND hwnd, WORD cmd) {
  if (!IsWindowEnabled(hwnd) || GetCapture()) return false;
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) return true;
  MenuItem* item = findCommand(GetMenu(hwnd), cmd);
  return !item || !(item->flags & (MF_GRAYED | MF_DISABLED));
}

}  // namespace

HACCEL LoadAcceleratorsW(HINSTANCE, LPCWSTR name) {
  const auto* res = platform::resources::findAccelerators(name);
  if (!res) return nullptr;
  Tables& t = tables();
  if (auto it = t.loaded.find(res); it != t.loaded.end()) return it->second;
  std::vector<ACCEL> entries;
  for (const auto& e : res->entries) entries.push_back(ACCEL{e.fVirt, e.key, e.cmd});
  HACCEL h = makeTable(std::move(entries), true);
  t.loaded[res] = h;
  return h;
}

HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count) {
  if (!entries || count <= 0) return nullptr;
  return makeTable(std::vector<ACCEL>(entries, entries + count), false);
}

BOOL DestroyAcceleratorTable(HACCEL h) {
  AccelTable* t = findTable(h);
  if (!t) return FALSE;
  if (!t->loaded) tables().live.erase(h);
  return TRUE;
}

int CopyAcceleratorTableW(HACCEL h, ACCEL* out, int count) {
  AccelTable* t = findTable(h);
  if (!t) return 0;
  if (!out) return static_cast<int>(t->entries.size());
  int n = std::min(count, static_cast<int>(t->entries.size()));
  std::copy_n(t->entries.begin(), std::max(n, 0), out);
  return std::max(n, 0);
}

int TranslateAcceleratorW(HWND hwnd, HACCEL h, LPMSG msg) {
  AccelTable* t = findTable(h);
  if (!t || !msg || !IsWindow(hwnd)) return 0;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_CHAR && m != WM_SYSCHAR) return 0;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  for (const ACCEL& a : t->entries) {
    if (!matches(a, *msg, shift, ctrl, alt)) continue;
    if (commandAllowed(hwnd, a.cmd)) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
    return 1;
  }
  return 0;
}
