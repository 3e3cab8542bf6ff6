// Reading an xlsx package: the workbook, its relationships, styles, shared
// texts and worksheets. Every index and reference taken from the file is
// checked before use; a damaged part throws FileError.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <pugixml.hpp>

#include "platform/codepage.h"
#include "platform/xl/book_impl.h"
#include "platform/xl/dates.h"
#include "platform/xl/text.h"
#include "platform/xl/limits.h"
#include "platform/xl/xml_stream.h"
#include "platform/xl/zip_package.h"

namespace xl::detail {

namespace {

std::string readFile(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) throw FileError("cannot open the file");
  std::string out;
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) out.append(buf, n);
  if (std::ferror(f.get())) throw FileError("cannot read the file");
  return out;
}

// ---- numbers and references ----

bool parseDouble(std::string_view s, double& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

bool parseInt(std::string_view s, long long& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

// "B3" gives row 2, column 1. False for anything else than letters then
// digits within the xlsx limits ("$" signs are not allowed in cells).
bool parseCellRef(std::string_view s, int& row, int& col) {
  size_t i = 0;
  long c = 0;
  while (i < s.size() && ((s[i] >= 'A' && s[i] <= 'Z') || (s[i] >= 'a' && s[i] <= 'z'))) {
    c = c * 26 + ((s[i] | 0x20) - 'a' + 1);
    if (c > kXlsxCols) return false;
    ++i;
  }
  if (i == 0 || i == s.size()) return false;
  long r = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    r = r * 10 + (s[i] - '0');
    if (r > kXlsxRows) return false;
  }
  if (r == 0) return false;
  row = int(r - 1);
  col = int(c - 1);
  return true;
}

bool isTrue(const char* v) { return v && (std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0); }

uint8_t errorCode(std::string_view text) {
  static const std::pair<std::string_view, uint8_t> table[] = {
      {"#NULL!", 0x00}, {"#DIV/0!", 0x07}, {"#VALUE!", 0x0F}, {"#REF!", 0x17},
      {"#NAME?", 0x1D}, {"#NUM!", 0x24},   {"#N/A", 0x2A},    {"#GETTING_DATA", 0x2B}};
  for (const auto& [t, code] : table)
    if (t == text) return code;
  return 0xFF;  // an error value this library has no code for
}

// ISO 8601 date-time of a "d" cell to a serial of the book's system.
bool parseIsoDate(std::string_view s, bool date1904, double& serial) {
  DateParts p;
  int frac = 0, fracDigits = 0;
  int n = std::sscanf(std::string(s).c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &p.year, &p.month, &p.day,
                      &p.hour, &p.minute, &p.second);
  if (n == 3 || n == 6) {
    size_t dot = s.find('.');
    for (size_t i = dot == std::string_view::npos ? s.size() : dot + 1;
         i < s.size() && s[i] >= '0' && s[i] <= '9' && fracDigits < 3; ++i, ++fracDigits)
      frac = frac * 10 + (s[i] - '0');
    while (fracDigits > 0 && fracDigits < 3) frac *= 10, ++fracDigits;
    p.msec = frac;
    return dateToSerial(p, date1904, serial);
  }
  n = std::sscanf(std::string(s).c_str(), "%2d:%2d:%2d", &p.hour, &p.minute, &p.second);
  if (n != 3) return false;
  p.year = date1904 ? 1904 : 1900, p.month = 1, p.day = 1;
  if (!dateToSerial(p, date1904, serial)) return false;
  serial -= std::floor(serial);
  return true;
}

// ---- small parts, through pugixml ----

std::string_view local(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(name);
}

pugi::xml_node child(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && local(c.name()) == name) return c;
  return {};
}

// The attribute with that local name; `prefixed` asks for one with a
// namespace prefix (r:id), else one without.
const char* attribute(pugi::xml_node node, std::string_view name, bool prefixed = false) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    bool hasPrefix = std::strchr(a.name(), ':') != nullptr;
    if (hasPrefix == prefixed && local(a.name()) == name) return a.value();
  }
  return nullptr;
}

