// Writing an xlsx package. A new book gets a small package of its own; a
// loaded book is written as the package it was loaded from, with only the
// parts of changed sheets replaced (and the parts that list sheets updated
// when sheets were added), so other sheets, styles and formulas stay.
#include <zip.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <set>
#include <sstream>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/xl/BookImpl.h"
#include "platform/xl/Text.h"
#include "platform/xl/XlsxSheetWriter.h"
#include "platform/xl/ZipPackage.h"

namespace xl::detail {

namespace {

constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kWorksheetType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char* kWorksheetContent =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

// Deflate level of the parts: 1 is several times faster than the default
// and the sheets are still about eight times smaller than their XML.
constexpr zip_uint32_t kDeflateLevel = 1;

// A zip source that asks a SheetPartWriter for the part as libzip reads it.
struct GeneratedSource {
  SheetPartWriter writer;
  std::string buffer;
  size_t pos = 0;
  zip_error_t error;

  GeneratedSource(const SheetImpl& sheet, const std::string* original) : writer(sheet, original) {
    zip_error_init(&error);
  }
  ~GeneratedSource() { zip_error_fini(&error); }

  // Runs inside libzip: nothing may be thrown from here.
  static zip_int64_t callback(void* self, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* s = static_cast<GeneratedSource*>(self);
    try {
      switch (cmd) {
        case ZIP_SOURCE_OPEN:
          s->writer.rewind();
          s->buffer.clear();
          s->pos = 0;
          return 0;
        case ZIP_SOURCE_READ: return s->read(static_cast<char*>(data), len);
        case ZIP_SOURCE_CLOSE: return 0;
        case ZIP_SOURCE_STAT: {
          auto* st = static_cast<zip_stat_t*>(data);
          zip_stat_init(st);
          st->mtime = std::time(nullptr);
          st->valid |= ZIP_STAT_MTIME;
          return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&s->error, data, len);
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_SUPPORTS:
          return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default: zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0); return -1;
      }
    } catch (...) {
      zip_error_set(&s->error, ZIP_ER_MEMORY, 0);
      return -1;
    }
  }

  zip_int64_t read(char* out, zip_uint64_t len) {
    zip_uint64_t done = 0;
    while (done < len) {
      if (pos == buffer.size()) {
        buffer.clear();
        pos = 0;
        if (!writer.next(buffer)) break;
        continue;
      }
      size_t n = std::min<size_t>(buffer.size() - pos, size_t(len - done));
      std::copy(buffer.data() + pos, buffer.data() + pos + n, out + done);
      pos += n;
      done += n;
    }
    return zip_int64_t(done);
  }
};

// An archive being written; its sources live until it is closed.
class ZipWriter {
 public:
  explicit ZipWriter(const std::string& path) {
    int code = 0;
    mZa = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!mZa) {
      zip_error_t e;
      zip_error_init_with_code(&e, code);
      std::string msg = std::string("cannot write the file: ") + zip_error_strerror(&e);
      zip_error_fini(&e);
      throw FileError(msg);
    }
  }
  ~ZipWriter() {
    if (mZa) zip_discard(mZa);
  }

  void addText(const std::string& name, std::string text) {
    mTexts.push_back(std::make_unique<std::string>(std::move(text)));
    const std::string& t = *mTexts.back();
    add(name, zip_source_buffer(mZa, t.data(), t.size(), 0));
  }
  void addSheet(const std::string& name, const SheetImpl& sheet, const std::string* original) {
    mGenerated.push_back(std::make_unique<GeneratedSource>(sheet, original));
    add(name, zip_source_function(mZa, &GeneratedSource::callback, mGenerated.back().get()));
  }
  void copyFrom(zip_t* src, zip_uint64_t index, const std::string& name) {
    add(name, zip_source_zip(mZa, src, index, 0, 0, -1));
  }
  void close() {
    if (zip_close(mZa) != 0) {
      std::string msg = std::string("cannot write the file: ") + zip_strerror(mZa);
      throw FileError(msg);  // the destructor discards the archive
    }
    mZa = nullptr;
  }

