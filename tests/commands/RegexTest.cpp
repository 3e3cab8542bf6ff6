#include <gtest/gtest.h>

#include <string>

#include "commands/Regex.h"
#include "platform/CodePage.h"
#include "tests/support/CaseName.h"
#include "tests/support/TextConvert.h"

namespace {

using testsupport::u8;

struct ReplaceCase {
  const char* name;
  std::u16string pattern;
  std::u16string replacement;
  std::u16string text;
  bool ignoreCase;
  bool wholeCell;  // anchored, first (only) match replaced
  RegexStatus status;
  std::u16string expected;  // on Match
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { testsupport::printName(c, os); }

class RegexReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(RegexReplace, GivesTheExpectedText) {
  const ReplaceCase& c = GetParam();
  CRegex re(c.pattern, c.ignoreCase, c.wholeCell);
  ASSERT_TRUE(re.ok()) << u8(re.error());
  CRegexFormat format(c.replacement, re.captureCount());
  CRegexMatcher m;
  std::u16string out;
  RegexStatus s = c.wholeCell ? m.replaceFirst(re, format, c.text, out) : m.replaceAll(re, format, c.text, out);
  ASSERT_EQ(int(s), int(c.status));
  if (s == RegexStatus::Match) EXPECT_EQ(u8(out), u8(c.expected));
  if (s == RegexStatus::NoMatch) EXPECT_EQ(u8(out), u8(c.text));
}

const RegexStatus M = RegexStatus::Match;
const RegexStatus N = RegexStatus::NoMatch;

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexReplace,
    ::testing::Values(
        ReplaceCase{"groups swapped", u"(\\d+)-(\\d+)", u"$2-$1", u"12-34", false, false, M, u"34-12"},
        ReplaceCase{"every match", u"a", u"x", u"banana", false, false, M, u"bxnxnx"},
        ReplaceCase{"empty matches step on", u"a*", u"x", u"baaa", false, false, M, u"xbxx"},
        ReplaceCase{"empty pattern", u"", u"-", u"ab", false, false, M, u"-a-b-"},
        ReplaceCase{"whole match twice", u"b", u"$&$&", u"abc", false, false, M, u"abbc"},
        ReplaceCase{"before and after", u"b", u"[$`|$']", u"abc", false, false, M, u"a[a|c]c"},
        ReplaceCase{"dollar sign", u"b", u"$$", u"abc", false, false, M, u"a$c"},
        ReplaceCase{"$10 with one group", u"(b)", u"$10", u"abc", false, false, M, u"ab0c"},
        ReplaceCase{"$0 is literal", u"b", u"$0", u"abc", false, false, M, u"a$0c"},
        ReplaceCase{"unknown group literal", u"b", u"$2", u"abc", false, false, M, u"a$2c"},
        ReplaceCase{"unset group empty", u"(x)?b", u"[$1]", u"abc", false, false, M, u"a[]c"},
        ReplaceCase{"\\u escape", u"\\u0041", u"x", u"BAB", false, false, M, u"BxB"},
        ReplaceCase{"\\x escape", u"\\x41", u"x", u"BAB", false, false, M, u"BxB"},
        ReplaceCase{"[^] spans lines", u"a[^]b", u"x", u"a\nb", false, false, M, u"x"},
        ReplaceCase{"dot stops at LF", u"a.b", u"x", u"a\nb", false, false, N, u""},
        ReplaceCase{"dot stops at CR", u"a.b", u"x", u"a\rb", false, false, N, u""},
        ReplaceCase{"$ only at the end", u"a$", u"x", u"a\n", false, false, N, u""},
        ReplaceCase{"backreference", u"(a)\\1", u"x", u"caab", false, false, M, u"cxb"},
        ReplaceCase{"caseless Unicode", u"é", u"x", u"É", true, false, M, u"x"},
        ReplaceCase{"case kept", u"b", u"x", u"ABC", false, false, N, u""},
        ReplaceCase{"caseless ASCII", u"b", u"x", u"ABC", true, false, M, u"AxC"},
        ReplaceCase{"surrogate pair is one character", u"^.$", u"x", u"\U0001F600", false, false, M, u"x"},
        ReplaceCase{"empty matches keep pairs whole", u"", u"-", u"a\U0001F600", false, false, M,
                    u"-a-\U0001F600-"},
        // Byte strings kept on one line, split only where a hex escape ends:
        // clang-format off
        ReplaceCase{"lone surrogate text still searched", u"b", u"x", std::u16string(u"a\xD800" u"b"),
                    false, false, M, std::u16string(u"a\xD800" u"x")},
        // clang-format on
        ReplaceCase{"whole cell: the one match", u".*", u"x", u"abc", false, true, M, u"x"},
        ReplaceCase{"whole cell: part does not match", u"b", u"x", u"abc", false, true, N, u""},
        ReplaceCase{"whole cell: groups", u"a(b)c", u"[$1]", u"abc", false, true, M, u"[b]"},
        ReplaceCase{"whole cell: later alternative", u"a|ab", u"x", u"ab", false, true, M, u"x"}),
    testsupport::ByName());

TEST(Regex, APatternThatDoesNotCompileSaysWhereAndWhy) {
  for (const char16_t* p : {u"(", u"a{2,1}", u"[z-a]", u"(?<n>a)(?<n>b)"}) {
    CRegex re(p, false, false);
    EXPECT_FALSE(re.ok()) << u8(p);
    EXPECT_NE(re.error().find(u"正则表达式错误"), std::u16string::npos) << u8(re.error());
  }
}

TEST(Regex, CatastrophicBacktrackingIsReportedAsALimit) {
  CRegex re(u"(a+)+$", false, false);
  ASSERT_TRUE(re.ok());
  CRegexFormat format(u"x", re.captureCount());
  CRegexMatcher m;
  std::u16string out;
  EXPECT_EQ(int(m.replaceAll(re, format, std::u16string(40, u'a') + u"!", out)), int(RegexStatus::Limit));
  EXPECT_EQ(int(m.search(re, std::u16string(40, u'a') + u"!")), int(RegexStatus::Limit));
  // The matcher stays usable.
  EXPECT_EQ(int(m.replaceAll(re, format, u"aa", out)), int(RegexStatus::Match));
  EXPECT_EQ(u8(out), "x");
}

TEST(Regex, VeryLongCellsNeverCrash) {
  // Deep backtracking over a few million characters: either an answer or a limit.
  const std::u16string text(3'000'000, u'a');
  for (const char16_t* p : {u"(a|b)*c", u"(?:a|ab)*$", u"^(a*)*$"}) {
    CRegex re(p, false, false);
    ASSERT_TRUE(re.ok());
    CRegexFormat format(u"x", re.captureCount());
    CRegexMatcher m;
    std::u16string out;
    RegexStatus s = m.replaceAll(re, format, text, out);
    EXPECT_TRUE(s == RegexStatus::Limit || s == RegexStatus::NoMatch || s == RegexStatus::Match);
  }
}

TEST(Regex, ValidUtf16) {
  EXPECT_TRUE(CRegexMatcher::validUtf16(u"abc\U0001F600"));
  EXPECT_FALSE(CRegexMatcher::validUtf16(std::u16string(1, char16_t(0xD800))));
  EXPECT_FALSE(CRegexMatcher::validUtf16(std::u16string(1, char16_t(0xDC00)) + u"a"));
  // Byte strings kept on one line, split only where a hex escape ends:
  // clang-format off
  EXPECT_FALSE(CRegexMatcher::validUtf16(std::u16string(u"\xD800" u"a")));
  // clang-format on
}

}  // namespace
