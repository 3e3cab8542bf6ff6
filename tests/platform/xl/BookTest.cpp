// The book and sheet operations apart from any file: date unpacking, writes,
// clears, sheet names and the used area.
#include <cmath>

#include "tests/platform/xl/XlOracle.h"

namespace {

using namespace xltest;

struct DateCase {
  double serial;
  bool ok;
  int y, mo, d, h, mi, s, ms;
};

TEST(XlBook, DateUnpackIn1900System) {
  const DateCase cases[] = {
      {1, true, 1900, 1, 1, 0, 0, 0, 0},
      {59, true, 1900, 2, 28, 0, 0, 0, 0},
      {60, true, 1900, 2, 29, 0, 0, 0, 0},  // the day the 1900 system counts though it never was
      {61, true, 1900, 3, 1, 0, 0, 0, 0},
      {45139, true, 2023, 8, 1, 0, 0, 0, 0},
      {0.5, true, 1900, 1, 0, 12, 0, 0, 0},  // a time alone
      {45139 + 32703.0 / 86400, true, 2023, 8, 1, 9, 5, 3, 0},
      {45139 + 0.123 / 86400, true, 2023, 8, 1, 0, 0, 0, 123},
      {45139.9999999999, true, 2023, 8, 2, 0, 0, 0, 0},  // rounds into the next day
      {2958465.5, true, 9999, 12, 31, 12, 0, 0, 0},
      {2958466, false, 0, 0, 0, 0, 0, 0, 0},
      {-1, false, 0, 0, 0, 0, 0, 0, 0},
      {NAN, false, 0, 0, 0, 0, 0, 0, 0},
      {INFINITY, false, 0, 0, 0, 0, 0, 0, 0},
  };
  BookPtr b(xlCreateBookW());
  for (const auto& c : cases) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    bool ok = b->dateUnpack(c.serial, &y, &mo, &d, &h, &mi, &s, &ms);
    EXPECT_EQ(ok, c.ok) << c.serial;
    if (ok && c.ok) {
      EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s, ms}),
                std::vector<int>({c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms}))
          << c.serial;
    }
  }
  int y = 0;
  EXPECT_TRUE(b->dateUnpack(45139, &y, nullptr, nullptr)) << "parts not asked for are skipped";
  EXPECT_EQ(y, 2023);
}

