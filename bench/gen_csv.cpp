// Writes the benchmark CSV: a header line, then `rows` records of 10 columns
// (integer id, amount with two decimals, six-decimal ratio, date text, a
// Chinese city among eight, a name, an 8-digit hex code, true/false, a note
// that in 5% of rows is quoted with an embedded comma and doubled quotes, an
// integer). 10,000,000 rows make about 850 MB. The content is the same on
// every run (fixed seed). With --utf16le the same text is written as UTF-16LE
// after a byte order mark.
//
//   gen_csv [output path] [rows] [--utf16le]     defaults: bench/data/bench.csv 10000000
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace {

uint64_t gState = 0x9E3779B97F4A7C15ULL;

uint64_t nextRandom() {  // splitmix64
  uint64_t z = (gState += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

const char* const CITIES[] = {"北京", "上海", "广州", "深圳", "杭州", "成都", "武汉", "南京"};
const char* const SURNAMES[] = {"Wang", "Li",   "Zhang", "Liu", "Chen", "Yang", "Huang", "Zhao",
                                "Wu",   "Zhou", "Xu",    "Sun", "Ma",   "Zhu",  "Hu",    "Guo"};
const char* const GIVEN[] = {"Wei",  "Fang", "Na",   "Min",  "Jing", "Lei", "Jun", "Yan", "Tao",   "Ming",
                             "Chao", "Xia",  "Ping", "Gang", "Hui",  "Bo",  "Yu",  "Lin", "Qiang", "Li"};
const char* const NOTES[] = {"ok",      "pending review", "shipped by air", "returned",
                             "on hold", "paid in full",   "checked twice"};
const char* const QUOTED[] = {"\"late, customer said \"\"call me\"\"\"", "\"split, \"\"two\"\" parts\"",
                              "\"damaged, see \"\"photo 3\"\"\""};

template <size_t N>
const char* pick(const char* const (&list)[N]) {
  return list[nextRandom() % N];
}

void appendRow(std::string& out, uint64_t id) {
  char buf[256];
  const uint64_t amount = nextRandom() % 100000000;
  const unsigned year = 2020 + static_cast<unsigned>(nextRandom() % 5);
  const unsigned month = 1 + static_cast<unsigned>(nextRandom() % 12);
  const unsigned day = 1 + static_cast<unsigned>(nextRandom() % 28);
  const bool quoted = nextRandom() % 100 < 5;
  int n = std::snprintf(buf, sizeof buf, "%llu,%llu.%02llu,0.%06llu,%04u-%02u-%02u,%s,%s %s,%08llX,%s,%s,%llu\n",
                        static_cast<unsigned long long>(id), static_cast<unsigned long long>(amount / 100),
                        static_cast<unsigned long long>(amount % 100),
                        static_cast<unsigned long long>(nextRandom() % 1000000), year, month, day, pick(CITIES),
                        pick(SURNAMES), pick(GIVEN), static_cast<unsigned long long>(nextRandom() & 0xFFFFFFFF),
                        nextRandom() % 2 ? "true" : "false", quoted ? pick(QUOTED) : pick(NOTES),
                        static_cast<unsigned long long>(nextRandom() % 100000));
  out.append(buf, static_cast<size_t>(n));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "bench/data/bench.csv";
  const uint64_t rows = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000000ULL;
  const bool utf16 = argc > 3 && std::strcmp(argv[3], "--utf16le") == 0;
  std::vector<char16_t> wide;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "cannot create %s (does its folder exist?)\n", path.c_str());
    return 1;
  }
  std::string out = "id,amount,ratio,date,city,name,code,flag,note,qty\n";
  uint64_t bytes = 0;
  if (utf16) {
    std::fwrite("\xFF\xFE", 1, 2, f);
    bytes = 2;
  }
  for (uint64_t id = 1; id <= rows; ++id) {
    appendRow(out, id);
    if (out.size() >= (1u << 22) || id == rows) {
      if (utf16) {  // the machine's order is little-endian
        wide.resize(out.size());
        wide.resize(utf8Decode(out.data(), out.size(), wide.data()));
        out.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
      }
      if (std::fwrite(out.data(), 1, out.size(), f) != out.size()) {
        std::fprintf(stderr, "write failed\n");
        std::fclose(f);
        return 1;
      }
      bytes += out.size();
      out.clear();
    }
  }
  if (std::fclose(f) != 0) return 1;
  std::printf("%s: %llu rows, %.1f MB\n", path.c_str(), static_cast<unsigned long long>(rows), bytes / 1e6);
  return 0;
}
