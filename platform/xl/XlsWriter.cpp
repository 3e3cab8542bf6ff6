// Writing an xls file: a BIFF8 "Workbook" stream made anew from what the book
// holds (sheets, cells, row heights, column widths, the date system and, for
// a loaded book, its fonts, number formats, XFs, styles and palette as they
// were read), wrapped in a compound file by libgsf.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "platform/xl/Biff.h"
#include "platform/xl/BookImpl.h"
#include "platform/xl/Limits.h"
#include "platform/xl/XlsContainer.h"

namespace xl::detail {

namespace {

using namespace biff;

constexpr size_t kMinStream = 4096;  // shorter streams are padded, as readers expect

// The one text table of the file: every String cell's text once.
class SstBuilder {
 public:
  uint32_t indexOf(std::u16string_view s) {
    ++mReferences;
    auto [it, added] = mIndex.try_emplace(std::u16string(s), uint32_t(mTexts.size()));
    if (added) mTexts.push_back(&it->first);
    return it->second;
  }

  // The SST record, CONTINUE records where it outgrows one record, and the
  // EXTSST index; `base` is the stream offset where the SST record starts.
  void write(RecordWriter& w) const {
    size_t bucket = std::max<size_t>(8, mTexts.size() / 128 + 1);
    std::vector<std::pair<uint32_t, uint16_t>> marks;  // stream offset, offset in record
    size_t recordStart = w.size();
    w.begin(kSst);
    w.u32(mReferences);
    w.u32(uint32_t(mTexts.size()));
    for (size_t i = 0; i < mTexts.size(); ++i) {
      const std::u16string& s = *mTexts[i];
      bool wide = false;
      for (char16_t c : s) wide = wide || c > 0xFF;
      size_t unit = wide ? 2 : 1;
      if (w.bodySize() + 3 + unit > kMaxRecordData) {  // the header and a character fit
        w.end();
        recordStart = w.size();
        w.begin(kContinue);
      }
      if (i % bucket == 0) marks.emplace_back(uint32_t(w.size()), uint16_t(w.size() - recordStart));
      w.u16(uint16_t(s.size()));
      w.u8(wide ? 1 : 0);
      for (char16_t c : s) {
        if (w.bodySize() + unit > kMaxRecordData) {  // go on in a CONTINUE, width restated
          w.end();
          recordStart = w.size();
          w.begin(kContinue);
          w.u8(wide ? 1 : 0);
        }
        if (wide) w.u16(c);
        else w.u8(uint8_t(c));
      }
    }
    w.end();
    w.begin(kExtSst);
    w.u16(uint16_t(bucket));
    for (size_t i = 0; i < marks.size() && i < 1000; ++i) {
      w.u32(marks[i].first);
      w.u16(marks[i].second);
      w.u16(0);
    }
    w.end();
  }

