#include "platform/testdriver/Driver.h"

#include <algorithm>
#include <functional>

#include "platform/png/Png.h"
#include "platform/user/Desktop.h"
#include "platform/user/Inject.h"
#include "platform/user/State.h"

namespace testdriver {

namespace {

// A program linked with the driver stays headless even where a display is
// present: its windows are driven from here.
const bool kHeadless = (platform::pinHeadless(), true);

UINT downMessage(Button b) {
  return b == Button::Left ? WM_LBUTTONDOWN : b == Button::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}

UINT upMessage(Button b) {
  return b == Button::Left ? WM_LBUTTONUP : b == Button::Right ? WM_RBUTTONUP : WM_MBUTTONUP;
}

}  // namespace

PumpResult pumpUntilIdle(int limit) {
  PumpResult r;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      r.quit = true;
      r.exitCode = static_cast<int>(m.wParam);
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
    if (++r.dispatched >= limit) {
      r.limitHit = true;
      break;
    }
  }
  return r;
}

void reset(DWORD startMs) {
  platform::resetInput();
  platform::resetClipboard();
  platform::setManualClock(startMs);
  // Everything queued is dropped but paints: a paint is done (or, when the
  // window does not validate, validated), so the loop ends.
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message != WM_PAINT) continue;
    DispatchMessageW(&m);
    if (IsWindow(m.hwnd) && GetUpdateRect(m.hwnd, nullptr, FALSE)) ValidateRect(m.hwnd, nullptr);
  }
}

PumpResult advance(DWORD ms) {
  platform::advanceClock(ms);
  return pumpUntilIdle();
}

POINT screenPoint(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  return p;
}

void mouseMove(POINT screen) { platform::injectMouse(WM_MOUSEMOVE, screen); }
void mouseDown(POINT screen, Button b) { platform::injectMouse(downMessage(b), screen); }
void mouseUp(POINT screen, Button b) { platform::injectMouse(upMessage(b), screen); }

void click(POINT screen, Button b) {
  mouseDown(screen, b);
  mouseUp(screen, b);
}

void doubleClick(POINT screen) {
  click(screen);
  click(screen);
}

void wheel(POINT screen, int delta) { platform::injectMouse(WM_MOUSEWHEEL, screen, delta); }

void keyDown(int vk) { platform::injectKey(vk, true); }
void keyUp(int vk) { platform::injectKey(vk, false); }

namespace {

void modifiersDown(unsigned modifiers) {
  if (modifiers & Ctrl) keyDown(VK_CONTROL);
  if (modifiers & Shift) keyDown(VK_SHIFT);
  if (modifiers & Alt) keyDown(VK_MENU);
}

void modifiersUp(unsigned modifiers) {
  if (modifiers & Alt) keyUp(VK_MENU);
  if (modifiers & Shift) keyUp(VK_SHIFT);
  if (modifiers & Ctrl) keyUp(VK_CONTROL);
}

}  // namespace

void keyPress(int vk, unsigned modifiers) {
  modifiersDown(modifiers);
  keyDown(vk);
  keyUp(vk);
  modifiersUp(modifiers);
}

PumpResult holding(unsigned modifiers, const std::function<void()>& input) {
  PumpResult total;
  auto pump = [&total] {
    PumpResult r = pumpUntilIdle();
    total.dispatched += r.dispatched;
    if (r.quit) total.quit = true, total.exitCode = r.exitCode;
    total.limitHit = total.limitHit || r.limitHit;
  };
  modifiersDown(modifiers);
  pump();
  input();
  pump();
  modifiersUp(modifiers);
  pump();
  return total;
}

PumpResult chord(int vk, unsigned modifiers) {
  return holding(modifiers, [vk] {
    keyDown(vk);
    keyUp(vk);
  });
}

void typeChar(char16_t ch) { platform::injectChar(ch); }

void typeText(std::u16string_view text) {
  for (char16_t c : text) typeChar(c);
}

HWND dropFiles(POINT screen, const std::vector<std::u16string>& paths) {
  return platform::dropFilesAt(screen, paths);
}

void scroll(HWND hwnd, int bar, int request, int thumb) {
  if (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) platform::setScrollTrackPos(hwnd, bar, thumb);
  WPARAM wp =
      MAKEWPARAM(request, (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) ? static_cast<WORD>(thumb) : 0);
  SendMessageW(hwnd, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, wp, 0);
}

void closeBox(HWND hwnd) { SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

Surface windowPixels(HWND hwnd) {
  using namespace platform::user;
  Surface out;
  WindowRef w = findWindow(hwnd);
  if (!w) return out;
  WindowRef top = topLevelOf(w);
  if (!top->surface) return out;
  const Surface& s = *top->surface;
  RECT area = visibleClientInSurface(*w);
  RECT bounds{0, 0, s.width, s.height};
  POINT origin = clientOriginInSurface(*w);
  SIZE size = clientSize(*w);
  out.resize(size.cx, size.cy);
  if (!IntersectRect(&area, &area, &bounds)) return out;
  for (LONG y = area.top; y < area.bottom; ++y)
    std::copy(s.row(y) + area.left, s.row(y) + area.right, out.row(y - origin.y) + (area.left - origin.x));
  return out;
}

bool saveWindowPng(HWND hwnd, const std::string& path) { return writePng(windowPixels(hwnd), path); }

}  // namespace testdriver
