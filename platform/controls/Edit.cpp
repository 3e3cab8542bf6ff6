// "Edit": single-line and multi-line text boxes. Typing, Backspace, Delete,
// the arrows (Ctrl: by word), Home and End, Shift to select, Ctrl+A, the
// clipboard keys (Ctrl+C / X / V, Ctrl+Insert, Shift+Insert, Shift+Delete),
// Ctrl+Z (one level of undo), the mouse (click, drag, Shift+click, double
// click on a word), and the messages EM_* and WM_CUT / COPY / PASTE / CLEAR.
//
// Notifications to the parent: EN_UPDATE then EN_CHANGE after every change
// the user makes, after EM_REPLACESEL and after WM_SETTEXT of a single-line
// edit (a multi-line edit stays silent on WM_SETTEXT); EN_MAXTEXT when an
// insertion was cut at the limit; EN_SETFOCUS and EN_KILLFOCUS.
//
// A multi-line edit breaks lines only at line feeds (no word wrap) and
// scrolls to keep the caret in view; a single-line edit scrolls sideways.
// Pasting into a single-line edit keeps the text up to its first line break.
// The edit part of a combo box hands its list keys (Up, Down, Page Up,
// Page Down, F4, Alt+Up/Down, Enter, Esc) to the combo.
#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/controls/ControlBase.h"
#include "platform/controls/EditModel.h"

