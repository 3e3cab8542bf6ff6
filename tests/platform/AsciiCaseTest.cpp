// ASCII case folding.
#include <gtest/gtest.h>

#include "platform/AsciiCase.h"

namespace {

TEST(LowerCase, AsciiOnly) {
  EXPECT_EQ(toLower(u"AbC-Ä中"), u"abc-Ä中");
  EXPECT_EQ(toLower(std::u16string(u"AB\0CD", 5)), u"ab");
  std::u16string withNul(u"AB\0CD", 5);
  EXPECT_EQ(toLowerWide(withNul), std::u16string(u"ab\0cd", 5));
}

// Folded comparison: only ASCII letters fold, so "Ä" and "ä" stay apart; a shorter
// prefix sorts first.
TEST(LowerCase, FoldedComparison) {
  const struct {
    std::u16string_view a, b;
    int order;
  } cases[] = {
      {u"abc", u"ABC", 0}, {u"abc", u"abd", -1}, {u"ab", u"ABC", -1}, {u"b", u"A", 1},
      {u"Ä", u"ä", -1},    {u"_", u"a", -1},     {u"Z_", u"z_", 0},   {u"", u"", 0},
  };
  for (const auto& c : cases) {
    const int got = compareNoCase(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.order) << int(c.a.size()) << "/" << int(c.b.size());
    EXPECT_EQ(equalNoCase(c.a, c.b), c.order == 0);
  }
  EXPECT_TRUE(startsWithNoCase(u"Report.CSV", u"report"));
  EXPECT_FALSE(startsWithNoCase(u"Rep", u"report"));
  EXPECT_EQ(toLowerAscii("Sheet1.XML"), "sheet1.xml");
  EXPECT_EQ(foldAscii(u'Q'), u'q');
  EXPECT_EQ(foldAscii('@'), '@');
}

}  // namespace
