// The display tests' fixture.
#include "tests/platform/display/DisplayFixture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <thread>

#include "platform/user/Desktop.h"
#include "platform/user/Inject.h"

namespace displaytest {

std::vector<Received> DisplayTest::sLog;

Server::Server() { mDisplay = XOpenDisplay(nullptr); }

Server::~Server() {
  if (mDisplay) XCloseDisplay(mDisplay);
}

void Server::move(POINT p) {
  XTestFakeMotionEvent(mDisplay, -1, p.x, p.y, CurrentTime);
  sync();
}

void Server::button(int b, bool down) {
  XTestFakeButtonEvent(mDisplay, static_cast<unsigned>(b), down, CurrentTime);
  sync();
}

void Server::click(POINT p, int b) {
  move(p);
  button(b, true);
  button(b, false);
}

void Server::key(unsigned long keysym, bool down) {
  KeyCode code = XKeysymToKeycode(mDisplay, keysym);
  XTestFakeKeyEvent(mDisplay, code, down, CurrentTime);
  sync();
}

void Server::keycode(int code, bool down) {
  XTestFakeKeyEvent(mDisplay, static_cast<unsigned>(code), down, CurrentTime);
  sync();
}

void Server::tap(unsigned long keysym) {
  key(keysym, true);
  key(keysym, false);
}

void Server::sync() { XSync(mDisplay, False); }

unsigned long Server::root() const { return DefaultRootWindow(mDisplay); }

bool Server::waitFocusLeaves(unsigned long from, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(mDisplay, &focus, &revert);
    if (focus != from && focus != None && focus != PointerRoot) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool Server::pointerFree() {
  if (XGrabPointer(mDisplay, DefaultRootWindow(mDisplay), False, 0, GrabModeAsync, GrabModeAsync, None, None,
                   CurrentTime) != GrabSuccess)
    return false;
  XUngrabPointer(mDisplay, CurrentTime);
  sync();
  return true;
}

bool Server::viewable(unsigned long window) {
  XWindowAttributes a;
  return window && XGetWindowAttributes(mDisplay, window, &a) && a.map_state == IsViewable;
}

void Server::closeButton(unsigned long window) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(mDisplay, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(mDisplay, window, False, NoEventMask, &e);
  sync();
}

Surface Server::pixels(unsigned long window, RECT a) {
  Surface out;
  XImage* image = XGetImage(mDisplay, window, a.left, a.top, static_cast<unsigned>(a.right - a.left),
                            static_cast<unsigned>(a.bottom - a.top), AllPlanes, ZPixmap);
  if (!image) return out;
  out.resize(a.right - a.left, a.bottom - a.top);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) out.row(y)[x] = static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
  XDestroyImage(image);
  return out;
}

void DisplayTest::SetUpTestSuite() {
  // Linked into a headless test program (with the test driver) there is no desktop to test.
  if (platform::headlessPinned()) return;
  static bool opened = [] {
    platform::setDesktopOpener(platform::display::open);
    platform::Desktop* d = platform::desktop(true);
    return d != nullptr;
  }();
  ASSERT_TRUE(opened) << "no display: run under xvfb-run";
}

void DisplayTest::SetUp() {
  if (platform::headlessPinned()) GTEST_SKIP() << "a headless test program";
  ASSERT_TRUE(mServer.connected());
  sLog.clear();
  static bool registered = [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = recordProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = u"DisplayTest";
    return RegisterClassW(&wc) != 0;
  }();
  ASSERT_TRUE(registered);
}

void DisplayTest::TearDown() {
  if (platform::headlessPinned() || !mServer.connected()) return;
  for (auto it = mWindows.rbegin(); it != mWindows.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
  pumpFor(50);
  // Buttons and keys the test left down go up.
  for (int b = 1; b <= 3; ++b) mServer.button(b, false);
}

LRESULT CALLBACK DisplayTest::recordProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  sLog.push_back(Received{hwnd, message, wParam, lParam});
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    // A pattern of 4-pixel blocks coloured by their place in the client area.
    for (int y = ps.rcPaint.top & ~3; y < ps.rcPaint.bottom; y += 4)
      for (int x = ps.rcPaint.left & ~3; x < ps.rcPaint.right; x += 4) {
        HBRUSH b = CreateSolidBrush(RGB((x * 9) & 0xFF, (y * 13) & 0xFF, ((x + y) * 3) & 0xFF));
        RECT block{x, y, x + 4, y + 4};
        FillRect(dc, &block, b);
        DeleteObject(b);
      }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool DisplayTest::pumpUntil(const std::function<bool()>& done, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  platform::Desktop* d = platform::desktop();
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    } else {
      d->wait(10);
    }
  }
  return true;
}

void DisplayTest::pumpFor(int ms) {
  pumpUntil([] { return false; }, ms);
}

HWND DisplayTest::makeWindow(POINT at, SIZE client, DWORD style, HMENU menu, HWND owner) {
  RECT r{at.x, at.y, at.x + client.cx, at.y + client.cy};
  HWND probe = CreateWindowExW(0, u"DisplayTest", u"probe", style, 0, 0, 100, 100, owner, menu, nullptr, nullptr);
  // The frame around the client area of this style (and menu).
  RECT wr, cr;
  GetWindowRect(probe, &wr);
  GetClientRect(probe, &cr);
  POINT o{0, 0};
  ClientToScreen(probe, &o);
  SetMenu(probe, nullptr);
  DestroyWindow(probe);
  int left = o.x - wr.left, top = o.y - wr.top;
  int right = (wr.right - wr.left) - left - cr.right, bottom = (wr.bottom - wr.top) - top - cr.bottom;
  HWND hwnd = CreateWindowExW(0, u"DisplayTest", u"显示测试", style, r.left - left, r.top - top,
                              client.cx + left + right, client.cy + top + bottom, owner, menu, nullptr, nullptr);
  mWindows.push_back(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  waitShown(hwnd);
  return hwnd;
}

HWND DisplayTest::makeChild(HWND parent, RECT r) {
  return CreateWindowExW(0, u"DisplayTest", u"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, parent, nullptr, nullptr, nullptr);
}

void DisplayTest::waitShown(HWND top) {
  ASSERT_TRUE(pumpUntil([&] { return mServer.viewable(platform::display::x11Window(top)); }))
      << "the window was never mapped";
  pumpFor(100);  // its first frame
}

POINT DisplayTest::screenOf(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  return p;
}

std::vector<Received> DisplayTest::messages(std::initializer_list<UINT> kinds) const {
  std::vector<Received> out;
  for (const Received& r : sLog)
    if (kinds.size() == 0 || std::find(kinds.begin(), kinds.end(), r.message) != kinds.end()) out.push_back(r);
  return out;
}

bool DisplayTest::received(UINT message) const { return !messages({message}).empty(); }

std::string pngPath(const std::string& name) {
  // Beside the test program: build/tests/display/.
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : "./x";
  std::string folder = exe.substr(0, exe.rfind('/')) + "/display";
  mkdir(folder.c_str(), 0755);
  return folder + "/" + name + ".png";
}

}  // namespace displaytest
