#include <gtest/gtest.h>

#include <string>

#include "commands/CellAction.h"
#include "commands/GridOps.h"
#include "commands/ReplaceText.h"
#include "store/NumberText.h"
#include "store/TextKey.h"
#include "tests/support/CaseName.h"
#include "tests/support/SheetSnapshot.h"
#include "tests/support/TextConvert.h"

namespace {

using testsupport::u8;

TEST(ReplaceText, FindNoCaseFoldsOnlyAsciiLetters) {
  const char16_t* text = u"xxABcd";
  EXPECT_EQ(findNoCase(text, u"abC"), text + 2);
  EXPECT_EQ(findNoCase(u"ÉCOLE", u"école"), nullptr);
  EXPECT_EQ(findNoCase(u"ab", u"abc"), nullptr);
  EXPECT_EQ(findNoCase(u"ab", u""), nullptr);
}

TEST(ReplaceText, ReplaceInTextNeverOverlapsNorSearchesItsResult) {
  EXPECT_EQ(u8(replaceInText(u"aaaa", u"aa", u"a", false)), "aa");
  EXPECT_EQ(u8(replaceInText(u"aXa", u"x", u"xx", true)), "axxa");
  EXPECT_EQ(u8(replaceInText(u"aXa", u"x", u"y", false)), "aXa");
  EXPECT_EQ(u8(replaceInText(u"abab", u"ab", u"", false)), "");
}

// One cell text through the three modes; "-" expects no match.
struct TextCase {
  const char* name;
  std::u16string pattern, replacement, text;
  bool matchCase, wholeCell, regex;
  const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { testsupport::printName(c, os); }

class ReplaceModes : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReplaceModes, MatchAndResult) {
  const TextCase& c = GetParam();
  CCellReplacer r(c.pattern, c.replacement, c.matchCase, c.wholeCell, c.regex);
  ASSERT_TRUE(r.ok()) << u8(r.error());
  CRegexMatcher m;
  std::u16string out;
  RegexStatus s = r.apply(m, c.text, out);
  if (std::string(c.expected) == "-") {
    EXPECT_EQ(int(s), int(RegexStatus::NoMatch)) << u8(out);
  } else {
    ASSERT_EQ(int(s), int(RegexStatus::Match));
    EXPECT_EQ(u8(out), c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceModes,
    ::testing::Values(TextCase{"plain_part", u"1", u"2", u"10", true, false, false, "20"},
                      TextCase{"plain_part_nocase", u"b", u"x", u"ABC", false, false, false, "AxC"},
                      TextCase{"plain_part_case", u"b", u"x", u"ABC", true, false, false, "-"},
                      TextCase{"plain_part_no_overlap", u"aa", u"a", u"aaaa", true, false, false, "aa"},
                      TextCase{"plain_part_longer_pattern", u"abc", u"x", u"ab", false, false, false, "-"},
                      // An empty pattern is found nowhere (it once matched at every position, forever).
                      TextCase{"plain_part_empty_pattern", u"", u"x", u"ab", true, false, false, "-"},
                      TextCase{"plain_part_empty_pattern_nocase", u"", u"x", u"ab", false, false, false, "-"},
                      TextCase{"plain_whole", u"abc", u"x", u"abc", true, true, false, "x"},
                      TextCase{"plain_whole_nocase", u"abc", u"x", u"ABC", false, true, false, "x"},
                      TextCase{"plain_whole_case", u"abc", u"x", u"ABC", true, true, false, "-"},
                      TextCase{"plain_whole_longer_text", u"abc", u"x", u"abcd", false, true, false, "-"},
                      TextCase{"plain_whole_non_ascii_not_folded", u"é", u"x", u"É", false, true, false, "-"},
                      // Escaped mode hands the plain matcher the texts after unescaping (TAB, LF, one backslash).
                      TextCase{"escaped_tab", u"\t", u" ", u"a\tb\tc", true, false, false, "a b c"},
                      TextCase{"escaped_line_break_whole", u"a\nb", u"ab", u"A\nB", false, true, false, "ab"},
                      TextCase{"escaped_backslash", u"\\", u"/", u"c:\\x", true, false, false, "c:/x"},
                      TextCase{"plain_dollar_is_literal", u"b", u"$&", u"abc", true, false, false, "a$&c"},
                      TextCase{"regex_part", u"(\\d+)-(\\d+)", u"$2-$1", u"12-34", true, false, true, "34-12"},
                      TextCase{"regex_part_nocase", u"B+", u"x", u"abBc", false, false, true, "axc"},
                      TextCase{"regex_part_case", u"B+", u"x", u"abc", true, false, true, "-"},
                      TextCase{"regex_part_all_matches", u".*", u"x", u"abc", true, false, true, "xx"},
                      TextCase{"regex_whole_single_match", u".*", u"x", u"abc", true, true, true, "x"},
                      TextCase{"regex_whole_needs_all", u"b", u"x", u"abc", true, true, true, "-"},
                      TextCase{"regex_whole_nocase", u"a(B)c", u"$1$1", u"ABC", false, true, true, "BB"}),
    testsupport::ByName());

// Replace on a sheet through the command manager.
struct ReplaceSheet : ::testing::Test {
  CDataCore core;
  iComManag manager;
  Selection selection{1, 1, Range{1, 1, 1, 1}};

  CCellAction* make() { return new CCellAction(&core, &selection); }
  const Cell& cell(int32_t r, int32_t c) { return *core.cellAt(r, c); }
};

TEST_F(ReplaceSheet, ResultsAreTypedAgainAndUndoRestoresEverything) {
  buildSheet(core, {{u"10", u"a1", u"x1y"}, {u"1.5", u"", u"=A1"}, {u"abc", u"11", u"b"}});
  core.mDatas[2][0].flag = 1;  // a hidden row is replaced too
  auto* a = make();
  EXPECT_EQ(a->replaceAll(u"1", u"2", true, false, false), 6);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(cell(1, 1).kind, CELL_INT64);
  EXPECT_EQ(cell(1, 1).asInt64(), 20);
  EXPECT_EQ(u8(core.getText(1, 2)), "a2");
  EXPECT_EQ(cell(1, 2).kind, CELL_TEXT);
  EXPECT_EQ(u8(core.getText(1, 3)), "x2y");
  EXPECT_EQ(cell(2, 1).kind, CELL_DOUBLE);
  EXPECT_EQ(u8(core.getText(2, 1)), "2.5");
  EXPECT_EQ(cell(2, 3).kind, CELL_FORMULA);
  EXPECT_EQ(u8(core.getText(2, 3)), "=A2");
  EXPECT_EQ(cell(3, 2).asInt64(), 22);
  EXPECT_EQ(cell(2, 2).kind, CELL_TEXT);
  EXPECT_EQ(cell(2, 2).value, 0u);  // an empty cell is never changed
  EXPECT_EQ(core.mDatas[2][0].flag, 1);
}

TEST_F(ReplaceSheet, ScriptCellsKeepTheirKind) {
  buildSheet(core, {{u"x"}});
  core.mDatas[1][1].kind = CELL_PYTHON;
  auto* a = make();
  EXPECT_EQ(a->replaceAll(u"x", u"=1+1", true, true, false), 1);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(cell(1, 1).kind, CELL_PYTHON);
  EXPECT_EQ(u8(core.getText(1, 1)), "=1+1");
}

TEST_F(ReplaceSheet, RegexWholeCellReplacesTheOneFullMatch) {
  buildSheet(core, {{u"abc", u"12-34"}});
  auto* a = make();
  EXPECT_EQ(a->replaceAll(u".*", u"x", true, true, true), 2);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(u8(core.getText(1, 1)), "x");
  EXPECT_EQ(u8(core.getText(1, 2)), "x");
}

TEST_F(ReplaceSheet, CountsMatchingCellsWhoseResultIsUnchanged) {
  buildSheet(core, {{u"ab", u"ab", u"cd"}});
  auto* a = make();
  EXPECT_EQ(a->replaceAll(u"b", u"b", true, false, false), 2);
  EXPECT_TRUE(a->isEmpty());
  manager.add(std::unique_ptr<iCommand>(a));  // dropped: nothing changes
  EXPECT_TRUE(manager.mUndoList.empty());
}

TEST_F(ReplaceSheet, ABadPatternChangesNothingAndSaysWhy) {
  buildSheet(core, {{u"abc"}});
  const SheetSnapshot before = SheetSnapshot::take(core);
  auto* a = make();
  std::u16string error;
  EXPECT_EQ(a->replaceAll(u"(a", u"x", true, false, true, &error), 0);
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(a->isEmpty());
  delete a;
  EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
}

TEST_F(ReplaceSheet, AnEngineLimitMidwayRecordsNothing) {
  buildSheet(core, {{u"ab"}, {u"ab"}, {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa!"}, {u"ab"}});
  auto* a = make();
  std::u16string error;
  EXPECT_EQ(a->replaceAll(u"(a+)+$|b", u"x", true, false, true, &error), 0);
  EXPECT_NE(error.find(u"A3"), std::u16string::npos) << u8(error);
  EXPECT_TRUE(a->isEmpty());
  EXPECT_TRUE(a->mOldRecords.empty());
  delete a;
}

TEST_F(ReplaceSheet, ReplaceCurrentChangesOnlyTheSelectionsTopLeftCell) {
  buildSheet(core, {{u"a1", u"a1"}, {u"a1", u"a1"}});
  selection = Selection{2, 2, Range{2, 2, 2, 2}};
  auto* a = make();
  a->replaceCurrent(u"A(\\d)", u"b$1", false, false, true);
  expectRunUndoRedo(manager, core, a);
  EXPECT_EQ(u8(core.getText(2, 2)), "b1");
  EXPECT_EQ(u8(core.getText(1, 1)), "a1");
  EXPECT_EQ(u8(core.getText(2, 1)), "a1");

  auto* b = make();
  b->replaceCurrent(u"zz", u"y", true, false, false);  // no match: nothing recorded
  EXPECT_TRUE(b->isEmpty());
  delete b;
}

TEST_F(ReplaceSheet, ManyRowsGiveTheSameResultAsOneCellAtATime) {
  // Enough rows for the scan to run on several threads and in several batches.
  const int32_t rows = 300'000;
  core.resize(rows, 3);
  for (int32_t r = 1; r < rows; ++r) {
    std::u16string t = u"r" + int64Text(r % 997) + u"-" + int64Text(r % 13);
    core.setTextTyped(r, 1, t.c_str());
    core.setInt64(r, 2, r);
  }
  auto* a = make();
  const int32_t count = a->replaceAll(u"r(\\d+)-(\\d+)", u"$2:$1", true, false, true);
  EXPECT_EQ(count, rows - 1);
  // The records come in row-major order.
  ASSERT_EQ(a->mNewRecords.size(), size_t(rows - 1));
  for (size_t i = 1; i < a->mNewRecords.size(); ++i) ASSERT_LT(a->mNewRecords[i - 1].row, a->mNewRecords[i].row);
  expectRunUndoRedo(manager, core, a);
  for (int32_t r : {1, 2, 12345, rows - 1})
    EXPECT_EQ(u8(core.getText(r, 1)), u8(int64Text(r % 13) + u":" + int64Text(r % 997)));
  EXPECT_EQ(core.getInt64(rows - 1, 2), rows - 1);
}

}  // namespace
