// The row-at-a-time readers of a workbook's first worksheet: ExcelStream's
// comma-joined lines (each cell quoted where it must be, so a comma or a line
// break inside a cell does not shift the columns) and the worksheet kind of
// the row reader, through appendFile. Format 176 is a date only for the latter.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/ExcelStream.h"
#include "store/RowReader.h"
#include "tests/platform/xl/XlOracle.h"
#include "tests/support/TextConvert.h"

namespace {

using xltest::runPython;
using xltest::scratch;
using xltest::u16;

using testsupport::u8;

// Data at C2:F4 of the first sheet. Twelve custom formats on the second sheet
// come first, so that the two of the first sheet get the identifiers 176 and 177.
const char* kRows = R"py(
import openpyxl
wb = openpyxl.Workbook()
ws = wb.active
other = wb.create_sheet("other")
for i in range(13):  # "0.00" among them is built in
    other.cell(1, i + 1, 1).number_format = "0." + "0" * (i + 1)
for col, v in zip("CDEF", ["a", "b,c", 1, "line\nbreak"]):
    ws[col + "2"] = v
ws["C3"] = '"quoted'
ws["E3"] = True
ws["F3"] = "#N/A"
ws["C4"] = 45139; ws["C4"].number_format = "yyyy/m/d"
ws["D4"] = 0.5; ws["D4"].number_format = 'h"h"mm'
ws["E4"] = 0.125; ws["E4"].number_format = "0%"
wb.save(PATH)
)py";

class ExcelRows : public testing::Test {
 protected:
  void SetUp() override {
    XL_REQUIRE_ORACLE("openpyxl");
    mPath = scratch("rows.xlsx");
    ASSERT_TRUE(runPython("PATH = \"" + mPath + "\"\n" + kRows));
    // The fixture's custom identifiers are what the conversion keys on.
    xltest::BookPtr b(xlCreateXMLBookW());
    ASSERT_TRUE(b->load(u16(mPath).c_str()));
    ASSERT_EQ(b->getSheet(0)->cellFormat(3, 2)->numFormat(), 176);
    ASSERT_EQ(b->getSheet(0)->cellFormat(3, 3)->numFormat(), 177);
  }
  std::string mPath;
};

TEST_F(ExcelRows, StreamLinesQuoteCellsThatNeedIt) {
  ExcelStream stream;
  ASSERT_TRUE(stream.open(u16(mPath)));
  EXPECT_EQ(stream.lastRow(), 4);
  std::vector<std::string> lines;
  for (std::u16string line; !(line = stream.readLine()).empty();) lines.push_back(u8(line));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       ",,,\n",  // worksheet row 0, above the used area
                       "a,\"b,c\",1.000000,\"line\nbreak\"\n", "\"\"\"quoted\",,true,#N/A\n",
                       "45139.000000,12:0:0,12%,\n",  // 176 is no date here, 177 a time
                   }));
  EXPECT_EQ(stream.readLine(), u"");
  stream.close();
  EXPECT_EQ(stream.readLine(), u"");
}

TEST_F(ExcelRows, WorksheetKindOfTheRowReader) {
  RowReader reader;
  reader.open(u16(mPath), 0);
  ASSERT_EQ(reader.kind(), RowReader::KIND_WORKSHEET);
  EXPECT_EQ(reader.countRows(), 4u);
  std::vector<std::vector<std::u16string>> rows;
  while (!reader.atEnd()) rows.push_back(reader.nextRow());
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1], (std::vector<std::u16string>{u"a", u"b,c", u"1.000000", u"line\nbreak"}));
  EXPECT_EQ(rows[3], (std::vector<std::u16string>{u"2023-8-1", u"12:0:0", u"12%", u""}));
  EXPECT_TRUE(reader.nextRow().empty()) << "no fields after the last row";
  std::vector<std::u16string> none;
  reader.excelRow(4, none);
  reader.excelRow(-1, none);
  EXPECT_TRUE(none.empty());
}

TEST_F(ExcelRows, AppendFileOfAWorkbook) {
  CDataCore sheet;
  ASSERT_TRUE(sheet.appendFile(u16(mPath), 0, 100));
  ASSERT_EQ(sheet.mRowCount, 5u);
  ASSERT_EQ(sheet.mColCount, 5u);
  const std::vector<std::vector<std::string>> expected = {
      {"", "", "", ""},
      {"a", "b,c", "1", "line\nbreak"},  // "1.000000" typed as a number
      {"\"quoted", "", "true", "#N/A"},
      {"2023-8-1", "12:0:0", "12%", ""},
  };
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 4; ++c) {
      EXPECT_EQ(u8(sheet.getText(r, c)), expected[r - 1][c - 1]) << r << "," << c;
    }
  }
  EXPECT_EQ(sheet.cellAt(2, 3)->kind, CELL_DOUBLE);
}

TEST(ExcelRowsFailure, UnreadableWorkbooks) {
  const std::string garbage = scratch("garbage.xlsx");
  { std::ofstream(garbage) << "PK but no zip"; }
  for (const std::string& path : {garbage, scratch("absent.xls")}) {
    SCOPED_TRACE(path);
    ExcelStream stream;
    EXPECT_FALSE(stream.open(u16(path)));
    EXPECT_EQ(stream.readLine(), u"");
    RowReader reader;
    reader.open(u16(path), 0);
    EXPECT_EQ(reader.kind(), RowReader::KIND_NONE);
    EXPECT_TRUE(reader.atEnd());
    CDataCore sheet;
    EXPECT_FALSE(sheet.appendFile(u16(path), 0, 100));
  }
}

}  // namespace
