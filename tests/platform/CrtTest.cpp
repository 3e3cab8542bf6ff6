#include "platform/Crt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

namespace {

TEST(Crt, Wtoi64ReadsSignAndDigitsAndSaturates) {
  struct {
    const char16_t* text;
    int64_t value;
  } cases[] = {
      {u"42", 42},
      {u"  -7x", -7},
      {u"+5", 5},
      {u"", 0},
      {u"abc", 0},
      {u"9223372036854775807", std::numeric_limits<int64_t>::max()},
      {u"9223372036854775808", std::numeric_limits<int64_t>::max()},
      {u"-9223372036854775808", std::numeric_limits<int64_t>::min()},
      {u"-99999999999999999999", std::numeric_limits<int64_t>::min()},
  };
  for (const auto& c : cases) EXPECT_EQ(_wtoi64(c.text), c.value) << std::string(c.text, c.text + wcslen16(c.text));
}

TEST(Crt, WcstodReadsTheNumericPrefix) {
  char16_t* end = nullptr;
  const char16_t* s = u" 4.50中";
  EXPECT_DOUBLE_EQ(wcstod(s, &end), 4.5);
  EXPECT_EQ(end, s + 5);
  EXPECT_EQ(wcstod(u"0.1", nullptr), 0.1);
  EXPECT_EQ(wcstod(u"x", &end), 0.0);
}

TEST(Crt, I64towWritesDigitsOrRefusesSmallBuffers) {
  char16_t buf[32];
  ASSERT_EQ(_i64tow_s(-7, buf, 32, 10), 0);
  EXPECT_EQ(std::u16string(buf), u"-7");
  ASSERT_EQ(_i64tow_s(std::numeric_limits<int64_t>::min(), buf, 32, 10), 0);
  EXPECT_EQ(std::u16string(buf), u"-9223372036854775808");
  ASSERT_EQ(_i64tow_s(255, buf, 32, 16), 0);
  EXPECT_EQ(std::u16string(buf), u"ff");
  EXPECT_NE(_i64tow_s(12345, buf, 3, 10), 0);
  EXPECT_EQ(buf[0], 0);
}

TEST(Crt, LocaltimeFollowsTzAndRefusesTimesBefore1970) {
  setenv("TZ", "UTC-8", 1);
  tzset();
  int64_t t = 0;
  struct tm* tm = _localtime64(&t);
  ASSERT_NE(tm, nullptr);
  EXPECT_EQ(tm->tm_hour, 8);
  EXPECT_EQ(tm->tm_year, 70);
  t = -1;
  EXPECT_EQ(_localtime64(&t), nullptr);
}

TEST(Crt, WcsicmpFoldsAsciiLettersOnly) {
  EXPECT_EQ(_wcsicmp(u"a.CSV", u"A.csv"), 0);
  EXPECT_NE(_wcsicmp(u"é", u"É"), 0);
  EXPECT_LT(_wcsicmp(u"a", u"b"), 0);
}

TEST(Crt, MsizeHoldsAtLeastTheBytesAskedForAcrossAGrowth) {
  void* block = std::malloc(100);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(_msize(block), 100u);
  void* grown = std::realloc(block, 5000);
  ASSERT_NE(grown, nullptr);
  EXPECT_GE(_msize(grown), 5000u);
  std::free(grown);
}

}  // namespace
