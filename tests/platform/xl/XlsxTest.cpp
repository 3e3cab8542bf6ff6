// xlsx books: files made by openpyxl (and by hand with Python's zipfile)
// read by the library, files written by the library read back by openpyxl,
// and a save into an existing package that must leave its other parts alone.
#include <cmath>

#include "tests/platform/xl/XlOracle.h"

namespace {

using namespace xltest;
using xl::Book;
using xl::Sheet;

// Loads `path` into a new xlsx book; fails the test when it cannot.
Book* loadXlsx(const std::string& path) {
  Book* b = xlCreateXMLBookW();
  std::u16string p = u16(path), temp = p + u".temp_5546";
  if (!b->load(p.c_str(), temp.c_str())) ADD_FAILURE() << "load: " << b->errorMessage();
  return b;
}

int numFormatAt(Sheet* s, int row, int col) {
  xl::Format* f = s->cellFormat(row, col);
  return f ? f->numFormat() : -1;
}

TEST(XlsxRead, OpenpyxlWorkbookWithEveryKindOfCell) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("kinds.xlsx");
  ASSERT_TRUE(runPython(R"(
import openpyxl, datetime
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "数据"
ws["C3"] = 1.5
ws["D3"] = "文本 text"
ws["E3"] = True
ws["F3"] = False
ws["G3"] = "#DIV/0!"
ws["H3"] = "#N/A"
for cell, value, fmt in [("C4", 0.125, "0%"), ("D4", 0.125, "0.00%"),
                         ("E4", datetime.date(2023, 8, 1), "yyyy-mm-dd"),
                         ("F4", datetime.time(9, 5, 3), "h:mm:ss"),
                         ("G4", datetime.datetime(2023, 8, 1, 9, 5, 3), "m/d/yy h:mm"),
                         ("H4", datetime.date(2023, 8, 1), "mm-dd-yy")]:
    ws[cell] = value
    ws[cell].number_format = fmt
ws["C5"] = -42
ws["D5"] = "0123"
ws.row_dimensions[3].height = 20
ws.column_dimensions["D"].width = 25
ws2 = wb.create_sheet("Second")
ws2["A1"] = "x"
ws2["B2"] = 7
wb.save(")" + path + R"(")
)"));
  BookPtr b(loadXlsx(path));
  ASSERT_EQ(b->sheetCount(), 2);
  EXPECT_EQ(utf8(b->getSheetName(0)), "数据");
  EXPECT_EQ(utf8(b->getSheetName(1)), "Second");
  EXPECT_EQ(b->getSheetName(2), nullptr);
  EXPECT_EQ(b->getSheet(-1), nullptr);
  Sheet* s = b->getSheet(0);
  // The used area starts at C3: leading rows and columns stay empty.
  EXPECT_EQ(s->firstRow(), 2);
  EXPECT_EQ(s->lastRow(), 5);
  EXPECT_EQ(s->firstCol(), 2);
  EXPECT_EQ(s->lastCol(), 8);

  EXPECT_EQ(s->cellType(2, 2), xl::CELLTYPE_NUMBER);
  EXPECT_EQ(s->readNum(2, 2), 1.5);
  EXPECT_EQ(s->readStr(2, 2), nullptr) << "a number is no string";
  EXPECT_EQ(s->cellType(2, 3), xl::CELLTYPE_STRING);
  EXPECT_EQ(utf8(s->readStr(2, 3)), "文本 text");
  EXPECT_EQ(s->cellType(2, 4), xl::CELLTYPE_BOOLEAN);
  EXPECT_TRUE(s->readBool(2, 4));
  EXPECT_FALSE(s->readBool(2, 5));
  EXPECT_EQ(s->cellType(2, 6), xl::CELLTYPE_ERROR);
  EXPECT_EQ(s->readError(2, 6), xl::ERRORTYPE_DIV_0);
  EXPECT_EQ(s->readError(2, 7), xl::ERRORTYPE_NA);
  EXPECT_EQ(s->readError(2, 2), xl::ERRORTYPE_NOERROR);
  EXPECT_EQ(s->cellType(0, 0), xl::CELLTYPE_EMPTY);
  EXPECT_EQ(s->cellFormat(0, 0), nullptr);

  EXPECT_EQ(numFormatAt(s, 3, 2), 9);
  EXPECT_EQ(numFormatAt(s, 3, 3), 10);
  EXPECT_GE(numFormatAt(s, 3, 4), 164) << "a custom date format keeps the file's identifier";
  EXPECT_EQ(numFormatAt(s, 3, 5), 21);
  EXPECT_EQ(numFormatAt(s, 3, 6), 22);
  EXPECT_EQ(numFormatAt(s, 3, 7), 14);
  EXPECT_EQ(s->readNum(3, 2), 0.125);

  int y, mo, d, h, mi, sec;
  ASSERT_TRUE(b->dateUnpack(s->readNum(3, 4), &y, &mo, &d));
  EXPECT_EQ(std::vector<int>({y, mo, d}), std::vector<int>({2023, 8, 1}));
  ASSERT_TRUE(b->dateUnpack(s->readNum(3, 5), nullptr, nullptr, nullptr, &h, &mi, &sec));
  EXPECT_EQ(std::vector<int>({h, mi, sec}), std::vector<int>({9, 5, 3}));
  ASSERT_TRUE(b->dateUnpack(s->readNum(3, 6), &y, &mo, &d, &h, &mi, &sec));
  EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, sec}), std::vector<int>({2023, 8, 1, 9, 5, 3}));

  EXPECT_EQ(s->readNum(4, 2), -42);
  EXPECT_EQ(utf8(s->readStr(4, 3)), "0123");
  EXPECT_EQ(s->rowHeight(2), 20);
  EXPECT_EQ(s->rowHeight(0), 15) << "a row without a height has the default";
  EXPECT_EQ(s->colWidth(3), 25);

  Sheet* s2 = b->getSheet(1);
  EXPECT_EQ(utf8(s2->readStr(0, 0)), "x");
  EXPECT_EQ(s2->readNum(1, 1), 7);
  EXPECT_EQ(s2->lastRow(), 2);
  EXPECT_EQ(s2->lastCol(), 2);
}

