// libFuzzer target for the delimited-text reader: the input's first bytes choose the
// file's encoding form, the delimiter, the operation (a whole file, a page, an append),
// the road, the threads and the read size, the rest is the file (see DelimitedCase.h).
// The reading must give what the sequential road gives at its default read size; any
// fault aborts. Built by scripts/fuzz.sh with clang only.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/store/fuzz/DelimitedCase.h"
#include "tests/support/Scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A folder of its own for each input, removed as the input is done (libFuzzer ends
  // without running static destructors).
  const testsupport::ScratchDir dir;
  const std::string faults = delimitedfuzz::checkCase(delimitedfuzz::decode(data, size), dir.dir());
  if (!faults.empty()) {
    std::fprintf(stderr, "delimited read fault:\n%s", faults.c_str());
    std::abort();
  }
  return 0;
}