namespace platform::controls {

namespace {

constexpr int kMargin = 2;

struct Edit {
  EditModel m;
  HFONT font = nullptr;
  bool focused = false, tracking = false, modified = false;
  bool inCombo = false;  // the edit part of a combo box
  int scrollX = 0;       // pixels scrolled sideways
  size_t firstLine = 0;  // multi-line: the top line shown
  bool canUndo = false;
  EditModel undo;  // the state before the last change, while canUndo
};

Store<Edit>& edits() {
  static auto* s = new Store<Edit>;
  return *s;
}

DWORD styleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
bool multi(HWND hwnd) { return (styleOf(hwnd) & ES_MULTILINE) != 0; }
bool readOnly(HWND hwnd) { return (styleOf(hwnd) & ES_READONLY) != 0; }
bool keyDown(int vk) { return GetKeyState(vk) < 0; }

std::u16string shown(HWND hwnd, std::u16string_view line) {
  if (!(styleOf(hwnd) & ES_PASSWORD)) return std::u16string(line);
  return std::u16string(line.size(), u'*');
}

// Geometry of the text inside the client area.
struct Layout {
  RECT client;
  int lineHeight;
  int top;  // y of the first line shown
};

Layout layoutOf(HWND hwnd, const Edit& e, const Measure& meas) {
  Layout l;
  GetClientRect(hwnd, &l.client);
  l.lineHeight = std::max(meas.height(), 1);
  int h = l.client.bottom - l.client.top;
  l.top = multi(hwnd) ? 1 : std::max(0, (h - l.lineHeight) / 2);
  (void)e;
  return l;
}

// x of the start of a line's text (alignment of single-line edits).
int lineOriginX(HWND hwnd, const Edit& e, const Measure& meas, const Layout& l, std::u16string_view line) {
  DWORD align = styleOf(hwnd) & (ES_CENTER | ES_RIGHT);
  int room = l.client.right - 2 * kMargin;
  int w = meas.width(shown(hwnd, line));
  int x = kMargin - e.scrollX;
  if (!multi(hwnd) && w < room) {
    if (align == ES_CENTER) x = kMargin + (room - w) / 2;
    else if (align == ES_RIGHT) x = kMargin + room - w;
  }
  return x;
}

POINT pointOf(HWND hwnd, const Edit& e, const Measure& meas, size_t pos) {
  Layout l = layoutOf(hwnd, e, meas);
  size_t line = e.m.lineOf(pos);
  std::u16string_view text = e.m.lineText(line);
  size_t col = std::min(pos - e.m.lineStart(line), text.size());
  int x = lineOriginX(hwnd, e, meas, l, text) + meas.width(shown(hwnd, text.substr(0, col)));
  int y = l.top + (static_cast<int>(line) - static_cast<int>(e.firstLine)) * l.lineHeight;
  return POINT{x, y};
}

size_t positionAt(HWND hwnd, const Edit& e, const Measure& meas, POINT p) {
  Layout l = layoutOf(hwnd, e, meas);
  long long line = static_cast<long long>(e.firstLine);
  if (multi(hwnd)) line += (p.y - l.top) >= 0 ? (p.y - l.top) / l.lineHeight : -1;
  line = std::clamp<long long>(line, 0, static_cast<long long>(e.m.lineCount()) - 1);
  std::u16string_view text = e.m.lineText(static_cast<size_t>(line));
  std::vector<int> x = meas.offsets(shown(hwnd, text));
  int rel = p.x - lineOriginX(hwnd, e, meas, l, text);
  size_t col = 0;
  while (col < text.size() && rel > (x[col] + x[col + 1]) / 2) ++col;
  return e.m.lineStart(static_cast<size_t>(line)) + col;
}

// Scrolls so that the caret is inside the client area.
void showCaretArea(HWND hwnd, Edit& e) {
  Measure meas(e.font);
  Layout l = layoutOf(hwnd, e, meas);
  if (multi(hwnd)) {
    size_t line = e.m.lineOf(e.m.caret);
    size_t rows = std::max<size_t>(1, static_cast<size_t>((l.client.bottom - l.top) / l.lineHeight));
    if (line < e.firstLine) e.firstLine = line;
    else if (line >= e.firstLine + rows) e.firstLine = line - rows + 1;
  }
  std::u16string_view text = e.m.lineText(e.m.lineOf(e.m.caret));
  size_t col = e.m.caret - e.m.lineStart(e.m.lineOf(e.m.caret));
  int cx = meas.width(shown(hwnd, text.substr(0, col)));
  int room = std::max<int>(l.client.right - 2 * kMargin, 1);
  if (cx - e.scrollX > room) e.scrollX = cx - room + room / 4;
  else if (cx < e.scrollX) e.scrollX = std::max(0, cx - room / 4);
  if (!multi(hwnd) && meas.width(shown(hwnd, text)) <= room) e.scrollX = 0;
}

void placeCaret(HWND hwnd, Edit& e) {
  if (!e.focused) return;
  Measure meas(e.font);
  POINT p = pointOf(hwnd, e, meas, e.m.caret);
  SetCaretPos(p.x, p.y);
}

// After anything that moves the caret or changes the text.
void refresh(HWND hwnd, Edit& e) {
  showCaretArea(hwnd, e);
  placeCaret(hwnd, e);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void notifyChange(HWND hwnd) {
  notifyCommand(hwnd, EN_UPDATE);
  if (IsWindow(hwnd)) notifyCommand(hwnd, EN_CHANGE);
}

// Replaces the selection with s (remembered for undo when `undoable`), then sends
// EN_UPDATE / EN_CHANGE, and EN_MAXTEXT when the text limit cut s short.
void replaceSelection(HWND hwnd, Edit& e, std::u16string_view s, bool undoable) {
  if (undoable) {
    e.undo = e.m;
    e.canUndo = true;
  }
  bool whole = e.m.replaceSelection(s);
  e.modified = true;
  refresh(hwnd, e);
  notifyChange(hwnd);
  if (!whole && IsWindow(hwnd)) notifyCommand(hwnd, EN_MAXTEXT);
}

// A change the user makes: remembered for undo, then EN_UPDATE / EN_CHANGE.
// Returns false (nothing changes) for a read-only edit or when it would change nothing.
bool userReplace(HWND hwnd, Edit& e, std::u16string_view s) {
  if (readOnly(hwnd) || (!e.m.hasSelection() && s.empty())) return false;
  replaceSelection(hwnd, e, s, true);
  return true;
}

void copy(HWND hwnd, const Edit& e) {
  if (!e.m.hasSelection() || (styleOf(hwnd) & ES_PASSWORD)) return;
  std::u16string s = e.m.selected();
  if (!OpenClipboard(hwnd)) return;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(char16_t));
  if (auto* p = static_cast<char16_t*>(GlobalLock(block))) {
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = 0;
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
  }
  CloseClipboard();
}

std::u16string clipboardText() {
  std::u16string s;
  if (!OpenClipboard(nullptr)) return s;
  if (auto h = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT)))
    if (auto* p = static_cast<const char16_t*>(GlobalLock(h))) {
      s = p;
      GlobalUnlock(h);
    }
  CloseClipboard();
  return s;
}

