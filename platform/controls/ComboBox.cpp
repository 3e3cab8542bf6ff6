// "ComboBox": CBS_DROPDOWN (an edit part, the child "Edit" with id 1001,
// and a list that drops down) and CBS_DROPDOWNLIST (the selected item shown
// in a button-like field). CBS_SIMPLE behaves as CBS_DROPDOWN.
//
// The window is as high as its selection field; the height given at
// creation is the height of field and dropped list together. The dropped
// list is a popup shown without activation (the dialog keeps the focus and
// stays active); the combo holds the mouse capture while it is down.
//
// Selection: CB_SETCURSEL selects silently and puts the item's text in the
// edit part; an index out of range (-1 included) clears the selection and
// the edit part and returns CB_ERR. The user's choices (a click in the
// dropped list, the arrow keys, a typed first letter in a drop-down list)
// send CBN_SELCHANGE. Typing into the edit part sends CBN_EDITUPDATE and
// CBN_EDITCHANGE and drops the selection; text the combo puts there itself
// (CB_SETCURSEL, WM_SETTEXT, a choice) sends no edit notification. Closing
// the list sends CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP.
#include <algorithm>

#include "platform/controls/ControlBase.h"
#include "platform/controls/ItemList.h"

namespace platform::controls {

namespace {

constexpr int kButton = 17;   // width of the drop-down button
constexpr int kFieldPad = 6;  // field height = item height + this

struct Combo {
  ItemList list;
  int sel = -1;  // invariant: -1 or a valid index
  int itemHeight = 0, fieldHeight = 0, droppedHeight = 0;
  HWND edit = nullptr;   // CBS_DROPDOWN: the edit part
  HWND popup = nullptr;  // the dropped list's window (made on first drop)
  bool dropped = false;
  bool firstUp = false;   // the press that dropped the list is still held
  int hot = -1, top = 0;  // highlighted item and first shown item of the list
  bool focused = false;   // CBS_DROPDOWNLIST: has the focus
  bool quiet = false;     // the combo itself is setting the edit part's text
  HFONT font = nullptr;
};

Store<Combo>& combos() {
  static auto* s = new Store<Combo>;
  return *s;
}

DWORD styleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
bool isList(HWND hwnd) { return (styleOf(hwnd) & 3) == CBS_DROPDOWNLIST; }

HWND comboOfPopup(HWND popup) { return reinterpret_cast<HWND>(GetWindowLongPtrW(popup, GWLP_USERDATA)); }

const std::u16string& itemText(const Combo& c, int i) { return c.list.items[static_cast<size_t>(i)].text; }

// Puts `text` in the edit part without edit notifications.
void setEditText(Combo& c, const std::u16string& text) {
  if (!c.edit) return;
  c.quiet = true;
  SetWindowTextW(c.edit, text.c_str());
  c.quiet = false;
}

void select(HWND hwnd, Combo& c, int index) {
  c.sel = c.list.valid(index) ? index : -1;
  setEditText(c, c.sel >= 0 ? itemText(c, c.sel) : std::u16string());
  if (c.edit && GetFocus() == c.edit) SendMessageW(c.edit, EM_SETSEL, 0, -1);
  InvalidateRect(hwnd, nullptr, FALSE);
}

// A selection the user makes.
void userSelect(HWND hwnd, Combo& c, int index) {
  if (!c.list.valid(index)) return;
  bool changed = index != c.sel;
  select(hwnd, c, index);
  c.hot = index;
  if (c.popup) InvalidateRect(c.popup, nullptr, FALSE);
  if (changed) notifyCommand(hwnd, CBN_SELCHANGE);
}

int popupRows(const Combo& c) {
  RECT r{};
  if (c.popup) GetClientRect(c.popup, &r);
  return std::max(1, static_cast<int>(r.bottom - 2) / std::max(c.itemHeight, 1));
}

void keepHotVisible(Combo& c) {
  int rows = popupRows(c);
  if (c.hot >= 0 && c.hot < c.top) c.top = c.hot;
  else if (c.hot >= c.top + rows) c.top = c.hot - rows + 1;
  c.top = std::clamp(c.top, 0, std::max(0, c.list.count() - rows));
}

void layoutEdit(HWND hwnd, const Combo& c) {
  if (!c.edit) return;
  RECT r;
  GetClientRect(hwnd, &r);
  MoveWindow(c.edit, 3, 3, std::max<LONG>(0, r.right - kButton - 4), std::max<LONG>(0, r.bottom - 6), TRUE);
}

void drop(HWND hwnd, Combo& c) {
  if (c.dropped) return;
  notifyCommand(hwnd, CBN_DROPDOWN);
  if (!IsWindow(hwnd)) return;
  RECT w;
  GetWindowRect(hwnd, &w);
  int want = std::max(1, c.list.count()) * c.itemHeight + 2;
  int height = std::max(c.itemHeight + 2, std::min(want, c.droppedHeight - c.fieldHeight));
  if (!c.popup) {
    c.popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, u"ComboLBox", u"", WS_POPUP, w.left, w.bottom,
                              w.right - w.left, height, hwnd, nullptr, nullptr, nullptr);
    if (!c.popup) return;
    SetWindowLongPtrW(c.popup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hwnd));
  } else {
    MoveWindow(c.popup, w.left, w.bottom, w.right - w.left, height, FALSE);
  }
  c.dropped = true;
  c.hot = c.sel;
  c.top = 0;
  keepHotVisible(c);
  ShowWindow(c.popup, SW_SHOWNA);
  InvalidateRect(c.popup, nullptr, FALSE);
  SetCapture(hwnd);
  InvalidateRect(hwnd, nullptr, FALSE);
}

