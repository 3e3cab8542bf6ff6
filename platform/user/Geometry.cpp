// Fixed headless geometry: a 1920 x 1080 screen with a 40-pixel task bar,
// fixed frame, caption, menu bar and scroll-bar sizes; client areas and the
// mapping between client, surface and screen coordinates.
#include <algorithm>

#include "platform/user/Desktop.h"
#include "platform/user/ScrollBarLayout.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kTaskBar = 40;
constexpr int kCaption = 23;
constexpr int kMenuBar = 20;
constexpr int kBorder = 1;
constexpr int kDialogFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kScrollBar = 17;
constexpr int kEdge = 2;

}  // namespace

int GetSystemMetrics(int index) {
  if (platform::Desktop* d = platform::desktop()) {
    // Under a desktop the screen is the monitor the main window is on.
    switch (index) {
      case SM_CXSCREEN: {
        RECT m = d->monitor();
        return m.right - m.left;
      }
      case SM_CYSCREEN: {
        RECT m = d->monitor();
        return m.bottom - m.top;
      }
      case SM_CXFULLSCREEN: {
        RECT a = d->workArea();
        return a.right - a.left;
      }
      case SM_CYFULLSCREEN: {
        RECT a = d->workArea();
        return a.bottom - a.top - kCaption;
      }
      default: break;
    }
  }
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN: return kScreenWidth;
    case SM_CYSCREEN: return kScreenHeight;
    case SM_CYFULLSCREEN: return kScreenHeight - kTaskBar - kCaption;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return kScrollBar;
    case SM_CYCAPTION: return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME: return kSizingFrame;
    case SM_CYMENU: return kMenuBar;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXEDGE:
    case SM_CYEDGE: return kEdge;
    default: return 0;
  }
}

DWORD GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW:
    case COLOR_HIGHLIGHTTEXT: return 0x00FFFFFF;
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT: return 0x00000000;
    case COLOR_BTNFACE: return 0x00F0F0F0;
    case COLOR_SCROLLBAR: return 0x00C8C8C8;
    case COLOR_HIGHLIGHT: return 0x00D77800;
    case COLOR_GRAYTEXT: return 0x006D6D6D;
    case COLOR_BACKGROUND: return 0x00000000;
    default: return 0x00FFFFFF;
  }
}

