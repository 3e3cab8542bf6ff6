// Times the file merge and split workers' file work with the inputs in memory (tmpfs or
// the page cache): the merge of 10 files of 100 MB into one, and the split of a 1 GB
// file into 10 parts by parts (its counting pass included). Prints input MB/s, best and
// median of `runs`, with the machine's load average at the time.
//
//   bench_filetools [--dir folder] [--mb-per-file N] [--files N] [--split-mb N] [--runs N]
//   default: /dev/shm when there is one, 10 files of 100 MB, a 1000 MB file, 3 runs
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/FileMerge.h"
#include "app/FileSplit.h"
#include "bench/BenchClock.h"
#include "platform/CodePage.h"

namespace {

double loadAverage() {
  double load = 0;
  std::ifstream("/proc/loadavg") >> load;
  return load;
}

// A file of about `mb` MB of CSV lines of varying length.
void makeFile(const std::string& path, size_t mb) {
  std::ofstream out(path, std::ios::binary);
  std::string block;
  for (int i = 0; block.size() < (1u << 20); ++i)
    block += std::to_string(i * 7919) + ",北京市," + std::to_string(i % 97) + ".25,some text field " +
             std::string(size_t(i % 23), 'x') + "\n";
  for (size_t written = 0; written < mb * 1000000; written += block.size())
    out.write(block.data(), std::streamsize(block.size()));
}

void report(const char* what, std::vector<double> rates) {
  std::sort(rates.begin(), rates.end());
  std::printf("%-28s best %8.0f MB/s  median %8.0f MB/s  (load %.1f)\n", what, rates.back(),
              rates[rates.size() / 2], loadAverage());
}

}  // namespace

int main(int argc, char** argv) {
  std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm"
                                                         : std::filesystem::temp_directory_path().string();
  size_t mbPerFile = 100, files = 10, splitMb = 1000;
  int runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i], value = argv[i + 1];
    if (key == "--dir") base = value;
    else if (key == "--mb-per-file") mbPerFile = std::stoul(value);
    else if (key == "--files") files = std::stoul(value);
    else if (key == "--split-mb") splitMb = std::stoul(value);
    else if (key == "--runs") runs = std::stoi(value);
  }
  std::string templ = base + "/morvel-bench-files-XXXXXX";
  const std::string dir = mkdtemp(templ.data());
  std::vector<std::u16string> inputs;
  int64_t mergeBytes = 0;
  for (size_t i = 0; i < files; ++i) {
    const std::string path = dir + "/in" + std::to_string(i) + ".csv";
    makeFile(path, mbPerFile);
    mergeBytes += int64_t(std::filesystem::file_size(path));
    inputs.push_back(utf8ToWide(path));
  }
  const std::atomic<int32_t> cancel{0};
  const FractionProgress quiet = [](double) {};
  std::vector<double> rates;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    FILE* out = std::fopen((dir + "/merged.csv").c_str(), "wb");
    for (size_t i = 0; i < inputs.size(); ++i)
      if (appendFileToMerge(out, inputs[i], i ? 1 : 0, cancel, quiet) != FILE_DONE) return 1;
    std::fclose(out);
    rates.push_back(double(mergeBytes) / 1e6 / bench::seconds(start));
    std::filesystem::remove(dir + "/merged.csv");
  }
  char what[64];
  std::snprintf(what, sizeof what, "merge %zu x %zu MB", files, mbPerFile);
  report(what, rates);
  for (const std::u16string& input : inputs) std::filesystem::remove(wideToUtf8(input));

  const std::string big = dir + "/big.csv";
  makeFile(big, splitMb);
  const int64_t splitBytes = int64_t(std::filesystem::file_size(big));
  rates.clear();
  for (int r = 0; r < runs; ++r) {
    std::filesystem::create_directories(dir + "/parts");
    const auto start = std::chrono::steady_clock::now();
    if (splitOneFile(utf8ToWide(dir + "/parts"), utf8ToWide(big), 1, false, 10, cancel, quiet) != FILE_DONE)
      return 1;
    rates.push_back(double(splitBytes) / 1e6 / bench::seconds(start));
    std::filesystem::remove_all(dir + "/parts");
  }
  std::snprintf(what, sizeof what, "split %zu MB into 10 parts", splitMb);
  report(what, rates);
  std::printf("peak resident memory %.0f MiB\n", bench::peakRssMb());
  std::filesystem::remove_all(dir);
  return 0;
}
