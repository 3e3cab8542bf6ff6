// Times the data commands on the benchmark CSV (see gen_csv): sort by a numeric and by
// a text column, delete duplicates on two key columns, replace all with a regular
// expression that rewrites one column, and the undo of each. Every command goes through
// the command manager as the grid builds it; each undo brings the sheet back before the
// next command. Prints seconds, MB/s of cell text (the UTF-16 text of every cell of the
// sheet, as the replace scans it) and the peak resident memory. The two sorts by amount and
// by name are each followed by the same sort in DuckDB and in Polars on the same file when
// BENCH_PEERS names where they are installed (bench/BenchPeers.h), with the ratios.
//
//   bench_commands [csv path [name filter]]    default path: bench/data/bench.csv; with a
//   filter only the runs whose name contains it
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "commands/CellAction.h"
#include "commands/ComManag.h"
#include "commands/DeleteDuplicate.h"
#include "commands/SortAction.h"
#include "platform/CodePage.h"
#include "store/DataCore.h"

#include "bench/BenchClock.h"
#include "bench/BenchPeers.h"

using bench::peakRssMb;
using bench::rssMb;
using bench::seconds;

namespace {

using Clock = std::chrono::steady_clock;

// UTF-16 bytes of the display texts of every data cell.
double cellTextMb(const CDataCore& core) {
  uint64_t units = 0;
  std::u16string scratch;
  for (int32_t r = 1; r < int32_t(core.mRowCount); ++r)
    for (int32_t c = 1; c < int32_t(core.mColCount); ++c)
      units += core.cellTextView(core.mDatas[r][c], scratch).size();
  return units * 2 / 1e6;
}

// A cheap fingerprint of the sheet: counts, pool bytes and a hash over every cell.
uint64_t fingerprint(const CDataCore& core) {
  uint64_t h = core.mRowCount * 31 + core.mColCount;
  h = h * 1000003 + uint64_t(core.mPoolBytes);
  for (uint64_t r = 0; r < core.mRowCount; ++r) {
    const Cell* row = core.mDatas[r];
    for (uint64_t c = 0; c < core.mColCount; ++c)
      h = (h ^ (row[c].value + (uint64_t(row[c].kind) << 56) + (uint64_t(row[c].flag) << 48))) * 0x100000001b3ULL;
  }
  return h;
}

struct Bench {
  CDataCore& core;
  iComManag& manager;
  double textMb;
  uint64_t original;
  std::string filter;

