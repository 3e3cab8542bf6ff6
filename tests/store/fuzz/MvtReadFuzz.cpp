// libFuzzer target for the document reader and the document append: any bytes as a
// ".mvt" file. A read must either fail leaving an empty sheet, or give a sheet that
// writes and reads back; an append must keep every pool count equal to the references
// the sheet holds. Built by scripts/fuzz.sh with clang only.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "store/DataCore.h"
#include "store/DocumentFile.h"
#include "tests/support/Scratch.h"

// Small buffers: quick runs, records cut at buffer ends.
constexpr size_t BLOCK_BYTES = 64;

namespace {

std::u16string widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// The input lives in memory (memfd), reached by its /proc/self/fd path. Saves go into a
// scratch folder of the input's own (LLVMFuzzerTestOneInput's), removed as the input is
// done: a save is written beside its target and put in its place, which a memfd's path
// (a link to no file of a folder) cannot take.
std::string gOut;
const std::string& scratch(const char* name) {
  static const std::string in = "/proc/self/fd/" + std::to_string(memfd_create("mvt-in", 0));
  return name[0] == 'o' ? gOut : in;
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool emptySheet(const CDataCore& core) {
  return core.mRowCount == 0 && core.mColCount == 0 && core.mDatas == nullptr && core.mPool.size() == 0;
}

// The sheet passes its own integrity check (every pool count equal to the references
// the cells and text attribute slots hold, among the rest).
void checkCounts(const CDataCore& core) { check(core.integrityCheck().empty()); }

// Faults that show only after a read: sets a few cells to texts the file holds and
// clears others (positions and texts chosen by the input's bytes), then saves and reads
// back. Every count must stay equal to the references held, and the sheet read back
// must hold the same texts.
void editSaveRead(CDataCore& core, const uint8_t* data, size_t size) {
  std::vector<std::u16string> texts;
  core.mPool.forEach([&](uint64_t key, const char*, size_t, uint64_t) {
    if (texts.size() < 8) texts.push_back(core.poolText(key));
  });
  const uint64_t cells = core.mRowCount * core.mColCount;
  for (size_t i = 0; i + 1 < size && i < 16 && cells; i += 2) {
    const uint64_t at = (uint64_t(data[i]) * 131 + data[i + 1]) % cells;
    const int32_t row = int32_t(at / core.mColCount), col = int32_t(at % core.mColCount);
    if (texts.empty() || data[i] % 3 == 0) core.clearCell(row, col);
    else core.setText(row, col, texts[data[i + 1] % texts.size()]);
    checkCounts(core);
  }
  check(core.write(widen(scratch("out")), true));
  CDataCore back;
  back.mIoTuning.blockBytes = BLOCK_BYTES;
  check(back.read(widen(scratch("out"))));
  checkCounts(back);
  check(back.mRowCount == core.mRowCount && back.mColCount == core.mColCount);
  for (uint64_t r = 0; r < core.mRowCount; ++r)
    for (uint64_t c = 0; c < core.mColCount; ++c)
      check(back.getText(int32_t(r), int32_t(c)) == core.getText(int32_t(r), int32_t(c)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const testsupport::ScratchDir dir;
  gOut = dir.native("out.mvt");
  const std::string& in = scratch("in");
  FILE* f = std::fopen(in.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  CDataCore core;
  core.mIoTuning.blockBytes = BLOCK_BYTES;
  if (core.read(widen(in))) {
    checkCounts(core);
    editSaveRead(core, data, size);
    check(core.write(widen(scratch("out")), true));
    CDataCore back;
    back.mIoTuning.blockBytes = BLOCK_BYTES;
    check(back.read(widen(scratch("out"))));
    check(back.mRowCount == core.mRowCount && back.mColCount == core.mColCount);
    core.write(widen(scratch("out")), false);
  } else {
    check(emptySheet(core));
  }

  CDataCore sheet;
  sheet.mIoTuning.blockBytes = BLOCK_BYTES;
  sheet.resize(3, 3);
  sheet.setText(1, 1, u"a");
  sheet.setText(2, 2, u"b");
  sheet.appendMvt(widen(in), 0, 100);
  checkCounts(sheet);
  return 0;
}
