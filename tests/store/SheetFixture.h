// Helpers shared by the store tests: build a sheet from a table of texts, read it back,
// and check the pool's reference counts and byte total against the cells.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/DataCore.h"
#include "tests/support/TextConvert.h"

using Table = std::vector<std::vector<std::string>>;

using testsupport::u8;
using testsupport::w;

// A sheet of table.size() data rows and the widest row's data columns, each cell typed
// by setTextTyped (empty strings stay empty).
inline void fillSheet(CDataCore& sheet, const Table& table) {
  size_t cols = 0;
  for (const auto& row : table) cols = std::max(cols, row.size());
  sheet.clear();
  sheet.resize(int32_t(table.size() + 1), int32_t(cols + 1));
  for (size_t r = 0; r < table.size(); ++r)
    for (size_t c = 0; c < table[r].size(); ++c)
      sheet.setTextTyped(int32_t(r + 1), int32_t(c + 1), w(table[r][c]).c_str());
}

// getText of every data cell.
inline Table readSheet(const CDataCore& sheet) {
  Table out;
  for (uint64_t r = 1; r < sheet.mRowCount; ++r) {
    std::vector<std::string> row;
    for (uint64_t c = 1; c < sheet.mColCount; ++c) row.push_back(u8(sheet.getText(int32_t(r), int32_t(c))));
    out.push_back(row);
  }
  return out;
}

// The sheet passes its own integrity check: among the rest, every pool entry is referenced
// exactly `count` times by cells and text attribute slots, and mPoolBytes is the sum over
// the entries.
inline void expectPoolConsistent(const CDataCore& sheet) { EXPECT_EQ(sheet.integrityCheck(), ""); }