pugi::xml_document parsePart(const ZipReader& zip, const std::string& name) {
  std::string bytes = zip.read(name);
  pugi::xml_document doc;
  pugi::xml_parse_result res = doc.load_buffer(bytes.data(), bytes.size());
  if (!res) throw FileError("part " + name + ": " + res.description());
  return doc;
}

struct Relationship {
  std::string type;    // the last segment of the type URI: "worksheet", "styles", ...
  std::string target;  // resolved part name
};

std::map<std::string, Relationship> readRelationships(const ZipReader& zip,
                                                      const std::string& sourcePart) {
  std::map<std::string, Relationship> out;
  std::string relsPart = sourcePart.empty() ? "_rels/.rels" : relsPartOf(sourcePart);
  if (!zip.has(relsPart)) return out;
  pugi::xml_document doc = parsePart(zip, relsPart);
  for (pugi::xml_node r : child(doc, "Relationships").children()) {
    if (local(r.name()) != "Relationship") continue;
    const char* id = attribute(r, "Id");
    const char* type = attribute(r, "Type");
    const char* target = attribute(r, "Target");
    const char* mode = attribute(r, "TargetMode");
    if (!id || !type || !target || (mode && std::strcmp(mode, "External") == 0)) continue;
    std::string_view t(type);
    out[id] = {std::string(t.substr(t.rfind('/') + 1)), resolvePartName(sourcePart, target)};
  }
  return out;
}

std::string findByType(const std::map<std::string, Relationship>& rels, std::string_view type) {
  for (const auto& [id, rel] : rels)
    if (rel.type == type) return rel.target;
  return {};
}

void readStyles(BookImpl& book, const ZipReader& zip, const std::string& part) {
  if (part.empty() || !zip.has(part)) return;  // every cell then has no format
  pugi::xml_document doc = parsePart(zip, part);
  pugi::xml_node xfs = child(child(doc, "styleSheet"), "cellXfs");
  book.clearFormats();
  for (pugi::xml_node xf : xfs.children()) {
    if (local(xf.name()) != "xf") continue;
    long long id = 0;
    const char* v = attribute(xf, "numFmtId");
    if (v && (!parseInt(v, id) || id < 0 || id > 0xFFFF))
      throw FileError("part " + part + ": bad number format identifier");
    if (book.formats.size() >= kMaxFormats) throw FileError("part " + part + ": too many formats");
    book.addFormat(int(id));
  }
  book.defaultXf = book.formats.empty() ? kNoXf : 0;
}

// ---- shared texts, streamed ----

class SharedStringsReader final : public XmlStream {
 public:
  SharedStringsReader(std::string part, std::vector<std::u16string>& out)
      : XmlStream(std::move(part)), out_(out) {}

 private:
  void start(std::string_view name, const char** attrs) override {
    if (name == "si") {
      inItem_ = true;
      current_.clear();
    } else if (name == "rPh") {
      ++phonetic_;
    } else if (name == "t" && inItem_ && phonetic_ == 0) {
      inText_ = true;
    } else if (name == "sst") {
      long long n = 0;
      const char* v = attr(attrs, "uniqueCount");
      if (v && parseInt(v, n) && n > 0) out_.reserve(size_t(std::min<long long>(n, 1 << 20)));
    }
  }
  void end(std::string_view name) override {
    if (name == "si") {
      if (out_.size() >= kMaxSharedStrings) fail("too many shared texts");
      out_.push_back(decodeXmlEscapes(fromUtf8(current_)));
      inItem_ = false;
    } else if (name == "rPh") {
      --phonetic_;
    } else if (name == "t") {
      inText_ = false;
    }
  }
  void text(const char* data, size_t n) override {
    if (inText_) current_.append(data, n);
  }

  std::vector<std::u16string>& out_;
  std::string current_;  // UTF-8 text of the item being read
  bool inItem_ = false, inText_ = false;
  int phonetic_ = 0;  // depth of rPh elements, whose texts are not the value
};

// ---- worksheets, streamed ----

