// CResizeAction (KIND_RESIZE): sets the sheet's size. The builder fills the old size
// (the sheet's current counts) and the new size. A shrink keeps the cells it cuts off
// (header cells included) so that undo brings the sheet back exactly.
#pragma once
#include <cstdint>

#include "commands/Command.h"
#include "commands/SavedCells.h"

class CResizeAction : public iCommand {
 public:
  CResizeAction(CDataCore* core, const Selection* selection);

  bool isEmpty() const override;  // old size equals new size
  void redo() override;           // resize to the new size, then notify
  void undo() override;           // resize to the old size, the cut cells back, notify
  // kind 0, mState, the size in effect (rows, columns), 8 zero bytes: 32 bytes.
  std::string serialize() const override;

  int32_t mOldRows = 0;
  int32_t mOldCols = 0;
  int32_t mNewRows = 0;
  int32_t mNewCols = 0;
  SavedCells mCut;  // the non-empty cells the last redo cut off
};
