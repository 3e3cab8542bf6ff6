// CDataCore: the sheet of one document. A grid of 10-byte typed cells held row by row
// (each row one malloc'd block of exactly mColCount cells), the document head, the
// string pool holding every text, the computed values of formula cells, 24 callback
// slots (slot 3: progress), the filter state and the open and save encodings.
//
// Data members are public: the edit commands, readers, writers and the grid reach them
// directly. Invariants:
// - mDatas holds exactly mRowCount rows (null when there are none); every row holds
//   exactly mColCount cells.
// - Every non-zero key in a cell of a pool kind (isPoolKind) and in a text attribute slot
//   (isTextAttr) owns one pool reference; mPoolBytes is the exact sum of the pool's
//   accounted entry sizes.
// - mFormulaValues is keyed by cell position; writing or clearing a formula cell drops
//   its entry; operations that move cells without writing them leave entries in place.
//
// Rows and columns are signed 32-bit. Every cell operation checks its position first:
// each coordinate is sign-extended and compared unsigned with the counts, so negative
// positions are outside. Outside the sheet readers give the empty text, 0 or the empty
// cell, and writers do nothing.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/Cell.h"
#include "store/DataIntf.h"
#include "store/Encoding.h"
#include "store/FilterState.h"
#include "store/IoOptions.h"
#include "store/Range.h"
#include "store/StringPool.h"
#include "store/TextMap.h"
#include "store/ValueHandler.h"

// Callback (sender, value). Slot 3 is the progress callback: (the sheet's address, percent).
using ProgressFn = std::function<void(uint64_t, int64_t)>;
constexpr int CALLBACK_SLOTS = 24;
constexpr int CALLBACK_MESSAGE = 0;  // (title, text) as addresses of wide C strings
constexpr int CALLBACK_PROGRESS = 3;

// Saved rows by the row number they must have afterwards (restoreRows).
using RowMap = std::map<int32_t, Cell*>;

class CDataCore : public DataIntf, public DocHeader {
 public:
  CDataCore();
  ~CDataCore();  // not virtual
  CDataCore(const CDataCore&) = delete;
  CDataCore& operator=(const CDataCore&) = delete;

  // ---- the change gate ----
  // Every operation of this class that changes the sheet (cells, rows, columns, text
  // attributes, computed formula values, the filter, whole reads and appends, the
  // document save that stores the filter) calls this first. Edit commands reach the
  // cells directly: the grid points the command manager's before-change hook here, so
  // a command, an undo and a redo pass it too. It calls mBeforeChange, which the grid
  // sets to stop and join its selection-statistics worker (that worker reads the sheet
  // without locks). UI thread only.
  void beforeChange() {
    if (mBeforeChange) mBeforeChange();
  }

  // ---- the cell interface ----
  std::u16string getText(int32_t row, int32_t col) const override;
  int64_t getInt64(int32_t row, int32_t col) const override;
  double getDouble(int32_t row, int32_t col) const override;
  void setDouble(int32_t row, int32_t col, double value) override;
  void setInt64(int32_t row, int32_t col, int64_t value) override;
  // Kind 8 when the text begins with '=', else kind 0; the empty text empties the value.
  void setText(int32_t row, int32_t col, const std::u16string& text) override;

  // Appends getText(row, col) to `out` without a temporary string (the writers' path).
  void appendText(int32_t row, int32_t col, std::u16string& out) const;
  // The text getText gives for a cell of this sheet, without a temporary string, for
  // readers of whole blocks of cells (sort, delete duplicates, replace; also from several
  // threads at once, as they only read the sheet and its pool): a view into the pool for
  // the text kinds, else a view of `scratch`, which receives the number or date-time text.
  std::u16string_view cellTextView(const Cell& cell, std::u16string& scratch) const;

