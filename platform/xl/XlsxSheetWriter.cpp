#include "platform/xl/XlsxSheetWriter.h"

#include <charconv>

#include "platform/xl/Text.h"

namespace xl::detail {

namespace {

constexpr size_t kPieceSize = 1 << 16;

void appendInt(std::string& out, long long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// The shortest text that reads back as the same double.
void appendDouble(std::string& out, double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

const char* errorText(uint8_t code) {
  switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2B: return "#GETTING_DATA";
    default: return "#N/A";
  }
}

bool needsPreserve(std::u16string_view s) {
  auto space = [](char16_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return !s.empty() && (space(s.front()) || space(s.back()));
}

}  // namespace

SheetPartWriter::SheetPartWriter(const SheetImpl& sheet, const std::string* original) : mSheet(sheet) {
  if (original && sheet.layout.valid) mPrefix = sheet.layout.prefix;
  mVOpen = "><" + mPrefix + "v>";
  mVClose = "</" + mPrefix + "v></" + mPrefix + "c>";
  mIsOpen = "><" + mPrefix + "is><" + mPrefix + "t";
  mIsClose = "</" + mPrefix + "t></" + mPrefix + "is></" + mPrefix + "c>";
  buildHeadAndTail(original && sheet.layout.valid ? original : nullptr);
}

void SheetPartWriter::rewind() {
  mStage = 0;
  mNextRow = 0;
}

const std::string& SheetPartWriter::colName(int col) {
  while (int(mColNames.size()) <= col) {
    int n = int(mColNames.size()) + 1;
    std::string name;
    while (n > 0) {
      name.insert(name.begin(), char('A' + (n - 1) % 26));
      n = (n - 1) / 26;
    }
    mColNames.push_back(std::move(name));
  }
  return mColNames[size_t(col)];
}

std::string SheetPartWriter::dimensionXml() const {
  const Bounds& b = mSheet.data.bounds();
  std::string ref;
  auto cellName = [](int row, int col) {
    std::string name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name + std::to_string(row + 1);
  };
  if (b.lastRow == 0) ref = "A1";
  else ref = cellName(b.firstRow, b.firstCol) + ":" + cellName(b.lastRow - 1, b.lastCol - 1);
  return "<" + mPrefix + "dimension ref=\"" + ref + "\"/>";
}

// Runs of equal columns become one col element.
std::string SheetPartWriter::colsXml() const {
  std::string out;
  const SheetData& d = mSheet.data;
  for (int c = 0; c < d.colSlots();) {
    const ColInfo& info = *d.colInfo(c);
    int last = c;
    auto same = [&info](const ColInfo& o) {
      return o.width == info.width && o.hidden == info.hidden && o.xf == info.xf;
    };
    while (last + 1 < d.colSlots() && same(*d.colInfo(last + 1))) ++last;
    if (info.width >= 0 || info.hidden || info.xf != kNoXf) {
      out += "<" + mPrefix + "col min=\"" + std::to_string(c + 1) + "\" max=\"" + std::to_string(last + 1) + "\"";
      double width = info.width >= 0 ? info.width : d.defaultWidth;
      out += " width=\"";
      appendDouble(out, width);
      out += "\"";
      if (info.width >= 0) out += " customWidth=\"1\"";
      if (info.hidden) out += " hidden=\"1\"";
      if (info.xf != kNoXf) out += " style=\"" + std::to_string(info.xf) + "\"";
      out += "/>";
    }
    c = last + 1;
  }
  return out.empty() ? out : "<" + mPrefix + "cols>" + out + "</" + mPrefix + "cols>";
}

void SheetPartWriter::buildHeadAndTail(const std::string* original) {
  std::string dimension = dimensionXml();
  std::string cols = colsXml();
  std::string dataOpen = "<" + mPrefix + "sheetData>";
  std::string dataClose = "</" + mPrefix + "sheetData>";
  if (!original) {
    mHead =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
        dimension + "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"";
    appendDouble(mHead, mSheet.data.defaultHeight);
    mHead += "\"/>" + cols + dataOpen;
    mTail = dataClose +
            "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
            "footer=\"0.3\"/></worksheet>";
    return;
  }
  // Splice: the loaded part with its dimension, cols and sheetData replaced,
  // each where it stood; cols, when the part had none, go before sheetData.
  const XlsxPartLayout& l = mSheet.layout;
  const std::string& o = *original;
  size_t pos = 0;
  if (l.dimensionEnd > l.dimensionBegin && l.dimensionEnd <= l.sheetDataBegin) {
    mHead.append(o, 0, l.dimensionBegin);
    mHead += dimension;
    pos = l.dimensionEnd;
  }
  if (l.colsEnd > l.colsBegin && l.colsBegin >= pos && l.colsEnd <= l.sheetDataBegin) {
    mHead.append(o, pos, l.colsBegin - pos);
    mHead += cols;
    pos = l.colsEnd;
    cols.clear();
  }
  mHead.append(o, pos, l.sheetDataBegin - pos);
  mHead += cols + dataOpen;
  mTail = dataClose;
  mTail.append(o, l.sheetDataEnd, std::string::npos);
}

void SheetPartWriter::appendCell(std::string& out, int row, const Cell& cell) {
  out += '<';
  out += mPrefix;
  out += "c r=\"";
  out += colName(cell.col);
  appendInt(out, row + 1);
  out += '"';
  if (cell.xf != kNoXf && cell.xf != 0) {
    out += " s=\"";
    appendInt(out, cell.xf);
    out += '"';
  }
  switch (cell.kind) {
    case Kind::Number:
      out += mVOpen;
      appendDouble(out, cell.num);
      out += mVClose;
      return;
    case Kind::String:
      if (cell.aux) {  // a text of the package's shared texts, which the save keeps
        out += " t=\"s\"";
        out += mVOpen;
        appendInt(out, cell.str);
        out += mVClose;
      } else {
        std::u16string_view text = mSheet.textOf(cell);
        out += " t=\"inlineStr\"";
        out += mIsOpen;
        if (needsPreserve(text)) out += " xml:space=\"preserve\"";
        out += '>';
        appendXmlText(out, text);
        out += mIsClose;
      }
      return;
    case Kind::Boolean:
      out += " t=\"b\"";
      out += mVOpen;
      out += cell.aux ? '1' : '0';
      out += mVClose;
      return;
    case Kind::Error:
      out += " t=\"e\"";
      out += mVOpen;
      out += errorText(cell.aux);
      out += mVClose;
      return;
    default: out += "/>";
  }
}

void SheetPartWriter::appendRow(std::string& out, int row, const RowInfo& info) {
  out += '<';
  out += mPrefix;
  out += "row r=\"";
  appendInt(out, row + 1);
  out += '"';
  if (info.height >= 0) {
    out += " ht=\"";
    appendDouble(out, info.height);
    out += "\" customHeight=\"1\"";
  }
  if (info.hidden) out += " hidden=\"1\"";
  if (info.xf != kNoXf) {
    out += " s=\"";
    appendInt(out, info.xf);
    out += "\" customFormat=\"1\"";
  }
  if (info.cells.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  for (const Cell& c : info.cells) appendCell(out, row, c);
  out += "</";
  out += mPrefix;
  out += "row>";
}

bool SheetPartWriter::next(std::string& out) {
  switch (mStage) {
    case 0:
      out += mHead;
      mStage = 1;
      return true;
    case 1: {
      size_t start = out.size();
      const SheetData& d = mSheet.data;
      while (mNextRow < d.rowSlots() && out.size() - start < kPieceSize) {
        const RowInfo& info = *d.rowInfo(mNextRow);
        if (!info.cells.empty() || info.height >= 0 || info.hidden || info.xf != kNoXf)
          appendRow(out, mNextRow, info);
        ++mNextRow;
      }
      if (mNextRow >= d.rowSlots()) mStage = 2;
      return true;
    }
    case 2:
      out += mTail;
      mStage = 3;
      return true;
    default: return false;
  }
}

}  // namespace xl::detail
