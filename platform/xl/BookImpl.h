// The one book class behind both file formats, its sheets and formats.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/xl/SheetData.h"
#include "platform/xl/xl.h"

namespace xl::detail {

enum class FileKind { Xls, Xlsx };

// Thrown by the file readers and writers on damaged input or a failed write;
// Book::load and Book::save turn it into errorMessage().
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FormatImpl final : public Format {
 public:
  FormatImpl(uint32_t xf, int numFmt, bool added = false) : xf(xf), numFmt(numFmt), added(added) {}
  int numFormat() const override { return numFmt; }
  bool setNumFormat(int id) override;

  const uint32_t xf;  // its index among the book's formats
  int numFmt;
  const bool added;  // made by Book::addFormat, not read from the file
};

class BookImpl;

// Where the elements a save replaces lie in a loaded worksheet part, as byte
// ranges [begin, end) of the part; begin == end when the element is absent.
// The rest of the part (views, merges, drawings, page set-up) is kept.
struct XlsxPartLayout {
  bool valid = false;
  std::string prefix;  // of the worksheet's element names, "x:" or ""
  size_t dimensionBegin = 0, dimensionEnd = 0;
  size_t colsBegin = 0, colsEnd = 0;
  size_t sheetDataBegin = 0, sheetDataEnd = 0;
};

class SheetImpl final : public Sheet {
 public:
  SheetImpl(BookImpl& book, std::u16string name) : book(book), name(std::move(name)) {}

  CellType cellType(int row, int col) const override;
  Format* cellFormat(int row, int col) const override;
  double readNum(int row, int col, Format** format) const override;
  const char16_t* readStr(int row, int col, Format** format) const override;
  bool readBool(int row, int col, Format** format) const override;
  ErrorType readError(int row, int col) const override;
  int firstRow() const override { return data.bounds().firstRow; }
  int lastRow() const override { return data.bounds().lastRow; }
  int firstCol() const override { return data.bounds().firstCol; }
  int lastCol() const override { return data.bounds().lastCol; }
  double rowHeight(int row) const override;
  double colWidth(int col) const override;
  bool setRow(int row, double height, Format* format, bool hidden) override;
  bool setCol(int colFirst, int colLast, double width, Format* format, bool hidden) override;
  bool writeNum(int row, int col, double value, Format* format) override;
  bool writeStr(int row, int col, const char16_t* value, Format* format) override;
  bool clear(int rowFirst, int rowLast, int colFirst, int colLast) override;

  // The text of a String cell, wherever it is kept.
  std::u16string_view textOf(const Cell& cell) const;

  BookImpl& book;
  std::u16string name;
  SheetData data;
  // xlsx: the worksheet's part in the loaded package ("" for a sheet added
  // since), and whether the sheet changed since the load, in which case a
  // save writes that part anew.
  std::string part;
  XlsxPartLayout layout;
  bool dirty = true;

 private:
  bool inRange(int row, int col) const;
  uint32_t xfOf(Format* format) const;  // kNoXf unless a format of this book
  Format* formatOf(const Cell* cell) const;
};

// Records of a loaded xls workbook that a re-save writes back as they were:
// each entry is one record, its 2-byte type and 2-byte length included.
struct XlsStyleRecords {
  std::vector<std::string> fonts, formats, xfs, styles, palette;
};

class BookImpl final : public Book {
 public:
  explicit BookImpl(FileKind kind);

  bool load(const char16_t* path, const char16_t* tempFile) override;
  const char* errorMessage() const override { return error.c_str(); }
  int sheetCount() const override { return int(sheets.size()); }
  const char16_t* getSheetName(int index) const override;
  Sheet* getSheet(int index) const override;
  Sheet* addSheet(const char16_t* name, Sheet* initSheet) override;
  Format* addFormat() override;
  bool dateUnpack(double value, int* year, int* month, int* day, int* hour, int* min, int* sec,
                  int* msec) const override;
  bool save(const char16_t* path, bool useTemp) override;
  void release() override { delete this; }

  int maxRows() const { return kind == FileKind::Xls ? 65536 : 1048576; }
  int maxCols() const { return kind == FileKind::Xls ? 256 : 16384; }
  // Makes the book new and empty: no sheets, the default formats.
  void reset();
  // Appends a format as the readers meet them (and the defaults of a new book).
  FormatImpl* addFormat(int numFmt);
  // The formats made by addFormat() since the load: indices firstAdded() on.
  // Every format from that index on is one (addFormat pads first).
  size_t firstAdded() const { return loadedFormats; }
  void clearFormats();
  // Whether a sheet name is well formed and not taken by another sheet.
  bool nameAvailable(const std::u16string& name, const SheetImpl* except) const;

  const FileKind kind;
  std::vector<std::unique_ptr<SheetImpl>> sheets;
  std::vector<std::unique_ptr<FormatImpl>> formats;         // invariant: formats[i]->xf == i
  std::unordered_map<const Format*, uint32_t> formatIndex;  // the same, by address
  std::vector<std::u16string> shared;                       // texts of String cells with aux 1
  bool date1904 = false;
  uint32_t defaultXf = kNoXf;  // what a cell written without a format gets
  // How many formats the file held (or a new book starts with); the ones
  // beyond were added by addFormat().
  size_t loadedFormats = 0;
  std::string error;
  // xlsx: the bytes of the loaded package (empty for a new book).
  std::string package;
  // xls: the style records of the loaded workbook (empty for a new book).
  XlsStyleRecords xlsStyles;

 private:
  ~BookImpl() = default;
};

// The readers fill an empty book or throw FileError; the writers write the
// whole book to `path` (a native path) or throw FileError.
void readXlsx(BookImpl& book, const std::string& path);
void writeXlsx(const BookImpl& book, const std::string& path);
void readXls(BookImpl& book, const std::string& path);
void writeXls(const BookImpl& book, const std::string& path);

}  // namespace xl::detail