 private:
  void add(const std::string& name, zip_source_t* src) {
    if (!src) throw FileError(std::string("cannot write the file: ") + zip_strerror(mZa));
    zip_int64_t index = zip_file_add(mZa, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(src);
      throw FileError(std::string("cannot write the file: ") + zip_strerror(mZa));
    }
    zip_set_file_compression(mZa, zip_uint64_t(index), ZIP_CM_DEFLATE, kDeflateLevel);
  }

  zip_t* mZa = nullptr;
  std::vector<std::unique_ptr<std::string>> mTexts;
  std::vector<std::unique_ptr<GeneratedSource>> mGenerated;
};

std::string xmlAttr(std::u16string_view s) {
  std::string out;
  appendXmlText(out, s);
  return out;
}

// ---- styles ----

constexpr const char* kStylesType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kStylesContent = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

// The styles part of a book without one of its own: one font, fill and
// border, and one cell format per format of the book.
std::string newStylesPart(const BookImpl& book) {
  std::string xfs;
  for (const auto& f : book.formats) {
    xfs += "<xf numFmtId=\"" + std::to_string(f->numFmt) + "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
    xfs += f->numFmt != 0 ? " applyNumberFormat=\"1\"/>" : "/>";
  }
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<styleSheet xmlns=\"") +
         kMainNs +
         "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
         "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
         "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
         "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
         "<cellXfs count=\"" +
         std::to_string(book.formats.size()) + "\">" + xfs +
         "</cellXfs>"
         "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
         "</styleSheet>";
}

// ---- a new package ----

void writeNewPackage(const BookImpl& book, const std::string& path) {
  ZipWriter zip(path);
  size_t n = book.sheets.size();
  std::string types =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
      "<Override PartName=\"/xl/styles.xml\" ContentType=\"" +
      std::string(kStylesContent) + "\"/>";
  std::string sheets, rels =
                          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (size_t i = 0; i < n; ++i) {
    std::string k = std::to_string(i + 1);
    types += "<Override PartName=\"/xl/worksheets/sheet" + k + ".xml\" ContentType=\"" + kWorksheetContent + "\"/>";
    sheets += "<sheet name=\"" + xmlAttr(book.sheets[i]->name) + "\" sheetId=\"" + k + "\" r:id=\"rId" + k + "\"/>";
    rels += "<Relationship Id=\"rId" + k + "\" Type=\"" + kWorksheetType + "\" Target=\"worksheets/sheet" + k +
            ".xml\"/>";
  }
  rels += "<Relationship Id=\"rId" + std::to_string(n + 1) + "\" Type=\"" + kStylesType +
          "\" Target=\"styles.xml\"/></Relationships>";
  types += "</Types>";
  zip.addText("[Content_Types].xml", types);
  zip.addText("_rels/.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"xl/workbook.xml\"/></Relationships>");
  zip.addText("xl/workbook.xml",
              std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook xmlns=\"") +
                  kMainNs + "\" xmlns:r=\"" + kRelNs + "\">" +
                  (book.date1904 ? "<workbookPr date1904=\"1\"/>" : "") +
                  "<bookViews><workbookView/></bookViews><sheets>" + sheets + "</sheets></workbook>");
  zip.addText("xl/_rels/workbook.xml.rels", rels);
  zip.addText("xl/styles.xml", newStylesPart(book));
  for (size_t i = 0; i < n; ++i)
    zip.addSheet("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", *book.sheets[i], nullptr);
  zip.close();
}

// ---- the loaded package, updated ----

