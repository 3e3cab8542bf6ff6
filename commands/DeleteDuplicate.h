// CDeleteDuplicate (KIND_DELETE_DUPLICATE): removes the rows of the selected block whose
// key repeats the key of an earlier row. The key is the display texts of the chosen
// columns, compared field by field (so "a,b" + "c" and "a" + "b,c" differ), with 'A'..'Z'
// folded unless matching case. The first row with a key is the one kept.
//
// Rows mode: duplicate rows leave the sheet and the rows below move up. Cells mode:
// within the block's columns the kept rows' cells move up and the freed cells at the
// bottom become empty; other columns stay.
//
// Invariants (rows mode): while applied, mRemovedRows holds the storage of the removed
// rows, one per entry of mDuplicateRows, with their cells as they were; the pool
// references of those cells have been released and mSavedTexts holds the bytes of
// every key they use. While undone (or before the first run) mRemovedRows is empty.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "commands/CellRecord.h"
#include "commands/Command.h"

class CDeleteDuplicate : public iCommand {
 public:
  CDeleteDuplicate(CDataCore* core, const Selection* selection);
  ~CDeleteDuplicate() override;

  bool isEmpty() const override;  // no duplicate rows (rows mode), no changed cell (cells mode)
  void redo() override;
  void undo() override;
  // serialize: none (the base's empty record).

  // Finds the duplicates and prepares the change; returns (duplicates, rows kept) of the
  // rows compared.
  std::pair<int32_t, int32_t> prepare(bool expand, bool hasHeader, bool matchCase,
                                      const std::vector<int32_t>& columns);
  // Cells mode: records that (row, col) receives `source`, the cell of row `sourceRow`
  // in the same column (0: an emptied cell), unless it already holds it. The computed
  // values of formula cells travel with them.
  void moveCell(int32_t row, int32_t col, const Cell& source, int32_t sourceRow = 0);

  std::vector<int32_t> mDuplicateRows;  // rows mode: ascending; empty in cells mode
  std::vector<CellRecord> mNewCells;    // cells mode: what each changed cell receives
  std::vector<CellRecord> mOldCells;    // cells mode: what each changed cell held
  TextMap mNewTexts;
  TextMap mOldTexts;
  std::unordered_map<uint64_t, double> mNewValues;  // cells mode: computed values, by cell
  std::unordered_map<uint64_t, double> mOldValues;  // cells mode, and rows mode while applied

  // One text of the removed rows: its key, how many of their cells hold it, its bytes.
  struct SavedText {
    uint64_t key;
    uint64_t refs;
    uint64_t count;  // the pool's count when it was saved
    size_t offset;   // into the shard's bytes
    size_t len;
  };
  struct TextShard {
    std::vector<SavedText> texts;
    std::string bytes;
  };

 private:
  void removeRows();
  void restoreRows();
  void releaseTexts();
  void reinternTexts();

  std::vector<Cell*> mRemovedRows;
  std::vector<TextShard> mSavedTexts;
  // While applied: (filter column key, row) for each removed row a filter column hid.
  std::vector<std::pair<uint64_t, int32_t>> mFilterRows;
};

// Rows first..last (ascending) whose key over `columns` repeats an earlier row's, as
// CDeleteDuplicate finds them; several threads hash and compare.
std::vector<int32_t> findDuplicateRows(const CDataCore& core, int32_t first, int32_t last,
                                       const std::vector<int32_t>& columns, bool matchCase);
