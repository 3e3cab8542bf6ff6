// CInsertAction (KIND_INSERT): inserts empty rows above the selection's top row, or
// (whole columns selected) empty columns left of its left column.
#pragma once
#include <cstdint>

#include "commands/Command.h"

class CInsertAction : public iCommand {
 public:
  CInsertAction(CDataCore* core, const Selection* selection);

  bool isEmpty() const override;  // count 0, or the whole sheet selected
  void redo() override;           // insertRow(top, count) or insertCol(left, count), notify
  void undo() override;           // removes the inserted rows or columns again, notify
  // kind 4, mState, 16 zero bytes, the selection (24 bytes), the count: 60 bytes.
  std::string serialize() const override;

  int32_t mCount = 0;  // rows or columns to insert; filled by the builder

 private:
  bool insertsRows() const { return mSelection.range.top != 0; }
  void removeRows(int32_t first, int32_t count);
  int32_t mPosition = -1;  // where the last redo inserted (limited to the count)
};
