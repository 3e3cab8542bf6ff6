#include "tests/platform/user/Recorder.h"

#include <cstdio>

namespace usertest {

const char16_t* const kPlainClass = u"TestPlain";
const char16_t* const kDblClickClass = u"TestDbl";
const char16_t* const kBrushClass = u"TestBrush";

namespace {

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return Recorder::get().dispatch(hwnd, message, wParam, lParam);
}

const std::map<UINT, const char*>& names() {
  static const std::map<UINT, const char*> n = {{WM_NCCREATE, "WM_NCCREATE"},
                                                {WM_CREATE, "WM_CREATE"},
                                                {WM_SIZE, "WM_SIZE"},
                                                {WM_MOVE, "WM_MOVE"},
                                                {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
                                                {WM_DESTROY, "WM_DESTROY"},
                                                {WM_NCDESTROY, "WM_NCDESTROY"},
                                                {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
                                                {WM_SETFOCUS, "WM_SETFOCUS"},
                                                {WM_KILLFOCUS, "WM_KILLFOCUS"},
                                                {WM_ACTIVATE, "WM_ACTIVATE"},
                                                {WM_PAINT, "WM_PAINT"},
                                                {WM_ERASEBKGND, "WM_ERASEBKGND"},
                                                {WM_TIMER, "WM_TIMER"},
                                                {WM_KEYDOWN, "WM_KEYDOWN"},
                                                {WM_KEYUP, "WM_KEYUP"},
                                                {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
                                                {WM_SYSKEYUP, "WM_SYSKEYUP"},
                                                {WM_CHAR, "WM_CHAR"},
                                                {WM_SYSCHAR, "WM_SYSCHAR"},
                                                {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
                                                {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
                                                {WM_LBUTTONUP, "WM_LBUTTONUP"},
                                                {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
                                                {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
                                                {WM_RBUTTONUP, "WM_RBUTTONUP"},
                                                {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
                                                {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
                                                {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
                                                {WM_CLOSE, "WM_CLOSE"},
                                                {WM_VSCROLL, "WM_VSCROLL"},
                                                {WM_HSCROLL, "WM_HSCROLL"},
                                                {WM_DROPFILES, "WM_DROPFILES"},
                                                {WM_ENABLE, "WM_ENABLE"},
                                                {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
                                                {WM_SETCURSOR, "WM_SETCURSOR"},
                                                {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"}};
  return n;
}

}  // namespace

std::string messageName(UINT message) {
  auto it = names().find(message);
  if (it != names().end()) return it->second;
  if (message >= WM_USER && message < WM_USER + 0x100) return "WM_USER+" + std::to_string(message - WM_USER);
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04x", message);
  return buf;
}

Recorder::Recorder() { watchDefault(); }

void Recorder::watchDefault() {
  mWatched.clear();
  for (auto& [id, name] : names())
    if (id != WM_SETCURSOR && id != WM_MOUSEACTIVATE && id != WM_MOUSEMOVE) mWatched.insert(id);
  for (UINT u = WM_USER; u < WM_USER + 16; ++u) mWatched.insert(u);
}

Recorder& Recorder::get() {
  static Recorder r;
  return r;
}

std::string Recorder::nameOf(HWND hwnd) const {
  auto it = mNames.find(hwnd);
  return it == mNames.end() ? "?" : it->second;
}

std::vector<std::string> Recorder::lines() const {
  std::vector<std::string> out;
  for (const Logged& l : mLog) out.push_back(nameOf(l.hwnd) + " " + messageName(l.message));
  return out;
}

std::vector<Logged> Recorder::of(UINT message) const {
  std::vector<Logged> out;
  for (const Logged& l : mLog)
    if (l.message == message) out.push_back(l);
  return out;
}

LRESULT Recorder::dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE && !pendingName.empty()) {
    mNames[hwnd] = pendingName;
    pendingName.clear();
  }
  if (mWatched.count(message)) mLog.push_back(Logged{hwnd, message, wParam, lParam});
  if (handler)
    if (auto r = handler(hwnd, message, wParam, lParam)) return *r;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerTestClasses() {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = recordingProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPlainClass;
  RegisterClassW(&wc);
  wc.style |= CS_DBLCLKS;
  wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  wc.lpszClassName = kDblClickClass;
  RegisterClassW(&wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kBrushClass;
  RegisterClassW(&wc);
}

void UserTest::SetUp() {
  registerTestClasses();
  testdriver::reset();
  Recorder::get().handler = nullptr;
  Recorder::get().pendingName.clear();
  Recorder::get().watchDefault();
  Recorder::get().clear();
}

void UserTest::TearDown() {
  Recorder::get().handler = nullptr;
  for (auto it = mWindows.rbegin(); it != mWindows.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
  testdriver::pumpUntilIdle();
  Recorder::get().clear();
  platform::useRealClock();
}

HWND UserTest::make(const std::string& name, DWORD style, int x, int y, int w, int h, HWND parent,
                    const char16_t* cls, DWORD exStyle) {
  Recorder::get().pendingName = name;
  HWND hwnd =
      CreateWindowExW(exStyle, cls ? cls : kPlainClass, u"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  EXPECT_NE(hwnd, nullptr) << name;
  Recorder::get().name(hwnd, name);
  mWindows.push_back(hwnd);
  return hwnd;
}

}  // namespace usertest
