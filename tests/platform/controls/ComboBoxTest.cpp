// Combo boxes as the tool dialogs and the filter popup use them: filling,
// CB_SETCURSEL (-1 clearing the edit part), CB_FINDSTRINGEXACT ignoring
// case and wrapping, texts of items and of the edit part, the drop-down
// list by mouse and keys, and the CBN_* notifications.
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;
using Codes = std::vector<WORD>;

namespace {

class ComboTest : public ControlTest {
 protected:
  HWND combo(DWORD style, std::initializer_list<const char16_t*> items, int id = 1037) {
    HWND c = child(u"ComboBox", u"", style | WS_VSCROLL | WS_TABSTOP, 10, 10, 200, 150, id);
    for (const char16_t* item : items) SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    clearCommands();
    return c;
  }
  static LRESULT find(HWND c, int start, const char16_t* text) {
    return SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text));
  }
  static std::u16string item(HWND c, int i) {
    std::u16string s(static_cast<size_t>(SendMessageW(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, u'\0');
    s.resize(static_cast<size_t>(
        SendMessageW(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()))));
    return s;
  }
  // The dropped list's window, found under a point below the combo.
  static HWND droppedList(HWND c) {
    RECT r;
    GetWindowRect(c, &r);
    HWND w = WindowFromPoint(POINT{r.left + 20, r.bottom + 5});
    return w && GetParent(w) != nullptr && IsWindowVisible(w) && w != c ? w : nullptr;
  }
};

}  // namespace

