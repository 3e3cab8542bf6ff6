// The file name part of a path, as tab titles show it.
#pragma once
#include <string>

// The text after the last backslash or slash of `path`; a separator at index 0 does not
// count (a path of one leading separator and a name is kept whole). The whole path when it
// has no other separator; empty for an empty path or one that ends in a separator.
std::u16string fileNameOfPath(const std::u16string& path);
