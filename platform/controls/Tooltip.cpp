// "tooltips_class32": a popup that shows a tool's text when the pointer
// rests over the tool. Tools are areas of windows (or whole windows with
// TTF_IDISHWND); with TTF_SUBCLASS the tooltip watches the tool window's
// mouse messages itself (it replaces the window procedure and calls the old
// one), otherwise the owner relays them with TTM_RELAYEVENT.
//
// The pointer resting on a tool for the initial delay (500 ms) shows the
// tip below the pointer, without activating it; a text given as
// LPSTR_TEXTCALLBACKW is asked for each time with WM_NOTIFY TTN_GETDISPINFOW
// sent to the tool's window (an empty answer shows nothing). The tip goes
// when the pointer leaves the tool (checked every 100 ms), on a button
// press, after the automatic pop delay (5 s) or on TTM_POP; it comes again
// only after the pointer has left the tool. TTS_BALLOON draws the balloon
// form with its stem pointing up at the pointer.
#include <algorithm>

#include "platform/controls/ControlBase.h"
#include "platform/user/Timer.h"

namespace platform::controls {

namespace {

constexpr UINT_PTR kShowTimer = 1, kPopTimer = 2, kPollTimer = 3;
constexpr int kStem = 10;  // balloon stem height

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  bool callback = false;  // text by TTN_GETDISPINFOW
  std::u16string text;
  LPARAM lParam = 0;
};

struct Tooltip {
  std::vector<Tool> tools;
  bool active = true;
  int current = -1;  // the tool under the pointer
  bool shown = false;
  bool popped = false;  // hidden while still over the tool: wait for it to leave
  UINT initial = 500, autopop = 5000;
  int maxWidth = -1;
  HFONT font = nullptr;
  std::u16string text;  // what is shown (or was last)
};

Store<Tooltip>& tips() {
  static auto* s = new Store<Tooltip>;
  return *s;
}

bool balloon(HWND tip) { return (GetWindowLongPtrW(tip, GWL_STYLE) & TTS_BALLOON) != 0; }

HWND toolWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd; }

// Subclassed tool windows: their own procedure and the tooltips watching them.
struct Watched {
  WNDPROC original = nullptr;
  std::vector<HWND> tips;
};
std::unordered_map<HWND, Watched>& watched() {
  static auto* m = new std::unordered_map<HWND, Watched>;
  return *m;
}

bool isMouseMessage(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MBUTTONDBLCLK; }

LRESULT CALLBACK watchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = watched().find(hwnd);
  if (it == watched().end()) return DefWindowProcW(hwnd, message, wParam, lParam);
  WNDPROC original = it->second.original;
  if (isMouseMessage(message)) {
    MSG m{hwnd, message, wParam, lParam, GetTickCount(), {}};
    GetCursorPos(&m.pt);
    std::vector<HWND> list = it->second.tips;
    for (HWND tip : list)
      if (IsWindow(tip)) SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
  }
  LRESULT r = CallWindowProcW(original, hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) watched().erase(hwnd);
  return r;
}

void watch(HWND tool, HWND tip) {
  if (!IsWindow(tool)) return;
  auto [it, fresh] = watched().try_emplace(tool);
  if (fresh) {
    it->second.original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(tool, GWLP_WNDPROC));
    SetWindowLongPtrW(tool, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchProc));
  }
  if (std::find(it->second.tips.begin(), it->second.tips.end(), tip) == it->second.tips.end())
    it->second.tips.push_back(tip);
}

void notifyTool(HWND tip, const Tool& t, UINT code) {
  NMHDR hdr{tip, t.id, code};
  SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&hdr));
}

std::u16string askText(HWND tip, Tool& t) {
  if (!t.callback) return t.text;
  NMTTDISPINFOW nm{};
  nm.hdr = NMHDR{tip, t.id, TTN_GETDISPINFOW};
  nm.lpszText = nm.szText;
  nm.uFlags = t.flags;
  nm.lParam = t.lParam;
  SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&nm));
  std::u16string text;
  if (nm.lpszText == nm.szText) {
    nm.szText[79] = 0;
    text = nm.szText;
  } else if (nm.lpszText && nm.lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(nm.lpszText)) {
    text = nm.lpszText;
  }
  if (nm.uFlags & TTF_DI_SETITEM) {
    t.text = text;
    t.callback = false;
  }
  return text;
}

void hide(HWND tip, Tooltip& s) {
  KillTimer(tip, kShowTimer);
  KillTimer(tip, kPopTimer);
  KillTimer(tip, kPollTimer);
  if (!s.shown) return;
  s.shown = false;
  ShowWindow(tip, SW_HIDE);
  if (s.current >= 0 && s.current < static_cast<int>(s.tools.size()))
    notifyTool(tip, s.tools[static_cast<size_t>(s.current)], TTN_POP);
}

