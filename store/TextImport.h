// The text importers of the sheet (readDelimited, readPage, appendFile are
// members of CDataCore) and the paged read with its page record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/TextPage.h"

class CDataCore;

struct RecordIndex;

// CDataCore::readPage with the page record: the same result, plus the
// delimiter and encoding the page was read with and its record count. On an
// empty file `page` is left as it was. With an `index` that fits the file as
// it is now and the reading (RecordIndex::fits, after the delimiter is
// settled), the records before the page are skipped from the nearest mark at
// or before firstRow instead of from the start; the result is the same. A
// firstRow below 1 is read as 1 and a rowCount below 0 as 0; a page of 0 rows
// is empty (row 1 holds the kept header line when firstRow is not 1), and from
// record 1 it starts at 0 and ends where record 1 starts.
bool readTextPage(CDataCore& sheet, const std::u16string& path, char delimiter, bool keepHeader, int32_t firstRow,
                  int32_t rowCount, TextPage& page, const RecordIndex* index = nullptr);