TEST(XlsxRead, Date1904Workbook) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("mac.xlsx");
  ASSERT_TRUE(runPython(R"(
import openpyxl, datetime
from openpyxl.utils.datetime import CALENDAR_MAC_1904
wb = openpyxl.Workbook()
wb.epoch = CALENDAR_MAC_1904
wb.active["A1"] = datetime.date(2023, 8, 1)
wb.save(")" + path + R"(")
)"));
  BookPtr b(loadXlsx(path));
  Sheet* s = b->getSheet(0);
  ASSERT_NE(s, nullptr);
  int y, m, d;
  ASSERT_TRUE(b->dateUnpack(s->readNum(0, 0), &y, &m, &d));
  EXPECT_EQ(std::vector<int>({y, m, d}), std::vector<int>({2023, 8, 1}));
  EXPECT_EQ(s->readNum(0, 0), 45139 - 1462);
}

// A package made by hand: rich-text and phonetic shared strings, inline and
// formula texts, rows and cells without references, a namespace prefix, a
// date cell, escapes, no styles part and no dimension.
const char* kHandMadePackage = R"PY(
import zipfile, sys
NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
parts = {
"[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
  '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
  '<Default Extension="xml" ContentType="application/xml"/>'
  '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
  '<Override PartName="/xl/worksheets/s.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
  '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
  '</Types>',
"_rels/.rels": '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
  '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>',
"xl/workbook.xml": '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Hand" sheetId="1" r:id="rId1"/></sheets></workbook>' % (NS, R),
"xl/_rels/workbook.xml.rels": '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
  '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/s.xml"/>'
  '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>',
"xl/sharedStrings.xml": '<sst xmlns="%s" count="4" uniqueCount="4"><si><t>plain</t></si>'
  '<si><r><rPr><b/></rPr><t>bold</t></r><r><t xml:space="preserve"> and plain</t></r></si>'
  '<si><t>漢字</t><rPh sb="0" eb="2"><t>かんじ</t></rPh></si>'
  '<si><t>line_x000D_break _x005F_x0041_</t></si></sst>' % NS,
"xl/worksheets/s.xml": '<x:worksheet xmlns:x="%s"><x:sheetData>'
  '<x:row><x:c t="s"><x:v>0</x:v></x:c><x:c t="s"><x:v>1</x:v></x:c></x:row>'
  '<x:row r="3"><x:c r="B3" t="inlineStr"><x:is><x:t>inline</x:t></x:is></x:c>'
  '<x:c r="A3" t="str"><x:f>A1</x:f><x:v>cached</x:v></x:c></x:row>'
  '<x:row><x:c t="d"><x:v>2023-08-01T09:05:03</x:v></x:c><x:c t="s"><x:v>2</x:v></x:c>'
  '<x:c t="s"><x:v>3</x:v></x:c><x:c/></x:row>'
  '</x:sheetData><x:pageMargins left="1" right="1" top="1" bottom="1" header="0" footer="0"/></x:worksheet>' % NS,
}
with zipfile.ZipFile(PATH, "w", zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        z.writestr(name, text)
)PY";

