// Reading an xls file: the "Workbook" stream out of the compound file (through
// libgsf), then its BIFF8 records. Every offset, length, count and index is
// checked against what the stream holds.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/xl/Biff.h"
#include "platform/xl/BookImpl.h"
#include "platform/xl/Limits.h"
#include "platform/xl/XlsContainer.h"

namespace xl::detail {

namespace {

using namespace biff;

// One record of the stream: its type, its body and the bodies of the
// CONTINUE records right after it.
struct Record {
  uint16_t type = 0;
  std::string_view body;
  std::vector<std::string_view> continues;

  RecordReader reader() const {
    std::vector<std::string_view> pieces{body};
    pieces.insert(pieces.end(), continues.begin(), continues.end());
    return RecordReader(std::move(pieces));
  }
};

class RecordStream {
 public:
  RecordStream(std::string_view stream, size_t offset) : mStream(stream), mPos(offset) {
    if (offset > stream.size()) throw FileError("sheet offset beyond the stream");
  }

  // The next record, or false at the end of the stream.
  bool next(Record& r) {
    if (mPos == mStream.size()) return false;
    r.type = header(r.body);
    r.continues.clear();
    for (;;) {
      std::string_view body;
      if (mPos + 4 > mStream.size() || le16(mStream.data() + mPos) != kContinue) break;
      header(body);
      if (r.continues.size() >= 65536) throw FileError("too many CONTINUE records");
      r.continues.push_back(body);
    }
    return true;
  }

 private:
  uint16_t header(std::string_view& body) {
    if (mStream.size() - mPos < 4) throw FileError("record header beyond the stream");
    uint16_t type = le16(mStream.data() + mPos);
    size_t len = le16(mStream.data() + mPos + 2);
    if (mStream.size() - mPos - 4 < len) throw FileError("record beyond the stream");
    body = mStream.substr(mPos + 4, len);
    mPos += 4 + len;
    return type;
  }

  std::string_view mStream;
  size_t mPos;
};

std::string rawRecord(const Record& r) {
  std::string out;
  out += char(r.type & 0xFF);
  out += char(r.type >> 8);
  out += char(r.body.size() & 0xFF);
  out += char(r.body.size() >> 8);
  out += r.body;
  return out;
}

struct SheetEntry {
  uint32_t offset;
  std::u16string name;
};

// The BOF that starts a substream; its version must be BIFF8.
void checkBof(const Record& r, uint16_t expectedKind, const char* what) {
  if (r.type != kBof) throw FileError(std::string(what) + " does not start with a BOF record");
  RecordReader in = r.reader();
  uint16_t version = in.u16(), kind = in.u16();
  if (version != 0x0600) throw FileError("not a BIFF8 workbook (Excel 97 or later)");
  if (kind != expectedKind) throw FileError(std::string(what) + " of an unexpected kind");
}

void readSst(const Record& r, std::vector<std::u16string>& out) {
  RecordReader in = r.reader();
  in.u32();  // the count of references, not needed
  uint32_t unique = in.u32();
  size_t bytes = r.body.size();
  for (auto c : r.continues) bytes += c.size();
  if (unique > bytes / 3) throw FileError("shared string table counts more texts than it holds");
  out.reserve(unique);
  for (uint32_t i = 0; i < unique; ++i) out.push_back(in.unicodeString(true));
}

std::vector<SheetEntry> readGlobals(BookImpl& book, std::string_view stream) {
  RecordStream rs(stream, 0);
  Record r;
  if (!rs.next(r)) throw FileError("empty workbook stream");
  checkBof(r, 0x0005, "the workbook stream");
  std::vector<SheetEntry> sheets;
  book.clearFormats();
  while (rs.next(r)) {
    switch (r.type) {
      case kEof: book.defaultXf = book.formats.size() > 15 ? 15 : book.formats.empty() ? kNoXf : 0; return sheets;
      case kFilePass: throw FileError("the workbook is encrypted");
      case kDateMode: book.date1904 = r.reader().u16() == 1; break;
      case kSst:
        if (!book.shared.empty()) throw FileError("two shared string tables");
        readSst(r, book.shared);
        break;
      case kXf: {
        RecordReader in = r.reader();
        in.u16();  // font
        uint16_t numFmt = in.u16();
        if (book.formats.size() >= kMaxFormats) throw FileError("too many XF records");
        book.addFormat(numFmt);
        book.xlsStyles.xfs.push_back(rawRecord(r));
        break;
      }
      case kFont: book.xlsStyles.fonts.push_back(rawRecord(r)); break;
      case kFormat: book.xlsStyles.formats.push_back(rawRecord(r)); break;
      case kStyle: book.xlsStyles.styles.push_back(rawRecord(r)); break;
      case kPalette: book.xlsStyles.palette.push_back(rawRecord(r)); break;
      case kBoundSheet: {
        RecordReader in = r.reader();
        uint32_t offset = in.u32();
        in.u8();  // visibility
        uint8_t kind = in.u8();
        std::u16string name = in.unicodeString(false);
        if (kind != 0) break;  // charts and macro sheets hold no cells
        if (offset >= stream.size()) throw FileError("sheet offset beyond the stream");
        if (sheets.size() >= kMaxSheets) throw FileError("too many sheets");
        sheets.push_back({offset, std::move(name)});
        break;
      }
      default: break;
    }
  }
  throw FileError("the workbook globals have no EOF record");
}

// Reads the cell records of one worksheet substream into the sheet.
class SheetReader {
 public:
  SheetReader(BookImpl& book, SheetImpl& sheet) : mBook(book), mSheet(sheet) {}

