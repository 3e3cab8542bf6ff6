// List boxes as the file merge and split dialogs use them: sorted and
// unsorted filling, the selection by message, mouse and keys, searches,
// removal, and scrolling with the standard bar and the wheel.
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;
using Codes = std::vector<WORD>;
using Texts = std::vector<std::u16string>;

namespace {

class ListBoxTest : public ControlTest {
 protected:
  HWND list(DWORD style, int height = 120) {
    HWND l = child(u"ListBox", u"", style | WS_VSCROLL, 10, 10, 300, height, 1095, WS_EX_CLIENTEDGE);
    clearCommands();
    return l;
  }
  static LRESULT add(HWND l, const char16_t* s) {
    return SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  static Texts items(HWND l) {
    Texts out;
    for (int i = 0; i < SendMessageW(l, LB_GETCOUNT, 0, 0); ++i) {
      std::u16string s(static_cast<size_t>(SendMessageW(l, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), u'\0');
      SendMessageW(l, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
      out.push_back(s);
    }
    return out;
  }
  static LRESULT cur(HWND l) { return SendMessageW(l, LB_GETCURSEL, 0, 0); }
};

}  // namespace

TEST_F(ListBoxTest, SortedListsSortUnsortedKeepTheOrderAdded) {
  const char16_t* paths[] = {u"/data/b.csv", u"/data/A.csv", u"/data/c.csv", u"/data/a.csv"};
  HWND sorted = list(LBS_SORT | LBS_NOTIFY);
  std::vector<LRESULT> at;
  for (const char16_t* p : paths) at.push_back(add(sorted, p));
  EXPECT_EQ(at, (std::vector<LRESULT>{0, 0, 2, 1}));  // where each one went
  EXPECT_EQ(items(sorted), (Texts{u"/data/A.csv", u"/data/a.csv", u"/data/b.csv", u"/data/c.csv"}));
  DestroyWindow(sorted);
  HWND plain = list(LBS_NOTIFY);
  for (const char16_t* p : paths) add(plain, p);
  EXPECT_EQ(items(plain), (Texts{u"/data/b.csv", u"/data/A.csv", u"/data/c.csv", u"/data/a.csv"}));
  EXPECT_EQ(SendMessageW(plain, LB_GETTEXTLEN, 4, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(plain, LB_FINDSTRINGEXACT, 1, reinterpret_cast<LPARAM>(u"/DATA/B.CSV")), 0);  // wraps
  EXPECT_TRUE(commands().empty());
}

TEST_F(ListBoxTest, TheSelectionByMessageIsSilentAndFollowsRemovals) {
  HWND l = list(LBS_NOTIFY);
  for (const char16_t* s : {u"一", u"二", u"三"}) add(l, s);
  EXPECT_EQ(cur(l), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageW(l, LB_GETSEL, 2, 0), 1);
  SendMessageW(l, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(cur(l), 1);  // still 三
  EXPECT_EQ(SendMessageW(l, LB_SETCURSEL, 5, 0), LB_ERR);
  EXPECT_EQ(cur(l), 1);
  EXPECT_EQ(SendMessageW(l, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);  // -1 clears, returning LB_ERR
  EXPECT_EQ(cur(l), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_DELETESTRING, 0, 0), 1);
  SendMessageW(l, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETCOUNT, 0, 0), 0);
  EXPECT_TRUE(codes(1095).empty());
}

TEST_F(ListBoxTest, ClicksAndKeysSelectAndNotifyWhenAsked) {
  HWND l = list(LBS_NOTIFY);
  for (const char16_t* s : {u"a", u"b", u"c"}) add(l, s);
  int h = static_cast<int>(SendMessageW(l, LB_GETITEMHEIGHT, 0, 0));
  clickAt(l, 20, h + h / 2);
  EXPECT_EQ(cur(l), 1);
  EXPECT_EQ(GetFocus(), l);
  press(VK_DOWN);
  press(VK_DOWN);  // the last item stays selected: no change, no notification
  EXPECT_EQ(cur(l), 2);
  press(VK_HOME);
  EXPECT_EQ(cur(l), 0);
  EXPECT_EQ(codes(1095), (Codes{LBN_SETFOCUS, LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));

  HWND quiet = child(u"ListBox", u"", 0, 320, 10, 100, 100, 1096);
  add(quiet, u"x");
  clickAt(quiet, 5, 3);
  EXPECT_EQ(cur(quiet), 0);
  EXPECT_TRUE(codes(1096).empty());  // without LBS_NOTIFY
}

TEST_F(ListBoxTest, ManyItemsScrollWithTheBarAndTheWheel) {
  HWND l = list(LBS_NOTIFY, 100);
  for (int i = 0; i < 30; ++i) add(l, (u"item " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26))).c_str());
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(l, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 29);
  int rows = static_cast<int>(si.nPage);
  EXPECT_GT(rows, 2);
  testdriver::scroll(l, SB_VERT, SB_LINEDOWN);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 1);
  testdriver::scroll(l, SB_VERT, SB_BOTTOM);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 30 - rows);
  SetFocus(l);
  testdriver::wheel(at(l, 10, 10), WHEEL_DELTA);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 30 - rows - 3);
  SendMessageW(l, LB_SETCURSEL, 0, 0);  // selecting scrolls it into view
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 0);
  GetScrollInfo(l, SB_VERT, &si);
  EXPECT_EQ(si.nPos, 0);
}