  // ---- typed writes and reads ----
  // The cell typed by its text: '=' first gives a formula, numberKind 1 an integer
  // (_wtoi64), 2 a double (wcstod), 0 a text. The flag stays. Null does nothing.
  void setTextTyped(int32_t row, int32_t col, const char16_t* text);
  // The value setTextTyped gives a text without a NUL (kind and value; flag 0), its
  // text's reference already taken: for a cell that holds nothing yet.
  Cell typedCell(std::u16string_view text);
  // Stores the text in attribute slot `index` (releasing the old key) and returns its key.
  uint64_t setAttrText(int32_t index, const std::u16string& text);
  // The text shown for the value: a computed formula value, else getText.
  std::u16string valueText(int32_t row, int32_t col) const;
  // Formula painting text: the computed value (computed = true) or the formula text.
  std::u16string formulaText(int32_t row, int32_t col, bool& computed) const;
  // The computed value of a formula cell, 0 when there is none.
  double formulaValue(int32_t row, int32_t col) const;
  // Keeps `value` as the computed value of cell (row, col); nothing outside the sheet.
  void setFormulaValue(int32_t row, int32_t col, double value);
  // The numeric value for sums and workbook export.
  double getNumber(int32_t row, int32_t col) const;
  // Empties the cell, flag included.
  void clearCell(int32_t row, int32_t col);
  // Address of the cell, or of mEmptyCell outside the sheet.
  Cell* cellAt(int32_t row, int32_t col);
  const Cell* cellAt(int32_t row, int32_t col) const;
  bool inSheet(int32_t row, int32_t col) const {
    return static_cast<uint64_t>(static_cast<int64_t>(row)) < mRowCount &&
           static_cast<uint64_t>(static_cast<int64_t>(col)) < mColCount;
  }

  // Writes a saved cell back (undo/redo of edit commands): the old value is released,
  // kind, value and flag copied (flag 0xFF keeps the destination's), and a pool-kind key
  // re-interned from `texts` (a key missing there cannot own a reference: the cell is left
  // empty). Nothing when outside or when `saved` is the cell itself.
  void restoreCell(int32_t row, int32_t col, const Cell& saved, const TextMap& texts);
  // The same with another sheet's pool as the text source (that pool is not changed).
  // Both take the new reference before the old value is released: the counts stay
  // exact with this sheet's own pool as the source, and a failed intern (out of memory)
  // leaves the cell as it was.
  void copyCell(int32_t row, int32_t col, const Cell& cell, const StringPool& otherPool);

  // True when mColCount <= 1 or every cell of row 1 from column 1 on is all zero.
  bool isHeaderEmpty() const;
  // True when every cell (row, col), first <= row <= last, is all zero. Not checked
  // against the counts.
  bool isColumnEmpty(int32_t col, int32_t first, int32_t last) const;
  // The range as clipboard text: visible rows and columns, fields quoted (',', TAB, CR,
  // LF, leading '"') and TAB-separated, lines LF-separated without a final LF.
  std::u16string copyText(const Range& range) const;
  // Empties the sheet: rows freed, head zeroed, pool emptied, filter columns dropped
  // (its range kept). Formula values, callbacks and encodings are kept.
  void clear();

  // ---- string pool ----
  // Stores or counts a text; returns the key to store (0 for the empty text).
  uint64_t intern(uint64_t key, std::u16string_view text);
  uint64_t internBytes(uint64_t key, std::string_view bytes);
  // The entry's text up to its first NUL; empty when absent (key 0 included).
  std::u16string poolText(uint64_t key) const;
  // The same text as a view into the pool, valid until the pool changes.
  std::u16string_view poolTextView(uint64_t key) const;
  // Address of the entry's first stored byte or null (valid until the pool changes).
  const char* poolFind(uint64_t key) const;
  // The entry's bytes without the count; empty when absent.
  std::string poolBytes(uint64_t key) const;
  // Drops one reference; an absent key (0 included) does nothing.
  void release(uint64_t key);
  // Installs the progress callback in slot 3.
  void setProgress(ProgressFn fn);
  // Calls slot 3 with ((uint64_t)this, percent) when it is set.
  void reportProgress(int64_t percent);

