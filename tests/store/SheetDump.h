// A sheet written out as plain values, so that two sheets (and their pools)
// compare with one EXPECT_EQ and print readably when they differ.
#pragma once
#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "store/DataCore.h"

namespace textfiles {

inline std::string dumpSheet(const CDataCore& s) {
  std::ostringstream out;
  out << "rows " << s.mRowCount << " cols " << s.mColCount << " poolBytes " << s.mPoolBytes << " enc "
      << s.mOpenEncoding << "/" << s.mSaveEncoding << "\n";
  for (uint64_t r = 0; r < s.mRowCount; ++r) {
    for (uint64_t c = 0; c < s.mColCount; ++c) {
      const Cell& cell = s.mDatas[r][c];
      if (cell.isZero()) continue;
      out << r << "," << c << ": " << int(cell.kind) << "/" << int(cell.flag) << "/" << std::hex << cell.value
          << std::dec << "\n";
    }
  }
  std::map<uint64_t, std::pair<std::string, uint64_t>> pool;
  s.mPool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
    pool[key] = {std::string(bytes, len), count};
  });
  for (const auto& [key, entry] : pool) {
    out << "pool " << std::hex << key << std::dec << " x" << entry.second << " ";
    for (unsigned char b : entry.first) out << std::hex << int(b) << std::dec << ".";
    out << "\n";
  }
  return out.str();
}

// The texts of rows 1.. as the sheet shows them, one line per row, fields
// joined by '|'.
inline std::u16string sheetTexts(const CDataCore& s) {
  std::u16string out;
  for (int32_t r = 1; r < static_cast<int32_t>(s.mRowCount); ++r) {
    for (int32_t c = 1; c < static_cast<int32_t>(s.mColCount); ++c) {
      if (c > 1) out += u'|';
      out += s.getText(r, c);
    }
    out += u'\n';
  }
  return out;
}

}  // namespace textfiles
