// xls books: files made by xlwt, and BIFF8 streams built record by record,
// read by the library; files written by the library read back by xlrd.
#include <cmath>
#include <fstream>
#include <functional>
#include <random>

#include "platform/xl/Biff.h"
#include "platform/xl/XlsContainer.h"
#include "tests/platform/xl/XlOracle.h"

namespace {

using namespace xltest;
using xl::Book;
using xl::Sheet;
namespace biff = xl::detail::biff;

Book* loadXls(const std::string& path) {
  Book* b = xlCreateBookW();
  std::u16string p = u16(path), temp = p + u".temp_5546";
  if (!b->load(p.c_str(), temp.c_str())) ADD_FAILURE() << "load: " << b->errorMessage();
  return b;
}

int numFormatAt(Sheet* s, int row, int col) {
  xl::Format* f = s->cellFormat(row, col);
  return f ? f->numFormat() : -1;
}

const char* kXlwtBook = R"PY(
import xlwt, datetime
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("数据")
ws.write(2, 2, 1.5)
ws.write(2, 3, "文本 text")
ws.write(2, 4, True)
ws.write(2, 5, False)
ws.row(2).set_cell_error(6, "#DIV/0!")
ws.row(2).set_cell_error(7, 0x2A)
for col, value, fmt in [(2, 0.125, "0%"), (3, 0.125, "0.00%"),
                        (4, datetime.date(2023, 8, 1), "yyyy-mm-dd"),
                        (5, datetime.time(9, 5, 3), "h:mm:ss"),
                        (6, datetime.datetime(2023, 8, 1, 9, 5, 3), "M/D/YY h:mm"),
                        (7, datetime.date(2023, 8, 1), "M/D/YY")]:
    ws.write(3, col, value, xlwt.easyxf(num_format_str=fmt))
ws.write(4, 2, -42)
ws.write(4, 3, "0123")
ws.row(2).height_mismatch = True
ws.row(2).height = 400
ws.col(3).width = 25 * 256
ws2 = wb.add_sheet("Second")
ws2.write(0, 0, "x")
ws2.write(1, 1, 7)
ws3 = wb.add_sheet("Long")
for i in range(3000):
    ws3.write(i, 0, "text number %d, padded to take room in the table" % i)
ws3.write(0, 1, "长" * 9000)
wb.save(PATH)
)PY";

std::string withPath(std::string script, const std::string& path) {
  size_t at = script.find("PATH");
  return script.replace(at, 4, "\"" + path + "\"");
}

TEST(XlsRead, XlwtWorkbookWithEveryKindOfCell) {
  XL_REQUIRE_ORACLE("xlwt");
  std::string path = scratch("kinds.xls");
  ASSERT_TRUE(runPython(withPath(kXlwtBook, path)));
  BookPtr b(loadXls(path));
  ASSERT_EQ(b->sheetCount(), 3);
  EXPECT_EQ(utf8(b->getSheetName(0)), "数据");
  EXPECT_EQ(utf8(b->getSheetName(1)), "Second");
  Sheet* s = b->getSheet(0);
  EXPECT_EQ(s->firstRow(), 2);
  EXPECT_EQ(s->lastRow(), 5);
  EXPECT_EQ(s->firstCol(), 2);
  EXPECT_EQ(s->lastCol(), 8);
  EXPECT_EQ(s->readNum(2, 2), 1.5);
  EXPECT_EQ(utf8(s->readStr(2, 3)), "文本 text");
  EXPECT_EQ(s->cellType(2, 4), xl::CELLTYPE_BOOLEAN);
  EXPECT_TRUE(s->readBool(2, 4));
  EXPECT_FALSE(s->readBool(2, 5));
  EXPECT_EQ(s->cellType(2, 6), xl::CELLTYPE_ERROR);
  EXPECT_EQ(s->readError(2, 6), xl::ERRORTYPE_DIV_0);
  EXPECT_EQ(s->readError(2, 7), xl::ERRORTYPE_NA);
  EXPECT_EQ(numFormatAt(s, 3, 2), 9);
  EXPECT_EQ(numFormatAt(s, 3, 3), 10);
  EXPECT_GE(numFormatAt(s, 3, 4), 164);
  EXPECT_EQ(numFormatAt(s, 3, 5), 21);
  EXPECT_EQ(numFormatAt(s, 3, 6), 22);
  EXPECT_EQ(numFormatAt(s, 3, 7), 14);
  int y, mo, d, h, mi, sec;
  ASSERT_TRUE(b->dateUnpack(s->readNum(3, 6), &y, &mo, &d, &h, &mi, &sec));
  EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, sec}), std::vector<int>({2023, 8, 1, 9, 5, 3}));
  EXPECT_EQ(s->readNum(4, 2), -42);
  EXPECT_EQ(utf8(s->readStr(4, 3)), "0123");
  EXPECT_EQ(s->rowHeight(2), 20);
  EXPECT_EQ(s->colWidth(3), 25);
  Sheet* s2 = b->getSheet(1);
  EXPECT_EQ(utf8(s2->readStr(0, 0)), "x");
  EXPECT_EQ(s2->readNum(1, 1), 7);
  // The third sheet's table spans CONTINUE records; one text crosses several.
  Sheet* s3 = b->getSheet(2);
  EXPECT_EQ(s3->lastRow(), 3000);
  EXPECT_EQ(utf8(s3->readStr(2999, 0)), "text number 2999, padded to take room in the table");
  const char16_t* longText = s3->readStr(0, 1);
  ASSERT_NE(longText, nullptr);
  EXPECT_EQ(std::u16string(longText), std::u16string(9000, u'长'));
}

