// Formats made by Book::addFormat: a number with a date format written by the
// library must read back as a date in the oracles, in new books and in loaded
// ones (whose own styles stay), for both file types.
#include "tests/platform/xl/XlOracle.h"

namespace {

using namespace xltest;
using xl::Book;

Book* create(bool xlsx) { return xlsx ? xlCreateXMLBookW() : xlCreateBookW(); }

// 1 August 2023 09:05:03 as a 1900-system serial.
constexpr double kSerial = 45139.0 + (9 * 3600 + 5 * 60 + 3) / 86400.0;

TEST(XlFormat, SetNumFormatTakesBuiltInIdsOnAddedFormatsOnly) {
  for (bool xlsx : {false, true}) {
    BookPtr b(create(xlsx));
    xl::Format* f = b->addFormat();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->numFormat(), 0);
    EXPECT_TRUE(f->setNumFormat(22));
    EXPECT_EQ(f->numFormat(), 22);
    EXPECT_FALSE(f->setNumFormat(-1));
    EXPECT_FALSE(f->setNumFormat(50)) << "custom identifiers need a format string";
    EXPECT_EQ(f->numFormat(), 22);
    xl::Sheet* s = b->addSheet(u"s");
    ASSERT_TRUE(s->writeNum(0, 0, kSerial, f));
    EXPECT_EQ(s->cellFormat(0, 0), f);
  }
}

// Writes (0,0) date-time, (0,1) date, (1,0) a plain number into sheet `name`
// of the book and saves it.
void writeDates(Book* b, const char16_t* name, const std::string& path) {
  xl::Sheet* s = b->addSheet(name);
  ASSERT_NE(s, nullptr);
  xl::Format* dt = b->addFormat();
  xl::Format* d = b->addFormat();
  ASSERT_TRUE(dt && d);
  ASSERT_TRUE(dt->setNumFormat(22));
  ASSERT_TRUE(d->setNumFormat(14));
  ASSERT_TRUE(s->writeNum(0, 0, kSerial, dt));
  ASSERT_TRUE(s->writeNum(0, 1, 45139.0, d));
  ASSERT_TRUE(s->writeNum(1, 0, 2.5));
  std::u16string p = u16(path);
  ASSERT_TRUE(b->save(p.c_str())) << b->errorMessage();
}

TEST(XlFormat, NewXlsxBookDatesReadByOpenpyxl) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("fmt_new.xlsx");
  BookPtr b(xlCreateXMLBookW());
  writeDates(b.book, u"Dates", path);
  std::string out;
  ASSERT_TRUE(runPython(R"(
import openpyxl
ws = openpyxl.load_workbook(")" +
                            path + R"(")["Dates"]
print(repr(ws["A1"].value), repr(ws["B1"].value), repr(ws["A2"].value), ws["A2"].is_date)
)",
                        &out));
  EXPECT_EQ(out, "datetime.datetime(2023, 8, 1, 9, 5, 3) datetime.datetime(2023, 8, 1, 0, 0) 2.5 False\n");
}

TEST(XlFormat, NewXlsBookDatesReadByXlrd) {
  XL_REQUIRE_ORACLE("xlrd");
  std::string path = scratch("fmt_new.xls");
  BookPtr b(xlCreateBookW());
  writeDates(b.book, u"Dates", path);
  std::string out;
  ASSERT_TRUE(runPython(R"(
import xlrd
bk = xlrd.open_workbook(")" +
                            path + R"(")
sh = bk.sheet_by_name("Dates")
print(sh.cell(0, 0).ctype == xlrd.XL_CELL_DATE, xlrd.xldate_as_tuple(sh.cell_value(0, 0), bk.datemode),
      sh.cell(0, 1).ctype == xlrd.XL_CELL_DATE, sh.cell(1, 0).ctype == xlrd.XL_CELL_NUMBER)
)",
                        &out));
  EXPECT_EQ(out, "True (2023, 8, 1, 9, 5, 3) True True\n");
}

// A loaded book with styles of its own: the added formats come after them,
// and the cells formatted by the file keep their formats.
TEST(XlFormat, LoadedXlsxKeepsItsStylesAndTakesNewOnes) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("fmt_loaded.xlsx");
  ASSERT_TRUE(runPython(R"(
import openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Old"
ws["A1"] = 0.25
ws["A1"].number_format = "0.00%"
ws["B1"] = 3
ws["B1"].number_format = "0.000"
wb.save(")" + path + R"(")
)"));
  BookPtr b(xlCreateXMLBookW());
  std::u16string p = u16(path);
  ASSERT_TRUE(b->load(p.c_str()));
  writeDates(b.book, u"Dates", path);
  std::string out;
  ASSERT_TRUE(runPython(R"(
import openpyxl
wb = openpyxl.load_workbook(")" +
                            path + R"(")
old, ws = wb["Old"], wb["Dates"]
print(old["A1"].number_format, old["B1"].number_format, repr(ws["A1"].value), ws["B1"].is_date)
)",
                        &out));
  EXPECT_EQ(out, "0.00% 0.000 datetime.datetime(2023, 8, 1, 9, 5, 3) True\n");
}

TEST(XlFormat, LoadedXlsKeepsItsStylesAndTakesNewOnes) {
  XL_REQUIRE_ORACLE("xlwt");
  XL_REQUIRE_ORACLE("xlrd");
  std::string path = scratch("fmt_loaded.xls");
  ASSERT_TRUE(runPython(R"(
import xlwt
wb = xlwt.Workbook()
ws = wb.add_sheet("Old")
ws.write(0, 0, 0.25, xlwt.easyxf(num_format_str="0.00%"))
wb.save(")" + path + R"(")
)"));
  BookPtr b(xlCreateBookW());
  std::u16string p = u16(path);
  ASSERT_TRUE(b->load(p.c_str()));
  writeDates(b.book, u"Dates", path);
  std::string out;
  ASSERT_TRUE(runPython(R"(
import xlrd
bk = xlrd.open_workbook(")" +
                            path + R"(", formatting_info=True)
old, sh = bk.sheet_by_name("Old"), bk.sheet_by_name("Dates")
fmt = bk.format_map[bk.xf_list[old.cell_xf_index(0, 0)].format_key].format_str
print(fmt, sh.cell(0, 0).ctype == xlrd.XL_CELL_DATE, xlrd.xldate_as_tuple(sh.cell_value(0, 0), bk.datemode))
)",
                        &out));
  EXPECT_EQ(out, "0.00% True (2023, 8, 1, 9, 5, 3)\n");
}

}  // namespace