std::string_view localName(const char* name) {
  std::string_view n(name);
  size_t colon = n.rfind(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

std::string prefixOf(pugi::xml_node node) {
  std::string_view n(node.name());
  size_t colon = n.rfind(':');
  return colon == std::string_view::npos ? "" : std::string(n.substr(0, colon + 1));
}

pugi::xml_node childNamed(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && localName(c.name()) == name) return c;
  return {};
}

pugi::xml_node rootElement(pugi::xml_document& doc) { return doc.document_element(); }

void loadXml(pugi::xml_document& doc, const ZipReader& zip, const std::string& part) {
  std::string bytes = zip.read(part);
  if (!doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration))
    throw FileError("part " + part + " damaged");
  if (!doc.document_element()) throw FileError("part " + part + " damaged");
}

std::string saveXml(const pugi::xml_document& doc) {
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

// The namespace prefix (with its colon) the element's document binds to the
// relationships namespace; binds "r" on the root when there is none.
std::string relPrefix(pugi::xml_node root) {
  for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
    std::string_view n(a.name());
    if (n.substr(0, 6) == "xmlns:" && std::string_view(a.value()) == kRelNs) return std::string(n.substr(6)) + ":";
  }
  std::string prefix = "r";
  while (root.attribute(("xmlns:" + prefix).c_str())) prefix += "r";
  root.append_attribute(("xmlns:" + prefix).c_str()) = kRelNs;
  return prefix + ":";
}

// The package parts that change because sheets were added or sheet parts
// rewritten; every other part is copied unchanged.
struct PackageEdits {
  std::map<std::string, std::string> replaced;  // part name -> new content
  std::set<std::string> removed;
  std::map<const SheetImpl*, std::string> newParts;  // sheets added since the load
  std::map<std::string, std::string> addedTexts;     // other new parts -> content
};

std::string workbookPartOf(const ZipReader& zip) {
  pugi::xml_document rels;
  if (zip.has("_rels/.rels")) {
    loadXml(rels, zip, "_rels/.rels");
    for (pugi::xml_node r : rootElement(rels).children()) {
      std::string_view type = r.attribute("Type").value();
      if (type.size() >= 14 && type.substr(type.size() - 14) == "officeDocument")
        return resolvePartName("", r.attribute("Target").value());
    }
  }
  return "xl/workbook.xml";
}

// Writes the formats made since the load into the package's styles part: a
// cell format each, appended to its cellXfs (whose count follows); a package
// without a styles part gets one. True when the relationships and content
// types changed.
bool addFormats(const BookImpl& book, const ZipReader& zip, const std::string& workbookPart,
                pugi::xml_node relsRoot, pugi::xml_node typesRoot, PackageEdits& edits) {
  std::string stylesPart;
  for (pugi::xml_node r : relsRoot.children()) {
    std::string_view type = r.attribute("Type").value();
    if (type.size() >= 7 && type.substr(type.size() - 7) == "/styles")
      stylesPart = resolvePartName(workbookPart, r.attribute("Target").value());
  }
  if (stylesPart.empty() || !zip.has(stylesPart)) {
    std::string folder = workbookPart.substr(0, workbookPart.rfind('/') + 1);
    std::string part = folder + "styles.xml";
    for (int k = 1; zip.has(part); ++k) part = folder + "styles" + std::to_string(k) + ".xml";
    std::set<std::string> ids;
    for (pugi::xml_node rel : relsRoot.children()) ids.insert(rel.attribute("Id").value());
    std::string id = "rIdStyles";
    while (ids.count(id)) id += "1";
    pugi::xml_node rel = relsRoot.append_child((prefixOf(relsRoot) + "Relationship").c_str());
    rel.append_attribute("Id") = id.c_str();
    rel.append_attribute("Type") = kStylesType;
    rel.append_attribute("Target") = part.substr(folder.size()).c_str();
    pugi::xml_node o = typesRoot.append_child((prefixOf(typesRoot) + "Override").c_str());
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = kStylesContent;
    edits.addedTexts[part] = newStylesPart(book);
    return true;
  }
  pugi::xml_document doc;
  loadXml(doc, zip, stylesPart);
  pugi::xml_node root = rootElement(doc);
  std::string p = prefixOf(root);
  pugi::xml_node xfs = childNamed(root, "cellXfs");
  if (!xfs) {
    // cellXfs goes after the fonts, fills, borders and cellStyleXfs.
    pugi::xml_node after;
    for (const char* name : {"numFmts", "fonts", "fills", "borders", "cellStyleXfs"})
      if (pugi::xml_node n = childNamed(root, name)) after = n;
    xfs = after ? root.insert_child_after((p + "cellXfs").c_str(), after)
                : root.prepend_child((p + "cellXfs").c_str());
  }
  size_t present = 0;
  for (pugi::xml_node xf = xfs.first_child(); xf; xf = xf.next_sibling())
    if (xf.type() == pugi::node_element && localName(xf.name()) == "xf") ++present;
  for (size_t i = present; i < book.formats.size(); ++i) {
    pugi::xml_node xf = xfs.append_child((p + "xf").c_str());
    xf.append_attribute("numFmtId") = book.formats[i]->numFmt;
    for (const char* a : {"fontId", "fillId", "borderId", "xfId"}) xf.append_attribute(a) = 0;
    if (book.formats[i]->numFmt != 0) xf.append_attribute("applyNumberFormat") = 1;
  }
  pugi::xml_attribute count = xfs.attribute("count");
  if (!count) count = xfs.append_attribute("count");
  count = static_cast<unsigned long long>(std::max(present, book.formats.size()));
  edits.replaced[stylesPart] = saveXml(doc);
  return false;
}

