// The cells, row heights and column widths of one worksheet, kept the same way
// for both file formats.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xl::detail {

constexpr uint32_t kNoXf = UINT32_MAX;  // a cell, row or column without a format

// The kinds a cell can hold; the values match xl::CellType.
enum class Kind : uint8_t { Empty = 0, Number = 1, String = 2, Boolean = 3, Blank = 4, Error = 5 };

// One cell, 16 bytes. A String holds `text` (in the sheet's TextArena) when
// `aux` is 0 and `str`, an index of the book's shared texts, when `aux` is 1;
// for a Boolean `aux` is 0 or 1, for an Error it is the error code.
struct Cell {
  uint16_t col = 0;
  Kind kind = Kind::Empty;
  uint8_t aux = 0;
  uint32_t xf = kNoXf;
  union {
    double num;
    uint32_t str;
    const char16_t* text;
  };
  Cell() : num(0) {}
};

// The texts of a sheet's String cells, end to end in large blocks that never
// move: each is its length (two code units, low half first), its code units
// and a NUL, so that a text is one pointer and needs no allocation of its
// own. A text that is replaced stays until the arena is cleared.
class TextArena {
 public:
  const char16_t* add(std::u16string_view s);
  // Room for a text of up to n code units, to be filled and then closed by
  // commit() with the count used; nothing else may be added in between.
  char16_t* reserve(size_t n);
  const char16_t* commit(size_t used);
  void clear();

  static std::u16string_view view(const char16_t* text) {
    return {text, size_t(text[-2]) | size_t(text[-1]) << 16};
  }

 private:
  static constexpr size_t kBlock = size_t(1) << 20;  // code units

  std::vector<std::unique_ptr<char16_t[]>> mBlocks;
  size_t mUsed = 0, mCapacity = 0;  // of the last block
};

struct RowInfo {
  std::vector<Cell> cells;  // invariant: sorted by col, no two with one col
  double height = -1;       // points; below 0: the sheet's default
  uint32_t xf = kNoXf;
  bool hidden = false;
};

struct ColInfo {
  double width = -1;  // characters; below 0: the sheet's default
  uint32_t xf = kNoXf;
  bool hidden = false;
};

// The used area, rows [firstRow, lastRow) and columns [firstCol, lastCol);
// all 0 for a sheet without cells.
struct Bounds {
  int firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
};

class SheetData {
 public:
  // The cell at (row, col), or null. Row and column may be anything.
  const Cell* find(int row, int col) const;
  // The cell at (row, col), made empty-kinded when new; the caller sets it.
  // Row and column must be in range (0 <= row, 0 <= col < 65536).
  Cell& put(int row, int col);
  // Appends (row, col) when it lies after every cell of that row (the fast
  // path of the file readers), else acts as put().
  Cell& putInOrder(int row, int col);
  void clear(int rowFirst, int rowLast, int colFirst, int colLast);

  // Makes the cell a String holding its own copy of text.
  void setText(Cell& cell, std::u16string_view text);
  TextArena& texts() { return mTexts; }
  // A copy of other, with texts of its own.
  void copyFrom(const SheetData& other);

  const Bounds& bounds() const;
  // Makes the cell Empty.
  static void release(Cell& cell) { cell.kind = Kind::Empty; }

  RowInfo* rowInfo(int row);  // null when the row was never touched
  const RowInfo* rowInfo(int row) const;
  RowInfo& touchRow(int row);
  ColInfo* colInfo(int col);
  const ColInfo* colInfo(int col) const;
  ColInfo& touchCol(int col);
  int rowSlots() const { return int(mRows.size()); }
  int colSlots() const { return int(mCols.size()); }

  double defaultHeight = 15;   // points
  double defaultWidth = 8.43;  // characters

 private:
  std::vector<RowInfo> mRows;  // indexed by row; grows to the last touched row
  std::vector<ColInfo> mCols;  // indexed by column
  TextArena mTexts;
  mutable Bounds mBounds;
  mutable bool mBoundsValid = true;
};

}  // namespace xl::detail
