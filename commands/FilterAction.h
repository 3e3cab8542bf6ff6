// CFilterAction (KIND_FILTER): changes a sheet's column filter. It holds the filter
// state before and after and moves the sheet between them: the sheet's FilterState is
// replaced and the hidden flags of the row-header cells follow the states' hidden rows.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "commands/Command.h"
#include "commands/FilterValue.h"
#include "store/FilterState.h"

class CFilterAction : public iCommand {
 public:
  CFilterAction(CDataCore* core, const Selection* selection);

  bool isEmpty() const override;  // the new state equals the old
  void redo() override;
  void undo() override;
  // kind 9 (uint64), mState (uint64), then the state in effect as FilterState bytes.
  std::string serialize() const override;

  // Switching the filter on over the selection (every column holding data there gets
  // an entry hiding nothing), or off when a filter is active.
  void prepareToggle();
  // Filtering the column of header cell `key` by the ticked values: a row below the
  // filter's header row stays shown when its cell's exact number is in `numbers`
  // (integers, decimals, date-times) or its key is in `keys` (every other cell; the empty
  // cell is key 0), told apart as the filter popup tells them (FilterValue.h).
  // Rows hidden by another column's condition or by the user are not examined; the rows
  // this column hid are examined again. Preparing changes nothing in the sheet. A key
  // the filter does not hold gives an empty command and a message through the sheet's
  // message slot.
  void prepareValues(uint64_t key, const FilterNumbers& numbers, const std::set<uint64_t>& keys);

  FilterState mNewState;
  FilterState mOldState;
  // While applied: the row-header flags, before the run, of the rows either state hides.
  std::vector<std::pair<int32_t, uint8_t>> mFlagsBefore;

 private:
  // The sheet takes `to`; the rows `from` hid are shown, then the rows `to` hides hidden.
  void apply(const FilterState& from, const FilterState& to);
};
