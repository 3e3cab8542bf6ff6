// COUNTIF over a sheet, the three area tables (small GBK files written by the test) and
// the geodesy formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "platform/CodePage.h"
#include "script/AreaLookup.h"
#include "script/CountIf.h"
#include "script/Geodesy.h"
#include "store/DataCore.h"
#include "tests/support/CaseName.h"
#include "tests/support/Scratch.h"

namespace {

struct CountCase {
  const char* name;
  const char* range;
  const char* criterion;
  double count;
};

void PrintTo(const CountCase& c, std::ostream* os) { testsupport::printName(c, os); }

// A1..A4 x, y, x, 3; B1 x; C3 y; row 2 of column 0 x; 6 rows (last row 5), 4 columns.
class CountIfTest : public ::testing::TestWithParam<CountCase> {
 protected:
  void SetUp() override {
    core.resize(6, 4);
    const char16_t* a[] = {u"x", u"y", u"x", u"3"};
    for (int r = 0; r < 4; ++r) core.setTextTyped(r + 1, 1, a[r]);
    core.setText(1, 2, u"x");
    core.setText(3, 3, u"y");
    core.setText(2, 0, u"x");
  }
  CDataCore core;
};

TEST_P(CountIfTest, CountsEqualTexts) {
  const CountCase& c = GetParam();
  EXPECT_EQ(evalCountIf(core, 5, c.range, c.criterion), c.count) << c.range << " " << c.criterion;
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, CountIfTest,
    ::testing::Values(CountCase{"column_range", "A1:A4", "x", 2}, CountCase{"reversed_range", "A4:A1", "x", 2},
                      CountCase{"lower_case_block", "a1:b4", "x", 3}, CountCase{"number_text", "A1:A4", "3", 1},
                      CountCase{"comparison_is_a_text", "A1:A4", ">2", 0}, CountCase{"case_kept", "A1:A4", "X", 0},
                      CountCase{"criterion_cell_text", "A1:A4", "C3", 1},
                      CountCase{"criterion_letters_alone", "A1:A4", "abc", 0},
                      CountCase{"criterion_cell_outside", "A1:A4", "ZZ99", 0},  // the empty text
                      CountCase{"empty_cells_match_empty_cell", "A5:B5", "Z100", 2},
                      CountCase{"one_cell_match", "A1", "x", 1}, CountCase{"one_cell_no_match", "A2", "x", 0},
                      CountCase{"whole_column", "A:A", "x", 2},  // rows 1 to the last
                      CountCase{"whole_columns_empty", "A:B", "", 5},
                      // corners without letters are in column 0
                      CountCase{"rows_only", "1:3", "x", 1}, CountCase{"rows_only_reversed", "3:1", "x", 1},
                      CountCase{"row_to_cell", "1:A3", "x", 3}, CountCase{"empty_range_is_cell_0_0", "", "", 1}),
    testsupport::ByName());

TEST(CountIfTest, CriterionTextIsAnsi) {
  CDataCore core;
  core.resize(3, 2);
  core.setText(1, 1, u"北京");
  core.setText(2, 1, u"北京");
  EXPECT_EQ(evalCountIf(core, 2, "A1:A2", wideToAnsi(u"北京")), 2);
}

// The area files, as GBK bytes.
class AreaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.native("source"));
    write("source/Mobile.csv", u"1380000,北京\r\n1390000,上海\n1390000,上海市\n137,短,x\nbad\n\n");
    write("source/IDCard.csv", u"110101,北京市东城区\n440305,深圳市南山区");  // no final break
    write("source/PostCode.csv", u"100000,北京\n518000,深圳\n");
    testhooks::setAreaFolder(utf8ToWide(dir.dir()));
  }
  void TearDown() override { testhooks::setAreaFolder(u""); }
  void write(const std::string& name, const std::u16string& text) {
    std::ofstream(dir.native(name), std::ios::binary) << wideToAnsi(text);
  }
  std::u16string area(const std::string& ansi) { return ansiToWide(ansi); }
  testsupport::ScratchDir dir;
};

TEST_F(AreaTest, LooksUpByPrefixAndLength) {
  struct Case {
    std::u16string number;
    std::u16string mobile, idCard;
  } cases[] = {
      {u"13800000000", u"北京", u""},
      {u"13900001234", u"上海市", u""},  // a later row wins
      {u"1380000000", u"", u""},
      {u"138000000001", u"", u""},  // 10 and 12
      {u"11010119900101123X", u"", u"北京市东城区"},
      {u"44030519900101123X", u"", u"深圳市南山区"},  // the last row
      {u"1101011990010112", u"", u""},
      {u"1370000abcd", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(area(phoneAreaOf(c.number)), c.mobile) << wideToUtf8(c.number);
    EXPECT_EQ(area(idCardAreaOf(c.number)), c.idCard) << wideToUtf8(c.number);
  }
  EXPECT_EQ(area(postCodeAreaOf(518000)), u"深圳");
  EXPECT_EQ(area(postCodeAreaOf(518001)), u"");
}

TEST_F(AreaTest, RowsSplitAtEveryLineBreakAndComma) {
  auto rows = readCsvRows(dir.path("source/Mobile.csv"));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3], (std::vector<std::string>{"137", wideToAnsi(u"短"), "x"}));
  EXPECT_EQ(rows[4], std::vector<std::string>{"bad"});
  EXPECT_TRUE(readCsvRows(dir.path("none.csv")).empty());
}

TEST_F(AreaTest, AMissingFileGivesEmptyAreas) {
  testhooks::setAreaFolder(dir.path("nowhere"));
  EXPECT_EQ(phoneAreaOf(u"13800000000"), "");
}

struct GeoCase {
  GeoPoint a, b;
  double distance, heading;
};

TEST(Geodesy, DistancesAndHeadings) {
  const double degree = 2 * 3.1415926535898 * 6371008.8 / 360;
  const GeoCase cases[] = {
      {{0, 0}, {0, 0}, 0, 0},         {{0, 0}, {1, 0}, degree, 90},
      {{0, 0}, {-1, 0}, degree, -90}, {{0, 0}, {0, -1}, degree, 180},
      {{0, 0}, {0, 1}, degree, 0},    {{116.4, 39.9}, {121.5, 31.2}, 1071287.2593, 154.5448},
  };
  for (const GeoCase& c : cases) {
    EXPECT_NEAR(geoDistance(c.a, c.b), c.distance, 1e-3);
    EXPECT_NEAR(geoHeading(c.a, c.b), c.heading, 1e-3);
  }
  GeoPoint east = geoDestination({0, 0}, degree, 90);
  EXPECT_NEAR(east.lon, 1, 1e-9);
  EXPECT_NEAR(east.lat, 0, 1e-9);
  GeoPoint west = geoDestination({0, 0}, degree, 270);
  EXPECT_NEAR(west.lon, -1, 1e-9) << "the longitude keeps fmod's sign";
}

}  // namespace