std::vector<std::u16string> tipLines(const Tooltip& s, const Measure& m) {
  if (s.maxWidth > 0) return wrapText(m, s.text, s.maxWidth);
  return wrapText(m, s.text, 0x7FFFFFFF);
}

void show(HWND tip, Tooltip& s) {
  KillTimer(tip, kShowTimer);
  if (s.current < 0 || s.current >= static_cast<int>(s.tools.size()) || !s.active) return;
  Tool& t = s.tools[static_cast<size_t>(s.current)];
  std::u16string text = askText(tip, t);
  if (!IsWindow(tip) || text.empty()) return;
  s.text = text;
  SetWindowTextW(tip, text.c_str());
  Measure m(s.font);
  std::vector<std::u16string> lines = tipLines(s, m);
  int w = 0;
  for (const auto& l : lines) w = std::max(w, m.width(l));
  bool b = balloon(tip);
  int pad = b ? 8 : 3;
  int width = w + 2 * pad + 2, height = static_cast<int>(lines.size()) * m.height() + 2 * pad + 2 + (b ? kStem : 0);
  POINT p;
  GetCursorPos(&p);
  int x = b ? p.x - 16 : p.x, y = b ? p.y + 2 : p.y + 20;
  x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - width));
  if (y + height > GetSystemMetrics(SM_CYSCREEN)) y = std::max(0, p.y - height - 2);
  MoveWindow(tip, x, y, width, height, FALSE);
  ShowWindow(tip, SW_SHOWNA);
  InvalidateRect(tip, nullptr, FALSE);
  s.shown = true;
  notifyTool(tip, t, TTN_SHOW);
  SetTimer(tip, kPopTimer, s.autopop, nullptr);
  SetTimer(tip, kPollTimer, 100, nullptr);
}

int toolAt(const Tooltip& s, HWND hwnd, POINT client) {
  for (size_t i = 0; i < s.tools.size(); ++i) {
    const Tool& t = s.tools[i];
    if (toolWindow(t) != hwnd) continue;
    RECT r = t.rect;
    if (t.flags & TTF_IDISHWND) GetClientRect(hwnd, &r);
    if (PtInRect(&r, client)) return static_cast<int>(i);
  }
  return -1;
}

void relay(HWND tip, Tooltip& s, const MSG& m) {
  if (m.message != WM_MOUSEMOVE) {  // a press or release
    hide(tip, s);
    s.popped = s.current >= 0;
    return;
  }
  int tool = toolAt(s, m.hwnd, POINT{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)});
  if (tool != s.current) {
    hide(tip, s);
    s.current = tool;
    s.popped = false;
    if (tool >= 0 && s.active) SetTimer(tip, kShowTimer, s.initial, nullptr);
  }
}

// While shown: the pointer must still be over the current tool.
void poll(HWND tip, Tooltip& s) {
  if (s.current < 0 || s.current >= static_cast<int>(s.tools.size())) return hide(tip, s);
  const Tool& t = s.tools[static_cast<size_t>(s.current)];
  POINT p;
  GetCursorPos(&p);
  HWND under = WindowFromPoint(p);
  ScreenToClient(toolWindow(t), &p);
  if (under != toolWindow(t) || toolAt(s, toolWindow(t), p) != s.current) {
    hide(tip, s);
    s.current = -1;
    s.popped = false;
  }
}

void paint(HWND tip, const Tooltip& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(tip, &ps);
  RECT r;
  GetClientRect(tip, &r);
  COLORREF back = RGB(0xFF, 0xFF, 0xE1), edge = RGB(0x76, 0x76, 0x76);
  bool b = balloon(tip);
  fillRect(dc, r, b ? RGB(0xFF, 0xFF, 0xFF) : back);
  RECT box = r;
  if (b) {
    box.top += kStem;
    fillRect(dc, box, back);
    frameRect(dc, box, edge);
    // The stem: a right triangle rising from the box's top edge at x 16.
    for (int i = 0; i < kStem; ++i) {
      int y = box.top - 1 - i;
      int from = 16, to = 16 + (kStem - i);
      hLine(dc, from, to, y, back);
      fillRect(dc, RECT{from - 1, y, from, y + 1}, edge);
      fillRect(dc, RECT{to, y, to + 1, y + 1}, edge);
    }
    hLine(dc, 16, 16 + kStem, box.top, back);
  } else {
    frameRect(dc, box, edge);
  }
  Measure m(s.font);
  int pad = b ? 8 : 3;
  int y = box.top + 1 + pad;
  for (const auto& line : tipLines(s, m)) {
    RECT lr{box.left + 1 + pad, y, box.right - 1 - pad + 1, y + m.height()};
    drawLabel(dc, line, lr, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX, RGB(0x57, 0x57, 0x57), s.font);
    y += m.height();
  }
  EndPaint(tip, &ps);
}