  // ---- filter state ----
  // Empties mFilter's columns and, when attribute slot 6 holds a key, deserialises that
  // entry's bytes into mFilter (range included); without one the range is kept.
  void loadFilter();

  // ---- structure changes (DataCoreShape.cpp) ----
  // Allocation failures throw std::string ("CDataGrid::<op>: row-<n>,len-<bytes> memery
  // malloc error!") for one row and const char* for the row array; the sheet is then left
  // as it was before the call (resize may have dropped shrunk columns first).
  // Sets the size (counts include row 0 and column 0). Negative counts do nothing.
  void resize(int32_t rows, int32_t cols);
  // First rows and columns of a sheet without rows.
  void createData(int32_t rows, int32_t cols);
  // Inserts `count` empty rows before `position` (limited to mRowCount).
  void insertRow(int32_t position, int32_t count);
  // Inserts one empty row at each listed final row number (distinct, each below the new
  // row count). False (nothing changed) when the list breaks that rule.
  bool insertRow1(const std::vector<int32_t>& rows);
  // Inserts `count` empty columns before min(position, mColCount); returns mColCount.
  int32_t insertCol(int32_t position, int32_t count);
  // Deletes columns first..last (nothing when last >= mColCount or first > last).
  void deleteCols(int32_t first, int32_t last);
  // Takes the visible rows among first..last out of the sheet without freeing them (the
  // caller holds them). Returns how many were taken out.
  int32_t removeVisibleRows(int32_t first, int32_t last);
  // Puts saved rows back at their row numbers and takes ownership of them. False (nothing
  // changed, ownership stays with the caller) when the numbers are not all below
  // mRowCount + n.
  bool restoreRows(const RowMap& saved);
  // Reorders rows top..top+n-1 (n = order.size()). Forward: row top+i receives old row
  // order[i]; backward undoes that. left 0 moves whole rows, else only columns
  // left..right. False (nothing changed) when the bottom is not a row of the sheet or
  // `order` is not a permutation of the block's rows.
  bool permuteRows(const Range& range, const std::vector<int32_t>& order, bool forward);

  // ---- delimited text (defined with the readers and writers) ----
  bool readDelimited(const std::u16string& path, char delimiter);
  bool readPage(const std::u16string& path, char delimiter, bool keepHeader, int32_t firstRow, int32_t rowCount,
                uint64_t& pageStart, uint64_t& pageEnd);
  bool appendFile(const std::u16string& path, int32_t progressFrom, int32_t progressTo);
  bool writeDelimited(const std::u16string& path, char delimiter, bool all);
  bool writePage(const std::u16string& path, char delimiter, bool fromRow1, uint64_t pageStart, uint64_t pageEnd);
  bool writeRows(const std::u16string& path, int32_t firstRow, int32_t endRow, int32_t progressFrom,
                 int32_t progressTo, char delimiter, bool withHeader);
  size_t writeBom(FILE* f);
  std::string encodeChar(char c);
  std::string encodeCell(int32_t row, int32_t col);
  std::string rowToCsvLine(int32_t row);

  // ---- tools across tables (DataCoreTools.cpp) ----
  // Each may throw as resize does; the tables read may be this very sheet.
  // The look-up copy, on the write table: grown to the data table's rows when shorter;
  // every data row i takes the cells (r, returnCol + k), k < count, of the return table
  // into (i, writeCol + k), r being the smallest area row whose text equals the data
  // text (exact code units); a text not found empties those cells. A source outside the
  // return table is an empty cell; write columns beyond this sheet are not written, nor
  // rows below the data table's last.
  void findMatch(int32_t writeCol, const CDataCore& returnTable, int32_t returnCol, const CDataCore& dataTable,
                 int32_t dataCol, const CDataCore& areaTable, int32_t areaCol, int32_t count);
  // The result table of the two-table tools: the rows of `source`, in order, whose key
  // does not occur (dedupe) or does occur (duplicates) among the keys of `lookup`'s rows.
  // A key is the texts of columns col1, col2, col3 (0: not used) kept apart, so no two
  // different tuples give one key; a row whose key is the empty text of col1 alone is in
  // neither result. Rows are copied whole from column 0 on; row 0 is not copied.
  void twoTableDedupe(const CDataCore& source, const CDataCore& lookup, int32_t col1, int32_t col2, int32_t col3);
  void twoTableDuplicates(const CDataCore& source, const CDataCore& lookup, int32_t col1, int32_t col2,
                          int32_t col3);

