// Helpers shared by the store tests: build a sheet from a table of texts, read it back,
// and check the pool's reference counts and byte total against the cells.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
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
    for (uint64_t c = 1; c < sheet.mColCount; ++c)
      row.push_back(u8(sheet.getText(int32_t(r), int32_t(c))));
    out.push_back(row);
  }
  return out;
}

// Every pool entry is referenced exactly `count` times by cells and text attribute slots,
// and mPoolBytes is the sum of (bytes + 16) over the entries.
inline void expectPoolConsistent(const CDataCore& sheet) {
  std::unordered_map<uint64_t, uint64_t> refs;
  for (uint64_t r = 0; r < sheet.mRowCount; ++r)
    for (uint64_t c = 0; c < sheet.mColCount; ++c) {
      const Cell& cell = sheet.mDatas[r][c];
      if (isPoolKind(cell.kind) && cell.value) ++refs[cell.value];
    }
  for (int32_t slot = 0; slot < ATTR_SLOT_COUNT; ++slot)
    if (isTextAttr(slot) && sheet.mAttrs[slot].value) ++refs[sheet.mAttrs[slot].value];
  int64_t bytes = 0;
  size_t entries = 0;
  sheet.mPool.forEach([&](uint64_t key, const char*, size_t len, uint64_t count) {
    auto it = refs.find(key);
    EXPECT_NE(it, refs.end()) << "unreferenced pool entry " << key;
    if (it != refs.end()) {
      EXPECT_EQ(count, it->second) << "count of key " << key;
    }
    bytes += int64_t(len) + 16;
    ++entries;
  });
  EXPECT_EQ(entries, refs.size()) << "cells refer to keys the pool does not hold";
  EXPECT_EQ(sheet.mPoolBytes, bytes);
}
