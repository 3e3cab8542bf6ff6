#include "platform/SystemMemory.h"

#include <sys/sysinfo.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

// The kernel's estimate of memory available without swapping ("MemAvailable" of
// /proc/meminfo, in bytes); 0 when it cannot be read.
uint64_t memAvailable() {
  std::ifstream in("/proc/meminfo");
  std::string name;
  uint64_t kb = 0;
  std::string unit;
  while (in >> name >> kb) {
    std::getline(in, unit);
    if (name == "MemAvailable:") return kb * 1024;
  }
  return 0;
}

}  // namespace

BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
  if (status == nullptr || status->dwLength != sizeof(MEMORYSTATUSEX)) return FALSE;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return FALSE;
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  const uint64_t total = uint64_t(info.totalram) * unit;
  uint64_t avail = memAvailable();
  if (avail == 0) avail = (uint64_t(info.freeram) + uint64_t(info.bufferram)) * unit;
  avail = std::min(avail, total);
  status->ullTotalPhys = total;
  status->ullAvailPhys = avail;
  status->dwMemoryLoad = total ? DWORD((total - avail) * 100 / total) : 0;
  status->ullTotalPageFile = total + uint64_t(info.totalswap) * unit;
  status->ullAvailPageFile = avail + uint64_t(info.freeswap) * unit;
  status->ullTotalVirtual = uint64_t(1) << 47;  // the user address space of x86-64
  status->ullAvailVirtual = status->ullTotalVirtual;
  status->ullAvailExtendedVirtual = 0;
  return TRUE;
}
