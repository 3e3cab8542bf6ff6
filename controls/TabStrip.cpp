#include "controls/TabStrip.h"

#include <algorithm>

#include "controls/ControlFont.h"
#include "controls/ControlIcons.h"
#include "controls/InputState.h"
#include "platform/controls/commctrl.h"
#include "store/FilePath.h"

CCTab gTabStrip;

namespace {

constexpr int kButtonWidth = 17, kButtonHeight = 18;
constexpr int kCloseZone = 15;  // the close button's width at a body's right end

POINT cursorIn(HWND hwnd) {
  POINT pt{};
  GetCursorPos(&pt);
  ScreenToClient(hwnd, &pt);
  return pt;
}

RECT clientOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

}  // namespace

CCTab::CCTab() : font(defaultControlFont()) {
  for (size_t i = 0; i < icons.size(); ++i) icons[i] = loadControlIcon(static_cast<WORD>(153 + i));
}

void CCTab::addTab(CTabData tab) {
  if (tab.onAdd) tab.onAdd(tab);
  tabs.push_back(std::move(tab));
  activate(static_cast<int32_t>(tabs.size()) - 1);
}

void CCTab::showCurrent() {
  CTabData& tab = tabs[current];
  tab.active = 1;
  if (tab.gridWindow) ShowWindow(tab.gridWindow, SW_SHOW);
  // The keyboard was with the documents (hiding the old grid handed it to the strip): it
  // goes on to the new current one, so its keys and accelerators work at once.
  const HWND focus = GetFocus();
  if (tab.gridWindow && hwnd && focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(tab.gridWindow);
  if (tab.onActivate) tab.onActivate(tab);
}

void CCTab::activate(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(tabs.size())) return;
  if (current >= 0) {
    CTabData& old = tabs[current];
    old.active = 0;
    if (old.gridWindow) ShowWindow(old.gridWindow, SW_HIDE);
    if (old.onDeactivate) old.onDeactivate(old);
  }
  current = index;
  showCurrent();
  invalidate();
}

void CCTab::closeTab(int32_t index) {
  const int32_t n = static_cast<int32_t>(tabs.size());
  if (index < 0 || index >= n) return;
  if (tabs[index].onCloseQuery && !tabs[index].onCloseQuery(tabs[index])) return;
  const bool closingCurrent = index == current;
  if (closingCurrent && index == n - 1) --current;  // the previous tab, or none when this was the only one
  else if (index < current) --current;              // the same document, one place further left
  // Otherwise the next tab moves into the closing tab's index and becomes current.
  tabs.erase(tabs.begin() + index);
  if (closingCurrent && current >= 0) showCurrent();
  // Keep the first drawn tab within the tabs, so the row never draws an empty strip.
  firstVisible = std::clamp(firstVisible, 0, std::max(0, static_cast<int32_t>(tabs.size()) - 1));
  invalidate();
  if (tabs.empty()) clearBelowRow();
}

void CCTab::clearBelowRow() {
  if (!hwnd) return;
  const RECT client = clientOf(hwnd);
  HDC dc = GetDC(hwnd);
  HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, client.left, client.top + height, client.right + 2, client.bottom + 2);
  SelectObject(dc, pen);
  ReleaseDC(hwnd, dc);
}

void CCTab::renameCurrent(const std::u16string& path) {
  if (current < 0) return;
  tabs[current].path = path;
  tabs[current].title = fileNameOfPath(path);
  invalidate();
}

std::u16string CCTab::uniqueTitle(const std::u16string& title) const {
  auto taken = [this](const std::u16string& t) {
    return std::any_of(tabs.begin(), tabs.end(), [&](const CTabData& tab) { return tab.title == t; });
  };
  if (!taken(title)) return title;
  for (size_t i = 1;; ++i) {
    std::u16string candidate = title;
    for (char c : std::to_string(i)) candidate += static_cast<char16_t>(c);
    if (!taken(candidate)) return candidate;
  }
}

int32_t CCTab::findByPath(const std::u16string& path) const {
  for (size_t i = 0; i < tabs.size(); ++i)
    if (tabs[i].path == path) return static_cast<int32_t>(i);
  return -1;
}

CCTab::CTabData* CCTab::findByTitle(const std::u16string& title) {
  for (CTabData& tab : tabs)
    if (tab.title == title) return &tab;
  return nullptr;
}

