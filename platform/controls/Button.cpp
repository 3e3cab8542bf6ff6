// "Button": push buttons (plain and default), check boxes (plain, automatic,
// three-state), radio buttons (plain and automatic) and group boxes.
//
// A click - the left button pressed and released over the button, or Space
// pressed and released while it has the focus - toggles an automatic check
// box, checks an automatic radio button and clears the other automatic radio
// buttons of its group (the siblings from the nearest WS_GROUP at or before
// it up to the next WS_GROUP), then sends BN_CLICKED to the parent. A
// disabled button gets no input, so it never clicks.
#include <algorithm>

#include "platform/controls/ControlBase.h"
#include "platform/user/State.h"

namespace platform::controls {

namespace {

struct Button {
  WPARAM check = BST_UNCHECKED;
  bool pushed = false;    // drawn pressed (pointer held over it, or Space down)
  bool tracking = false;  // the left button went down on it and capture is held
  bool focused = false;
  HFONT font = nullptr;
};

Store<Button>& buttons() {
  static auto* s = new Store<Button>;
  return *s;
}

DWORD typeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool isCheckBox(DWORD t) {
  return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
}
bool isRadio(DWORD t) { return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON; }

void redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

void setCheck(HWND hwnd, Button& b, WPARAM check) {
  if (b.check == check) return;
  b.check = check;
  redraw(hwnd);
}

// The automatic radio buttons of the group `hwnd` belongs to, itself excluded.
std::vector<HWND> groupMates(HWND hwnd) {
  using namespace platform::user;
  std::vector<HWND> mates;
  WindowRef parent = findWindow(GetParent(hwnd));
  if (!parent) return mates;
  const std::vector<HWND>& kids = parent->children;
  auto self = std::find(kids.begin(), kids.end(), hwnd);
  if (self == kids.end()) return mates;
  auto style = [](HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); };
  auto first = self;
  while (first != kids.begin() && !(style(*first) & WS_GROUP)) --first;
  for (auto it = first; it != kids.end(); ++it) {
    if (it != first && (style(*it) & WS_GROUP)) break;
    if (*it != hwnd && classOf(*it) == u"Button" && (style(*it) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
      mates.push_back(*it);
  }
  return mates;
}

void click(HWND hwnd, Button& b) {
  DWORD t = typeOf(hwnd);
  if (t == BS_AUTOCHECKBOX) setCheck(hwnd, b, b.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  else if (t == BS_AUTO3STATE) setCheck(hwnd, b, (b.check + 1) % 3);
  else if (t == BS_AUTORADIOBUTTON) {
    setCheck(hwnd, b, BST_CHECKED);
    for (HWND mate : groupMates(hwnd)) SendMessageW(mate, BM_SETCHECK, BST_UNCHECKED, 0);
  }
  notifyCommand(hwnd, BN_CLICKED);  // may destroy the button: nothing after this
}

std::u16string textOf(HWND hwnd) {
  std::u16string s(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()))));
  return s;
}

COLORREF textColor(HWND hwnd) { return IsWindowEnabled(hwnd) ? GetSysColor(COLOR_BTNTEXT) : RGB(0xA0, 0xA0, 0xA0); }

void paintPush(HWND hwnd, HDC dc, const Button& b, RECT r) {
  FillRect(dc, &r, askBrush(hwnd, dc, WM_CTLCOLORBTN, sysBrush(COLOR_BTNFACE)));
  bool def = typeOf(hwnd) == BS_DEFPUSHBUTTON;
  fillRect(dc, r, b.pushed ? RGB(0xCC, 0xE4, 0xF7) : RGB(0xE1, 0xE1, 0xE1));
  COLORREF edge = b.pushed ? RGB(0x00, 0x54, 0x99) : def ? RGB(0x00, 0x78, 0xD7) : RGB(0xAD, 0xAD, 0xAD);
  frameRect(dc, r, edge);
  if (def) {
    RECT inner = r;
    inflate(inner, -1);
    frameRect(dc, inner, edge);
  }
  drawLabel(dc, textOf(hwnd), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER, textColor(hwnd), b.font);
  if (b.focused) {
    RECT f = r;
    inflate(f, -3);
    focusRect(dc, f);
  }
}

// Check boxes and radio buttons: the mark at the left, the label after it.
void paintMark(HWND hwnd, HDC dc, const Button& b, RECT r) {
  FillRect(dc, &r, askBrush(hwnd, dc, WM_CTLCOLORSTATIC, sysBrush(COLOR_BTNFACE)));
  constexpr int kBox = 13;
  int y = r.top + (r.bottom - r.top - kBox) / 2;
  bool enabled = IsWindowEnabled(hwnd) != 0;
  COLORREF ink = enabled ? RGB(0x33, 0x33, 0x33) : RGB(0xBC, 0xBC, 0xBC);
  if (isRadio(typeOf(hwnd))) {
    fillDisc(dc, r.left, y, kBox, ink);
    fillDisc(dc, r.left + 1, y + 1, kBox - 2, RGB(0xFF, 0xFF, 0xFF));
    if (b.check == BST_CHECKED) fillDisc(dc, r.left + 3, y + 3, kBox - 6, ink);
  } else {
    RECT box{r.left, y, r.left + kBox, y + kBox};
    fillRect(dc, box, b.pushed ? RGB(0xCC, 0xE4, 0xF7) : RGB(0xFF, 0xFF, 0xFF));
    frameRect(dc, box, ink);
    if (b.check == BST_CHECKED) {
      // A tick: down from (3, 6) to (5, 8), then up to (10, 3), two pixels thick.
      for (int i = 0; i < 3; ++i)
        fillRect(dc, RECT{box.left + 3 + i, box.top + 6 + i, box.left + 4 + i, box.top + 8 + i}, ink);
      for (int i = 0; i < 5; ++i)
        fillRect(dc, RECT{box.left + 6 + i, box.top + 7 - i, box.left + 7 + i, box.top + 9 - i}, ink);
    } else if (b.check == BST_INDETERMINATE) {
      fillRect(dc, RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, ink);
    }
  }
  RECT label{r.left + kBox + 4, r.top, r.right, r.bottom};
  std::u16string text = textOf(hwnd);
  drawLabel(dc, text, label, DT_SINGLELINE | DT_VCENTER | DT_LEFT, textColor(hwnd), b.font);
  if (b.focused && !text.empty()) {
    Measure m(b.font);
    int w = m.width(text);
    int top = r.top + (r.bottom - r.top - m.height()) / 2;
    focusRect(dc, RECT{label.left - 1, top - 1, std::min<LONG>(label.left + w + 1, r.right), top + m.height() + 1});
  }
}

// A group box: an etched frame from half the label's height down, the label
// over its top edge. The inside is left alone (the controls in it show).
void paintGroup(HWND hwnd, HDC dc, const Button& b, RECT r) {
  Measure m(b.font);
  std::u16string text = textOf(hwnd);
  int half = m.height() / 2;
  RECT f{r.left, r.top + half, r.right, r.bottom};
  frameRect(dc, f, RGB(0xDC, 0xDC, 0xDC));
  if (text.empty()) return;
  RECT label{r.left + 8, r.top, std::min<LONG>(r.left + 8 + m.width(text) + 4, r.right - 2), r.top + m.height()};
  FillRect(dc, &label, askBrush(hwnd, dc, WM_CTLCOLORSTATIC, sysBrush(COLOR_BTNFACE)));
  label.left += 2;
  drawLabel(dc, text, label, DT_SINGLELINE | DT_LEFT | DT_TOP, textColor(hwnd), b.font);
}

void paint(HWND hwnd, const Button& b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  DWORD t = typeOf(hwnd);
  if (t == BS_GROUPBOX) paintGroup(hwnd, dc, b, r);
  else if (isCheckBox(t) || isRadio(t)) paintMark(hwnd, dc, b, r);
  else paintPush(hwnd, dc, b, r);
  EndPaint(hwnd, &ps);
}

void setPushed(HWND hwnd, Button& b, bool pushed) {
  if (b.pushed == pushed) return;
  b.pushed = pushed;
  redraw(hwnd);
}

bool inside(HWND hwnd, LPARAM lParam) {
  RECT r;
  GetClientRect(hwnd, &r);
  return PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0;
}

LRESULT dialogCode(HWND hwnd) {
  DWORD t = typeOf(hwnd);
  if (t == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
  if (t == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  if (isRadio(t)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
  if (t == BS_GROUPBOX) return DLGC_STATIC;
  return DLGC_BUTTON;
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) buttons().make(hwnd);
  Button* b = buttons().get(hwnd);
  if (!b) return DefWindowProcW(hwnd, message, wParam, lParam);
  bool group = typeOf(hwnd) == BS_GROUPBOX;
  switch (message) {
    case WM_NCDESTROY: buttons().drop(hwnd); return 0;
    case WM_NCHITTEST: return group ? HTTRANSPARENT : DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *b); return 0;
    case WM_SETFONT:
      b->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) redraw(hwnd);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(b->font);
    case WM_GETDLGCODE: return dialogCode(hwnd);
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, message, wParam, lParam);
      redraw(hwnd);
      return r;
    }
    case WM_ENABLE: redraw(hwnd); return 0;
    case BM_GETCHECK: return static_cast<LRESULT>(b->check);
    case BM_SETCHECK: {
      DWORD t = typeOf(hwnd);
      if (isCheckBox(t) || isRadio(t))
        setCheck(hwnd, *b,
                 wParam == BST_INDETERMINATE && t != BS_3STATE && t != BS_AUTO3STATE
                     ? BST_CHECKED
                     : std::min<WPARAM>(wParam, BST_INDETERMINATE));
      return 0;
    }
    case BM_GETSTATE:
      return static_cast<LRESULT>(b->check) | (b->pushed ? BST_PUSHED : 0) | (b->focused ? BST_FOCUS : 0);
    case BM_SETSTATE: setPushed(hwnd, *b, wParam != 0); return 0;
    case BM_SETSTYLE: {
      DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
      SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK));
      if (lParam) redraw(hwnd);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(hwnd) && !group) click(hwnd, *b);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (group) return 0;
      SetFocus(hwnd);
      SetCapture(hwnd);
      b = buttons().get(hwnd);
      if (!b) return 0;
      b->tracking = true;
      setPushed(hwnd, *b, true);
      return 0;
    case WM_MOUSEMOVE:
      if (b->tracking) setPushed(hwnd, *b, inside(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: {
      if (!b->tracking) return 0;
      bool hit = inside(hwnd, lParam);
      b->tracking = false;
      setPushed(hwnd, *b, false);
      ReleaseCapture();
      if (hit && (b = buttons().get(hwnd))) click(hwnd, *b);
      return 0;
    }
    case WM_CAPTURECHANGED:
      b->tracking = false;
      setPushed(hwnd, *b, false);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !group) setPushed(hwnd, *b, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && b->pushed) {
        setPushed(hwnd, *b, false);
        click(hwnd, *b);
      }
      return 0;
    case WM_CHAR: return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      b->focused = message == WM_SETFOCUS;
      if (!b->focused) setPushed(hwnd, *b, false);
      redraw(hwnd);
      if (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_NOTIFY)
        notifyCommand(hwnd, b->focused ? BN_SETFOCUS : BN_KILLFOCUS);
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void registerButton() { registerClass(u"Button", buttonProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW); }

}  // namespace platform::controls
