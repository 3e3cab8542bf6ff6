// Grid file figures: a delimited file opened through CGrid::open with its progress bar
// against readDelimited alone (the two in turn, medians of the runs), and the first page
// of a file of 4 GB or more opened paged through dialog 149 and painted. The big file is
// made in a scratch folder (after checking its free space) and deleted afterwards.
//
//   bench_gridfile open FILE [runs]        default runs 5
//   bench_gridfile page [FOLDER] [GB]      default /tmp and 4
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "bench/BenchWindows.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/CodePage.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/windows.h"

using bench::drain;

namespace {

// A grid of 1920 x 1080 in a host window standing in for the tab strip.
CGrid* makeGrid() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"BenchGridFileHost";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, u"BenchGridFileHost", u"", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1080, nullptr,
                              nullptr, nullptr, nullptr);
  HWND host = CreateWindowExW(0, u"BenchGridFileHost", u"", WS_CHILD | WS_VISIBLE, 0, 0, 1920, 1080, main, nullptr,
                              nullptr, nullptr);
  auto* g = new CGrid();
  g->create(host, 0, 0, 1920, 1080);
  drain();
  return g;
}

void destroyGrid(CGrid* g) {
  stopStats();
  DestroyWindow(GetParent(GetParent(g->mHwnd)));
  drain();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double loadAverage() {
  double one = 0;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &one) != 1) one = 0;
    std::fclose(f);
  }
  return one;
}

int benchOpen(const std::string& file, int runs) {
  const std::u16string path = utf8ToWide(file);
  std::vector<double> read, open;
  CGrid* g = makeGrid();
  for (int i = 0; i < runs; ++i) {
    {
      CDataCore alone;
      const auto t0 = std::chrono::steady_clock::now();
      if (!alone.readDelimited(path, ',')) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      read.push_back(bench::seconds(t0));
    }
    const auto t0 = std::chrono::steady_clock::now();
    g->open(path);
    open.push_back(bench::seconds(t0));
    std::printf("run %d: readDelimited %.2f s, CGrid::open %.2f s, %llu rows\n", i + 1, read.back(), open.back(),
                static_cast<unsigned long long>(g->mCore.mRowCount));
    g->newTable();
  }
  const double r = median(read), o = median(open);
  std::printf("%s: readDelimited %.2f s, CGrid::open with its bar %.2f s (%+.1f %%), medians of %d, load %.1f\n",
              file.c_str(), r, o, (o / r - 1) * 100, runs, loadAverage());
  destroyGrid(g);
  return 0;
}

// Writes lines of ten fields until the file holds `bytes`; false on a write failure.
bool writeBigFile(const std::string& path, uint64_t bytes) {
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  if (fd < 0) return false;
  std::string block = "id,amount,ratio,date,city,name,code,flag,note,count\n";
  std::string chunk;
  uint64_t written = 0, row = 1;
  bool ok = true;
  while (ok && written < bytes) {
    chunk = written == 0 ? block : std::string();
    while (chunk.size() < (size_t(8) << 20)) {
      char line[160];
      const int n =
          std::snprintf(line, sizeof line,
                        "%llu,%llu.%02llu,0.%06llu,2024-%02llu-%02llu,北京,name%llu,%08llx,%s,note %llu,%llu\n",
                        static_cast<unsigned long long>(row), static_cast<unsigned long long>(row % 100000),
                        static_cast<unsigned long long>(row % 100), static_cast<unsigned long long>(row % 999999),
                        static_cast<unsigned long long>(row % 12 + 1),
                        static_cast<unsigned long long>(row % 28 + 1), static_cast<unsigned long long>(row % 5000),
                        static_cast<unsigned long long>(row * 2654435761u), row % 2 ? "true" : "false",
                        static_cast<unsigned long long>(row % 777), static_cast<unsigned long long>(row % 1000));
      chunk.append(line, static_cast<size_t>(n));
      ++row;
    }
    for (size_t off = 0; off < chunk.size();) {
      const ssize_t n = ::write(fd, chunk.data() + off, chunk.size() - off);
      if (n <= 0) {
        ok = false;
        break;
      }
      off += static_cast<size_t>(n);
    }
    written += chunk.size();
  }
  // Out of the page cache, so that the open reads from the disk.
  ok = ::fdatasync(fd) == 0 && ok;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
  return ok;
}

// Seconds from the paged open's start to the first painted frame.
double openFirstPage(CGrid* g, const std::u16string& path, int32_t& rows) {
  testdriver::AnswerScript answers;
  answers.answer(u"DialogBoxParamW", 1030, {u"1003=" + path, u"1004=1"});
  HDC dc = GetDC(g->mHwnd);
  const auto t0 = std::chrono::steady_clock::now();
  g->openPage();
  g->mView.paint(dc, g->mRect);
  const double s = bench::seconds(t0);
  ReleaseDC(g->mHwnd, dc);
  rows = static_cast<int32_t>(g->mCore.mRowCount);
  return s;
}

int benchPage(const std::string& folder, double gb) {
  const uint64_t bytes = static_cast<uint64_t>(gb * 1024 * 1024 * 1024);
  struct statvfs fs {};
  if (statvfs(folder.c_str(), &fs) != 0) {
    std::fprintf(stderr, "cannot read the free space of %s\n", folder.c_str());
    return 1;
  }
  const uint64_t free = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
  if (free < bytes + (uint64_t(4) << 30)) {
    std::printf("%s has %.1f GB free: a %.1f GB file would leave too little; skipped\n", folder.c_str(),
                free / 1073741824.0, gb);
    return 0;
  }
  const std::string path = folder + "/bench_gridfile_" + std::to_string(getpid()) + ".csv";
  auto t0 = std::chrono::steady_clock::now();
  const bool made = writeBigFile(path, bytes);
  std::printf("made %s (%.2f GB) in %.1f s\n", path.c_str(), bytes / 1073741824.0, bench::seconds(t0));
  int status = 0;
  if (made) {
    CGrid* g = makeGrid();
    int32_t rows = 0;
    const double cold = openFirstPage(g, utf8ToWide(path), rows);
    std::printf("first page paged open and painted, file out of the cache: %.3f s (%d rows, page of %d records)\n",
                cold, rows, g->mPage.pageRows);
    std::vector<double> warm;
    for (int i = 0; i < 3; ++i) {
      g->newTable();
      warm.push_back(openFirstPage(g, utf8ToWide(path), rows));
    }
    std::printf("  again, file cached: %.3f s (median of 3), load %.1f\n", median(warm), loadAverage());
    destroyGrid(g);
  } else {
    std::fprintf(stderr, "writing %s failed\n", path.c_str());
    status = 1;
  }
  ::unlink(path.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  int status = 2;
  if (mode == "open" && argc > 2) status = benchOpen(argv[2], argc > 3 ? std::atoi(argv[3]) : 5);
  else if (mode == "page") status = benchPage(argc > 2 ? argv[2] : "/tmp", argc > 3 ? std::atof(argv[3]) : 4.0);
  else std::fprintf(stderr, "usage: bench_gridfile open FILE [runs] | page [FOLDER] [GB]\n");
  Gdiplus::GdiplusShutdown(token);
  return status;
}