// The script with its PATH replaced by the quoted path.
std::string withPath(std::string script, const std::string& path) {
  size_t at = script.find("PATH");
  return script.replace(at, 4, "\"" + path + "\"");
}

std::string handMadeScript(const std::string& path) { return withPath(kHandMadePackage, path); }

TEST(XlsxRead, HandMadePackage) {
  XL_REQUIRE_ORACLE("zipfile");
  std::string path = scratch("hand.xlsx");
  ASSERT_TRUE(runPython(handMadeScript(path)));
  BookPtr b(loadXlsx(path));
  Sheet* s = b->getSheet(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(utf8(s->readStr(0, 0)), "plain");
  EXPECT_EQ(utf8(s->readStr(0, 1)), "bold and plain") << "rich-text runs join";
  EXPECT_EQ(utf8(s->readStr(2, 1)), "inline");
  EXPECT_EQ(utf8(s->readStr(2, 0)), "cached") << "a formula's cached text";
  EXPECT_EQ(s->cellType(3, 0), xl::CELLTYPE_NUMBER);
  int y, mo, d, h, mi, sec;
  ASSERT_TRUE(b->dateUnpack(s->readNum(3, 0), &y, &mo, &d, &h, &mi, &sec));
  EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, sec}), std::vector<int>({2023, 8, 1, 9, 5, 3}));
  EXPECT_EQ(utf8(s->readStr(3, 1)), "漢字") << "phonetic runs are not part of the text";
  EXPECT_EQ(utf8(s->readStr(3, 2)), "line\rbreak _x0041_");
  EXPECT_EQ(s->cellType(3, 3), xl::CELLTYPE_BLANK);
  EXPECT_EQ(s->cellFormat(0, 0), nullptr) << "no styles part: no formats";
  EXPECT_EQ(s->lastRow(), 4);
  EXPECT_EQ(s->lastCol(), 4);
}

