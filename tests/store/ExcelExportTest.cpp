// ExcelBook::exportSheet read back by the oracles (openpyxl for xlsx, xlrd
// for xls): cells by kind (integers and formulas as texts, date-time cells as
// dates), sizes, the visible-only export, the refusals at the file type's
// limits and for texts an xls cell cannot hold, a save into an existing
// workbook that keeps its other sheet, and export-import round trips.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/ExcelBook.h"
#include "tests/platform/xl/XlOracle.h"
#include "tests/support/TextConvert.h"

namespace {

using xltest::runPython;
using xltest::scratch;
using xltest::u16;

using testsupport::u8;

// Every non-empty cell of worksheet SHEET as "A1 type value" lines, then the
// custom row heights (points) and column widths (characters).
const char* kDumpXlsx = R"(
import openpyxl
ws = openpyxl.load_workbook(PATH)[SHEET]
for row in ws.iter_rows():
    for c in row:
        if c.value is not None:
            print(c.coordinate, type(c.value).__name__, c.value)
for k in sorted(ws.row_dimensions):
    if ws.row_dimensions[k].customHeight: print("height", k, ws.row_dimensions[k].height)
for k in sorted(ws.column_dimensions):
    if ws.column_dimensions[k].customWidth: print("width", k, ws.column_dimensions[k].width)
)";

const char* kDumpXls = R"(
import xlrd, datetime
bk = xlrd.open_workbook(PATH, formatting_info=True)
sh = bk.sheet_by_name(SHEET)
for r in range(sh.nrows):
    for c in range(sh.ncols):
        cell = sh.cell(r, c)
        v = cell.value
        if cell.ctype == xlrd.XL_CELL_EMPTY: continue
        if cell.ctype == xlrd.XL_CELL_DATE: v = xlrd.xldate.xldate_as_datetime(v, bk.datemode)
        if cell.ctype == xlrd.XL_CELL_BOOLEAN: v = bool(v)
        print(xlrd.cellname(r, c), type(v).__name__, v)
for r in sorted(sh.rowinfo_map):
    if sh.rowinfo_map[r].height_mismatch: print("height", r + 1, sh.rowinfo_map[r].height / 20)
for c in sorted(sh.colinfo_map):
    print("width", xlrd.colname(c), sh.colinfo_map[c].width / 256)
)";

// The oracle's dump of worksheet `name` of the workbook.
std::string dump(const std::string& path, bool xlsx, const std::string& name) {
  std::string out;
  std::string script = "PATH = \"" + path + "\"\nSHEET = \"" + name + "\"\n" + (xlsx ? kDumpXlsx : kDumpXls);
  if (!runPython(script, &out)) return "<oracle failed>\n" + out;
  return out;
}

// A date-time cell (kind 7) of `seconds` since 1970.
void setDateTime(CDataCore& sheet, int32_t row, int32_t col, int64_t seconds) {
  sheet.clearCell(row, col);
  Cell* c = sheet.cellAt(row, col);
  c->kind = CELL_DATETIME;
  c->value = uint64_t(seconds);
}

// "2023-08-01 09:05:03" as the oracles print a datetime.
std::string shownDateTime(const CDataCore& sheet, int32_t row, int32_t col) { return u8(sheet.getText(row, col)); }

// Rows: name 42 2.5 =1+2 <date-time>; (empty) 0123 -7 "a,b"; row 1 30 pixels
// high, column 1 80 pixels wide, column 3 16 pixels.
void fillKinds(CDataCore& sheet) {
  sheet.resize(3, 6);
  for (const auto& [r, c, text] : std::vector<std::tuple<int, int, const char16_t*>>{{1, 1, u"name"},
                                                                                     {1, 2, u"42"},
                                                                                     {1, 3, u"2.5"},
                                                                                     {1, 4, u"=1+2"},
                                                                                     {2, 2, u"0123"},
                                                                                     {2, 3, u"-7"},
                                                                                     {2, 4, u"a,b"}}) {
    sheet.setTextTyped(r, c, text);
  }
  setDateTime(sheet, 1, 5, 1690880703);  // 2023-08-01 09:05:03 UTC
  sheet.setDouble(1, 0, 30);
  sheet.setDouble(0, 1, 80);
  sheet.setDouble(0, 3, 16);
}

