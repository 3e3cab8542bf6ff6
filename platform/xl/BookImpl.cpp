#include "platform/xl/BookImpl.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/AsciiCase.h"
#include "platform/FileIo.h"
#include "platform/xl/Dates.h"
#include "platform/xl/Limits.h"

namespace xl::detail {

// ---- sheet ----

std::u16string_view SheetImpl::textOf(const Cell& cell) const {
  return cell.aux ? std::u16string_view(book.shared[cell.str]) : TextArena::view(cell.text);
}

bool SheetImpl::inRange(int row, int col) const {
  return row >= 0 && col >= 0 && row < book.maxRows() && col < book.maxCols();
}

uint32_t SheetImpl::xfOf(Format* format) const {
  if (!format) return book.defaultXf;
  // Only formats of this book are taken: the pointer is looked up before the
  // object is trusted.
  auto it = book.formatIndex.find(format);
  return it == book.formatIndex.end() ? book.defaultXf : it->second;
}

Format* SheetImpl::formatOf(const Cell* cell) const {
  if (!cell || cell->xf >= book.formats.size()) return nullptr;
  return book.formats[cell->xf].get();
}

CellType SheetImpl::cellType(int row, int col) const {
  const Cell* c = data.find(row, col);
  return c ? CellType(c->kind) : CELLTYPE_EMPTY;
}

Format* SheetImpl::cellFormat(int row, int col) const { return formatOf(data.find(row, col)); }

double SheetImpl::readNum(int row, int col, Format** format) const {
  const Cell* c = data.find(row, col);
  if (format) *format = formatOf(c);
  return c && c->kind == Kind::Number ? c->num : 0;
}

const char16_t* SheetImpl::readStr(int row, int col, Format** format) const {
  const Cell* c = data.find(row, col);
  if (format) *format = formatOf(c);
  if (!c || c->kind != Kind::String) return nullptr;
  return c->aux ? book.shared[c->str].c_str() : c->text;
}

bool SheetImpl::readBool(int row, int col, Format** format) const {
  const Cell* c = data.find(row, col);
  if (format) *format = formatOf(c);
  return c && c->kind == Kind::Boolean && c->aux != 0;
}

ErrorType SheetImpl::readError(int row, int col) const {
  const Cell* c = data.find(row, col);
  return c && c->kind == Kind::Error ? ErrorType(c->aux) : ERRORTYPE_NOERROR;
}

double SheetImpl::rowHeight(int row) const {
  const RowInfo* r = data.rowInfo(row);
  return r && r->height >= 0 ? r->height : data.defaultHeight;
}

double SheetImpl::colWidth(int col) const {
  const ColInfo* c = data.colInfo(col);
  return c && c->width >= 0 ? c->width : data.defaultWidth;
}

bool SheetImpl::setRow(int row, double height, Format* format, bool hidden) {
  if (!inRange(row, 0) || !std::isfinite(height) || height < 0) {
    book.error = "row or height out of range";
    return false;
  }
  RowInfo& r = data.touchRow(row);
  r.height = std::min(height, kMaxRowHeight);
  r.xf = format ? xfOf(format) : kNoXf;
  r.hidden = hidden;
  dirty = true;
  return true;
}

bool SheetImpl::setCol(int colFirst, int colLast, double width, Format* format, bool hidden) {
  if (!inRange(0, colFirst) || !inRange(0, colLast) || colFirst > colLast || !std::isfinite(width) || width < 0) {
    book.error = "column or width out of range";
    return false;
  }
  for (int c = colFirst; c <= colLast; ++c) {
    ColInfo& info = data.touchCol(c);
    info.width = std::min(width, kMaxColWidth);
    info.xf = format ? xfOf(format) : kNoXf;
    info.hidden = hidden;
  }
  dirty = true;
  return true;
}

bool SheetImpl::writeNum(int row, int col, double value, Format* format) {
  if (!inRange(row, col) || !std::isfinite(value)) {
    book.error = "cell out of range or number not finite";
    return false;
  }
  Cell& c = data.put(row, col);
  data.release(c);
  c.kind = Kind::Number;
  c.aux = 0;
  c.num = value;
  c.xf = xfOf(format);
  dirty = true;
  return true;
}

bool SheetImpl::writeStr(int row, int col, const char16_t* value, Format* format) {
  if (!inRange(row, col) || !value) {
    book.error = "cell out of range";
    return false;
  }
  std::u16string_view text(value);
  if (book.kind == FileKind::Xls && text.size() > 32767) {
    book.error = "text longer than 32767 characters";
    return false;
  }
  Cell& c = data.put(row, col);
  data.setText(c, text);
  c.xf = xfOf(format);
  dirty = true;
  return true;
}

bool SheetImpl::clear(int rowFirst, int rowLast, int colFirst, int colLast) {
  data.clear(rowFirst, rowLast, colFirst, colLast);
  dirty = true;
  return true;
}

// ---- book ----

BookImpl::BookImpl(FileKind kind) : kind(kind) { reset(); }

void BookImpl::reset() {
  sheets.clear();
  formats.clear();
  formatIndex.clear();
  shared.clear();
  shared.shrink_to_fit();
  package.clear();
  package.shrink_to_fit();
  xlsStyles = {};
  date1904 = false;
  // A new xls book has the 15 style formats and the one cell format (15) an
  // xls file starts with; a new xlsx book the one format 0.
  int count = kind == FileKind::Xls ? 16 : 1;
  for (int i = 0; i < count; ++i) addFormat(0);
  defaultXf = uint32_t(count - 1);
  loadedFormats = formats.size();
}

bool FormatImpl::setNumFormat(int id) {
  if (!added || id < 0 || id > 49) return false;
  numFmt = id;
  return true;
}

Format* BookImpl::addFormat() {
  // The file's styles start with the formats every file of the type has (an
  // xls file 15 style formats and one cell format, an xlsx file one), so a
  // new one never takes an index those reserve, even in a file that lacks
  // them; a padded format is General.
  size_t reserved = kind == FileKind::Xls ? 16 : 1;
  size_t limit = kind == FileKind::Xls ? 4050 : kMaxFormats;  // what one xls file holds
  if (formats.size() >= limit) {
    error = "too many formats";
    return nullptr;
  }
  while (formats.size() < reserved) {
    formats.push_back(std::make_unique<FormatImpl>(uint32_t(formats.size()), 0, true));
    formatIndex[formats.back().get()] = formats.back()->xf;
  }
  formats.push_back(std::make_unique<FormatImpl>(uint32_t(formats.size()), 0, true));
  formatIndex[formats.back().get()] = formats.back()->xf;
  return formats.back().get();
}

FormatImpl* BookImpl::addFormat(int numFmt) {
  formats.push_back(std::make_unique<FormatImpl>(uint32_t(formats.size()), numFmt));
  formatIndex[formats.back().get()] = formats.back()->xf;
  return formats.back().get();
}

void BookImpl::clearFormats() {
  formats.clear();
  formatIndex.clear();
}

const char16_t* BookImpl::getSheetName(int index) const {
  auto* s = static_cast<SheetImpl*>(getSheet(index));
  return s ? s->name.c_str() : nullptr;
}

Sheet* BookImpl::getSheet(int index) const {
  return index >= 0 && index < int(sheets.size()) ? sheets[size_t(index)].get() : nullptr;
}

namespace {

bool sameName(const std::u16string& a, const std::u16string& b) { return equalNoCase(a, b); }

}  // namespace

bool BookImpl::nameAvailable(const std::u16string& name, const SheetImpl* except) const {
  if (name.empty() || name.size() > 31 || name.front() == '\'' || name.back() == '\'') return false;
  for (char16_t c : name)
    if (c < 0x20 || std::u16string_view(u":\\/?*[]").find(c) != std::u16string_view::npos) return false;
  for (const auto& s : sheets)
    if (s.get() != except && sameName(s->name, name)) return false;
  return true;
}

Sheet* BookImpl::addSheet(const char16_t* name, Sheet* initSheet) {
  std::u16string n = name ? name : u"";
  if (!nameAvailable(n, nullptr)) {
    error = "sheet name not valid or already taken";
    return nullptr;
  }
  auto sheet = std::make_unique<SheetImpl>(*this, std::move(n));
  for (const auto& s : sheets)
    if (s.get() == initSheet) sheet->data.copyFrom(s->data);  // a copy of a sheet of this book
  sheets.push_back(std::move(sheet));
  return sheets.back().get();
}

bool BookImpl::dateUnpack(double value, int* year, int* month, int* day, int* hour, int* min, int* sec,
                          int* msec) const {
  DateParts p;
  if (!serialToDate(value, date1904, p)) return false;
  if (year) *year = p.year;
  if (month) *month = p.month;
  if (day) *day = p.day;
  if (hour) *hour = p.hour;
  if (min) *min = p.minute;
  if (sec) *sec = p.second;
  if (msec) *msec = p.msec;
  return true;
}

bool BookImpl::load(const char16_t* path, const char16_t* /*tempFile*/) {
  reset();
  if (!path) {
    error = "no path";
    return false;
  }
  try {
    if (kind == FileKind::Xlsx) readXlsx(*this, nativePath(path));
    else readXls(*this, nativePath(path));
    for (auto& s : sheets) s->dirty = false;
    loadedFormats = formats.size();
    error.clear();
    return true;
  } catch (const FileError& e) {
    error = e.what();
  } catch (const std::bad_alloc&) {
    error = "out of memory reading the workbook";
  } catch (const std::length_error&) {
    error = "out of memory reading the workbook";
  }
  reset();
  return false;
}

bool BookImpl::save(const char16_t* path, bool /*useTemp*/) {
  if (!path) {
    error = "no path";
    return false;
  }
  try {
    if (kind == FileKind::Xlsx) writeXlsx(*this, nativePath(path));
    else writeXls(*this, nativePath(path));
    error.clear();
    return true;
  } catch (const FileError& e) {
    error = e.what();
  } catch (const std::bad_alloc&) {
    error = "out of memory writing the workbook";
  } catch (const std::length_error&) {
    error = "out of memory writing the workbook";
  }
  return false;
}

}  // namespace xl::detail

xl::Book* xlCreateBookW() { return new (std::nothrow) xl::detail::BookImpl(xl::detail::FileKind::Xls); }

xl::Book* xlCreateXMLBookW() { return new (std::nothrow) xl::detail::BookImpl(xl::detail::FileKind::Xlsx); }
