// Times the text roads of the sheet store on the benchmark CSV (see gen_csv),
// with the file in the page cache: readDelimited (load), writeDelimited
// (write), readPage of a page from the middle and from the end (page) and
// appendFile of the file to a sheet holding it (append), and the row count
// with its record index followed by the last page read with and without that
// index (index; measured only while the load average is below 3). Each is run `runs`
// times (the machine may be shared: the best and the median are printed),
// every figure with the thread count and the machine's load average at the
// time. Prints MB/s, for the write also the processor seconds of all its
// threads (which a busy machine changes less than the elapsed time), peak
// resident memory, the sheet's bytes per cell and the pool's bytes per
// distinct text. The saved copy goes to /dev/shm when there
// is one (memory, like the page cache; a disk-backed folder measures the disk
// once its dirty limit is hit).
//
//   bench_store [csv path] [--sequential] [--threads N] [--runs N] [--out folder]
//               [--only load|write|page|append|index] [--page-rows N] [--no-peers]
//   default path: bench/data/bench.csv, 3 runs, every part, pages of 500,000 rows
//
// Every load and write prints its processor time and minor page faults; each is paired,
// run by run, with the same step of Polars on the same file when BENCH_PEERS names
// where it is installed (bench/BenchPeers.h), with the ratio of the two.
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

#include "platform/CodePage.h"
#include "store/Alloc.h"
#include "store/DataCore.h"
#include "store/Parallel.h"
#include "store/RecordIndex.h"
#include "store/RowReader.h"
#include "store/TextImport.h"

#include "bench/BenchClock.h"
#include "bench/BenchPeers.h"

using bench::cpuSeconds;
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

// "threads T, load a b c": what the figure was measured under.
std::string conditions(const IoOptions& tuning) {
  double load[3] = {0, 0, 0};
  std::ifstream("/proc/loadavg") >> load[0] >> load[1] >> load[2];
  char buf[96];
  std::snprintf(buf, sizeof buf, "threads %u, load average %.2f %.2f %.2f",
                tuning.parallel ? threadCount(SIZE_MAX, 1, tuning.threads) : 1u, load[0], load[1], load[2]);
  return buf;
}

// "best x s (y GB/s), median ..." of the timings, with the rate of `bytes`.
std::string summary(std::vector<double> t, uint64_t bytes) {
  std::sort(t.begin(), t.end());
  char buf[160];
  std::snprintf(buf, sizeof buf, "best %.3f s (%.3f GB/s), median %.3f s (%.3f GB/s)", t.front(),
                bytes / 1e9 / t.front(), t[t.size() / 2], bytes / 1e9 / t[t.size() / 2]);
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
  std::printf(
      "  pool: %zu distinct texts, %.1f MB held, %.1f bytes per text beyond its UTF-16 bytes; "
      "mPoolBytes %lld\n",
      entries, sheet.mPool.memoryBytes() / 1e6,
      entries ? (sheet.mPool.memoryBytes() - textBytes) * 1.0 / entries : 0.0,
      static_cast<long long>(sheet.mPoolBytes));
}

struct Settings {
  std::string path = "bench/data/bench.csv";
  std::string outDir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "";
  std::string only;
  int runs = 3;
  int32_t pageRows = 500000;
  bool peers = true;  // pair the load and the write with Polars when it is installed
  IoOptions tuning;

  bool wants(const char* part) const { return only.empty() || only == part; }
};

// Loads the file into a fresh sheet `runs` times (a file opened in a new tab);
// the sheets of earlier runs are emptied outside the timing. Keeps the last.
// Each of our runs paired with one of the peer's on the same file, when the peer is
// installed: our figure, the peer's, and the ratio ours / peer's.
struct Pairing {
  const char* what;
  bool on = false;
  std::vector<double> ours, theirs, ratios;

