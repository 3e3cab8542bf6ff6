// Timing and memory readings shared by the benchmark programs.
#pragma once
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

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

}  // namespace bench