TEST(XlsRead, Date1904Workbook) {
  XL_REQUIRE_ORACLE("xlwt");
  std::string path = scratch("mac.xls");
  ASSERT_TRUE(runPython(withPath(R"PY(
import xlwt, datetime
wb = xlwt.Workbook()
wb.dates_1904 = True
wb.add_sheet("s").write(0, 0, datetime.date(2023, 8, 1), xlwt.easyxf(num_format_str="M/D/YY"))
wb.save(PATH)
)PY",
                                 path)));
  BookPtr b(loadXls(path));
  int y, m, d;
  ASSERT_TRUE(b->dateUnpack(b->getSheet(0)->readNum(0, 0), &y, &m, &d));
  EXPECT_EQ(std::vector<int>({y, m, d}), std::vector<int>({2023, 8, 1}));
}

// ---- streams built record by record ----

std::string u16le(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += char(c & 0xFF), out += char(c >> 8);
  return out;
}

// A workbook stream with one sheet named "Hand"; `sheetRecords` writes the
// sheet's records between its BOF and EOF, `sst` is the SST and its
// CONTINUE records (may be empty).
// `globals` may add records to the globals; `offsetField` receives the
// position of the sheet's offset in the BOUNDSHEET record.
std::string handStream(const std::function<void(biff::RecordWriter&)>& sheetRecords,
                       const std::function<void(biff::RecordWriter&)>& sst = {},
                       const std::function<void(biff::RecordWriter&)>& globals = {},
                       size_t* offsetField = nullptr) {
  biff::RecordWriter w;
  auto bof = [&w](uint16_t kind) {
    w.begin(biff::kBof);
    w.u16(0x0600);
    w.u16(kind);
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.end();
  };
  bof(0x0005);
  if (globals) globals(w);
  for (int i = 0; i < 17; ++i) {  // XF 16 has the date format 14
    w.begin(biff::kXf);
    w.u16(0);
    w.u16(i == 16 ? 14 : 0);
    for (int k = 0; k < 16; ++k) w.u8(0);
    w.end();
  }
  w.begin(biff::kBoundSheet);
  size_t offsetAt = w.size();
  w.u32(0);
  w.u16(0);
  w.u8(4);
  w.u8(0);
  w.raw("Hand");
  w.end();
  if (sst) sst(w);
  w.record(biff::kEof, {});
  w.patch32(offsetAt, uint32_t(w.size()));
  if (offsetField) *offsetField = offsetAt;
  bof(0x0010);
  sheetRecords(w);
  w.record(biff::kEof, {});
  return w.bytes();
}

std::string writeStreamFile(const std::string& name, const std::string& stream) {
  std::string path = scratch(name);
  xl::detail::writeWorkbookStream(path, stream);
  return path;
}

void cellHead(biff::RecordWriter& w, uint16_t type, uint16_t row, uint16_t col, uint16_t xf = 15) {
  w.begin(type);
  w.u16(row);
  w.u16(col);
  w.u16(xf);
}