// Rolls the list up; `ok` chooses the highlighted item.
void rollUp(HWND hwnd, Combo& c, bool ok) {
  if (!c.dropped) return;
  c.dropped = false;
  c.firstUp = false;
  int chosen = c.hot;
  if (GetCapture() == hwnd) ReleaseCapture();
  if (ok && c.list.valid(chosen)) {
    bool changed = chosen != c.sel;
    select(hwnd, c, chosen);
    if (changed) notifyCommand(hwnd, CBN_SELCHANGE);
    if (!IsWindow(hwnd)) return;
  }
  notifyCommand(hwnd, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
  Combo* still = combos().get(hwnd);
  if (!still) return;
  if (still->popup) ShowWindow(still->popup, SW_HIDE);
  InvalidateRect(hwnd, nullptr, FALSE);
  notifyCommand(hwnd, CBN_CLOSEUP);
}

// The list item under a point of the combo's client area, -1 outside the
// dropped list; `inList` tells whether the point is over the list at all.
int itemUnder(HWND hwnd, const Combo& c, LPARAM lParam, bool* inList) {
  *inList = false;
  if (!c.popup) return -1;
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd, &p);
  ScreenToClient(c.popup, &p);
  RECT r;
  GetClientRect(c.popup, &r);
  if (!PtInRect(&r, p)) return -1;
  *inList = true;
  int i = c.top + (p.y - 1) / std::max(c.itemHeight, 1);
  return c.list.valid(i) ? i : -1;
}

void onMouse(HWND hwnd, Combo& c, UINT message, LPARAM lParam) {
  bool inList = false;
  int item = itemUnder(hwnd, c, lParam, &inList);
  if (message == WM_MOUSEMOVE) {
    if (item >= 0 && item != c.hot) {
      c.hot = item;
      InvalidateRect(c.popup, nullptr, FALSE);
    }
  } else if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
    if (!inList) rollUp(hwnd, c, false);
    else if (item >= 0) c.hot = item, InvalidateRect(c.popup, nullptr, FALSE);
  } else if (message == WM_LBUTTONUP) {
    if (inList && item >= 0) rollUp(hwnd, c, true);
    c.firstUp = false;
  }
}

void onButtonDown(HWND hwnd, Combo& c, LPARAM lParam) {
  if (c.dropped) {
    onMouse(hwnd, c, WM_LBUTTONDOWN, lParam);
    return;
  }
  HWND target = c.edit ? c.edit : hwnd;
  if (GetFocus() != target) SetFocus(hwnd);
  Combo* still = combos().get(hwnd);
  if (!still) return;
  RECT r;
  GetClientRect(hwnd, &r);
  bool onButton = GET_X_LPARAM(lParam) >= r.right - kButton;
  if (isList(hwnd) || onButton) {
    drop(hwnd, *still);
    still->firstUp = still->dropped;
  }
}

void moveSelection(HWND hwnd, Combo& c, int delta, bool toEnd) {
  int n = c.list.count();
  if (n == 0) return;
  int from = c.dropped ? c.hot : c.sel;
  int to = toEnd ? (delta < 0 ? 0 : n - 1) : (from < 0 ? 0 : from + delta);
  userSelect(hwnd, c, std::clamp(to, 0, n - 1));
  if (combos().get(hwnd) && c.dropped) {
    keepHotVisible(c);
    InvalidateRect(c.popup, nullptr, FALSE);
  }
}