  Pairing(const char* w, bool wanted) : what(w) {
    if (!wanted) return;
    const std::string missing = bench::peerMissing("nodejs-polars");
    on = missing.empty();
    if (!on) std::printf("%s: not paired with Polars: %s\n", what, missing.c_str());
  }
  void add(const bench::Sample& our, const bench::PeerRun& peer, uint64_t bytes) {
    ours.push_back(our.seconds);
    if (!peer.ok) return;
    theirs.push_back(peer.seconds);
    ratios.push_back(our.seconds / peer.seconds);
    std::printf(
        "  %s, Polars: %.3f s (%.3f GB/s), cpu %.2f user + %.2f system, %ld minor faults, peak %.0f MB; "
        "ratio %.2f\n",
        what, peer.seconds, bytes / 1e9 / peer.seconds, peer.user, peer.system, peer.minorFaults, peer.peakRssMb,
        our.seconds / peer.seconds);
  }
  void summary() const {
    if (theirs.empty()) return;
    std::printf("%s: median ours %.3f s, Polars %.3f s; ratio ours / Polars: median %.2f (pairs %.2f..%.2f)\n",
                what, bench::median(ours), bench::median(theirs), bench::median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
  }
};

// Loads the file into a fresh sheet `runs` times (a file opened in a new tab);
// the sheets of earlier runs are emptied outside the timing. Keeps the last.
bool timeLoad(const Settings& s, uint64_t size, std::unique_ptr<CDataCore>& kept, bool print) {
  const std::u16string wpath = utf8ToWide(s.path);
  const double rssBefore = rssMb();
  std::vector<double> reads;
  const int runs = print ? s.runs : 1;
  Pairing polars("load", print && s.peers);
  for (int run = 0; run < runs; ++run) {
    kept.reset();
    auto fresh = std::make_unique<CDataCore>();
    fresh->mIoTuning = s.tuning;
    const std::string when = conditions(s.tuning);
    bool ok = false;
    const bench::Sample sample = bench::measure([&] { ok = fresh->readDelimited(wpath, ','); });
    if (!ok) {
      std::fprintf(stderr, "readDelimited failed\n");
      return false;
    }
    reads.push_back(sample.seconds);
    if (print && run == 0) {
      std::printf("load: %s; resident %.0f MB after the first load (+%.0f MB), peak %.0f MB (%s)\n", when.c_str(),
                  rssMb(), rssMb() - rssBefore, peakRssMb(),
                  fresh->mLastIo.road == ReadRoad::Parallel ? "parallel road" : "sequential road");
    }
    if (print) std::printf("  load %d: %s\n", run + 1, bench::describe(sample, size).c_str());
    kept = std::move(fresh);
    if (polars.on) {
      kept.reset();  // the peer gets the memory the sheet held
      polars.add(sample, bench::runPeer("polars.js", "read " + bench::shellQuoted(s.path)), size);
    }
  }
  if (polars.on) {  // the sheet kept for the figures below
    kept = std::make_unique<CDataCore>();
    kept->mIoTuning = s.tuning;
    if (!kept->readDelimited(wpath, ',')) return false;
  }
  if (print) {
    std::printf("load: %s\n", summary(reads, size).c_str());
    polars.summary();
    reportSheet(*kept);
  }
  return true;
}

bool timeWrite(const Settings& s, CDataCore& sheet) {
  const std::string outPath =
      (s.outDir.empty() ? s.path : s.outDir + "/" + s.path.substr(s.path.find_last_of('/') + 1)) + ".out.csv";
  const std::u16string wout = utf8ToWide(outPath);
  sheet.mSaveEncoding = ENC_UTF8_NOBOM;
  std::vector<double> writes, cpu;
  uint64_t outSize = 0;
  const std::string when = conditions(s.tuning);
  // The save flushes its file to the disk before it replaces the old one: paired also
  // with Polars flushing its file the same way.
  Pairing polars("write", s.peers), flushed("write, both flushed to the disk", s.peers);
  for (int run = 0; run < s.runs; ++run) {
    bool ok = false;
    const bench::Sample sample = bench::measure([&] { ok = sheet.writeDelimited(wout, ',', true); });
    if (!ok) {
      std::fprintf(stderr, "writeDelimited failed\n");
      return false;
    }
    writes.push_back(sample.seconds);
    cpu.push_back(sample.user + sample.system);
    outSize = fileBytes(outPath);
    std::remove(outPath.c_str());
    std::printf("  write %d: %s\n", run + 1, bench::describe(sample, outSize).c_str());
    if (polars.on) {
      polars.add(sample,
                 bench::runPeer("polars.js", "write " + bench::shellQuoted(s.path) + " " +
                                                 bench::shellQuoted(outPath + ".peer.csv")),
                 outSize);
      std::remove((outPath + ".peer.csv").c_str());
      flushed.add(sample,
                  bench::runPeer("polars.js", "write-flushed " + bench::shellQuoted(s.path) + " " +
                                                  bench::shellQuoted(outPath + ".peer.csv")),
                  outSize);
      std::remove((outPath + ".peer.csv").c_str());
    }
  }
  std::sort(cpu.begin(), cpu.end());
  std::printf("write to %s: %s; %s; processor time median %.3f s; %.1f MB written, CR LF line ends\n",
              outPath.c_str(), when.c_str(), summary(writes, outSize).c_str(), cpu[cpu.size() / 2], outSize / 1e6);
  polars.summary();
  flushed.summary();
  return true;
}

bool timePage(const Settings& s, uint64_t records, const char* where, int32_t firstRow) {
  const std::u16string wpath = utf8ToWide(s.path);
  std::vector<double> pages;
  uint64_t start = 0, end = 0;
  const std::string when = conditions(s.tuning);
  for (int run = 0; run < s.runs; ++run) {
    CDataCore page;
    page.mIoTuning = s.tuning;
    auto t0 = std::chrono::steady_clock::now();
    if (!page.readPage(wpath, ',', true, firstRow, s.pageRows, start, end)) {
      std::fprintf(stderr, "readPage failed\n");
      return false;
    }
    pages.push_back(seconds(t0));
  }
  std::sort(pages.begin(), pages.end());
  std::printf("page of %d rows from the %s (row %d of %llu): %s; best %.3f s, median %.3f s (bytes %llu to %llu)\n",
              s.pageRows, where, firstRow, static_cast<unsigned long long>(records), when.c_str(), pages.front(),
              pages[pages.size() / 2], static_cast<unsigned long long>(start),
              static_cast<unsigned long long>(end));
  return true;
}

bool timeAppend(const Settings& s, uint64_t size) {
  const std::u16string wpath = utf8ToWide(s.path);
  std::vector<double> appends;
  const std::string when = conditions(s.tuning);
  for (int run = 0; run < s.runs; ++run) {
    std::unique_ptr<CDataCore> sheet;
    if (!timeLoad(s, size, sheet, false)) return false;
    auto t0 = std::chrono::steady_clock::now();
    if (!sheet->appendFile(wpath, 0, 100)) {
      std::fprintf(stderr, "appendFile failed\n");
      return false;
    }
    appends.push_back(seconds(t0));
  }
  std::printf("append of the file to a sheet holding it: %s; %s\n", when.c_str(), summary(appends, size).c_str());
  return true;
}

// The count that the paged-open dialog runs, keeping the record index, then
// the last page of the file read in full and through the index. Nothing is
// timed on a busy machine (load average 3 or more).
bool timeIndex(const Settings& s, uint64_t size) {
  double load[3] = {0, 0, 0};
  std::ifstream("/proc/loadavg") >> load[0] >> load[1] >> load[2];
  if (load[0] >= 3) {
    std::printf("index: machine busy (load average %.2f), not measured\n", load[0]);
    return true;
  }
  const std::u16string wpath = utf8ToWide(s.path);
  RecordIndex index;
  uint64_t records = 0;
  std::vector<double> counts;
  for (int run = 0; run < s.runs; ++run) {
    RowReader counter;
    counter.open(wpath, ',', IoOptions::current(s.tuning));
    auto t0 = std::chrono::steady_clock::now();
    records = counter.countRowsCancellable(nullptr, nullptr, &index);
    counts.push_back(seconds(t0));
  }
  std::printf("count with index: %s; %s; %llu records, %zu marks (%zu bytes)\n", conditions(s.tuning).c_str(),
              summary(counts, size).c_str(), static_cast<unsigned long long>(records), index.marks.size(),
              index.marks.size() * sizeof(RecordIndex::Mark));
  const int32_t last = static_cast<int32_t>(std::max<int64_t>(2, int64_t(records) - s.pageRows + 1));
  const RecordIndex* const roads[] = {nullptr, &index};
  for (const RecordIndex* with : roads) {
    std::vector<double> pages;
    TextPage page;
    const std::string when = conditions(s.tuning);
    for (int run = 0; run < s.runs; ++run) {
      CDataCore sheet;
      sheet.mIoTuning = s.tuning;
      auto t0 = std::chrono::steady_clock::now();
      if (!readTextPage(sheet, wpath, ',', true, last, s.pageRows, page, with)) {
        std::fprintf(stderr, "readTextPage failed\n");
        return false;
      }
      pages.push_back(seconds(t0));
    }
    std::sort(pages.begin(), pages.end());
    std::printf("last page of %d rows (row %d) of a %.2f GB file %s: %s; best %.3f s, median %.3f s\n", s.pageRows,
                last, size / 1e9, with ? "through the index" : "in full", when.c_str(), pages.front(),
                pages[pages.size() / 2]);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  for (int i = 1; i < argc; ++i) {
    const bool more = i + 1 < argc;
    if (std::strcmp(argv[i], "--sequential") == 0) s.tuning.parallel = false;
    else if (std::strcmp(argv[i], "--threads") == 0 && more) s.tuning.threads = unsigned(std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--runs") == 0 && more) s.runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--out") == 0 && more) s.outDir = argv[++i];
    else if (std::strcmp(argv[i], "--only") == 0 && more) s.only = argv[++i];
    else if (std::strcmp(argv[i], "--page-rows") == 0 && more) s.pageRows = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--no-peers") == 0) s.peers = false;
    else s.path = argv[i];
  }
  const uint64_t size = fileBytes(s.path);
  if (size == 0) {
    std::fprintf(stderr, "%s is missing: run gen_csv first\n", s.path.c_str());
    return 1;
  }
  std::printf("file %s: %.1f MB, %s road, %u cores\n", s.path.c_str(), size / 1e6,
              s.tuning.parallel ? "parallel" : "sequential", std::thread::hardware_concurrency());
  warm(s.path);

  uint64_t records = 0;
  if (s.wants("load") || s.wants("write")) {
    std::unique_ptr<CDataCore> sheet;
    if (!timeLoad(s, size, sheet, s.wants("load"))) return 1;
    records = sheet->mRowCount - 1;
    if (s.wants("write") && !timeWrite(s, *sheet)) return 1;
  }
  if (s.wants("page")) {
    if (records == 0) {
      RowReader counter;
      counter.open(utf8ToWide(s.path), ',');
      records = counter.countRows();
    }
    const int32_t middle = static_cast<int32_t>(records / 2);
    const int32_t last = static_cast<int32_t>(std::max<int64_t>(2, int64_t(records) - s.pageRows + 1));
    if (!timePage(s, records, "middle", middle) || !timePage(s, records, "end", last)) return 1;
  }
  if (s.wants("append") && !timeAppend(s, size)) return 1;
  if (s.wants("index") && !timeIndex(s, size)) return 1;
  std::printf("peak resident memory: %.0f MB\n", peakRssMb());
  return 0;
}
