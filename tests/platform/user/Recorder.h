// Test windows that record the messages they receive, and a fixture that
// starts each test from a known layer state and destroys its windows.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/testdriver/Driver.h"
#include "platform/user/User.h"

namespace usertest {

struct Logged {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Handler a test installs: a value is returned from the window procedure,
// nothing falls through to DefWindowProcW.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

class Recorder {
 public:
  static Recorder& get();

  void clear() { mLog.clear(); }
  void name(HWND hwnd, std::string n) { mNames[hwnd] = std::move(n); }
  std::string nameOf(HWND hwnd) const;
  // Messages listed here are recorded (the default set is the interesting ones).
  void watch(std::set<UINT> messages) {  // also clears the log
    mWatched = std::move(messages);
    mLog.clear();
  }
  void watchAlso(UINT message) { mWatched.insert(message); }
  void watchDefault();  // the interesting messages (not WM_SETCURSOR, WM_MOUSEMOVE, ...)
  const std::vector<Logged>& log() const { return mLog; }
  // "name MESSAGE" for each recorded message, e.g. "grid WM_CREATE".
  std::vector<std::string> lines() const;
  std::vector<Logged> of(UINT message) const;

  Handler handler;
  std::string pendingName;  // given to the next window at its WM_NCCREATE

  LRESULT dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  Recorder();
  std::vector<Logged> mLog;
  std::map<HWND, std::string> mNames;
  std::set<UINT> mWatched;
};

std::string messageName(UINT message);

// Class names registered once per process.
extern const char16_t* const kPlainClass;     // CS_HREDRAW | CS_VREDRAW, arrow cursor
extern const char16_t* const kDblClickClass;  // also CS_DBLCLKS; cross cursor
extern const char16_t* const kBrushClass;     // COLOR_BTNFACE + 1 background
void registerTestClasses();

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates and names a window of one of the test classes; destroyed at the end.
  HWND make(const std::string& name, DWORD style, int x, int y, int w, int h, HWND parent = nullptr,
            const char16_t* cls = nullptr, DWORD exStyle = 0);
  Recorder& rec() { return Recorder::get(); }
  std::vector<std::string> lines() const { return Recorder::get().lines(); }

  std::vector<HWND> mWindows;
};

}  // namespace usertest