  void read(std::string_view stream, size_t offset) {
    RecordStream rs(stream, offset);
    Record r;
    if (!rs.next(r)) throw FileError("sheet offset at the end of the stream");
    checkBof(r, 0x0010, "a worksheet");
    int nested = 0;  // embedded substreams (charts) inside the sheet
    while (rs.next(r)) {
      if (r.type == kBof) {
        if (++nested > 16) throw FileError("substreams nested too deep");
      } else if (r.type == kEof) {
        if (nested == 0) return;
        --nested;
      } else if (nested == 0) {
        record(r);
      }
    }
    throw FileError("a worksheet has no EOF record");
  }

 private:
  void record(const Record& r) {
    // Shared, array and table formula records may stand between a formula
    // and its STRING; anything else ends the wait.
    if (r.type != kString && r.type != 0x04BC && r.type != 0x0221 && r.type != 0x0236) mPendingString = false;
    switch (r.type) {
      case kNumber: {
        RecordReader in = r.reader();
        Cell& c = cell(in);
        setNumber(c, in.f64());
        break;
      }
      case kRk: {
        RecordReader in = r.reader();
        Cell& c = cell(in);
        setNumber(c, rkValue(in.u32()));
        break;
      }
      case kMulRk: multi(r, true); break;
      case kMulBlank: multi(r, false); break;
      case kBlank: {
        RecordReader in = r.reader();
        cell(in).kind = Kind::Blank;
        break;
      }
      case kLabelSst: {
        RecordReader in = r.reader();
        Cell& c = cell(in);
        uint32_t index = in.u32();
        if (index >= mBook.shared.size()) throw FileError("shared string index out of range");
        c.kind = Kind::String;
        c.aux = 1;
        c.str = index;
        break;
      }
      case kLabel:
      case kRString: {
        RecordReader in = r.reader();
        Cell& c = cell(in);
        mSheet.data.setText(c, in.unicodeString(true));
        break;
      }
      case kBoolErr: {
        RecordReader in = r.reader();
        Cell& c = cell(in);
        uint8_t value = in.u8(), isError = in.u8();
        c.kind = isError ? Kind::Error : Kind::Boolean;
        c.aux = isError ? value : value != 0;
        break;
      }
      case kFormula: formula(r); break;
      case kString: {
        if (!mPendingString) break;  // a STRING record not after a formula
        mPendingString = false;
        RecordReader in = r.reader();
        Cell& c = mSheet.data.put(mPendingRow, mPendingCol);
        mSheet.data.setText(c, in.unicodeString(true));
        break;
      }
      case kRow: rowRecord(r); break;
      case kColInfo: colInfo(r); break;
      case kDefaultRowHeight: {
        RecordReader in = r.reader();
        in.u16();
        mSheet.data.defaultHeight = (in.u16() & 0x7FFF) / 20.0;
        break;
      }
      case kDefColWidth:  // characters without the margins; STANDARDWIDTH is exact
        if (!mExactWidth) mSheet.data.defaultWidth = r.reader().u16() + 0.43;
        break;
      case kStandardWidth:
        mSheet.data.defaultWidth = r.reader().u16() / 256.0;
        mExactWidth = true;
        break;
      default: break;
    }
  }

  // Reads row, column and XF and gives the cell, emptied, with its format.
  Cell& cell(RecordReader& in) {
    uint16_t row = in.u16();
    uint16_t col = in.u16();
    uint16_t xf = in.u16();
    return cellAt(row, col, xf);
  }

  Cell& cellAt(int row, int col, uint16_t xf) {
    if (col >= kXlsCols) throw FileError("cell column out of range");
    Cell& c = mSheet.data.putInOrder(row, col);
    mSheet.data.release(c);
    c.aux = 0;
    c.xf = xf < mBook.formats.size() ? xf : kNoXf;
    return c;
  }

