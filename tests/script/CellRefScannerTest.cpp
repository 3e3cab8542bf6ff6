// The reference scanner: which names of a script text are cells, with their kinds and
// corners, on a sheet whose last row is 20 and last column 30 (AD) unless stated.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/CellRefScanner.h"
#include "tests/support/CaseName.h"

namespace {

struct Found {
  ScriptRefKind kind;
  std::string name;
  int32_t row, col, row2, col2;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Found& f) {
  return os << int(f.kind) << ' ' << f.name << ' ' << f.row << ',' << f.col << ',' << f.row2 << ',' << f.col2;
}

struct ScanCase {
  const char* name;
  const char* text;
  std::vector<Found> refs;
  int32_t lastRow = 20;
  int32_t lastCol = 30;
};

void PrintTo(const ScanCase& c, std::ostream* os) { testsupport::printName(c, os); }

std::vector<Found> scan(const ScanCase& c) {
  std::vector<Found> out;
  CCellRefScanner s(c.text, c.lastRow, c.lastCol);
  for (ScriptCellRef r = s.next(); r.begin; r = s.next())
    out.push_back({r.kind, std::string(r.name()), r.row, r.col, r.row2, r.col2});
  return out;
}

class ScannerTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScannerTest, FindsReferences) { EXPECT_EQ(scan(GetParam()), GetParam().refs) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Texts, ScannerTest,
    ::testing::Values(
        ScanCase{"countif_range_and_cells_comment_skipped",
                 "D1 := COUNTIF(A1:A9, 'x') + B2; # A5",
                 {{REF_NUMBER, "D1", 1, 4, 0, 0},
                  {REF_COUNTIF_RANGE, "A1:A9", 1, 1, 9, 1},
                  {REF_NUMBER, "B2", 2, 2, 0, 0}}},
        ScanCase{"countif_arguments_and_text_cell",
                 "countif(A1:A9, B1) + B1 + countif(C2_, C3)",
                 {{REF_COUNTIF_RANGE, "A1:A9", 1, 1, 9, 1},
                  {REF_COUNTIF_RANGE, "B1", 1, 2, 0, 0},
                  {REF_NUMBER, "B1", 1, 2, 0, 0},
                  {REF_TEXT, "C2_", 2, 3, 0, 0},
                  {REF_COUNTIF_RANGE, "C3", 3, 3, 0, 0}}},
        ScanCase{
            "number_and_text_cells", "A1 + b2_", {{REF_NUMBER, "A1", 1, 1, 0, 0}, {REF_TEXT, "b2_", 2, 2, 0, 0}}},
        ScanCase{"ranges_either_order_and_case",
                 "B3:A1 + a1:b3",
                 {{REF_RANGE, "B3:A1", 1, 1, 3, 2}, {REF_RANGE, "a1:b3", 1, 1, 3, 2}}},
        ScanCase{"range_cut_to_the_sheet",
                 "A15:B99 + A21:B30",
                 {{REF_RANGE, "A15:B99", 15, 1, 20, 2}}},  // cut; past the end
        ScanCase{
            "column_ranges", "C:A + A:AZ", {{REF_RANGE, "C:A", 1, 1, 20, 3}, {REF_RANGE, "A:AZ", 1, 1, 20, 30}}},
        ScanCase{"past_the_sheet", "AE:AF + AE1 + A21", {}},  // past the sheet
        ScanCase{"colon_before_digit_or_equals",
                 "A1:5 + A1:=5",
                 {{REF_NUMBER, "A1", 1, 1, 0, 0}}},                                     // ':' digit: nothing
        ScanCase{"corner_without_row", "A1:B + A0", {{REF_NUMBER, "A0", 0, 1, 0, 0}}},  // corner without row
        ScanCase{"identifier_starting_with_a_cell", "x1y", {{REF_NUMBER, "x1", 1, 24, 0, 0}}},
        ScanCase{"table_calls_are_not_cells",
                 "get1('t',1,1) + set1_('t',1,1,'') + GET1 + SET1_",
                 {{REF_NUMBER, "GET1", 1, 4882, 0, 0}, {REF_TEXT, "SET1_", 1, 12994, 0, 0}},
                 20,
                 20000},
        ScanCase{"comments_and_quotes_skipped",
                 "// A1\n/* B2 */ 'C3 \\' D4' # E5\nF6",
                 {{REF_NUMBER, "F6", 6, 6, 0, 0}}},
        ScanCase{"unclosed_comment", "/* A1", {}}, ScanCase{"unclosed_quote", "'A1\\", {}},
        ScanCase{"comment_only", "#", {}},
        ScanCase{"row_too_large", "A99999999999999 + B2", {{REF_NUMBER, "B2", 2, 2, 0, 0}}},
        ScanCase{"column_range_on_an_empty_sheet", "sum(A:C)", {{REF_RANGE, "A:C", 1, 1, 0, 3}}, 0, 30}),
    testsupport::ByName());

}  // namespace
