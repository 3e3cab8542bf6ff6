#include "controls/PathName.h"

std::u16string fileNameOfPath(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string::npos || cut == 0) return path;
  return path.substr(cut + 1);
}
