// Shared helpers of the standard controls.
#include "platform/controls/ControlBase.h"

#include <algorithm>
#include <cmath>

#include "platform/user/Classes.h"
#include "platform/user/State.h"

namespace platform::controls {

int controlId(HWND control) { return static_cast<int>(GetWindowLongPtrW(control, GWLP_ID)); }

void notifyCommand(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(controlId(control), code), reinterpret_cast<LPARAM>(control));
}

LRESULT notifyParent(HWND control, NMHDR* hdr, UINT code) {
  hdr->hwndFrom = control;
  hdr->idFrom = static_cast<UINT_PTR>(controlId(control));
  hdr->code = code;
  HWND parent = GetParent(control);
  if (!parent) return 0;
  return SendMessageW(parent, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
}

HFONT defaultFont() {
  static HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
  return font;
}

HBRUSH askBrush(HWND control, HDC dc, UINT message, HBRUSH fallback) {
  HWND parent = GetParent(control);
  if (!parent) return fallback;
  LRESULT r = SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  return r ? reinterpret_cast<HBRUSH>(r) : fallback;
}

void fillRect(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void hLine(HDC dc, int x0, int x1, int y, COLORREF color) {
  if (x1 > x0) fillRect(dc, RECT{x0, y, x1, y + 1}, color);
}

void vLine(HDC dc, int x, int y0, int y1, COLORREF color) {
  if (y1 > y0) fillRect(dc, RECT{x, y0, x + 1, y1}, color);
}

void frameRect(HDC dc, const RECT& r, COLORREF color) {
  hLine(dc, r.left, r.right, r.top, color);
  hLine(dc, r.left, r.right, r.bottom - 1, color);
  vLine(dc, r.left, r.top, r.bottom, color);
  vLine(dc, r.right - 1, r.top, r.bottom, color);
}

void focusRect(HDC dc, const RECT& r) {
  COLORREF c = RGB(0x33, 0x33, 0x33);
  for (int x = r.left; x < r.right; x += 2) {
    fillRect(dc, RECT{x, r.top, x + 1, r.top + 1}, c);
    fillRect(dc, RECT{x, r.bottom - 1, x + 1, r.bottom}, c);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    fillRect(dc, RECT{r.left, y, r.left + 1, y + 1}, c);
    fillRect(dc, RECT{r.right - 1, y, r.right, y + 1}, c);
  }
}

void drawLabel(HDC dc, std::u16string_view text, RECT r, UINT format, COLORREF color, HFONT font) {
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, fontOr(font));
  int mode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(dc, color);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, format);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, mode);
  SelectObject(dc, old);
}

void fillDisc(HDC dc, int x, int y, int d, COLORREF color) {
  double r = d / 2.0;
  for (int row = 0; row < d; ++row) {
    double dy = row + 0.5 - r;
    double half = r * r - dy * dy;
    if (half <= 0) continue;
    double span = std::sqrt(half);
    int x0 = static_cast<int>(std::lround(r - span)), x1 = static_cast<int>(std::lround(r + span));
    hLine(dc, x + x0, x + x1, y + row, color);
  }
}

void paintBorder(HWND hwnd) {
  using namespace platform::user;
  WindowRef w = findWindow(hwnd);
  if (!w || !w->parent) return;
  bool border = (w->style & WS_BORDER) != 0, edge = (w->exStyle & WS_EX_CLIENTEDGE) != 0;
  if (!border && !edge) return;
  WindowRef parent = findWindow(w->parent);
  WindowRef top = topLevelOf(w);
  if (!parent || !top || !top->surface) return;
  RECT in = nonClientInsets(*w);
  POINT client = clientOriginInSurface(*w);
  POINT origin{client.x - in.left, client.y - in.top};
  RECT whole{origin.x, origin.y, origin.x + (w->rect.right - w->rect.left),
             origin.y + (w->rect.bottom - w->rect.top)};
  RECT clip = visibleClientInSurface(*parent);
  if (!IntersectRect(&clip, &clip, &whole)) return;
  HDC dc = createSurfaceDC(top->surface.get(), origin, clip);
  if (!dc) return;
  RECT r{0, 0, whole.right - whole.left, whole.bottom - whole.top};
  frameRect(dc, r, edge ? RGB(0x7A, 0x7A, 0x7A) : RGB(0x64, 0x64, 0x64));
  if (edge && border) {
    inflate(r, -1);
    frameRect(dc, r, RGB(0x7A, 0x7A, 0x7A));
  }
  if (edge) {
    inflate(r, -1);
    frameRect(dc, r, RGB(0xFF, 0xFF, 0xFF));
  }
  deleteSurfaceDC(dc);
}

Measure::Measure(HFONT font) {
  mDc = CreateCompatibleDC(nullptr);
  mOld = SelectObject(mDc, fontOr(font));
  SIZE s{0, 0};
  GetTextExtentPoint32W(mDc, u" ", 1, &s);
  mHeight = s.cy;
}

Measure::~Measure() {
  SelectObject(mDc, mOld);
  DeleteDC(mDc);
}

int Measure::width(std::u16string_view text) const {
  if (text.empty()) return 0;
  SIZE s{0, 0};
  GetTextExtentPoint32W(mDc, text.data(), static_cast<int>(text.size()), &s);
  return s.cx;
}

std::vector<int> Measure::offsets(std::u16string_view text) const {
  std::vector<int> x(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); ++i) x[i + 1] = x[i] + width(text.substr(i, 1));
  return x;
}

namespace {

bool isCjk(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
         (c >= 0x3000 && c <= 0x303F);
}

// Where a line that overflows at `limit` (exclusive) breaks: after the last
// blank or before the last CJK character at or before it; `limit` when
// there is no such place.
size_t breakBefore(std::u16string_view line, size_t limit) {
  for (size_t i = limit; i > 0; --i) {
    char16_t c = line[i - 1];
    if (c == u' ' || c == u'\t') return i;
    if (i < line.size() && (isCjk(line[i]) || isCjk(c))) return i;
  }
  return limit;
}

}  // namespace

std::vector<std::u16string> wrapText(const Measure& m, std::u16string_view text, int width) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    std::u16string_view para = text.substr(start, end == std::u16string_view::npos ? text.npos : end - start);
    while (true) {
      std::vector<int> x = m.offsets(para);
      size_t fit = 0;
      while (fit < para.size() && x[fit + 1] <= width) ++fit;
      if (fit >= para.size() || width <= 0) {
        lines.emplace_back(para);
        break;
      }
      size_t cut = std::max<size_t>(breakBefore(para, fit), 1);
      lines.emplace_back(para.substr(0, cut));
      para = para.substr(cut);
      while (!para.empty() && para.front() == u' ') para.remove_prefix(1);
    }
    if (end == std::u16string_view::npos) break;
    start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  }
  return lines;
}

LRESULT copyOut(std::u16string_view text, WPARAM max, LPARAM buffer) {
  auto* out = reinterpret_cast<WCHAR*>(buffer);
  if (!out || max == 0) return 0;
  size_t n = std::min<size_t>(text.size(), max - 1);
  std::copy_n(text.data(), n, out);
  out[n] = 0;
  return static_cast<LRESULT>(n);
}

std::u16string classOf(HWND hwnd) {
  platform::user::WindowRef w = platform::user::findWindow(hwnd);
  return w && w->cls ? w->cls->name : std::u16string();
}

void registerClass(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor) {
  if (platform::user::findClass(name)) return;
  WNDCLASSW wc{};
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

}  // namespace platform::controls