void onKey(HWND hwnd, Combo& c, UINT message, WPARAM vk) {
  if (message == WM_SYSKEYDOWN) {
    if (vk == VK_DOWN || vk == VK_UP) c.dropped ? rollUp(hwnd, c, true) : drop(hwnd, c);
    return;
  }
  switch (vk) {
    case VK_F4: c.dropped ? rollUp(hwnd, c, true) : drop(hwnd, c); break;
    case VK_UP: moveSelection(hwnd, c, -1, false); break;
    case VK_DOWN: moveSelection(hwnd, c, 1, false); break;
    case VK_PRIOR: moveSelection(hwnd, c, -std::max(1, popupRows(c) - 1), false); break;
    case VK_NEXT: moveSelection(hwnd, c, std::max(1, popupRows(c) - 1), false); break;
    case VK_HOME:
      if (isList(hwnd)) moveSelection(hwnd, c, -1, true);
      break;
    case VK_END:
      if (isList(hwnd)) moveSelection(hwnd, c, 1, true);
      break;
    default: break;
  }
}

void onChar(HWND hwnd, Combo& c, char16_t ch) {
  if (ch == 13 || ch == 27) {
    if (c.dropped) rollUp(hwnd, c, ch == 13);
    return;
  }
  if (ch < 32 || !isList(hwnd)) return;
  int found = c.list.find(c.sel, std::u16string_view(&ch, 1), false);
  if (found >= 0) userSelect(hwnd, c, found);
}

// WM_COMMAND from the edit part.
void onEditNotify(HWND hwnd, Combo& c, WORD code) {
  switch (code) {
    case EN_UPDATE:
      if (!c.quiet) notifyCommand(hwnd, CBN_EDITUPDATE);
      break;
    case EN_CHANGE:
      if (c.quiet) break;
      c.sel = -1;
      if (c.dropped) {
        std::u16string text(static_cast<size_t>(GetWindowTextLengthW(c.edit)) + 1, u'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(c.edit, text.data(), static_cast<int>(text.size()))));
        c.hot = text.empty() ? -1 : c.list.find(-1, text, false);
        keepHotVisible(c);
        InvalidateRect(c.popup, nullptr, FALSE);
      }
      notifyCommand(hwnd, CBN_EDITCHANGE);
      break;
    case EN_SETFOCUS: notifyCommand(hwnd, CBN_SETFOCUS); break;
    case EN_KILLFOCUS: {
      HWND to = GetFocus();
      if (to == hwnd) break;
      rollUp(hwnd, c, false);
      if (IsWindow(hwnd)) notifyCommand(hwnd, CBN_KILLFOCUS);
      break;
    }
    default: break;
  }
}

void paintArrow(HDC dc, RECT button, COLORREF color) {
  int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
  for (int i = 0; i < 4; ++i) hLine(dc, cx - 3 + i, cx + 4 - i, cy - 1 + i, color);
}

void paint(HWND hwnd, const Combo& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  bool enabled = IsWindowEnabled(hwnd) != 0;
  COLORREF ink = enabled ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0xA0, 0xA0, 0xA0);
  RECT button{r.right - kButton, r.top, r.right, r.bottom};
  if (isList(hwnd)) {
    fillRect(dc, r, c.dropped ? RGB(0xCC, 0xE4, 0xF7) : RGB(0xE1, 0xE1, 0xE1));
    frameRect(dc, r, c.focused || c.dropped ? RGB(0x00, 0x78, 0xD7) : RGB(0xAD, 0xAD, 0xAD));
    RECT text{r.left + 4, r.top, button.left, r.bottom};
    if (c.sel >= 0)
      drawLabel(dc, itemText(c, c.sel), text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX, ink, c.font);
    if (c.focused && !c.dropped) {
      RECT f{r.left + 2, r.top + 2, button.left, r.bottom - 2};
      focusRect(dc, f);
    }
  } else {
    fillRect(dc, r, enabled ? GetSysColor(COLOR_WINDOW) : GetSysColor(COLOR_BTNFACE));
    frameRect(dc, r, RGB(0x7A, 0x7A, 0x7A));
    RECT face{button.left, button.top + 1, button.right - 1, button.bottom - 1};
    fillRect(dc, face, c.dropped ? RGB(0xCC, 0xE4, 0xF7) : RGB(0xE5, 0xE5, 0xE5));
    vLine(dc, button.left, button.top + 1, button.bottom - 1, RGB(0xC8, 0xC8, 0xC8));
  }
  paintArrow(dc, button, ink);
  EndPaint(hwnd, &ps);
}