Tool toolFrom(const TOOLINFOW& ti) {
  Tool t;
  t.flags = ti.uFlags;
  t.hwnd = ti.hwnd;
  t.id = ti.uId;
  t.rect = ti.rect;
  t.lParam = ti.lParam;
  t.callback = ti.lpszText == LPSTR_TEXTCALLBACKW;
  if (!t.callback && ti.lpszText && !IS_INTRESOURCE(ti.lpszText)) t.text = ti.lpszText;
  return t;
}

int findTool(const Tooltip& s, const TOOLINFOW* ti) {
  if (!ti) return -1;
  for (size_t i = 0; i < s.tools.size(); ++i)
    if (s.tools[i].hwnd == ti->hwnd && s.tools[i].id == ti->uId) return static_cast<int>(i);
  return -1;
}

LRESULT tipMessage(HWND tip, Tooltip& s, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* ti = reinterpret_cast<TOOLINFOW*>(lParam);
  switch (message) {
    case TTM_ADDTOOLW: {
      if (!ti || ti->cbSize < offsetof(TOOLINFOW, lParam)) return FALSE;
      s.tools.push_back(toolFrom(*ti));
      if (ti->uFlags & TTF_SUBCLASS) watch(toolWindow(s.tools.back()), tip);
      return TRUE;
    }
    case TTM_DELTOOLW: {
      int i = findTool(s, ti);
      if (i < 0) return 0;
      if (i == s.current) hide(tip, s), s.current = -1;
      else if (i < s.current) --s.current;
      s.tools.erase(s.tools.begin() + i);
      return 0;
    }
    case TTM_NEWTOOLRECTW:
      if (int i = findTool(s, ti); i >= 0) s.tools[static_cast<size_t>(i)].rect = ti->rect;
      return 0;
    case TTM_UPDATETIPTEXTW:
      if (int i = findTool(s, ti); i >= 0) {
        Tool updated = toolFrom(*ti);
        s.tools[static_cast<size_t>(i)].text = updated.text;
        s.tools[static_cast<size_t>(i)].callback = updated.callback;
      }
      return 0;
    case TTM_GETTEXTW: {
      int i = findTool(s, ti);
      if (i < 0 || !ti->lpszText) return 0;
      const Tool& t = s.tools[static_cast<size_t>(i)];
      const std::u16string& text = t.callback ? s.text : t.text;
      copyOut(text, wParam ? wParam : 80, reinterpret_cast<LPARAM>(ti->lpszText));
      return 0;
    }
    case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(s.tools.size());
    case TTM_ACTIVATE:
      s.active = wParam != 0;
      if (!s.active) hide(tip, s);
      return 0;
    case TTM_POP:
      hide(tip, s);
      s.popped = s.current >= 0;
      return 0;
    case TTM_SETDELAYTIME: {
      auto ms = static_cast<UINT>(static_cast<SHORT>(LOWORD(lParam)) < 0 ? 500 : LOWORD(lParam));
      if (wParam == TTDT_INITIAL || wParam == TTDT_AUTOMATIC) s.initial = ms;
      if (wParam == TTDT_AUTOPOP) s.autopop = ms;
      if (wParam == TTDT_AUTOMATIC) s.autopop = ms * 10;
      return 0;
    }
    case TTM_SETMAXTIPWIDTH: {
      int old = s.maxWidth;
      s.maxWidth = static_cast<int>(lParam);
      return old;
    }
    case TTM_RELAYEVENT:
      if (auto* m = reinterpret_cast<const MSG*>(lParam); m && isMouseMessage(m->message)) relay(tip, s, *m);
      return 0;
    default: return DefWindowProcW(tip, message, wParam, lParam);
  }
}

LRESULT CALLBACK tipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) tips().make(tip);
  Tooltip* s = tips().get(tip);
  if (!s) return DefWindowProcW(tip, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: tips().drop(tip); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(tip, *s); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_SETFONT: s->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_TIMER:
      if (wParam == kShowTimer) {
        if (!s->popped) show(tip, *s);
        else KillTimer(tip, kShowTimer);
      } else if (wParam == kPopTimer) {
        hide(tip, *s);
        s->popped = true;
      } else if (wParam == kPollTimer) {
        poll(tip, *s);
      }
      return 0;
    default: return tipMessage(tip, *s, message, wParam, lParam);
  }
}

}  // namespace

void registerTooltip() { registerClass(TOOLTIPS_CLASSW, tipProc, CS_DBLCLKS, IDC_ARROW); }

}  // namespace platform::controls
