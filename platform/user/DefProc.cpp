// Default processing of window messages.
#include <algorithm>

#include "platform/gdi/Gdi.h"

#include "platform/user/Desktop.h"
#include "platform/user/Imm.h"
#include "platform/user/Input.h"
#include "platform/user/Menu.h"
#include "platform/user/Message.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBarDraw.h"
#include "platform/user/ScrollBarTrack.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

LRESULT copyText(const Window& w, WPARAM max, LPARAM buffer) {
  auto* out = reinterpret_cast<WCHAR*>(buffer);
  if (!out || max == 0) return 0;
  size_t n = std::min<size_t>(w.text.size(), max - 1);
  std::copy_n(w.text.data(), n, out);
  out[n] = 0;
  return static_cast<LRESULT>(n);
}

// Fills the client area with the class brush (a brush or COLOR_* + 1); the
// DC is BeginPaint's, so only the update rectangle changes.
LRESULT eraseBackground(const WindowRef& w, HDC dc) {
  HBRUSH brush = w->cls->background;
  if (!brush || !dc) return 0;
  RECT client;
  GetClientRect(w->handle, &client);
  FillRect(dc, &client, brush);
  return 1;
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRef w = findWindow(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_KEYMENU && !w->isChild() && GetMenu(hwnd))
        if (platform::Desktop* d = platform::desktop()) d->keyMenu(hwnd, static_cast<char16_t>(lParam));
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1 << 29)))
        SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSKEYUP:
      // Alt or F10 pressed and released alone selects the menu bar.
      if ((wParam == VK_MENU && state().altAlone) || wParam == VK_F10)
        SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, 0);
      return 0;
    case WM_SYSCHAR:
      // Alt+letter opens the menu bar's popup with that underlined letter.
      if (lParam & (1 << 29))
        SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      return 0;
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
      if (!w->isChild())
        if (platform::Desktop* d = platform::desktop()) d->windowTitle(hwnd);
      return TRUE;
    case WM_GETTEXT: return copyText(*w, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return eraseBackground(w, reinterpret_cast<HDC>(wParam));
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
      return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (w->isChild() && (w->style & WS_CHILD)) return SendMessageW(w->parent, message, wParam, lParam);
      return 0;
    case WM_SETCURSOR:
      if (w->isChild() && (w->style & WS_CHILD) && SendMessageW(w->parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
      if (LOWORD(lParam) == HTCLIENT) {
        // The class cursor of the window under the pointer (wParam), also
        // when a parent answers for its child.
        WindowRef under = findWindow(reinterpret_cast<HWND>(wParam));
        HCURSOR cursor = under ? under->cls->cursor : nullptr;
        if (!cursor) return FALSE;
        SetCursor(cursor);
        return TRUE;
      }
      if (LOWORD(lParam) == HTBOTTOMRIGHT) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
        return TRUE;
      }
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return FALSE;
    case WM_MOUSEACTIVATE:
      if (w->isChild() && (w->style & WS_CHILD))
        if (LRESULT r = SendMessageW(w->parent, WM_MOUSEACTIVATE, wParam, lParam)) return r;
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    case WM_NCACTIVATE: return TRUE;
    case WM_IME_COMPOSITION: platform::imeDefaultComposition(hwnd, lParam); return 0;
    case WM_IME_CHAR: SendMessageW(hwnd, WM_CHAR, wParam, lParam); return 0;
    case WM_NCHITTEST: return hitTest(*w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCLBUTTONDOWN:
      if (wParam == HTVSCROLL || wParam == HTHSCROLL)
        startScrollTrack(w, wParam == HTVSCROLL ? SB_VERT : SB_HORZ,
                         POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      // A size grip: the desktop sizes the window it belongs to while the button is down.
      if (wParam == HTBOTTOMRIGHT)
        if (HWND target = sizeBoxTarget(*w))
          if (platform::Desktop* d = platform::desktop()) d->sizeFromCorner(target);
      return 0;
    case WM_CAPTURECHANGED: scrollTrackCaptureLost(hwnd); return 0;
    case WM_ENABLE: drawScrollBars(w); return 0;  // the bars' look follows the window's state
    default: return 0;
  }
}
