// "Static": text labels (left, centred, right; wrapped at the width unless
// SS_SIMPLE / SS_LEFTNOWORDWRAP), icons (SS_ICON: the window text names an
// icon resource, or STM_SETICON gives one), rectangles, frames and etched
// lines. The background comes from the parent's WM_CTLCOLORSTATIC answer,
// else the button face colour. SS_NOTIFY makes a click send STN_CLICKED.
#include "platform/controls/ControlBase.h"

namespace platform::controls {

namespace {

struct Static {
  HFONT font = nullptr;
  HICON icon = nullptr;
};

Store<Static>& statics() {
  static auto* s = new Store<Static>;
  return *s;
}

DWORD styleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

std::u16string textOf(HWND hwnd) {
  std::u16string s(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()))));
  return s;
}

void paintText(HWND hwnd, HDC dc, const Static& s, RECT r, DWORD style) {
  DWORD type = style & SS_TYPEMASK;
  COLORREF color = IsWindowEnabled(hwnd) ? GetTextColor(dc) : RGB(0xA0, 0xA0, 0xA0);
  UINT align = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
  UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
  std::u16string text = textOf(hwnd);
  if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP || (style & SS_CENTERIMAGE)) {
    UINT v = (style & SS_CENTERIMAGE) ? DT_VCENTER : DT_TOP;
    drawLabel(dc, text, r, DT_SINGLELINE | v | align | prefix, color, s.font);
    return;
  }
  Measure m(s.font);
  RECT line = r;
  for (const std::u16string& l : wrapText(m, text, r.right - r.left)) {
    line.bottom = line.top + m.height();
    drawLabel(dc, l, line, DT_SINGLELINE | DT_TOP | align | prefix, color, s.font);
    line.top = line.bottom;
    if (line.top >= r.bottom) break;
  }
}

void paint(HWND hwnd, const Static& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  DWORD style = styleOf(hwnd);
  DWORD type = style & SS_TYPEMASK;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HBRUSH bg = askBrush(hwnd, dc, WM_CTLCOLORSTATIC, sysBrush(COLOR_BTNFACE));
  switch (type) {
    case SS_BLACKRECT: fillRect(dc, r, RGB(0x69, 0x69, 0x69)); break;
    case SS_GRAYRECT: fillRect(dc, r, RGB(0xA0, 0xA0, 0xA0)); break;
    case SS_WHITERECT: fillRect(dc, r, RGB(0xFF, 0xFF, 0xFF)); break;
    case SS_BLACKFRAME: frameRect(dc, r, RGB(0x69, 0x69, 0x69)); break;
    case SS_GRAYFRAME: frameRect(dc, r, RGB(0xA0, 0xA0, 0xA0)); break;
    case SS_WHITEFRAME: frameRect(dc, r, RGB(0xFF, 0xFF, 0xFF)); break;
    case SS_ETCHEDHORZ:
      hLine(dc, r.left, r.right, r.top, RGB(0xA0, 0xA0, 0xA0));
      hLine(dc, r.left, r.right, r.top + 1, RGB(0xFF, 0xFF, 0xFF));
      break;
    case SS_ETCHEDVERT:
      vLine(dc, r.left, r.top, r.bottom, RGB(0xA0, 0xA0, 0xA0));
      vLine(dc, r.left + 1, r.top, r.bottom, RGB(0xFF, 0xFF, 0xFF));
      break;
    case SS_ETCHEDFRAME: frameRect(dc, r, RGB(0xA0, 0xA0, 0xA0)); break;
    case SS_ICON:
      FillRect(dc, &r, bg);
      if (s.icon) DrawIconEx(dc, 0, 0, s.icon, 0, 0, 0, nullptr, DI_NORMAL);
      break;
    default:
      FillRect(dc, &r, bg);
      paintText(hwnd, dc, s, r, style);
      break;
  }
  EndPaint(hwnd, &ps);
  paintBorder(hwnd);
}

// SS_ICON: the creation text names the icon ("#108", a number made into a
// name, or a resource name) in the creating instance.
HICON iconFromName(const CREATESTRUCTW* cs) {
  if (!cs || !cs->lpszName) return nullptr;
  LPCWSTR name = cs->lpszName;
  if (!IS_INTRESOURCE(name) && name[0] == u'#') {
    int id = 0;
    for (LPCWSTR p = name + 1; *p >= u'0' && *p <= u'9'; ++p) id = id * 10 + (*p - u'0');
    name = MAKEINTRESOURCEW(id);
  }
  if (!IS_INTRESOURCE(name) && !name[0]) return nullptr;
  return LoadIconW(cs->hInstance, name);
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    Static* s = statics().make(hwnd);
    auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    if ((static_cast<DWORD>(cs->style) & SS_TYPEMASK) == SS_ICON) {
      s->icon = iconFromName(cs);
      return TRUE;  // the name is not a text
    }
  }
  Static* s = statics().get(hwnd);
  if (!s) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: statics().drop(hwnd); return 0;
    case WM_NCHITTEST: return (styleOf(hwnd) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *s); return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return r;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case STM_SETICON:
    case STM_SETIMAGE: {
      if (message == STM_SETIMAGE && wParam != IMAGE_ICON) return 0;
      HICON icon = reinterpret_cast<HICON>(message == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
      HICON old = s->icon;
      s->icon = icon;
      InvalidateRect(hwnd, nullptr, FALSE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
    case STM_GETIMAGE: return reinterpret_cast<LRESULT>(s->icon);
    case WM_LBUTTONDOWN:
      if (styleOf(hwnd) & SS_NOTIFY) notifyCommand(hwnd, STN_CLICKED);
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void registerStatic() { registerClass(u"Static", staticProc, CS_DBLCLKS, IDC_ARROW); }

}  // namespace platform::controls