class WorksheetReader final : public XmlStream {
 public:
  WorksheetReader(std::string part, SheetImpl& sheet) : XmlStream(std::move(part)), sheet_(sheet) {}

 private:
  enum class Type { Number, Shared, Str, Inline, Bool, Error, Date };

  // Rows and cells count only inside sheetData, columns only inside cols:
  // extension elements elsewhere may reuse those names.
  void start(std::string_view name, const char** attrs) override {
    ++depth_;
    if (depth_ == 1) {
      std::string_view prefix = currentPrefix();
      sheet_.layout.prefix = prefix.empty() ? "" : std::string(prefix) + ":";
    } else if (depth_ == 2) {
      section_ = name == "sheetData" ? Section::Data : name == "cols" ? Section::Cols : Section::Other;
      if (name == "dimension" || name == "cols" || name == "sheetData") {
        sectionBegin_ = tagOffset();
        sectionStartLength_ = tagLength();
      }
      if (name == "sheetFormatPr") readDefaults(attrs);
    } else if (section_ == Section::Data) {
      if (depth_ == 3 && name == "row") startRow(attrs);
      else if (depth_ == 4 && name == "c") startCell(attrs);
      else if (name == "v") inValue_ = inCell_, value_.clear();
      else if (name == "is") inInline_ = inCell_;
      else if (name == "rPh") ++phonetic_;
      else if (name == "t") inText_ = inInline_ && phonetic_ == 0;
    } else if (section_ == Section::Cols && depth_ == 3 && name == "col") {
      readCol(attrs);
    }
  }

  void end(std::string_view name) override {
    if (depth_ == 2) {
      size_t end = tagLength() == 0 ? size_t(sectionBegin_ + sectionStartLength_)
                                    : size_t(tagOffset() + tagLength());
      XlsxPartLayout& l = sheet_.layout;
      if (name == "dimension") l.dimensionBegin = sectionBegin_, l.dimensionEnd = end;
      else if (name == "cols") l.colsBegin = sectionBegin_, l.colsEnd = end;
      else if (name == "sheetData") l.sheetDataBegin = sectionBegin_, l.sheetDataEnd = end, l.valid = true;
      section_ = Section::Other;
    } else if (section_ == Section::Data) {
      if (depth_ == 4 && name == "c") endCell();
      else if (name == "v") inValue_ = false;
      else if (name == "is") inInline_ = false;
      else if (name == "rPh") --phonetic_;
      else if (name == "t") inText_ = false;
    }
    --depth_;
  }

  void text(const char* data, size_t n) override {
    if (inValue_) value_.append(data, n);
    else if (inText_) inlineText_.append(data, n);
  }

  void startRow(const char** attrs) {
    long long r = row_ + 2;  // 1-based: the one after the previous row
    if (const char* v = attr(attrs, "r"); v && (!parseInt(v, r) || r < 1 || r > kXlsxRows))
      return fail("bad row number");
    row_ = int(r - 1);
    col_ = -1;
    double height = -1;
    const char* ht = attr(attrs, "ht");
    if (ht && (!parseDouble(ht, height) || !(height >= 0))) return fail("bad row height");
    height = std::min(height, kMaxRowHeight);
    bool hidden = isTrue(attr(attrs, "hidden"));
    bool formatted = isTrue(attr(attrs, "customFormat"));
    if (ht || hidden || formatted) {
      RowInfo& info = sheet_.data.touchRow(row_);
      info.height = height;
      info.hidden = hidden;
      if (formatted) info.xf = styleOf(attr(attrs, "s"));
    }
  }

  void readCol(const char** attrs) {
    long long first = 0, last = 0;
    const char* min = attr(attrs, "min");
    const char* max = attr(attrs, "max");
    if (!min || !max || !parseInt(min, first) || !parseInt(max, last) || first < 1 ||
        last < first || last > kXlsxCols)
      return fail("bad column range");
    double width = -1;
    const char* w = attr(attrs, "width");
    if (w && (!parseDouble(w, width) || !(width >= 0))) return fail("bad column width");
    width = std::min(width, kMaxColWidth);
    bool hidden = isTrue(attr(attrs, "hidden"));
    uint32_t xf = attr(attrs, "style") ? styleOf(attr(attrs, "style")) : kNoXf;
    for (long long c = first; c <= last; ++c) {
      ColInfo& info = sheet_.data.touchCol(int(c - 1));
      info.width = width;
      info.hidden = hidden;
      info.xf = xf;
    }
  }

