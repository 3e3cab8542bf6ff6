// ExcelBook::importSheet of workbooks made by the oracles (openpyxl for xlsx,
// xlwt for xls) with the same content: every cell kind, the percent, date and
// time formats, heights, widths and leading empty rows and columns; numbers
// beyond any fixed buffer or 32-bit range under the percent formats; the book
// type by the path; failed loads.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/ExcelBook.h"
#include "store/ExcelText.h"
#include "tests/platform/xl/XlOracle.h"
#include "tests/support/TextConvert.h"

namespace {

using xltest::runPython;
using xltest::scratch;
using xltest::u16;

// The progress reports one sheet received, in order.
struct ProgressLog {
  std::vector<int64_t> values;
  void attach(CDataCore& sheet) {
    sheet.setProgress([this](uint64_t, int64_t v) { values.push_back(v); });
  }
};

// The data from C3 on: row 3 plain kinds, row 4 formats, row 5 huge percents.
// Row 3 is 20 points high and column D 10 characters wide.
const char* kOpenpyxlKinds = R"(
import openpyxl, datetime
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "数据"
for col, v in zip("CDEFGHI", [1.5, "文本 text", True, False, "#DIV/0!", "0123", "42"]):
    ws[col + "3"] = v
for col, v, f in [("C", 0.125, "0%"), ("D", 0.125, "0.00%"), ("E", datetime.date(2023, 8, 1), "mm-dd-yy"),
                  ("F", datetime.time(12, 0, 0), "h:mm:ss"),
                  ("G", datetime.datetime(2023, 8, 1, 9, 5, 3), "m/d/yy h:mm"), ("H", 3, None),
                  ("I", -0.001, "0%")]:
    ws[col + "4"] = v
    if f: ws[col + "4"].number_format = f
ws["C5"] = 1e12; ws["C5"].number_format = "0%"
ws["D5"] = 1e300; ws["D5"].number_format = "0.00%"
ws["E5"] = -1e300; ws["E5"].number_format = "0%"
ws.row_dimensions[3].height = 20
ws.column_dimensions["D"].width = 10
wb.create_sheet("Zwei")["A1"] = "x"
wb.save(PATH)
)";

const char* kXlwtKinds = R"(
import xlwt, datetime
wb = xlwt.Workbook()
ws = wb.add_sheet("数据")
for c, v in zip(range(2, 9), [1.5, "文本 text", True, False, None, "0123", "42"]):
    if v is not None: ws.write(2, c, v)
ws.row(2).set_cell_error(6, "#DIV/0!")
st = lambda f: xlwt.easyxf(num_format_str=f)
for c, v, f in [(2, 0.125, "0%"), (3, 0.125, "0.00%"), (4, 45139.0, "M/D/YY"), (5, 0.5, "h:mm:ss"),
                (6, 45139.0 + (9 * 3600 + 5 * 60 + 3) / 86400.0, "M/D/YY h:mm"), (7, 3, None),
                (8, -0.001, "0%")]:
    if f: ws.write(3, c, v, st(f))
    else: ws.write(3, c, v)
ws.write(4, 2, 1e12, st("0%"))
ws.write(4, 3, 1e300, st("0.00%"))
ws.write(4, 4, -1e300, st("0%"))
ws.row(2).height_mismatch = True
ws.row(2).height = 20 * 20
ws.col(3).width = 10 * 256
wb.add_sheet("Zwei").write(0, 0, "x")
wb.save(PATH)
)";

std::string withPath(const char* script, const std::string& path) {
  return std::string("PATH = \"") + path + "\"\n" + script;
}

using testsupport::u8;

struct Expected {
  int row, col;
  uint8_t kind;
  const char* text;
};

class ExcelImport : public testing::TestWithParam<bool> {};  // xlsx?

