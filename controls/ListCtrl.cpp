#include "controls/ListCtrl.h"
#include "controls/ScrollBars.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "controls/ControlClass.h"
#include "controls/ControlFont.h"
#include "controls/ControlIcons.h"

namespace {

bool keyDown(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

}  // namespace

std::u16string ListItem2::countText() const {
  char buffer[254];
  if (amount > 1) {
    const double largest = 18446744073709549568.0;  // the largest double below 2^64
    const size_t whole = amount >= largest ? SIZE_MAX : static_cast<size_t>(amount);
    std::snprintf(buffer, sizeof buffer, "  ( %zu / %zu )", whole, count);
  } else {
    std::snprintf(buffer, sizeof buffer, "  ( %zu, %.2f%% )", count, amount * 100);
  }
  return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

CCList::CCList() : font(defaultControlFont()) {}

CCList::~CCList() {
  if (hwnd && IsWindow(hwnd) && GetWindowLongPtrW(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

void CCList::create(HWND parent, int x, int y, int width, int height) {
  itemHeight = 16;
  margin = 3;
  iconGap = 3;
  iconWidth = iconHeight = 16;
  extraSpace = 30;
  wheelStepX = 30;
  wheelStepY = 80;
  checkedIcon = loadControlIcon(143);
  uncheckedIcon = loadControlIcon(144);
  font = defaultControlFont();
  registerControlClass(u"List2", &CCList::wndProc);
  hwnd = CreateWindowExW(0, u"List2", u"List2", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL, x, y,
                         width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // The empty ranges hide both bars first, so that the RECT kept is the whole client area
  // (a window made with WS_VSCROLL | WS_HSCROLL starts with both bars shown).
  updateScrollRanges();
  GetClientRect(hwnd, &clientRect);
  updateScrollRanges();
  updateScrollPos();
  canvas.mOwner = hwnd;
  canvas.begin(clientRect);
}

int32_t CCList::scrollLimit(int32_t content, int32_t client) { return std::max(0, content - client - 1); }

void CCList::refresh() {
  canvas.setFont(font.lfHeight, font.lfFaceName);
  const int32_t rows = static_cast<int32_t>(items.size());
  contentHeight = extraSpace + rows * itemHeight;
  contentWidth = 0;
  if (rows > 0) {
    contentWidth = margin + extraSpace;
    if (showCheckBoxes) contentWidth += iconGap + iconWidth;
    if (showItemIcons) contentWidth += iconGap + iconWidth;
  }
  scrollX = std::min(scrollX, scrollLimit(contentWidth, clientWidth()));
  scrollY = std::min(scrollY, scrollLimit(contentHeight, clientHeight()));
  updateScrollRanges();
  updateScrollPos();
  InvalidateRect(hwnd, nullptr, FALSE);
}

bool CCList::toggleCheck(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(items.size())) return false;
  items[index].checked = !items[index].checked;
  return items[index].checked != 0;
}

int32_t CCList::itemAtCursor() const {
  POINT pt{};
  GetCursorPos(&pt);
  ScreenToClient(hwnd, &pt);
  const int32_t y = scrollY + pt.y;
  if (y < 0) return -1;
  const int32_t index = y / itemHeight;
  return index < static_cast<int32_t>(items.size()) ? index : -1;
}

bool CCList::isOnCheckColumn() const {
  if (!showCheckBoxes) return false;
  POINT pt{};
  GetCursorPos(&pt);
  ScreenToClient(hwnd, &pt);
  const int32_t x = pt.x + scrollX;
  return margin <= x && x <= margin + iconWidth;
}

void CCList::updateScrollRanges() { setScrollRanges(hwnd, contentWidth, contentHeight, clientRect); }

void CCList::updateScrollPos() { setScrollPositions(hwnd, scrollX, scrollY); }

int32_t CCList::firstLineWidth(const std::u16string& text) {
  int32_t width = 0;
  for (char16_t c : text) {
    if (c == u'\n') break;
    width += canvas.charWidth(c);
  }
  return width;
}

int32_t CCList::paintRow(const ListItem2& item, int32_t top, int32_t bottom) {
  const RECT& client = clientRect;
  HDC dc = canvas.mDc;
  if (item.selected) {
    canvas.fillGradient(RECT{client.left, top, client.right, bottom}, selectionTop, selectionBottom);
    canvas.setPen(frameColour, 1);
    HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, client.left, top, client.right + 1, bottom + 1);
    SelectObject(dc, brush);
  }
  int32_t x = client.left + margin - scrollX;
  const int32_t iconTop = (top + bottom - iconHeight) / 2;
  int32_t width = extraSpace + margin;
  if (showCheckBoxes) {
    DrawIconEx(dc, x, iconTop, item.checked ? checkedIcon : uncheckedIcon, iconWidth, iconHeight, 0, nullptr,
               DI_NORMAL);
    x += iconGap + iconWidth;
    width += iconWidth + iconGap;
  }
  if (showItemIcons) {
    if (HICON icon = item.icon ? item.icon : defaultIcon)
      DrawIconEx(dc, x, iconTop, icon, iconWidth, iconHeight, 0, nullptr, DI_NORMAL);
    x += iconGap + iconWidth;
    width += iconWidth + iconGap;
  }
  canvas.setTextColor(textColour);
  const std::u16string text = itemText ? itemText(item) : std::u16string();
  const std::u16string suffix = showCount ? item.countText() : std::u16string();
  const RECT textRect{x, top, client.right, bottom};
  if (multiLine) {
    canvas.drawTextInRect(textRect, text, 4);
  } else {
    const std::u16string first = text.substr(0, text.find(u'\n'));
    canvas.drawTextInRect(textRect, first, 4);
    if (showCount) {
      int32_t firstWidth = 0;
      for (char16_t c : first) firstWidth += canvas.charWidthNoBreak(c);
      canvas.setTextColor(countColour);
      canvas.drawTextInRect(RECT{x + firstWidth, top, client.right, bottom}, suffix, 4);
    }
  }
  width += firstLineWidth(text);
  for (char16_t c : suffix) width += canvas.charWidth(c);
  return width;
}

void CCList::paint(HDC hdc, RECT paintRect) {
  const RECT& client = clientRect;
  HDC dc = canvas.mDc;
  canvas.setBrush(backColour);
  HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, client.left, client.top, client.right + 2, client.bottom + 2);
  SelectObject(dc, pen);
  canvas.setFont(font.lfHeight, font.lfFaceName);

  const int32_t rows = static_cast<int32_t>(items.size());
  int32_t row = scrollY / itemHeight;
  int32_t top = client.top + row * itemHeight - scrollY;
  bool grew = false;
  for (; row < rows; ++row, top += itemHeight) {
    const int32_t bottom = top + itemHeight - 1;
    const int32_t width = paintRow(items[row], top, bottom);
    if (width > contentWidth) {
      contentWidth = width;
      grew = true;
    }
    if (bottom > client.bottom) break;
  }
  canvas.copyTo(hdc, paintRect);
  if (grew) updateScrollRanges();
}

void CCList::selectClicked(bool shift, bool ctrl) {
  const int32_t rows = static_cast<int32_t>(items.size());
  if (multiSelect && shift && anchorIndex >= 0) {
    // A click below the last row extends the range to the last row.
    const int32_t end = clickedIndex >= 0 ? clickedIndex : rows - 1;
    for (auto& item : items) item.selected = 0;
    for (int32_t i = std::min(anchorIndex, end); i <= std::max(anchorIndex, end); ++i)
      if (i >= 0 && i < rows) items[i].selected = 1;
    return;
  }
  anchorIndex = clickedIndex;
  if (!(multiSelect && ctrl))
    for (auto& item : items) item.selected = 0;
  if (clickedIndex >= 0) items[clickedIndex].selected = 1;
}

void CCList::onClick() {
  SetFocus(hwnd);
  clickedIndex = itemAtCursor();
  if (isOnCheckColumn()) {
    const bool checked = toggleCheck(clickedIndex);
    if (multiSelect && clickedIndex >= 0 && items[clickedIndex].selected)
      for (auto& item : items)
        if (item.selected) item.checked = checked;
    if (onCheck) onCheck(*this, clickedIndex);
  } else {
    selectClicked(keyDown(VK_SHIFT), keyDown(VK_CONTROL));
    if (onSelect) onSelect(*this, clickedIndex);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

void CCList::onDoubleClick() {
  onClick();
  if (!doubleClickToggles || isOnCheckColumn()) return;
  const int32_t index = itemAtCursor();
  toggleCheck(index);
  if (onCheck) onCheck(*this, index);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void CCList::onScroll(int bar, int request) {
  const int moved = applyScrollRequest(hwnd, bar, request, itemHeight);
  if (moved == 0) return;
  (bar == SB_VERT ? scrollY : scrollX) += moved;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void CCList::onWheel(int delta) {
  const bool sideways = keyDown(VK_SHIFT);
  int32_t& offset = sideways ? scrollX : scrollY;
  const int32_t step = sideways ? wheelStepX : wheelStepY;
  const int32_t limit = sideways ? scrollLimit(contentWidth, clientWidth())
                                 : scrollLimit(contentHeight, clientHeight());
  const int32_t moved = std::clamp(offset + (delta < 0 ? step : -step), 0, limit);
  if (moved == offset) return;
  offset = moved;
  updateScrollPos();
  InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT CALLBACK CCList::wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* list = reinterpret_cast<CCList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!list) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      list->paint(hdc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: list->onClick(); return 0;
    case WM_LBUTTONDBLCLK: list->onDoubleClick(); return 0;
    case WM_VSCROLL: list->onScroll(SB_VERT, LOWORD(wParam)); return 0;
    case WM_HSCROLL: list->onScroll(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: list->onWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_CHAR:
    case WM_DESTROY: return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