  void readDefaults(const char** attrs) {
    double v;
    if (const char* h = attr(attrs, "defaultRowHeight"); h && parseDouble(h, v) && v >= 0 && v <= 409.5)
      sheet_.data.defaultHeight = v;
    if (const char* w = attr(attrs, "defaultColWidth"); w && parseDouble(w, v) && v >= 0 && v <= 255)
      sheet_.data.defaultWidth = v;
    else if (const char* b = attr(attrs, "baseColWidth"); b && parseDouble(b, v) && v >= 0 && v <= 255)
      sheet_.data.defaultWidth = v + 0.43;
  }

  // A style index; one the book does not have counts as none.
  uint32_t styleOf(const char* s) const {
    long long index = 0;
    if (!s || !parseInt(s, index) || index < 0 || uint64_t(index) >= sheet_.book.formats.size())
      return kNoXf;
    return uint32_t(index);
  }

  // One pass over the attributes: a sheet has millions of cells.
  void startCell(const char** attrs) {
    if (row_ < 0) return fail("cell outside a row");
    inCell_ = true;
    const char *r = nullptr, *s = nullptr, *t = nullptr;
    for (const char** a = attrs; *a; a += 2) {  // unqualified names, as the format has them
      const char* name = a[0];
      if (name[0] == 0 || name[1] != 0) continue;
      if (name[0] == 'r') r = a[1];
      else if (name[0] == 's') s = a[1];
      else if (name[0] == 't') t = a[1];
    }
    if (r) {
      int row;
      if (!parseCellRef(r, row, cellCol_)) return fail(std::string("bad cell reference ") + r);
      if (row != row_) return fail(std::string("cell ") + r + " outside its row");
    } else {
      cellCol_ = col_ + 1;
      if (cellCol_ >= kXlsxCols) return fail("too many cells in a row");
    }
    col_ = cellCol_;
    cellXf_ = s ? styleOf(s) : kNoXf;
    std::string_view type = t ? t : "n";
    if (type == "n") type_ = Type::Number;
    else if (type == "s") type_ = Type::Shared;
    else if (type == "str") type_ = Type::Str;
    else if (type == "inlineStr") type_ = Type::Inline;
    else if (type == "b") type_ = Type::Bool;
    else if (type == "e") type_ = Type::Error;
    else if (type == "d") type_ = Type::Date;
    else return fail(std::string("unknown cell type ") + t);
    value_.clear();
    inlineText_.clear();
  }

  void endCell() {
    if (!inCell_) return;
    inCell_ = inValue_ = inInline_ = inText_ = false;
    Cell& c = sheet_.data.putInOrder(row_, cellCol_);
    sheet_.data.release(c);
    c.xf = cellXf_;
    c.aux = 0;
    bool hasV = !value_.empty();
    switch (type_) {
      case Type::Number:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Number;
        if (!parseDouble(value_, c.num)) return fail("bad number " + value_);
        if (!std::isfinite(c.num)) c.kind = Kind::Error, c.aux = 0x24;  // no cell holds one: #NUM!
        break;
      case Type::Date:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Number;
        if (!parseIsoDate(value_, sheet_.book.date1904, c.num)) return fail("bad date " + value_);
        break;
      case Type::Shared: {
        long long index;
        if (!hasV) return setBlank(c);
        if (!parseInt(value_, index) || index < 0 || uint64_t(index) >= sheet_.book.shared.size())
          return fail("shared text index out of range");
        c.kind = Kind::String;
        c.aux = 1;
        c.str = uint32_t(index);
        break;
      }
      case Type::Str:
        if (!hasV) return setBlank(c);
        setUtf8Text(c, value_);
        break;
      case Type::Inline:
        setUtf8Text(c, inlineText_);
        break;
      case Type::Bool:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Boolean;
        c.aux = value_ == "1" || value_ == "true";
        break;
      case Type::Error:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Error;
        c.aux = errorCode(value_);
        break;
    }
  }

