// CVisibleAction (KIND_VISIBLE): hides or shows the selected whole rows or columns by
// the flag byte of their header cells. Only header cells whose flag changes are kept.
#pragma once
#include <cstdint>
#include <unordered_map>

#include "commands/Command.h"

// Header-cell key (cellPos of (0, c) or (r, 0)) -> flag byte.
using FlagMap = std::unordered_map<uint64_t, uint8_t>;

class CVisibleAction : public iCommand {
 public:
  CVisibleAction(CDataCore* core, const Selection* selection);

  // Records the selected whole columns (or whole rows) whose hidden flag differs from
  // the target (0 show, 1 hide); header cells beyond the sheet are not recorded. Cells
  // or the whole sheet selected: nothing.
  void prepare(bool show);

  bool isEmpty() const override;  // the new map is empty
  void redo() override;
  void undo() override;
  // kind 2, n, 16 zero bytes, n entries of (key 8 bytes, flag 1 byte).
  std::string serialize() const override;

  FlagMap mNewFlags;
  FlagMap mOldFlags;

 private:
  void apply(const FlagMap& flags);
};
