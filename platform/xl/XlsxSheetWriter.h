// The XML of one worksheet part, produced piece by piece so that a large
// sheet is never held as one text.
#pragma once
#include <string>
#include <vector>

#include "platform/xl/BookImpl.h"

namespace xl::detail {

class SheetPartWriter {
 public:
  // A part for `sheet`. With `original` (the sheet's part as loaded, with its
  // layout in sheet.layout) only the dimension, the columns and the cells
  // are replaced; without it the part is new.
  SheetPartWriter(const SheetImpl& sheet, const std::string* original);

  // Appends the next piece of the part (some tens of kilobytes) to out;
  // false, appending nothing, once the part is complete.
  bool next(std::string& out);
  // Starts over from the beginning.
  void rewind();

 private:
  void buildHeadAndTail(const std::string* original);
  std::string dimensionXml() const;
  std::string colsXml() const;
  void appendRow(std::string& out, int row, const RowInfo& info);
  void appendCell(std::string& out, int row, const Cell& cell);
  const std::string& colName(int col);

  const SheetImpl& mSheet;
  std::string mPrefix;                             // the element name prefix, "x:" or ""
  std::string mVOpen, mVClose, mIsOpen, mIsClose;  // tags with the prefix
  std::string mHead, mTail;                        // the part before and after the rows
  int mStage = 0;                                  // 0 head, 1 rows, 2 tail, 3 done
  int mNextRow = 0;                                // the next row slot the rows stage looks at
  std::vector<std::string> mColNames;              // "A", "B", ... as far as asked for
};

}  // namespace xl::detail
