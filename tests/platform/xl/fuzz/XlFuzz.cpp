// libFuzzer target for the workbook readers. The first byte picks the target:
// even bytes fuzz the BIFF8 records (the rest of the input becomes the
// Workbook stream of a sound compound file), odd bytes the worksheet XML (the
// rest becomes the worksheet part of a sound xlsx package, with a fixed
// shared-string table). A book that loads is read whole, saved and loaded.
//
// Build (clang): see tests/platform/xl/fuzz/README.md.
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/xl/XlsContainer.h"
#include "platform/xl/xl.h"

namespace {

const std::string& dir() {
  static const std::string d = "/tmp/xl_fuzz_" + std::to_string(getpid());
  static const bool made = (mkdir(d.c_str(), 0700), true);
  (void)made;
  return d;
}

void writePackage(const std::string& path, const std::string& sheet) {
  static const char* kParts[][2] = {
      {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
      {"_rels/.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
       "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
       "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
       "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
       "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
       "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
      {"xl/sharedStrings.xml",
       "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
       "<si><t>a</t></si><si><r><t>b</t></r></si></sst>"},
  };
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (!z) return;
  for (auto& p : kParts) zip_file_add(z, p[0], zip_source_buffer(z, p[1], strlen(p[1]), 0), ZIP_FL_OVERWRITE);
  zip_file_add(z, "xl/worksheets/sheet1.xml", zip_source_buffer(z, sheet.data(), sheet.size(), 0),
               ZIP_FL_OVERWRITE);
  zip_close(z);
}

void exercise(xl::Book* b, const std::string& again) {
  for (int i = 0; i < b->sheetCount(); ++i) {
    xl::Sheet* s = b->getSheet(i);
    for (int r = s->firstRow(); r < s->lastRow() && r < s->firstRow() + 200; ++r) {
      s->rowHeight(r);
      for (int c = s->firstCol(); c < s->lastCol() && c < s->firstCol() + 50; ++c) {
        xl::Format* f = nullptr;
        s->readNum(r, c, &f);
        if (f) f->numFormat();
        s->readStr(r, c);
      }
    }
  }
  if (b->sheetCount() == 0) return;
  b->getSheet(0)->writeStr(0, 0, u"x");
  std::u16string p(again.begin(), again.end());
  if (!b->save(p.c_str(), true)) __builtin_trap();  // our own output must be writable
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  bool xlsx = data[0] & 1;
  std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string path = dir() + (xlsx ? "/in.xlsx" : "/in.xls");
  std::string again = dir() + (xlsx ? "/again.xlsx" : "/again.xls");
  try {
    if (xlsx) writePackage(path, body);
    else xl::detail::writeWorkbookStream(path, body);
  } catch (...) {
    return 0;
  }
  xl::Book* b = xlsx ? xlCreateXMLBookW() : xlCreateBookW();
  std::u16string p(path.begin(), path.end());
  if (b->load(p.c_str(), nullptr)) {
    exercise(b, again);
    xl::Book* c = xlsx ? xlCreateXMLBookW() : xlCreateBookW();
    std::u16string a(again.begin(), again.end());
    if (b->sheetCount() > 0 && !c->load(a.c_str(), nullptr)) __builtin_trap();  // nor readable
    c->release();
  }
  b->release();
  return 0;
}