  // Runs `build` (which prepares a command and hands it to the manager), then undo.
  // Returns the run's seconds (0 when filtered out).
  double run(const char* name, const std::function<void()>& build) {
    if (std::string(name).find(filter) == std::string::npos) return 0;
    const uint64_t rowsBefore = core.mRowCount;
    const bench::Sample sample = bench::measure(build);
    const double run = sample.seconds;
    const uint64_t rowsAfter = core.mRowCount;
    const bool accepted = !manager.mUndoList.empty();
    auto t0 = Clock::now();
    manager.undo();
    const double undo = seconds(t0);
    const bool same = fingerprint(core) == original;
    std::printf(
        "%-34s %7.3f s %8.1f MB/s | undo %7.3f s %8.1f MB/s | rows %llu -> %llu%s%s | rss %.0f MB"
        " | run cpu %.2f user + %.2f system, %ld minor faults, load %.1f\n",
        name, run, textMb / run, undo, textMb / undo, static_cast<unsigned long long>(rowsBefore),
        static_cast<unsigned long long>(rowsAfter), accepted ? "" : " (no command)",
        same ? "" : " SHEET DIFFERS AFTER UNDO", rssMb(), sample.user, sample.system, sample.minorFaults,
        sample.load);
    manager.clear();
    return run;
  }
};

// The same sort by `column` in DuckDB (8 threads) and Polars, each a process of its own
// on the same file, with the ratio of our run to each.
void pairSort(const std::string& path, const char* column, double ours) {
  if (ours == 0) return;
  struct Peer {
    const char* package;
    const char* name;
    std::string script, args;
  } peers[] = {
      {"@duckdb/node-api", "DuckDB, 8 threads", "duckdb.js", bench::shellQuoted(path) + " " + column + " 8"},
      {"nodejs-polars", "Polars", "polars.js", "sort " + bench::shellQuoted(path) + " " + column}};
  for (const Peer& p : peers) {
    const std::string missing = bench::peerMissing(p.package);
    if (!missing.empty()) {
      std::printf("  not paired with %s: %s\n", p.name, missing.c_str());
      continue;
    }
    const bench::PeerRun run = bench::runPeer(p.script.c_str(), p.args);
    if (!run.ok) continue;
    std::printf(
        "  sort by %s, %s: %.3f s, cpu %.2f user + %.2f system, %ld minor faults, peak %.0f MB; ratio ours / "
        "theirs %.2f\n",
        column, p.name, run.seconds, run.user, run.system, run.minorFaults, run.peakRssMb, ours / run.seconds);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "bench/data/bench.csv";
  CDataCore core;
  iComManag manager;
  auto t0 = Clock::now();
  if (!core.readDelimited(utf8ToWide(path), ',')) {
    std::fprintf(stderr, "cannot read %s (make it with gen_csv)\n", path.c_str());
    return 1;
  }
  std::printf("read %s: %llu rows x %llu columns in %.2f s, rss %.0f MB\n", path.c_str(),
              static_cast<unsigned long long>(core.mRowCount - 1),
              static_cast<unsigned long long>(core.mColCount - 1), seconds(t0), rssMb());
  Bench b{core, manager, cellTextMb(core), fingerprint(core), argc > 2 ? argv[2] : ""};
  std::printf("cell text: %.1f MB (UTF-16); columns: 1 id, 2 amount, 4 date, 6 name, 7 code, 10 qty\n", b.textMb);

  Selection sel;
  auto sortBy = [&](int32_t col, bool ascending) {
    sel = Selection{0, col, Range{0, col, 0, col}};  // the whole column, rows moving
    auto s = std::make_unique<CSortAction>(&core, &sel);
    s->prepare(ascending, true);
    manager.add(std::move(s));
  };
  auto dedupe = [&](std::vector<int32_t> cols) {
    sel = Selection{0, 0, Range{0, 0, 0, 0}};  // the whole sheet: whole rows
    auto d = std::make_unique<CDeleteDuplicate>(&core, &sel);
    auto counts = d->prepare(true, true, true, cols);
    manager.add(std::move(d));
    std::printf("  (%d duplicates, %d kept)\n", counts.first, counts.second);
  };
  auto replace = [&](const char16_t* pattern, const char16_t* with) {
    sel = Selection{1, 1, Range{1, 1, 1, 1}};
    auto a = std::make_unique<CCellAction>(&core, &sel);
    std::u16string error;
    int32_t n = a->replaceAll(pattern, with, true, false, true, &error);
    manager.add(std::move(a));
    std::printf("  (%d cells matched%s%s)\n", n, error.empty() ? "" : ", ", wideToUtf8(error).c_str());
  };

  pairSort(path, "amount", b.run("sort by amount (decimal), asc", [&] { sortBy(2, true); }));
  b.run("sort by amount (decimal), desc", [&] { sortBy(2, false); });
  pairSort(path, "name", b.run("sort by name (text), asc", [&] { sortBy(6, true); }));
  b.run("sort by code (distinct texts), asc", [&] { sortBy(7, true); });
  b.run("delete duplicates on qty + name", [&] { dedupe({10, 6}); });
  b.run("delete duplicates on name + date", [&] { dedupe({6, 4}); });
  b.run("replace all: date column by regex", [&] { replace(u"^(\\d{4})-(\\d{2})-(\\d{2})$", u"$3/$2/$1"); });
  std::printf("peak rss %.0f MB\n", peakRssMb());
  return 0;
}
