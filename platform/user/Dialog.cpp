// The dialog class, its default processing and dialog creation from
// templates.
#include <algorithm>
#include <memory>
#include <unordered_map>

#include "platform/AsciiCase.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/DialogState.h"
#include "platform/user/Input.h"
#include "platform/user/Message.h"
#include "platform/user/Paint.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace platform::user {

namespace {

constexpr const char16_t* kDialogClass = u"#32770";

std::unordered_map<HWND, std::unique_ptr<DialogState>>& dialogs() {
  static auto* d = new std::unordered_map<HWND, std::unique_ptr<DialogState>>;
  return *d;
}

void ensureDialogClass() {
  static bool done = [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefDlgProcW;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kDialogClass;
    RegisterClassW(&wc);
    return true;
  }();
  (void)done;
}

HFONT makeDialogFont(const platform::resources::Dialog& t) {
  int height = -static_cast<int>((t.pointSize * 96 + 36) / 72);  // points at 96 dots per inch
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                     t.font.empty() ? u"MS Shell Dlg" : t.font.c_str());
}

// The platform's rule: x = average width of the 52 Latin letters (rounded),
// y = the font's height.
SIZE baseUnitsOf(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{std::max<LONG>((s.cx / 26 + 1) / 2, 1), std::max<LONG>(tm.tmHeight, 1)};
}

RECT toPixels(SIZE base, int x, int y, int cx, int cy) {
  auto px = [&](int v) { return v * base.cx / 4; };
  auto py = [&](int v) { return v * base.cy / 8; };
  return RECT{px(x), py(y), px(x + cx), py(y + cy)};
}

bool isVisibleEnabled(HWND h) { return IsWindowVisible(h) && IsWindowEnabled(h); }

// The control that takes the focus when the dialog becomes active.
HWND focusTarget(HWND dialog, DialogState& d) {
  if (d.focus && IsChild(dialog, d.focus) && isVisibleEnabled(d.focus)) return d.focus;
  return nextTabStop(dialog, nullptr, false);
}

bool sameAscii(const std::u16string& a, const char16_t* b) { return equalNoCase(a, b); }