void paintPopup(HWND popup) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(popup, &ps);
  RECT r;
  GetClientRect(popup, &r);
  fillRect(dc, r, GetSysColor(COLOR_WINDOW));
  frameRect(dc, r, RGB(0x64, 0x64, 0x64));
  HWND hwnd = comboOfPopup(popup);
  if (const Combo* c = combos().get(hwnd)) {
    for (int i = c->top; i < c->list.count(); ++i) {
      RECT item{1, 1 + (i - c->top) * c->itemHeight, r.right - 1, 1 + (i - c->top + 1) * c->itemHeight};
      if (item.top >= r.bottom - 1) break;
      bool hot = i == c->hot;
      if (hot) fillRect(dc, item, GetSysColor(COLOR_HIGHLIGHT));
      item.left += 3;
      drawLabel(dc, itemText(*c, i), item, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX,
                hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT), c->font);
    }
  }
  EndPaint(popup, &ps);
}

LRESULT CALLBACK popupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: paintPopup(popup); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcW(popup, message, wParam, lParam);
  }
}

void create(HWND hwnd, Combo& c, const CREATESTRUCTW* cs) {
  c.list.sorted = (static_cast<DWORD>(cs->style) & CBS_SORT) != 0;
  c.itemHeight = Measure(nullptr).height() + 2;
  c.fieldHeight = c.itemHeight + kFieldPad;
  c.droppedHeight = std::max(cs->cy, c.fieldHeight);
  RECT w;
  GetWindowRect(hwnd, &w);
  POINT at{w.left, w.top};
  if (HWND parent = GetParent(hwnd); parent && (styleOf(hwnd) & WS_CHILD)) ScreenToClient(parent, &at);
  MoveWindow(hwnd, at.x, at.y, w.right - w.left, c.fieldHeight, FALSE);
  if (!isList(hwnd)) {
    DWORD es = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ((cs->style & WS_DISABLED) ? WS_DISABLED : 0);
    c.edit = CreateWindowExW(0, u"Edit", u"", es, 0, 0, 0, 0, hwnd,
                             reinterpret_cast<HMENU>(static_cast<intptr_t>(kComboEditId)), cs->hInstance, nullptr);
    layoutEdit(hwnd, c);
  }
}

