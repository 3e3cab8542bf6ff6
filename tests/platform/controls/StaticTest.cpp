// Statics (labels the dialogs rewrite, icons, clicks with SS_NOTIFY) and the
// registration of the standard classes on first use.
#include "platform/gdi/Gdi.h"
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;

namespace {

class StaticTest : public ControlTest {};

bool anyPixelOtherThan(HWND hwnd, uint32_t background) {
  Surface s = testdriver::windowPixels(hwnd);
  for (uint32_t p : s.pixels)
    if (p != background) return true;
  return false;
}

}  // namespace

TEST(StandardClasses, AreThereWithoutAnyoneRegisteringThem) {
  for (const char16_t* name : {u"button", u"EDIT", u"Static", u"ComboBox", u"ListBox", u"msctls_progress32",
                               u"tooltips_class32", u"SysLink"}) {
    WNDCLASSW wc{};
    EXPECT_TRUE(GetClassInfoW(nullptr, name, &wc)) << std::string(name, name + 4);
    EXPECT_NE(wc.lpfnWndProc, nullptr);
  }
  EXPECT_FALSE(platform::registerStandardControls());  // all there: nothing to do
  WNDCLASSW mine{};
  mine.lpfnWndProc = DefWindowProcW;
  mine.lpszClassName = u"Button";
  EXPECT_EQ(RegisterClassW(&mine), 0);  // the name is taken
}

TEST_F(StaticTest, LabelsShowTheTextTheDialogSets) {
  HWND label = child(u"Static", u"", SS_LEFT, 10, 10, 200, 18, 1096);
  testdriver::pumpUntilIdle();
  uint32_t face = 0xF0F0F0;
  EXPECT_FALSE(anyPixelOtherThan(label, face));
  SetWindowTextW(label, u"正处理文件：a.csv");
  testdriver::pumpUntilIdle();
  EXPECT_EQ(textOf(label), u"正处理文件：a.csv");
  EXPECT_TRUE(anyPixelOtherThan(label, face));
  EXPECT_TRUE(commands().empty());
}

TEST_F(StaticTest, OnlyANotifyingStaticTakesClicks) {
  HWND plain = child(u"Static", u"标签", SS_LEFT, 10, 10, 100, 18, 1);
  HWND notify = child(u"Static", u"点我", SS_LEFT | SS_NOTIFY, 10, 40, 100, 18, 2);
  EXPECT_EQ(WindowFromPoint(at(plain, 5, 5)), parent);  // a plain label lets the pointer through
  clickAt(notify, 5, 5);
  EXPECT_EQ(codes(2), (std::vector<WORD>{STN_CLICKED}));
}

TEST_F(StaticTest, AnIconStaticDrawsItsIcon) {
  HWND icon = child(u"Static", u"", SS_ICON, 10, 10, 32, 32, 0);
  uint32_t red = 0xFFFF0000u;
  std::vector<uint32_t> px(16 * 16, red);
  HICON h = createIconFromArgb(16, 16, px.data());
  EXPECT_EQ(SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(h), 0), 0);
  EXPECT_EQ(SendMessageW(icon, STM_GETICON, 0, 0), reinterpret_cast<LRESULT>(h));
  testdriver::pumpUntilIdle();
  Surface s = testdriver::windowPixels(icon);
  EXPECT_EQ(s.at(3, 3), 0xFF0000u);
  EXPECT_EQ(s.at(20, 20), 0xF0F0F0u);  // outside the icon: the background
  DestroyWindow(icon);
  DestroyIcon(h);
}
