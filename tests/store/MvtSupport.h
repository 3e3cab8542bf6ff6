// Shared helpers of the document file tests: raw file bytes, a little byte builder for hand-made files, snapshots of a sheet and a progress recorder.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "store/DataCore.h"
#include "store/DocumentFile.h"
#include "store/TextKey.h"
#include "tests/support/Scratch.h"
#include "tests/support/TextConvert.h"

namespace mvttest {

inline constexpr auto& widen = testsupport::w;

using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;

inline uint64_t u64At(const std::string& bytes, size_t offset) {
  uint64_t v = 0;
  std::memcpy(&v, bytes.data() + offset, 8);
  return v;
}
inline void setU64At(std::string& bytes, size_t offset, uint64_t v) { std::memcpy(bytes.data() + offset, &v, 8); }

// Little-endian bytes of a hand-made document.
struct Bytes {
  std::string s;
  Bytes& u8(uint8_t v) {
    s.push_back(char(v));
    return *this;
  }
  Bytes& u32(uint32_t v) {
    s.append(reinterpret_cast<const char*>(&v), 4);
    return *this;
  }
  Bytes& u64(uint64_t v) {
    s.append(reinterpret_cast<const char*>(&v), 8);
    return *this;
  }
  Bytes& zeros(size_t n) {
    s.append(n, '\0');
    return *this;
  }
  Bytes& raw(const std::string& b) {
    s += b;
    return *this;
  }
  Bytes& cell(uint8_t kind, uint8_t flag, uint64_t value) { return u8(kind).u8(flag).u64(value); }
  // A head with the given counts and pool bytes; `attrs` sets slot values.
  Bytes& head(uint64_t rows, uint64_t cols, int64_t poolBytes, std::map<int, uint64_t> attrs = {}) {
    zeros(24).u64(rows).u64(cols).u64(uint64_t(poolBytes)).zeros(16);
    for (int i = 0; i < ATTR_SLOT_COUNT; ++i) u64(attrs.count(i) ? attrs[i] : 0).u32(0);
    return *this;
  }
  // A pool entry: key, L, the bytes, the count.
  Bytes& entry(uint64_t key, const std::string& bytes, uint64_t count) {
    return u64(key).u64(bytes.size() + 8).raw(bytes).u64(count);
  }
};

// The stored bytes of a wide text: its UTF-16LE code units and the 2-byte NUL.
inline std::string textBytes(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(char(c & 0xFF));
    out.push_back(char(c >> 8));
  }
  out.append(2, '\0');
  return out;
}

struct PoolItem {
  std::string bytes;
  uint64_t count;
  bool operator==(const PoolItem&) const = default;
};
inline std::map<uint64_t, PoolItem> poolOf(const CDataCore& core) {
  std::map<uint64_t, PoolItem> out;
  core.mPool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
    out[key] = PoolItem{std::string(bytes, len), count};
  });
  return out;
}

// Every cell of the sheet as raw bytes, row by row.
inline std::string cellsOf(const CDataCore& core) {
  std::string out;
  for (uint64_t r = 0; r < core.mRowCount; ++r)
    out.append(reinterpret_cast<const char*>(core.mDatas[r]), core.mColCount * sizeof(Cell));
  return out;
}
inline std::string headOf(const CDataCore& core) {
  return std::string(reinterpret_cast<const char*>(static_cast<const DocHeader*>(&core)), sizeof(DocHeader));
}

// Sheets equal in head, cells, pool (keys, bytes and counts) and filter state.
inline void expectSameSheet(const CDataCore& a, const CDataCore& b) {
  EXPECT_TRUE(headOf(a) == headOf(b));
  EXPECT_TRUE(cellsOf(a) == cellsOf(b));
  EXPECT_TRUE(poolOf(a) == poolOf(b));
  EXPECT_TRUE(a.mFilter.equals(b.mFilter));
}

// True when the sheet is empty and holds nothing (as after clear).
inline bool isEmptySheet(const CDataCore& core) {
  return core.mRowCount == 0 && core.mColCount == 0 && core.mDatas == nullptr && core.mPool.size() == 0 &&
         headOf(core) == std::string(sizeof(DocHeader), '\0') && !core.mFilter.active();
}

// Records every progress report of a sheet.
struct ProgressLog {
  std::vector<int64_t> values;
  void attach(CDataCore& core) {
    core.setProgress([this, &core](uint64_t sender, int64_t percent) {
      EXPECT_EQ(sender, reinterpret_cast<uint64_t>(&core));
      values.push_back(percent);
    });
  }
};

}  // namespace mvttest
