// Times the data tools across tables on sheets built in memory: classify-save of
// 10,000,000 rows into 1,000 files (grouping and writing; the files go to /dev/shm when
// there is one) and find-match of 1,000,000 data keys against a 10,000,000-row area.
// Prints seconds and rows per second, with peak resident memory.
//
//   bench_tools [--rows N] [--keys N] [--files N] [--out folder]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/BenchClock.h"
#include "platform/CodePage.h"
#include "store/ClassifySave.h"
#include "store/DataCore.h"

namespace {

std::u16string number(const char* prefix, int64_t n) { return utf8ToWide(std::string(prefix) + std::to_string(n)); }

void classifyBench(int32_t rows, int32_t files, const std::string& folder) {
  CDataCore sheet;
  sheet.resize(rows + 1, 4);
  std::vector<std::u16string> keys;
  for (int32_t k = 0; k < files; ++k) keys.push_back(number("城市", k));
  for (int32_t r = 1; r <= rows; ++r) {
    sheet.setText(r, 1, keys[static_cast<size_t>(r) % keys.size()]);
    sheet.setInt64(r, 2, r);
    sheet.setText(r, 3, keys[static_cast<size_t>(r) * 7 % keys.size()]);
  }
  sheet.mSaveEncoding = ENC_UTF8_NOBOM;
  std::filesystem::create_directories(folder);
  const auto start = std::chrono::steady_clock::now();
  const auto groups = classifyRows(sheet, {1}, 2);
  const double grouped = bench::seconds(start);
  const auto failed = writeClassified(sheet, groups, utf8ToWide(folder), true);
  const double total = bench::seconds(start);
  std::printf("classify-save: %d rows into %zu files: grouping %.2f s, total %.2f s, %.0f rows/s%s\n", rows,
              groups.size(), grouped, total, rows / total, failed.empty() ? "" : " (files failed)");
  std::filesystem::remove_all(folder);
}

void findMatchBench(int32_t areaRows, int32_t dataKeys) {
  CDataCore area, data;
  area.resize(areaRows + 1, 3);
  for (int32_t r = 1; r <= areaRows; ++r) {
    area.setInt64(r, 1, static_cast<int64_t>(r) * 3);
    area.setInt64(r, 2, r);
  }
  data.resize(dataKeys + 1, 3);
  for (int32_t i = 1; i <= dataKeys; ++i)
    data.setText(i, 1, number("", static_cast<int64_t>(i) * 29 % (static_cast<int64_t>(areaRows) * 4)));
  const auto start = std::chrono::steady_clock::now();
  data.findMatch(2, area, 2, data, 1, area, 1, 1);
  const double total = bench::seconds(start);
  int64_t found = 0;
  for (int32_t i = 1; i <= dataKeys; ++i) found += data.mDatas[i][2].kind == CELL_INT64;
  std::printf("find-match: %d keys against %d area rows (%lld found): %.2f s, %.0f keys/s, %.0f area rows/s\n",
              dataKeys, areaRows, static_cast<long long>(found), total, dataKeys / total, areaRows / total);
}

}  // namespace

int main(int argc, char** argv) {
  int32_t rows = 10000000, keys = 1000000, files = 1000;
  std::string out = access("/dev/shm", W_OK) == 0 ? "/dev/shm/bench_tools" : "/tmp/bench_tools";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--rows")) rows = std::stoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--keys")) keys = std::stoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--files")) files = std::stoi(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
  }
  classifyBench(rows, files, out);
  findMatchBench(rows, keys);
  std::printf("peak resident memory: %.0f MiB\n", bench::peakRssMb());
  return 0;
}
