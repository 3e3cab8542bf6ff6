#include "controls/TextEditor.h"

#include <algorithm>
#include <cstring>

#include "controls/ControlClass.h"

namespace {

constexpr UINT kAltEnterCommand = 32875;  // the Alt+Enter accelerator's command id

bool keyHeld(int vk) { return GetKeyState(vk) < 0; }

}  // namespace

CCText::CCText() {
  mFont.lfHeight = 12;
  mFont.lfWeight = 400;
  mFont.lfCharSet = 1;
  const char16_t face[] = u"宋体";
  std::memcpy(mFont.lfFaceName, face, sizeof face);
  initCSyntaxColors(mCColours);
  initExprtkSyntaxColors(mExprtkColours);
  initPySyntaxColors(mPythonColours);
  mHistory.bind(&mCaret, &mShownText, &mSelection);
  mHistory.onChange = [this](void*, void*) { onTextChanged(); };
  mHistory.onReplace = [this](size_t pos, size_t removed, size_t inserted) { onReplaced(pos, removed, inserted); };
}

CCText::~CCText() = default;

void CCText::create(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t scrollBars) {
  mScrollBars = scrollBars;
  registerControlClass(u"Text2", &CCText::wndProc);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (scrollBars) style |= WS_HSCROLL | WS_VSCROLL;
  mHwnd = CreateWindowExW(0, u"Text2", u"Text2", style, x, y, width, height, parent, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!mHwnd) return;
  SetWindowLongPtrW(mHwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  mCanvas.mOwner = mHwnd;
  relayout();
}

ScriptSurface* CCText::measuringSurface() { return mCanvas.mDc ? &mCanvas : nullptr; }

void CCText::relayout() {
  if (!mHwnd) return;
  updateRects();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
  RECT client{};
  GetClientRect(mHwnd, &client);
  mCanvas.begin(inclusive(client));
  mCanvas.setBrush(mBackColour);
  HGDIOBJ pen = SelectObject(mCanvas.mDc, GetStockObject(NULL_PEN));
  Rectangle(mCanvas.mDc, client.left, client.top, client.right + 2, client.bottom + 2);
  SelectObject(mCanvas.mDc, pen);
  mCanvas.setFont(mFont.lfHeight, mFont.lfFaceName);
  // The widths of the new font; the content size follows.
  const SIZE before{mContentWidth, mContentHeight};
  mLines.remeasure(mShownText, mCanvas);
  contentChanged();
  if (before.cx != mContentWidth || before.cy != mContentHeight) {
    updateScrollRanges();
    updateScrollPos();
    updateRects();
  }
}

void CCText::updateRects() {
  RECT client{};
  if (mHwnd) GetClientRect(mHwnd, &client);
  mClientRect = RECT{client.left + mInsets[0], client.top + mInsets[1], client.right + mInsets[2],
                     client.bottom + mInsets[3]};
  mTextRect = mClientRect;
  if (mLineNumbers) mTextRect.left = mClientRect.left + mGutterWidth;
}

SIZE CCText::textExtent() const {
  const int32_t lines = mShownText.empty() ? 0 : static_cast<int32_t>(mLines.count());
  return SIZE{mLines.widest() + mExtraMargin, lines * lineHeight() + mExtraMargin};
}

void CCText::contentChanged() {
  if (!mLines.measured() && mCanvas.mDc) mLines.remeasure(mShownText, mCanvas);
  const SIZE extent = textExtent();
  mContentWidth = extent.cx;
  mContentHeight = extent.cy;
}

void CCText::onTextChanged() {
  contentChanged();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
}

void CCText::onReplaced(size_t pos, size_t removed, size_t inserted) {
  mLines.replaced(mShownText, pos, removed, inserted, measuringSurface());
  trackAutoClosers(pos, removed, inserted);
}

void CCText::setScrollBars(bool on) {
  mScrollBars = on ? 1 : 0;
  if (on || !mHwnd) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  SetScrollInfo(mHwnd, SB_VERT, &si, TRUE);
  SetScrollInfo(mHwnd, SB_HORZ, &si, TRUE);
}

void CCText::updateScrollRanges() {
  if (!mScrollBars || !mHwnd) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = mContentHeight;
  si.nPage = static_cast<UINT>(std::max<LONG>(0, mTextRect.bottom - mTextRect.top + 1));
  SetScrollInfo(mHwnd, SB_VERT, &si, TRUE);
  si.nMax = mContentWidth;
  si.nPage = static_cast<UINT>(std::max<LONG>(0, mTextRect.right - mTextRect.left + 1));
  SetScrollInfo(mHwnd, SB_HORZ, &si, TRUE);
}

void CCText::updateScrollPos() {
  if (!mScrollBars || !mHwnd) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS;
  si.nPos = mScrollY;
  SetScrollInfo(mHwnd, SB_VERT, &si, TRUE);
  si.nPos = mScrollX;
  SetScrollInfo(mHwnd, SB_HORZ, &si, TRUE);
}

int32_t CCText::maxScrollX() const {
  return std::max<int32_t>(0, mTextRect.left + mContentWidth - mTextRect.right);
}

int32_t CCText::maxScrollY() const {
  return std::max<int32_t>(0, mTextRect.top + mContentHeight - mTextRect.bottom);
}

POINT CCText::caretPoint(size_t index) {
  index = std::min(index, mShownText.size());
  const size_t line = mLines.lineOf(index);
  int32_t x = 0;
  if (mCanvas.mDc) x = mCanvas.textWidth(mShownText.data() + mLines.start(line), index - mLines.start(line));
  return POINT{mTextRect.left - mScrollX + x,
               mTextRect.top - mScrollY + static_cast<int32_t>(line) * lineHeight()};
}

void CCText::showCaret(int32_t x, int32_t y, int32_t height) {
  auto inside = [this](int32_t px, int32_t py) {
    return px >= mTextRect.left && px <= mTextRect.right && py >= mTextRect.top && py <= mTextRect.bottom;
  };
  if (!inside(x, y) && !inside(x, y + height)) return;
  CreateCaret(mHwnd, nullptr, 1, height);
  SetCaretPos(x, y);
  ShowCaret(mHwnd);
}

void CCText::updateCaret() {
  if (!mHwnd) return;
  scrollToCaret();
  DestroyCaret();
  InvalidateRect(mHwnd, &mClientRect, FALSE);
  const POINT p = caretPoint(mCaret);
  showCaret(p.x, p.y, lineHeight());
}

void CCText::scrollToCaret() {
  const POINT p = caretPoint(mCaret);
  const int32_t space = mCanvas.mSpaceWidth;
  if (p.x > mTextRect.left && p.x >= mTextRect.right)
    mScrollX = std::clamp(mScrollX + p.x + space - mTextRect.right, 0, maxScrollX());
  else if (p.x <= mTextRect.left && p.x - space != mTextRect.left)
    mScrollX = std::clamp(mScrollX + p.x - space - mTextRect.left, 0, maxScrollX());
  const int32_t bottom = p.y + lineHeight();
  if (bottom > mTextRect.top && bottom > mTextRect.bottom)
    mScrollY = std::clamp(mScrollY + bottom - mTextRect.bottom, 0, maxScrollY());
  else if (bottom <= mTextRect.top && p.y != mTextRect.top)
    mScrollY = std::clamp(mScrollY + p.y - mTextRect.top, 0, maxScrollY());
  updateScrollPos();
}

bool CCText::scrollH(int32_t delta, bool redraw) {
  if (delta == 0) return false;
  const int32_t before = mScrollX;
  mScrollX = std::clamp(mScrollX + delta, 0, maxScrollX());
  if (mScrollX == before || !redraw) return false;
  DestroyCaret();
  InvalidateRect(mHwnd, &mClientRect, FALSE);
  const POINT p = caretPoint(mCaret);
  showCaret(p.x, p.y, lineHeight());
  return true;
}

bool CCText::scrollV(int32_t delta, bool redraw) {
  if (delta == 0) return false;
  const int32_t before = mScrollY;
  mScrollY = std::clamp(mScrollY + delta, 0, maxScrollY());
  if (mScrollY == before || !redraw) return false;
  DestroyCaret();
  InvalidateRect(mHwnd, &mClientRect, FALSE);
  const POINT p = caretPoint(mCaret);
  showCaret(p.x, p.y, lineHeight());
  return true;
}

// A request of one of the window's scroll bars, carried out on the bar's own position.
void CCText::onScroll(int bar, int request) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(mHwnd, bar, &si);
  const int before = si.nPos;
  const int line = bar == SB_HORZ ? mCanvas.mSpaceWidth : lineHeight();
  int pos = si.nPos;
  switch (request) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: break;
  }
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(mHwnd, bar, &si, FALSE);
  GetScrollInfo(mHwnd, bar, &si);
  if (si.nPos == before) return;
  (bar == SB_HORZ ? mScrollX : mScrollY) += si.nPos - before;
  InvalidateRect(mHwnd, &mClientRect, FALSE);
  DestroyCaret();
  const POINT p = caretPoint(mCaret);
  showCaret(p.x, p.y, lineHeight());
}

void CCText::onKillFocus(HWND next) {
  if (!IsWindowVisible(mHwnd) || !onCommit) return;
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
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      self->onKeyDown(wParam);
      return 0;
    case WM_CHAR:
      self->onChar(wParam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kAltEnterCommand) self->onKeyDown(VK_RETURN);
      return 0;
    case WM_KILLFOCUS:
      self->onKillFocus(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_SETFOCUS: {
      const POINT p = self->caretPoint(self->mCaret);
      self->showCaret(p.x, p.y, self->lineHeight());
      return 0;
    }
    case WM_HSCROLL:
      self->onScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      self->onScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      self->onLButtonDown(point, keyHeld(VK_SHIFT));
      return 0;
    case WM_MOUSEMOVE:
      if (wParam & MK_LBUTTON) self->onMouseDrag(point);
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();
      return 0;
    case WM_LBUTTONDBLCLK:
      self->onDoubleClick(point, keyHeld(VK_SHIFT));
      return 0;
    case WM_MOUSEWHEEL:
      self->onMouseWheel(wParam, lParam);
      return 0;
    case WM_DESTROY:
    case WM_KEYUP:
      return 0;
    default: {
      LRESULT result = 0;
      if (self->handleIme(message, result)) return result;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }
}
