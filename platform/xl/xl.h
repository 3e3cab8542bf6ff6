// The workbook library: xls (BIFF8) and xlsx books behind one interface.
//
// A book is created by type (xlCreateBookW for xls, xlCreateXMLBookW for
// xlsx), filled by load() or by addSheet() and writes, saved with save() and
// destroyed with release(). Rows and columns count from 0; every text is
// UTF-16. A book and its sheets and formats belong to one thread at a time.
//
// Pointers handed out (sheets, formats, texts) stay valid until the book is
// released or loaded again; a text returned by readStr also ends when that
// cell is written or cleared.
#pragma once

namespace xl {

enum CellType {
  CELLTYPE_EMPTY = 0,    // no cell at all
  CELLTYPE_NUMBER = 1,   // a number (dates are numbers with a date format)
  CELLTYPE_STRING = 2,   // a text
  CELLTYPE_BOOLEAN = 3,  // true or false
  CELLTYPE_BLANK = 4,    // a cell with a format and no value
  CELLTYPE_ERROR = 5     // an error value, see ErrorType
};

// The error values cells can hold; the codes are those of the file formats.
enum ErrorType {
  ERRORTYPE_NULL = 0x00,
  ERRORTYPE_DIV_0 = 0x07,
  ERRORTYPE_VALUE = 0x0F,
  ERRORTYPE_REF = 0x17,
  ERRORTYPE_NAME = 0x1D,
  ERRORTYPE_NUM = 0x24,
  ERRORTYPE_NA = 0x2A,
  ERRORTYPE_NOERROR = 0xFF  // the cell holds no error
};

// A cell format of a book (an XF of the file).
class Format {
 public:
  // The number format identifier: the built-in ones (0-49; 9 and 10 percent,
  // 14-17 date, 18-21 and 45-47 time, 22 date and time) or a custom one
  // (164 and up) exactly as the file numbers it.
  virtual int numFormat() const = 0;
  // Gives a format made by Book::addFormat a built-in number format (0-49).
  // False, nothing changed, for any other identifier and for a format read
  // from the file, which keeps its number format.
  virtual bool setNumFormat(int id) = 0;

 protected:
  ~Format() = default;
};

class Sheet {
 public:
  virtual CellType cellType(int row, int col) const = 0;
  // The cell's format; null when there is no cell or the cell has none.
  virtual Format* cellFormat(int row, int col) const = 0;
  // The number of a number cell (0 for any other cell).
  virtual double readNum(int row, int col, Format** format = nullptr) const = 0;
  // The text of a string cell; null for any other cell.
  virtual const char16_t* readStr(int row, int col, Format** format = nullptr) const = 0;
  virtual bool readBool(int row, int col, Format** format = nullptr) const = 0;
  // The error of an error cell; ERRORTYPE_NOERROR for any other cell.
  virtual ErrorType readError(int row, int col) const = 0;

  // The used area: rows firstRow() to lastRow() - 1 and columns firstCol() to
  // lastCol() - 1 hold every cell (blank ones included). An empty sheet has
  // all four 0.
  virtual int firstRow() const = 0;
  virtual int lastRow() const = 0;
  virtual int firstCol() const = 0;
  virtual int lastCol() const = 0;

  // Row height in points and column width in characters of the default
  // font; rows and columns without their own size give the sheet's default.
  // Setting fails for a negative size or a row or column outside the limits;
  // a size beyond the format's largest (409.5 points, 255 characters) is cut
  // to it.
  virtual double rowHeight(int row) const = 0;
  virtual double colWidth(int col) const = 0;
  virtual bool setRow(int row, double height, Format* format = nullptr, bool hidden = false) = 0;
  // Columns colFirst to colLast inclusive.
  virtual bool setCol(int colFirst, int colLast, double width, Format* format = nullptr, bool hidden = false) = 0;

  // Writes replace the cell. They fail (false, nothing written) outside the
  // format's limits (xls 65,536 x 256, xlsx 1,048,576 x 16,384), for a number
  // that is not finite, and for an xls text longer than 32,767 characters.
  virtual bool writeNum(int row, int col, double value, Format* format = nullptr) = 0;
  virtual bool writeStr(int row, int col, const char16_t* value, Format* format = nullptr) = 0;
  // Removes the cells of rows rowFirst..rowLast and columns colFirst..colLast
  // (inclusive); row heights and column widths stay.
  virtual bool clear(int rowFirst, int rowLast, int colFirst, int colLast) = 0;

 protected:
  ~Sheet() = default;
};

class Book {
 public:
  // Replaces the book's content by the file at `path`. `tempFile` names a
  // scratch file the library may use; this one needs none and leaves it
  // alone. A failed load leaves the book empty and errorMessage() telling
  // why; a damaged file never crashes.
  virtual bool load(const char16_t* path, const char16_t* tempFile = nullptr) = 0;
  // The message of the last failed operation ("" when none failed).
  virtual const char* errorMessage() const = 0;
  virtual int sheetCount() const = 0;
  virtual const char16_t* getSheetName(int index) const = 0;
  virtual Sheet* getSheet(int index) const = 0;
  // Appends a worksheet, a copy of initSheet (of this book) when given.
  // Null when the name is empty, longer than 31 characters, holds one of
  // : \ / ? * [ ] or is already taken (case-insensitively).
  virtual Sheet* addSheet(const char16_t* name, Sheet* initSheet = nullptr) = 0;
  // A new cell format of the book's default font, fill and border with the
  // General number format (0), for setNumFormat; null when the book holds
  // as many formats as the file can take. A save writes it into the file's
  // styles (a loaded book's own formats stay as they were).
  virtual Format* addFormat() = 0;
  // Splits a date serial of this book's date system (1900, with its phantom
  // 29 February 1900 at serial 60, or 1904) into its parts; parts passed as
  // null are skipped. False for a value below 0 or after the year 9999.
  virtual bool dateUnpack(double value, int* year, int* month, int* day, int* hour = nullptr, int* min = nullptr,
                          int* sec = nullptr, int* msec = nullptr) const = 0;
  // Writes the book to `path`. The file is always written beside the target
  // and renamed over it, so a failed save leaves the old file whole;
  // `useTemp` is accepted for that reason and has no further effect.
  virtual bool save(const char16_t* path, bool useTemp = false) = 0;
  virtual void release() = 0;

 protected:
  ~Book() = default;
};

}  // namespace xl

// New, empty books; null when one cannot be made.
xl::Book* xlCreateBookW();
xl::Book* xlCreateXMLBookW();
