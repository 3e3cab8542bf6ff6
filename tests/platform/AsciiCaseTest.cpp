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

}  // namespace