  // ---- the document file (DocumentFile.cpp) ----
  // Saves the sheet as a ".mvt" document; all = false keeps only the shown rows and the
  // texts they use. True when the whole file was written.
  bool write(const std::u16string& path, bool all);
  // Opens a ".mvt" document into the sheet (both encodings become ANSI). A file that is
  // damaged or ends early gives false and leaves the sheet empty.
  bool read(const std::u16string& path);
  // Appends the rows of a ".mvt" document to the sheet, progress from..to.
  bool appendMvt(const std::u16string& path, int32_t progressFrom, int32_t progressTo);

  // ---- self-checks ----
  // The sheet measured against its invariants: counts against the row array, every pool
  // count equal to the references the cells and the text attribute slots hold (held
  // commands keep texts, never references), mPoolBytes equal to the entries' sum, the
  // pool's own storage sound (StringPool::structureCheck), and filter columns filed
  // under their keys. The empty text when sound, else one line per fault
  // (the first few). Formula values are not checked: cells move without them by design.
  std::string integrityCheck() const;
  // Debug builds: aborts with the faults of integrityCheck() when there are any, naming
  // the operation just done. Release builds: nothing.
  void checkInDebug(const char* after) const;
  // checkInDebug when the scope is left by a return (the readers' many exits); not
  // while an exception leaves it.
  struct CheckOnExit {
    const CDataCore& core;
    const char* after;
    ~CheckOnExit() {
      if (std::uncaught_exceptions() == 0) core.checkInDebug(after);
    }
  };

  // ---- settings of the readers and writers ----
  // The options one read or write of this sheet starts with: mIoTuning with the menu's
  // settings as they are now (its own quoteDetect is not used).
  IoOptions ioOptions() const { return IoOptions::current(mIoTuning); }

  // ---- data (the document's record, in order) ----
  ValueHandler* mHandler = nullptr;  // never installed in this program
  Cell** mDatas = nullptr;
  Cell mEmptyCell{};  // all zero; returned for positions outside the sheet
  std::u16string mHandlerName;
  StringPool mPool;
  std::unordered_map<uint64_t, double> mFormulaValues;  // cellPos -> computed value
  std::array<ProgressFn, CALLBACK_SLOTS> mCallbacks;
  FilterState mFilter;
  int32_t mOpenEncoding = ENC_ANSI;
  int32_t mSaveEncoding = ENC_ANSI;
  IoOptions mIoTuning;                  // how this sheet's reads and writes are tuned (see ioOptions)
  IoResult mLastIo;                     // what the last read of text did (a whole file, a page, an append)
  std::function<void()> mBeforeChange;  // called by beforeChange(); not part of the record

 private:
  void twoTableCopy(const CDataCore& source, const CDataCore& lookup, int32_t col1, int32_t col2, int32_t col3,
                    bool present);
  void releaseValue(Cell& cell, int32_t row, int32_t col);
  void appendCellText(const Cell& cell, std::u16string& out) const;
  void restoreFrom(int32_t row, int32_t col, const Cell& saved, bool releaseOld,
                   const std::function<std::string_view(uint64_t)>& bytesOf);
  void freeAllRows();
  void clearRowCells(int64_t row, int64_t firstCol, int64_t endCol);
  void remapFilterAfterInsert(const std::vector<int32_t>& sortedPositions);
};
