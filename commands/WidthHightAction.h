// CWidthHightAction (KIND_WIDTH_HEIGHT): sets column widths (header cells (0, c)) or
// row heights (header cells (r, 0)); a size of 0 is the default size. Only header cells
// whose size changes are kept; undo writes each back exactly as it was (kind and value;
// the hidden flag is never touched).
#pragma once
#include <cstdint>
#include <unordered_map>

#include "commands/Command.h"
#include "store/TextMap.h"

// Header-cell key -> size.
using SizeMap = std::unordered_map<uint64_t, int32_t>;

class CWidthHightAction : public iCommand {
 public:
  CWidthHightAction(CDataCore* core, const Selection* selection);

  // Chooses the rows (or columns) that get `size`: every data row (column) when the
  // whole sheet is selected; the selected whole rows (columns) when `index` lies among
  // them; otherwise `index` alone.
  void prepare(bool rows, int32_t index, int32_t size);
  // Records header cell (row, col) getting `size` unless it already has it or lies
  // outside the sheet.
  void setSize(int32_t row, int32_t col, int32_t size);

  bool isEmpty() const override;  // the old map is empty
  void redo() override;           // setInt64 of each new size, notify
  void undo() override;           // each header cell back as it was, notify
  // kind 7, n, 8 zero bytes, mState, the selection (24 bytes), n entries (key 8 bytes,
  // size signed 32-bit).
  std::string serialize() const override;

  SizeMap mNewSizes;
  SizeMap mOldSizes;
  std::unordered_map<uint64_t, Cell> mOldCells;  // the header cells as they were (flag 0xFF)
  TextMap mOldTexts;  // texts of old header cells that held a key (damaged documents only)
};
