// The message queue: retrieval order, sending, posting across threads, quit,
// timers.
#include <atomic>
#include <thread>

#include "tests/platform/user/Recorder.h"

using namespace usertest;
using testdriver::pumpUntilIdle;
using Lines = std::vector<std::string>;

namespace {

class MessageTest : public UserTest {};

std::atomic<int> timerProcCalls{0};
void CALLBACK countingTimerProc(HWND, UINT, UINT_PTR, DWORD) { ++timerProcCalls; }

}  // namespace

TEST_F(MessageTest, PostedBeforeInputBeforePaintBeforeTimers) {
  HWND w = make("w", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  pumpUntilIdle();
  SetFocus(w);
  SetTimer(w, 1, 50, nullptr);
  testdriver::advance(0);
  rec().clear();
  platform::advanceClock(60);          // the timer is due
  InvalidateRect(w, nullptr, FALSE);   // a paint is due
  testdriver::keyPress('A');           // input: key down and up
  PostMessageW(w, WM_USER + 1, 0, 0);  // posted last, retrieved first
  pumpUntilIdle();
  // The character that TranslateMessage posts is retrieved before the
  // key-up that is still waiting as input.
  EXPECT_EQ(lines(), (Lines{"w WM_USER+1", "w WM_KEYDOWN", "w WM_CHAR", "w WM_KEYUP", "w WM_PAINT", "w WM_TIMER"}));
  KillTimer(w, 1);
}

TEST_F(MessageTest, SendIsSynchronousAndReturnsTheResult) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  rec().handler = [](HWND, UINT m, WPARAM wp, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return static_cast<LRESULT>(wp * 2);
    return std::nullopt;
  };
  rec().clear();
  EXPECT_EQ(SendMessageW(w, WM_USER, 21, 0), 42);
  EXPECT_EQ(lines(), (Lines{"w WM_USER+0"}));
  EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x123456)), WM_USER, 1, 0), 0);
}

TEST_F(MessageTest, QuitComesAfterPostedMessagesWithItsCode) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  rec().clear();
  PostMessageW(w, WM_USER + 1, 0, 0);
  PostQuitMessage(3);
  PostMessageW(w, WM_USER + 2, 0, 0);
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 1);
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 2);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));  // the quit is taken once
}

TEST_F(MessageTest, PeekWithoutRemoveLeavesTheMessage) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  PostMessageW(w, WM_USER + 3, 7, 8);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, w);
  EXPECT_EQ(m.message, WM_USER + 3);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_EQ(m.lParam, 8);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, PostsToDestroyedWindowsAreDropped) {
  HWND a = make("a", WS_POPUP, 0, 0, 10, 10);
  HWND b = make("b", WS_POPUP, 0, 0, 10, 10);
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  DestroyWindow(a);
  rec().clear();
  pumpUntilIdle();
  EXPECT_EQ(lines(), (Lines{"b WM_USER+2"}));
  EXPECT_FALSE(PostMessageW(a, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(MessageTest, PostsFromOtherThreadsWakeGetMessageInOrder) {
  platform::useRealClock();
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  constexpr int kThreads = 4, kEach = 200;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([=] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      for (int i = 0; i < kEach; ++i) PostMessageW(w, WM_USER + 4, t, i);
    });
  std::vector<int> next(kThreads, 0);
  int received = 0;
  MSG m;
  while (received < kThreads * kEach && GetMessageW(&m, nullptr, 0, 0)) {
    if (m.message != WM_USER + 4) continue;
    EXPECT_EQ(m.lParam, next[m.wParam]++) << "FIFO per posting thread";
    ++received;
  }
  for (auto& t : workers) t.join();
  EXPECT_EQ(received, kThreads * kEach);
}

TEST_F(MessageTest, ThreadMessagesHaveNoWindow) {
  PostMessageW(nullptr, WM_USER + 5, 1, 2);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.message, WM_USER + 5);
}

TEST_F(MessageTest, MessageFilterByWindowAndRange) {
  HWND a = make("a", WS_POPUP, 0, 0, 10, 10);
  HWND child = make("child", WS_CHILD, 0, 0, 5, 5, a);
  HWND b = make("b", WS_POPUP, 0, 0, 10, 10);
  PostMessageW(b, WM_USER + 1, 0, 0);
  PostMessageW(child, WM_USER + 2, 0, 0);
  PostMessageW(a, WM_USER + 9, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, a, 0, 0, PM_REMOVE));  // the window and its children
  EXPECT_EQ(m.hwnd, child);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 5, WM_USER + 10, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 9);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, b);
}

TEST_F(MessageTest, TimersFireOncePerRetrievalWhenDue) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  EXPECT_EQ(SetTimer(w, 7, 100, nullptr), 7u);
  rec().clear();
  testdriver::advance(99);
  EXPECT_TRUE(rec().of(WM_TIMER).empty());
  testdriver::advance(1);
  ASSERT_EQ(rec().of(WM_TIMER).size(), 1u);
  EXPECT_EQ(rec().of(WM_TIMER)[0].wParam, 7u);
  testdriver::advance(350);  // overdue several times over: one WM_TIMER, not three
  EXPECT_EQ(rec().of(WM_TIMER).size(), 2u);
  SetTimer(w, 7, 100, nullptr);  // the same id restarts the timer
  testdriver::advance(50);
  EXPECT_EQ(rec().of(WM_TIMER).size(), 2u);
  EXPECT_TRUE(KillTimer(w, 7));
  EXPECT_FALSE(KillTimer(w, 7));
  testdriver::advance(1000);
  EXPECT_EQ(rec().of(WM_TIMER).size(), 2u);
}

TEST_F(MessageTest, TimerProcsAndThreadTimers) {
  timerProcCalls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 10, countingTimerProc);
  EXPECT_NE(id, 0u);
  testdriver::advance(10);
  EXPECT_EQ(timerProcCalls, 1);
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  SetTimer(w, 1, 5, countingTimerProc);  // elapse below the minimum counts as 10
  rec().clear();
  testdriver::advance(5);
  EXPECT_EQ(timerProcCalls, 1);
  testdriver::advance(5);
  EXPECT_EQ(timerProcCalls, 3);
  EXPECT_TRUE(rec().of(WM_TIMER).empty());  // the procedure took them, not the window
  EXPECT_TRUE(KillTimer(nullptr, id));
  DestroyWindow(w);  // its timers go with it
  testdriver::advance(100);
  EXPECT_EQ(timerProcCalls, 3);
}

TEST_F(MessageTest, TimerWakesGetMessageUnderTheRealClock) {
  platform::useRealClock();
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  SetTimer(w, 2, 30, nullptr);
  DWORD start = GetTickCount();
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_GE(GetTickCount() - start, 29u);
  KillTimer(w, 2);
}

TEST(MessageDeathTest, SendingAcrossThreadsFailsLoudly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        registerTestClasses();
        HWND w = CreateWindowExW(0, kPlainClass, u"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        std::thread([w] { SendMessageW(w, WM_USER, 0, 0); }).join();
      },
      "cross-thread sends");
}
