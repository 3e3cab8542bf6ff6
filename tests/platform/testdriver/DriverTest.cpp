// The test driver: pumping, answers for blocking calls, window pixels.
#include "platform/png/Png.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/windows.h"
#include "tests/platform/user/Recorder.h"

using namespace usertest;

namespace {

class DriverTest : public UserTest {};

}  // namespace

TEST_F(DriverTest, PumpStopsAtQuitAndAtTheLimit) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  testdriver::pumpUntilIdle();
  PostMessageW(w, WM_USER, 0, 0);
  PostQuitMessage(4);
  PostMessageW(w, WM_USER, 0, 0);
  auto r = testdriver::pumpUntilIdle();
  EXPECT_TRUE(r.quit);
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(r.dispatched, 2);  // posted messages come before the quit
  // A window that never validates keeps asking for WM_PAINT.
  rec().handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    return m == WM_PAINT ? std::optional<LRESULT>(0) : std::nullopt;
  };
  InvalidateRect(w, nullptr, FALSE);
  r = testdriver::pumpUntilIdle(50);
  EXPECT_TRUE(r.limitHit);
  EXPECT_EQ(r.dispatched, 50);
  ValidateRect(w, nullptr);
}

TEST_F(DriverTest, AnswersAreHandedOutByKindAndCallsRecorded) {
  HWND owner = make("owner", WS_POPUP, 0, 0, 10, 10);
  {
    testdriver::AnswerScript script;
    script.answer(u"MessageBoxW", 6 /* IDYES */);
    script.answer(u"MessageBoxW", 2 /* IDCANCEL */);
    script.answer(u"GetOpenFileNameW", TRUE, {u"/data/a.csv", u"/data/b.csv"});
    auto ask = [&](const char16_t* kind, std::u16string text) {
      return platform::askBlocking(platform::BlockingCall{kind, owner, {std::move(text)}});
    };
    auto open = ask(u"GetOpenFileNameW", u"打开");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->texts.size(), 2u);
    EXPECT_EQ(ask(u"MessageBoxW", u"文件已经改变，是否要保存?")->value, 6);
    EXPECT_EQ(ask(u"MessageBoxW", u"second")->value, 2);
    EXPECT_FALSE(ask(u"MessageBoxW", u"third"));  // nothing queued: the call decides
    EXPECT_FALSE(ask(u"TrackPopupMenu", u""));
    ASSERT_EQ(script.calls().size(), 5u);
    EXPECT_EQ(script.calls()[1].call.args[0], u"文件已经改变，是否要保存?");
    EXPECT_EQ(script.calls()[1].call.owner, owner);
    EXPECT_TRUE(script.calls()[1].answered);
    EXPECT_EQ(script.unanswered(), 2u);
    EXPECT_EQ(script.pending(u"MessageBoxW"), 0u);
  }
  EXPECT_FALSE(platform::askBlocking(platform::BlockingCall{u"MessageBoxW", nullptr, {}}));
}

TEST_F(DriverTest, WindowPixelsAreTheChildsPartOfTheSurface) {
  HWND main = make("main", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
  HWND child = make("child", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 30, 20, main);
  HWND inner = make("inner", WS_CHILD | WS_VISIBLE, 25, 5, 20, 20, child);  // sticks out of child
  testdriver::pumpUntilIdle();
  HDC dc = GetDC(main);
  Surface* s = surfaceOfDC(dc);
  ASSERT_NE(s, nullptr);
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x) s->row(y)[x] = static_cast<uint32_t>(y * 1000 + x);
  ReleaseDC(main, dc);
  Surface px = testdriver::windowPixels(child);
  ASSERT_EQ(px.width, 28);
  ASSERT_EQ(px.height, 18);
  EXPECT_EQ(px.at(0, 0), 21u * 1000 + 11);  // inside the 1-pixel border
  EXPECT_EQ(px.at(27, 17), 38u * 1000 + 38);
  Surface in = testdriver::windowPixels(inner);
  ASSERT_EQ(in.width, 20);
  EXPECT_EQ(in.at(0, 0), 26u * 1000 + 36);
  EXPECT_EQ(in.at(2, 0), 26u * 1000 + 38);
  EXPECT_EQ(in.at(3, 0), 0x00FFFFFFu);  // beyond the child's client area: not shown, left white
}

TEST_F(DriverTest, SavedPngHoldsTheWindowsPixels) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 30, 20, nullptr, kBrushClass);
  testdriver::pumpUntilIdle();
  HDC dc = GetDC(w);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT r{5, 5, 10, 8};
  FillRect(dc, &r, blue);
  ReleaseDC(w, dc);
  DeleteObject(blue);
  std::string path = ::testing::TempDir() + "driver_window.png";
  ASSERT_TRUE(testdriver::saveWindowPng(w, path));
  Surface back;
  ASSERT_TRUE(readPng(path, &back));
  Surface shown = testdriver::windowPixels(w);
  EXPECT_EQ(back.width, 30);
  EXPECT_EQ(back.pixels, shown.pixels);
  EXPECT_EQ(back.at(5, 5), 0x000000FFu);
  EXPECT_EQ(back.at(0, 0), 0x00F0F0F0u);
  EXPECT_FALSE(testdriver::saveWindowPng(w, "/no/such/folder/x.png"));
}
