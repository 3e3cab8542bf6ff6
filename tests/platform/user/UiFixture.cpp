#include "tests/platform/user/UiFixture.h"
#include "tests/support/Picture.h"

#include <unistd.h>

namespace uitest {

const char16_t* const kStubButton = u"UiStubButton";
const char16_t* const kStubEdit = u"UiStubEdit";

namespace {

constexpr UINT kBmGetCheck = 0x00F0;
constexpr UINT kBmSetCheck = 0x00F1;

// The check state lives in the window's user data.
LRESULT CALLBACK stubButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kBmGetCheck: return GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    case kBmSetCheck: SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam)); return 0;
    case WM_GETDLGCODE:
      switch (GetWindowLongPtrW(hwnd, GWL_STYLE) & 0x0F) {
        case 0: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;  // BS_PUSHBUTTON
        case 1: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;    // BS_DEFPUSHBUTTON
        case 9: return DLGC_BUTTON | DLGC_RADIOBUTTON;      // BS_AUTORADIOBUTTON
        default: return DLGC_BUTTON;                        // check boxes
      }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void registerStubs() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = stubButtonProc;
  wc.lpszClassName = kStubButton;
  RegisterClassW(&wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kStubEdit;
  RegisterClassW(&wc);
}

using platform::resources::Accelerator;
using platform::resources::DialogItem;
using platform::resources::MenuItem;

platform::resources::Table testTable() {
  platform::resources::Table t;
  t.menus.push_back(
      {kTestMenu,
       {MenuItem{u"文件(&F)",
                 0,
                 0,
                 {{u"新建(&N)", 101, 0, {}},
                  {u"保存(&S)", 102, MF_GRAYED, {}},
                  {u"设置", 0, 0, {{u"判断双引号", 111, MF_CHECKED, {}}, {u"不判断双引号", 112, 0, {}}}}}},
        MenuItem{u"编辑(&E)", 0, 0, {{u"复制(&C)\tCtrl+C", 201, 0, {}}}}}});
  t.menus.push_back({kTestContext,
                     {MenuItem{u"POP",
                               0,
                               0,
                               {{u"复制(&C)", 301, 0, {}},
                                {u"隐藏", 302, MF_DISABLED, {}},
                                {u"", 0, MF_SEPARATOR, {}},
                                {u"取消隐藏", 303, 0, {}}}}}});
  t.accelerators.push_back(
      {kTestAccel,
       {Accelerator{FVIRTKEY | FALT | FNOINVERT, 'A', 32839}, Accelerator{FALT | FNOINVERT, 'A', 32849},
        Accelerator{FVIRTKEY | FCONTROL | FALT | FNOINVERT, 'F', 32838},
        Accelerator{FVIRTKEY | FNOINVERT, VK_F5, 32888}, Accelerator{FALT | FNOINVERT, '/', 104},
        Accelerator{FALT | FNOINVERT, '?', 104}, Accelerator{FVIRTKEY | FCONTROL | FSHIFT | FNOINVERT, 'S', 32939},
        Accelerator{FNOINVERT, 'x', 500}}});
  platform::resources::Dialog d;
  d.id = kTestDialog;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
  d.x = 10, d.y = 10, d.cx = 200, d.cy = 100;
  d.caption = u"测试对话框";
  d.items = {DialogItem{kStubEdit, u"1", 1003, WS_VISIBLE | WS_TABSTOP, 0, 10, 10, 80, 12, 0},
             DialogItem{kStubButton, u"保留第一行标题", 1000, WS_VISIBLE | WS_TABSTOP | 3, 0, 10, 30, 80, 10, 0},
             DialogItem{kStubButton, u"按行数", 1001, WS_VISIBLE | WS_TABSTOP | 9, 0, 10, 45, 80, 10, 0},
             DialogItem{kStubButton, u"按份数", 1002, WS_VISIBLE | 9, 0, 10, 60, 80, 10, 0},
             DialogItem{kStubButton, u"确定", IDOK, WS_VISIBLE | WS_TABSTOP | 1, 0, 90, 80, 50, 14, 0},
             DialogItem{kStubButton, u"取消", IDCANCEL, WS_VISIBLE | WS_TABSTOP, 0, 145, 80, 50, 14, 0}};
  t.dialogs.push_back(d);
  platform::resources::Dialog bare;
  bare.id = kTestBareDialog;
  bare.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  bare.cx = 100, bare.cy = 40;
  bare.caption = u"输出";
  bare.items = {DialogItem{kStubEdit, u"", 1023, WS_VISIBLE, 0, 5, 5, 90, 10, 0}};
  t.dialogs.push_back(bare);
  t.strings.push_back({kTestString, u"Morvel表格"});
  t.icons.push_back({kTestIcon, 2, 2, {0xFFFF0000, 0x00000000, 0x8000FF00, 0xFF0000FF}});
  return t;
}

}  // namespace

std::filesystem::path pictureFolder() { return testsupport::pictureFolder("platform"); }

void UiTest::SetUp() {
  usertest::UserTest::SetUp();
  registerStubs();
  static bool registered = (platform::resources::addTable(testTable()), true);
  (void)registered;
  rec().watchAlso(WM_COMMAND);
  rec().watchAlso(WM_INITDIALOG);
}

}  // namespace uitest