TEST_P(ExcelImport, EveryKindFormatAndSize) {
  const bool xlsx = GetParam();
  if (xlsx) {
    XL_REQUIRE_ORACLE("openpyxl");
  } else {
    XL_REQUIRE_ORACLE("xlwt");
  }
  const std::string path = scratch(xlsx ? "kinds.xlsx" : "kinds.xls");
  ASSERT_TRUE(runPython(withPath(xlsx ? kOpenpyxlKinds : kXlwtKinds, path)));

  CDataCore sheet;
  ProgressLog log;
  log.attach(sheet);
  ExcelBook book(sheet, u16(path), true, true);
  EXPECT_EQ(book.errorText(), "");
  std::vector<std::u16string> names = book.sheetNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(u8(names[0]), "数据");
  EXPECT_EQ(u8(names[1]), "Zwei");
  ASSERT_TRUE(book.importSheet(0));

  // Worksheet C3:I5 lands at (3..5, 3..9): rows 1-2 and columns 1-2 stay empty.
  EXPECT_EQ(sheet.mRowCount, 6u);
  EXPECT_EQ(sheet.mColCount, 10u);
  const Expected cells[] = {
      {3, 3, CELL_DOUBLE, "1.5"},
      {3, 4, CELL_TEXT, "文本 text"},
      {3, 5, CELL_TEXT, "true"},
      {3, 6, CELL_TEXT, "false"},
      {3, 7, CELL_TEXT, "#DIV/0!"},
      {3, 8, CELL_TEXT, "0123"},  // a leading zero stays text
      {3, 9, CELL_INT64, "42"},
      {4, 3, CELL_TEXT, "12%"},  // 12.5 truncated
      {4, 4, CELL_TEXT, "12.50%"},
      {4, 5, CELL_TEXT, "2023-8-1"},
      {4, 6, CELL_TEXT, "12:0:0"},
      {4, 7, CELL_TEXT, "2023-8-1 9:5:3"},
      {4, 8, CELL_DOUBLE, "3"},
      {4, 9, CELL_TEXT, "0%"},  // no "-0%"
      {5, 3, CELL_TEXT, "100000000000000%"},
  };
  for (const Expected& e : cells) {
    SCOPED_TRACE(testing::Message() << "cell " << e.row << "," << e.col);
    EXPECT_EQ(sheet.cellAt(e.row, e.col)->kind, e.kind);
    EXPECT_EQ(u8(sheet.getText(e.row, e.col)), e.text);
  }
  // 1e302 and -1e302 written whole: 303 digits, no 20-character buffer, no 32-bit cut.
  std::string huge = u8(sheet.getText(5, 4)), negative = u8(sheet.getText(5, 5));
  EXPECT_EQ(huge.size(), 303u + 4u) << huge;
  EXPECT_EQ(huge.substr(0, 6), "100000");
  EXPECT_EQ(huge.substr(huge.size() - 4), ".00%");
  EXPECT_EQ(negative.size(), 1u + 303u + 1u) << negative;
  EXPECT_EQ(negative.substr(0, 3), "-10");
  for (int c = 0; c < 10; ++c) {
    for (int r = 1; r <= 2; ++r) EXPECT_EQ(sheet.getText(r, c), u"") << r << "," << c;
  }
  for (int r = 1; r < 6; ++r) {
    for (int c = 1; c <= 2; ++c) EXPECT_EQ(sheet.getText(r, c), u"") << r << "," << c;
  }

  // Heights × 1.5 and widths × 8 into header cells of kind double.
  EXPECT_EQ(sheet.cellAt(3, 0)->kind, CELL_DOUBLE);
  EXPECT_DOUBLE_EQ(sheet.getDouble(3, 0), 30.0);
  EXPECT_DOUBLE_EQ(sheet.getDouble(0, 4), 80.0);
  EXPECT_EQ(sheet.getDouble(1, 0), 0.0) << "rows above the used area keep no height";

  ASSERT_FALSE(log.values.empty());
  EXPECT_EQ(log.values.front(), 0);
  EXPECT_EQ(log.values.back(), 100);

  // The same book, pointed at another sheet, imports the second worksheet.
  CDataCore second;
  book.setSheet(second);
  ASSERT_TRUE(book.importSheet(1));
  EXPECT_EQ(u8(second.getText(1, 1)), "x");
  EXPECT_FALSE(book.importSheet(2));
}

INSTANTIATE_TEST_SUITE_P(Types, ExcelImport, testing::Bool(),
                         [](const auto& info) { return info.param ? "xlsx" : "xls"; });

TEST(ExcelImportType, BookTypeByTheLastFourCharacters) {
  const struct {
    const char16_t* path;
    bool xlsx;
  } cases[] = {{u"a.xlsx", true},  {u"A.XLSX", true},      {u"b.XlSx", true}, {u"xlsx", true}, {u"c.xls", false},
               {u"d.xlsm", false}, {u"e.xlsx.bak", false}, {u"lsx", false},   {u"", false}};
  for (const auto& c : cases) EXPECT_EQ(isXlsxPath(c.path), c.xlsx) << u8(c.path);

  // An xlsx file named .XLSX loads as xlsx.
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("UPPER.XLSX");
  ASSERT_TRUE(
      runPython("import openpyxl\nwb = openpyxl.Workbook()\nwb.active['B2'] = 'up'\nwb.save('" + path + "')\n"));
  CDataCore sheet;
  ExcelBook book(sheet, u16(path), true, true);
  ASSERT_TRUE(book.importSheet(0)) << book.errorText();
  EXPECT_EQ(sheet.getText(2, 2), u"up");
}