// Two texts; the second starts 8-bit in the SST and ends 16-bit in a CONTINUE.
void twoTextSst(biff::RecordWriter& w) {
  w.begin(biff::kSst);
  w.u32(2);
  w.u32(2);
  w.u16(3);
  w.u8(0);
  w.raw("abc");
  w.u16(5);
  w.u8(0);
  w.raw("xyz");
  w.end();
  w.begin(biff::kContinue);
  w.u8(1);
  w.raw(u16le(u"漢字"));
  w.end();
}

TEST(XlsRead, RecordsXlwtDoesNotWrite) {
  std::string stream = handStream(
      [](biff::RecordWriter& w) {
        w.begin(biff::kRow);  // row 0: 30 points
        w.u16(0), w.u16(0), w.u16(3), w.u16(600), w.u32(0), w.u16(0x0140), w.u16(15);
        w.end();
        w.begin(biff::kColInfo);  // columns 1 and 2: 12.5 characters
        w.u16(1), w.u16(2), w.u16(3200), w.u16(15), w.u16(0), w.u16(0);
        w.end();
        cellHead(w, biff::kRk, 0, 0);
        w.u32(5 << 2 | 2);  // the integer 5
        w.end();
        cellHead(w, biff::kRk, 0, 1);
        w.u32(123 << 2 | 3);  // 123 / 100
        w.end();
        w.begin(biff::kMulRk);  // row 1, columns 0 to 2
        w.u16(1), w.u16(0);
        for (int v : {7, -3, 10}) w.u16(15), w.u32(uint32_t(v) << 2 | 2);
        w.u16(2);
        w.end();
        w.begin(biff::kMulBlank);
        w.u16(2), w.u16(3), w.u16(15), w.u16(15), w.u16(4);
        w.end();
        cellHead(w, biff::kLabel, 2, 0);
        w.u16(2), w.u8(1), w.raw(u16le(u"标签"));
        w.end();
        cellHead(w, biff::kFormula, 3, 0);  // a text result, in the STRING after it
        w.u8(0), w.u8(0), w.u8(0), w.u8(0), w.u8(0), w.u8(0), w.u16(0xFFFF);
        w.u16(0), w.u32(0), w.u16(0);
        w.end();
        w.begin(biff::kString);
        w.u16(6), w.u8(0), w.raw("cached");
        w.end();
        cellHead(w, biff::kFormula, 3, 1);  // true
        w.u8(1), w.u8(0), w.u8(1), w.u8(0), w.u8(0), w.u8(0), w.u16(0xFFFF);
        w.u16(0), w.u32(0), w.u16(0);
        w.end();
        cellHead(w, biff::kFormula, 3, 2);  // #REF!
        w.u8(2), w.u8(0), w.u8(0x17), w.u8(0), w.u8(0), w.u8(0), w.u16(0xFFFF);
        w.u16(0), w.u32(0), w.u16(0);
        w.end();
        cellHead(w, biff::kFormula, 3, 3, 16);  // a date number
        w.f64(45139.5);
        w.u16(0), w.u32(0), w.u16(0);
        w.end();
        cellHead(w, biff::kLabelSst, 4, 0);
        w.u32(0);
        w.end();
        cellHead(w, biff::kLabelSst, 4, 1);
        w.u32(1);
        w.end();
        cellHead(w, biff::kBoolErr, 4, 2);
        w.u8(0x24), w.u8(1);
        w.end();
        cellHead(w, biff::kNumber, 4, 3);  // no cell can hold a NaN
        w.f64(NAN);
        w.end();
      },
      twoTextSst);
  BookPtr b(loadXls(writeStreamFile("hand.xls", stream)));
  ASSERT_EQ(b->sheetCount(), 1);
  Sheet* s = b->getSheet(0);
  EXPECT_EQ(s->readNum(0, 0), 5);
  EXPECT_DOUBLE_EQ(s->readNum(0, 1), 1.23);
  EXPECT_EQ(s->readNum(1, 0), 7);
  EXPECT_EQ(s->readNum(1, 1), -3);
  EXPECT_EQ(s->readNum(1, 2), 10);
  EXPECT_EQ(s->cellType(2, 3), xl::CELLTYPE_BLANK);
  EXPECT_EQ(s->cellType(2, 4), xl::CELLTYPE_BLANK);
  EXPECT_EQ(utf8(s->readStr(2, 0)), "标签");
  EXPECT_EQ(utf8(s->readStr(3, 0)), "cached");
  EXPECT_TRUE(s->readBool(3, 1));
  EXPECT_EQ(s->readError(3, 2), xl::ERRORTYPE_REF);
  EXPECT_EQ(s->readNum(3, 3), 45139.5);
  EXPECT_EQ(numFormatAt(s, 3, 3), 14);
  EXPECT_EQ(utf8(s->readStr(4, 0)), "abc");
  EXPECT_EQ(utf8(s->readStr(4, 1)), "xyz漢字") << "a text continued at a different width";
  EXPECT_EQ(s->readError(4, 2), xl::ERRORTYPE_NUM);
  EXPECT_EQ(s->readError(4, 3), xl::ERRORTYPE_NUM);
  EXPECT_EQ(s->rowHeight(0), 30);
  EXPECT_EQ(s->colWidth(1), 12.5);
  EXPECT_EQ(s->colWidth(2), 12.5);
  EXPECT_EQ(s->lastRow(), 5);
  EXPECT_EQ(s->lastCol(), 5);
}

