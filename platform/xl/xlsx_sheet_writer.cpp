#include "platform/xl/xlsx_sheet_writer.h"

#include <charconv>

#include "platform/xl/text.h"

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

SheetPartWriter::SheetPartWriter(const SheetImpl& sheet, const std::string* original)
    : sheet_(sheet) {
  if (original && sheet.layout.valid) p_ = sheet.layout.prefix;
  vOpen_ = "><" + p_ + "v>";
  vClose_ = "</" + p_ + "v></" + p_ + "c>";
  isOpen_ = "><" + p_ + "is><" + p_ + "t";
  isClose_ = "</" + p_ + "t></" + p_ + "is></" + p_ + "c>";
  buildHeadAndTail(original && sheet.layout.valid ? original : nullptr);
}

void SheetPartWriter::rewind() {
  stage_ = 0;
  nextRow_ = 0;
}

const std::string& SheetPartWriter::colName(int col) {
  while (int(colNames_.size()) <= col) {
    int n = int(colNames_.size()) + 1;
    std::string name;
    while (n > 0) {
      name.insert(name.begin(), char('A' + (n - 1) % 26));
      n = (n - 1) / 26;
    }
    colNames_.push_back(std::move(name));
  }
  return colNames_[size_t(col)];
}

std::string SheetPartWriter::dimensionXml() const {
  const Bounds& b = sheet_.data.bounds();
  std::string ref;
  auto cellName = [](int row, int col) {
    std::string name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name + std::to_string(row + 1);
  };
  if (b.lastRow == 0) ref = "A1";
  else ref = cellName(b.firstRow, b.firstCol) + ":" + cellName(b.lastRow - 1, b.lastCol - 1);
  return "<" + p_ + "dimension ref=\"" + ref + "\"/>";
}

// Runs of equal columns become one col element.
std::string SheetPartWriter::colsXml() const {
  std::string out;
  const SheetData& d = sheet_.data;
  for (int c = 0; c < d.colSlots();) {
    const ColInfo& info = *d.colInfo(c);
    int last = c;
    auto same = [&info](const ColInfo& o) {
      return o.width == info.width && o.hidden == info.hidden && o.xf == info.xf;
    };
    while (last + 1 < d.colSlots() && same(*d.colInfo(last + 1))) ++last;
    if (info.width >= 0 || info.hidden || info.xf != kNoXf) {
      out += "<" + p_ + "col min=\"" + std::to_string(c + 1) + "\" max=\"" + std::to_string(last + 1) + "\"";
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
  return out.empty() ? out : "<" + p_ + "cols>" + out + "</" + p_ + "cols>";
}

void SheetPartWriter::buildHeadAndTail(const std::string* original) {
  std::string dimension = dimensionXml();
  std::string cols = colsXml();
  std::string dataOpen = "<" + p_ + "sheetData>";
  std::string dataClose = "</" + p_ + "sheetData>";
  if (!original) {
    head_ =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
        dimension + "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"";
    appendDouble(head_, sheet_.data.defaultHeight);
    head_ += "\"/>" + cols + dataOpen;
    tail_ = dataClose +
            "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
            "footer=\"0.3\"/></worksheet>";
    return;
  }
  // Splice: the loaded part with its dimension, cols and sheetData replaced,
  // each where it stood; cols, when the part had none, go before sheetData.
  const XlsxPartLayout& l = sheet_.layout;
  const std::string& o = *original;
  size_t pos = 0;
  if (l.dimensionEnd > l.dimensionBegin && l.dimensionEnd <= l.sheetDataBegin) {
    head_.append(o, 0, l.dimensionBegin);
    head_ += dimension;
    pos = l.dimensionEnd;
  }
  if (l.colsEnd > l.colsBegin && l.colsBegin >= pos && l.colsEnd <= l.sheetDataBegin) {
    head_.append(o, pos, l.colsBegin - pos);
    head_ += cols;
    pos = l.colsEnd;
    cols.clear();
  }
  head_.append(o, pos, l.sheetDataBegin - pos);
  head_ += cols + dataOpen;
  tail_ = dataClose;
  tail_.append(o, l.sheetDataEnd, std::string::npos);
}

void SheetPartWriter::appendCell(std::string& out, int row, const Cell& cell) {
  out += '<';
  out += p_;
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
      out += vOpen_;
      appendDouble(out, cell.num);
      out += vClose_;
      return;
    case Kind::String:
      if (cell.aux) {  // a text of the package's shared texts, which the save keeps
        out += " t=\"s\"";
        out += vOpen_;
        appendInt(out, cell.str);
        out += vClose_;
      } else {
        std::u16string_view text = sheet_.textOf(cell);
        out += " t=\"inlineStr\"";
        out += isOpen_;
        if (needsPreserve(text)) out += " xml:space=\"preserve\"";
        out += '>';
        appendXmlText(out, text);
        out += isClose_;
      }
      return;
    case Kind::Boolean:
      out += " t=\"b\"";
      out += vOpen_;
      out += cell.aux ? '1' : '0';
      out += vClose_;
      return;
    case Kind::Error:
      out += " t=\"e\"";
      out += vOpen_;
      out += errorText(cell.aux);
      out += vClose_;
      return;
    default:
      out += "/>";
  }
}

void SheetPartWriter::appendRow(std::string& out, int row, const RowInfo& info) {
  out += '<';
  out += p_;
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
  out += p_;
  out += "row>";
}

bool SheetPartWriter::next(std::string& out) {
  switch (stage_) {
    case 0:
      out += head_;
      stage_ = 1;
      return true;
    case 1: {
      size_t start = out.size();
      const SheetData& d = sheet_.data;
      while (nextRow_ < d.rowSlots() && out.size() - start < kPieceSize) {
        const RowInfo& info = *d.rowInfo(nextRow_);
        if (!info.cells.empty() || info.height >= 0 || info.hidden || info.xf != kNoXf)
          appendRow(out, nextRow_, info);
        ++nextRow_;
      }
      if (nextRow_ >= d.rowSlots()) stage_ = 2;
      return true;
    }
    case 2:
      out += tail_;
      stage_ = 3;
      return true;
    default:
      return false;
  }
}

}  // namespace xl::detail