void paste(HWND hwnd, Edit& e) {
  std::u16string s = clipboardText();
  if (!multi(hwnd)) s = s.substr(0, s.find_first_of(u"\r\n"));
  if (!s.empty()) userReplace(hwnd, e, s);
}

void cut(HWND hwnd, Edit& e) {
  if (readOnly(hwnd) || !e.m.hasSelection()) return;
  copy(hwnd, e);
  userReplace(hwnd, e, u"");
}

void doUndo(HWND hwnd, Edit& e) {
  if (!e.canUndo || readOnly(hwnd)) return;
  std::swap(e.m, e.undo);
  e.m.limit = e.undo.limit;
  e.modified = true;
  refresh(hwnd, e);
  notifyChange(hwnd);
}

void move(HWND hwnd, Edit& e, size_t to) {
  e.m.moveTo(to, keyDown(VK_SHIFT));
  refresh(hwnd, e);
}

size_t verticalTarget(HWND hwnd, Edit& e, int lines) {
  Measure meas(e.font);
  POINT p = pointOf(hwnd, e, meas, e.m.caret);
  Layout l = layoutOf(hwnd, e, meas);
  long long line = static_cast<long long>(e.m.lineOf(e.m.caret)) + lines;
  line = std::clamp<long long>(line, 0, static_cast<long long>(e.m.lineCount()) - 1);
  size_t first = e.firstLine;
  e.firstLine = static_cast<size_t>(line);  // measure in that line's own row
  p.y = l.top;
  size_t pos = positionAt(hwnd, e, meas, p);
  e.firstLine = first;
  return pos;
}

int pageLines(HWND hwnd, const Edit& e) {
  Measure meas(e.font);
  Layout l = layoutOf(hwnd, e, meas);
  return std::max(1, (l.client.bottom - l.top) / l.lineHeight);
}

bool comboKey(UINT message, WPARAM vk) {
  if (message == WM_SYSKEYDOWN) return vk == VK_UP || vk == VK_DOWN;
  return vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT || vk == VK_F4;
}

void onKeyDown(HWND hwnd, Edit& e, WPARAM vk) {
  bool ctrl = keyDown(VK_CONTROL), shift = keyDown(VK_SHIFT), ml = multi(hwnd);
  size_t c = e.m.caret;
  switch (vk) {
    case VK_LEFT:
      if (e.m.hasSelection() && !shift && !ctrl) move(hwnd, e, e.m.selStart());
      else move(hwnd, e, ctrl ? e.m.wordLeft(c) : e.m.left(c));
      break;
    case VK_RIGHT:
      if (e.m.hasSelection() && !shift && !ctrl) move(hwnd, e, e.m.selEnd());
      else move(hwnd, e, ctrl ? e.m.wordRight(c) : e.m.right(c));
      break;
    case VK_HOME: move(hwnd, e, ctrl || !ml ? 0 : e.m.lineHome(c)); break;
    case VK_END: move(hwnd, e, ctrl || !ml ? e.m.text.size() : e.m.lineEnd(c)); break;
    case VK_UP: move(hwnd, e, ml ? verticalTarget(hwnd, e, -1) : e.m.left(c)); break;
    case VK_DOWN: move(hwnd, e, ml ? verticalTarget(hwnd, e, 1) : e.m.right(c)); break;
    case VK_PRIOR:
      if (ml) move(hwnd, e, verticalTarget(hwnd, e, -pageLines(hwnd, e)));
      break;
    case VK_NEXT:
      if (ml) move(hwnd, e, verticalTarget(hwnd, e, pageLines(hwnd, e)));
      break;
    case VK_DELETE:
      if (shift) cut(hwnd, e);
      else if (e.m.hasSelection()) userReplace(hwnd, e, u"");
      else if (c < e.m.text.size() && !readOnly(hwnd)) {
        e.m.anchor = e.m.right(c);
        userReplace(hwnd, e, u"");
      }
      break;
    case VK_INSERT:
      if (ctrl) copy(hwnd, e);
      else if (shift) paste(hwnd, e);
      break;
    default: break;
  }
}

