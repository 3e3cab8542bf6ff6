// Start-up figures: the program started with a CSV file on its command line, from the
// start of the entry function to the first paint that shows the file's rows, against
// readDelimited of the same file alone.
//
//   bench_startup [rows]     default 1,000,000 (the file is made in the temporary folder)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/MainWindow.h"
#include "app/ProcessObjects.h"
#include "bench/BenchClock.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/CodePage.h"
#include "platform/windows.h"

namespace {

std::string makeFile(long rows) {
  const std::string path = (std::filesystem::temp_directory_path() / "morvel-bench-startup.csv").string();
  std::ofstream out(path, std::ios::binary);
  out << "id,name,city,amount,date\n";
  for (long r = 1; r < rows; ++r)
    out << r << ",name" << (r % 977) << ",城市" << (r % 31) << ',' << (r * 37 % 100000) / 100.0 << ",2024-01-"
        << (r % 28 + 1) << '\n';
  return path;
}

// The program's loop body until nothing is left (the paints included).
void drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatchLoopMessage(msg);
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::string file = makeFile(rows);
  const std::u16string path = utf8ToWide(file);
  setenv("MORVEL_REGISTRY_FILE", (std::filesystem::temp_directory_path() / "morvel-bench-registry").c_str(), 1);

  startProcessObjects();
  double load = 0;
  {
    CDataCore core;
    const auto t0 = std::chrono::steady_clock::now();
    core.readDelimited(path, ',');
    load = bench::seconds(t0);
  }

  platform::setCommandLine(u"\"morvel\" \"" + path + u"\"");
  const auto t0 = std::chrono::steady_clock::now();
  if (!startMainWindow(nullptr, SW_SHOW)) return 1;
  drain();  // the first paint, the title and the tab row
  const double startup = bench::seconds(t0);
  CGrid* document = currentDocument();
  std::printf(
      "rows %ld: readDelimited alone %.3f s, wWinMain to the first paint %.3f s, %.3f s over the load "
      "(target: at most 0.3 s)\n",
      rows, load, startup, startup - load);
  std::printf("document rows %llu, title \"%s\"\n", document ? (unsigned long long)document->mCore.mRowCount : 0ull,
              wideToUtf8(document ? document->mTitle : u"").c_str());
  stopStats();
  DestroyWindow(gMainWnd);
  drain();
  endProcessObjects();
  std::filesystem::remove(file);
  return 0;
}
