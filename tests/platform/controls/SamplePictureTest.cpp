// Paints a window with every standard control and Chinese labels - with a
// combo box's list dropped and a balloon tooltip shown, both laid over the
// window where they appear on the screen - and saves it as <test program
// folder>/platform/controls_sample.png for a person to look at.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/gdi/Gdi.h"
#include "platform/png/Png.h"
#include "tests/platform/controls/ControlsFixture.h"
#include "tests/support/Picture.h"

using namespace ctltest;

namespace {

// Copies the client pixels of `hwnd` into `out` at its screen position
// relative to `origin`; `seeThrough` pixels are left out (the corners
// around a balloon, which a desktop shows through).
void lay(Surface& out, HWND hwnd, POINT origin, uint32_t seeThrough = 0xFF000000u) {
  Surface s = testdriver::windowPixels(hwnd);
  POINT at = testdriver::screenPoint(hwnd, 0, 0);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      int tx = at.x - origin.x + x, ty = at.y - origin.y + y;
      if (tx >= 0 && ty >= 0 && tx < out.width && ty < out.height && s.at(x, y) != seeThrough)
        out.row(ty)[tx] = s.at(x, y);
    }
}

HICON sampleIcon() {
  std::vector<uint32_t> px(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      bool inside = (x - 16) * (x - 16) + (y - 16) * (y - 16) < 225;
      px[static_cast<size_t>(y * 32 + x)] = inside ? 0xFF000000u | (0x20 + 4 * y) << 16 | 0x80 << 8 | (0xF0 - 3 * x)
                                                   : 0;
    }
  return createIconFromArgb(32, 32, px.data());
}

class ControlsSample : public ControlTest {};

}  // namespace

