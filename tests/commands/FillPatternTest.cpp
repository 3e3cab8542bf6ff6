#include "commands/FillPattern.h"
#include "tests/support/CaseName.h"
#include "tests/support/TextConvert.h"

#include <gtest/gtest.h>

namespace {

struct FillCase {
  const char* name;
  const char16_t* source;
  int32_t a;
  int32_t b;
  const char16_t* expected;
};

void PrintTo(const FillCase& c, std::ostream* os) { testsupport::printName(c, os); }

constexpr auto& show = testsupport::u8;

class FillSeries : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillSeries, GivesTheTextForTheOffsets) {
  const FillCase& c = GetParam();
  const FillPattern p = FillPattern::parse(c.source, true);
  EXPECT_EQ(show(p.text(c.a, c.b)), show(c.expected)) << show(c.source) << " at " << c.a << "+" << c.b;
}

INSTANTIATE_TEST_SUITE_P(
    PlainTexts, FillSeries,
    ::testing::Values(FillCase{"offset_zero", u"Item9", 0, 0, u"Item9"},
                      FillCase{"first_offset", u"Item9", 1, 0, u"Item10"},
                      FillCase{"both_offsets", u"Item9", 1, 1, u"Item11"},
                      FillCase{"leading_zeros_dropped", u"A007", 0, 1, u"A8"},
                      FillCase{"last_number_counts", u"a1b2", 1, 2, u"a1b5"},
                      FillCase{"minus_is_text", u"x-5", 0, 1, u"x-6"},
                      FillCase{"number_first", u"9 lives", 3, 0, u"12 lives"},
                      FillCase{"no_digits", u"no digits", 5, 5, u"no digits"}, FillCase{"empty", u"", 1, 1, u""},
                      // 19 digits equal to the largest 64-bit value fit; adding would overflow.
                      FillCase{"reaches_the_largest", u"n9223372036854775806", 1, 0, u"n9223372036854775807"},
                      FillCase{"largest_at_offset_zero", u"n9223372036854775807", 0, 0, u"n9223372036854775807"},
                      FillCase{"largest_does_not_overflow", u"n9223372036854775807", 1, 0, u"n9223372036854775807"},
                      FillCase{"past_the_largest_kept", u"n9223372036854775808", 1, 0, u"n9223372036854775808"},
                      FillCase{"twenty_digits_kept", u"n12345678901234567890", 1, 0, u"n12345678901234567890"}),
    testsupport::ByName());

// Only the row digits of cell references count: one to three letters (after an
// optional '$'), not followed by '(' and not after '$'.
INSTANTIATE_TEST_SUITE_P(Formulas, FillSeries,
                         ::testing::Values(FillCase{"relative_row_absolute_kept", u"=A1+B$2", 1, 1, u"=A3+B$2"},
                                           FillCase{"range", u"=SUM(A1:A5)", 2, 0, u"=SUM(A3:A7)"},
                                           FillCase{"function_digits_kept", u"=LOG10(A1)", 0, 1, u"=LOG10(A2)"},
                                           FillCase{"function_arguments", u"=ATAN2(B3,C4)", 1, 0, u"=ATAN2(B4,C5)"},
                                           FillCase{"absolute_column", u"=$A1*2", 0, 3, u"=$A4*2"},
                                           FillCase{"absolute_cell", u"=$A$1", 4, 0, u"=$A$1"},
                                           FillCase{"three_letter_columns", u"=XFD10+AA1", 1, 0, u"=XFD11+AA2"},
                                           FillCase{"four_letters_not_a_cell", u"=ABCD1", 1, 0, u"=ABCD1"},
                                           FillCase{"underscore_name", u"=a_1", 1, 0, u"=a_1"},
                                           FillCase{"name_ending_in_digits", u"=a_b1+B1", 1, 0, u"=a_b1+B2"},
                                           FillCase{"no_references", u"=1+2", 7, 0, u"=1+2"},
                                           FillCase{"largest_row_kept", u"=A9223372036854775807", 1, 0,
                                                    u"=A9223372036854775807"},
                                           FillCase{"too_large_row_kept", u"=A99999999999999999999+B1", 1, 0,
                                                    u"=A99999999999999999999+B2"}),
                         testsupport::ByName());

