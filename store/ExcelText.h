// What the workbook import, the workbook stream and the worksheet kind of the
// row reader share: books made by the path's type and loaded through the
// scratch path, and the text of a worksheet cell.
#pragma once
#include <string>

#include "platform/xl/xl.h"

// True when the path's last four characters are "xlsx" in any case.
bool isXlsxPath(const std::u16string& path);
// A new, empty book of the path's type (xlsx or else xls); null when none can be made.
xl::Book* createBookForPath(const std::u16string& path);
// Loads the workbook at `path`, with path + ".temp_5546" as the library's scratch file.
// False without opening anything when the path names something else than a regular
// file (a folder, a named pipe, a device); the book then holds no error message.
bool loadBook(xl::Book& book, const std::u16string& path);

// The text of an error code: "#NULL!", "#DIV/0!", ... ; empty for a code outside the table.
std::u16string excelErrorText(int code);

// How a number format shows a number.
enum class NumberStyle { Plain, Percent, Percent2, Date, Time, DateTime };
// The style of a number format identifier: 9 Percent, 10 Percent2, 14-17 Date, 18-21
// and 45-47 Time, 22 DateTime, 177 Time; 176 Date when `custom176IsDate` (the row
// reader's worksheet kind), else Plain like every other identifier.
NumberStyle numberStyle(int numFmt, bool custom176IsDate);

// The text of a number in a non-Plain style: 9 the value times 100 truncated toward
// zero and "%", 10 the value times 100 as "%.2f" and "%", dates year-month-day and
// times hour:minute:second in plain decimal. Any magnitude is written whole: no fixed
// buffer, no 32-bit cut. False (out untouched) for Plain, for a value that is not
// finite and for a date the book cannot unpack (below 0 or after the year 9999); the
// caller then treats the number as plain.
bool styledNumberText(const xl::Book& book, NumberStyle style, double value, std::u16string& out);

// The text of worksheet cell (row, col): a number with a non-Plain format as
// styledNumberText; else the string of a string cell, "%f" of a number, "true" or
// "false", the error's text, and the empty text for every other cell.
std::u16string excelCellText(const xl::Book& book, const xl::Sheet& sheet, int row, int col, bool custom176IsDate);
