// Workbook export and import of the sheet store: a 1,000,000-row sheet (five
// integers, three decimals and two texts per row, one row height and column
// width) exported to xlsx through ExcelBook and imported back into a new
// sheet. Prints seconds for each and the file size.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "store/DataCore.h"
#include "store/ExcelBook.h"

#include "bench/BenchClock.h"

using bench::peakRssMb;
using bench::rssMb;
using bench::seconds;

namespace {

constexpr int32_t kRows = 1000000;
constexpr int32_t kCols = 10;

void fill(CDataCore& sheet) {
  sheet.resize(kRows + 1, kCols + 1);
  std::u16string text;
  for (int32_t r = 1; r <= kRows; ++r) {
    for (int32_t c = 1; c <= kCols; ++c) {
      if (c <= 5) {
        sheet.setInt64(r, c, int64_t(r) * c);
      } else if (c <= 8) {
        sheet.setDouble(r, c, r * 0.25 + c);
      } else {
        text = u"row-" + std::u16string(1, char16_t('a' + c));
        for (int32_t v = r; v > 0; v /= 10) text += char16_t('0' + v % 10);
        sheet.setText(r, c, text);
      }
    }
  }
  sheet.setDouble(1, 0, 30);
  sheet.setDouble(0, 1, 120);
}

}  // namespace

int main() {
  std::string path = (getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + std::string("/bench_excel_") +
                     std::to_string(getpid()) + ".xlsx";
  std::u16string p(path.begin(), path.end());
  using clock = std::chrono::steady_clock;

  CDataCore sheet;
  fill(sheet);
  auto t0 = clock::now();
  bool saved = false;
  {
    ExcelBook book(sheet, p, false, true);
    saved = book.exportSheet(0);
    if (!saved) std::fprintf(stderr, "export failed: %s\n", book.errorText().c_str());
  }
  double exportSeconds = seconds(t0);
  if (!saved) return 1;
  struct stat st {};
  stat(path.c_str(), &st);

  CDataCore back;
  auto t1 = clock::now();
  bool imported = false;
  double loadSeconds = 0;
  {
    ExcelBook book(back, p, true, true);
    loadSeconds = seconds(t1);
    imported = book.importSheet(0);
    if (!imported) std::fprintf(stderr, "import failed: %s\n", book.errorText().c_str());
  }
  double importSeconds = seconds(t1);
  unlink(path.c_str());
  if (!imported) return 1;
  bool same = back.mRowCount == sheet.mRowCount && back.getText(kRows, kCols) == sheet.getText(kRows, kCols) &&
              back.getText(kRows, 1) == sheet.getText(kRows, 1);
  std::printf("xlsx export of %d rows x %d columns: %.2f s (%.1f MB)\n", kRows, kCols, exportSeconds,
              st.st_size / 1e6);
  std::printf("xlsx import of the same: %.2f s (load %.2f s, cells %.2f s)%s\n", importSeconds, loadSeconds,
              importSeconds - loadSeconds, same ? "" : " (cells differ!)");
  return same ? 0 : 1;
}
