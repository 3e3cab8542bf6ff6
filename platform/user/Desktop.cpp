// Choosing the desktop, and the frame geometry a desktop shows.
#include "platform/user/Desktop.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace platform {

namespace {

std::atomic<Desktop*> current{nullptr};
std::atomic<Desktop* (*)()> opener{nullptr};
std::atomic<bool> pinned{false};
bool tried = false;

bool displayPresent() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (w && *w);
}

bool headlessByEnvironment() {
  const char* h = std::getenv("MORVEL_HEADLESS");
  return h && *h && std::strcmp(h, "0") != 0;
}

}  // namespace

Desktop* desktop(bool pick) {
  Desktop* d = current.load();
  if (d || !pick || tried || pinned.load()) return d;
  tried = true;
  Desktop* (*open)() = opener.load();
  if (!open || headlessByEnvironment() || !displayPresent()) return nullptr;
  d = open();
  if (d) current.store(d);
  return d;
}

void setDesktopOpener(Desktop* (*open)()) { opener.store(open); }

Desktop* setDesktop(Desktop* next) {
  tried = true;
  return current.exchange(next);
}

void pinHeadless() { pinned.store(true); }

bool headlessPinned() { return pinned.load(); }

std::optional<FrameLayout> frameLayout(HWND top) {
  using namespace platform::user;
  WindowRef w = findWindow(top);
  if (!w || w->isChild()) return std::nullopt;
  FrameLayout f;
  f.window = w->rect;
  f.decorated = (w->style & WS_CAPTION) == WS_CAPTION;
  f.popup = (w->style & WS_POPUP) != 0;
  f.owner = w->owner;
  RECT in = nonClientInsets(*w);
  POINT o = clientOriginOnScreen(*w);
  SIZE cs = clientSize(*w);
  f.client = RECT{o.x, o.y, o.x + cs.cx, o.y + cs.cy};
  f.frame = f.window;
  if (f.decorated) {
    // The desktop's own border and caption stand in for the layer's: the
    // frame starts below the caption, inside the border.
    int border = in.left - ((w->exStyle & WS_EX_CLIENTEDGE)   ? GetSystemMetrics(SM_CXEDGE)
                            : (w->exStyle & WS_EX_STATICEDGE) ? 1
                                                              : 0);
    f.frame = RECT{w->rect.left + border, w->rect.top + border + GetSystemMetrics(SM_CYCAPTION),
                   w->rect.right - border, w->rect.bottom - border};
  }
  if (w->hasMenuBar)
    f.menuBar = RECT{f.frame.left, f.frame.top, f.frame.right, f.frame.top + GetSystemMetrics(SM_CYMENU)};
  return f;
}

void frameMovedByDesktop(HWND top, RECT frame) {
  auto f = frameLayout(top);
  if (!f) return;
  RECT r{frame.left - (f->frame.left - f->window.left), frame.top - (f->frame.top - f->window.top),
         frame.right + (f->window.right - f->frame.right), frame.bottom + (f->window.bottom - f->frame.bottom)};
  const RECT& was = f->window;
  if (r.left == was.left && r.top == was.top && r.right == was.right && r.bottom == was.bottom) return;
  bool resized = r.right - r.left != was.right - was.left || r.bottom - r.top != was.bottom - was.top;
  MoveWindow(top, r.left, r.top, r.right - r.left, r.bottom - r.top, resized);
}

}  // namespace platform
