// Lines of a wide text.
#include <gtest/gtest.h>

#include <vector>
#include "store/LineIter.h"
#include "tests/store/SheetFixture.h"

namespace {

TEST(LineIter, LinesIncludeTheirLf) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"a\r\nb", {u"a\r\n", u"b"}}, {u"", {}}, {u"\n\n", {u"\n", u"\n"}}, {u"x\n", {u"x\n"}}, {u"one", {u"one"}},
  };
  for (const auto& c : cases) {
    LineIter it{0, 0, &c.text};
    std::vector<std::u16string> got;
    while (const char16_t* p = it.next()) got.emplace_back(p, it.length);
    EXPECT_EQ(got, c.lines) << u8(c.text);
    EXPECT_EQ(it.length, 0u);
    EXPECT_EQ(it.next(), nullptr);
  }
}

}  // namespace