TEST(XlsxWrite, NewBookReadBackByOpenpyxl) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("written.xlsx");
  {
    BookPtr b(xlCreateXMLBookW());
    Sheet* s = b->addSheet(u"Alpha");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(b->addSheet(u"alpha"), nullptr) << "names are unique without regard to case";
    EXPECT_EQ(b->addSheet(u"a/b"), nullptr);
    Sheet* s2 = b->addSheet(u"中文表");
    ASSERT_NE(s2, nullptr);
    EXPECT_TRUE(s->writeNum(1, 2, 0.1));
    EXPECT_TRUE(s->writeNum(1, 3, -1e300));
    EXPECT_TRUE(s->writeStr(2, 2, u"  lead & <tag> \"q\""));
    EXPECT_TRUE(s->writeStr(2, 3, u"a\r\nb\tc"));
    EXPECT_TRUE(s->writeStr(2, 4, u"_x0041_ \u0001 𝄞"));
    EXPECT_TRUE(s->writeStr(3, 2, u"overwritten"));
    EXPECT_TRUE(s->writeNum(3, 2, 5));
    EXPECT_TRUE(s->writeStr(3, 3, u""));
    EXPECT_FALSE(s->writeNum(1048576, 0, 1)) << "beyond the last row";
    EXPECT_FALSE(s->writeNum(0, 16384, 1)) << "beyond the last column";
    EXPECT_FALSE(s->writeNum(0, 0, NAN));
    EXPECT_TRUE(s->writeNum(1048575, 16383, 9));
    EXPECT_TRUE(s->setRow(1, 30));
    EXPECT_TRUE(s->setCol(2, 3, 12.5));
    EXPECT_TRUE(s2->writeStr(0, 0, u"第二"));
    EXPECT_EQ(s->lastRow(), 1048576);
    EXPECT_EQ(s->lastCol(), 16384);
    ASSERT_TRUE(b->save(u16(path).c_str(), true)) << b->errorMessage();
  }
  std::string out;
  ASSERT_TRUE(runPython(R"(
import openpyxl
from openpyxl.utils.escape import unescape
wb = openpyxl.load_workbook(")" +
                            path + R"(")
print(wb.sheetnames)
ws = wb["Alpha"]
for row in ws.iter_rows(min_row=1, max_row=4):
    for c in row:
        if c.value is not None:
            # openpyxl leaves the _xHHHH_ escapes of inline texts to its caller
            print(c.coordinate, c.data_type, repr(unescape(c.value) if c.data_type == "s" else c.value))
print("XFD1048576", ws["XFD1048576"].value)
col = ws.column_dimensions["C"]
print("height", ws.row_dimensions[2].height, "width", col.width, col.min, col.max)
print(wb["中文表"]["A1"].value)
)",
                        &out));
  EXPECT_EQ(out,
            "['Alpha', '中文表']\n"
            "C2 n 0.1\n"
            "D2 n -1e+300\n"
            "C3 s '  lead & <tag> \"q\"'\n"
            "D3 s 'a\\r\\nb\\tc'\n"
            "E3 s '_x0041_ \\x01 𝄞'\n"
            "C4 n 5\n"
            "D4 s ''\n"
            "XFD1048576 9\n"
            "height 30.0 width 12.5 3 4\n"
            "第二\n");
  // And the library reads its own file back the same.
  BookPtr b(loadXlsx(path));
  Sheet* s = b->getSheet(0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(utf8(s->readStr(2, 4)), "_x0041_ \x01 𝄞");
  EXPECT_EQ(utf8(s->readStr(2, 3)), "a\r\nb\tc");
  EXPECT_EQ(s->cellType(3, 3), xl::CELLTYPE_STRING) << "an empty text stays a text";
  EXPECT_EQ(s->rowHeight(1), 30);
  EXPECT_EQ(s->colWidth(3), 12.5);
}

// The package an existing workbook is saved into: two sheets, one with a
// formula and styles, that must come through a save into the other.
const char* kTwoSheets = R"PY(
import openpyxl
from openpyxl.styles import Font, PatternFill
wb = openpyxl.Workbook()
keep = wb.active
keep.title = "Keep"
keep["A1"] = 1
keep["A2"] = 2
keep["A3"] = "=SUM(A1:A2)"
keep["B1"] = "bold"
keep["B1"].font = Font(bold=True)
keep["B1"].fill = PatternFill("solid", fgColor="FFFF00")
edit = wb.create_sheet("Edit")
edit["A1"] = "old"
edit["C5"] = 3.25
edit["C5"].number_format = "0.00%"
edit.merge_cells("A1:B1")
wb.save(PATH)
)PY";

