// Tests of the display backend: the layer's windows on a real X server
// (Xvfb), input synthesised at the server with XTest, pixels read back from
// it. The desktop is opened once per process; each test makes its windows
// and destroys them.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/display/Backend.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Surface.h"
#include "platform/user/User.h"

struct _XDisplay;

namespace displaytest {

// The test's own connection to the X server: what a person's keyboard and
// mouse do, and what another program sees.
class Server {
 public:
  Server();
  ~Server();
  bool connected() const { return mDisplay != nullptr; }
  unsigned long root() const;
  // Waits until the keyboard focus is on a window other than `from` (a
  // dialog or chooser that came up over it); false after `ms`.
  bool waitFocusLeaves(unsigned long from, int ms = 5000);
  // Whether no client holds the pointer grabbed (a drag the desktop runs).
  bool pointerFree();
  // Whether the X window is mapped and viewable.
  bool viewable(unsigned long window);
  // Sends what a window manager sends for the close button.
  void closeButton(unsigned long window);
  void move(POINT screen);
  void button(int button, bool down);
  void click(POINT screen, int button = 1);
  void key(unsigned long keysym, bool down);
  void tap(unsigned long keysym);
  void keycode(int code, bool down);
  void sync();
  // The pixels of an X window's area (0x00RRGGBB).
  Surface pixels(unsigned long window, RECT area);

 private:
  ::_XDisplay* mDisplay = nullptr;
};

// One message a window received.
struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class DisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Runs the layer's messages until `done` holds or `ms` pass; the result of `done`.
  bool pumpUntil(const std::function<bool()>& done, int ms = 3000);
  void pumpFor(int ms);
  // A shown top-level window of the recording class, client area `client`
  // at screen point `at`; with `menu` as its menu bar.
  HWND makeWindow(POINT at, SIZE client, DWORD style = WS_OVERLAPPEDWINDOW, HMENU menu = nullptr,
                  HWND owner = nullptr);
  HWND makeChild(HWND parent, RECT rect);
  // Waits until the desktop has mapped the window and presented its pixels.
  void waitShown(HWND top);
  POINT screenOf(HWND hwnd, int x, int y);
  // Messages of the kinds given (all when empty), in order.
  std::vector<Received> messages(std::initializer_list<UINT> kinds = {}) const;
  bool received(UINT message) const;
  void forget() { sLog.clear(); }

  Server mServer;
  std::vector<HWND> mWindows;
  static std::vector<Received> sLog;
  static LRESULT CALLBACK recordProc(HWND, UINT, WPARAM, LPARAM);
};

std::string pngPath(const std::string& name);  // build/tests/display/<name>.png

}  // namespace displaytest
