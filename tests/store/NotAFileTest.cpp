// Every reader refuses what is not a regular file before opening it: a named pipe
// (whose open would wait for a writer for ever), a folder and a device. The sheet
// stays as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>

#include "store/DataCore.h"
#include "store/ExcelBook.h"
#include "store/ExcelStream.h"
#include "store/RowReader.h"
#include "tests/store/TextFiles.h"
#include "tests/support/Fifo.h"

using namespace textfiles;

namespace {

using Opens = std::function<bool(CDataCore&, const std::u16string&)>;

struct Road {
  const char* name;
  const char* extension;  // the reader follows the path's kind
  Opens opens;
};

const Road kRoads[] = {
    {"whole text", ".csv", [](CDataCore& s, const std::u16string& p) { return s.readDelimited(p, ','); }},
    {"page", ".txt",
     [](CDataCore& s, const std::u16string& p) {
       TextPage page;
       return readTextPage(s, p, '\t', true, 1, 10, page);
     }},
    {"row count", ".csv",
     [](CDataCore&, const std::u16string& p) {
       RowReader reader;
       reader.open(p, ',');
       const std::atomic<uint8_t> cancel{0};
       reader.countRowsCancellable({}, &cancel);
       return reader.kind() != RowReader::KIND_NONE;
     }},
    {"document", ".mvt", [](CDataCore& s, const std::u16string& p) { return s.read(p); }},
    {"append text", ".csv", [](CDataCore& s, const std::u16string& p) { return s.appendFile(p, 0, 99); }},
    {"append document", ".mvt", [](CDataCore& s, const std::u16string& p) { return s.appendFile(p, 0, 99); }},
    {"append workbook", ".xlsx", [](CDataCore& s, const std::u16string& p) { return s.appendFile(p, 0, 99); }},
    {"workbook", ".xlsx",
     [](CDataCore& s, const std::u16string& p) {
       ExcelBook book(s, p, true, true);
       return !book.sheetNames().empty();
     }},
    {"workbook stream", ".xls",
     [](CDataCore&, const std::u16string& p) {
       ExcelStream book;
       return book.open(p);
     }},
};

struct Target {
  const char* name;
  std::function<bool(const std::string&)> make;
};

const Target kTargets[] = {
    {"named pipe", [](const std::string& p) { return testsupport::makeFifo(p); }},
    {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; }},
    {"device", [](const std::string& p) { return ::symlink("/dev/null", p.c_str()) == 0; }},
};

TEST(NotAFile, EveryReaderRefusesItWithoutWaitingAndKeepsTheSheet) {
  ScratchDir dir;
  int n = 0;
  for (const Target& target : kTargets) {
    for (const Road& road : kRoads) {
      const std::string native = dir.native("t" + std::to_string(n++) + road.extension);
      ASSERT_TRUE(target.make(native)) << target.name;
      CDataCore sheet;
      sheet.resize(3, 3);
      sheet.setText(1, 1, u"keep");
      bool opened = true;
      const bool returned =
          testsupport::returnsWithoutAWriter(native, [&] { opened = road.opens(sheet, utf8ToWide(native)); });
      EXPECT_TRUE(returned) << road.name << " on a " << target.name << " waited";
      EXPECT_FALSE(opened) << road.name << " on a " << target.name;
      EXPECT_EQ(sheet.getText(1, 1), u"keep") << road.name << " on a " << target.name;
    }
  }
}

}  // namespace