// ---- writing, read back by xlrd ----

TEST(XlsWrite, NewBookReadBackByXlrd) {
  XL_REQUIRE_ORACLE("xlrd");
  std::string path = scratch("written.xls");
  {
    BookPtr b(xlCreateBookW());
    Sheet* s = b->addSheet(u"Alpha");
    Sheet* s2 = b->addSheet(u"中文表");
    ASSERT_TRUE(s && s2);
    EXPECT_TRUE(s->writeNum(1, 2, 0.1));
    EXPECT_TRUE(s->writeStr(2, 2, u"  lead & 汉字"));
    EXPECT_TRUE(s->writeStr(2, 3, std::u16string(20000, u'长').c_str()));
    EXPECT_TRUE(s->writeStr(2, 4, u""));
    for (int r = 3; r < 2003; ++r)
      EXPECT_TRUE(s->writeStr(
          r, 0, (u"row " + std::u16string(1, char16_t('a' + r % 26)) + std::u16string(r % 50, u'x')).c_str()));
    EXPECT_TRUE(s->writeNum(65535, 255, 9));
    EXPECT_FALSE(s->writeNum(65536, 0, 1)) << "beyond the last row";
    EXPECT_FALSE(s->writeNum(0, 256, 1)) << "beyond the last column";
    EXPECT_FALSE(s->writeStr(0, 0, std::u16string(32768, u'x').c_str())) << "text too long";
    EXPECT_TRUE(s->setRow(1, 30));
    EXPECT_TRUE(s->setCol(2, 3, 12.5));
    EXPECT_TRUE(s2->writeStr(0, 0, u"第二"));
    ASSERT_TRUE(b->save(u16(path).c_str(), true)) << b->errorMessage();
  }
  std::string out;
  ASSERT_TRUE(runPython(R"PY(
import xlrd
b = xlrd.open_workbook(")PY" +
                            path + R"PY(", formatting_info=True)
print(b.sheet_names())
s = b.sheet_by_index(0)
print(s.nrows, s.ncols)
print(s.cell(1, 2).ctype, s.cell(1, 2).value)
print(repr(s.cell(2, 2).value), len(s.cell(2, 3).value), s.cell(2, 3).value == "长" * 20000, repr(s.cell(2, 4).value))
print(all(s.cell(r, 0).value == "row " + chr(ord("a") + r % 26) + "x" * (r % 50) for r in range(3, 2003)))
print(s.cell(65535, 255).value)
print(s.rowinfo_map[1].height, s.colinfo_map[2].width, s.colinfo_map[3].width)
print(b.sheet_by_index(1).cell(0, 0).value)
)PY",
                        &out));
  EXPECT_EQ(out,
            "['Alpha', '中文表']\n"
            "65536 256\n"
            "2 0.1\n"
            "'  lead & 汉字' 20000 True ''\n"
            "True\n"
            "9.0\n"
            "600 3200 3200\n"
            "第二\n");
}

