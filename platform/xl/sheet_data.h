// The cells, row heights and column widths of one worksheet, kept the same way
// for both file formats.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace xl::detail {

constexpr uint32_t kNoXf = UINT32_MAX;  // a cell, row or column without a format

// The kinds a cell can hold; the values match xl::CellType.
enum class Kind : uint8_t { Empty = 0, Number = 1, String = 2, Boolean = 3, Blank = 4, Error = 5 };

// One cell, 16 bytes. For a String, `str` indexes the sheet's own texts when
// `aux` is 0 and the book's shared texts when `aux` is 1; for a Boolean `aux`
// is 0 or 1, for an Error it is the error code.
struct Cell {
  uint16_t col = 0;
  Kind kind = Kind::Empty;
  uint8_t aux = 0;
  uint32_t xf = kNoXf;
  union {
    double num;
    uint32_t str;
  };
  Cell() : num(0) {}
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

  // Texts of String cells with aux 0. setText reuses the slot of a cell
  // that already holds one of the sheet's own texts.
  void setText(Cell& cell, std::u16string text);
  const std::u16string& text(uint32_t index) const { return texts_[index]; }

  const Bounds& bounds() const;
  // Makes the cell Empty, freeing its own text slot, if any.
  void release(Cell& cell);

  RowInfo* rowInfo(int row);  // null when the row was never touched
  const RowInfo* rowInfo(int row) const;
  RowInfo& touchRow(int row);
  ColInfo* colInfo(int col);
  const ColInfo* colInfo(int col) const;
  ColInfo& touchCol(int col);
  int rowSlots() const { return int(rows_.size()); }
  int colSlots() const { return int(cols_.size()); }

  double defaultHeight = 15;    // points
  double defaultWidth = 8.43;   // characters

 private:
  std::vector<RowInfo> rows_;  // indexed by row; grows to the last touched row
  std::vector<ColInfo> cols_;  // indexed by column
  std::vector<std::u16string> texts_;
  std::vector<uint32_t> freeTexts_;  // slots of texts_ no cell refers to
  mutable Bounds bounds_;
  mutable bool boundsValid_ = true;
};

}  // namespace xl::detail
