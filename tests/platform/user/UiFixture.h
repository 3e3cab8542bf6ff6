// Shared by the menu, accelerator, dialog, message-box and common-dialog
// tests: small test resources, stub controls, and a fixture that records
// WM_COMMAND.
#pragma once
#include <filesystem>
#include <string>

#include "platform/testdriver/AnswerScript.h"
#include "platform/windows.h"
#include "tests/platform/user/Recorder.h"

namespace uitest {

// Resource ids of the test resources (registered by UiTest).
constexpr WORD kTestMenu = 9001;  // bar: "文件(&F)" {101, 102 greyed, sub {111 checked, 112}}, "编辑(&E)" {201}
constexpr WORD kTestContext = 9002;     // one popup: 301, 302 disabled, separator, 303
constexpr WORD kTestAccel = 9003;       // table like the program's: see AccelTest.cpp
constexpr WORD kTestDialog = 9004;      // edit 1003, check 1000, radios 1001/1002, OK 1 (default), Cancel 2
constexpr WORD kTestBareDialog = 9005;  // one static, no tab stops
constexpr WORD kTestIcon = 9006;        // 2 x 2 icon
constexpr UINT kTestString = 9007;      // "Morvel表格"

// Stub controls: a push/check button that keeps its check state and answers
// WM_GETDLGCODE like a button, and an edit that keeps its text.
extern const char16_t* const kStubButton;
extern const char16_t* const kStubEdit;

// The folder next to the test program where pictures are saved.
std::filesystem::path pictureFolder();

class UiTest : public usertest::UserTest {
 protected:
  void SetUp() override;
  // WM_COMMAND messages the recorded windows received, as (window, wParam).
  std::vector<usertest::Logged> commands() const { return rec().of(WM_COMMAND); }
  usertest::Recorder& rec() const { return usertest::Recorder::get(); }
};

}  // namespace uitest