TEST(XlsWrite, ResaveKeepsValuesAndFormats) {
  XL_REQUIRE_ORACLE("xlwt");
  XL_REQUIRE_ORACLE("xlrd");
  std::string original = scratch("resave.xls"), saved = scratch("resave_saved.xls");
  ASSERT_TRUE(runPython(withPath(kXlwtBook, original)));
  {
    BookPtr b(loadXls(original));
    Sheet* s = b->getSheet(0);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->writeStr(0, 0, u"added"));
    ASSERT_TRUE(b->save(u16(saved).c_str(), true)) << b->errorMessage();
  }
  std::string out;
  ASSERT_TRUE(runPython(R"PY(
import xlrd
b = xlrd.open_workbook(")PY" +
                            saved + R"PY(", formatting_info=True)
print(b.sheet_names())
s = b.sheet_by_index(0)
def fmt(r, c):
    return b.format_map[b.xf_list[s.cell(r, c).xf_index].format_key].format_str
print(s.cell(0, 0).value, s.cell(2, 2).value, s.cell(2, 3).value)
print(s.cell(2, 4).ctype, s.cell(2, 4).value, s.cell(2, 6).ctype, s.cell(2, 6).value)
print([fmt(3, c) for c in range(2, 8)])
print(s.rowinfo_map[2].height, s.colinfo_map[3].width)
print(b.sheet_by_index(2).cell(2999, 0).value)
)PY",
                        &out));
  EXPECT_EQ(out,
            "['数据', 'Second', 'Long']\n"
            "added 1.5 文本 text\n"
            "4 1 5 7\n"
            "['0%', '0.00%', 'yyyy-mm-dd', 'h:mm:ss', 'm/d/yy h:mm', 'm/d/yy']\n"
            "400 6400\n"
            "text number 2999, padded to take room in the table\n");
}

// ---- damaged files ----

using Records = std::function<void(biff::RecordWriter&)>;

void number(biff::RecordWriter& w, uint16_t row, uint16_t col) {
  cellHead(w, biff::kNumber, row, col);
  w.f64(1);
  w.end();
}

TEST(XlsDamaged, StreamsFailCleanly) {
  struct Case {
    const char* name;
    std::string stream;
  };
  std::vector<Case> cases;
  Records none = [](biff::RecordWriter&) {};
  std::string good = handStream([](biff::RecordWriter& w) { number(w, 0, 0); }, twoTextSst);
  cases.push_back({"empty", ""});
  cases.push_back({"cut inside a record", good.substr(0, good.size() - 9)});
  cases.push_back({"no EOF at the end", good.substr(0, good.size() - 4)});
  std::string biff5 = good;
  biff5[5] = 0x05;  // the first BOF says version 0x0500
  cases.push_back({"BIFF5", biff5});
  size_t offsetAt = 0;
  std::string beyond = handStream(none, {}, {}, &offsetAt);
  beyond[offsetAt + 3] = 0x7F;
  cases.push_back({"sheet offset beyond the stream", beyond});
  cases.push_back({"encrypted", handStream(none, {}, [](biff::RecordWriter& w) {
                     w.record(biff::kFilePass, std::string(54, '\0'));
                   })});
  cases.push_back({"SST counts too many texts", handStream(none, [](biff::RecordWriter& w) {
                     w.begin(biff::kSst);
                     w.u32(0xFFFFFFFF), w.u32(0xFFFFFFFF), w.u16(1), w.u8(0), w.raw("a");
                     w.end();
                   })});
  cases.push_back({"SST text longer than its records", handStream(none, [](biff::RecordWriter& w) {
                     w.begin(biff::kSst);
                     w.u32(1), w.u32(1), w.u16(1000), w.u8(0), w.raw("abc");
                     w.end();
                   })});
  cases.push_back({"LABELSST index out of range", handStream(
                                                      [](biff::RecordWriter& w) {
                                                        cellHead(w, biff::kLabelSst, 0, 0);
                                                        w.u32(2);
                                                        w.end();
                                                      },
                                                      twoTextSst)});
  cases.push_back({"column 300", handStream([](biff::RecordWriter& w) { number(w, 0, 300); })});
  cases.push_back({"MULRK columns disagree", handStream([](biff::RecordWriter& w) {
                     w.begin(biff::kMulRk);
                     w.u16(0), w.u16(0), w.u16(15), w.u32(2), w.u16(5);
                     w.end();
                   })});
  cases.push_back({"NUMBER too short", handStream([](biff::RecordWriter& w) {
                     cellHead(w, biff::kNumber, 0, 0);
                     w.u16(0);
                     w.end();
                   })});
  cases.push_back({"substreams nested too deep", handStream([](biff::RecordWriter& w) {
                     for (int i = 0; i < 20; ++i) w.record(biff::kBof, std::string(16, '\0'));
                   })});
  for (const auto& c : cases) {
    std::string path = writeStreamFile("damaged.xls", c.stream);
    BookPtr b(xlCreateBookW());
    EXPECT_FALSE(b->load(u16(path).c_str(), nullptr)) << c.name;
    EXPECT_STRNE(b->errorMessage(), "") << c.name;
    EXPECT_EQ(b->sheetCount(), 0) << c.name;
  }
  std::string notOle = scratch("not_ole.xls");
  std::ofstream(notOle) << "this is no compound file, just text";
  BookPtr b(xlCreateBookW());
  EXPECT_FALSE(b->load(u16(notOle).c_str(), nullptr));
  EXPECT_STRNE(b->errorMessage(), "");
}