TEST(XlsxWrite, SaveIntoExistingBookKeepsTheOtherSheet) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string original = scratch("two.xlsx"), saved = scratch("two_saved.xlsx");
  ASSERT_TRUE(runPython(withPath(kTwoSheets, original)));
  {
    BookPtr b(loadXlsx(original));
    ASSERT_EQ(b->sheetCount(), 2);
    Sheet* edit = b->getSheet(1);
    int pct = numFormatAt(edit, 4, 2);
    EXPECT_EQ(pct, 10);
    xl::Format* pctFormat = edit->cellFormat(4, 2);
    EXPECT_TRUE(edit->clear(0, 1048575, 0, 16383));
    EXPECT_EQ(edit->cellType(0, 0), xl::CELLTYPE_EMPTY);
    EXPECT_EQ(edit->lastRow(), 0);
    EXPECT_TRUE(edit->writeStr(0, 0, u"new"));
    EXPECT_TRUE(edit->writeNum(1, 1, 0.5, pctFormat));
    EXPECT_TRUE(edit->setRow(0, 25));
    Sheet* added = b->addSheet(u"sheet1");
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->writeNum(0, 0, 42));
    ASSERT_TRUE(b->save(u16(saved).c_str(), true)) << b->errorMessage();
  }
  std::string out;
  ASSERT_TRUE(runPython(R"(
import openpyxl, zipfile
a = zipfile.ZipFile(")" + original +
                            R"(")
b = zipfile.ZipFile(")" + saved +
                            R"(")
for part in ["xl/worksheets/sheet1.xml", "xl/styles.xml", "xl/theme/theme1.xml"]:
    print(part, "same" if a.read(part) == b.read(part) else "changed")
print("xl/worksheets/sheet2.xml", "same" if a.read("xl/worksheets/sheet2.xml") == b.read("xl/worksheets/sheet2.xml") else "changed")
wb = openpyxl.load_workbook(")" +
                            saved + R"(")
print(wb.sheetnames)
keep = wb["Keep"]
print(keep["A3"].value, keep["B1"].font.b, keep["B1"].fill.fgColor.rgb)
edit = wb["Edit"]
print([(c.coordinate, c.value) for row in edit.iter_rows() for c in row if c.value is not None])
print(edit["B2"].number_format, edit.row_dimensions[1].height, [str(r) for r in edit.merged_cells.ranges])
print(wb["sheet1"]["A1"].value)
)",
                        &out));
  EXPECT_EQ(out,
            "xl/worksheets/sheet1.xml same\n"
            "xl/styles.xml same\n"
            "xl/theme/theme1.xml same\n"
            "xl/worksheets/sheet2.xml changed\n"
            "['Keep', 'Edit', 'sheet1']\n"
            "=SUM(A1:A2) True 00FFFF00\n"
            "[('A1', 'new'), ('B2', 0.5)]\n"
            "0.00% 25.0 ['A1:B1']\n"
            "42\n");
}

TEST(XlsxWrite, SaveIntoHandMadePackageKeepsItsPrefix) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string path = scratch("hand_resave.xlsx");
  ASSERT_TRUE(runPython(handMadeScript(path)));
  {
    BookPtr b(loadXlsx(path));
    Sheet* s = b->getSheet(0);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->writeStr(5, 0, u"added"));
    EXPECT_TRUE(s->setCol(0, 0, 30));
    ASSERT_TRUE(b->save(u16(path).c_str(), true)) << b->errorMessage();
  }
  std::string out;
  ASSERT_TRUE(runPython(R"(
import openpyxl, zipfile
print(zipfile.ZipFile(")" + path +
                            R"(").read("xl/worksheets/s.xml")[:12])
ws = openpyxl.load_workbook(")" +
                            path + R"(").active
print(ws["A1"].value, ws["B1"].value, ws["A6"].value, ws.column_dimensions["A"].width)
)",
                        &out));
  EXPECT_EQ(out, "b'<x:worksheet'\nplain bold and plain added 30.0\n");
}

TEST(XlsxWrite, UnchangedBookSavesTheSamePackage) {
  XL_REQUIRE_ORACLE("openpyxl");
  std::string original = scratch("same.xlsx"), saved = scratch("same_saved.xlsx");
  ASSERT_TRUE(runPython(withPath(kTwoSheets, original)));
  {
    BookPtr b(loadXlsx(original));
    ASSERT_TRUE(b->save(u16(saved).c_str(), true)) << b->errorMessage();
  }
  std::string out;
  ASSERT_TRUE(runPython(R"(
import zipfile
a = zipfile.ZipFile(")" + original +
                            R"(")
b = zipfile.ZipFile(")" + saved +
                            R"(")
print(all(a.read(n) == b.read(n) for n in a.namelist()) and a.namelist() == b.namelist())
)",
                        &out));
  EXPECT_EQ(out, "True\n");
}

TEST(XlsxWrite, FailedSaveLeavesTheOldFile) {
  BookPtr b(xlCreateXMLBookW());
  EXPECT_FALSE(b->save(u16(scratch("none.xlsx")).c_str(), true)) << "a book without sheets";
  EXPECT_STRNE(b->errorMessage(), "");
  ASSERT_NE(b->addSheet(u"s"), nullptr);
  EXPECT_FALSE(b->save(u16(scratch("no/such/folder.xlsx")).c_str(), true));
  EXPECT_STRNE(b->errorMessage(), "");
}

}  // namespace

