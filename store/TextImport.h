// The text importers of the sheet (readDelimited, readPage, appendFile are
// members of CDataCore) and the paged read with its page record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/TextPage.h"

class CDataCore;

// CDataCore::readPage with the page record: the same result, plus the
// delimiter and encoding the page was read with. On an empty file `page` is
// left as it was.
bool readTextPage(CDataCore& sheet, const std::u16string& path, char delimiter, bool keepHeader,
                  int32_t firstRow, int32_t rowCount, TextPage& page);
