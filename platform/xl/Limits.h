// Limits of the file formats, and guards against hostile files.
#pragma once
#include <cstddef>

namespace xl::detail {

constexpr int kXlsxRows = 1048576;
constexpr int kXlsxCols = 16384;
constexpr int kXlsRows = 65536;
constexpr int kXlsCols = 256;
// The largest row height (points) and column width (characters) the
// formats hold; larger ones are cut to these.
constexpr double kMaxRowHeight = 409.5;
constexpr double kMaxColWidth = 255;

// Beyond these counts a file is taken as damaged: no real workbook comes near.
constexpr size_t kMaxFormats = 65536;
constexpr size_t kMaxSheets = 65536;
constexpr size_t kMaxSharedStrings = size_t(1) << 28;

}  // namespace xl::detail