TEST_F(ComboTest, ItemsAreAddedInOrderOrSorted) {
  HWND plain = combo(CBS_DROPDOWN, {});
  HWND sorted = combo(CBS_DROPDOWNLIST | CBS_SORT, {}, 1040);
  for (const char16_t* s : {u"b", u"C", u"a", u"B"}) {
    SendMessageW(plain, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessageW(sorted, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  EXPECT_EQ(SendMessageW(plain, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ((std::vector<std::u16string>{item(plain, 0), item(plain, 1), item(plain, 2), item(plain, 3)}),
            (std::vector<std::u16string>{u"b", u"C", u"a", u"B"}));
  EXPECT_EQ((std::vector<std::u16string>{item(sorted, 0), item(sorted, 1), item(sorted, 2), item(sorted, 3)}),
            (std::vector<std::u16string>{u"a", u"b", u"B", u"C"}));  // case ignored, equal ones in order added
  EXPECT_EQ(SendMessageW(sorted, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Ab")), 1);
  EXPECT_EQ(SendMessageW(plain, CB_GETLBTEXTLEN, 9, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(plain, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"first")), 0);
  EXPECT_EQ(item(plain, 0), u"first");
  EXPECT_TRUE(commands().empty());
}

TEST_F(ComboTest, FindStringExactIgnoresCaseStartsAfterTheIndexAndWraps) {
  HWND c = combo(CBS_DROPDOWN, {u"Sheet1!A", u"Sheet1!B", u"表2!A", u"sheet1!a", u"Sheet1"});
  struct Case {
    int start;
    const char16_t* text;
    LRESULT found;
  };
  const Case cases[] = {
      {-1, u"SHEET1!A", 0},                      // from the first item
      {0, u"sheet1!a", 3},                       // after item 0
      {1, u"Sheet1!A", 3},                       // the column picker's call: after entry 1
      {3, u"sheet1!a", 0},                       // past the end: round to the first
      {99, u"表2!a", 2},                         // an index out of range searches from the first
      {-1, u"Sheet", CB_ERR},                    // whole texts only
      {-1, u"", CB_ERR},      {2, u"表2!A", 2},  // wrapping reaches the start item last
  };
  for (const Case& k : cases) EXPECT_EQ(find(c, k.start, k.text), k.found) << k.start;
  EXPECT_EQ(SendMessageW(c, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"sheet1!")), 0);
  HWND empty = combo(CBS_DROPDOWN, {}, 1041);
  EXPECT_EQ(find(empty, -1, u"A"), CB_ERR);
}

TEST_F(ComboTest, SetCurSelFillsOrClearsTheEditPartSilently) {
  HWND c = combo(CBS_DROPDOWN, {u"1", u"2", u"3"});
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(textOf(c), u"2");
  EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(textOf(c), u"");  // -1 empties the edit part
  SendMessageW(c, CB_SETCURSEL, 2, 0);
  EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, 7, 0), CB_ERR);  // out of range clears too
  EXPECT_EQ(textOf(c), u"");
  SetWindowTextW(c, u"1");
  char16_t buf[512];
  EXPECT_EQ(GetWindowTextW(c, buf, 512), 1);
  EXPECT_EQ(std::u16string(buf), u"1");
  EXPECT_TRUE(commands().empty());  // none of this notifies

  SendMessageW(c, CB_SETCURSEL, 0, 0);
  SendMessageW(c, CB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessageW(c, CB_SETCURSEL, 1, 0);
  SendMessageW(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(u"0"));
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);  // the selected item moved down
  SendMessageW(c, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(textOf(c), u"");
}

TEST_F(ComboTest, ADropDownListShowsItsItemAndTakesOnlyItemsAsText) {
  HWND c = combo(CBS_DROPDOWNLIST, {u"等于", u"不等于", u"包含"});
  EXPECT_EQ(textOf(c), u"");
  SendMessageW(c, CB_SETCURSEL, 2, 0);
  EXPECT_EQ(textOf(c), u"包含");
  EXPECT_EQ(SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"其他")), CB_ERR);
  EXPECT_EQ(SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"不等于")), TRUE);
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(ComboTest, TheWindowIsTheFieldAndTheCreationHeightIsForTheList) {
  HWND c = combo(CBS_DROPDOWN, {});
  RECT r, dropped;
  GetWindowRect(c, &r);
  EXPECT_LT(r.bottom - r.top, 40);
  EXPECT_GT(r.bottom - r.top, 15);
  SendMessageW(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 150);
  SendMessageW(c, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 15);
  GetWindowRect(c, &r);
  EXPECT_EQ(r.bottom - r.top, 21);
  EXPECT_EQ(SendMessageW(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 15);
}

TEST_F(ComboTest, TypingInTheEditPartSendsEditNotificationsAndDropsTheSelection) {
  HWND c = combo(CBS_DROPDOWN, {u"A", u"B"});
  SendMessageW(c, CB_SETCURSEL, 0, 0);
  SetFocus(c);
  HWND e = GetFocus();
  ASSERT_NE(e, c);  // the edit part has the focus
  EXPECT_EQ(GetParent(e), c);
  EXPECT_EQ(GetWindowLongPtrW(e, GWLP_ID), kComboEditId);
  EXPECT_EQ(codes(1037), (Codes{CBN_SETFOCUS}));
  clearCommands();
  type(u"x");  // replaces the whole text, selected on focus
  EXPECT_EQ(textOf(c), u"x");
  EXPECT_EQ(codes(1037), (Codes{CBN_EDITUPDATE, CBN_EDITCHANGE}));
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
  clearCommands();
  press(VK_DOWN);  // the arrows pick items, as a user's choice
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(textOf(c), u"A");
  press(VK_DOWN);
  press(VK_DOWN);  // stays on the last
  EXPECT_EQ(textOf(c), u"B");
  EXPECT_EQ(codes(1037), (Codes{CBN_SELCHANGE, CBN_SELCHANGE}));
  SetFocus(parent);
  EXPECT_EQ(codes(1037).back(), CBN_KILLFOCUS);
}

TEST_F(ComboTest, AClickInTheDroppedListChoosesWithoutTakingTheActivation) {
  HWND c = combo(CBS_DROPDOWNLIST, {u"北京", u"上海", u"广州", u"深圳"});
  HWND active = GetActiveWindow();
  RECT r;
  GetClientRect(c, &r);
  clickAt(c, 10, 5);
  ASSERT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
  HWND list = droppedList(c);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GetActiveWindow(), active);  // the dialog stays active (the filter popup relies on it)
  EXPECT_EQ(GetFocus(), c);
  EXPECT_EQ(codes(1037), (Codes{CBN_SETFOCUS, CBN_DROPDOWN}));
  clearCommands();
  int itemHeight = static_cast<int>(SendMessageW(c, CB_GETITEMHEIGHT, 0, 0));
  clickAt(list, 20, 1 + 2 * itemHeight + itemHeight / 2);  // the third item
  EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(textOf(c), u"广州");
  EXPECT_EQ(codes(1037), (Codes{CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
  EXPECT_EQ(GetCapture(), nullptr);

  clearCommands();
  testdriver::advance(1000);
  clickAt(c, 10, 5);
  clickAt(parent, 600, 400);  // outside: cancelled
  EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(codes(1037), (Codes{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(ComboTest, KeysDropChooseAndCancel) {
  HWND c = combo(CBS_DROPDOWNLIST, {u"apple", u"banana", u"cherry"});
  SetFocus(c);
  clearCommands();
  press(VK_F4);
  EXPECT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
  press(VK_DOWN);
  press(VK_DOWN);
  press(VK_RETURN);
  EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(textOf(c), u"banana");
  EXPECT_EQ(codes(1037), (Codes{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
  clearCommands();
  type(u"c");  // a first letter picks the next item starting with it
  EXPECT_EQ(textOf(c), u"cherry");
  press(VK_DOWN, testdriver::Alt);
  press(VK_ESCAPE);
  EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(codes(1037), (Codes{CBN_SELCHANGE, CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(ComboTest, DestroyingADroppedComboTakesItsListAlong) {
  HWND c = combo(CBS_DROPDOWN, {u"1"});
  SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
  HWND list = droppedList(c);
  ASSERT_NE(list, nullptr);
  DestroyWindow(c);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(GetCapture(), nullptr);
}
