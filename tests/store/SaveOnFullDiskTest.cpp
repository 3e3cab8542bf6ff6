// Saves on a disk that fills up during the write: every writer of a whole file fails,
// the file saved over keeps every byte, and the folder holds nothing else (no new file
// half written, no file of the save left behind).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "store/DataCore.h"
#include "store/Encoding.h"
#include "store/ExcelBook.h"
#include "tests/support/SmallDisk.h"

namespace {

using testsupport::readBytes;
using testsupport::SmallDisk;

constexpr size_t kDiskBytes = 256 << 10;

// Two columns of texts of 20 random Chinese characters, which no compression takes
// down to the disk's size: a few megabytes in every format.
void fillBig(CDataCore& sheet, int32_t rows) {
  sheet.resize(rows + 1, 3);
  uint64_t x = 88172645463325252ull;
  for (int32_t r = 1; r <= rows; ++r)
    for (int32_t c = 1; c <= 2; ++c) {
      std::u16string text;
      for (int i = 0; i < 20; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        text += char16_t(0x4E00 + x % 20000);
      }
      sheet.setText(r, c, text);
    }
}

void fillSmall(CDataCore& sheet) {
  sheet.resize(3, 3);
  sheet.setText(1, 1, u"name");
  sheet.setText(1, 2, u"value");
  sheet.setText(2, 1, u"旧");
  sheet.setText(2, 2, u"1");
}

struct Format {
  const char* name;
  const char* file;
  std::function<bool(CDataCore&, const std::u16string&)> save;
};

const Format kFormats[] = {
    {"csv, UTF-8", "a.csv",
     [](CDataCore& s, const std::u16string& p) {
       s.mSaveEncoding = ENC_UTF8;
       return s.writeDelimited(p, ',', true);
     }},
    {"txt, UTF-16, shown rows", "a.txt",
     [](CDataCore& s, const std::u16string& p) {
       s.mSaveEncoding = ENC_UTF16LE;
       return s.writeDelimited(p, '\t', false);
     }},
    {"a part of a split", "a_1.csv",
     [](CDataCore& s, const std::u16string& p) {
       return s.writeRows(p, 2, int32_t(s.mRowCount), 0, 100, ',', true);
     }},
    {"document", "a.mvt", [](CDataCore& s, const std::u16string& p) { return s.write(p, true); }},
    {"document, shown rows", "a.mvt", [](CDataCore& s, const std::u16string& p) { return s.write(p, false); }},
    {"xlsx", "a.xlsx",
     [](CDataCore& s, const std::u16string& p) { return ExcelBook(s, p, false, true).exportSheet(0); }},
    {"xlsx into its book", "a.xlsx",
     [](CDataCore& s, const std::u16string& p) { return ExcelBook(s, p, true, true).exportSheet(0); }},
    {"xls", "a.xls",
     [](CDataCore& s, const std::u16string& p) { return ExcelBook(s, p, false, true).exportSheet(0); }},
};

TEST(SaveOnFullDisk, TheOldFileStaysWholeAndNothingIsLeft) {
  CDataCore big;
  fillBig(big, 8000);
  for (SmallDisk::Kind kind : SmallDisk::kinds())
    for (const Format& f : kFormats) {
      SCOPED_TRACE(std::string(f.name) + " on " + SmallDisk::name(kind));
      SmallDisk disk(kind, kDiskBytes);
      CDataCore small;
      fillSmall(small);
      ASSERT_TRUE(f.save(small, disk.path(f.file)));
      const std::string old = readBytes(disk.native(f.file));
      ASSERT_FALSE(old.empty());
      {
        SmallDisk::Full full(disk);
        EXPECT_FALSE(f.save(big, disk.path(f.file)));
        EXPECT_FALSE(f.save(big, disk.path(std::string("new ") + f.file)));
      }
      EXPECT_EQ(readBytes(disk.native(f.file)), old);
      EXPECT_EQ(disk.names(), std::vector<std::string>{f.file});
    }
}

}  // namespace
