// ClipTable: clipboard text into lines and TAB-separated fields, with and
// without quote detection.
#include <gtest/gtest.h>

#include <vector>

#include "store/ClipTable.h"
#include "store/QuoteDetect.h"

namespace {

using Rows = std::vector<std::vector<std::u16string>>;

Rows allRows(ClipTable& t) {
  Rows rows;
  for (;;) {
    auto r = t.nextRow();
    if (r.empty()) break;
    rows.push_back(r);
  }
  return rows;
}

struct Case {
  const char* name;
  std::u16string text;
  bool quotes;
  uint64_t width;
  Rows rows;
};

TEST(ClipTable, CutsLinesAndFields) {
  const Case cases[] = {
      {"copy text of 2x2", u"a\tb\nc\td", true, 2, {{u"a", u"b"}, {u"c", u"d"}}},
      {"crlf and final crlf", u"a\tb\r\nc\td\r\n", true, 2, {{u"a", u"b"}, {u"c", u"d"}}},
      {"single value", u"v\n", true, 1, {{u"v"}}},
      {"quoted tab and lf", u"\"x\ty\n\"\tz", true, 2, {{u"x\ty\n", u"z"}}},
      {"doubled quote", u"\"a\"\"b\"", true, 1, {{u"a\"b"}}},
      {"after closing quote dropped", u"\"a\"z\tb", true, 2, {{u"a", u"b"}}},
      {"quotes off", u"\"x\ty\n\"", false, 2, {{u"\"x", u"y"}, {u"\""}}},
      {"quote not at field start", u"a\"b\tc\nd", true, 2, {{u"a\"b", u"c"}, {u"d"}}},
      {"empty middle field", u"a\t\tb", true, 3, {{u"a", u"", u"b"}}},
      {"trailing tab", u"a\t", true, 2, {{u"a", u""}}},
      {"leading tab", u"\ta", true, 2, {{u"", u"a"}}},
      {"lone cr quotes on", u"a\rb", true, 1, {{u"a"}, {u"b"}}},
      {"lone cr quotes off", u"a\rb", false, 1, {{u"a"}, {u"b"}}},
      {"empty line", u"a\n\nb", true, 1, {{u"a"}, {u""}, {u"b"}}},
      {"widths 1 3 2", u"a\nb\tc\td\ne\tf", true, 3, {{u"a"}, {u"b", u"c", u"d"}, {u"e", u"f"}}},
      {"unclosed quote runs to end", u"\"a\tb\nc", true, 1, {{u"a\tb\nc"}}},
      {"quoted crlf kept", u"\"l1\r\nl2\"\r\nx", true, 1, {{u"l1\r\nl2"}, {u"x"}}},
      {"lone quote", u"\"", true, 1, {{u""}}},
  };
  const bool saved = gQuoteDetect;
  for (const Case& c : cases) {
    gQuoteDetect = c.quotes;
    std::u16string text = c.text;
    ClipTable t(text);
    EXPECT_EQ(t.lines.size(), c.rows.size()) << c.name;
    EXPECT_EQ(t.width, c.width) << c.name;
    EXPECT_EQ(allRows(t), c.rows) << c.name;
    EXPECT_TRUE(t.nextRow().empty()) << c.name;
  }
  gQuoteDetect = saved;
}

TEST(ClipTable, EmptyTextHasNoLinesAndWidthZero) {
  std::u16string text;
  ClipTable t(text);
  EXPECT_TRUE(t.lines.empty());
  EXPECT_EQ(t.width, 0u);
  EXPECT_TRUE(t.nextRow().empty());
}

TEST(ClipTable, CutsTheCallersTextInPlace) {
  std::u16string text = u"a\tb\r\nc";
  ClipTable t(text);
  EXPECT_EQ(text[3], u'\0');  // the CR of the pair
  t.nextRow();
  EXPECT_EQ(text[1], u'\0');  // the separating TAB
  // parse again from scratch resets the table.
  std::u16string other = u"x";
  t.parse(other);
  EXPECT_EQ(t.nextLine, 0u);
  EXPECT_EQ(t.lines.size(), 1u);
}

}  // namespace
