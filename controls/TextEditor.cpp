#include "controls/TextEditor.h"
#include "controls/ScrollBars.h"

#include <algorithm>
#include <cstring>

#include "controls/ControlClass.h"
#include "resources/MainIds.h"

namespace {

bool keyHeld(int vk) { return GetKeyState(vk) < 0; }

}  // namespace

CCText::CCText() {
  font.lfHeight = 12;
  font.lfWeight = 400;
  font.lfCharSet = 1;
  const char16_t face[] = u"宋体";
  std::memcpy(font.lfFaceName, face, sizeof face);
  initCSyntaxColors(cColours);
  initExprtkSyntaxColors(exprtkColours);
  initPySyntaxColors(pythonColours);
  history.bind(&caret, &shownText, &selection);
  history.onChange = [this](void*, void*) { onTextChanged(); };
  history.onReplace = [this](size_t pos, size_t removed, size_t inserted) { onReplaced(pos, removed, inserted); };
}

CCText::~CCText() {
  // A window that outlives its object must not reach it any more.
  if (hwnd && IsWindow(hwnd)) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

void CCText::create(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t withScrollBars) {
  scrollBars = withScrollBars;
  registerControlClass(u"Text2", &CCText::wndProc);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (withScrollBars) style |= WS_HSCROLL | WS_VSCROLL;
  hwnd = CreateWindowExW(0, u"Text2", u"Text2", style, x, y, width, height, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  canvas.mOwner = hwnd;
  relayout();
}

ScriptSurface* CCText::measuringSurface() { return canvas.mDc ? &canvas : nullptr; }

void CCText::relayout() {
  if (!hwnd) return;
  updateRects();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
  RECT client{};
  GetClientRect(hwnd, &client);
  canvas.begin(inclusive(client));
  canvas.setBrush(backColour);
  HGDIOBJ pen = SelectObject(canvas.mDc, GetStockObject(NULL_PEN));
  Rectangle(canvas.mDc, client.left, client.top, client.right + 2, client.bottom + 2);
  SelectObject(canvas.mDc, pen);
  canvas.setFont(font.lfHeight, font.lfFaceName);
  // The widths of the new font; the content size follows.
  const SIZE before{contentWidth, contentHeight};
  mLines.remeasure(shownText, canvas);
  contentChanged();
  if (before.cx != contentWidth || before.cy != contentHeight) {
    updateScrollRanges();
    updateScrollPos();
    updateRects();
  }
}

void CCText::updateRects() {
  RECT client{};
  if (hwnd) GetClientRect(hwnd, &client);
  clientRect =
      RECT{client.left + insets[0], client.top + insets[1], client.right + insets[2], client.bottom + insets[3]};
  textRect = clientRect;
  if (lineNumbers) textRect.left = clientRect.left + gutterWidth;
}

SIZE CCText::textExtent() const {
  const int32_t lines = shownText.empty() ? 0 : static_cast<int32_t>(mLines.count());
  return SIZE{mLines.widest() + extraMargin, lines * lineHeight() + extraMargin};
}

void CCText::contentChanged() {
  if (!mLines.measured() && canvas.mDc) mLines.remeasure(shownText, canvas);
  const SIZE extent = textExtent();
  contentWidth = extent.cx;
  contentHeight = extent.cy;
}

void CCText::onTextChanged() {
  contentChanged();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
}

void CCText::onReplaced(size_t pos, size_t removed, size_t inserted) {
  mResume.noteChange(pos);
  mLines.replaced(shownText, pos, removed, inserted, measuringSurface());
  trackAutoClosers(pos, removed, inserted);
}

void CCText::setScrollBars(bool on) {
  scrollBars = on ? 1 : 0;
  if (on || !hwnd) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

void CCText::updateScrollRanges() {
  if (!scrollBars || !hwnd) return;
  setScrollRanges(hwnd, contentWidth, contentHeight, textRect);
}

void CCText::updateScrollPos() {
  if (!scrollBars || !hwnd) return;
  setScrollPositions(hwnd, scrollX, scrollY);
}

int32_t CCText::maxScrollX() const { return std::max<int32_t>(0, textRect.left + contentWidth - textRect.right); }

int32_t CCText::maxScrollY() const { return std::max<int32_t>(0, textRect.top + contentHeight - textRect.bottom); }

POINT CCText::caretPoint(size_t index) {
  index = std::min(index, shownText.size());
  const size_t line = mLines.lineOf(index);
  int32_t x = 0;
  if (canvas.mDc) x = canvas.textWidth(shownText.data() + mLines.start(line), index - mLines.start(line));
  return POINT{textRect.left - scrollX + x, textRect.top - scrollY + static_cast<int32_t>(line) * lineHeight()};
}

void CCText::showCaret(int32_t x, int32_t y, int32_t height) {
  auto inside = [this](int32_t px, int32_t py) {
    return px >= textRect.left && px <= textRect.right && py >= textRect.top && py <= textRect.bottom;
  };
  if (!inside(x, y) && !inside(x, y + height)) return;
  CreateCaret(hwnd, nullptr, 1, height);
  SetCaretPos(x, y);
  ShowCaret(hwnd);
}

void CCText::updateCaret() {
  if (!hwnd) return;
  scrollToCaret();
  DestroyCaret();
  InvalidateRect(hwnd, &clientRect, FALSE);
  const POINT p = caretPoint(caret);
  showCaret(p.x, p.y, lineHeight());
}

void CCText::scrollToCaret() {
  const POINT p = caretPoint(caret);
  const int32_t space = canvas.mSpaceWidth;
  if (p.x > textRect.left && p.x >= textRect.right)
    scrollX = std::clamp(scrollX + p.x + space - textRect.right, 0, maxScrollX());
  else if (p.x <= textRect.left && p.x - space != textRect.left)
    scrollX = std::clamp(scrollX + p.x - space - textRect.left, 0, maxScrollX());
  const int32_t bottom = p.y + lineHeight();
  if (bottom > textRect.top && bottom > textRect.bottom)
    scrollY = std::clamp(scrollY + bottom - textRect.bottom, 0, maxScrollY());
  else if (bottom <= textRect.top && p.y != textRect.top)
    scrollY = std::clamp(scrollY + p.y - textRect.top, 0, maxScrollY());
  updateScrollPos();
}

bool CCText::scrollH(int32_t delta, bool redraw) {
  if (delta == 0) return false;
  const int32_t before = scrollX;
  scrollX = std::clamp(scrollX + delta, 0, maxScrollX());
  if (scrollX == before || !redraw) return false;
  DestroyCaret();
  InvalidateRect(hwnd, &clientRect, FALSE);
  const POINT p = caretPoint(caret);
  showCaret(p.x, p.y, lineHeight());
  return true;
}

bool CCText::scrollV(int32_t delta, bool redraw) {
  if (delta == 0) return false;
  const int32_t before = scrollY;
  scrollY = std::clamp(scrollY + delta, 0, maxScrollY());
  if (scrollY == before || !redraw) return false;
  DestroyCaret();
  InvalidateRect(hwnd, &clientRect, FALSE);
  const POINT p = caretPoint(caret);
  showCaret(p.x, p.y, lineHeight());
  return true;
}

// A request of one of the window's scroll bars, carried out on the bar's own position.
void CCText::onScroll(int bar, int request) {
  const int line = bar == SB_HORZ ? canvas.mSpaceWidth : lineHeight();
  const int moved = applyScrollRequest(hwnd, bar, request, line);
  if (moved == 0) return;
  (bar == SB_HORZ ? scrollX : scrollY) += moved;
  InvalidateRect(hwnd, &clientRect, FALSE);
  DestroyCaret();
  const POINT p = caretPoint(caret);
  showCaret(p.x, p.y, lineHeight());
}

void CCText::onKillFocus(HWND next) {
  if (!IsWindowVisible(hwnd) || !onCommit) return;
  DestroyCaret();
  onCommit(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(next)), committedText());
}

LRESULT CALLBACK CCText::wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CCText*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      self->paint(hdc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_ARROW)); return TRUE;
    case WM_GETDLGCODE:
      // As a multi-line edit control with ES_WANTRETURN: in a dialog every key is the
      // editor's, Enter, Tab, Esc and the arrows included.
      return DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: self->onKeyDown(wParam); return 0;
    case WM_CHAR: self->onChar(wParam); return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == ID_ALT_ENTER) self->onKeyDown(VK_RETURN);  // the Alt+Enter accelerator
      return 0;
    case WM_KILLFOCUS: self->onKillFocus(reinterpret_cast<HWND>(wParam)); return 0;
    case WM_SETFOCUS: {
      const POINT p = self->caretPoint(self->caret);
      self->showCaret(p.x, p.y, self->lineHeight());
      return 0;
    }
    case WM_HSCROLL: self->onScroll(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: self->onScroll(SB_VERT, LOWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: self->onLButtonDown(point, keyHeld(VK_SHIFT)); return 0;
    case WM_MOUSEMOVE:
      if (wParam & MK_LBUTTON) self->onMouseDrag(point);
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return 0;
    case WM_LBUTTONUP: ReleaseCapture(); return 0;
    case WM_LBUTTONDBLCLK: self->onDoubleClick(point, keyHeld(VK_SHIFT)); return 0;
    case WM_MOUSEWHEEL: self->onMouseWheel(wParam, lParam); return 0;
    case WM_DESTROY:
    case WM_KEYUP: return 0;
    default: {
      LRESULT result = 0;
      if (self->handleIme(message, result)) return result;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }
}
