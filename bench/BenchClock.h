// Timing and memory readings shared by the benchmark programs.
#pragma once
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

// Seconds since `since`.
inline double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The process's peak resident memory so far, in MiB.
inline double peakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

// Processor seconds (user and system, all threads) the process has used so far.
inline double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The process's resident memory now, in MiB.
inline double rssMb() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// One timed step: elapsed seconds, the process's user and system seconds and minor
// page faults over it, and the load average when it began.
struct Sample {
  double seconds = 0, user = 0, system = 0;
  long minorFaults = 0;
  double load = 0;
};

template <class F>
Sample measure(F&& step) {
  auto usage = [] {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u;
  };
  Sample s;
  std::ifstream("/proc/loadavg") >> s.load;
  const rusage u0 = usage();
  const auto t0 = std::chrono::steady_clock::now();
  step();
  s.seconds = seconds(t0);
  const rusage u1 = usage();
  auto secs = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  s.user = secs(u1.ru_utime) - secs(u0.ru_utime);
  s.system = secs(u1.ru_stime) - secs(u0.ru_stime);
  s.minorFaults = u1.ru_minflt - u0.ru_minflt;
  return s;
}

// "1.234 s (0.69 GB/s), cpu 5.1 user + 1.2 system, 390000 minor faults, load 3.1"
inline std::string describe(const Sample& s, uint64_t bytes) {
  char buf[200];
  std::snprintf(buf, sizeof buf, "%.3f s (%.3f GB/s), cpu %.2f user + %.2f system, %ld minor faults, load %.1f",
                s.seconds, bytes / 1e9 / s.seconds, s.user, s.system, s.minorFaults, s.load);
  return buf;
}

// The median of `values`.
inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace bench
