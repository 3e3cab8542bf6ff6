// A "List2" control in a top-level host window, driven through the test driver: clicks at
// a row's text or check column with Shift or Ctrl held, the wheel, scroll-bar requests,
// and the window's painted pixels.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/ListCtrl.h"
#include "platform/testdriver/Driver.h"
#include "tests/support/GdiplusSuite.h"

class ListTest : public testsupport::GdiplusSuite {
 protected:
  static constexpr int kRow = 16;     // row height after create
  static constexpr int kTextX = 60;   // a client x over the row text
  static constexpr int kCheckX = 10;  // a client x in the check column (margin 3 .. 19)

  void SetUp() override {
    testdriver::reset();
    host = testsupport::createHostWindow(u"ListHost", 100, 100, 300, 200);
    list = std::make_unique<CCList>();
    list->create(host, 10, 10, 200, 100);
    list->itemText = [](const ListItem2& item) { return u"item " + digits(item.value); };
    list->onSelect = [this](CCList&, int32_t index) { selects.push_back(index); };
    list->onCheck = [this](CCList&, int32_t index) { checks.push_back(index); };
  }
  void TearDown() override {
    list.reset();
    DestroyWindow(host);
    testdriver::pumpUntilIdle();
  }

  static std::u16string digits(int v) {
    std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
  }

  // `rows` rows valued 0, 1, 2 ..., refreshed and painted.
  void fill(int rows) {
    list->items.assign(rows, ListItem2{});
    for (int i = 0; i < rows; ++i) list->items[i].value = i;
    list->refresh();
    testdriver::pumpUntilIdle();
  }

  // A click in the middle of client row `row` (counted from the top of the view) at `x`,
  // with `modifiers` held while the list handles it. The clock moves on first, so that two
  // clicks never make a double click.
  void clickRow(int row, unsigned modifiers = testdriver::None, int x = kTextX) {
    testdriver::advance(1000);
    testdriver::holding(modifiers,
                        [&] { testdriver::click(testdriver::screenPoint(list->hwnd, x, row * kRow + kRow / 2)); });
  }

  std::vector<int> selectedRows() const {
    std::vector<int> rows;
    for (size_t i = 0; i < list->items.size(); ++i)
      if (list->items[i].selected) rows.push_back(static_cast<int>(i));
    return rows;
  }
  std::vector<int> checkedRows() const {
    std::vector<int> rows;
    for (size_t i = 0; i < list->items.size(); ++i)
      if (list->items[i].checked) rows.push_back(static_cast<int>(i));
    return rows;
  }

  uint32_t pixel(int x, int y) const { return testdriver::windowPixels(list->hwnd).at(x, y); }

  HWND host = nullptr;
  std::unique_ptr<CCList> list;
  std::vector<int> selects, checks;
};

// Surface pixels are 0x00RRGGBB, COLORREFs 0x00BBGGRR.
inline uint32_t surfacePixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