namespace platform::user {

// The frame rule: a thin border for WS_BORDER, a dialog frame for captions
// and dialog frames, one pixel more for a sizing frame; the caption and menu
// bar at the top; client edges and the shown scroll bars inside.
RECT nonClientInsets(const Window& w) {
  int frame = 0;
  if ((w.exStyle & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE) frame = 1;
  else if ((w.exStyle & WS_EX_DLGMODALFRAME) || (w.style & (WS_THICKFRAME | WS_DLGFRAME))) frame = 2;
  if (w.style & WS_THICKFRAME) frame += kSizingFrame - kDialogFrame;
  if ((w.style & (WS_BORDER | WS_DLGFRAME)) || (w.exStyle & WS_EX_DLGMODALFRAME)) frame += 1;
  RECT in{frame, frame, frame, frame};
  if ((w.style & WS_CAPTION) == WS_CAPTION) in.top += kCaption;
  if (w.hasMenuBar && !w.isChild()) in.top += kMenuBar;
  int edge = (w.exStyle & WS_EX_CLIENTEDGE) ? kEdge : (w.exStyle & WS_EX_STATICEDGE) ? 1 : 0;
  in.left += edge, in.top += edge, in.right += edge, in.bottom += edge;
  if (w.bars[SB_VERT].shown) in.right += kScrollBar;
  if (w.bars[SB_HORZ].shown) in.bottom += kScrollBar;
  return in;
}

SIZE clientSize(const Window& w) {
  RECT in = nonClientInsets(w);
  LONG width = w.rect.right - w.rect.left - in.left - in.right;
  LONG height = w.rect.bottom - w.rect.top - in.top - in.bottom;
  return SIZE{std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
}

POINT clientOriginOnScreen(const Window& w) {
  RECT in = nonClientInsets(w);
  POINT p{w.rect.left + in.left, w.rect.top + in.top};
  if (w.parent)
    if (WindowRef parent = findWindow(w.parent)) {
      POINT base = clientOriginOnScreen(*parent);
      p.x += base.x, p.y += base.y;
    }
  return p;
}

WindowRef topLevelOf(const WindowRef& w) {
  WindowRef cur = w;
  while (cur && cur->parent) {
    WindowRef up = findWindow(cur->parent);
    if (!up) break;
    cur = up;
  }
  return cur;
}

POINT clientOriginInSurface(const Window& w) {
  if (!w.parent) return POINT{0, 0};
  WindowRef parent = findWindow(w.parent);
  if (!parent) return POINT{0, 0};
  POINT base = clientOriginInSurface(*parent);
  RECT in = nonClientInsets(w);
  return POINT{base.x + w.rect.left + in.left, base.y + w.rect.top + in.top};
}

RECT visibleClientInSurface(const Window& w) {
  POINT o = clientOriginInSurface(w);
  SIZE s = clientSize(w);
  RECT r{o.x, o.y, o.x + s.cx, o.y + s.cy};
  if (w.parent)
    if (WindowRef parent = findWindow(w.parent)) {
      RECT up = visibleClientInSurface(*parent);
      IntersectRect(&r, &r, &up);
    }
  return r;
}

bool isEnabledWithAncestors(const Window& w) {
  if (w.style & WS_DISABLED) return false;
  if (!w.parent) return true;
  WindowRef parent = findWindow(w.parent);
  return parent && isEnabledWithAncestors(*parent);
}

bool isVisible(const Window& w) {
  if (!(w.style & WS_VISIBLE)) return false;
  if (!w.parent) return true;
  WindowRef parent = findWindow(w.parent);
  return parent && isVisible(*parent);
}

void resizeSurface(Window& w) {
  if (w.parent) {
    w.surface.reset();
    return;
  }
  if (!w.surface) w.surface = std::make_shared<Surface>();
  SIZE s = clientSize(w);
  if (w.surface->width != s.cx || w.surface->height != s.cy) w.surface->resize(s.cx, s.cy);
}

void clientSizeChanged(const WindowRef& w, SIZE before) {
  resizeSurface(*w);
  SIZE now = clientSize(*w);
  if (now.cx != before.cx || now.cy != before.cy) callProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(now.cx, now.cy));
}

HWND sizeBoxTarget(const Window& w) {
  POINT o = windowOriginOnScreen(w);
  const POINT corner{o.x + (w.rect.right - w.rect.left), o.y + (w.rect.bottom - w.rect.top)};
  WindowRef hold;
  for (const Window* p = &w;;) {
    if (p->style & WS_THICKFRAME) {
      if (p->style & WS_MAXIMIZE) return nullptr;
      POINT c = clientOriginOnScreen(*p);
      SIZE cs = clientSize(*p);
      if (corner.x + kEdge < c.x + cs.cx || corner.y + kEdge < c.y + cs.cy) return nullptr;
      return p->handle;
    }
    if (!p->isChild() || (p->style & WS_CAPTION) == WS_CAPTION) return nullptr;
    hold = findWindow(p->parent);
    if (!hold) return nullptr;
    p = hold.get();
  }
}

// The part of a window a screen point is on.
int hitTest(const Window& w, POINT screen) {
  POINT origin{w.rect.left, w.rect.top};
  if (w.parent)
    if (WindowRef p = findWindow(w.parent)) {
      POINT base = clientOriginOnScreen(*p);
      origin.x += base.x, origin.y += base.y;
    }
  RECT whole{origin.x, origin.y, origin.x + (w.rect.right - w.rect.left), origin.y + (w.rect.bottom - w.rect.top)};
  if (!PtInRect(&whole, screen)) return HTNOWHERE;
  POINT o = clientOriginOnScreen(w);
  SIZE cs = clientSize(w);
  RECT client{o.x, o.y, o.x + cs.cx, o.y + cs.cy};
  if (PtInRect(&client, screen)) return HTCLIENT;
  RECT vbar{client.right, client.top, client.right + kScrollBar, client.bottom};
  if (w.bars[SB_VERT].shown && PtInRect(&vbar, screen)) return HTVSCROLL;
  RECT hbar{client.left, client.bottom, client.right, client.bottom + kScrollBar};
  if (w.bars[SB_HORZ].shown && PtInRect(&hbar, screen)) return HTHSCROLL;
  RECT box{client.right, client.bottom, client.right + kScrollBar, client.bottom + kScrollBar};
  if (w.bars[SB_VERT].shown && w.bars[SB_HORZ].shown && PtInRect(&box, screen))
    return sizeBoxTarget(w) ? HTBOTTOMRIGHT : HTSIZE;
  RECT in = nonClientInsets(w);
  int edge = (w.exStyle & WS_EX_CLIENTEDGE) ? kEdge : (w.exStyle & WS_EX_STATICEDGE) ? 1 : 0;
  int frame = in.left - edge;
  int y = screen.y - origin.y;
  bool caption = (w.style & WS_CAPTION) == WS_CAPTION;
  int captionEnd = frame + (caption ? kCaption : 0);
  if (caption && y >= frame && y < captionEnd) return HTCAPTION;
  if (w.hasMenuBar && !w.isChild() && y >= captionEnd && y < captionEnd + kMenuBar) return HTMENU;
  return HTBORDER;
}

}  // namespace platform::user

using namespace platform::user;

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  WindowRef w = findWindow(hwnd);
  if (!w || !rect) return FALSE;
  SIZE s = clientSize(*w);
  *rect = RECT{0, 0, s.cx, s.cy};
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  WindowRef w = findWindow(hwnd);
  if (!w || !rect) return FALSE;
  POINT base{0, 0};
  if (w->parent)
    if (WindowRef parent = findWindow(w->parent)) base = clientOriginOnScreen(*parent);
  *rect = w->rect;
  OffsetRect(rect, base.x, base.y);
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  WindowRef w = findWindow(hwnd);
  if (!w || !point) return FALSE;
  POINT o = clientOriginOnScreen(*w);
  point->x += o.x, point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  WindowRef w = findWindow(hwnd);
  if (!w || !point) return FALSE;
  POINT o = clientOriginOnScreen(*w);
  point->x -= o.x, point->y -= o.y;
  return TRUE;
}
