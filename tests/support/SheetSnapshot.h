// Test helpers for edit commands: a snapshot of everything a sheet holds (counts, every
// cell with its flag byte, header cells included, attribute slots, pool entries with
// their reference counts, mPoolBytes, formula values, filter state), a readable diff of
// two snapshots, a small sheet builder and the run / undo / redo check every command
// test uses.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "commands/ComManag.h"
#include "platform/CodePage.h"
#include "store/DataCore.h"

struct SheetSnapshot {
  struct PoolEntry {
    std::string bytes;
    uint64_t count = 0;
    bool operator==(const PoolEntry&) const = default;
  };

  uint64_t rows = 0;
  uint64_t cols = 0;
  int64_t poolBytes = 0;
  std::vector<AttrSlot> attrs;
  std::vector<Cell> cells;  // row-major, rows x cols
  std::map<uint64_t, PoolEntry> pool;
  std::map<uint64_t, uint64_t> formulaValues;  // cellPos -> the double's bits
  Range filterRange;
  std::map<uint64_t, std::set<int32_t>> filterColumns;

  static SheetSnapshot take(const CDataCore& core) {
    SheetSnapshot s;
    s.rows = core.mRowCount;
    s.cols = core.mColCount;
    s.poolBytes = core.mPoolBytes;
    s.attrs.assign(core.mAttrs, core.mAttrs + ATTR_SLOT_COUNT);
    s.cells.reserve(s.rows * s.cols);
    for (uint64_t r = 0; r < s.rows; ++r)
      for (uint64_t c = 0; c < s.cols; ++c) s.cells.push_back(core.mDatas[r][c]);
    core.mPool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
      s.pool[key] = PoolEntry{std::string(bytes, len), count};
    });
    for (const auto& [pos, value] : core.mFormulaValues) {
      uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      s.formulaValues[pos] = bits;
    }
    s.filterRange = core.mFilter.mRange;
    for (const auto& [key, column] : core.mFilter.mColumns)
      s.filterColumns[key] = std::set<int32_t>(column.rows.begin(), column.rows.end());
    return s;
  }
};

inline std::string describeCell(const Cell& c) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "{kind %u flag %u value 0x%llx}", unsigned(c.kind), unsigned(c.flag),
                static_cast<unsigned long long>(c.value));
  return buf;
}

inline std::string describeBytes(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return "\"" + wideToUtf8(text) + "\" (" + std::to_string(bytes.size()) + " bytes)";
}

// Every difference between two snapshots, one per line (at most `limit` lines); the
// empty text when they are equal.
inline std::string diffSnapshots(const SheetSnapshot& a, const SheetSnapshot& b, size_t limit = 20) {
  std::vector<std::string> lines;
  auto add = [&](const std::string& line) {
    if (lines.size() < limit) lines.push_back(line);
  };
  if (a.rows != b.rows || a.cols != b.cols)
    add("size " + std::to_string(a.rows) + "x" + std::to_string(a.cols) + " != " + std::to_string(b.rows) + "x" +
        std::to_string(b.cols));
  if (a.poolBytes != b.poolBytes)
    add("mPoolBytes " + std::to_string(a.poolBytes) + " != " + std::to_string(b.poolBytes));
  for (int i = 0; i < ATTR_SLOT_COUNT; ++i)
    if (std::memcmp(&a.attrs[i], &b.attrs[i], sizeof(AttrSlot)) != 0)
      add("attribute slot " + std::to_string(i) + " " + std::to_string(a.attrs[i].value) +
          " != " + std::to_string(b.attrs[i].value));
  if (a.rows == b.rows && a.cols == b.cols) {
    for (size_t i = 0; i < a.cells.size(); ++i) {
      if (std::memcmp(&a.cells[i], &b.cells[i], sizeof(Cell)) == 0) continue;
      add("cell (" + std::to_string(i / a.cols) + "," + std::to_string(i % a.cols) + ") " +
          describeCell(a.cells[i]) + " != " + describeCell(b.cells[i]));
    }
  }
  for (const auto& [key, entry] : a.pool) {
    auto it = b.pool.find(key);
    if (it == b.pool.end()) {
      add("pool key " + std::to_string(key) + " " + describeBytes(entry.bytes) + " x" +
          std::to_string(entry.count) + " only in the first");
    } else if (!(it->second == entry)) {
      add("pool key " + std::to_string(key) + " " + describeBytes(entry.bytes) + " x" +
          std::to_string(entry.count) + " != " + describeBytes(it->second.bytes) + " x" +
          std::to_string(it->second.count));
    }
  }
  for (const auto& [key, entry] : b.pool)
    if (!a.pool.count(key))
      add("pool key " + std::to_string(key) + " " + describeBytes(entry.bytes) + " x" +
          std::to_string(entry.count) + " only in the second");
  if (a.formulaValues != b.formulaValues) add("formula values differ");
  if (!(a.filterRange == b.filterRange)) add("filter range differs");
  if (a.filterColumns != b.filterColumns) add("filter columns differ");
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

#define EXPECT_SAME_SHEET(expected, actual) EXPECT_EQ("", diffSnapshots((expected), (actual)))

// Fills a sheet of (lines + 1) x (widest + 1) cells; each text typed as an importer
// types it (integer, decimal, formula, text; "" leaves the cell empty).
inline void buildSheet(CDataCore& core, std::initializer_list<std::initializer_list<const char16_t*>> lines) {
  size_t width = 0;
  for (const auto& line : lines) width = std::max(width, line.size());
  core.resize(0, 0);
  core.resize(static_cast<int32_t>(lines.size() + 1), static_cast<int32_t>(width + 1));
  int32_t r = 1;
  for (const auto& line : lines) {
    int32_t c = 1;
    for (const char16_t* text : line) core.setTextTyped(r, c++, text);
    ++r;
  }
}

// Hands `command` to the manager and checks that undo brings the sheet back exactly and
// redo gives exactly the state of the first run. Returns the state after the run.
inline SheetSnapshot expectRunUndoRedo(iComManag& manager, CDataCore& core, std::unique_ptr<iCommand> command) {
  const SheetSnapshot before = SheetSnapshot::take(core);
  const size_t undoable = manager.mUndoList.size();
  manager.add(std::move(command));
  EXPECT_EQ(manager.mUndoList.size(), undoable + 1) << "the command was dropped as empty";
  EXPECT_EQ(core.integrityCheck(), "") << "after the run";
  const SheetSnapshot after = SheetSnapshot::take(core);
  manager.undo();
  EXPECT_EQ(core.integrityCheck(), "") << "after undo";
  EXPECT_SAME_SHEET(before, SheetSnapshot::take(core)) << "after undo";
  manager.redo();
  EXPECT_EQ(core.integrityCheck(), "") << "after redo";
  EXPECT_SAME_SHEET(after, SheetSnapshot::take(core)) << "after redo";
  manager.undo();
  EXPECT_SAME_SHEET(before, SheetSnapshot::take(core)) << "after the second undo";
  manager.redo();
  return after;
}
// The same for a command the test made with new and prepared (ownership passes).
inline SheetSnapshot expectRunUndoRedo(iComManag& manager, CDataCore& core, iCommand* command) {
  return expectRunUndoRedo(manager, core, std::unique_ptr<iCommand>(command));
}
