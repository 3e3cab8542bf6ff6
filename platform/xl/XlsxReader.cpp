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

#include "platform/CodePage.h"
#include "platform/xl/BookImpl.h"
#include "platform/xl/Dates.h"
#include "platform/xl/Limits.h"
#include "platform/xl/Text.h"
#include "platform/xl/XmlStream.h"
#include "platform/xl/ZipPackage.h"

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
  int n = std::sscanf(std::string(s).c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &p.year, &p.month, &p.day, &p.hour,
                      &p.minute, &p.second);
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

std::map<std::string, Relationship> readRelationships(const ZipReader& zip, const std::string& sourcePart) {
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
  SharedStringsReader(std::string part, std::vector<std::u16string>& out) : XmlStream(std::move(part)), mOut(out) {}

 private:
  void start(std::string_view name, const char** attrs) override {
    if (name == "si") {
      mInItem = true;
      mCurrent.clear();
    } else if (name == "rPh") {
      ++mPhonetic;
    } else if (name == "t" && mInItem && mPhonetic == 0) {
      mInText = true;
    } else if (name == "sst") {
      long long n = 0;
      const char* v = attr(attrs, "uniqueCount");
      if (v && parseInt(v, n) && n > 0) mOut.reserve(size_t(std::min<long long>(n, 1 << 20)));
    }
  }
  void end(std::string_view name) override {
    if (name == "si") {
      if (mOut.size() >= kMaxSharedStrings) fail("too many shared texts");
      mOut.push_back(decodeXmlEscapes(utf8ToWide(mCurrent)));
      mInItem = false;
    } else if (name == "rPh") {
      --mPhonetic;
    } else if (name == "t") {
      mInText = false;
    }
  }
  void text(const char* data, size_t n) override {
    if (mInText) mCurrent.append(data, n);
  }

  std::vector<std::u16string>& mOut;
  std::string mCurrent;  // UTF-8 text of the item being read
  bool mInItem = false, mInText = false;
  int mPhonetic = 0;  // depth of rPh elements, whose texts are not the value
};

// ---- worksheets, streamed ----

class WorksheetReader final : public XmlStream {
 public:
  WorksheetReader(std::string part, SheetImpl& sheet) : XmlStream(std::move(part)), mSheet(sheet) {}

 private:
  enum class Type { Number, Shared, Str, Inline, Bool, Error, Date };

  // Rows and cells count only inside sheetData, columns only inside cols:
  // extension elements elsewhere may reuse those names.
  void start(std::string_view name, const char** attrs) override {
    ++mDepth;
    if (mDepth == 1) {
      std::string_view prefix = currentPrefix();
      mSheet.layout.prefix = prefix.empty() ? "" : std::string(prefix) + ":";
    } else if (mDepth == 2) {
      mSection = name == "sheetData" ? Section::Data : name == "cols" ? Section::Cols : Section::Other;
      if (name == "dimension" || name == "cols" || name == "sheetData") {
        mSectionBegin = tagOffset();
        mSectionStartLength = tagLength();
      }
      if (name == "sheetFormatPr") readDefaults(attrs);
    } else if (mSection == Section::Data) {
      if (mDepth == 3 && name == "row") startRow(attrs);
      else if (mDepth == 4 && name == "c") startCell(attrs);
      else if (name == "v") mInValue = mInCell, mValue.clear();
      else if (name == "is") mInInline = mInCell;
      else if (name == "rPh") ++mPhonetic;
      else if (name == "t") mInText = mInInline && mPhonetic == 0;
    } else if (mSection == Section::Cols && mDepth == 3 && name == "col") {
      readCol(attrs);
    }
  }

  void end(std::string_view name) override {
    if (mDepth == 2) {
      size_t end = tagLength() == 0 ? size_t(mSectionBegin + mSectionStartLength)
                                    : size_t(tagOffset() + tagLength());
      XlsxPartLayout& l = mSheet.layout;
      if (name == "dimension") l.dimensionBegin = mSectionBegin, l.dimensionEnd = end;
      else if (name == "cols") l.colsBegin = mSectionBegin, l.colsEnd = end;
      else if (name == "sheetData") l.sheetDataBegin = mSectionBegin, l.sheetDataEnd = end, l.valid = true;
      mSection = Section::Other;
    } else if (mSection == Section::Data) {
      if (mDepth == 4 && name == "c") endCell();
      else if (name == "v") mInValue = false;
      else if (name == "is") mInInline = false;
      else if (name == "rPh") --mPhonetic;
      else if (name == "t") mInText = false;
    }
    --mDepth;
  }

  void text(const char* data, size_t n) override {
    if (mInValue) mValue.append(data, n);
    else if (mInText) mInlineText.append(data, n);
  }

  void startRow(const char** attrs) {
    long long r = mRow + 2;  // 1-based: the one after the previous row
    if (const char* v = attr(attrs, "r"); v && (!parseInt(v, r) || r < 1 || r > kXlsxRows))
      return fail("bad row number");
    mRow = int(r - 1);
    mCol = -1;
    double height = -1;
    const char* ht = attr(attrs, "ht");
    if (ht && (!parseDouble(ht, height) || !(height >= 0))) return fail("bad row height");
    height = std::min(height, kMaxRowHeight);
    bool hidden = isTrue(attr(attrs, "hidden"));
    bool formatted = isTrue(attr(attrs, "customFormat"));
    if (ht || hidden || formatted) {
      RowInfo& info = mSheet.data.touchRow(mRow);
      info.height = height;
      info.hidden = hidden;
      if (formatted) info.xf = styleOf(attr(attrs, "s"));
    }
  }

