// What first touching new memory costs on this machine, so that the other benchmarks'
// figures can be read against it: 1.6 GB of fresh pages written by 8 threads, asked for
// with ordinary 4 KB pages and with large pages (VirtualAlloc with MEM_LARGE_PAGES), in
// turn, several rounds. Prints for each the elapsed time, GB/s, the processor time of
// the process split into user and system, the minor page faults and how much of the
// block the system gave large pages, with the machine's load average. The first round
// of each kind is printed on its own: it is what a program's first large block costs,
// and where a virtual machine hands memory back to its host it can be dear for large
// pages while the later rounds are cheap. A third kind maps the memory the way the
// store maps its row slabs (4 MB blocks from largeblock::mapFresh, each thread learning
// which pages are cheaper), and runs first in each round.
//
//   bench_touch [megabytes [threads [rounds]]]     defaults: 1600 8 5
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileIo.h"
#include "store/LargeBlock.h"

#include "bench/BenchClock.h"

namespace {

struct Usage {
  double user, system;
  long minorFaults;
};

Usage usage() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return Usage{u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6, u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6,
               u.ru_minflt};
}

// The process's anonymous memory on large pages now, in MB ("AnonHugePages").
double largePagesMb() {
  std::ifstream in("/proc/self/smaps_rollup");  // a line of the mappings' range first
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("AnonHugePages:", 0) == 0) return std::strtod(line.c_str() + 14, nullptr) / 1024;
  return 0;
}

std::string loadAverage() {
  double load[3] = {0, 0, 0};
  std::ifstream("/proc/loadavg") >> load[0] >> load[1] >> load[2];
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f %.2f %.2f", load[0], load[1], load[2]);
  return buf;
}

struct Round {
  double seconds, user, system, largeMb;
  long faults;
};

Round touch(size_t bytes, unsigned threads, bool large) {
  auto* block = static_cast<char*>(
      VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT | (large ? MEM_LARGE_PAGES : 0), PAGE_READWRITE));
  if (block == nullptr) {
    std::fprintf(stderr, "VirtualAlloc of %zu bytes failed\n", bytes);
    std::exit(1);
  }
  const Usage u0 = usage();
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([=] {
      const size_t from = bytes / threads * t, to = t + 1 == threads ? bytes : bytes / threads * (t + 1);
      std::memset(block + from, int(t + 1), to - from);
    });
  }
  for (std::thread& w : workers) w.join();
  const double elapsed = bench::seconds(t0);
  const Usage u1 = usage();
  const double largeMb = largePagesMb();
  VirtualFree(block, 0, MEM_RELEASE);
  return Round{elapsed, u1.user - u0.user, u1.system - u0.system, largeMb, u1.minorFaults - u0.minorFaults};
}

// The same touch in 4 MB blocks from largeblock::mapFresh, each thread mapping its own.
Round touchLearned(size_t bytes, unsigned threads) {
  constexpr size_t BLOCK = size_t(4) << 20;
  std::vector<std::vector<void*>> blocks(threads);
  const Usage u0 = usage();
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (size_t done = 0; done < bytes / threads; done += BLOCK) {
        void* block = largeblock::mapFresh(BLOCK, BLOCK);
        if (block == nullptr) break;
        std::memset(block, int(t + 1), BLOCK);
        blocks[t].push_back(block);
      }
    });
  }
  for (std::thread& w : workers) w.join();
  const double elapsed = bench::seconds(t0);
  const Usage u1 = usage();
  const double largeMb = largePagesMb();
  for (auto& own : blocks)
    for (void* block : own) VirtualFree(block, 0, MEM_RELEASE);
  return Round{elapsed, u1.user - u0.user, u1.system - u0.system, largeMb, u1.minorFaults - u0.minorFaults};
}

std::vector<Round> byTime(std::vector<Round> rounds) {
  std::sort(rounds.begin(), rounds.end(), [](const Round& a, const Round& b) { return a.seconds < b.seconds; });
  return rounds;
}

double median(const std::vector<Round>& rounds) { return byTime(rounds)[rounds.size() / 2].seconds; }

// `ran`: the rounds in the order they ran.
void report(const char* name, const std::vector<Round>& ran, size_t bytes) {
  const Round& first = ran.front();
  const std::vector<Round> rounds = byTime(ran);
  const Round& m = rounds[rounds.size() / 2];
  std::printf(
      "%-12s median %.3f s (%.2f GB/s), best %.3f s, worst %.3f s; median round: user %.3f s, system "
      "%.3f s, %ld minor faults (%.2f us of system time each), %.0f MB on large pages\n",
      name, m.seconds, bytes / 1e9 / m.seconds, rounds.front().seconds, rounds.back().seconds, m.user, m.system,
      m.faults, m.faults ? m.system * 1e6 / m.faults : 0.0, m.largeMb);
  std::printf("%-12s first round %.3f s (%.2f GB/s): user %.3f s, system %.3f s, %ld minor faults\n", name,
              first.seconds, bytes / 1e9 / first.seconds, first.user, first.system, first.faults);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1600;
  const unsigned threads = argc > 2 ? unsigned(std::atoi(argv[2])) : 8;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  const size_t bytes = megabytes * 1000 * 1000;
  std::printf("touching %.2f GB of new memory on %u threads, %d rounds of each in turn; load average %s\n",
              bytes / 1e9, threads, rounds, loadAverage().c_str());
  std::vector<Round> learned, small, large;
  for (int i = 0; i < rounds; ++i) {
    learned.push_back(touchLearned(bytes, threads));
    small.push_back(touch(bytes, threads, false));
    large.push_back(touch(bytes, threads, true));
  }
  report("4 KB pages", small, bytes);
  report("large pages", large, bytes);
  report("as learned", learned, bytes);
  std::printf(
      "large / small, median: %.2f, first round: %.2f; learned / small, median: %.2f, first round: %.2f; "
      "load average %s\n",
      median(large) / median(small), large.front().seconds / small.front().seconds, median(learned) / median(small),
      learned.front().seconds / small.front().seconds, loadAverage().c_str());
  return 0;
}
