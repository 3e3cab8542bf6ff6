// A dialog with every standard control and Chinese labels, made from a
// template and painted; saved as <test program folder>/platform/
// dialog_sample.png for a person to look at.
#include "platform/png/Png.h"
#include "tests/platform/user/UiFixture.h"

using namespace uitest;
using platform::resources::DialogItem;

namespace {

constexpr WORD kSampleDialog = 9050;
constexpr WORD kSampleIcon = 9051;

// A 32 x 32 icon: a blue disc with a white bar, transparent corners.
platform::resources::Icon sampleIcon() {
  platform::resources::Icon icon{kSampleIcon, 32, 32, {}};
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int dx = x - 16, dy = y - 16;
      bool inside = dx * dx + dy * dy < 15 * 15;
      bool bar = inside && y >= 14 && y < 18 && x >= 8 && x < 24;
      icon.argb.push_back(!inside ? 0 : bar ? 0xFFFFFFFF : 0xFF2060C0);
    }
  return icon;
}

platform::resources::Dialog sampleDialog() {
  platform::resources::Dialog d;
  d.id = kSampleDialog;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  d.cx = 300, d.cy = 196;
  d.caption = u"控件样例";
  const DWORD v = WS_VISIBLE, t = WS_VISIBLE | WS_TABSTOP;
  d.items = {
      {u"BUTTON", u"查找模式", 0xFFFF, v | BS_GROUPBOX, 0, 7, 7, 130, 56, 0},
      {u"BUTTON", u"普通", 1019, t | BS_AUTORADIOBUTTON | WS_GROUP, 0, 15, 19, 100, 10, 0},
      {u"BUTTON", u"扩展(\\r,\\n,\\t)", 1001, v | BS_AUTORADIOBUTTON, 0, 15, 32, 100, 10, 0},
      {u"BUTTON", u"正则表达式", 1020, v | BS_AUTORADIOBUTTON, 0, 15, 45, 100, 10, 0},
      {u"BUTTON", u"全词匹配(&W)", 1016, t | BS_AUTOCHECKBOX, 0, 148, 9, 70, 10, 0},
      {u"BUTTON", u"匹配大小写(&C)", 1017, t | BS_AUTOCHECKBOX, 0, 222, 9, 72, 10, 0},
      {u"STATIC", u"查找目标：", 0xFFFF, v, 0, 148, 27, 44, 8, 0},
      {u"EDIT", u"北京 Beijing", 1013, t | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 194, 25, 100, 12, 0},
      {u"STATIC", u"要分割的列：", 0xFFFF, v, 0, 148, 45, 46, 8, 0},
      {u"COMBOBOX", u"", 1059, t | CBS_DROPDOWN | WS_VSCROLL, 0, 194, 43, 100, 80, 0},
      {u"STATIC", u"条件：", 0xFFFF, v, 0, 7, 72, 30, 8, 0},
      {u"COMBOBOX", u"", 1026, t | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 40, 70, 97, 80, 0},
      {u"LISTBOX", u"", 1095, t | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER, 0, 7, 90, 130, 52, 0},
      {u"EDIT", u"第一行文字\r\n第二行 second line\r\n第三行", 1084,
       t | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE, 148, 62, 146, 44, 0},
      {u"STATIC", u"", 0xFFFF, v | SS_ICON, 0, 148, 112, 21, 20, kSampleIcon},
      {u"STATIC", u"Morvel，版本 4.5", 0xFFFF, v, 0, 174, 114, 120, 8, 0},
      {u"SysLink", u"访问 <a href=\"https://example.org/help\">帮助页面</a>", 1024, t, 0, 174, 126, 120, 10, 0},
      {u"STATIC", u"处理进度：60%", 1097, v, 0, 7, 150, 80, 8, 0},
      {u"msctls_progress32", u"", 1098, v, 0, 7, 162, 287, 10, 0},
      {u"BUTTON", u"获取", 1038, t, 0, 7, 177, 50, 14, 0},
      {u"BUTTON", u"确定", IDOK, t | BS_DEFPUSHBUTTON, 0, 188, 177, 50, 14, 0},
      {u"BUTTON", u"取消", IDCANCEL, t, 0, 244, 177, 50, 14, 0},
  };
  return d;
}

