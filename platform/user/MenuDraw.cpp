// Drawing menus: the bar in a window's frame and tracked popups.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/user/Menu.h"
#include "platform/user/MenuState.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

constexpr int kBarHeight = 20;  // SM_CYMENU
constexpr int kBarPadding = 7;  // each side of a bar item's text
constexpr int kRowHeight = 22;  // popup item rows
constexpr int kSeparatorHeight = 9;
constexpr int kTextLeft = 28;   // room for the check mark
constexpr int kRightRoom = 24;  // room for the sub-popup arrow
constexpr COLORREF kMenuFace = 0x00FFFFFF;
constexpr COLORREF kPopupFace = 0x00F2F2F2;
constexpr COLORREF kBorder = 0x00CCCCCC;

HFONT menuFont() {
  static HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
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

void drawLabel(HDC dc, const std::u16string& text, RECT r, UINT align, bool grey, bool lit = false) {
  SetTextColor(dc, grey  ? GetSysColor(COLOR_GRAYTEXT)
                   : lit ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                         : GetSysColor(COLOR_WINDOWTEXT));
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

// The bar's width: the window's width inside its frame.
int barWidth(const Window& w) {
  RECT in = nonClientInsets(w);
  return std::max<LONG>(w.rect.right - w.rect.left - 2 * in.left, 0);
}

// Where each item of a bar sits (by position; separators get empty boxes).
std::vector<RECT> barItems(const Menu& m) {
  std::vector<RECT> out;
  Canvas probe(1, 1);
  int x = 0;
  for (const MenuItem& item : m.items) {
    if (item.flags & MF_SEPARATOR) {
      out.push_back(RECT{x, 0, x, 0});
      continue;
    }
    int wItem = textWidth(probe.dc, item.text) + 2 * kBarPadding;
    out.push_back(RECT{x, 0, x + wItem, kBarHeight});
    x += wItem;
  }
  return out;
}

// Where each item of a popup sits, and the popup's size.
std::vector<RECT> popupItems(const Menu& m, SIZE* size) {
  int height = 4, labelWidth = 0, keyWidth = 0;
  Canvas probe(1, 1);
  for (const MenuItem& item : m.items) {
    height += (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kRowHeight;
    auto [label, key] = splitTab(item.text);
    labelWidth = std::max(labelWidth, textWidth(probe.dc, label));
    keyWidth = std::max(keyWidth, textWidth(probe.dc, key));
  }
  int width = kTextLeft + labelWidth + (keyWidth ? 24 + keyWidth : 0) + kRightRoom + 4;
  std::vector<RECT> out;
  int y = 2;
  for (const MenuItem& item : m.items) {
    int h = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kRowHeight;
    out.push_back(RECT{2, y, width - 2, y + h});
    y += h;
  }
  if (size) *size = SIZE{width, height};
  return out;
}

}  // namespace

namespace platform {

Surface menuBarPixels(HWND hwnd, int highlighted) {
  WindowRef w = findWindow(hwnd);
  Menu* m = w && !w->isChild() ? findMenuObject(w->menu) : nullptr;
  if (!m) return Surface{};
  int width = barWidth(*w);
  std::vector<RECT> boxes = barItems(*m);
  Canvas c(width, kBarHeight);
  fill(c.dc, RECT{0, 0, width, kBarHeight}, kMenuFace);
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    if (item.flags & MF_SEPARATOR) continue;
    bool lit = static_cast<int>(i) == highlighted;
    if (lit) fill(c.dc, boxes[i], GetSysColor(COLOR_HIGHLIGHT));
    RECT text{boxes[i].left + kBarPadding, 0, boxes[i].right - kBarPadding, kBarHeight};
    drawLabel(c.dc, item.text, text, DT_LEFT, (item.flags & (MF_GRAYED | MF_DISABLED)) != 0, lit);
  }
  Surface out = c.surface;
  return out;
}

std::vector<RECT> menuBarItemRects(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  Menu* m = w && !w->isChild() ? findMenuObject(w->menu) : nullptr;
  return m ? barItems(*m) : std::vector<RECT>{};
}

Surface popupMenuPixels(HMENU menu, int highlighted) {
  Menu* m = findMenuObject(menu);
  if (!m) return Surface{};
  SIZE size{};
  std::vector<RECT> rows = popupItems(*m, &size);
  int width = size.cx, height = size.cy;
  Canvas c(width, height);
  fill(c.dc, RECT{0, 0, width, height}, kBorder);
  fill(c.dc, RECT{1, 1, width - 1, height - 1}, kPopupFace);
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    int y = rows[i].top;
    if (item.flags & MF_SEPARATOR) {
      fill(c.dc, RECT{kTextLeft - 4, y + 4, width - 4, y + 5}, kBorder);
      continue;
    }
    bool grey = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    bool lit = static_cast<int>(i) == highlighted;
    if (lit) fill(c.dc, rows[i], GetSysColor(COLOR_HIGHLIGHT));
    auto [label, key] = splitTab(item.text);
    RECT row{kTextLeft, y, width - kRightRoom, y + kRowHeight};
    drawLabel(c.dc, label, row, DT_LEFT, grey, lit);
    if (!key.empty()) drawLabel(c.dc, key, row, DT_RIGHT, grey, lit);
    if (item.flags & MF_CHECKED) drawCheck(c.dc, 9, y + 7);
    if (item.popup) drawArrow(c.dc, width - 14, y + 7);
  }
  Surface out = c.surface;
  return out;
}

std::vector<RECT> popupMenuItemRects(HMENU menu) {
  Menu* m = findMenuObject(menu);
  return m ? popupItems(*m, nullptr) : std::vector<RECT>{};
}

}  // namespace platform
