// CDataCore::integrityCheck: the sheet measured against the invariants its header
// states, as a database engine checks its own pages.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/Alloc.h"
#include "store/DataCore.h"
#include "store/KeyCounts.h"

namespace {

constexpr size_t MAX_FAULTS = 8;

struct Faults {
  std::string text;
  size_t count = 0;
  void add(const std::string& line) {
    if (count++ < MAX_FAULTS) text += line + "\n";
  }
};

std::string at(uint64_t row, uint64_t col) { return "(" + std::to_string(row) + "," + std::to_string(col) + ")"; }

}  // namespace

std::string CDataCore::integrityCheck() const {
  Faults f;
  // Counts against the row array.
  if (mRowCount > uint64_t(INT32_MAX) || mColCount > uint64_t(INT32_MAX))
    f.add("counts " + std::to_string(mRowCount) + " x " + std::to_string(mColCount) + " beyond 32 bits");
  if ((mRowCount == 0) != (mDatas == nullptr)) f.add("row array and row count disagree");
  if (mRowCount == 0 && mColCount != 0) f.add("columns without rows");
  if (mRowCount != 0 && mColCount == 0) f.add("rows without columns");
  if (f.count) return f.text;  // the cells cannot be walked safely
  for (uint64_t r = 0; r < mRowCount; ++r)
    if (mDatas[r] == nullptr) f.add("row " + std::to_string(r) + " is missing");
  if (f.count) return f.text;

  // Every reference the cells and text slots hold, against the pool's counts.
  KeyCounts refs(mPool);
  for (uint64_t r = 0; r < mRowCount; ++r) {
    const Cell* row = mDatas[r];
    for (uint64_t c = 0; c < mColCount; ++c) {
      const uint64_t key = row[c].value;
      if (!isPoolKind(row[c].kind) || key == 0) continue;
      if (!refs.has(key)) f.add("cell " + at(r, c) + " holds key " + std::to_string(key) + " the pool lacks");
      refs.add(key);
    }
  }
  for (int32_t slot = 0; slot < ATTR_SLOT_COUNT; ++slot) {
    const uint64_t key = mAttrs[slot].value;
    if (!isTextAttr(slot) || key == 0) continue;
    if (!refs.has(key)) f.add("attribute slot " + std::to_string(slot) + " holds a key the pool lacks");
    refs.add(key);
  }
  int64_t bytes = 0;
  mPool.forEach([&](uint64_t key, const char*, size_t len, uint64_t count) {
    bytes += StringPool::accountedBytes(len);
    const uint64_t held = refs.get(key);
    if (held != count)
      f.add("pool key " + std::to_string(key) + " counts " + std::to_string(count) + ", the sheet holds " +
            std::to_string(held));
  });
  if (bytes != mPoolBytes)
    f.add("pool bytes " + std::to_string(mPoolBytes) + ", the entries add up to " + std::to_string(bytes));
  if (const std::string pool = mPool.structureCheck(); !pool.empty()) f.add(pool.substr(0, pool.size() - 1));

  // Each filter column is filed under its own key. (A column or row it names may lie
  // beyond the sheet: a resize or a stored filter leaves them, and they hide nothing.)
  for (const auto& [key, column] : mFilter.mColumns)
    if (column.key != key) f.add("filter column under " + std::to_string(key) + " carries another key");
  return f.text;
}

void CDataCore::checkInDebug(const char* after) const {
#ifndef NDEBUG
  const allocfail::Suspended hookOff;
  const std::string faults = integrityCheck();
  if (faults.empty()) return;
  std::fprintf(stderr, "sheet integrity broken after %s:\n%s", after, faults.c_str());
  std::abort();
#else
  (void)after;
#endif
}
