#include "tests/platform/controls/ControlsFixture.h"

#include "platform/user/Imm.h"

namespace ctltest {

namespace {

constexpr const char16_t* kParentClass = u"UiTestParent";

LRESULT CALLBACK parentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    Command c{LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)};
    ControlTest::commandsLog().push_back(c);
    if (auto& f = ControlTest::commandHook()) f(c);
    return 0;
  }
  if (message == WM_NOTIFY) {
    auto& f = ControlTest::notifyHook();
    return f ? f(reinterpret_cast<NMHDR*>(lParam)) : 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerParent() {
  static bool done = [] {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = parentProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kParentClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)done;
}

}  // namespace

std::vector<Command>& ControlTest::commandsLog() {
  static std::vector<Command> log;
  return log;
}

std::function<LRESULT(NMHDR*)>& ControlTest::notifyHook() {
  static std::function<LRESULT(NMHDR*)> f;
  return f;
}

std::function<void(const Command&)>& ControlTest::commandHook() {
  static std::function<void(const Command&)> f;
  return f;
}

void ControlTest::SetUp() {
  testdriver::reset();
  platform::imeReset();
  registerParent();
  parent = CreateWindowExW(0, kParentClass, u"parent", WS_POPUP | WS_VISIBLE, 100, 100, 640, 420, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  testdriver::pumpUntilIdle();
  commandsLog().clear();
}

void ControlTest::TearDown() {
  notifyHook() = nullptr;
  commandHook() = nullptr;
  if (IsWindow(parent)) DestroyWindow(parent);
  testdriver::pumpUntilIdle();
  commandsLog().clear();
  platform::useRealClock();
}

HWND ControlTest::child(LPCWSTR cls, LPCWSTR text, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle) {
  HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  EXPECT_NE(c, nullptr);
  testdriver::pumpUntilIdle();
  return c;
}

std::vector<WORD> ControlTest::codes(int id) const {
  std::vector<WORD> out;
  for (const Command& c : commandsLog())
    if (c.id == id) out.push_back(c.code);
  return out;
}

std::u16string ControlTest::textOf(HWND hwnd) {
  std::u16string s(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()))));
  return s;
}

}  // namespace ctltest
