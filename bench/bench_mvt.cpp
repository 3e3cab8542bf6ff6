// Times the document file on the benchmark sheet: the CSV of gen_csv read into a sheet,
// then CDataCore::write (save), CDataCore::read (open) and the filtered save, each run
// a few times with the file in the page cache; the first run of each also pays for
// memory the process has not touched before. Prints MB/s of document bytes. "new"
// writes a file that did not exist; "over" replaces the document of the previous run,
// which costs the file system the truncation of the old one.
//
//   bench_mvt [csv path] [runs]     defaults: bench/data/bench.csv 3
//   bench_mvt --keep [csv path]     writes the document to csv path + ".mvt" and stops
//   bench_mvt --read doc [runs] [threads [csv]]
//                                   times only the open of an existing document, on
//                                   `threads` workers (0, the default: one per core);
//                                   with csv, each open paired with a load of that file,
//                                   processor time and minor faults printed for both
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/Parallel.h"

#include "bench/BenchClock.h"

using bench::peakRssMb;
using bench::rssMb;
using bench::seconds;

namespace {

uint64_t fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<uint64_t>(in.tellg()) : 0;
}

// Best of `runs` timings of step(); prepare() and finish() run untimed around each.
bool best(
    const char* what, int runs, const std::string& file, const std::function<bool()>& step,
    const std::function<void()>& prepare = [] {}, const std::function<void()>& finish = [] {},
    unsigned threads = 0) {
  double fastest = 1e30, first = 0;
  for (int i = 0; i < runs; ++i) {
    prepare();
    auto t0 = std::chrono::steady_clock::now();
    const bool ok = step();
    const double t = seconds(t0);
    fastest = std::min(fastest, t);
    if (i == 0) first = t;
    finish();
    if (!ok) {
      std::fprintf(stderr, "%s failed\n", what);
      return false;
    }
  }
  const double mb = fileBytes(file) / 1e6;
  double load[3] = {0, 0, 0};
  std::ifstream("/proc/loadavg") >> load[0] >> load[1] >> load[2];
  std::printf(
      "%-15s best %6.3f s %6.0f MB/s   first %6.3f s %6.0f MB/s   (%.1f MB document, %d runs; "
      "threads %u, load average %.2f %.2f %.2f)\n",
      what, fastest, mb / fastest, first, mb / first, mb, runs, threadCount(SIZE_MAX, 1, threads), load[0], load[1],
      load[2]);
  return true;
}

}  // namespace

// The open of a document alone, `runs` times into a fresh sheet, on `threads` workers
// (0: one per core); with `csv`, each open is paired with a load of that file (the
// CSV the document was made from) into a fresh sheet, with the ratio of the two.
int readOnly(const std::string& doc, int runs, unsigned threads, const std::string& csv) {
  if (csv.empty()) {
    std::unique_ptr<CDataCore> back;
    const bool ok = best(
        "read", runs, doc, [&] { return back->read(utf8ToWide(doc)); },
        [&] {
          back = std::make_unique<CDataCore>();
          back->mIoTuning.threads = threads;
        },
        [&] { back.reset(); }, threads);
    return ok ? 0 : 1;
  }
  const uint64_t docBytes = fileBytes(doc), csvBytes = fileBytes(csv);
  std::vector<double> reads, loads, ratios;
  for (int i = 0; i < runs; ++i) {
    bool ok = true;
    bench::Sample sample[2];
    for (int which = 0; which < 2; ++which) {
      auto sheet = std::make_unique<CDataCore>();
      sheet->mIoTuning.threads = threads;
      sample[which] = bench::measure([&] {
        ok = ok && (which == 0 ? sheet->read(utf8ToWide(doc)) : sheet->readDelimited(utf8ToWide(csv), ','));
      });
    }
    if (!ok) {
      std::fprintf(stderr, "read or load failed\n");
      return 1;
    }
    std::printf("  \".mvt\" read %d: %s\n  CSV load %d:   %s; ratio read / load %.2f\n", i + 1,
                bench::describe(sample[0], docBytes).c_str(), i + 1, bench::describe(sample[1], csvBytes).c_str(),
                sample[0].seconds / sample[1].seconds);
    reads.push_back(sample[0].seconds);
    loads.push_back(sample[1].seconds);
    ratios.push_back(sample[0].seconds / sample[1].seconds);
  }
  std::printf(
      "\".mvt\" read of %.1f MB: median %.3f s (%.3f GB/s); CSV load of the same sheet (%.1f MB): median "
      "%.3f s; ratio read / load median %.2f; threads %u\n",
      docBytes / 1e6, bench::median(reads), docBytes / 1e9 / bench::median(reads), csvBytes / 1e6,
      bench::median(loads), bench::median(ratios), threadCount(SIZE_MAX, 1, threads));
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--read")
    return readOnly(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 3,
                    argc > 4 ? unsigned(std::max(0, std::atoi(argv[4]))) : 0u, argc > 5 ? argv[5] : "");
  const bool keep = argc > 1 && std::string(argv[1]) == "--keep";
  if (keep) {
    ++argv;
    --argc;
  }
  const std::string csv = argc > 1 ? argv[1] : "bench/data/bench.csv";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  if (fileBytes(csv) == 0) {
    std::fprintf(stderr, "%s is missing: run gen_csv first\n", csv.c_str());
    return 1;
  }
  CDataCore sheet;
  auto t0 = std::chrono::steady_clock::now();
  if (!sheet.readDelimited(utf8ToWide(csv), ',')) {
    std::fprintf(stderr, "readDelimited failed\n");
    return 1;
  }
  std::printf("sheet from %s: %llu rows x %llu columns, %zu texts in the pool (%.1f s to import)\n", csv.c_str(),
              static_cast<unsigned long long>(sheet.mRowCount), static_cast<unsigned long long>(sheet.mColCount),
              sheet.mPool.size(), seconds(t0));

  const std::string doc = csv + ".bench.mvt", shown = csv + ".shown.mvt";
  const std::u16string wdoc = utf8ToWide(doc), wshown = utf8ToWide(shown);
  if (keep) return sheet.write(utf8ToWide(csv + ".mvt"), true) ? 0 : 1;
  // Every tenth row hidden for the filtered save.
  bool ok = best(
      "write (new)", runs, doc, [&] { return sheet.write(wdoc, true); }, [&] { std::remove(doc.c_str()); });
  ok = ok && best("write (over)", runs, doc, [&] { return sheet.write(wdoc, true); });
  for (uint64_t r = 10; r < sheet.mRowCount; r += 10) sheet.mDatas[r][0].flag = 1;
  ok = ok && best("filtered write", 1, shown, [&] { return sheet.write(wshown, false); });
  std::unique_ptr<CDataCore> back;  // a fresh sheet per run; made and freed untimed
  ok = ok && best(
                 "read", runs, doc, [&] { return back->read(wdoc) && back->mRowCount == sheet.mRowCount; },
                 [&] { back = std::make_unique<CDataCore>(); }, [&] { back.reset(); });
  std::remove(doc.c_str());
  std::remove(shown.c_str());
  return ok ? 0 : 1;
}
