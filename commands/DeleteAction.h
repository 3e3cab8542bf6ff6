// CDeleteAction: KIND_DELETE removes the selected rows, columns or cell contents;
// KIND_CLEAR empties the visible selected cells in place. The constructor sets
// KIND_DELETE; the builder of a clear sets mKind to KIND_CLEAR before prepare().
//
// What each form keeps, so that undo gives back exactly what redo took:
// - clear: the visible non-empty cells of the range (flag 0xFF: flags never change);
// - delete cells: every non-empty cell of the range, hidden ones included, with its
//   own flag byte;
// - delete whole columns: every non-empty cell of those columns, header cells (widths,
//   hidden flags) included;
// - delete whole rows: the visible rows' storage itself, taken out of the sheet
//   (mSavedRows) while the command is applied;
// - delete the whole sheet: the whole row array, taken out of the sheet while applied.
// Rows taken out give up their pool references while out of the sheet (their texts are
// kept by the command and interned again on undo), so the pool holds exactly what the
// sheet's cells use, and freeing held rows never touches the sheet.
// The computed values of the formula cells removed are kept alongside, and so is the
// filter state before a structural delete: undo gives back the row sets of a deleted
// filtered column and of rows the filter lists although the user showed them again.
#pragma once
#include <cstdint>
#include <unordered_map>

#include "commands/Command.h"
#include "commands/SavedCells.h"

class CDeleteAction : public iCommand {
 public:
  CDeleteAction(CDataCore* core, const Selection* selection);
  ~CDeleteAction() override;

  // Saves what redo removes (see above). The whole sheet selected: the sheet's counts go
  // into the selection's bottom and right.
  void prepare();

  bool isEmpty() const override;  // never
  void redo() override;
  void undo() override;
  // kind, n saved cells, m saved texts, mState, the selection (24 bytes); then, only
  // while undone, the n cells (18 bytes each) and the m text-table entries.
  std::string serialize() const override;

  SavedCells mSaved;
  RowMap mSavedRows;       // whole rows: the rows taken out, by row number (owned while held)
  TextMap mRowTexts;       // the texts of the rows held
  uint64_t mRowWidth = 0;  // cells per held row

 private:
  enum Shape { CELLS, ROWS, COLUMNS, SHEET };
  Shape shape() const;
  void redoDelete();
  void undoDelete();
  void undoShape();
  void takeSheet();
  void giveSheet();

  int32_t mFirstCol = 0;  // whole columns: the columns deleted, limited to the sheet
  int32_t mLastCol = -1;
  Cell** mSheetRows = nullptr;  // whole sheet: the row array taken (owned while held)
  uint64_t mSheetRowCount = 0;
  uint64_t mSheetColCount = 0;
  TextMap mSheetTexts;
  std::unordered_map<uint64_t, double> mSheetFormulaValues;
  FilterState mFilterBefore;  // rows, columns, sheet: the filter state redo started from
};
