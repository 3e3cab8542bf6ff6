// Buttons as the dialogs use them: clicks by mouse and Space, automatic
// check boxes and radio groups, BM_GETCHECK / BM_SETCHECK, BN_CLICKED, the
// disabled state, group boxes letting clicks through.
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;
using Codes = std::vector<WORD>;

namespace {

class ButtonTest : public ControlTest {};

LRESULT check(HWND b) { return SendMessageW(b, BM_GETCHECK, 0, 0); }

struct ClickCase {
  const char* name;
  DWORD type;
  std::vector<LRESULT> checksAfterClicks;  // BM_GETCHECK after the first, second, third click
};

}  // namespace

TEST_F(ButtonTest, EachKindClicksAsThePlatformDoes) {
  const ClickCase cases[] = {
      {"push", BS_PUSHBUTTON, {0, 0, 0}},
      {"default push", BS_DEFPUSHBUTTON, {0, 0, 0}},
      {"check box (program checks it)", BS_CHECKBOX, {0, 0, 0}},
      {"automatic check box", BS_AUTOCHECKBOX, {1, 0, 1}},
      {"automatic three-state", BS_AUTO3STATE, {1, 2, 0}},
      {"radio (program checks it)", BS_RADIOBUTTON, {0, 0, 0}},
      {"automatic radio", BS_AUTORADIOBUTTON, {1, 1, 1}},
  };
  int id = 2000;
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    HWND b = child(u"Button", u"确定", c.type, 10, 10, 120, 24, ++id);
    clearCommands();
    for (LRESULT expected : c.checksAfterClicks) {
      clickAt(b, 20, 12);
      EXPECT_EQ(check(b), expected);
    }
    EXPECT_EQ(codes(id), (Codes{BN_CLICKED, BN_CLICKED, BN_CLICKED}));
    EXPECT_EQ(commands().back().from, b);
    DestroyWindow(b);
  }
}

TEST_F(ButtonTest, AutomaticRadiosClearTheOthersOfTheirGroupOnly) {
  HWND a = child(u"Button", u"普通", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 120, 20, 1019);
  HWND b = child(u"Button", u"扩展(\\r,\\n,\\t)", BS_AUTORADIOBUTTON, 10, 32, 120, 20, 1001);
  HWND c = child(u"Button", u"正则表达式", BS_AUTORADIOBUTTON, 10, 54, 120, 20, 1020);
  HWND other = child(u"Button", u"另一组", BS_AUTORADIOBUTTON | WS_GROUP, 10, 76, 120, 20, 1030);
  SendMessageW(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(commands().empty());  // BM_SETCHECK does not notify
  clickAt(c, 5, 10);
  EXPECT_EQ(check(a), 0);
  EXPECT_EQ(check(b), 0);
  EXPECT_EQ(check(c), 1);
  EXPECT_EQ(check(other), 1);  // the next WS_GROUP starts another group
  EXPECT_EQ(codes(1020), (Codes{BN_CLICKED}));
  EXPECT_EQ(GetFocus(), c);
}

TEST_F(ButtonTest, APressReleasedOutsideOrADisabledButtonDoesNotClick) {
  HWND b = child(u"Button", u"查找下一个", BS_PUSHBUTTON, 10, 10, 100, 24, 1021);
  testdriver::mouseDown(at(b, 10, 10));
  testdriver::mouseMove(at(b, 200, 10));
  testdriver::mouseUp(at(b, 200, 10));
  testdriver::pumpUntilIdle();
  EXPECT_TRUE(codes(1021).empty());
  EXPECT_EQ(GetCapture(), nullptr);

  EnableWindow(b, FALSE);
  clickAt(b, 10, 10);
  SendMessageW(b, BM_CLICK, 0, 0);
  EXPECT_TRUE(codes(1021).empty());
  EnableWindow(b, TRUE);
  SendMessageW(b, BM_CLICK, 0, 0);
  EXPECT_EQ(codes(1021), (Codes{BN_CLICKED}));
}

TEST_F(ButtonTest, SpaceClicksTheFocusedButtonOnRelease) {
  HWND box = child(u"Button", u"全词匹配(W)", BS_AUTOCHECKBOX, 10, 10, 120, 20, 1016);
  SetFocus(box);
  testdriver::keyDown(VK_SPACE);
  testdriver::pumpUntilIdle();
  EXPECT_TRUE(codes(1016).empty());
  EXPECT_TRUE(SendMessageW(box, BM_GETSTATE, 0, 0) & BST_PUSHED);
  testdriver::keyUp(VK_SPACE);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(codes(1016), (Codes{BN_CLICKED}));
  EXPECT_EQ(check(box), 1);
}

TEST_F(ButtonTest, BmSetCheckAppliesToCheckBoxesAndRadiosOnly) {
  HWND push = child(u"Button", u"确定", BS_DEFPUSHBUTTON, 10, 10, 80, 24, 1);
  HWND box = child(u"Button", u"包含标题(&M)", BS_AUTOCHECKBOX, 10, 40, 120, 20, 1000);
  SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(check(push), 0);
  EXPECT_EQ(check(box), 1);
  SendMessageW(box, BM_SETCHECK, BST_INDETERMINATE, 0);  // not a three-state box
  EXPECT_EQ(check(box), 1);
  SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(check(box), 0);
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
}

TEST_F(ButtonTest, AGroupBoxLetsClicksThroughToTheControlsInIt) {
  HWND group = child(u"Button", u"查找模式", BS_GROUPBOX, 5, 5, 200, 100, 1100);
  HWND radio = child(u"Button", u"普通", BS_AUTORADIOBUTTON | WS_GROUP, 15, 25, 100, 20, 1019);
  POINT p = at(radio, 5, 10);
  EXPECT_EQ(WindowFromPoint(p), radio);
  EXPECT_EQ(WindowFromPoint(at(group, 150, 80)), parent);
  clickAt(radio, 5, 10);
  EXPECT_EQ(check(radio), 1);
  EXPECT_TRUE(codes(1100).empty());
}

TEST_F(ButtonTest, AButtonDestroyedByItsOwnClickHandlerIsSafe) {
  HWND b = child(u"Button", u"取消", BS_PUSHBUTTON, 10, 10, 80, 24, 2);
  onCommand([&](const Command& c) {
    if (c.id == 2) DestroyWindow(c.from);
  });
  clickAt(b, 10, 10);
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(codes(2), (Codes{BN_CLICKED}));
}
