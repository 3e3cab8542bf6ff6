// Times every undoable command on the benchmark CSV (see gen_csv) three ways: its run,
// its undo and its redo, each through the command manager as the grid builds it, then a
// second undo that brings the sheet back for the next command. Prints the three times
// side by side with undo / run and redo / run, the minor page faults of each, and checks
// that the undo gives back the sheet as it was and the redo the sheet of the run.
//
//   bench_undo [csv path [name filter]]    default path: bench/data/bench.csv; with a
//   filter only the commands whose name contains it
#include <sys/resource.h>
#include <memory>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "commands/CellAction.h"
#include "commands/ComManag.h"
#include "commands/DeleteAction.h"
#include "commands/GridOps.h"
#include "commands/InsertAction.h"
#include "platform/CodePage.h"
#include "store/DataCore.h"
#include "store/NumberText.h"

#include "bench/BenchClock.h"

using bench::peakRssMb;
using bench::rssMb;
using bench::seconds;

namespace {

using Clock = std::chrono::steady_clock;

long minorFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_minflt;
}

double loadAverage() {
  double load = 0;
  std::ifstream("/proc/loadavg") >> load;
  return load;
}

// A cheap fingerprint of the sheet: counts, pool bytes, the filter's columns and a hash
// over every cell.
uint64_t fingerprint(const CDataCore& core) {
  uint64_t h = core.mRowCount * 31 + core.mColCount;
  h = h * 1000003 + uint64_t(core.mPoolBytes);
  h = h * 1000003 + core.mFilter.mColumns.size();
  for (uint64_t r = 0; r < core.mRowCount; ++r) {
    const Cell* row = core.mDatas[r];
    for (uint64_t c = 0; c < core.mColCount; ++c)
      h = (h ^ (row[c].value + (uint64_t(row[c].kind) << 56) + (uint64_t(row[c].flag) << 48))) * 0x100000001b3ULL;
  }
  return h;
}

struct Timed {
  double seconds;
  long faults;
};

Timed timed(const std::function<void()>& step) {
  const long f0 = minorFaults();
  const auto t0 = Clock::now();
  step();
  return Timed{seconds(t0), minorFaults() - f0};
}

struct Bench {
  CDataCore& core;
  iComManag& manager;
  std::string filter;
  int slow = 0;