  void readCol(const char** attrs) {
    long long first = 0, last = 0;
    const char* min = attr(attrs, "min");
    const char* max = attr(attrs, "max");
    if (!min || !max || !parseInt(min, first) || !parseInt(max, last) || first < 1 || last < first ||
        last > kXlsxCols)
      return fail("bad column range");
    double width = -1;
    const char* w = attr(attrs, "width");
    if (w && (!parseDouble(w, width) || !(width >= 0))) return fail("bad column width");
    width = std::min(width, kMaxColWidth);
    bool hidden = isTrue(attr(attrs, "hidden"));
    uint32_t xf = attr(attrs, "style") ? styleOf(attr(attrs, "style")) : kNoXf;
    for (long long c = first; c <= last; ++c) {
      ColInfo& info = mSheet.data.touchCol(int(c - 1));
      info.width = width;
      info.hidden = hidden;
      info.xf = xf;
    }
  }

  void readDefaults(const char** attrs) {
    double v;
    if (const char* h = attr(attrs, "defaultRowHeight"); h && parseDouble(h, v) && v >= 0 && v <= 409.5)
      mSheet.data.defaultHeight = v;
    if (const char* w = attr(attrs, "defaultColWidth"); w && parseDouble(w, v) && v >= 0 && v <= 255)
      mSheet.data.defaultWidth = v;
    else if (const char* b = attr(attrs, "baseColWidth"); b && parseDouble(b, v) && v >= 0 && v <= 255)
      mSheet.data.defaultWidth = v + 0.43;
  }

  // A style index; one the book does not have counts as none.
  uint32_t styleOf(const char* s) const {
    long long index = 0;
    if (!s || !parseInt(s, index) || index < 0 || uint64_t(index) >= mSheet.book.formats.size()) return kNoXf;
    return uint32_t(index);
  }

  // One pass over the attributes: a sheet has millions of cells.
  void startCell(const char** attrs) {
    if (mRow < 0) return fail("cell outside a row");
    mInCell = true;
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
      if (!parseCellRef(r, row, mCellCol)) return fail(std::string("bad cell reference ") + r);
      if (row != mRow) return fail(std::string("cell ") + r + " outside its row");
    } else {
      mCellCol = mCol + 1;
      if (mCellCol >= kXlsxCols) return fail("too many cells in a row");
    }
    mCol = mCellCol;
    mCellXf = s ? styleOf(s) : kNoXf;
    std::string_view type = t ? t : "n";
    if (type == "n") mType = Type::Number;
    else if (type == "s") mType = Type::Shared;
    else if (type == "str") mType = Type::Str;
    else if (type == "inlineStr") mType = Type::Inline;
    else if (type == "b") mType = Type::Bool;
    else if (type == "e") mType = Type::Error;
    else if (type == "d") mType = Type::Date;
    else return fail(std::string("unknown cell type ") + t);
    mValue.clear();
    mInlineText.clear();
  }

  void endCell() {
    if (!mInCell) return;
    mInCell = mInValue = mInInline = mInText = false;
    Cell& c = mSheet.data.putInOrder(mRow, mCellCol);
    mSheet.data.release(c);
    c.xf = mCellXf;
    c.aux = 0;
    bool hasV = !mValue.empty();
    switch (mType) {
      case Type::Number:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Number;
        if (!parseDouble(mValue, c.num)) return fail("bad number " + mValue);
        if (!std::isfinite(c.num)) c.kind = Kind::Error, c.aux = 0x24;  // no cell holds one: #NUM!
        break;
      case Type::Date:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Number;
        if (!parseIsoDate(mValue, mSheet.book.date1904, c.num)) return fail("bad date " + mValue);
        break;
      case Type::Shared: {
        long long index;
        if (!hasV) return setBlank(c);
        if (!parseInt(mValue, index) || index < 0 || uint64_t(index) >= mSheet.book.shared.size())
          return fail("shared text index out of range");
        c.kind = Kind::String;
        c.aux = 1;
        c.str = uint32_t(index);
        break;
      }
      case Type::Str:
        if (!hasV) return setBlank(c);
        setUtf8Text(c, mValue);
        break;
      case Type::Inline: setUtf8Text(c, mInlineText); break;
      case Type::Bool:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Boolean;
        c.aux = mValue == "1" || mValue == "true";
        break;
      case Type::Error:
        if (!hasV) return setBlank(c);
        c.kind = Kind::Error;
        c.aux = errorCode(mValue);
        break;
    }
  }

  static void setBlank(Cell& c) { c.kind = Kind::Blank; }

  // Decodes straight into the sheet's texts: a cell text costs no allocation.
  void setUtf8Text(Cell& c, const std::string& utf8) {
    TextArena& texts = mSheet.data.texts();
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

  SheetImpl& mSheet;
  int mDepth = 0;  // of the element being handled; the worksheet is 1
  Section mSection = Section::Other;
  uint64_t mSectionBegin = 0;      // offset of the depth-2 element's start tag
  size_t mSectionStartLength = 0;  // and its length
  int mRow = -1;                   // the row being read, from 0
  int mCol = -1;                   // the column of the row's previous cell
  bool mInCell = false, mInValue = false, mInInline = false, mInText = false;
  int mPhonetic = 0;
  int mCellCol = 0;
  uint32_t mCellXf = kNoXf;
  Type mType = Type::Number;
  std::string mValue, mInlineText;  // UTF-8 texts of <v> and of <is>
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
    std::u16string sheetName = utf8ToWide(name);
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