// The default button: DM_SETDEFID's id, else the control that calls itself
// the default push button, else a BUTTON with the BS_DEFPUSHBUTTON style.
WORD defaultId(HWND dialog, DialogState& d) {
  if (d.defId) return d.defId;
  WindowRef w = findWindow(dialog);
  if (!w) return 0;
  std::vector<HWND> children = w->children;
  for (HWND c : children)
    if (SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return static_cast<WORD>(GetDlgCtrlID(c));
  for (HWND c : children)
    if (WindowRef cw = findWindow(c);
        cw && sameAscii(cw->cls->name, u"button") && (cw->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return static_cast<WORD>(cw->id);
  return 0;
}

// What the dialog class does with a message the dialog procedure left.
LRESULT defaultProcessing(HWND dialog, DialogState& d, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel))
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(dialog, f)) d.focus = f;
        return 0;
      }
      [[fallthrough]];
    case WM_SETFOCUS:
      if (HWND target = focusTarget(dialog, d)) {
        SetFocus(target);
        return 0;
      }
      return DefWindowProcW(dialog, message, wParam, lParam);
    case WM_SETFONT: d.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(d.font);
    case DM_GETDEFID: {
      WORD id = defaultId(dialog, d);
      return id ? MAKELONG(id, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: d.defId = static_cast<WORD>(wParam); return TRUE;
    case WM_NEXTDLGCTL: {
      HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : nextTabStop(dialog, GetFocus(), wParam != 0);
      if (!next) return 0;
      SetFocus(next);
      // An edit reached by Tab, a mnemonic or this message shows its whole text selected.
      if (IsWindow(next) && (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        SendMessageW(next, EM_SETSEL, 0, -1);
      return 0;
    }
    default: return DefWindowProcW(dialog, message, wParam, lParam);
  }
}

// Messages whose result is the dialog procedure's own return value.
bool returnsDirectly(UINT message) {
  return message == WM_INITDIALOG || (message >= 0x0132 && message <= 0x0138) /* WM_CTLCOLOR* */ ||
         message == 0x0039 /* WM_COMPAREITEM */ || message == 0x002E /* WM_VKEYTOITEM */ ||
         message == 0x002F /* WM_CHARTOITEM */ || message == 0x0037 /* WM_QUERYDRAGICON */;
}

}  // namespace

DialogState* dialogState(HWND hwnd) {
  auto it = dialogs().find(hwnd);
  return it == dialogs().end() ? nullptr : it->second.get();
}

std::u16string decimal(long long value) {
  std::string s = std::to_string(value);
  return std::u16string(s.begin(), s.end());
}

void pressButton(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND createDialog(const platform::resources::Dialog& t, HINSTANCE instance, HWND parent, DLGPROC proc, LPARAM param,
                  bool modal) {
  ensureDialogClass();
  DWORD style = t.style & ~WS_VISIBLE;
  DWORD exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
  if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION;  // as CreateWindowExW does
  HFONT font = makeDialogFont(t);
  SIZE base = baseUnitsOf(font);
  RECT r = toPixels(base, t.x, t.y, t.cx, t.cy);
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  int width = r.right - r.left, height = r.bottom - r.top;
  HWND owner = parent && !(style & WS_CHILD) ? GetAncestor(parent, GA_ROOT) : nullptr;
  POINT at{r.left, r.top};
  if (t.style & DS_CENTER) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    if (owner) GetWindowRect(owner, &area);
    at = POINT{area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
  } else if (owner && !(t.style & DS_ABSALIGN)) {
    ClientToScreen(owner, &at);
  }
  HWND dialog = CreateWindowExW(exStyle, kDialogClass, t.caption.c_str(), style, at.x, at.y, width, height, parent,
                                nullptr, instance, nullptr);
  if (!dialog) {
    DeleteObject(font);
    return nullptr;
  }
  auto state = std::make_unique<DialogState>();
  state->proc = proc;
  state->base = base;
  state->modal = modal;
  state->ownFont = font;
  dialogs()[dialog] = std::move(state);
  SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const auto& item : t.items) {
    RECT c = toPixels(base, item.x, item.y, item.cx, item.cy);
    LPCWSTR name = item.textId ? MAKEINTRESOURCEW(item.textId) : item.text.c_str();
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, item.cls.c_str(), name,
                                   item.style | WS_CHILD, c.left, c.top, c.right - c.left, c.bottom - c.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)), instance, nullptr);
    if (!control) {
      DestroyWindow(dialog);
      return nullptr;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (modal && owner && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    if (DialogState* d = dialogState(dialog)) d->disabledOwner = owner;
  }
  HWND first = nextTabStop(dialog, nullptr, false);
  LRESULT wantsFocus = SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  DialogState* d = dialogState(dialog);
  if (!d) return nullptr;  // destroyed by its own WM_INITDIALOG
  if (wantsFocus) {
    d->focus = nextTabStop(dialog, nullptr, false);  // WM_INITDIALOG may have changed the controls
    if (d->focus && IsWindowVisible(dialog)) SetFocus(d->focus);
  }
  if (!modal && (t.style & WS_VISIBLE) && IsWindow(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);
  return IsWindow(dialog) ? dialog : nullptr;
}

}  // namespace platform::user

using namespace platform::user;

LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState* d = dialogState(dialog);
  if (!d) return DefWindowProcW(dialog, message, wParam, lParam);  // during CreateWindowExW
  LRESULT result = 0;
  bool handled = false;
  if (d->proc) {
    INT_PTR r = d->proc(dialog, message, wParam, lParam);
    d = dialogState(dialog);
    if (r) {
      handled = true;
      result = returnsDirectly(message) ? r : 0;
    }
  }
  if (!handled && d) result = defaultProcessing(dialog, *d, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    if (DialogState* gone = dialogState(dialog)) {
      if (gone->disabledOwner) EnableWindow(gone->disabledOwner, TRUE);
      if (gone->ownFont) DeleteObject(gone->ownFont);
      dialogs().erase(dialog);
    }
  }
  return result;
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  const auto* t = platform::resources::findDialog(name);
  if (!t) {
    SetLastError(1814 /* ERROR_RESOURCE_NAME_NOT_FOUND */);
    return nullptr;
  }
  return createDialog(*t, instance, parent, proc, param, false);
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  DialogState* d = dialogState(dialog);
  if (!d || !rect) return FALSE;
  *rect = toPixels(d->base, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  return TRUE;
}

LONG GetDialogBaseUnits() {
  static LONG units = [] {
    platform::resources::Dialog t;
    HFONT font = makeDialogFont(t);
    SIZE base = baseUnitsOf(font);
    DeleteObject(font);
    return MAKELONG(base.cx, base.cy);
  }();
  return units;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  Window probe;
  probe.style = style;
  probe.exStyle = exStyle;
  probe.hasMenuBar = menu != FALSE;
  RECT in = nonClientInsets(probe);
  rect->left -= in.left, rect->top -= in.top, rect->right += in.right, rect->bottom += in.bottom;
  return TRUE;
}
