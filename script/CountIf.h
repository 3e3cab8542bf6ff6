// COUNTIF over a sheet: how many cells of a range show exactly the criterion's text.
#pragma once
#include <string>

class DataIntf;

// range: two corners joined by one separator character ("A1:B9"; letters, then digits;
// corners in any order, letters in either case). A single corner ("A1") counts that
// cell; a corner of letters without digits stands for rows 1 to the last row ("A:A"), one
// without letters for column 0 ("1:3" is rows 1 to 3 of column 0). criterion:
// letters directly followed by a digit name a cell whose text is the criterion (outside
// the sheet: the empty text); anything else is the criterion text itself (ANSI). Texts
// are compared whole and case-sensitively; the result is the count. lastRow is the
// sheet's row count minus 1.
double evalCountIf(const DataIntf& sheet, int32_t lastRow, const std::string& range, const std::string& criterion);