TEST_F(ControlsSample, PaintsEveryControlAndSavesThePicture) {
  MoveWindow(parent, 100, 100, 640, 400, TRUE);
  child(u"Static", u"查找目标：", SS_LEFT, 12, 14, 70, 16, 0);
  HWND edit = child(u"Edit", u"中文 Latin 文本", ES_AUTOHSCROLL, 84, 10, 200, 22, 1013, WS_EX_CLIENTEDGE);
  child(u"Button", u"查找模式", BS_GROUPBOX, 12, 42, 190, 96, 0);
  HWND plain = child(u"Button", u"普通", BS_AUTORADIOBUTTON | WS_GROUP, 24, 62, 160, 20, 1019);
  child(u"Button", u"扩展(\\r,\\n,\\t)", BS_AUTORADIOBUTTON, 24, 84, 160, 20, 1001);
  child(u"Button", u"正则表达式", BS_AUTORADIOBUTTON, 24, 106, 160, 20, 1020);
  HWND whole = child(u"Button", u"全词匹配(&W)", BS_AUTOCHECKBOX, 214, 50, 140, 20, 1016);
  child(u"Button", u"匹配大小写(&C)", BS_AUTOCHECKBOX, 214, 74, 140, 20, 1017);
  HWND cycle = child(u"Button", u"循环查找(&D)", BS_AUTO3STATE, 214, 98, 140, 20, 1018);
  child(u"Button", u"查找下一个", BS_DEFPUSHBUTTON, 500, 10, 120, 26, 1021);
  child(u"Button", u"计数", BS_PUSHBUTTON, 500, 44, 120, 26, 1004);
  HWND cancel = child(u"Button", u"取消", BS_PUSHBUTTON, 500, 78, 120, 26, 2);
  child(u"Static", u"写入位置列：", SS_LEFT, 12, 154, 90, 16, 0);
  HWND write = child(u"ComboBox", u"", CBS_DROPDOWN | WS_VSCROLL, 104, 150, 160, 150, 1037);
  child(u"Static", u"条件：", SS_LEFT, 280, 154, 50, 16, 0);
  HWND cond = child(u"ComboBox", u"", CBS_DROPDOWNLIST | WS_VSCROLL, 330, 150, 150, 150, 1026);
  HWND files = child(u"ListBox", u"", LBS_SORT | LBS_NOTIFY | WS_VSCROLL, 12, 190, 250, 96, 1095, WS_EX_CLIENTEDGE);
  HWND notes = child(u"Edit", u"", ES_MULTILINE | ES_WANTRETURN, 280, 190, 200, 60, 1084, WS_EX_CLIENTEDGE);
  HWND bar = child(PROGRESS_CLASSW, nullptr, 0, 12, 300, 470, 20, 0);
  child(u"Static", u"处理进度：60.00%", SS_LEFT, 12, 326, 200, 16, 1097);
  child(WC_LINK, u"Morvel，版本 4.5　<a href=\"https://example.org/help\">查看帮助</a>", 0, 280, 326, 250, 18,
        1024);
  HWND icon = child(u"Static", u"", SS_ICON, 500, 190, 32, 32, 0);

  SendMessageW(plain, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(whole, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(cycle, BM_SETCHECK, BST_INDETERMINATE, 0);
  EnableWindow(cancel, FALSE);
  for (const char16_t* s : {u"表1!A", u"表1!B", u"表2!C"})
    SendMessageW(write, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(write, CB_SETCURSEL, 0, 0);
  for (const char16_t* s : {u"等于", u"不等于", u"包含", u"不包含", u"开头是", u"结尾是"})
    SendMessageW(cond, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(cond, CB_SETCURSEL, 2, 0);
  for (const char16_t* s : {u"/数据/北京.csv", u"/数据/上海.csv", u"/数据/广州.txt", u"/数据/Shenzhen.csv"})
    SendMessageW(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(files, LB_SETCURSEL, 1, 0);
  SetWindowTextW(notes, u"第一行 line one\r\n第二行 line two");
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageW(bar, PBM_SETPOS, 60, 0);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(sampleIcon()), 0);

  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, nullptr, nullptr);
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = parent;
  ti.uId = 1;
  ti.rect = RECT{500, 190, 532, 222};  // over the icon, which lets the pointer through to the parent
  ti.lpszText = const_cast<LPWSTR>(u"程序图标：Morvel 4.5");
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  testdriver::mouseMove(at(parent, 512, 204));
  testdriver::pumpUntilIdle();
  testdriver::advance(500);
  ASSERT_TRUE(IsWindowVisible(tip));

  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 3, 8);
  SendMessageW(cond, CB_SHOWDROPDOWN, TRUE, 0);
  testdriver::pumpUntilIdle();

  RECT list;
  GetWindowRect(cond, &list);
  HWND dropped = WindowFromPoint(POINT{list.left + 10, list.bottom + 10});
  ASSERT_NE(dropped, cond);
  ASSERT_NE(dropped, parent);

  POINT origin = testdriver::screenPoint(parent, 0, 0);
  RECT client;
  GetClientRect(parent, &client);
  RECT tipRect, listRect;
  GetWindowRect(tip, &tipRect);
  GetWindowRect(dropped, &listRect);
  Surface picture;
  picture.resize(std::max({client.right, tipRect.right - origin.x, listRect.right - origin.x}) + 8,
                 std::max({client.bottom, tipRect.bottom - origin.y, listRect.bottom - origin.y}) + 8);
  lay(picture, parent, origin);
  lay(picture, dropped, origin);
  lay(picture, tip, origin, 0xFFFFFF);
  std::filesystem::path path = testsupport::picturePath("platform", "controls_sample.png");
  ASSERT_TRUE(writePng(picture, path.string()));
  EXPECT_GT(std::filesystem::file_size(path), 1000u);

  // Spot checks: the focused edit shows its selection, the bar is 60 % full.
  Surface e = testdriver::windowPixels(edit);
  int highlighted = 0;
  for (int x = 0; x < e.width; ++x) highlighted += e.at(x, e.height / 2) == 0x0078D7;
  EXPECT_GT(highlighted, 10);
  Surface b = testdriver::windowPixels(bar);
  int filled = 0;
  for (int x = 0; x < b.width; ++x) filled += b.at(x, b.height / 2) == 0x06B025;
  EXPECT_EQ(filled, 468 * 60 / 100);
}