std::u16string shownText(const Combo& c) {
  if (c.edit) {
    std::u16string s(static_cast<size_t>(GetWindowTextLengthW(c.edit)) + 1, u'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(c.edit, s.data(), static_cast<int>(s.size()))));
    return s;
  }
  return c.sel >= 0 ? itemText(c, c.sel) : std::u16string();
}

LRESULT comboMessage(HWND hwnd, Combo& c, UINT message, WPARAM wParam, LPARAM lParam) {
  auto index = static_cast<long long>(static_cast<int>(wParam));
  switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      int at = message == CB_ADDSTRING ? c.list.add(textArg(lParam)) : c.list.insert(index, textArg(lParam));
      if (at < 0) return CB_ERR;
      shiftSelection(c.sel, at, 1);
      return at;
    }
    case CB_DELETESTRING:
      if (!c.list.erase(index)) return CB_ERR;
      shiftSelection(c.sel, static_cast<int>(index), -1);
      InvalidateRect(hwnd, nullptr, FALSE);
      return c.list.count();
    case CB_RESETCONTENT:
      c.list.clear();
      select(hwnd, c, -1);
      return CB_OKAY;
    case CB_GETCOUNT: return c.list.count();
    case CB_SETCURSEL:
      select(hwnd, c, static_cast<int>(std::clamp<long long>(index, -1, 0x7FFFFFFF)));
      return c.sel >= 0 ? c.sel : CB_ERR;
    case CB_GETCURSEL: return c.sel;
    case CB_GETLBTEXT:
      if (!c.list.valid(index)) return CB_ERR;
      return copyOut(itemText(c, static_cast<int>(index)), 0x7FFFFFFF, lParam);
    case CB_GETLBTEXTLEN:
      return c.list.valid(index) ? static_cast<LRESULT>(itemText(c, static_cast<int>(index)).size()) : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT: return c.list.find(index, textArg(lParam), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      int found = c.list.find(index, textArg(lParam), false);
      if (found < 0) return CB_ERR;
      select(hwnd, c, found);
      return found;
    }
    case CB_SHOWDROPDOWN:
      if (wParam) drop(hwnd, c);
      else rollUp(hwnd, c, false);
      return TRUE;
    case CB_GETDROPPEDSTATE: return c.dropped;
    case CB_GETDROPPEDCONTROLRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return CB_ERR;
      GetWindowRect(hwnd, r);
      r->bottom = r->top + c.droppedHeight;
      return CB_OKAY;
    }
    case CB_SETITEMHEIGHT:
      if (lParam <= 0 || lParam > 255) return CB_ERR;
      if (index == -1) {
        RECT w;
        GetWindowRect(hwnd, &w);
        POINT at{w.left, w.top};
        if (HWND parent = GetParent(hwnd)) ScreenToClient(parent, &at);
        c.fieldHeight = static_cast<int>(lParam) + kFieldPad;
        MoveWindow(hwnd, at.x, at.y, w.right - w.left, c.fieldHeight, TRUE);
      } else {
        c.itemHeight = static_cast<int>(lParam);
      }
      return CB_OKAY;
    case CB_GETITEMHEIGHT: return index == -1 ? c.fieldHeight - kFieldPad : c.itemHeight;
    case CB_GETITEMDATA: return c.list.valid(index) ? c.list.items[static_cast<size_t>(index)].data : CB_ERR;
    case CB_SETITEMDATA:
      if (!c.list.valid(index)) return CB_ERR;
      c.list.items[static_cast<size_t>(index)].data = lParam;
      return CB_OKAY;
    case CB_LIMITTEXT: return c.edit ? SendMessageW(c.edit, EM_LIMITTEXT, wParam, 0) : CB_ERR;
    case CB_GETEDITSEL: return c.edit ? SendMessageW(c.edit, EM_GETSEL, wParam, lParam) : CB_ERR;
    case CB_SETEDITSEL:
      if (!c.edit) return CB_ERR;
      SendMessageW(c.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<SHORT>(LOWORD(lParam))),
                   static_cast<LPARAM>(static_cast<SHORT>(HIWORD(lParam))));
      return TRUE;
    case CB_GETTOPINDEX: return c.top;
    case CB_SETTOPINDEX:
      if (!c.list.valid(index)) return CB_ERR;
      c.top = static_cast<int>(index);
      return CB_OKAY;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK comboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) combos().make(hwnd);
  Combo* c = combos().get(hwnd);
  if (!c) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE: create(hwnd, *c, reinterpret_cast<const CREATESTRUCTW*>(lParam)); return 0;
    case WM_DESTROY:
      if (c->popup) DestroyWindow(c->popup);
      c->popup = nullptr;
      return 0;
    case WM_NCDESTROY: combos().drop(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *c); return 0;
    case WM_SIZE: layoutEdit(hwnd, *c); return 0;
    case WM_SETFONT:
      c->font = reinterpret_cast<HFONT>(wParam);
      if (c->edit) SendMessageW(c->edit, WM_SETFONT, wParam, lParam);
      if (lParam) InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(c->font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ENABLE:
      if (c->edit) EnableWindow(c->edit, wParam != 0);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_SETTEXT: {
      if (c->edit) {
        setEditText(*c, textArg(lParam));
        return TRUE;
      }
      int found = c->list.find(-1, textArg(lParam), true);
      if (found < 0) return CB_ERR;
      select(hwnd, *c, found);
      return TRUE;
    }
    case WM_GETTEXT: return copyOut(shownText(*c), wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(shownText(*c).size());
    case WM_SETFOCUS:
      if (c->edit) {
        SetFocus(c->edit);
        SendMessageW(c->edit, EM_SETSEL, 0, -1);
        return 0;
      }
      c->focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      notifyCommand(hwnd, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      if (c->edit) return 0;  // the edit part reports focus changes
      c->focused = false;
      rollUp(hwnd, *c, false);
      if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, FALSE), notifyCommand(hwnd, CBN_KILLFOCUS);
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == c->edit && c->edit) onEditNotify(hwnd, *c, HIWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: onButtonDown(hwnd, *c, lParam); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (c->dropped) onMouse(hwnd, *c, message, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      if (c->dropped) {
        c->top = std::clamp(c->top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA, 0,
                            std::max(0, c->list.count() - popupRows(*c)));
        InvalidateRect(c->popup, nullptr, FALSE);
      } else {
        moveSelection(hwnd, *c, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1, false);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (c->dropped && reinterpret_cast<HWND>(lParam) != hwnd) rollUp(hwnd, *c, false);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (message == WM_SYSKEYDOWN && wParam != VK_UP && wParam != VK_DOWN)
        return DefWindowProcW(hwnd, message, wParam, lParam);
      onKey(hwnd, *c, message, wParam);
      return 0;
    case WM_CHAR: onChar(hwnd, *c, static_cast<char16_t>(wParam)); return 0;
    default: return comboMessage(hwnd, *c, message, wParam, lParam);
  }
}

}  // namespace

void registerComboBox() {
  registerClass(u"ComboBox", comboProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
  registerClass(u"ComboLBox", popupProc, CS_DBLCLKS, IDC_ARROW);
}

}  // namespace platform::controls