namespace {

using namespace xltest;

// Damaged packages: each must fail to load with a message and leave the book
// empty and usable. Then packages whose XML parts were mangled at random
// (a fixed seed): each either loads or fails cleanly, and one that loads
// must survive a save and load back.
const char* kDamagedPackages = R"PY(
import zipfile, io, random
NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
RELS = "http://schemas.openxmlformats.org/package/2006/relationships"
def parts(sheet=None, sst=None, workbook=None, wbrels=None):
    p = {
    "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
      '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
      '<Default Extension="xml" ContentType="application/xml"/></Types>',
    "_rels/.rels": '<Relationships xmlns="%s"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>' % RELS,
    "xl/workbook.xml": workbook or '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>' % (NS, R),
    "xl/_rels/workbook.xml.rels": wbrels or '<Relationships xmlns="%s"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
      '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>' % RELS,
    "xl/sharedStrings.xml": sst or '<sst xmlns="%s"><si><t>one</t></si><si><r><t>tw</t></r><r><t>o</t></r></si></sst>' % NS,
    "xl/worksheets/sheet1.xml": sheet or ('<worksheet xmlns="%s"><dimension ref="A1:C3"/><cols><col min="1" max="2" width="9"/></cols><sheetData>'
      '<row r="1" ht="20" customHeight="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>2.5</v></c><c r="C1" t="b"><v>1</v></c></row>'
      '<row r="3"><c r="A3" t="s"><v>1</v></c><c r="B3" t="inlineStr"><is><t>in</t></is></c><c r="C3" t="e"><v>#REF!</v></c></row>'
      '</sheetData><mergeCells count="1"><mergeCell ref="A1:B1"/></mergeCells></worksheet>') % NS,
    }
    return p
def pack(p):
    b = io.BytesIO()
    with zipfile.ZipFile(b, "w", zipfile.ZIP_DEFLATED) as z:
        for k, v in p.items():
            z.writestr(k, v)
    return b.getvalue()
def sheet(data):
    return '<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>' % (NS, data)
good = pack(parts())
noworkbook = parts(); del noworkbook["xl/workbook.xml"]
cases = {
  "notzip": b"this is not a zip file at all",
  "truncated": good[:len(good) // 2],
  "noworkbook": pack(noworkbook),
  "badworkbookxml": pack(parts(workbook="<workbook><sheets><sheet")),
  "badsheetxml": pack(parts(sheet="<worksheet><sheetData><row><c>")),
  "sstindex": pack(parts(sheet=sheet('<row r="1"><c r="A1" t="s"><v>99</v></c></row>'))),
  "negativesst": pack(parts(sheet=sheet('<row r="1"><c r="A1" t="s"><v>-1</v></c></row>'))),
  "rowzero": pack(parts(sheet=sheet('<row r="0"><c r="A1"><v>1</v></c></row>'))),
  "badref": pack(parts(sheet=sheet('<row r="1"><c r="A0"><v>1</v></c></row>'))),
  "bigrow": pack(parts(sheet=sheet('<row r="1048577"><c><v>1</v></c></row>'))),
  "bigcol": pack(parts(sheet=sheet('<row r="1"><c r="XFE1"><v>1</v></c></row>'))),
  "outsiderow": pack(parts(sheet=sheet('<row r="1"><c r="A2"><v>1</v></c></row>'))),
  "badtype": pack(parts(sheet=sheet('<row r="1"><c r="A1" t="q"><v>1</v></c></row>'))),
  "badnumber": pack(parts(sheet=sheet('<row r="1"><c r="A1"><v>1.2.3</v></c></row>'))),
  "badheight": pack(parts(sheet=sheet('<row r="1" ht="-5"><c r="A1"><v>1</v></c></row>'))),
  "badcols": pack(parts(sheet='<worksheet xmlns="%s"><cols><col min="0" max="3" width="5"/></cols><sheetData/></worksheet>' % NS)),
  "bigcols": pack(parts(sheet='<worksheet xmlns="%s"><cols><col min="1" max="16385" width="5"/></cols><sheetData/></worksheet>' % NS)),
  "badrel": pack(parts(workbook='<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" sheetId="1" r:id="rId9"/></sheets></workbook>' % (NS, R))),
  "dupsheet": pack(parts(workbook='<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" sheetId="1" r:id="rId1"/><sheet name="S" sheetId="2" r:id="rId1"/></sheets></workbook>' % (NS, R))),
  "laughs": pack(parts(sst='<?xml version="1.0"?><!DOCTYPE s [<!ENTITY a "aaaaaaaaaa">' + "".join('<!ENTITY %s "%s">' % (chr(98 + i), ("&%s;" % chr(97 + i)) * 10) for i in range(9)) + ']><sst xmlns="%s"><si><t>&j;</t></si></sst>' % NS)),
}
for name, data in cases.items():
    open(DIR + "/damaged_" + name + ".xlsx", "wb").write(data)
    print("damaged_" + name + ".xlsx")
rng = random.Random(5546)
def mangle(text):
    b = bytearray(text.encode())
    for _ in range(rng.randint(1, 4)):
        if not b: break
        op, i = rng.randrange(4), rng.randrange(len(b))
        if op == 0: del b[i:i + rng.randint(1, 12)]
        elif op == 1: b[i:i] = b[rng.randrange(len(b)):][:rng.randint(1, 40)]
        elif op == 2: b[i] = ord(rng.choice('<>/"=&;0123456789-AZrcvst '))
        else: b = b[:i]
    return bytes(b)
base = parts()
for k in range(120):
    p = dict(base)
    key = rng.choice(["xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/workbook.xml"])
    p[key] = mangle(p[key])
    open(DIR + "/fuzz_%d.xlsx" % k, "wb").write(pack(p))
)PY";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    out.push_back(text.substr(start, nl - start));
  return out;
}

