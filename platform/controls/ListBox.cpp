// "ListBox": a single-selection list of texts, unsorted or sorted
// (LBS_SORT), scrolled with the standard vertical bar (WS_VSCROLL), the
// wheel and the keys. With LBS_NOTIFY a click or key that changes the
// selection sends LBN_SELCHANGE, a double click LBN_DBLCLK. LB_SETCURSEL
// never notifies; LB_SETCURSEL -1 clears the selection and returns LB_ERR.
#include <algorithm>

#include "platform/controls/ControlBase.h"
#include "platform/controls/ItemList.h"

namespace platform::controls {

namespace {

struct ListBox {
  ItemList list;
  int sel = -1;  // invariant: -1 or a valid index
  int top = 0;   // first item shown
  int itemHeight = 0;
  bool focused = false;
  bool bar = false;  // created with WS_VSCROLL (the style loses it while the bar is hidden)
  HFONT font = nullptr;
};

Store<ListBox>& boxes() {
  static auto* s = new Store<ListBox>;
  return *s;
}

DWORD styleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

int defaultItemHeight(HFONT font) { return Measure(font).height() + 1; }

int rows(HWND hwnd, const ListBox& b) {
  RECT r;
  GetClientRect(hwnd, &r);
  return std::max(1, static_cast<int>(r.bottom) / std::max(b.itemHeight, 1));
}

int maxTop(HWND hwnd, const ListBox& b) { return std::max(0, b.list.count() - rows(hwnd, b)); }

void updateBar(HWND hwnd, ListBox& b) {
  b.top = std::clamp(b.top, 0, maxTop(hwnd, b));
  if (!b.bar) return;
  SCROLLINFO si{sizeof si,
                SIF_RANGE | SIF_PAGE | SIF_POS,
                0,
                std::max(0, b.list.count() - 1),
                static_cast<UINT>(rows(hwnd, b)),
                b.top,
                0};
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

void redraw(HWND hwnd, ListBox& b) {
  updateBar(hwnd, b);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void scrollTo(HWND hwnd, ListBox& b, int top) {
  b.top = std::clamp(top, 0, maxTop(hwnd, b));
  redraw(hwnd, b);
}

void ensureVisible(HWND hwnd, ListBox& b, int index) {
  if (index < 0) return;
  if (index < b.top) b.top = index;
  else if (index >= b.top + rows(hwnd, b)) b.top = index - rows(hwnd, b) + 1;
  redraw(hwnd, b);
}

// A selection the user makes: LBN_SELCHANGE when it changed and asked for.
void userSelect(HWND hwnd, ListBox& b, int index) {
  if ((styleOf(hwnd) & LBS_NOSEL) || !b.list.valid(index)) return;
  bool changed = index != b.sel;
  b.sel = index;
  ensureVisible(hwnd, b, index);
  if (changed && (styleOf(hwnd) & LBS_NOTIFY)) notifyCommand(hwnd, LBN_SELCHANGE);
}

int itemAt(const ListBox& b, int y) { return y < 0 ? -1 : b.top + y / std::max(b.itemHeight, 1); }

void paint(HWND hwnd, const ListBox& b) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  FillRect(dc, &r, askBrush(hwnd, dc, WM_CTLCOLORLISTBOX, sysBrush(COLOR_WINDOW)));
  COLORREF ink = IsWindowEnabled(hwnd) ? GetTextColor(dc) : RGB(0x6D, 0x6D, 0x6D);
  for (int i = b.top; i < b.list.count(); ++i) {
    RECT item{0, (i - b.top) * b.itemHeight, r.right, (i - b.top + 1) * b.itemHeight};
    if (item.top >= r.bottom) break;
    bool selected = i == b.sel;
    if (selected) fillRect(dc, item, GetSysColor(COLOR_HIGHLIGHT));
    RECT text{item.left + 2, item.top, item.right, item.bottom};
    drawLabel(dc, b.list.items[static_cast<size_t>(i)].text, text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink,
              b.font);
    if (selected && b.focused) focusRect(dc, item);
  }
  EndPaint(hwnd, &ps);
  paintBorder(hwnd);
}

void onKey(HWND hwnd, ListBox& b, WPARAM vk) {
  int n = b.list.count();
  if (n == 0) return;
  int cur = b.sel < 0 ? -1 : b.sel;
  int to = cur;
  switch (vk) {
    case VK_UP: to = cur <= 0 ? 0 : cur - 1; break;
    case VK_DOWN: to = cur + 1; break;
    case VK_PRIOR: to = cur - rows(hwnd, b) + 1; break;
    case VK_NEXT: to = cur + rows(hwnd, b) - 1; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = n - 1; break;
    default: return;
  }
  userSelect(hwnd, b, std::clamp(to, 0, n - 1));
}

void onVScroll(HWND hwnd, ListBox& b, WPARAM wParam) {
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, SB_VERT, &si);
  int page = rows(hwnd, b);
  switch (LOWORD(wParam)) {
    case SB_LINEUP: scrollTo(hwnd, b, b.top - 1); break;
    case SB_LINEDOWN: scrollTo(hwnd, b, b.top + 1); break;
    case SB_PAGEUP: scrollTo(hwnd, b, b.top - page); break;
    case SB_PAGEDOWN: scrollTo(hwnd, b, b.top + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: scrollTo(hwnd, b, si.nTrackPos); break;
    case SB_TOP: scrollTo(hwnd, b, 0); break;
    case SB_BOTTOM: scrollTo(hwnd, b, b.list.count()); break;
    default: break;
  }
}

LRESULT listMessage(HWND hwnd, ListBox& b, UINT message, WPARAM wParam, LPARAM lParam) {
  auto index = static_cast<long long>(static_cast<int>(wParam));
  switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      int at = message == LB_ADDSTRING ? b.list.add(textArg(lParam)) : b.list.insert(index, textArg(lParam));
      if (at < 0) return LB_ERR;
      shiftSelection(b.sel, at, 1);
      redraw(hwnd, b);
      return at;
    }
    case LB_DELETESTRING:
      if (!b.list.erase(index)) return LB_ERR;
      shiftSelection(b.sel, static_cast<int>(index), -1);
      redraw(hwnd, b);
      return b.list.count();
    case LB_RESETCONTENT:
      b.list.clear(), b.sel = -1, b.top = 0;
      redraw(hwnd, b);
      return 0;
    case LB_GETCOUNT: return b.list.count();
    case LB_SETCURSEL:
      if (!b.list.valid(index)) {
        if (index == -1) b.sel = -1, redraw(hwnd, b);
        return LB_ERR;
      }
      b.sel = static_cast<int>(index);
      ensureVisible(hwnd, b, b.sel);
      return b.sel;
    case LB_GETCURSEL: return b.sel;
    case LB_GETSEL: return b.list.valid(index) ? (index == b.sel ? 1 : 0) : LB_ERR;
    case LB_GETTEXT:
      if (!b.list.valid(index)) return LB_ERR;
      return copyOut(b.list.items[static_cast<size_t>(index)].text, 0x7FFFFFFF, lParam);
    case LB_GETTEXTLEN:
      return b.list.valid(index) ? static_cast<LRESULT>(b.list.items[static_cast<size_t>(index)].text.size())
                                 : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: return b.list.find(index, textArg(lParam), message == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
      int found = b.list.find(index, textArg(lParam), false);
      if (found < 0) return LB_ERR;
      b.sel = found;
      ensureVisible(hwnd, b, found);
      return found;
    }
    case LB_GETTOPINDEX: return b.top;
    case LB_SETTOPINDEX:
      if (!b.list.valid(index) && !(index == 0 && b.list.count() == 0)) return LB_ERR;
      scrollTo(hwnd, b, static_cast<int>(index));
      return 0;
    case LB_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!b.list.valid(index) || !r) return LB_ERR;
      RECT c;
      GetClientRect(hwnd, &c);
      *r = RECT{0, static_cast<LONG>((index - b.top) * b.itemHeight), c.right,
                static_cast<LONG>((index - b.top + 1) * b.itemHeight)};
      return 0;
    }
    case LB_GETITEMDATA: return b.list.valid(index) ? b.list.items[static_cast<size_t>(index)].data : LB_ERR;
    case LB_SETITEMDATA:
      if (!b.list.valid(index)) return LB_ERR;
      b.list.items[static_cast<size_t>(index)].data = lParam;
      return 0;
    case LB_SETITEMHEIGHT:
      if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
      b.itemHeight = LOWORD(lParam);
      redraw(hwnd, b);
      return 0;
    case LB_GETITEMHEIGHT: return b.itemHeight;
    case LB_ITEMFROMPOINT: {
      int i = itemAt(b, GET_Y_LPARAM(lParam));
      bool outside = !b.list.valid(i);
      if (outside) i = std::clamp(i, 0, std::max(0, b.list.count() - 1));
      return MAKELONG(i, outside ? 1 : 0);
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    ListBox* b = boxes().make(hwnd);
    auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    b->list.sorted = (static_cast<DWORD>(cs->style) & LBS_SORT) != 0;
    b->bar = (static_cast<DWORD>(cs->style) & WS_VSCROLL) != 0;
    b->itemHeight = defaultItemHeight(nullptr);
  }
  ListBox* b = boxes().get(hwnd);
  if (!b) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: boxes().drop(hwnd); return 0;
    case WM_CREATE: updateBar(hwnd, *b); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *b); return 0;
    case WM_SIZE: b->top = std::clamp(b->top, 0, maxTop(hwnd, *b)); return 0;
    case WM_SETFONT:
      b->font = reinterpret_cast<HFONT>(wParam);
      b->itemHeight = defaultItemHeight(b->font);
      if (lParam) redraw(hwnd, *b);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(b->font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      b->focused = message == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, FALSE);
      if (styleOf(hwnd) & LBS_NOTIFY) notifyCommand(hwnd, b->focused ? LBN_SETFOCUS : LBN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if ((b = boxes().get(hwnd))) userSelect(hwnd, *b, itemAt(*b, GET_Y_LPARAM(lParam)));
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (b->list.valid(itemAt(*b, GET_Y_LPARAM(lParam))) && (styleOf(hwnd) & LBS_NOTIFY))
        notifyCommand(hwnd, LBN_DBLCLK);
      return 0;
    case WM_KEYDOWN: onKey(hwnd, *b, wParam); return 0;
    case WM_VSCROLL: onVScroll(hwnd, *b, wParam); return 0;
    case WM_MOUSEWHEEL: scrollTo(hwnd, *b, b->top - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA); return 0;
    default: return listMessage(hwnd, *b, message, wParam, lParam);
  }
}

}  // namespace

void registerListBox() { registerClass(u"ListBox", listProc, CS_DBLCLKS, IDC_ARROW); }

}  // namespace platform::controls
