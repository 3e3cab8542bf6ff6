// CSortAction (KIND_SORT): sorts a block of rows by one key column and keeps the row
// order it produced, so that undo puts every row back. Whole rows move (row headers,
// hence heights and hidden flags, with them) or only the cells of the block's columns.
//
// Order: numbers (integers as doubles, decimals), then the NaN decimals as a group of
// their own, then texts (code unit by code unit), then empty key cells; descending:
// texts, numbers, NaN, empty. Equal keys keep their row order in both directions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "commands/Command.h"

class CSortAction : public iCommand {
 public:
  CSortAction(CDataCore* core, const Selection* selection);

  bool isEmpty() const override;  // no permutation
  void redo() override;
  void undo() override;
  // kind 8, n (int64), the Range, one byte mState, n row numbers (int32): 33 + 4n bytes.
  std::string serialize() const override;

  // Works out the block from the selection (trimming empty rows at both ends, skipping
  // a header row, trimming empty columns at the right when not expanding) and the order
  // of its rows. Leaves the command empty when there is nothing to sort.
  void prepare(bool ascending, bool expand);

  Range mRange;                 // rows top..bottom; left = right = 0 when whole rows move
  std::vector<int32_t> mOrder;  // entry k: the row whose content moves to row top + k
};

// The sort order of rows first..last (ascending first row numbers) by the cells of
// column `key`, as CSortAction orders them. Several threads extract the keys and sort.
std::vector<int32_t> sortedRowOrder(const CDataCore& core, int32_t first, int32_t last, int32_t key,
                                    bool ascending);
