// Quoting of one field of delimited text.
#include <gtest/gtest.h>

#include "store/CsvQuote.h"
#include "tests/store/SheetFixture.h"

namespace {

struct QuoteCase {
  std::u16string field;
  char16_t delimiter;
  std::u16string quoted;
};

TEST(CsvQuote, Table) {
  const QuoteCase cases[] = {
      {u"a,b", u',', u"\"a,b\""},
      {u"plain", u',', u"plain"},
      {u"", u',', u""},
      {u"say \"hi\"", u',', u"say \"hi\""},  // inner quote alone does not quote
      {u"\"x", u',', u"\"\"\"x\""},
      {u"a\tb", u',', u"a\tb"},  // TAB is not the delimiter here
      {u"a\nb", u',', u"\"a\nb\""},
      {u"a\rb", u'\t', u"\"a\rb\""},
      {u"a\tb", u'\t', u"\"a\tb\""},
      {u"a,b", u'\t', u"\"a,b\""},
      {u"x;y", u';', u"\"x;y\""},
      {u"x y", u' ', u"\"x y\""},
      {u"x|\"y", u'|', u"\"x|\"\"y\""},
      {u"c:\\d", u'\\', u"\"c:\\d\""},
      {u"x;y", u',', u"x;y"},
      {std::u16string(u"ab\0,c", 5), u',', u"ab"},  // ends at the NUL
  };
  for (const auto& c : cases) {
    EXPECT_EQ(csvQuote(c.field, c.delimiter), c.quoted) << u8(c.field);
    EXPECT_EQ(csvNeedsQuote(c.field, c.delimiter), c.quoted != std::u16string(c.field.c_str()));
  }
}

}  // namespace