  static void setBlank(Cell& c) { c.kind = Kind::Blank; }

  // Decodes straight into the sheet's texts: a cell text costs no allocation.
  void setUtf8Text(Cell& c, const std::string& utf8) {
    TextArena& texts = sheet_.data.texts();
    char16_t* buf = texts.reserve(utf8.size());
    size_t n = utf8Decode(utf8.data(), utf8.size(), buf);  // never more units than bytes
    if (std::u16string_view(buf, n).find(u"_x") != std::u16string_view::npos) {
      std::u16string decoded = decodeXmlEscapes(std::u16string(buf, n));  // never longer
      std::copy(decoded.begin(), decoded.end(), buf);
      n = decoded.size();
    }
    c.text = texts.commit(n);
    c.kind = Kind::String;
    c.aux = 0;
  }

  enum class Section { Other, Cols, Data };

  SheetImpl& sheet_;
  int depth_ = 0;  // of the element being handled; the worksheet is 1
  Section section_ = Section::Other;
  uint64_t sectionBegin_ = 0;      // offset of the depth-2 element's start tag
  size_t sectionStartLength_ = 0;  // and its length
  int row_ = -1;  // the row being read, from 0
  int col_ = -1;  // the column of the row's previous cell
  bool inCell_ = false, inValue_ = false, inInline_ = false, inText_ = false;
  int phonetic_ = 0;
  int cellCol_ = 0;
  uint32_t cellXf_ = kNoXf;
  Type type_ = Type::Number;
  std::string value_, inlineText_;  // UTF-8 texts of <v> and of <is>
};

template <class Reader>
void streamPart(const ZipReader& zip, Reader& reader, const std::string& part) {
  zip.stream(part, [&reader](const char* p, size_t n) { reader.feed(p, n); });
  reader.finish();
}

}  // namespace

void readXlsx(BookImpl& book, const std::string& path) {
  book.package = readFile(path);
  ZipReader zip(book.package);

  std::string workbookPart = findByType(readRelationships(zip, ""), "officeDocument");
  if (workbookPart.empty()) workbookPart = "xl/workbook.xml";
  pugi::xml_document wb = parsePart(zip, workbookPart);
  pugi::xml_node root = child(wb, "workbook");
  if (!root) throw FileError("part " + workbookPart + ": no workbook");
  book.date1904 = isTrue(attribute(child(root, "workbookPr"), "date1904"));

  auto rels = readRelationships(zip, workbookPart);
  readStyles(book, zip, findByType(rels, "styles"));
  std::string sharedPart = findByType(rels, "sharedStrings");
  if (!sharedPart.empty() && zip.has(sharedPart)) {
    SharedStringsReader reader(sharedPart, book.shared);
    streamPart(zip, reader, sharedPart);
  }

  for (pugi::xml_node s : child(root, "sheets").children()) {
    if (local(s.name()) != "sheet") continue;
    const char* name = attribute(s, "name");
    const char* id = attribute(s, "id", true);
    auto rel = id ? rels.find(id) : rels.end();
    if (!name || rel == rels.end()) throw FileError("part " + workbookPart + ": bad sheet entry");
    if (rel->second.type != "worksheet") continue;  // chart sheets and the like hold no cells
    std::u16string sheetName = fromUtf8(name);
    bool taken = false;
    for (const auto& other : book.sheets) taken = taken || other->name == sheetName;
    if (book.sheets.size() >= kMaxSheets || sheetName.empty() || taken)
      throw FileError("part " + workbookPart + ": bad or repeated sheet name");
    book.sheets.push_back(std::make_unique<SheetImpl>(book, sheetName));
    SheetImpl& sheet = *book.sheets.back();
    sheet.part = rel->second.target;
    WorksheetReader reader(sheet.part, sheet);
    streamPart(zip, reader, sheet.part);
  }
}

}  // namespace xl::detail
