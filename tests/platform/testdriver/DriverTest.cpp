// The test driver: pumping, reset, chords, answers for blocking calls (and
// the answers no user could give), window pixels.
#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/png/Png.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/windows.h"
#include "tests/platform/user/UiFixture.h"

using namespace usertest;

namespace {

class DriverTest : public uitest::UiTest {};

std::vector<WORD> gCommands;  // what endOnCommand received

// Disables control lParam (when not 0); ends on any command with its id.
INT_PTR CALLBACK endOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    if (lParam) EnableWindow(GetDlgItem(dialog, static_cast<int>(lParam)), FALSE);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  gCommands.push_back(LOWORD(wParam));
  EndDialog(dialog, LOWORD(wParam));
  return TRUE;
}

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

// Acts queued before an answer run while the box waits, one per wait; what each posts
// is delivered by the box's own loop before the next act and before the answer.
TEST_F(DriverTest, ActsRunWhileAModalCallWaitsAndTheirInputComesFirst) {
  HWND other = make("other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  testdriver::pumpUntilIdle();
  std::vector<std::string> order;
  rec().handler = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (h == other && m == WM_USER) order.push_back("posted " + std::to_string(w));
    return std::nullopt;
  };
  testdriver::AnswerScript script;
  for (int i = 1; i <= 2; ++i)
    script.actFirst(u"MessageBoxW", [&, i] {
      order.push_back("act " + std::to_string(i));
      PostMessageW(other, WM_USER, i, 0);
    });
  script.answer(u"MessageBoxW", IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"?", u"", MB_YESNO), IDNO);
  EXPECT_EQ(order, (std::vector<std::string>{"act 1", "posted 1", "act 2", "posted 2"}));
  EXPECT_EQ(script.calls().size(), 1u);
  // A call without a loop of its own cannot wait: it finds no answer.
  script.actFirst(u"GetOpenFileNameW", [&] { order.push_back("act 3"); });
  EXPECT_FALSE(platform::askBlocking(platform::BlockingCall{u"GetOpenFileNameW", nullptr, {}}));
  EXPECT_EQ(order.back(), "act 3");
  rec().handler = nullptr;
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

// reset() drops what is queued but does the pending paints: it returns even
// when a shown window waits for WM_PAINT, and one that never validates is
// validated. Run in a child process that an alarm ends if reset() hangs.
TEST_F(DriverTest, ResetReturnsWithPaintsPending) {
  struct Case {
    const char* what;
    bool validates;  // the window's WM_PAINT calls BeginPaint/EndPaint
  } cases[] = {{"a window that paints", true}, {"a window that never validates", false}};
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          alarm(10);
          HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30);
          int paints = 0;
          rec().handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (m != WM_PAINT) return std::nullopt;
            ++paints;
            if (!c.validates) return 0;
            PAINTSTRUCT ps;
            BeginPaint(w, &ps);
            EndPaint(w, &ps);
            return 0;
          };
          InvalidateRect(w, nullptr, TRUE);
          PostMessageW(w, WM_USER, 0, 0);
          testdriver::reset();
          MSG m;
          bool left = PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
          std::_Exit(paints == 1 && !left && !GetUpdateRect(w, nullptr, FALSE) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << c.what;
  }
}

// keyPress queues everything before the pump, so a handler's
// GetAsyncKeyState finds Ctrl up; chord and holding keep it down while the
// key or click is handled.
TEST_F(DriverTest, ChordsHoldTheModifiersWhileTheKeyIsHandled) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  SetFocus(w);
  testdriver::pumpUntilIdle();
  struct Seen {
    bool asyncCtrl = false, syncCtrl = false, asyncShift = false;
  } seen;
  rec().handler = [&](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if ((m == WM_KEYDOWN && wp == 'C') || m == WM_LBUTTONDOWN) {
      seen.asyncCtrl = GetAsyncKeyState(VK_CONTROL) < 0;
      seen.syncCtrl = GetKeyState(VK_CONTROL) < 0;
      seen.asyncShift = GetAsyncKeyState(VK_SHIFT) < 0;
    }
    return std::nullopt;
  };
  POINT at = testdriver::screenPoint(w, 10, 10);
  struct Case {
    const char* what;
    std::function<void()> act;
    bool asyncCtrl, syncCtrl, asyncShift;
  } cases[] = {
      {"keyPress: Ctrl already up when handled",
       [] {
         testdriver::keyPress('C', testdriver::Ctrl);
         testdriver::pumpUntilIdle();
       },
       false, true, false},
      {"chord Ctrl+C", [] { testdriver::chord('C', testdriver::Ctrl); }, true, true, false},
      {"chord Ctrl+Shift+C", [] { testdriver::chord('C', testdriver::Ctrl | testdriver::Shift); }, true, true,
       true},
      {"Shift+click", [&] { testdriver::holding(testdriver::Shift, [&] { testdriver::click(at); }); }, false, false,
       true},
  };
  for (const Case& c : cases) {
    seen = Seen{};
    c.act();
    EXPECT_EQ(seen.asyncCtrl, c.asyncCtrl) << c.what;
    EXPECT_EQ(seen.syncCtrl, c.syncCtrl) << c.what;
    EXPECT_EQ(seen.asyncShift, c.asyncShift) << c.what;
    EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0) << c.what;  // all up again afterwards
    EXPECT_GE(GetKeyState(VK_SHIFT), 0) << c.what;
  }
}

// A scripted press of a disabled button is refused: no WM_COMMAND, a test
// failure naming the button, and the dialog goes on as if unanswered.
TEST_F(DriverTest, AnswersPressingADisabledButtonAreRefused) {
  HWND main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300);
  testdriver::pumpUntilIdle();
  struct Case {
    const char* what;
    int disabled;  // control disabled in WM_INITDIALOG (0: none)
    int answer;
    INT_PTR result;
    const char* failure;  // text of the reported failure, null for none
  } cases[] = {
      {"enabled OK", 0, IDOK, IDOK, nullptr},
      {"disabled OK: refused, then unanswered gives Cancel", IDOK, IDOK, IDCANCEL, "disabled button 1"},
      {"disabled check box", 1000, 1000, IDCANCEL, "disabled button 1000"},
      {"another button disabled", 1000, IDOK, IDOK, nullptr},
  };
  for (const Case& c : cases) {
    gCommands.clear();
    testdriver::AnswerScript script;
    script.answer(u"DialogBoxParamW", c.answer);
    ::testing::TestPartResultArray failures;
    INT_PTR result;
    {
      ::testing::ScopedFakeTestPartResultReporter reporter(
          ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
      result = DialogBoxParamW(nullptr, MAKEINTRESOURCEW(uitest::kTestDialog), main, endOnCommand, c.disabled);
    }
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(gCommands, std::vector<WORD>{static_cast<WORD>(c.result)}) << c.what;  // only the press that ended it
    if (c.failure) {
      ASSERT_EQ(failures.size(), 1) << c.what;
      EXPECT_THAT(failures.GetTestPartResult(0).message(), ::testing::EndsWith(c.failure)) << c.what;
      ASSERT_EQ(script.refused().size(), 1u) << c.what;
      EXPECT_EQ(script.refused()[0].call.kind, u"DialogBoxParamW");
    } else {
      EXPECT_EQ(failures.size(), 0) << c.what;
      EXPECT_TRUE(script.refused().empty()) << c.what;
    }
  }
}