// Random damage with a fixed seed, to the BIFF8 records (wrapped in a sound
// compound file) and to the compound file itself: each load either works
// or fails with a message, and a book that loads saves and loads again.
TEST(XlsDamaged, MangledFilesFailCleanlyOrRoundTrip) {
  XL_REQUIRE_ORACLE("xlwt");
  std::string source = scratch("fuzz_source.xls");
  ASSERT_TRUE(runPython(withPath(R"PY(
import xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("数据")
for r in range(40):
    ws.write(r, 0, "text %d 文本" % r)
    ws.write(r, 1, r * 1.5)
    ws.write(r, 2, r % 2 == 0)
ws.row(3).set_cell_error(3, "#DIV/0!")
ws.col(1).width = 5000
wb.add_sheet("two").write(0, 0, "x")
wb.save(PATH)
)PY",
                                 source)));
  std::string stream = xl::detail::readWorkbookStream(source);
  std::string hand = handStream(
      [](biff::RecordWriter& w) {
        number(w, 0, 0);
        cellHead(w, biff::kLabelSst, 1, 0);
        w.u32(1);
        w.end();
      },
      twoTextSst);
  std::ifstream in(source, std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::mt19937 rng(5546);
  int loaded = 0;
  for (int k = 0; k < 300; ++k) {
    bool container = k % 3 == 2;
    std::string bytes = container ? file : k % 3 ? stream : hand;
    for (int n = 1 + int(rng() % 4); n > 0; --n) {
      size_t at = rng() % bytes.size();
      switch (rng() % 3) {
        case 0: bytes[at] = char(rng()); break;
        case 1: bytes.erase(at, 1 + rng() % 16); break;
        default: bytes[at] = char(bytes[at] ^ (1 << (rng() % 8)));
      }
    }
    std::string path = scratch("fuzz.xls");
    if (container) std::ofstream(path, std::ios::binary) << bytes;
    else writeStreamFile("fuzz.xls", bytes);
    BookPtr b(xlCreateBookW());
    if (!b->load(u16(path).c_str(), nullptr)) {
      EXPECT_STRNE(b->errorMessage(), "") << k;
      EXPECT_EQ(b->sheetCount(), 0) << k;
      continue;
    }
    ++loaded;
    for (int i = 0; i < b->sheetCount(); ++i) {
      Sheet* s = b->getSheet(i);
      for (int r = s->firstRow(); r < s->lastRow(); ++r)
        for (int c = s->firstCol(); c < s->lastCol(); ++c) {
          xl::Format* f = nullptr;
          s->readNum(r, c, &f);
          if (f) f->numFormat();
          s->readStr(r, c);
        }
    }
    if (b->sheetCount() == 0) continue;
    std::string again = scratch("fuzz_again.xls");
    ASSERT_TRUE(b->save(u16(again).c_str(), true)) << k << ": " << b->errorMessage();
    BookPtr c(xlCreateBookW());
    ASSERT_TRUE(c->load(u16(again).c_str(), nullptr)) << k << ": " << c->errorMessage();
    EXPECT_EQ(c->sheetCount(), b->sheetCount()) << k;
  }
  EXPECT_GT(loaded, 10);
}

}  // namespace
