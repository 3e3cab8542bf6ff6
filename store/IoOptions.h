// The settings of one read or write of a file (delimited text or a ".mvt" document),
// taken once when the operation starts: its threads read no setting that another
// thread may change while they run. The defaults serve the program; tests change a
// sheet's tuning (CDataCore::mIoTuning) to reach every road with small files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

struct IoOptions {
  size_t blockBytes = 0;                 // bytes per read or write buffer; 0: each reader's and writer's default
  unsigned threads = 0;                  // workers of the parallel roads; 0: one per core (store/Parallel.h)
  uint64_t minParallelBytes = 8u << 20;  // smaller files are read by the sequential road
  bool parallel = true;                  // false: the sequential road and a single writer thread
  bool quoteDetect = true;               // gQuoteDetect as the operation started
  // The text key function of the parallel road; null for textKey. Tests put a
  // colliding one here to reach the road's give-way path.
  uint64_t (*keyOf)(std::u16string_view text) = nullptr;
  size_t writeBatchRows = 0;  // rows per batch of the parallel writers; 0: 16,384
  size_t writeKeptBytes = 0;  // encoded texts each writer thread keeps to write again; 0: 8 MB

  // The menu-driven settings (gQuoteDetect) read now, over `tuning` (over the
  // defaults without one).
  static IoOptions current(const IoOptions& tuning);
  static IoOptions current();
};

// Which road a read of text took (a whole file, a page, an append), for tests
// and benchmarks.
enum class ReadRoad : uint8_t {
  None,        // no text read yet, or the file could not be opened
  Sequential,  // the sequential road from the start
  Parallel,    // the parallel road to the end
  GaveWay,     // the parallel road began and handed the file to the sequential one
};

// What the last read of a sheet did.
struct IoResult {
  ReadRoad road = ReadRoad::None;
};
