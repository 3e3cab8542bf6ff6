// SavedCells: the cells a command takes out of the sheet, kept so that undo can write
// them back exactly: each cell with its own flag byte (or 0xFF), the texts of their keys,
// and the computed values of the formula cells among them.
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "commands/CellRecord.h"
#include "store/DataCore.h"
#include "store/TextMap.h"
#include "store/TextPromise.h"

struct SavedCells {
  std::vector<CellRecord> cells;
  TextMap texts;
  std::unordered_map<uint64_t, double> formulaValues;  // cellPos -> computed value

  // Saves cell (row, col) as it is now, with its own flag byte when `keepOwnFlag`, else
  // with 0xFF (writing it back keeps the destination's flag). All-zero cells are skipped
  // when `skipEmpty`.
  void save(const CDataCore& core, int32_t row, int32_t col, bool keepOwnFlag, bool skipEmpty) {
    Cell c = *core.cellAt(row, col);
    if (skipEmpty && c.isZero()) return;
    if (!keepOwnFlag) c.flag = CELL_FLAG_KEEP;
    keepCellText(core, c, texts);
    if (c.kind == CELL_FORMULA) {
      auto it = core.mFormulaValues.find(cellPos(row, col));
      if (it != core.mFormulaValues.end()) formulaValues.emplace(it->first, it->second);
    }
    cells.push_back(CellRecord{row, col, c});
  }

  // Writes every saved cell back (last saved first, so a cell saved twice ends with its
  // first content), then the formula values.
  void restore(CDataCore& core) const {
    const TextPromise promise(core, texts);  // may fail: before any cell is written
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) core.restoreCell(it->row, it->col, it->cell, texts);
    for (const auto& [pos, value] : formulaValues) core.mFormulaValues[pos] = value;
  }

  void clear() {
    cells.clear();
    texts.clear();
    formulaValues.clear();
  }
  bool empty() const { return cells.empty(); }
};
