// Times the text roads of the sheet store on the benchmark CSV (see gen_csv):
// readDelimited, writeDelimited and readPage of 100,000 rows from the middle,
// with the file in the page cache. Each is run `runs` times (the machine may
// be shared: the best and the median are printed). Prints MB/s, peak resident
// memory, the sheet's bytes per cell and the pool's bytes per distinct text.
// The saved copy goes to /dev/shm when there is one (memory, like the page
// cache; a disk-backed folder measures the disk once its dirty limit is hit).
//
//   bench_store [csv path] [--sequential] [--runs N] [--out folder]
//   default path: bench/data/bench.csv, 3 runs
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "store/Alloc.h"
#include "store/DataCore.h"
#include "store/Parallel.h"
#include "store/TextHelpers.h"
#include "store/TextImport.h"

#include "bench/BenchClock.h"

using bench::peakRssMb;
using bench::rssMb;
using bench::seconds;

namespace {

uint64_t fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<uint64_t>(in.tellg()) : 0;
}

// Reads the file once so that the timed runs find it in the page cache.
void warm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buf(1 << 22);
  while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0) {
  }
}

// "best x s, median y s" of the timings, with MB/s of `bytes` at the best.
std::string summary(std::vector<double> t, uint64_t bytes) {
  std::sort(t.begin(), t.end());
  char buf[160];
  std::snprintf(buf, sizeof buf, "best %.3f s (%.0f MB/s), median %.3f s (%.0f MB/s)", t.front(),
                bytes / 1e6 / t.front(), t[t.size() / 2], bytes / 1e6 / t[t.size() / 2]);
  return buf;
}

void reportSheet(const CDataCore& sheet) {
  const uint64_t rows = sheet.mRowCount, cols = sheet.mColCount;
  const uint64_t dataCells = rows > 1 && cols > 1 ? (rows - 1) * (cols - 1) : 0;
  uint64_t rowBytes = rows * sizeof(Cell*);
  for (uint64_t r = 0; r < rows; ++r) rowBytes += rowalloc::rowFootprint(sheet.mDatas[r], cols);
  uint64_t textBytes = 0, numeric = 0;
  sheet.mPool.forEach([&](uint64_t, const char*, size_t len, uint64_t) { textBytes += len - 2; });
  for (uint64_t r = 1; r < rows; ++r) {
    for (uint64_t c = 1; c < cols; ++c) {
      const uint8_t k = sheet.mDatas[r][c].kind;
      numeric += k == CELL_INT64 || k == CELL_DOUBLE;
    }
  }
  const size_t entries = sheet.mPool.size();
  std::printf("  sheet: %llu rows x %llu columns, %llu data cells (%llu numeric)\n",
              static_cast<unsigned long long>(rows), static_cast<unsigned long long>(cols),
              static_cast<unsigned long long>(dataCells), static_cast<unsigned long long>(numeric));
  std::printf("  cells: %.1f MB, %.2f bytes per data cell (10-byte cells, row blocks, row pointers)\n",
              rowBytes / 1e6, dataCells ? rowBytes * 1.0 / dataCells : 0.0);
  std::printf("  pool: %zu distinct texts, %.1f MB held, %.1f bytes per text beyond its UTF-16 bytes; "
              "mPoolBytes %lld\n",
              entries, sheet.mPool.memoryBytes() / 1e6,
              entries ? (sheet.mPool.memoryBytes() - textBytes) * 1.0 / entries : 0.0,
              static_cast<long long>(sheet.mPoolBytes));
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = "bench/data/bench.csv";
  std::string outDir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "";
  int runs = 3;
  IoOptions tuning;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sequential") == 0) tuning.parallel = false;
    else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) tuning.threads = unsigned(std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) outDir = argv[++i];
    else path = argv[i];
  }
  const uint64_t size = fileBytes(path);
  if (size == 0) {
    std::fprintf(stderr, "%s is missing: run gen_csv first\n", path.c_str());
    return 1;
  }
  const std::u16string wpath = utf8ToWide(path);
  std::printf("file %s: %.1f MB, %s road, %u threads\n", path.c_str(), size / 1e6,
              tuning.parallel ? "parallel" : "sequential", threadCount(SIZE_MAX, 1, tuning.threads));
  warm(path);
  const double rssBefore = rssMb();

  std::vector<double> reads, writes;
  uint64_t rows = 0, outSize = 0;
  const std::string outPath =
      (outDir.empty() ? path : outDir + "/" + path.substr(path.find_last_of('/') + 1)) + ".out.csv";
  {
    // Each read goes into a fresh sheet (a file opened in a new tab); the
    // sheets of earlier runs are emptied outside the timing.
    std::unique_ptr<CDataCore> kept;
    for (int run = 0; run < runs; ++run) {
      kept.reset();
      auto fresh = std::make_unique<CDataCore>();
      fresh->mIoTuning = tuning;
      auto t0 = std::chrono::steady_clock::now();
      if (!fresh->readDelimited(wpath, ',')) {
        std::fprintf(stderr, "readDelimited failed\n");
        return 1;
      }
      reads.push_back(seconds(t0));
      if (run == 0) {
        std::printf("readDelimited: resident %.0f MB after the first read (+%.0f MB), peak %.0f MB\n", rssMb(),
                    rssMb() - rssBefore, peakRssMb());
      }
      kept = std::move(fresh);
    }
    CDataCore& sheet = *kept;
    std::printf("readDelimited: %s\n", summary(reads, size).c_str());
    reportSheet(sheet);
    rows = sheet.mRowCount;

    sheet.mSaveEncoding = ENC_UTF8_NOBOM;
    const std::u16string wout = utf8ToWide(outPath);
    for (int run = 0; run < runs; ++run) {
      auto t0 = std::chrono::steady_clock::now();
      if (!sheet.writeDelimited(wout, ',', true)) {
        std::fprintf(stderr, "writeDelimited failed\n");
        return 1;
      }
      writes.push_back(seconds(t0));
      outSize = fileBytes(outPath);
      std::remove(outPath.c_str());
    }
    std::printf("writeDelimited to %s: %s; %.1f MB written, CR LF line ends\n", outPath.c_str(),
                summary(writes, outSize).c_str(), outSize / 1e6);
  }

  std::vector<double> pages;
  uint64_t start = 0, end = 0;
  const int32_t firstRow = static_cast<int32_t>(rows / 2);
  for (int run = 0; run < runs; ++run) {
    CDataCore page;
    page.mIoTuning = tuning;
    auto t0 = std::chrono::steady_clock::now();
    if (!page.readPage(wpath, ',', true, firstRow, 100000, start, end)) {
      std::fprintf(stderr, "readPage failed\n");
      return 1;
    }
    pages.push_back(seconds(t0));
  }
  std::sort(pages.begin(), pages.end());
  std::printf("readPage of 100,000 rows from row %d: best %.3f s, median %.3f s (bytes %llu to %llu)\n", firstRow,
              pages.front(), pages[pages.size() / 2], static_cast<unsigned long long>(start),
              static_cast<unsigned long long>(end));
  std::printf("peak resident memory: %.0f MB\n", peakRssMb());
  return 0;
}