CCTab::CTabData* CCTab::tabOfWindow(HWND gridWindow) {
  for (CTabData& tab : tabs)
    if (tab.gridWindow == gridWindow) return &tab;
  return nullptr;
}

TabHit CCTab::hitTest() const {
  TabHit hit;
  hit.index = -1;
  const RECT c = clientOf(hwnd);
  const POINT p = cursorIn(hwnd);
  if (p.x < c.left || p.x > c.right || p.y < c.top || p.y > c.bottom) return hit;
  const RECT buttons{c.right - buttonArea + buttonOffset, c.top + 5, c.right - buttonOffset,
                     c.top + height - 1 - 5};
  if (p.x >= buttons.left && p.x <= buttons.right && p.y >= buttons.top && p.y <= buttons.bottom) {
    hit.rect = buttons;
    hit.kind = p.x < buttons.left + kButtonWidth ? TabHit::ScrollLeft : TabHit::ScrollRight;
    return hit;
  }
  const LONG x0 = c.left + leftMargin;
  if (p.x < x0 || p.x > c.right - buttonArea) return hit;
  const int32_t pitch = tabWidth + separatorWidth;
  const int32_t slot = (p.x - c.left - leftMargin) / pitch;
  const int32_t index = slot + firstVisible;
  if (index >= static_cast<int32_t>(tabs.size())) return hit;
  const LONG body = x0 + separatorWidth + slot * pitch;
  hit.index = index;
  hit.rect = RECT{body, c.top, body + tabWidth - 1, c.top + height - 1};
  const int32_t offset = (p.x - c.left - leftMargin) % pitch;
  const bool onClose = offset >= pitch - kCloseZone && p.y >= c.top + 6 && p.y <= c.top + 20;
  hit.kind = onClose ? TabHit::CloseButton : TabHit::Body;
  return hit;
}

void CCTab::invalidate() {
  if (!hwnd) return;
  RECT row = clientOf(hwnd);
  row.bottom = row.top + height;
  InvalidateRect(hwnd, &row, FALSE);
}

bool CCTab::overflows(LONG left, LONG right) const {
  const int32_t shown = static_cast<int32_t>(tabs.size()) - firstVisible;
  return right - buttonArea - leftMargin - left < (shown + 1) * separatorWidth + shown * tabWidth;
}

void CCTab::paintTabs(const RECT& c) {
  HDC dc = canvas.mDc;
  const LONG x0 = c.left + leftMargin, end = c.right - buttonArea;
  const int32_t n = static_cast<int32_t>(tabs.size());
  const RECT row{c.left, c.top, c.right, c.top + height - 1};
  const POINT p = cursorIn(hwnd);
  auto piece = [&](int resource, LONG x, LONG y, int w, int h) {
    DrawIconEx(dc, x, y, icon(resource), w, h, 0, nullptr, DI_NORMAL);
  };
  canvas.pushClip(row);
  piece(firstVisible == current ? 154 : 153, x0, c.top, separatorWidth, height);
  LONG x = x0 + separatorWidth;
  for (int32_t i = firstVisible; i < n; ++i) {
    const CTabData& tab = tabs[i];
    const bool isCurrent = i == current;
    piece(isCurrent ? 161 : 160, x, c.top, tabWidth, height);
    piece(164, x + 3, c.top + 6, 16, 16);
    const std::u16string shown = canvas.fitText(tab.title, tabWidth - 43, tab.modified != 0);
    canvas.drawTextInRect(RECT{x + 26, c.top, x + tabWidth - 17, c.top + height - 1}, shown, 4);
    x += tabWidth;
    const bool overClose = p.x >= x - kCloseZone && p.x <= x - 1 && p.y >= c.top + 6 && p.y <= c.top + 20;
    if (overClose) piece(isCurrent ? 163 : 162, x - 15, c.top + 6, 14, 14);
    else piece(isCurrent ? 170 : 169, x - 13, c.top + 10, 8, 8);
    int separator = 155;
    if (i == n - 1) separator = isCurrent ? 159 : 158;
    else if (isCurrent) separator = 157;
    else if (i + 1 == current) separator = 156;
    piece(separator, x, c.top, separatorWidth, height);
    x += separatorWidth;
    if (x >= end) break;
  }
  canvas.popClip();
}

