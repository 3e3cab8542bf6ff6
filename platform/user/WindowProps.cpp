// Visibility, enabling, position and size, text and window data.
#include <algorithm>
#include <vector>

#include "platform/user/Desktop.h"
#include "platform/user/Input.h"
#include "platform/user/Message.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

void tellDesktopChanged(const Window& w) {
  if (w.isChild()) return;
  if (platform::Desktop* d = platform::desktop()) d->windowChanged(w.handle);
}

bool activates(int command) {
  return command != SW_SHOWNOACTIVATE && command != SW_SHOWNA && command != SW_SHOWMINNOACTIVE &&
         command != SW_MINIMIZE;
}

POINT clientOriginInParent(const Window& w) {
  RECT in = nonClientInsets(w);
  return POINT{w.rect.left + in.left, w.rect.top + in.top};
}

// A shown child moved without repainting takes its pixels along: what of its
// old place its parent showed goes to the same place in the new rectangle, as
// far as the smaller of the two sizes reaches and the parent shows it. The
// area it uncovers keeps what it showed until someone paints it.
void carryPixels(const Window& w, const RECT& old) {
  WindowRef parent = findWindow(w.parent);
  if (!parent) return;
  WindowRef top = topLevelOf(parent);
  if (!top || !top->surface) return;
  Surface& s = *top->surface;
  const POINT o = clientOriginInSurface(*parent);
  const LONG dx = w.rect.left - old.left, dy = w.rect.top - old.top;
  RECT from{old.left + o.x, old.top + o.y, 0, 0};
  from.right = from.left + std::min(old.right - old.left, w.rect.right - w.rect.left);
  from.bottom = from.top + std::min(old.bottom - old.top, w.rect.bottom - w.rect.top);
  const RECT shown = visibleClientInSurface(*parent);
  RECT to = from;
  OffsetRect(&to, dx, dy);
  RECT inSurface{0, 0, s.width, s.height}, clip{};
  if (!IntersectRect(&clip, &shown, &inSurface) || !IntersectRect(&from, &from, &clip)) return;
  to = from;
  OffsetRect(&to, dx, dy);
  if (!IntersectRect(&to, &to, &clip)) return;
  from = to;
  OffsetRect(&from, -dx, -dy);
  const int width = to.right - to.left;
  std::vector<uint32_t> rows(static_cast<size_t>(width) * (to.bottom - to.top));
  for (LONG y = from.top; y < from.bottom; ++y)
    std::copy_n(s.row(y) + from.left, width, rows.data() + static_cast<size_t>(y - from.top) * width);
  for (LONG y = to.top; y < to.bottom; ++y)
    std::copy_n(rows.data() + static_cast<size_t>(y - to.top) * width, width, s.row(y) + to.left);
  if (platform::Desktop* d = platform::desktop()) d->surfaceDrawn(top->handle, to);
}

// Hiding: WM_SHOWWINDOW, the flag, the parent's exposed area, then activation
// and focus leave the window (focus to the parent of a child).
BOOL hide(const WindowRef& w) {
  HWND hwnd = w->handle;
  callProc(w, WM_SHOWWINDOW, FALSE, 0);
  if (!findWindow(hwnd) || !(w->style & WS_VISIBLE)) return TRUE;
  w->style &= ~WS_VISIBLE;
  if (!w->isChild())
    if (platform::Desktop* d = platform::desktop()) d->windowShown(hwnd, false);
  State& s = state();
  if (w->isChild()) invalidateParentArea(*w);
  if (!w->isChild() && s.active == hwnd) activateOther(hwnd);
  if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus))) SetFocus(w->parent);
  return TRUE;
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int command) {
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  bool was = (w->style & WS_VISIBLE) != 0;
  if (command == SW_HIDE) return was ? hide(w) : FALSE;
  if (!was) {
    callProc(w, WM_SHOWWINDOW, TRUE, 0);
    if (!findWindow(hwnd)) return FALSE;
    w->style |= WS_VISIBLE;
    if (!w->isChild() && !w->shownOnce) {
      // The first show of a top-level window reports its size once more, so
      // that children made after creation see one.
      w->shownOnce = true;
      SIZE size = clientSize(*w);
      callProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.cx, size.cy));
      POINT origin = clientOriginInParent(*w);
      callProc(w, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    }
    invalidate(w, nullptr, true);
    if (!w->isChild())
      if (platform::Desktop* d = platform::desktop()) d->windowShown(hwnd, true);
  }
  if (!w->isChild() && activates(command) && state().active != hwnd && findWindow(hwnd)) setActive(hwnd, WA_ACTIVE);
  return was;
}

BOOL IsWindowVisible(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  return w && isVisible(*w);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    callProc(w, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    w->style |= WS_DISABLED;
    State& s = state();
    // Only the window itself loses the focus: a focused child keeps it until
    // the activation moves (a dialog saves it on WA_INACTIVE).
    if (s.focus == hwnd) SetFocus(nullptr);
    if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture))) ReleaseCapture();
    callProc(w, WM_ENABLE, FALSE, 0);
  }
  if (IsWindow(hwnd) && wasDisabled != !enable) tellDesktopChanged(*w);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  return w && !(w->style & WS_DISABLED);
}

// WM_MOVE when the position changed, then WM_SIZE when the client size did,
// both before returning. `repaint` invalidates the window and the area it
// left in its parent; without it a shown child's pixels move with it.
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  WindowRef w = findWindow(hwnd);
  if (!w) return FALSE;
  width = std::max(width, 0), height = std::max(height, 0);
  RECT old = w->rect;
  SIZE before = clientSize(*w);
  if (repaint && w->isChild() && isVisible(*w)) invalidateParentArea(*w);
  w->rect = RECT{x, y, x + width, y + height};
  if (!repaint && w->isChild() && isVisible(*w) && (old.left != x || old.top != y)) carryPixels(*w, old);
  resizeSurface(*w);
  tellDesktopChanged(*w);
  if (old.left != x || old.top != y) {
    POINT origin = clientOriginInParent(*w);
    callProc(w, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  }
  if (!findWindow(hwnd)) return TRUE;
  clientSizeChanged(w, before);
  if (repaint && findWindow(hwnd)) invalidate(w, nullptr, true);
  return TRUE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) return FALSE;
  return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!IsWindow(hwnd) || !buffer || maxCount <= 0) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, maxCount, reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  WindowRef w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  SetLastError(0);
  LONG_PTR old = 0;
  switch (index) {
    case GWLP_USERDATA: old = w->userData, w->userData = value; break;
    case GWLP_WNDPROC:
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_HINSTANCE:
      old = reinterpret_cast<LONG_PTR>(w->instance);
      w->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWLP_ID: old = w->id, w->id = value; break;
    case GWL_STYLE: old = static_cast<LONG>(w->style), w->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: old = static_cast<LONG>(w->exStyle), w->exStyle = static_cast<DWORD>(value); break;
    case GWLP_HWNDPARENT:
      old = reinterpret_cast<LONG_PTR>(GetParent(hwnd));
      if (!w->isChild()) {
        WindowRef owner = findWindow(reinterpret_cast<HWND>(value));
        w->owner = owner ? topLevelOf(owner)->handle : nullptr;
      }
      break;
    default: SetLastError(1413 /* ERROR_INVALID_INDEX */); return 0;
  }
  if (index == GWL_STYLE || index == GWL_EXSTYLE || index == GWLP_HWNDPARENT) tellDesktopChanged(*w);
  return old;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  WindowRef w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWLP_USERDATA: return w->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
    default: SetLastError(1413 /* ERROR_INVALID_INDEX */); return 0;
  }
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }
