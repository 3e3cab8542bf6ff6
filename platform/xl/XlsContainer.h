// The compound file (OLE2) around the "Workbook" stream of an xls file.
#pragma once
#include <string>

namespace xl::detail {

// The whole "Workbook" stream of the file; throws FileError when the file is
// not a compound file, has no such stream or is damaged.
std::string readWorkbookStream(const std::string& path);

// Writes a compound file holding `stream` as its "Workbook" stream. The file
// is written beside `path` and renamed over it when complete.
void writeWorkbookStream(const std::string& path, const std::string& stream);

}  // namespace xl::detail