TEST(ExcelImportFailure, FailedLoadKeepsTheMessageAndAnEmptyBook) {
  const std::string missing = scratch("missing.xlsx"), garbage = scratch("garbage.xls");
  { std::ofstream(garbage) << "not a workbook at all"; }
  for (const std::string& path : {missing, garbage}) {
    SCOPED_TRACE(path);
    CDataCore sheet;
    sheet.resize(3, 3);
    sheet.setText(1, 1, u"kept");
    ProgressLog log;
    log.attach(sheet);
    ExcelBook book(sheet, u16(path), true, true);
    EXPECT_TRUE(book.hasBook());
    EXPECT_NE(book.errorText(), "");
    EXPECT_TRUE(book.sheetNames().empty());
    EXPECT_FALSE(book.importSheet(0));
    EXPECT_EQ(sheet.getText(1, 1), u"kept") << "a failed import leaves the sheet";
    EXPECT_EQ(log.values, (std::vector<int64_t>{0, 10, 100}));
  }
}

// The sheet is sized from the cells the worksheet holds, whatever its dimension record
// claims; a worksheet whose last cell would need more memory than there is (one cell
// at XFD1048576: about 172 GB of cells) is refused before the sheet changes.
TEST(ExcelImportFailure, SizedByTheCellsAndRefusedWhenTheyCannotFit) {
  XL_REQUIRE_ORACLE("openpyxl");
  const char* lastCell = R"(
import openpyxl
wb = openpyxl.Workbook()
wb.active["XFD1048576"] = "far"
wb.save(PATH)
)";
  const char* claimedDimension = R"(
import openpyxl, zipfile, re
wb = openpyxl.Workbook()
wb.active["A1"] = "x"
wb.save(PATH + ".tmp")
with zipfile.ZipFile(PATH + ".tmp") as zin, zipfile.ZipFile(PATH, "w", zipfile.ZIP_DEFLATED) as zout:
    for item in zin.infolist():
        data = zin.read(item.filename)
        if item.filename == "xl/worksheets/sheet1.xml":
            data = re.sub(rb'<dimension ref="[^"]*"/>', b'<dimension ref="A1:XFD1048576"/>', data)
        zout.writestr(item, data)
)";
  const struct {
    const char* name;
    const char* script;
    bool ok;
  } cases[] = {{"only cell at XFD1048576", lastCell, false},
               {"dimension claims XFD1048576", claimedDimension, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = scratch("far.xlsx");
    ASSERT_TRUE(runPython(withPath(c.script, path)));
    CDataCore sheet;
    sheet.resize(3, 3);
    sheet.setText(1, 1, u"kept");
    ProgressLog log;
    log.attach(sheet);
    ExcelBook book(sheet, u16(path), true, true);
    EXPECT_EQ(book.importSheet(0), c.ok) << book.errorText();
    EXPECT_EQ(log.values.back(), 100);
    if (c.ok) {
      EXPECT_EQ(sheet.mRowCount, 2u);
      EXPECT_EQ(sheet.mColCount, 2u);
      EXPECT_EQ(sheet.getText(1, 1), u"x");
    } else {
      EXPECT_NE(book.errorText().find("memory"), std::string::npos) << book.errorText();
      EXPECT_EQ(sheet.mRowCount, 3u);
      EXPECT_EQ(sheet.getText(1, 1), u"kept") << "a refused import leaves the sheet";
    }
  }
}

// An empty worksheet imports as a sheet of one header row and column, with
// progress from 0 to 100 and no division by its zero rows.
TEST(ExcelImportFailure, EmptyWorksheet) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("empty.xlsx");
  ASSERT_TRUE(runPython("import openpyxl\nopenpyxl.Workbook().save('" + path + "')\n"));
  CDataCore sheet;
  ProgressLog log;
  log.attach(sheet);
  ExcelBook book(sheet, u16(path), true, true);
  ASSERT_TRUE(book.importSheet(0));
  EXPECT_EQ(sheet.mRowCount, 1u);
  EXPECT_EQ(sheet.mColCount, 1u);
  EXPECT_EQ(log.values.back(), 100);
}

}  // namespace