PackageEdits planEdits(const BookImpl& book, const ZipReader& zip) {
  PackageEdits edits;
  bool changed = false;  // whether the relationships and content types change
  bool rewritesCells = false, addsSheets = false;
  for (const auto& s : book.sheets) {
    rewritesCells = rewritesCells || s->dirty;
    addsSheets = addsSheets || s->part.empty();
  }
  bool addsFormats = book.formats.size() > book.firstAdded();
  if (!rewritesCells && !addsSheets && !addsFormats) return edits;

  std::string workbookPart = workbookPartOf(zip);
  std::string relsPart = relsPartOf(workbookPart);
  pugi::xml_document wb, rels, types;
  loadXml(wb, zip, workbookPart);
  loadXml(rels, zip, relsPart);
  loadXml(types, zip, "[Content_Types].xml");
  pugi::xml_node relsRoot = rootElement(rels), typesRoot = rootElement(types);

  // The calculation chain lists formula cells; a rewritten sheet may have
  // lost some, so the chain goes and the application rebuilds it.
  for (pugi::xml_node r = relsRoot.first_child(); r;) {
    pugi::xml_node next = r.next_sibling();
    std::string_view type = r.attribute("Type").value();
    if (type.size() >= 9 && type.substr(type.size() - 9) == "calcChain") {
      std::string part = resolvePartName(workbookPart, r.attribute("Target").value());
      edits.removed.insert(part);
      relsRoot.remove_child(r);
      changed = true;
      for (pugi::xml_node o = typesRoot.first_child(); o;) {
        pugi::xml_node nextO = o.next_sibling();
        if (std::string_view(o.attribute("PartName").value()) == "/" + part) typesRoot.remove_child(o);
        o = nextO;
      }
    }
    r = next;
  }

  if (addsSheets) {
    pugi::xml_node wbRoot = rootElement(wb);
    pugi::xml_node sheetsNode = childNamed(wbRoot, "sheets");
    if (!sheetsNode) throw FileError("part " + workbookPart + " damaged");
    std::string p = prefixOf(sheetsNode), r = relPrefix(wbRoot);
    long long maxId = 0;
    for (pugi::xml_node s : sheetsNode.children()) maxId = std::max(maxId, s.attribute("sheetId").as_llong());
    std::set<std::string> ids;
    for (pugi::xml_node rel : relsRoot.children()) ids.insert(rel.attribute("Id").value());
    std::string folder = workbookPart.substr(0, workbookPart.rfind('/') + 1);
    int partNo = 1, idNo = 1;
    for (const auto& s : book.sheets) {
      if (!s->part.empty()) continue;
      std::string part;
      do part = folder + "worksheets/sheet" + std::to_string(partNo++) + ".xml";
      while (zip.has(part));
      std::string id;
      do id = "rId" + std::to_string(idNo++);
      while (ids.count(id));
      ids.insert(id);
      edits.newParts[s.get()] = part;
      pugi::xml_node e = sheetsNode.append_child((p + "sheet").c_str());
      e.append_attribute("name") = wideToUtf8(s->name).c_str();
      e.append_attribute("sheetId") = ++maxId;
      e.append_attribute((r + "id").c_str()) = id.c_str();
      pugi::xml_node rel = relsRoot.append_child((prefixOf(relsRoot) + "Relationship").c_str());
      rel.append_attribute("Id") = id.c_str();
      rel.append_attribute("Type") = kWorksheetType;
      rel.append_attribute("Target") = part.substr(folder.size()).c_str();
      pugi::xml_node o = typesRoot.append_child((prefixOf(typesRoot) + "Override").c_str());
      o.append_attribute("PartName") = ("/" + part).c_str();
      o.append_attribute("ContentType") = kWorksheetContent;
    }
    edits.replaced[workbookPart] = saveXml(wb);
    changed = true;
  }
  if (addsFormats) changed = addFormats(book, zip, workbookPart, relsRoot, typesRoot, edits) || changed;
  if (changed) {
    edits.replaced[relsPart] = saveXml(rels);
    edits.replaced["[Content_Types].xml"] = saveXml(types);
  }
  return edits;
}