INT_PTR CALLBACK sampleProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  CheckDlgButton(dialog, 1001, BST_CHECKED);
  CheckDlgButton(dialog, 1016, BST_CHECKED);
  for (const char16_t* s : {u"列A", u"列B", u"列C"})
    SendDlgItemMessageW(dialog, 1059, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendDlgItemMessageW(dialog, 1059, CB_SETCURSEL, 1, 0);
  for (const char16_t* s : {u"等于", u"不等于", u"包含"})
    SendDlgItemMessageW(dialog, 1026, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendDlgItemMessageW(dialog, 1026, CB_SETCURSEL, 2, 0);
  for (const char16_t* s : {u"D:/数据/表3.csv", u"D:/数据/表1.csv", u"D:/数据/表2.csv"})
    SendDlgItemMessageW(dialog, 1095, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendDlgItemMessageW(dialog, 1098, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendDlgItemMessageW(dialog, 1098, PBM_SETPOS, 60, 0);
  EnableWindow(GetDlgItem(dialog, 1038), FALSE);
  return TRUE;
}

class DialogSampleTest : public UiTest {};

TEST_F(DialogSampleTest, EveryStandardControlWithChineseLabels) {
  platform::resources::Table table;
  table.dialogs.push_back(sampleDialog());
  table.icons.push_back(sampleIcon());
  platform::resources::addTable(table);
  HWND main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700);
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kSampleDialog), main, sampleProc, 0);
  ASSERT_NE(dialog, nullptr);
  mWindows.push_back(dialog);
  ShowWindow(dialog, SW_SHOWNORMAL);
  testdriver::pumpUntilIdle();
  // Every control exists under its id and took the state WM_INITDIALOG gave it.
  for (int id :
       {1019, 1001, 1020, 1016, 1017, 1013, 1059, 1026, 1095, 1084, 1024, 1097, 1098, 1038, IDOK, IDCANCEL})
    EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1001), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1019), BST_UNCHECKED);
  WCHAR text[64];
  GetDlgItemTextW(dialog, 1059, text, 64);
  EXPECT_EQ(std::u16string(text), u"列B");  // the combo's edit part
  EXPECT_EQ(HIWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), DC_HASDEFID);
  EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
  Surface picture = testdriver::windowPixels(dialog);
  ASSERT_GT(picture.width, 400);
  // The dialog face shows where no control draws (the right of the caption row).
  EXPECT_EQ(picture.at(picture.width - 2, picture.height - 2), 0xF0F0F0u);
  // Each control shows its text or items in ink; the disabled button greys its label.
  auto count = [](const Surface& s, auto&& wanted) {
    int n = 0;
    for (uint32_t p : s.pixels) n += wanted(p & 0xFFFFFF);
    return n;
  };
  auto ink = [](uint32_t p) { return ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60; };
  for (int id : {1019, 1001, 1020, 1016, 1017, 1013, 1059, 1026, 1095, 1084, 1024, 1097, IDOK, IDCANCEL})
    EXPECT_GT(count(testdriver::windowPixels(GetDlgItem(dialog, id)), ink), 5) << id;
  const Surface disabled = testdriver::windowPixels(GetDlgItem(dialog, 1038));
  EXPECT_EQ(count(disabled, ink), 0);
  int label = 0;  // grey pixels inside the frame
  for (int y = 3; y < disabled.height - 3; ++y)
    for (int x = 3; x < disabled.width - 3; ++x) label += (disabled.at(x, y) & 0xFF) < 0xC0;
  EXPECT_GT(label, 5);
  // The bar is 60 % full; the icon shows its blue disc.
  const Surface bar = testdriver::windowPixels(GetDlgItem(dialog, 1098));
  int filled = 0;
  for (int x = 0; x < bar.width; ++x) filled += bar.at(x, bar.height / 2) == 0x06B025u;
  EXPECT_NEAR(filled, (bar.width - 2) * 60 / 100, 2);
  EXPECT_GT(count(picture, [](uint32_t p) { return p == 0x2060C0u; }), 100);
  std::filesystem::path path = pictureFolder() / "dialog_sample.png";
  ASSERT_TRUE(writePng(picture, path.string()));
  Surface back;
  ASSERT_TRUE(readPng(path.string(), &back));
  EXPECT_EQ(back.pixels, picture.pixels);
}

}  // namespace