  // A number, or #NUM! for the infinities and NaNs no cell can hold.
  static void setNumber(Cell& c, double v) {
    if (std::isfinite(v)) {
      c.kind = Kind::Number;
      c.num = v;
    } else {
      c.kind = Kind::Error;
      c.aux = 0x24;
    }
  }

  static double rkValue(uint32_t rk) {
    double v;
    if (rk & 0x02) {
      v = double(int32_t(rk) >> 2);
    } else {
      uint64_t bits = uint64_t(rk & 0xFFFFFFFC) << 32;
      std::memcpy(&v, &bits, 8);
    }
    return rk & 0x01 ? v / 100 : v;
  }

  // MULRK (xf and RK value per cell) and MULBLANK (xf per cell).
  void multi(const Record& r, bool numbers) {
    size_t each = numbers ? 6 : 2;
    if (r.body.size() < 6 || (r.body.size() - 6) % each != 0)
      throw FileError("MULRK or MULBLANK record of a bad length");
    RecordReader in(r.body);
    uint16_t row = in.u16(), first = in.u16();
    size_t n = (r.body.size() - 6) / each;
    uint16_t last = le16(r.body.data() + r.body.size() - 2);
    if (size_t(last) + 1 != size_t(first) + n) throw FileError("MULRK or MULBLANK columns disagree");
    for (size_t i = 0; i < n; ++i) {
      Cell& c = cellAt(row, int(first + i), in.u16());
      if (numbers) {
        setNumber(c, rkValue(in.u32()));
      } else {
        c.kind = Kind::Blank;
      }
    }
  }

  // The cached result of a formula cell; a text result follows in a STRING.
  void formula(const Record& r) {
    RecordReader in = r.reader();
    uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    if (r.body.size() < 14) throw FileError("FORMULA record too short");
    const char* res = r.body.data() + 6;
    Cell& c = cellAt(row, col, xf);
    if (uint8_t(res[6]) == 0xFF && uint8_t(res[7]) == 0xFF) {
      switch (uint8_t(res[0])) {
        case 0:  // the text comes in the STRING record after it
          c.kind = Kind::Blank;
          mPendingString = true;
          mPendingRow = row;
          mPendingCol = col;
          return;
        case 1: c.kind = Kind::Boolean, c.aux = res[2] != 0; return;
        case 2: c.kind = Kind::Error, c.aux = uint8_t(res[2]); return;
        case 3: mSheet.data.setText(c, u""); return;
        default: throw FileError("FORMULA record with an unknown result type");
      }
    }
    setNumber(c, in.f64());
  }

  void rowRecord(const Record& r) {
    RecordReader in = r.reader();
    uint16_t row = in.u16();
    in.skip(4);  // first and last column
    uint16_t height = in.u16();
    in.skip(4);
    uint16_t flags = in.u16(), xf = in.u16();
    bool custom = !(height & 0x8000);
    bool hidden = flags & 0x20;
    if (!custom && !hidden && !(flags & 0x80)) return;
    RowInfo& info = mSheet.data.touchRow(row);
    if (custom) info.height = (height & 0x7FFF) / 20.0;
    info.hidden = hidden;
    if (flags & 0x80) info.xf = (xf & 0x0FFF) < mBook.formats.size() ? xf & 0x0FFF : kNoXf;
  }

  void colInfo(const Record& r) {
    RecordReader in = r.reader();
    int first = in.u16(), last = in.u16();
    uint16_t width = in.u16(), xf = in.u16(), flags = in.u16();
    if (first >= kXlsCols || last < first) throw FileError("COLINFO of a bad column range");
    last = std::min(last, kXlsCols - 1);  // some writers let the last run end at 256
    for (int c = first; c <= last; ++c) {
      ColInfo& info = mSheet.data.touchCol(c);
      info.width = width / 256.0;
      info.hidden = flags & 0x01;
      info.xf = xf < mBook.formats.size() ? xf : kNoXf;
    }
  }

  BookImpl& mBook;
  SheetImpl& mSheet;
  bool mPendingString = false;  // a formula with a text result waits for its STRING
  bool mExactWidth = false;     // a STANDARDWIDTH record gave the default width
  int mPendingRow = 0, mPendingCol = 0;
};

}  // namespace

void readXls(BookImpl& book, const std::string& path) {
  std::string stream = readWorkbookStream(path);
  std::vector<SheetEntry> entries = readGlobals(book, stream);
  for (auto& e : entries) {
    bool taken = false;
    for (const auto& s : book.sheets) taken = taken || s->name == e.name;
    if (e.name.empty() || taken) throw FileError("bad or repeated sheet name");
    book.sheets.push_back(std::make_unique<SheetImpl>(book, std::move(e.name)));
    SheetReader(book, *book.sheets.back()).read(stream, e.offset);
  }
}

}  // namespace xl::detail