 private:
  std::unordered_map<std::u16string, uint32_t> mIndex;
  std::vector<const std::u16string*> mTexts;  // in index order; keys of mIndex
  uint32_t mReferences = 0;
};

std::string body(std::initializer_list<uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

// A short text: 8-bit count, flags, UTF-16 characters.
void shortString(RecordWriter& w, const std::u16string& s) {
  w.u8(uint8_t(s.size()));
  w.u8(1);
  for (char16_t c : s) w.u16(c);
}

// The cell XF of formats made since the load: the default cell format with
// its number format, marked as set on the cell.
void writeAddedXf(RecordWriter& w, int numFmt) {
  w.begin(kXf);
  w.u16(0);  // font
  w.u16(uint16_t(numFmt));
  w.raw(body({0x01, 0x00, 0x20, 0, 0, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20}));
  w.end();
}

void writeDefaultStyles(RecordWriter& w) {
  // Four fonts and a fifth (the format skips index 4): Arial 10.
  for (int i = 0; i < 5; ++i) {
    w.begin(kFont);
    w.raw(body({200, 0, 0, 0, 0xFF, 0x7F, 0x90, 0x01, 0, 0, 0, 0, 0, 0}));
    w.u8(5);
    w.u8(0);
    w.raw("Arial");
    w.end();
  }
  // Fifteen style XFs and the default cell XF, 15.
  for (int i = 0; i < 16; ++i) {
    bool style = i < 15;
    w.record(kXf, body({0,
                        0,
                        0,
                        0,
                        uint8_t(style ? 0xF5 : 0x01),
                        uint8_t(style ? 0xFF : 0x00),
                        0x20,
                        0,
                        0,
                        uint8_t(style ? 0xF4 : 0x00),
                        0,
                        0,
                        0,
                        0,
                        0,
                        0,
                        0,
                        0,
                        0xC0,
                        0x20}));
  }
}

// An error code the format knows; others are written as #N/A.
uint8_t knownError(uint8_t code) {
  for (uint8_t k : {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A})
    if (k == code) return code;
  return 0x2A;
}

void writeRecords(RecordWriter& w, const std::vector<std::string>& records) {
  for (const auto& r : records) w.raw(r);
}

class SheetWriter {
 public:
  SheetWriter(const SheetImpl& sheet, SstBuilder& sst, uint32_t xfCount, bool first)
      : mSheet(sheet), mSst(sst), mXfCount(xfCount), mFirst(first) {}

  void write(RecordWriter& w) {
    const SheetData& d = mSheet.data;
    w.record(kBof, body({0x00, 0x06, 0x10, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0, 0, 0, 0, 0x06, 0, 0, 0}));
    w.begin(kDefaultRowHeight);
    w.u16(0);
    w.u16(uint16_t(std::lround(d.defaultHeight * 20)));
    w.end();
    colInfos(w);
    const Bounds& b = d.bounds();
    w.begin(kDimensions);
    w.u32(uint32_t(b.firstRow));
    w.u32(uint32_t(b.lastRow));
    w.u16(uint16_t(b.firstCol));
    w.u16(uint16_t(b.lastCol));
    w.u16(0);
    w.end();
    // Rows in blocks of 32: the block's ROW records, then its cells.
    for (int start = 0; start < d.rowSlots(); start += 32) {
      int end = std::min(start + 32, d.rowSlots());
      for (int r = start; r < end; ++r) rowRecord(w, r, *d.rowInfo(r));
      for (int r = start; r < end; ++r)
        for (const Cell& c : d.rowInfo(r)->cells) cell(w, r, c);
    }
    w.begin(kWindow2);
    w.u16(mFirst ? 0x06B6 : 0x00B6);
    w.raw(body({0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    w.end();
    w.record(kEof, {});
  }

 private:
  uint16_t xfOf(uint32_t xf) const {
    if (xf != kNoXf && xf < mXfCount) return uint16_t(xf);
    return uint16_t(mXfCount > 15 ? 15 : 0);
  }

  void colInfos(RecordWriter& w) {
    const SheetData& d = mSheet.data;
    for (int c = 0; c < d.colSlots() && c < kXlsCols;) {
      const ColInfo& info = *d.colInfo(c);
      int last = c;
      while (last + 1 < d.colSlots() && last + 1 < kXlsCols) {
        const ColInfo& o = *d.colInfo(last + 1);
        if (o.width != info.width || o.hidden != info.hidden || o.xf != info.xf) break;
        ++last;
      }
      if (info.width >= 0 || info.hidden || info.xf != kNoXf) {
        double width = info.width >= 0 ? info.width : d.defaultWidth;
        w.begin(kColInfo);
        w.u16(uint16_t(c));
        w.u16(uint16_t(last));
        w.u16(uint16_t(std::min<long>(std::lround(width * 256), 0xFFFF)));
        w.u16(xfOf(info.xf));
        w.u16(info.hidden ? 1 : 0);
        w.u16(0);
        w.end();
      }
      c = last + 1;
    }
  }

  void rowRecord(RecordWriter& w, int row, const RowInfo& info) {
    bool custom = info.height >= 0;
    if (info.cells.empty() && !custom && !info.hidden && info.xf == kNoXf) return;
    w.begin(kRow);
    w.u16(uint16_t(row));
    w.u16(info.cells.empty() ? 0 : info.cells.front().col);
    w.u16(info.cells.empty() ? 0 : uint16_t(info.cells.back().col + 1));
    double height = custom ? info.height : mSheet.data.defaultHeight;
    w.u16(uint16_t(std::lround(height * 20) & 0x7FFF) | (custom ? 0 : 0x8000));
    w.u32(0);
    uint16_t flags = 0x0100;
    if (custom) flags |= 0x40;
    if (info.hidden) flags |= 0x20;
    if (info.xf != kNoXf) flags |= 0x80;
    w.u16(flags);
    w.u16(xfOf(info.xf));
    w.end();
  }

  void cellHead(RecordWriter& w, uint16_t type, int row, const Cell& c) {
    w.begin(type);
    w.u16(uint16_t(row));
    w.u16(c.col);
    w.u16(xfOf(c.xf));
  }

  void cell(RecordWriter& w, int row, const Cell& c) {
    switch (c.kind) {
      case Kind::Number:
        cellHead(w, kNumber, row, c);
        w.f64(c.num);
        break;
      case Kind::String:
        cellHead(w, kLabelSst, row, c);
        w.u32(mSst.indexOf(mSheet.textOf(c)));
        break;
      case Kind::Boolean:
      case Kind::Error:
        cellHead(w, kBoolErr, row, c);
        w.u8(c.kind == Kind::Error ? knownError(c.aux) : c.aux);
        w.u8(c.kind == Kind::Error ? 1 : 0);
        break;
      case Kind::Blank: cellHead(w, kBlank, row, c); break;
      default: return;
    }
    w.end();
  }

  const SheetImpl& mSheet;
  SstBuilder& mSst;
  uint32_t mXfCount;  // XF records the file will hold
  bool mFirst;
};

}  // namespace

void writeXls(const BookImpl& book, const std::string& path) {
  if (book.sheets.empty()) throw FileError("a workbook needs at least one sheet");
  const XlsStyleRecords& st = book.xlsStyles;
  bool ownStyles = !st.xfs.empty() && !st.fonts.empty();
  uint32_t baseXfs = ownStyles ? uint32_t(st.xfs.size()) : 16;
  // Formats beyond the base XFs (those made by addFormat) follow them.
  uint32_t xfCount = std::max<uint32_t>(baseXfs, uint32_t(book.formats.size()));

  // The sheets first: their texts fill the text table the globals carry.
  SstBuilder sst;
  std::vector<RecordWriter> sheets(book.sheets.size());
  for (size_t i = 0; i < book.sheets.size(); ++i)
    SheetWriter(*book.sheets[i], sst, xfCount, i == 0).write(sheets[i]);

  RecordWriter g;
  g.record(kBof, body({0x00, 0x06, 0x05, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0, 0, 0, 0, 0x06, 0, 0, 0}));
  g.record(kCodePage, body({0xB0, 0x04}));  // 1200: texts are UTF-16
  g.record(kWindow1, body({0, 0, 0, 0, 0xBC, 0x25, 0x58, 0x1B, 0x38, 0, 0, 0, 0, 0, 1, 0, 0x58, 0x02}));
  g.record(kDateMode, body({uint8_t(book.date1904 ? 1 : 0), 0}));
  // The STYLE records follow every XF.
  if (ownStyles) {
    writeRecords(g, st.fonts);
    writeRecords(g, st.formats);
    writeRecords(g, st.xfs);
  } else {
    writeDefaultStyles(g);
  }
  for (uint32_t i = baseXfs; i < xfCount; ++i) writeAddedXf(g, book.formats[i]->numFmt);
  if (ownStyles) {
    writeRecords(g, st.styles);
    writeRecords(g, st.palette);
  } else {
    g.record(kStyle, body({0x00, 0x80, 0x00, 0xFF}));  // "Normal" on XF 0
  }
  std::vector<size_t> offsetAt;
  for (const auto& s : book.sheets) {
    g.begin(kBoundSheet);
    offsetAt.push_back(g.size());
    g.u32(0);  // the sheet's offset, set below
    g.u8(0);   // visible
    g.u8(0);   // worksheet
    shortString(g, s->name);
    g.end();
  }
  sst.write(g);
  g.record(kEof, {});

  size_t offset = g.size();
  for (size_t i = 0; i < sheets.size(); ++i) {
    if (offset > UINT32_MAX) throw FileError("the workbook is too large for an xls file");
    g.patch32(offsetAt[i], uint32_t(offset));
    offset += sheets[i].size();
  }
  std::string& stream = g.bytes();
  stream.reserve(offset);
  for (auto& s : sheets) {
    stream += s.bytes();
    s.bytes().clear();
    s.bytes().shrink_to_fit();
  }
  if (stream.size() < kMinStream) stream.resize(kMinStream, '\0');
  writeWorkbookStream(path, stream);
}

}  // namespace xl::detail