class ExcelExport : public testing::TestWithParam<bool> {  // xlsx?
 protected:
  void SetUp() override {
    if (GetParam()) {
      XL_REQUIRE_ORACLE("openpyxl");
    } else {
      XL_REQUIRE_ORACLE("xlrd");
    }
  }
  std::string path(const std::string& stem) const { return scratch(stem + (GetParam() ? ".xlsx" : ".xls")); }
};

TEST_P(ExcelExport, CellsByKindAndSizes) {
  CDataCore sheet;
  fillKinds(sheet);
  ASSERT_EQ(sheet.cellAt(1, 2)->kind, CELL_INT64);
  ASSERT_EQ(sheet.cellAt(1, 4)->kind, CELL_FORMULA);
  std::vector<int64_t> progress;
  sheet.setProgress([&](uint64_t, int64_t v) { progress.push_back(v); });
  const std::string file = path("kinds");
  ExcelBook book(sheet, u16(file), false, true);
  ASSERT_TRUE(book.exportSheet(0)) << book.errorText();
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);

  const std::string date = shownDateTime(sheet, 1, 5);
  EXPECT_EQ(dump(file, GetParam(), "sheet1"),
            "A1 str name\n"
            "B1 str 42\n"  // integers are written as texts
            "C1 float 2.5\n"
            "D1 str =1+2\n"  // a formula as its text
            "E1 datetime " +
                date +
                "\n"
                "B2 str 0123\n"
                "C2 str -7\n"
                "D2 str a,b\n"
                "height 1 20.0\n"
                "width A 10.0\n"
                "width C 2.0\n");
}

TEST_P(ExcelExport, VisibleOnlySkipsHiddenRowsAndColumns) {
  CDataCore sheet;
  sheet.resize(4, 4);
  for (int r = 1; r < 4; ++r) {
    for (int c = 1; c < 4; ++c) {
      sheet.setText(r, c, u16(std::string(1, char('a' + c - 1)) + std::to_string(r)));
    }
  }
  sheet.cellAt(2, 0)->flag = 1;  // row 2 hidden
  sheet.cellAt(0, 2)->flag = 1;  // column 2 hidden
  sheet.setDouble(3, 0, 45);
  const std::string file = path("visible");
  ExcelBook book(sheet, u16(file), false, false);
  ASSERT_TRUE(book.exportSheet(0)) << book.errorText();
  EXPECT_EQ(dump(file, GetParam(), "sheet1"), "A1 str a1\nB1 str c1\nA2 str a3\nB2 str c3\nheight 2 30.0\n");

  // The every-row export of the same sheet keeps them.
  ExcelBook all(sheet, u16(file), false, true);
  ASSERT_TRUE(all.exportSheet(0));
  EXPECT_EQ(dump(file, GetParam(), "sheet1"),
            "A1 str a1\nB1 str b1\nC1 str c1\nA2 str a2\nB2 str b2\nC2 str c2\n"
            "A3 str a3\nB3 str b3\nC3 str c3\nheight 3 30.0\n");
}

// Exporting and importing again gives the sheet's values and sizes back
// (integers come back as integers through the typed import).
TEST_P(ExcelExport, RoundTripThroughTheLibrary) {
  CDataCore sheet;
  fillKinds(sheet);
  const std::string file = path("round");
  {
    ExcelBook book(sheet, u16(file), false, true);
    ASSERT_TRUE(book.exportSheet(0)) << book.errorText();
  }
  CDataCore back;
  ExcelBook book(back, u16(file), true, true);
  ASSERT_TRUE(book.importSheet(0)) << book.errorText();
  EXPECT_EQ(back.getText(1, 2), u"42");
  EXPECT_EQ(back.cellAt(1, 2)->kind, CELL_INT64);
  EXPECT_EQ(back.getText(1, 4), u"=1+2");
  EXPECT_EQ(back.getText(2, 2), u"0123");
  EXPECT_EQ(back.getText(2, 4), u"a,b");
  // The date-time comes back in the workbook's date-and-time form, local time.
  std::string shown = shownDateTime(sheet, 1, 5);  // "2023-08-01 09:05:03"
  auto num = [&](size_t at, size_t n) { return std::to_string(std::stoi(shown.substr(at, n))); };
  EXPECT_EQ(u8(back.getText(1, 5)),
            num(0, 4) + "-" + num(5, 2) + "-" + num(8, 2) + " " + num(11, 2) + ":" + num(14, 2) + ":" + num(17, 2));
  EXPECT_DOUBLE_EQ(back.getDouble(1, 0), 30.0);
  EXPECT_DOUBLE_EQ(back.getDouble(0, 1), 80.0);
}

