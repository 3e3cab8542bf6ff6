// The whole program under the test driver: the process objects, the main window started
// with a command line of the test's choosing, the registry in a scratch file, and a pump
// that runs the program's own loop body (modeless dialogs, accelerators, dispatch).
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/ProcessObjects.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Driver.h"
#include "platform/user/Kernel.h"
#include "platform/windows.h"
#include "tests/support/Scratch.h"

class AppTest : public ::testing::Test {
 public:
  void SetUp() override {
    setenv("MORVEL_REGISTRY_FILE", dir.native("registry").c_str(), 1);
    testdriver::reset();
    gInputEnabled = true;
  }
  void TearDown() override {
    stopStats();
    if (gMainWnd) DestroyWindow(gMainWnd);
    pump();
    endProcessObjects();
    platform::setCommandLine(u"");
    unsetenv("MORVEL_REGISTRY_FILE");
    gInputEnabled = true;
  }

  // Starts the program as wWinMain does up to its loop, with `args` after the program's
  // path on the command line, and gives the main window a known size.
  void start(const std::u16string& args = u"") {
    platform::setCommandLine(u"\"/opt/morvel/morvel\"" + (args.empty() ? u"" : u" " + args));
    startProcessObjects();
    ASSERT_TRUE(startMainWindow(nullptr, SW_SHOW));
    MoveWindow(gMainWnd, 20, 20, 900, 600, TRUE);
    pump();
  }

  // The program's loop body over everything queued, until idle or WM_QUIT.
  testdriver::PumpResult pump() {
    testdriver::PumpResult r;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        r.quit = true;
        r.exitCode = static_cast<int>(m.wParam);
        break;
      }
      dispatchLoopMessage(m);
      if (++r.dispatched >= 100000) {
        r.limitHit = true;
        break;
      }
    }
    return r;
  }

  // A key with modifiers held, through the program's loop.
  testdriver::PumpResult keys(int vk, unsigned modifiers = testdriver::None) {
    const int mods[] = {VK_CONTROL, VK_SHIFT, VK_MENU};
    if (modifiers & testdriver::Ctrl) testdriver::keyDown(mods[0]);
    if (modifiers & testdriver::Shift) testdriver::keyDown(mods[1]);
    if (modifiers & testdriver::Alt) testdriver::keyDown(mods[2]);
    testdriver::keyDown(vk);
    testdriver::PumpResult r = pump();
    testdriver::keyUp(vk);
    if (modifiers & testdriver::Alt) testdriver::keyUp(mods[2]);
    if (modifiers & testdriver::Shift) testdriver::keyUp(mods[1]);
    if (modifiers & testdriver::Ctrl) testdriver::keyUp(mods[0]);
    const testdriver::PumpResult after = pump();
    r.quit = r.quit || after.quit;
    return r;
  }

  // Chooses a menu command as a click would and runs what follows.
  bool choose(UINT id) {
    const bool ok = platform::chooseMenuCommand(gMainWnd, id);
    pump();
    return ok;
  }

  static std::vector<std::u16string> titles() {
    std::vector<std::u16string> out;
    for (const auto& tab : gTabStrip.tabs) out.push_back(tab.title);
    return out;
  }
  static std::u16string windowText(HWND hwnd) {
    char16_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
  }
  static bool checked(UINT id) { return GetMenuState(GetMenu(gMainWnd), id, MF_BYCOMMAND) & MF_CHECKED; }
  static bool greyed(UINT id) { return GetMenuState(GetMenu(gMainWnd), id, MF_BYCOMMAND) & MF_GRAYED; }
  static std::u16string quoted(const std::u16string& path) { return u"\"" + path + u"\""; }

  testsupport::ScratchDir dir;
};

// The program as if installed in the scratch folder: its plug-in and script folders
// are the test's own.
class AppTestInScratch : public AppTest {
 public:
  void SetUp() override {
    AppTest::SetUp();
    platform::setModuleFileName(dir.path("morvel"));
  }
  void TearDown() override {
    AppTest::TearDown();
    platform::setModuleFileName(u"");
  }
};