  // Runs `build` (which prepares a command and hands it to the manager), undo, redo and
  // undo again. `setup` and `teardown` run untimed around it, outside the check.
  void run(
      const char* name, const std::function<void()>& build, const std::function<void()>& setup = [] {},
      const std::function<void()>& teardown = [] {}) {
    if (std::string(name).find(filter) == std::string::npos) return;
    setup();
    manager.clear();
    const uint64_t before = fingerprint(core);
    const uint64_t rows = core.mRowCount, cols = core.mColCount;
    const double load = loadAverage();
    const Timed run = timed(build);
    const uint64_t rowsAfter = core.mRowCount, colsAfter = core.mColCount;
    const bool accepted = !manager.mUndoList.empty();
    const uint64_t applied = fingerprint(core);
    const Timed undo = timed([&] { manager.undo(); });
    const bool undoSame = fingerprint(core) == before;
    const Timed redo = timed([&] { manager.redo(); });
    const bool redoSame = fingerprint(core) == applied;
    manager.undo();
    manager.clear();
    teardown();
    const double undoRatio = undo.seconds / run.seconds, redoRatio = redo.seconds / run.seconds;
    // Steps of under a millisecond are within the mark whatever their ratio.
    const bool within = (undoRatio <= 2 || undo.seconds < 1e-3) && (redoRatio <= 2 || redo.seconds < 1e-3);
    slow += !within;
    std::printf("%-28s %8.3f %8.3f %8.3f %6.2f %6.2f  %8ld %8ld %8ld  %5.1f  %llux%llu->%llux%llu%s%s%s%s\n", name,
                run.seconds, undo.seconds, redo.seconds, undoRatio, redoRatio, run.faults, undo.faults, redo.faults,
                load, static_cast<unsigned long long>(rows - 1), static_cast<unsigned long long>(cols - 1),
                static_cast<unsigned long long>(rowsAfter - 1), static_cast<unsigned long long>(colsAfter - 1),
                accepted ? "" : " (no command)", undoSame ? "" : " UNDO DIFFERS", redoSame ? "" : " REDO DIFFERS",
                within ? "" : " SLOWER THAN 2x");
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "bench/data/bench.csv";
  CDataCore core;
  iComManag manager;
  Selection sel{1, 1, Range{1, 1, 1, 1}};
  CGridOps ops;
  ops.mCore = &core;
  ops.mSelection = &sel;
  ops.mComManag = &manager;
  auto t0 = Clock::now();
  if (!core.readDelimited(utf8ToWide(path), ',')) {
    std::fprintf(stderr, "cannot read %s (make it with gen_csv)\n", path.c_str());
    return 1;
  }
  const int32_t rows = static_cast<int32_t>(core.mRowCount);  // header row included
  std::printf("read %s: %d rows x %llu columns in %.2f s, rss %.0f MB, load average %.1f\n", path.c_str(), rows - 1,
              static_cast<unsigned long long>(core.mColCount - 1), seconds(t0), rssMb(), loadAverage());
  std::printf("columns: 1 id, 2 amount, 4 date, 5 city, 6 name, 7 code, 10 qty; times in seconds, faults minor\n");
  std::printf("%-28s %8s %8s %8s %6s %6s  %8s %8s %8s  %5s  %s\n", "command", "run", "undo", "redo", "u/run",
              "r/run", "flt run", "flt undo", "flt redo", "load", "rows x cols");
  Bench b{core, manager, argc > 2 ? argv[2] : ""};

  const int32_t last = rows - 1;
  const int32_t tenth = std::max(1, (rows - 1) / 10);
  auto select = [&](int32_t top, int32_t left, int32_t bottom, int32_t right) {
    sel = Selection{top, left, Range{top, left, bottom, right}};
  };

  b.run("cell edits: name column", [&] {
    auto a = std::make_unique<CCellAction>(&core, &sel);
    for (int32_t r = 1; r <= last; ++r) a->setFromText(r, 6, u"n" + int64Text(r));
    manager.add(std::move(a));
  });
  b.run("fill: city column", [&] {
    select(1, 5, last, 5);
    auto a = std::make_unique<CCellAction>(&core, &sel);
    a->fill(u"填充", false);
    manager.add(std::move(a));
  });
  b.run("insert rows (a tenth)", [&] {
    select(2, 0, 2 + tenth - 1, 0);
    auto a = std::make_unique<CInsertAction>(&core, &sel);
    a->mCount = tenth;
    manager.add(std::move(a));
  });
  b.run("insert 2 columns", [&] {
    select(0, 3, 0, 4);
    auto a = std::make_unique<CInsertAction>(&core, &sel);
    a->mCount = 2;
    manager.add(std::move(a));
  });
  b.run("delete rows (a tenth)", [&] {
    select(2, 0, 2 + tenth - 1, 0);
    ops.deleteSelection();
  });
  b.run("delete column: name", [&] {
    select(0, 6, 0, 6);
    ops.deleteSelection();
  });
  b.run("clear: name column", [&] {
    select(1, 6, last, 6);
    auto d = std::make_unique<CDeleteAction>(&core, &sel);
    d->mKind = KIND_CLEAR;
    d->prepare();
    manager.add(std::move(d));
  });
  b.run("hide rows (half)", [&] {
    select(2, 0, 1 + last / 2, 0);
    ops.setVisible(false);
  });
  b.run("hide 2 columns", [&] {
    select(0, 3, 0, 4);
    ops.setVisible(false);
  });
  b.run("resize: half the rows", [&] { ops.resize(1 + last / 2, int32_t(core.mColCount)); });
  b.run("resize: 5 more columns", [&] { ops.resize(rows, int32_t(core.mColCount) + 5); });
  b.run("sort by amount (number)", [&] {
    select(0, 2, 0, 2);
    ops.sort(true, true);
  });
  b.run("sort by name (text)", [&] {
    select(0, 6, 0, 6);
    ops.sort(true, true);
  });
  b.run("filter on", [&] {
    select(0, 0, 0, 0);
    ops.toggleFilter();
  });
  b.run(
      "filter by city", [&] { ops.filterValues(cellPos(1, 5), {}, {core.mDatas[2][5].value}); },
      [&] {
        select(0, 0, 0, 0);
        ops.toggleFilter();
      },
      [&] {
        ops.toggleFilter();
        manager.clear();
      });
  b.run("delete duplicates: rows", [&] {
    select(0, 0, 0, 0);
    ops.deleteDuplicates(true, true, true, {6, 4});
  });
  b.run("delete duplicates: cells", [&] {
    select(1, 6, last, 6);
    ops.deleteDuplicates(false, false, true, {6});
  });
  b.run("replace all: date by regex",
        [&] { ops.replaceAll(u"^(\\d{4})-(\\d{2})-(\\d{2})$", u"$3/$2/$1", true, false, true); });
  std::printf("%d commands with an undo or redo slower than 2x the run; peak rss %.0f MB\n", b.slow, peakRssMb());
  return 0;
}