// Reads every cell of every sheet the way the importer does.
void readEverything(xl::Book* b) {
  for (int i = 0; i < b->sheetCount(); ++i) {
    xl::Sheet* s = b->getSheet(i);
    ASSERT_NE(b->getSheetName(i), nullptr);
    for (int r = s->firstRow(); r < s->lastRow(); ++r) {
      s->rowHeight(r);
      for (int c = s->firstCol(); c < s->lastCol(); ++c) {
        xl::Format* f = nullptr;
        s->readNum(r, c, &f);
        if (f) f->numFormat();
        if (const char16_t* t = s->readStr(r, c)) {
          EXPECT_LE(std::u16string(t).size(), size_t(1) << 30);
        }
        s->readBool(r, c);
        s->readError(r, c);
      }
    }
  }
}

TEST(XlsxDamaged, FilesFailCleanlyOrRoundTrip) {
  XL_REQUIRE_ORACLE("zipfile");
  std::string out, script = kDamagedPackages;
  for (size_t at; (at = script.find("DIR +")) != std::string::npos;)
    script.replace(at, 3, "\"" + scratchDir() + "\"");
  ASSERT_TRUE(runPython(script, &out));
  std::vector<std::string> damaged = lines(out);
  ASSERT_GE(damaged.size(), 15u);
  for (const auto& name : damaged) {
    BookPtr b(xlCreateXMLBookW());
    EXPECT_FALSE(b->load(u16(scratch(name)).c_str(), nullptr)) << name;
    EXPECT_STRNE(b->errorMessage(), "") << name;
    EXPECT_EQ(b->sheetCount(), 0) << name;
    ASSERT_NE(b->addSheet(u"sheet1"), nullptr) << name;
  }
  int loaded = 0;
  for (int k = 0; k < 120; ++k) {
    std::string path = scratch("fuzz_" + std::to_string(k) + ".xlsx");
    BookPtr b(xlCreateXMLBookW());
    if (!b->load(u16(path).c_str(), nullptr)) {
      EXPECT_STRNE(b->errorMessage(), "") << path;
      EXPECT_EQ(b->sheetCount(), 0) << path;
      continue;
    }
    ++loaded;
    readEverything(b.book);
    if (b->sheetCount() == 0) continue;
    b->getSheet(0)->writeStr(0, 0, u"resaved");
    std::string again = scratch("fuzz_again.xlsx");
    ASSERT_TRUE(b->save(u16(again).c_str(), true)) << path << ": " << b->errorMessage();
    BookPtr c(xlCreateXMLBookW());
    ASSERT_TRUE(c->load(u16(again).c_str(), nullptr)) << path << ": " << c->errorMessage();
    EXPECT_EQ(utf8(c->getSheet(0)->readStr(0, 0)), "resaved") << path;
  }
  EXPECT_GT(loaded, 5) << "some mangled files are still well formed";
}

}  // namespace
