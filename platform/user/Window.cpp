// Window creation and destruction, and the window tree.
#include <algorithm>

#include "platform/controls/Controls.h"
#include "platform/user/Classes.h"
#include "platform/user/Desktop.h"
#include "platform/user/Input.h"
#include "platform/user/Menu.h"
#include "platform/user/MenuState.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace platform::user {

namespace {

// Default placement of overlapped windows given CW_USEDEFAULT.
constexpr RECT kDefaultWindow{32, 32, 32 + 1440, 32 + 810};

// WM_PARENTNOTIFY up the chain of parents of a child window.
void notifyParents(const WindowRef& w, UINT event) {
  WindowRef cur = w;
  while (cur->parent && (cur->style & WS_CHILD) && !(cur->exStyle & WS_EX_NOPARENTNOTIFY)) {
    WindowRef up = findWindow(cur->parent);
    if (!up) break;
    callProc(up, WM_PARENTNOTIFY, MAKEWPARAM(event, w->id), reinterpret_cast<LPARAM>(w->handle));
    cur = up;
  }
}

void link(const WindowRef& w, bool atTop) {
  State& s = state();
  if (WindowRef parent = findWindow(w->parent)) {
    auto& list = parent->children;
    list.insert(atTop ? list.begin() : list.end(), w->handle);
  } else {
    s.topLevels.insert(s.topLevels.begin(), w->handle);
  }
}

void unlink(const Window& w) {
  State& s = state();
  if (WindowRef parent = findWindow(w.parent)) std::erase(parent->children, w.handle);
  std::erase(s.topLevels, w.handle);
}

RECT placement(DWORD style, int x, int y, int width, int height) {
  bool overlapped = !(style & (WS_CHILD | WS_POPUP));
  if (x == CW_USEDEFAULT) {
    x = overlapped ? kDefaultWindow.left : 0;
    y = overlapped ? kDefaultWindow.top : 0;
  }
  if (width == CW_USEDEFAULT) {
    width = overlapped ? kDefaultWindow.right - kDefaultWindow.left : 0;
    height = overlapped ? kDefaultWindow.bottom - kDefaultWindow.top : 0;
  }
  if (y == CW_USEDEFAULT) y = 0;
  if (height == CW_USEDEFAULT) height = 0;
  width = std::max(width, 0), height = std::max(height, 0);
  return RECT{x, y, x + width, y + height};
}

// Client origin relative to the parent's client area (screen for top-level
// windows): what WM_MOVE carries.
POINT clientOriginInParent(const Window& w) {
  RECT in = nonClientInsets(w);
  return POINT{w.rect.left + in.left, w.rect.top + in.top};
}

// Removes every trace of a window whose WM_NCDESTROY has been sent.
void release(const WindowRef& w) {
  if (!w->isChild())
    if (platform::Desktop* d = platform::desktop()) d->windowGone(w->handle);
  forgetWindow(w->handle);
  unlink(*w);
  if (!w->isChild() && w->menu) DestroyMenu(w->menu);  // a window's menu goes with it
  {
    std::lock_guard<std::mutex> lock(w->queue->mutex);
    std::erase_if(w->queue->posted, [&](const MSG& m) { return m.hwnd == w->handle; });
  }
  w->surface.reset();
  State& s = state();
  std::lock_guard<std::mutex> lock(s.tableMutex);
  s.windows.erase(w->handle);
}

void sendDestroy(const WindowRef& w) {
  w->destroying = true;
  callProc(w, WM_DESTROY, 0, 0);
  std::vector<HWND> children = w->children;
  for (HWND c : children)
    if (WindowRef child = findWindow(c); child && !child->destroying) sendDestroy(child);
}

void sendNcDestroy(const WindowRef& w) {
  std::vector<HWND> children = w->children;
  for (HWND c : children)
    if (WindowRef child = findWindow(c)) sendNcDestroy(child);
  if (!findWindow(w->handle)) return;
  callProc(w, WM_NCDESTROY, 0, 0);
  release(w);
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto cls = findClass(className);
  if (!cls && platform::registerStandardControls()) cls = findClass(className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  bool child = (style & WS_CHILD) != 0;
  WindowRef parentWindow = findWindow(parent);
  if ((child && !parentWindow) || (parent && !parentWindow)) {
    SetLastError(child ? ERROR_TLW_WITH_WSCHILD : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!child && !(style & WS_POPUP)) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  if (!child) platform::desktop(true);  // the first top-level window picks the desktop

  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = cls->proc;
  w->style = style & ~WS_VISIBLE;  // shown at the end, as the platform does
  w->exStyle = exStyle;
  if (child) w->parent = parent;
  else if (parentWindow) w->owner = topLevelOf(parentWindow)->handle;  // only top-level windows own
  w->rect = placement(style, x, y, width, height);
  w->instance = instance;
  if (child) w->id = reinterpret_cast<LONG_PTR>(menu);
  else w->menu = menu ? menu : loadClassMenu(cls->menuName, instance);
  w->hasMenuBar = !child && w->menu;  // a class menu that cannot be loaded gives no bar
  for (int bar : {SB_HORZ, SB_VERT}) {
    DWORD flag = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    if (style & flag) w->bars[bar] = ScrollBar{true, true, 0, 100, 0, 0, 0};
  }
  w->queue = currentQueue();
  w->thread = std::this_thread::get_id();
  State& s = state();
  {
    std::lock_guard<std::mutex> lock(s.tableMutex);
    w->handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(s.nextHandle));
    s.nextHandle += 4;
    s.windows[w->handle] = w;
  }
  link(w, false);
  resizeSurface(*w);

  CREATESTRUCTW cs{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  HWND hwnd = w->handle;
  if (!callProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    if (findWindow(hwnd)) {
      w->destroying = true;
      callProc(w, WM_NCDESTROY, 0, 0);
      release(w);
    }
    return nullptr;
  }
  if (callProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!findWindow(hwnd)) return nullptr;
  SIZE size = clientSize(*w);
  callProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.cx, size.cy));
  POINT origin = clientOriginInParent(*w);
  callProc(w, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  if (!findWindow(hwnd)) return nullptr;
  notifyParents(w, WM_CREATE);
  if (!findWindow(hwnd)) return nullptr;
  if (style & WS_VISIBLE) {
    w->shownOnce = true;  // its size went out just now
    ShowWindow(hwnd, SW_SHOW);
  }
  return findWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->destroying) return TRUE;  // already on its way (a call from its own WM_DESTROY)
  w->destroying = true;
  if (w->isChild()) notifyParents(w, WM_DESTROY);
  if (w->style & WS_VISIBLE) ShowWindow(hwnd, SW_HIDE);
  if (!findWindow(hwnd)) return TRUE;
  sendDestroy(w);
  std::vector<HWND> owned;
  for (HWND t : state().topLevels)
    if (WindowRef o = findWindow(t); o && o->owner == hwnd) owned.push_back(t);
  for (HWND o : owned) DestroyWindow(o);
  sendNcDestroy(w);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return findWindow(hwnd) != nullptr; }

BOOL IsChild(HWND parent, HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  while (w && w->parent) {
    if (w->parent == parent) return TRUE;
    w = findWindow(w->parent);
  }
  return FALSE;
}

// The parent of a window that has one (child windows, and windows that
// SetParent placed in another), else the owner of a popup.
HWND GetParent(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  if (!w) return nullptr;
  if (w->parent) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  WindowRef w = findWindow(hwnd);
  if (!w) return nullptr;
  if (flags == GA_PARENT) return w->parent;
  WindowRef root = topLevelOf(w);
  if (flags == GA_ROOTOWNER) {
    for (int depth = 0; root->owner && depth < 64; ++depth) {  // owners could be made to loop
      WindowRef up = findWindow(root->owner);
      if (!up) break;
      root = up;
    }
  }
  return root->handle;
}

HWND SetParent(HWND hwnd, HWND newParent) {
  WindowRef w = findWindow(hwnd);
  WindowRef np = findWindow(newParent);
  if (!w || (newParent && !np) || hwnd == newParent || IsChild(hwnd, newParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HWND old = w->parent;
  if (w->isChild() && isVisible(*w)) invalidateParentArea(*w);
  unlink(*w);
  w->parent = newParent;
  if (newParent) w->owner = nullptr;
  link(w, true);
  resizeSurface(*w);
  if (!newParent && state().active == hwnd) state().active = nullptr;
  invalidate(w, nullptr, true);
  return old;
}

// The deepest visible, enabled window under a screen point; children are
// searched in z-order (topmost first) inside their parent's client area,
// passing over disabled ones (their parent takes the point) and those that
// answer WM_NCHITTEST with HTTRANSPARENT (group boxes, plain statics). A
// disabled top-level window is returned itself: nothing inside it is
// searched, as its children are disabled with it.
HWND WindowFromPoint(POINT p) {
  for (HWND t : state().topLevels) {
    WindowRef w = findWindow(t);
    if (!w || !(w->style & WS_VISIBLE) || !PtInRect(&w->rect, p)) continue;
    while (!(w->style & WS_DISABLED)) {
      POINT o = clientOriginOnScreen(*w);
      SIZE cs = clientSize(*w);
      POINT local{p.x - o.x, p.y - o.y};
      RECT client{0, 0, cs.cx, cs.cy};
      if (!PtInRect(&client, local)) break;
      WindowRef hit;
      for (HWND c : w->children) {
        WindowRef child = findWindow(c);
        if (child && (child->style & WS_VISIBLE) && !(child->style & WS_DISABLED) &&
            PtInRect(&child->rect, local) &&
            callProc(child, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) != HTTRANSPARENT) {
          hit = child;
          break;
        }
      }
      if (!hit) break;
      w = hit;
    }
    return w->handle;
  }
  return nullptr;
}
