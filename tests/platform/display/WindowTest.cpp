// Top-level windows on the desktop: titles and placement, the close button,
// modal dialogs, the monitor, and the input method.
#include <X11/keysym.h>

#include <thread>

#include "platform/user/Desktop.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using WindowTest = DisplayTest;

TEST_F(WindowTest, TheCloseButtonSendsWmCloseAndTheProgramDecides) {
  HWND w = makeWindow(POINT{100, 100}, SIZE{200, 100});
  forget();
  mServer.closeButton(platform::display::x11Window(w));
  ASSERT_TRUE(pumpUntil([&] { return received(WM_CLOSE); }));
  auto sys = messages({WM_SYSCOMMAND});
  ASSERT_FALSE(sys.empty());
  EXPECT_EQ(sys[0].wParam & 0xFFF0, SC_CLOSE);
  EXPECT_FALSE(IsWindow(w));  // the default answer destroys it
}

TEST_F(WindowTest, AModalDialogBlocksItsOwnersInput) {
  HWND owner = makeWindow(POINT{100, 100}, SIZE{500, 400});
  SetFocus(owner);
  POINT onOwner = screenOf(owner, 20, 380);
  unsigned long ownerWindow = platform::display::x11Window(owner);
  forget();
  std::thread person([&] {
    Server hand;
    hand.waitFocusLeaves(ownerWindow);  // the box is up
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    hand.click(onOwner);  // refused: the box is up
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    hand.tap(XK_Return);  // the box's default button
  });
  int answer = MessageBoxW(owner, u"文件已经改变，是否要保存?", u"Morvel", MB_YESNOCANCEL);
  person.join();
  EXPECT_EQ(answer, IDYES);
  pumpFor(100);
  bool ownerClicked = false;
  for (const Received& r : messages({WM_LBUTTONDOWN, WM_LBUTTONUP})) ownerClicked |= r.hwnd == owner;
  EXPECT_FALSE(ownerClicked);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(WindowTest, ScreenMetricsComeFromTheMonitor) {
  makeWindow(POINT{100, 100}, SIZE{200, 100});
  // The tests' server is 1600 x 1000, not the headless 1920 x 1080.
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1600);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1000);
}

TEST_F(WindowTest, TheWindowFollowsAMoveByTheDesktop) {
  HWND w = makeWindow(POINT{100, 100}, SIZE{200, 100});
  RECT before;
  GetWindowRect(w, &before);
  forget();
  // What a window manager does when the user drags the title bar.
  MoveWindow(w, before.left, before.top, before.right - before.left, before.bottom - before.top, FALSE);
  auto layout = platform::frameLayout(w);
  RECT frame = layout->frame;
  OffsetRect(&frame, 37, 21);
  platform::frameMovedByDesktop(w, frame);
  RECT after;
  GetWindowRect(w, &after);
  EXPECT_EQ(after.left, before.left + 37);
  EXPECT_EQ(after.top, before.top + 21);
  EXPECT_TRUE(received(WM_MOVE));
  EXPECT_FALSE(received(WM_SIZE));
}

TEST_F(WindowTest, TheInputMethodFeedsTheCompositionCalls) {
  HWND w = makeWindow(POINT{100, 100}, SIZE{200, 100});
  SetFocus(w);
  forget();
  platform::display::imeInput(w, {"zhong", "中"}, "中文");
  ASSERT_TRUE(pumpUntil([&] { return received(WM_IME_ENDCOMPOSITION); }));
  pumpFor(20);
  auto ime = messages({WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION});
  ASSERT_EQ(ime.size(), 5u);
  EXPECT_EQ(ime[0].message, WM_IME_STARTCOMPOSITION);
  EXPECT_EQ(ime[1].lParam, static_cast<LPARAM>(GCS_COMPSTR));
  EXPECT_EQ(ime[3].lParam, static_cast<LPARAM>(GCS_RESULTSTR));
  EXPECT_EQ(ime[3].wParam, static_cast<WPARAM>(u'中'));
  EXPECT_EQ(ime[4].message, WM_IME_ENDCOMPOSITION);
  auto chars = messages({WM_CHAR});  // the default processing of the result
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[1].wParam, static_cast<WPARAM>(u'文'));
}

}  // namespace
}  // namespace displaytest