void CCTab::paintScrollButtons(const RECT& c) {
  HDC dc = canvas.mDc;
  const LONG x = c.right - buttonArea + buttonOffset, y = c.top + 5;
  DrawIconEx(dc, x, y, icon(firstVisible >= 1 ? 165 : 167), kButtonWidth, kButtonHeight, 0, nullptr, DI_NORMAL);
  DrawIconEx(dc, x + kButtonWidth, y, icon(overflows(c.left, c.right) ? 166 : 168), kButtonWidth, kButtonHeight, 0,
             nullptr, DI_NORMAL);
}

void CCTab::paint(HDC hdc, RECT rcPaint) {
  const RECT c = clientOf(hwnd);
  HDC dc = canvas.mDc;
  canvas.setBrush(0xFFFFFF);
  HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, c.left, c.top, c.right + 2, c.top + height + 1);
  SelectObject(dc, pen);
  canvas.setPen(borderColour, 1);
  canvas.drawLine(c.left, c.top + height - 1, c.right, c.top + height - 1);
  if (!tabs.empty() && c.left + leftMargin < c.right - buttonArea) paintTabs(c);
  paintScrollButtons(c);
  canvas.copyTo(hdc, rcPaint);
}

std::u16string CCTab::tooltipText(const TabHit& hit) const {
  switch (hit.kind) {
    case TabHit::CloseButton: return u"关闭文件";
    case TabHit::ScrollLeft: return u"前一个标签";
    case TabHit::ScrollRight: return u"后一个标签";
    case TabHit::Body:
      if (hit.index >= 0 && hit.index < static_cast<int32_t>(tabs.size()))
        return tabs[hit.index].title.substr(0, 79);
      return {};
    default: return {};
  }
}

void CCTab::focusCurrent() {
  if (current >= 0 && tabs[current].gridWindow) SetFocus(tabs[current].gridWindow);
}

void CCTab::onMouseMove() {
  const TabHit h = hitTest();
  const bool closeInvolved = h.kind == TabHit::CloseButton || hover.kind == TabHit::CloseButton;
  if (closeInvolved && (h.index != hover.index || h.kind != hover.kind)) invalidate();
  hover = h;
}

void CCTab::onButtonUp() {
  const TabHit h = hitTest();
  const RECT c = clientOf(hwnd);
  switch (h.kind) {
    case TabHit::CloseButton: closeTab(h.index); break;
    case TabHit::ScrollLeft:
      if (firstVisible > 0) {
        --firstVisible;
        invalidate();
      }
      break;
    case TabHit::ScrollRight:
      if (firstVisible < static_cast<int32_t>(tabs.size()) - 1 && overflows(c.left, c.right)) {
        ++firstVisible;
        invalidate();
      }
      break;
    case TabHit::Body: activate(h.index); break;
    default: break;
  }
  focusCurrent();
}

LRESULT CCTab::onNotify(LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header || header->code != TTN_GETDISPINFOW) return 0;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
  const std::u16string text = tooltipText(hitTest());
  const size_t count = std::min<size_t>(text.size(), 79);
  std::copy_n(text.begin(), count, info->szText);
  info->szText[count] = 0;
  info->lpszText = info->szText;
  return 0;
}

LRESULT CALLBACK CCTab::wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* stored = reinterpret_cast<CCTab*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  CCTab& strip = stored ? *stored : gTabStrip;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      strip.paint(hdc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NOTIFY: return strip.onNotify(lParam);
    case WM_MOUSEMOVE: strip.onMouseMove(); return 0;
    case WM_LBUTTONDOWN:
      if (gInputEnabled) strip.focusCurrent();
      return 0;
    case WM_LBUTTONUP:
      if (gInputEnabled) strip.onButtonUp();
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (!gInputEnabled) return 0;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_DROPFILES:
      if (strip.onDropFiles) strip.onDropFiles(reinterpret_cast<HDROP>(wParam));
      else DragFinish(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_TAB_MODIFIED:
      if (CTabData* tab = strip.tabOfWindow(reinterpret_cast<HWND>(wParam))) tab->modified = lParam != 0;
      strip.invalidate();
      return 0;
    case WM_DESTROY: return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}
