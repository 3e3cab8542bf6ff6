// Dropped-file lists carried by WM_DROPFILES.
#include "platform/user/DropFiles.h"

#include <algorithm>
#include <mutex>
#include <unordered_set>

#include "platform/user/Constants.h"
#include "platform/user/Message.h"
#include "platform/user/Window.h"

namespace {

struct Drop {
  std::vector<std::u16string> paths;
  POINT point;
};

struct Drops {
  std::mutex mutex;
  std::unordered_set<Drop*> live;
};

Drops& drops() {
  static auto* d = new Drops;
  return *d;
}

Drop* find(HDROP h) {
  Drops& d = drops();
  std::lock_guard<std::mutex> lock(d.mutex);
  auto* drop = reinterpret_cast<Drop*>(h);
  return d.live.count(drop) ? drop : nullptr;
}

}  // namespace

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(hwnd, GWL_EXSTYLE, accept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~WS_EX_ACCEPTFILES));
}

UINT DragQueryFileW(HDROP h, UINT index, LPWSTR buffer, UINT size) {
  Drop* drop = find(h);
  if (!drop) return 0;
  if (index == 0xFFFFFFFF) return static_cast<UINT>(drop->paths.size());
  if (index >= drop->paths.size()) return 0;
  const std::u16string& path = drop->paths[index];
  if (!buffer) return static_cast<UINT>(path.size());
  if (size == 0) return 0;
  UINT n = std::min<UINT>(static_cast<UINT>(path.size()), size - 1);
  std::copy_n(path.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

BOOL DragQueryPoint(HDROP h, POINT* point) {
  Drop* drop = find(h);
  if (!drop || !point) return FALSE;
  *point = drop->point;
  return TRUE;
}

void DragFinish(HDROP h) {
  Drops& d = drops();
  std::lock_guard<std::mutex> lock(d.mutex);
  auto* drop = reinterpret_cast<Drop*>(h);
  if (d.live.erase(drop)) delete drop;
}

namespace platform {

HDROP makeDrop(const std::vector<std::u16string>& paths, POINT clientPoint) {
  auto* drop = new Drop{paths, clientPoint};
  Drops& d = drops();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.live.insert(drop);
  return reinterpret_cast<HDROP>(drop);
}

HWND dropTargetAt(POINT screen) {
  HWND target = WindowFromPoint(screen);
  if (target && !IsWindowEnabled(target)) return nullptr;  // a disabled window and its children take no drop
  while (target && !(GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
    target = GetAncestor(target, GA_PARENT);
  return target;
}

HWND dropFilesAt(POINT screen, const std::vector<std::u16string>& paths) {
  HWND target = dropTargetAt(screen);
  if (!target) return nullptr;
  POINT local = screen;
  ScreenToClient(target, &local);
  PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths, local)), 0);
  return target;
}

}  // namespace platform
