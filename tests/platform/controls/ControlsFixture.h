// A fixture for the standard controls: a shown top-level window ("the
// parent", button-face background) that records the WM_COMMAND
// notifications its children send and lets a test answer WM_NOTIFY.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/testdriver/Driver.h"
#include "platform/user/User.h"

namespace ctltest {

struct Command {
  int id;
  WORD code;
  HWND from;
  bool operator==(const Command&) const = default;
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A child control of the parent; the test fails when it cannot be made.
  HWND child(LPCWSTR cls, LPCWSTR text, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle = 0);
  // The notification codes control `id` sent, in order.
  std::vector<WORD> codes(int id) const;
  void clearCommands() { commandsLog().clear(); }
  const std::vector<Command>& commands() const { return commandsLog(); }

  // Client point (x, y) of `hwnd` on the screen; clicks there.
  POINT at(HWND hwnd, int x, int y) const { return testdriver::screenPoint(hwnd, x, y); }
  void clickAt(HWND hwnd, int x, int y) {
    testdriver::click(at(hwnd, x, y));
    testdriver::pumpUntilIdle();
  }
  void press(int vk, unsigned modifiers = testdriver::None) {
    testdriver::keyPress(vk, modifiers);
    testdriver::pumpUntilIdle();
  }
  void type(std::u16string_view text) {
    testdriver::typeText(text);
    testdriver::pumpUntilIdle();
  }
  static std::u16string textOf(HWND hwnd);

  void onNotify(std::function<LRESULT(NMHDR*)> f) { notifyHook() = std::move(f); }
  void onCommand(std::function<void(const Command&)> f) { commandHook() = std::move(f); }

  HWND parent = nullptr;

 public:
  static std::vector<Command>& commandsLog();
  // Answers WM_NOTIFY sent to the parent (0 when unset).
  static std::function<LRESULT(NMHDR*)>& notifyHook();
  // Called for WM_COMMAND after it is recorded.
  static std::function<void(const Command&)>& commandHook();
};

}  // namespace ctltest
