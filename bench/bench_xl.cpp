// Workbook library: writes a 1,000,000-row sheet to an xlsx file and reads it
// back the way the importer does (every cell's type, then its number or
// text). Prints seconds for each phase and the file size.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/xl/xl.h"

#include "bench/BenchClock.h"

using bench::peakRssMb;
using bench::rssMb;
using bench::seconds;

namespace {

constexpr int kRows = 1000000;
constexpr int kCols = 10;  // five numbers and five texts per row

}  // namespace

int main() {
  std::string path = (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + std::string("/bench_xl_") +
                     std::to_string(getpid()) + ".xlsx";
  std::u16string p(path.begin(), path.end()), temp = p + u".temp_5546";
  using clock = std::chrono::steady_clock;

  auto t0 = clock::now();
  xl::Book* book = xlCreateXMLBookW();
  xl::Sheet* sheet = book->addSheet(u"sheet1");
  std::u16string text;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kCols; ++c) {
      if (c % 2 == 0) {
        sheet->writeNum(r, c, r * 0.25 + c);
      } else {
        text = u"r" + std::u16string(1, char16_t('a' + c)) + u"-";
        for (int v = r; v > 0; v /= 10) text += char16_t('0' + v % 10);
        sheet->writeStr(r, c, text.c_str());
      }
    }
  }
  double fill = seconds(t0);
  auto t1 = clock::now();
  if (!book->save(p.c_str(), true)) {
    std::fprintf(stderr, "save failed: %s\n", book->errorMessage());
    return 1;
  }
  double save = seconds(t1);
  book->release();

  auto t2 = clock::now();
  xl::Book* in = xlCreateXMLBookW();
  if (!in->load(p.c_str(), temp.c_str())) {
    std::fprintf(stderr, "load failed: %s\n", in->errorMessage());
    return 1;
  }
  double load = seconds(t2);
  auto t3 = clock::now();
  xl::Sheet* s = in->getSheet(0);
  double sum = 0;
  size_t chars = 0;
  for (int r = s->firstRow(); r < s->lastRow(); ++r) {
    for (int c = s->firstCol(); c < s->lastCol(); ++c) {
      if (s->cellType(r, c) == xl::CELLTYPE_NUMBER) {
        xl::Format* f = nullptr;
        sum += s->readNum(r, c, &f);
      } else if (const char16_t* t = s->readStr(r, c)) {
        while (*t) ++t, ++chars;
      }
    }
  }
  double walk = seconds(t3);
  bool ok = s->lastRow() == kRows && s->lastCol() == kCols;
  in->release();

  FILE* f = std::fopen(path.c_str(), "rb");
  long size = 0;
  if (f) {
    std::fseek(f, 0, SEEK_END);
    size = std::ftell(f);
    std::fclose(f);
  }
  std::remove(path.c_str());
  std::printf("xlsx %d rows x %d columns (%s, checksum %.0f, %zu text characters)\n", kRows, kCols,
              ok ? "read back whole" : "READ BACK WRONG", sum, chars);
  std::printf("  fill the sheet  %6.2f s\n", fill);
  std::printf("  save            %6.2f s  (%.1f MB file)\n", save, size / 1e6);
  std::printf("  load            %6.2f s\n", load);
  std::printf("  read every cell %6.2f s\n", walk);
  std::printf("  export (fill + save) %.2f s, import (load + read) %.2f s\n", fill + save, load + walk);
  return ok ? 0 : 1;
}
