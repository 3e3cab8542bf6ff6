// Drawing menus: the bar in a window's frame and tracked popups.
#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/user/menu.h"
#include "platform/user/menustate.h"
#include "platform/user/state.h"
#include "platform/user/window.h"

using namespace platform::user;

namespace {

constexpr int kBarHeight = 20;      // SM_CYMENU
constexpr int kBarPadding = 7;      // each side of a bar item's text
constexpr int kRowHeight = 22;      // popup item rows
constexpr int kSeparatorHeight = 9;
constexpr int kTextLeft = 28;       // room for the check mark
constexpr int kRightRoom = 24;      // room for the sub-popup arrow
constexpr COLORREF kMenuFace = 0x00FFFFFF;
constexpr COLORREF kPopupFace = 0x00F2F2F2;
constexpr COLORREF kBorder = 0x00CCCCCC;

HFONT menuFont() {
  static HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                  u"MS Shell Dlg");
  return font;
}

// The label and the right-aligned part after a tab.
std::pair<std::u16string, std::u16string> splitTab(const std::u16string& text) {
  size_t tab = text.find(u'\t');
  if (tab == std::u16string::npos) return {text, u""};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

int textWidth(HDC dc, const std::u16string& text) {
  if (text.empty()) return 0;
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
  return r.right - r.left;
}

void drawLabel(HDC dc, const std::u16string& text, RECT r, UINT align, bool grey) {
  SetTextColor(dc, grey ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER | align);
}

void fill(HDC dc, RECT r, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

// A small tick: two strokes of two pixels.
void drawCheck(HDC dc, int x, int y) {
  HPEN pen = CreatePen(PS_SOLID, 1, 0x00000000);
  HGDIOBJ old = SelectObject(dc, pen);
  for (int d = 0; d < 2; ++d) {
    MoveToEx(dc, x, y + 3 + d, nullptr);
    LineTo(dc, x + 3, y + 6 + d);
    LineTo(dc, x + 9, y + d);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void drawArrow(HDC dc, int x, int y) {
  HBRUSH b = CreateSolidBrush(0x00000000);
  HGDIOBJ oldBrush = SelectObject(dc, b);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  POINT pts[3] = {{x, y}, {x + 4, y + 4}, {x, y + 8}};
  Polygon(dc, pts, 3);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(b);
}

struct Canvas {
  Surface surface;
  HDC dc = nullptr;
  Canvas(int w, int h) {
    surface.resize(w, h);
    dc = createSurfaceDC(&surface, POINT{0, 0}, RECT{0, 0, w, h});
    SelectObject(dc, menuFont());
    SetBkMode(dc, TRANSPARENT);
  }
  ~Canvas() { deleteSurfaceDC(dc); }
};

}  // namespace

namespace platform {

Surface menuBarPixels(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  Menu* m = w && !w->isChild() ? findMenuObject(w->menu) : nullptr;
  if (!m) return Surface{};
  RECT in = nonClientInsets(*w);
  int width = std::max<LONG>(w->rect.right - w->rect.left - 2 * in.left, 0);  // inside the frame
  Canvas c(width, kBarHeight);
  fill(c.dc, RECT{0, 0, width, kBarHeight}, kMenuFace);
  int x = 0;
  for (const MenuItem& item : m->items) {
    if (item.flags & MF_SEPARATOR) continue;
    int wText = textWidth(c.dc, item.text);
    drawLabel(c.dc, item.text, RECT{x + kBarPadding, 0, x + kBarPadding + wText, kBarHeight}, DT_LEFT,
              (item.flags & (MF_GRAYED | MF_DISABLED)) != 0);
    x += wText + 2 * kBarPadding;
  }
  Surface out = c.surface;
  return out;
}

Surface popupMenuPixels(HMENU menu) {
  Menu* m = findMenuObject(menu);
  if (!m) return Surface{};
  int height = 4, labelWidth = 0, keyWidth = 0;
  {
    Canvas probe(1, 1);
    for (const MenuItem& item : m->items) {
      height += (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kRowHeight;
      auto [label, key] = splitTab(item.text);
      labelWidth = std::max(labelWidth, textWidth(probe.dc, label));
      keyWidth = std::max(keyWidth, textWidth(probe.dc, key));
    }
  }
  int width = kTextLeft + labelWidth + (keyWidth ? 24 + keyWidth : 0) + kRightRoom + 4;
  Canvas c(width, height);
  fill(c.dc, RECT{0, 0, width, height}, kBorder);
  fill(c.dc, RECT{1, 1, width - 1, height - 1}, kPopupFace);
  int y = 2;
  for (const MenuItem& item : m->items) {
    if (item.flags & MF_SEPARATOR) {
      fill(c.dc, RECT{kTextLeft - 4, y + 4, width - 4, y + 5}, kBorder);
      y += kSeparatorHeight;
      continue;
    }
    bool grey = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    auto [label, key] = splitTab(item.text);
    RECT row{kTextLeft, y, width - kRightRoom, y + kRowHeight};
    drawLabel(c.dc, label, row, DT_LEFT, grey);
    if (!key.empty()) drawLabel(c.dc, key, row, DT_RIGHT, grey);
    if (item.flags & MF_CHECKED) drawCheck(c.dc, 9, y + 7);
    if (item.popup) drawArrow(c.dc, width - 14, y + 7);
    y += kRowHeight;
  }
  Surface out = c.surface;
  return out;
}

}  // namespace platform