// Number literals and string literals hold no references: an exponent is not a column,
// and nothing between double quotes is counted.
INSTANTIATE_TEST_SUITE_P(Literals, FillSeries,
                         ::testing::Values(FillCase{"exponent_before_cell", u"=1E5*A1", 1, 0, u"=1E5*A2"},
                                           FillCase{"exponent_after_cell", u"=A1*2.5E3", 1, 0, u"=A2*2.5E3"},
                                           FillCase{"signed_exponent", u"=1e+5+B1", 0, 1, u"=1e+5+B2"},
                                           FillCase{"fraction_exponent", u"=.5E2+B1", 0, 1, u"=.5E2+B2"},
                                           FillCase{"exponent_alone", u"=3E2", 1, 0, u"=3E2"},
                                           FillCase{"string_literal_skipped", u"=A1&\"B2\"", 1, 0, u"=A2&\"B2\""},
                                           FillCase{"doubled_quote_in_string", u"=\"x\"\"C3\"&B1", 1, 0,
                                                    u"=\"x\"\"C3\"&B2"},
                                           FillCase{"unclosed_string", u"=A1&\"open B2", 1, 0, u"=A2&\"open B2"}),
                         testsupport::ByName());

TEST(FillPattern, WithoutSeriesEveryOffsetGivesTheSource) {
  for (const char16_t* s : {u"Item9", u"=A1", u"x"}) {
    const FillPattern p = FillPattern::parse(s, false);
    EXPECT_EQ(p.mode, FillPattern::MODE_SAME);
    EXPECT_EQ(show(p.text(3, 4)), show(s));
  }
}

TEST(FillPattern, ParseSplitsPrefixCounterAndSuffix) {
  const FillPattern p = FillPattern::parse(u"ab12cd", true);
  EXPECT_EQ(p.mode, FillPattern::MODE_COUNTER);
  EXPECT_EQ(show(p.prefix), "ab");
  EXPECT_EQ(p.number, 12);
  EXPECT_EQ(show(p.suffix), "cd");
  EXPECT_EQ(show(p.source), "ab12cd");
}

struct TokenCase {
  const char16_t* formula;
  std::vector<std::pair<std::string, int32_t>> tokens;
};

TEST(FormulaTokenizer, SplitsIntoTypedTokens) {
  const std::vector<TokenCase> cases = {
      {u"$A$1", {{"$", 0}, {"A", 1}, {"$", 0}, {"1", 0}}},
      {u"$A1", {{"$", 0}, {"A", 1}, {"1", 2}}},
      {u"=LOG10(A1)", {{"=", 0}, {"LOG", 1}, {"10", 0}, {"(", 0}, {"A", 1}, {"1", 2}, {")", 0}}},
      {u"12+ x", {{"12", 0}, {"+ ", 0}, {"x", 1}}},
      {u"2.5E3*A1", {{"2.5E3", 0}, {"*", 0}, {"A", 1}, {"1", 2}}},
      {u"\"A1\"&A1", {{"\"A1\"", 0}, {"&", 0}, {"A", 1}, {"1", 2}}},
      {u"open_file(B1)", {{"open_file", 1}, {"(", 0}, {"B", 1}, {"1", 2}, {")", 0}}},
  };
  for (const TokenCase& c : cases) {
    const std::u16string text = c.formula;
    FormulaTokenizer t(text);
    std::u16string token;
    int64_t number = 0;
    std::vector<std::pair<std::string, int32_t>> got;
    for (int32_t type; (type = t.next(token, number)) != FormulaTokenizer::END;)
      got.emplace_back(show(token), type);
    EXPECT_EQ(got, c.tokens) << show(text);
  }
}

// The literals a formula holds, as offsets: numbers with what follows their digits or '.',
// and texts between double quotes; digits after a name are no literal.
TEST(FormulaTokenizer, FindsTheLiterals) {
  const struct {
    const char16_t* formula;
    std::vector<std::pair<size_t, size_t>> literals;
  } cases[] = {
      {u"A1+1e1", {{3, 6}}}, {u"x*2.5E3-.5e2", {{2, 7}, {9, 12}}}, {u"LOG10(B2)&\"C3\"", {{10, 14}}},
      {u"B1_ + a_b2", {}},   {u"'1e5' # 7", {{1, 4}, {8, 9}}},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<size_t, size_t>> got;
    for (const FormulaLiteral& l : formulaLiterals(c.formula)) got.emplace_back(l.begin, l.end);
    EXPECT_EQ(got, c.literals) << show(c.formula);
  }
}

}  // namespace