// An empty sheet exports without dividing by its zero rows.
TEST_P(ExcelExport, EmptySheet) {
  CDataCore sheet;
  std::vector<int64_t> progress;
  sheet.setProgress([&](uint64_t, int64_t v) { progress.push_back(v); });
  const std::string file = path("empty");
  ExcelBook book(sheet, u16(file), false, true);
  ASSERT_TRUE(book.exportSheet(0)) << book.errorText();
  EXPECT_EQ(progress.back(), 100);
  EXPECT_EQ(dump(file, GetParam(), "sheet1"), "");
}

INSTANTIATE_TEST_SUITE_P(Types, ExcelExport, testing::Bool(),
                         [](const auto& info) { return info.param ? "xlsx" : "xls"; });

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A sheet of `rows` x `cols` data cells, the last row and column holding "x".
void fillCorners(CDataCore& sheet, int32_t rows, int32_t cols) {
  sheet.resize(rows + 1, cols + 1);
  sheet.setText(1, 1, u"first");
  sheet.setText(rows, 1, u"x");
  sheet.setText(1, cols, u"x");
}

// Beyond the rows or columns of the file type the export is refused, the
// file left as it was; empty rows and columns beyond them drop nothing and
// are no reason to refuse.
TEST(ExcelExportLimits, BeyondTheFileTypeIsRefused) {
  const struct {
    const char* name;
    const char* file;
    int32_t rows, cols;
    bool all;
    bool hideOneRow;
    bool ok;
  } cases[] = {
      {"xls rows", "lim.xls", 65537, 2, true, false, false},
      {"xls 65536 rows", "lim.xls", 65536, 2, true, false, true},
      {"xls 256 columns", "lim.xls", 2, 256, true, false, false},  // the export writes 255
      {"xls 255 columns", "lim.xls", 2, 255, true, false, true},
      {"xlsx columns", "lim.xlsx", 2, 16385, true, false, false},
      {"xlsx 16384 columns", "lim.xlsx", 2, 16384, true, false, true},
      {"visible xls rows", "lim.xls", 65537, 2, false, false, false},
      {"visible xls rows, one hidden", "lim.xls", 65537, 2, false, true, true},
      {"visible xls 256 columns", "lim.xls", 2, 256, false, false, true},
      {"visible xls 257 columns", "lim.xls", 2, 257, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = scratch(c.file);
    { std::ofstream(file) << "old"; }
    CDataCore sheet;
    fillCorners(sheet, c.rows, c.cols);
    if (c.hideOneRow) sheet.cellAt(2, 0)->flag = 1;
    std::vector<int64_t> progress;
    sheet.setProgress([&](uint64_t, int64_t v) { progress.push_back(v); });
    ExcelBook book(sheet, u16(file), false, c.all);
    EXPECT_EQ(book.exportSheet(0), c.ok) << book.errorText();
    EXPECT_EQ(progress.back(), 100);
    if (!c.ok) {
      EXPECT_NE(book.errorText().find("beyond"), std::string::npos) << book.errorText();
      EXPECT_EQ(fileBytes(file), "old");
    } else {
      CDataCore back;
      ExcelBook reader(back, u16(file), true, true);
      ASSERT_TRUE(reader.importSheet(0)) << reader.errorText();
      int32_t rows = c.rows - (c.hideOneRow ? 1 : 0);
      EXPECT_EQ(back.mRowCount, uint64_t(rows) + 1);
      EXPECT_EQ(back.mColCount, uint64_t(c.cols) + 1);
      EXPECT_EQ(back.getText(rows, 1), u"x");
      EXPECT_EQ(back.getText(1, c.cols), u"x");
    }
  }
  // Rows beyond the limit that hold nothing are dropped without loss.
  CDataCore sheet;
  fillCorners(sheet, 3, 2);
  sheet.resize(70001, 3);
  const std::string file = scratch("lim_empty_tail.xls");
  ExcelBook book(sheet, u16(file), false, true);
  EXPECT_TRUE(book.exportSheet(0)) << book.errorText();
}

// A text longer than a cell of the file type holds (xlsx: 32,767 characters) fails the
// export, naming the cell, instead of vanishing or making a file other programs refuse.
// Numbers no file holds go as the texts the sheet shows.
TEST(ExcelExportLimits, WhatTheLibraryRefuses) {
  const std::string xls = scratch("long.xls"), xlsx = scratch("long.xlsx");
  const struct {
    const std::string& file;
    size_t length;
    bool ok;
  } texts[] = {{xls, 40000, false}, {xlsx, 40000, false}, {xlsx, 32768, false}, {xlsx, 32767, true}};
  for (const auto& t : texts) {
    SCOPED_TRACE(t.file + " " + std::to_string(t.length));
    CDataCore sheet;
    sheet.resize(3, 3);
    sheet.setText(1, 1, u"short");
    sheet.setText(2, 2, std::u16string(t.length, u'x'));
    { std::ofstream(t.file) << "old"; }
    ExcelBook a(sheet, u16(t.file), false, true);
    EXPECT_EQ(a.exportSheet(0), t.ok) << a.errorText();
    if (t.ok) {
      CDataCore back;
      ExcelBook in(back, u16(t.file), true, true);
      ASSERT_TRUE(in.importSheet(0));
      EXPECT_EQ(back.getText(2, 2).size(), t.length);
    } else {
      EXPECT_NE(a.errorText().find("row 2, column 2"), std::string::npos) << a.errorText();
      EXPECT_EQ(fileBytes(t.file), "old");
    }
  }

  CDataCore numbers;
  numbers.resize(2, 4);
  numbers.setDouble(1, 1, std::nan(""));
  numbers.setDouble(1, 2, -HUGE_VAL);
  numbers.setDouble(1, 3, 1.25);
  for (const std::string& file : {xls, xlsx}) {
    ExcelBook out(numbers, u16(file), false, true);
    ASSERT_TRUE(out.exportSheet(0)) << out.errorText();
    CDataCore back;
    ExcelBook in(back, u16(file), true, true);
    ASSERT_TRUE(in.importSheet(0));
    EXPECT_EQ(back.getText(1, 1), numbers.getText(1, 1)) << file;
    EXPECT_EQ(back.getText(1, 2), u"-inf") << file;
    EXPECT_EQ(back.getDouble(1, 3), 1.25) << file;
  }
}

// Saving into one sheet of an existing two-sheet workbook replaces that sheet
// and leaves the other with its values, formula and formats.
TEST(ExcelExportExisting, OtherSheetKept) {
  XL_REQUIRE_ORACLE("openpyxl");
  const std::string file = scratch("two.xlsx");
  ASSERT_TRUE(runPython(R"py(
import openpyxl
wb = openpyxl.Workbook()
a = wb.active
a.title = "Erste"
a["A1"] = "old"
a["C5"] = 99
b = wb.create_sheet("Zweite")
b["A1"] = 1.5
b["A2"] = 2.25
b["A3"] = "=SUM(A1:A2)"
b["B1"] = 0.5
b["B1"].number_format = "0.00%"
b.column_dimensions["B"].width = 30
wb.save(")py" + file + R"py(")
)py"));
  CDataCore sheet;
  fillKinds(sheet);
  ExcelBook book(sheet, u16(file), true, true);
  std::vector<std::u16string> names = book.sheetNames();
  ASSERT_EQ(names.size(), 2u);
  ASSERT_EQ(names[0], u"Erste");
  ASSERT_TRUE(book.exportSheet(0)) << book.errorText();

  std::string out;
  ASSERT_TRUE(runPython(R"(
import openpyxl
wb = openpyxl.load_workbook(")" +
                            file + R"(")
print(wb.sheetnames)
a, b = wb["Erste"], wb["Zweite"]
print(a.max_row, a["A1"].value, a["B1"].value, a["C5"].value)
print(b["A1"].value, b["A2"].value, b["A3"].value, b["B1"].number_format, b.column_dimensions["B"].width)
print(a["E1"].is_date)
)",
                        &out));
  EXPECT_EQ(out,
            "['Erste', 'Zweite']\n"
            "2 name 42 None\n"  // the old cells of the written sheet are gone
            "1.5 2.25 =SUM(A1:A2) 0.00% 30.0\n"
            "True\n");
}

}  // namespace
