// "SysLink": one line of text with links in it (markup in LinkMarkup.h),
// links drawn blue and underlined. A click released on the link it started
// on, or Enter (or Space) while the control has the focus, sends WM_NOTIFY
// NM_CLICK / NM_RETURN with an NMLINK naming the link (index, id, address)
// to the parent; Enter and Space act on the focused link (the first at
// first). LWS_IGNORERETURN leaves Enter to the dialog.
#include <algorithm>

#include "platform/controls/ControlBase.h"
#include "platform/controls/LinkMarkup.h"

namespace platform::controls {

namespace {

struct SysLink {
  LinkMarkup markup;
  HFONT font = nullptr;
  bool focused = false;
  int focusLink = 0;
  int pressed = -1;  // the link the left button went down on
};

Store<SysLink>& links() {
  static auto* s = new Store<SysLink>;
  return *s;
}

struct Placed {
  RECT box;
  int link;
};

// Where each run is drawn: left to right from (0, 0), one line.
std::vector<Placed> place(const SysLink& s, const Measure& m) {
  std::vector<Placed> out;
  int x = 0;
  for (const LinkRun& r : s.markup.runs) {
    int w = m.width(r.text);
    out.push_back(Placed{RECT{x, 0, x + w, m.height()}, r.link});
    x += w;
  }
  return out;
}

int linkAt(const SysLink& s, POINT p) {
  Measure m(s.font);
  for (const Placed& pl : place(s, m))
    if (pl.link >= 0 && PtInRect(&pl.box, p)) return pl.link;
  return -1;
}

void send(HWND hwnd, const SysLink& s, int link, UINT code) {
  if (link < 0 || link >= static_cast<int>(s.markup.links.size())) return;
  NMLINK nm{};
  nm.item.mask = LIF_ITEMINDEX | LIF_STATE | LIF_ITEMID | LIF_URL;
  nm.item.iLink = link;
  nm.item.state = LIS_ENABLED | (s.focused && link == s.focusLink ? LIS_FOCUSED : 0);
  const Link& l = s.markup.links[static_cast<size_t>(link)];
  copyOut(l.id, MAX_LINKID_TEXT, reinterpret_cast<LPARAM>(nm.item.szID));
  copyOut(l.url, L_MAX_URL_LENGTH, reinterpret_cast<LPARAM>(nm.item.szUrl));
  notifyParent(hwnd, &nm.hdr, code);
}

void paint(HWND hwnd, const SysLink& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HBRUSH bg = askBrush(hwnd, dc, WM_CTLCOLORSTATIC, sysBrush(COLOR_BTNFACE));
  if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & LWS_TRANSPARENT)) FillRect(dc, &r, bg);
  COLORREF ink = GetTextColor(dc), blue = RGB(0x00, 0x66, 0xCC);
  bool enabled = IsWindowEnabled(hwnd) != 0;
  Measure m(s.font);
  std::vector<Placed> placed = place(s, m);
  for (size_t i = 0; i < placed.size(); ++i) {
    const Placed& p = placed[i];
    COLORREF c = !enabled ? RGB(0x6D, 0x6D, 0x6D) : p.link >= 0 ? blue : ink;
    drawLabel(dc, s.markup.runs[i].text, p.box, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX, c, s.font);
    if (p.link >= 0) {
      hLine(dc, p.box.left, p.box.right, p.box.bottom - 2, c);
      if (s.focused && p.link == s.focusLink)
        focusRect(dc, RECT{p.box.left - 1, p.box.top, p.box.right + 1, p.box.bottom});
    }
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK linkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SysLink* s = links().make(hwnd);
    auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->markup = parseLinkMarkup(cs->lpszName);
  }
  SysLink* s = links().get(hwnd);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: links().drop(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *s); return 0;
    case WM_SETTEXT:
      s->markup = parseLinkMarkup(textArg(lParam));
      s->focusLink = 0;
      InvalidateRect(hwnd, nullptr, FALSE);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: {
      auto* m = reinterpret_cast<const MSG*>(lParam);
      bool enter = m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN;
      bool ignore = (GetWindowLongPtrW(hwnd, GWL_STYLE) & LWS_IGNORERETURN) != 0;
      return DLGC_WANTCHARS | (enter && !ignore && !s->markup.links.empty() ? DLGC_WANTALLKEYS : 0);
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        SetCursor(LoadCursorW(nullptr, linkAt(*s, p) >= 0 ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focused = message == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      s->pressed = linkAt(*s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (s->pressed >= 0) {
        s->focusLink = s->pressed;
        SetFocus(hwnd);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!(s = links().get(hwnd))) return 0;
      int link = linkAt(*s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      int pressed = s->pressed;
      s->pressed = -1;
      if (link >= 0 && link == pressed) send(hwnd, *s, link, NM_CLICK);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & LWS_IGNORERETURN))
        send(hwnd, *s, s->focusLink, NM_RETURN);
      else if (wParam == VK_SPACE) send(hwnd, *s, s->focusLink, NM_CLICK);
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void registerSysLink() { registerClass(WC_LINK, linkProc, CS_DBLCLKS, IDC_ARROW); }

}  // namespace platform::controls