void writeLoadedPackage(const BookImpl& book, const std::string& path) {
  ZipReader src(book.package);
  PackageEdits edits = planEdits(book, src);
  std::map<std::string, const SheetImpl*> rewritten;  // by the lower-case part name
  for (const auto& s : book.sheets)
    if (s->dirty && !s->part.empty()) rewritten[toLowerAscii(s->part)] = s.get();
  std::map<std::string, std::string> replaced, originals;
  for (auto& [name, text] : edits.replaced) replaced[toLowerAscii(name)] = std::move(text);
  std::set<std::string> removed;
  for (const auto& name : edits.removed) removed.insert(toLowerAscii(name));

  ZipWriter out(path);
  zip_int64_t count = zip_get_num_entries(src.archive(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* raw = zip_get_name(src.archive(), zip_uint64_t(i), 0);
    if (!raw) throw FileError("the loaded package is damaged");
    std::string name = raw, key = toLowerAscii(name);
    if (removed.count(key)) continue;
    if (auto it = replaced.find(key); it != replaced.end()) {
      out.addText(name, std::move(it->second));
    } else if (auto sh = rewritten.find(key); sh != rewritten.end()) {
      std::string& original = originals[key] = src.read(name, kMaxPartSize);
      // A part in UTF-16 cannot take spliced UTF-8: it is written anew.
      bool utf16 = original.size() >= 2 && ((original[0] == '\xFF' && original[1] == '\xFE') ||
                                            (original[0] == '\xFE' && original[1] == '\xFF'));
      out.addSheet(name, *sh->second, utf16 ? nullptr : &original);
    } else {
      out.copyFrom(src.archive(), zip_uint64_t(i), name);
    }
  }
  for (const auto& [sheet, part] : edits.newParts) out.addSheet(part, *sheet, nullptr);
  for (auto& [part, text] : edits.addedTexts) out.addText(part, std::move(text));
  out.close();
}

}  // namespace

void writeXlsx(const BookImpl& book, const std::string& path) {
  if (book.sheets.empty()) throw FileError("a workbook needs at least one sheet");
  if (book.package.empty()) writeNewPackage(book, path);
  else writeLoadedPackage(book, path);
}

}  // namespace xl::detail
