// The program's paths: the kind of a file by its extension, the pieces of a path, and
// a whole file read by its path.
#pragma once
#include <cstdint>
#include <string>

// File kind by extension.
enum FileKind : int32_t { FILE_OTHER = 0, FILE_CSV = 1, FILE_TXT = 2, FILE_MVT = 3, FILE_EXCEL = 4 };

// ".mvt" 3, ".csv" 1, ".txt"/".text" 2, ".xls"/".xlsx" 4, anything else 0; case-
// insensitive, a suffix counting only when the path is strictly longer than it.
FileKind fileKind(std::u16string path);
// From the last '.' to the end, the '.' included; empty without a '.'.
std::u16string getFileExt(std::u16string path);
// The file name (after the last '/' or '\', see fileNameStart), then before its last '.'.
std::u16string getFileBaseName(std::u16string path);
// The file name part of a path, as tab titles show it: the text after the last separator,
// where a separator at index 0 does not count (a path of one leading separator and a name
// is kept whole). Empty for an empty path or one that ends in a separator.
std::u16string fileNameOfPath(const std::u16string& path);
// The whole file read as UTF-16LE (a final odd byte dropped, no BOM removed); empty when
// the file cannot be opened or read, or is not a regular file.
std::u16string readFileAsWide(const std::u16string& path);