TEST(XlBook, WritesClearsAndTheUsedArea) {
  for (xl::Book* raw : {xlCreateBookW(), xlCreateXMLBookW()}) {
    BookPtr b(raw);
    EXPECT_EQ(b->sheetCount(), 0);
    xl::Sheet* s = b->addSheet(u"s");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->lastRow(), 0);
    EXPECT_EQ(s->lastCol(), 0);
    s->writeStr(4, 3, u"a");
    s->writeNum(2, 5, 1);
    s->writeStr(7, 1, u"b");
    EXPECT_EQ(std::vector<int>({s->firstRow(), s->lastRow(), s->firstCol(), s->lastCol()}),
              std::vector<int>({2, 8, 1, 6}));
    // Overwriting a text by a number and back.
    s->writeNum(4, 3, 2);
    EXPECT_EQ(s->readStr(4, 3), nullptr);
    EXPECT_EQ(s->readNum(4, 3), 2);
    s->writeStr(4, 3, u"again");
    EXPECT_EQ(utf8(s->readStr(4, 3)), "again");
    EXPECT_EQ(s->readNum(4, 3), 0);
    // Sizes beyond the format's largest are cut to it; negative ones refused.
    EXPECT_TRUE(s->setRow(9, 1000));
    EXPECT_EQ(s->rowHeight(9), 409.5);
    EXPECT_FALSE(s->setRow(9, -1));
    EXPECT_TRUE(s->setCol(9, 9, 300));
    EXPECT_EQ(s->colWidth(9), 255);
    EXPECT_FALSE(s->setCol(3, 2, 10)) << "first after last";
    // Clear takes inclusive ranges and leaves sizes alone.
    s->setRow(7, 40);
    EXPECT_TRUE(s->clear(5, 7, 0, 1));
    EXPECT_EQ(s->cellType(7, 1), xl::CELLTYPE_EMPTY);
    EXPECT_EQ(s->rowHeight(7), 40);
    EXPECT_EQ(s->lastRow(), 5);
    EXPECT_TRUE(s->clear(0, 1048575, 0, 16383));
    EXPECT_EQ(s->lastRow(), 0);
    EXPECT_EQ(s->readStr(4, 3), nullptr);
    s->writeStr(0, 0, u"after");
    EXPECT_EQ(utf8(s->readStr(0, 0)), "after");
    // A format of another book is not taken.
    BookPtr other(xlCreateXMLBookW());
    other->addSheet(u"o")->writeNum(0, 0, 1);
    xl::Format* foreign = other->getSheet(0)->cellFormat(0, 0);
    ASSERT_NE(foreign, nullptr);
    EXPECT_TRUE(s->writeNum(0, 1, 1, foreign));
    EXPECT_NE(s->cellFormat(0, 1), foreign);
    xl::Format* own = s->cellFormat(0, 1);
    EXPECT_TRUE(s->writeNum(0, 2, 1, own));
    EXPECT_EQ(s->cellFormat(0, 2), own);
    // A copy of a sheet of the same book.
    xl::Sheet* copy = b->addSheet(u"copy", s);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(utf8(copy->readStr(0, 0)), "after");
    EXPECT_EQ(utf8(b->getSheetName(1)), "copy");
    for (const char16_t* bad : {u"", u"S", u"a:b", u"x[1]", u"'q'", u"0123456789012345678901234567890x"})
      EXPECT_EQ(b->addSheet(bad), nullptr) << utf8(bad);
    EXPECT_EQ(b->addSheet(nullptr), nullptr);
  }
}

TEST(XlBook, LoadFailureLeavesAnEmptyUsableBook) {
  std::string missing = scratch("does_not_exist.xlsx");
  int k = 0;
  for (xl::Book* raw : {xlCreateBookW(), xlCreateXMLBookW()}) {
    BookPtr b(raw);
    ASSERT_NE(b->addSheet(u"before"), nullptr);
    EXPECT_FALSE(b->load(u16(missing).c_str(), nullptr));
    EXPECT_STRNE(b->errorMessage(), "");
    EXPECT_EQ(b->sheetCount(), 0) << "a failed load empties the book";
    xl::Sheet* s = b->addSheet(u"sheet1");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->writeNum(0, 0, 1));
    std::string path = scratch("after_fail" + std::to_string(k++));
    EXPECT_TRUE(b->save(u16(path).c_str(), true)) << b->errorMessage();
  }
}

TEST(XlBook, EachTypeRefusesTheOthersFile) {
  std::string xlsx = scratch("kind.xlsx"), xls = scratch("kind.xls");
  {
    BookPtr a(xlCreateXMLBookW()), b(xlCreateBookW());
    a->addSheet(u"s")->writeNum(0, 0, 1);
    b->addSheet(u"s")->writeNum(0, 0, 1);
    ASSERT_TRUE(a->save(u16(xlsx).c_str(), true));
    ASSERT_TRUE(b->save(u16(xls).c_str(), true));
  }
  BookPtr asXls(xlCreateBookW()), asXlsx(xlCreateXMLBookW());
  EXPECT_FALSE(asXls->load(u16(xlsx).c_str(), nullptr));
  EXPECT_FALSE(asXlsx->load(u16(xls).c_str(), nullptr));
  EXPECT_TRUE(asXls->load(u16(xls).c_str(), nullptr)) << asXls->errorMessage();
  EXPECT_TRUE(asXlsx->load(u16(xlsx).c_str(), nullptr)) << asXlsx->errorMessage();
  EXPECT_EQ(asXls->getSheet(0)->readNum(0, 0), 1);
  EXPECT_EQ(asXlsx->getSheet(0)->readNum(0, 0), 1);
}

}  // namespace