void onChar(HWND hwnd, Edit& e, char16_t ch) {
  bool ml = multi(hwnd);
  switch (ch) {
    case 1:
      e.m.setSelection(0, -1);
      refresh(hwnd, e);
      return;  // Ctrl+A
    case 3: copy(hwnd, e); return;
    case 22: paste(hwnd, e); return;
    case 24: cut(hwnd, e); return;
    case 26: doUndo(hwnd, e); return;
    case 8:
      if (readOnly(hwnd)) return;
      if (!e.m.hasSelection()) {
        if (e.m.caret == 0) return;
        e.m.anchor = e.m.left(e.m.caret);
      }
      userReplace(hwnd, e, u"");
      return;
    case 13:
    case 10:
      if (ml) userReplace(hwnd, e, u"\r\n");
      return;
    case 9:
      if (ml) userReplace(hwnd, e, u"\t");
      return;
    default: break;
  }
  if (ch < 32 || ch == 127) return;
  DWORD style = styleOf(hwnd);
  if ((style & ES_NUMBER) && (ch < u'0' || ch > u'9')) return;
  if ((style & ES_UPPERCASE) && ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
  if (style & ES_LOWERCASE) ch = foldAscii(ch);
  userReplace(hwnd, e, std::u16string_view(&ch, 1));
}

void paintLine(HWND hwnd, HDC dc, const Edit& e, const Measure& meas, const Layout& l, size_t line, COLORREF ink,
               bool showSel) {
  std::u16string_view raw = e.m.lineText(line);
  std::u16string text = shown(hwnd, raw);
  int x0 = lineOriginX(hwnd, e, meas, l, raw);
  int y = l.top + (static_cast<int>(line) - static_cast<int>(e.firstLine)) * l.lineHeight;
  size_t start = e.m.lineStart(line);
  size_t s = std::clamp(e.m.selStart(), start, start + raw.size()) - start;
  size_t t = std::clamp(e.m.selEnd(), start, start + raw.size()) - start;
  if (!showSel) s = t = 0;
  std::vector<int> x = meas.offsets(text);
  SetTextColor(dc, ink);
  if (s > 0) TextOutW(dc, x0, y, text.data(), static_cast<int>(s));
  if (t > s) {
    fillRect(dc, RECT{x0 + x[s], y, x0 + x[t], y + l.lineHeight}, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    TextOutW(dc, x0 + x[s], y, text.data() + s, static_cast<int>(t - s));
    SetTextColor(dc, ink);
  }
  if (text.size() > t) TextOutW(dc, x0 + x[t], y, text.data() + t, static_cast<int>(text.size() - t));
  // A selected line break shows as a small highlighted block.
  bool breakSelected = showSel && e.m.selStart() <= start + raw.size() && e.m.selEnd() > start + raw.size();
  if (breakSelected)
    fillRect(dc, RECT{x0 + x.back(), y, x0 + x.back() + 4, y + l.lineHeight}, GetSysColor(COLOR_HIGHLIGHT));
}

void paint(HWND hwnd, const Edit& e) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  bool enabled = IsWindowEnabled(hwnd) != 0;
  bool grey = !enabled || readOnly(hwnd);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HBRUSH bg = grey ? askBrush(hwnd, dc, WM_CTLCOLORSTATIC, sysBrush(COLOR_BTNFACE))
                   : askBrush(hwnd, dc, WM_CTLCOLOREDIT, sysBrush(COLOR_WINDOW));
  COLORREF ink = enabled ? GetTextColor(dc) : RGB(0x6D, 0x6D, 0x6D);
  Measure meas(e.font);
  Layout l = layoutOf(hwnd, e, meas);
  FillRect(dc, &l.client, bg);
  HGDIOBJ old = SelectObject(dc, fontOr(e.font));
  SetBkMode(dc, TRANSPARENT);
  bool showSel = e.focused || (styleOf(hwnd) & ES_NOHIDESEL);
  for (size_t line = e.firstLine; line < e.m.lineCount(); ++line) {
    int y = l.top + static_cast<int>(line - e.firstLine) * l.lineHeight;
    if (y >= l.client.bottom) break;
    paintLine(hwnd, dc, e, meas, l, line, ink, showSel);
  }
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
  paintBorder(hwnd);
}

void onFocus(HWND hwnd, Edit& e, bool gained) {
  e.focused = gained;
  if (gained) {
    Measure meas(e.font);
    CreateCaret(hwnd, nullptr, 1, std::max(meas.height(), 1));
    placeCaret(hwnd, e);
    ShowCaret(hwnd);
  } else {
    e.tracking = false;
    DestroyCaret();
  }
  InvalidateRect(hwnd, nullptr, FALSE);
  notifyCommand(hwnd, gained ? EN_SETFOCUS : EN_KILLFOCUS);
}

void onButtonDown(HWND hwnd, Edit& e, LPARAM lParam, bool dbl) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  Edit* still = edits().get(hwnd);
  if (!still) return;
  Measure meas(e.font);
  size_t pos = positionAt(hwnd, e, meas, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  if (dbl) {
    auto [b, w] = e.m.wordAt(pos);
    e.m.anchor = b;
    e.m.caret = w;
  } else {
    e.m.moveTo(pos, keyDown(VK_SHIFT));
  }
  e.tracking = true;
  SetCapture(hwnd);
  refresh(hwnd, e);
}

LRESULT getSel(const Edit& e, WPARAM wParam, LPARAM lParam) {
  auto start = static_cast<DWORD>(e.m.selStart()), end = static_cast<DWORD>(e.m.selEnd());
  if (auto* p = reinterpret_cast<DWORD*>(wParam)) *p = start;
  if (auto* p = reinterpret_cast<DWORD*>(lParam)) *p = end;
  return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELONG(start, end);
}

void setText(HWND hwnd, Edit& e, LPARAM lParam) {
  e.m.setText(textArg(lParam));
  e.canUndo = false;
  e.modified = false;
  e.scrollX = 0;
  e.firstLine = 0;
  refresh(hwnd, e);
  if (!multi(hwnd)) notifyChange(hwnd);
}

size_t lineArg(const Edit& e, WPARAM wParam) {
  auto line = static_cast<long long>(static_cast<int>(wParam));
  return line < 0 ? e.m.lineOf(e.m.caret) : static_cast<size_t>(line);
}

LRESULT editMessage(HWND hwnd, Edit& e, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_GETSEL: return getSel(e, wParam, lParam);
    case EM_SETSEL:
      e.m.setSelection(static_cast<int>(wParam), static_cast<int>(lParam));
      refresh(hwnd, e);
      return 0;
    case EM_REPLACESEL: replaceSelection(hwnd, e, textArg(lParam), wParam != 0); return 0;
    case EM_LIMITTEXT: e.m.limit = wParam ? static_cast<size_t>(wParam) : 0x7FFFFFFE; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(e.m.limit);
    case EM_GETMODIFY: return e.modified;
    case EM_SETMODIFY: e.modified = wParam != 0; return 0;
    case EM_CANUNDO: return e.canUndo;
    case EM_UNDO: doUndo(hwnd, e); return e.canUndo;
    case EM_EMPTYUNDOBUFFER: e.canUndo = false; return 0;
    case EM_SETREADONLY: {
      DWORD style = styleOf(hwnd);
      SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case EM_GETLINECOUNT: return static_cast<LRESULT>(e.m.lineCount());
    case EM_LINEINDEX: {
      size_t line = lineArg(e, wParam);
      return line < e.m.lineCount() ? static_cast<LRESULT>(e.m.lineStart(line)) : -1;
    }
    case EM_LINEFROMCHAR: {
      auto pos = static_cast<long long>(static_cast<int>(wParam));
      return static_cast<LRESULT>(e.m.lineOf(pos < 0 ? e.m.caret : std::min<size_t>(pos, e.m.text.size())));
    }
    case EM_LINELENGTH: {
      auto pos = static_cast<long long>(static_cast<int>(wParam));
      size_t at = pos < 0 ? e.m.caret : std::min<size_t>(pos, e.m.text.size());
      return static_cast<LRESULT>(e.m.lineText(e.m.lineOf(at)).size());
    }
    case EM_GETFIRSTVISIBLELINE: return static_cast<LRESULT>(multi(hwnd) ? e.firstLine : 0);
    case EM_SCROLLCARET: refresh(hwnd, e); return TRUE;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    Edit* e = edits().make(hwnd);
    auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) e->m.setText(cs->lpszName);
    e->inCombo = cs->hwndParent && classOf(cs->hwndParent) == u"ComboBox" &&
                 reinterpret_cast<intptr_t>(cs->hMenu) == kComboEditId;
    return TRUE;
  }
  Edit* e = edits().get(hwnd);
  if (!e) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: edits().drop(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(hwnd, *e); return 0;
    case WM_SIZE: refresh(hwnd, *e); return 0;
    case WM_SETFONT:
      e->font = reinterpret_cast<HFONT>(wParam);
      if (e->focused) onFocus(hwnd, *e, true);
      if (lParam) InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(e->font);
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (multi(hwnd) ? DLGC_WANTALLKEYS : 0);
    case WM_SETTEXT: setText(hwnd, *e, lParam); return TRUE;
    case WM_GETTEXT: return copyOut(e->m.text, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(e->m.text.size());
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_SETFOCUS: onFocus(hwnd, *e, true); return 0;
    case WM_KILLFOCUS: onFocus(hwnd, *e, false); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (e->inCombo && comboKey(message, wParam)) return SendMessageW(GetParent(hwnd), message, wParam, lParam);
      if (message == WM_KEYDOWN) onKeyDown(hwnd, *e, wParam);
      else return DefWindowProcW(hwnd, message, wParam, lParam);
      return 0;
    case WM_CHAR:
      if (e->inCombo && (wParam == 13 || wParam == 27 || wParam == 9))
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
      onChar(hwnd, *e, static_cast<char16_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN: onButtonDown(hwnd, *e, lParam, false); return 0;
    case WM_LBUTTONDBLCLK: onButtonDown(hwnd, *e, lParam, true); return 0;
    case WM_MOUSEMOVE:
      if (e->tracking) {
        Measure meas(e->font);
        e->m.moveTo(positionAt(hwnd, *e, meas, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), true);
        refresh(hwnd, *e);
      }
      return 0;
    case WM_LBUTTONUP:
      if (e->tracking) {
        e->tracking = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED: e->tracking = false; return 0;
    case WM_COPY: copy(hwnd, *e); return 0;
    case WM_CUT: cut(hwnd, *e); return 0;
    case WM_PASTE: paste(hwnd, *e); return 0;
    case WM_CLEAR: userReplace(hwnd, *e, u""); return 0;
    case WM_UNDO: doUndo(hwnd, *e); return e->canUndo;
    default: return editMessage(hwnd, *e, message, wParam, lParam);
  }
}

}  // namespace

void registerEdit() { registerClass(u"Edit", editProc, CS_DBLCLKS, IDC_IBEAM); }

}  // namespace platform::controls
