// CCellAction (KIND_CELL): every change of cell values made in a grid window: the
// in-place editor's commit (typed values, series, script texts), paste, kind changes,
// the statistics formulas, find and replace. Each changed cell is recorded twice, as it
// will be (new records) and as it was (old records), with the texts those records use;
// the command may also change the sheet's size (a paste beyond the edge).
//
// Invariants:
// - Every record a recorder makes carries flag 0xFF, so a cell edit never changes a
//   cell's flag byte.
// - mNewTexts / mOldTexts hold the bytes (UTF-16LE with the 2-byte NUL) of every
//   non-zero key of a pool-kind cell in mNewRecords / mOldRecords.
// - mResizes is set exactly when the command changes the sheet's size; the size pairs
//   are then the counts before and after (either may be 0, 0), else all four are 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "commands/CellRecord.h"
#include "commands/Command.h"
#include "store/TextMap.h"

class CCellAction : public iCommand {
 public:
  CCellAction(CDataCore* core, const Selection* selection);

  bool isEmpty() const override;  // no new records
  void redo() override;
  void undo() override;
  // kind 1, n, m, 8 zero bytes, the side's size (rows, columns), n cells of 18 bytes,
  // m text-table entries; the side in effect by mState.
  std::string serialize() const override;

  // ---- recorders: each compares with the destination first and skips unchanged cells ----
  // A decimal x, unless the destination already is a decimal equal to x.
  void setNumber(int32_t row, int32_t col, double x);
  // Kind and 8-byte value, unless the destination has exactly them.
  void setValue(int32_t row, int32_t col, uint64_t value, uint8_t kind);
  // A text under `key` with the given kind (kind 0 becomes formula for a leading '='),
  // unless the destination has that kind and that key.
  void setText(int32_t row, int32_t col, uint64_t key, const std::u16string& text, uint8_t kind);
  // The text typed the way a paste types it (integer, decimal, formula or text). A cell
  // beyond the sheet's current size gets no old record: the recorded old size removes it.
  void setFromText(int32_t row, int32_t col, const std::u16string& text);
  // Every cell of the selection (hidden ones included) turned into kind 0 (text) or a
  // script kind 4, 5 or 6.
  void setKind(uint8_t target);
  // The commit of a typed value to the visible selected cells; a series when `series`.
  void fill(const std::u16string& text, bool series);
  // A script text of kind 4, 5 or 6 into every visible selected cell; a series when
  // `series`.
  void fillScript(const std::u16string& text, uint8_t kind, bool series);
  // Writes a clipboard table from the selection's top-left cell, growing the sheet to
  // hold it. A table of one line and one field is repeated into every visible selected
  // cell (a paste never makes a series). `Table` has `lines` (a container), `width` and
  // `nextRow()` returning the next line's fields (the clipboard table).
  template <class Table>
  void paste(Table& table) {
    paste(table.lines.size(), static_cast<size_t>(table.width), [&table] { return table.nextRow(); });
  }
  void paste(size_t lineCount, size_t width, const std::function<std::vector<std::u16string>()>& nextRow);

  // ---- replace (defined with find and replace) ----
  // Replaces the pattern in every cell of the sheet (hidden ones included) and returns
  // the number of matching cells. When the regular expression cannot be compiled or a
  // match exceeds the engine's limits, *error (when given) receives a message for the
  // user, nothing is recorded and 0 is returned.
  int32_t replaceAll(std::u16string pattern, const std::u16string& replacement, bool matchCase, bool wholeCell,
                     bool regex, std::u16string* error = nullptr);
  // The same for the selection's top-left cell only.
  void replaceCurrent(std::u16string pattern, const std::u16string& replacement, bool matchCase, bool wholeCell,
                      bool regex, std::u16string* error = nullptr);

  // ---- payload ----
  int32_t mOldRows = 0;
  int32_t mOldCols = 0;
  int32_t mNewRows = 0;
  int32_t mNewCols = 0;
  bool mResizes = false;
  std::vector<CellRecord> mNewRecords;  // in recording order
  TextMap mNewTexts;
  std::vector<CellRecord> mOldRecords;  // in recording order
  TextMap mOldTexts;
  std::unordered_map<uint64_t, double> mOldFormulaValues;  // computed values of old formula cells

 private:
  // Appends the destination's current content (flag 0xFF) to the old records, keeping
  // its text.
  void saveOld(int32_t row, int32_t col);
  void record(int32_t row, int32_t col, uint8_t kind, uint64_t value);
  void keepValueAt(int32_t row, int32_t col);
};

// Stores the text's bytes in `map` under `key`, or under key + 1, key + 2, ... when the
// key holds different bytes; returns the key used. The empty text returns 0 and stores
// nothing.
uint64_t internActionText(uint64_t key, const std::u16string& text, TextMap& map);
