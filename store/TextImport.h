// The text importers of the sheet (readDelimited, readPage, appendFile are
// members of CDataCore) and the page record of paged reading and write-back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CDataCore;

// Where a page of a huge text file lies in it and how it was read, so that the
// write-back puts it back in the same form. readTextPage fills it; a
// successful writeTextPage moves `end` to where the page now ends.
struct TextPage {
  uint64_t start = 0;     // byte offset of the page's first record
  uint64_t end = 0;       // byte offset just past the page (the next record's start)
  char delimiter = 0;     // the delimiter the page was read with, after detection
  int32_t encoding = 0;   // the file's encoding (1 for UTF-8 with or without mark)
};

// CDataCore::readPage with the page record: the same result, plus the
// delimiter and encoding the page was read with. On an empty file `page` is
// left as it was.
bool readTextPage(CDataCore& sheet, const std::u16string& path, char delimiter, bool keepHeader,
                  int32_t firstRow, int32_t rowCount, TextPage& page);

// Writes the sheet back over the page: the bytes before page.start and from
// page.end on are copied unchanged, the rows are written with page.delimiter
// in page.encoding, ended by LF. The file is replaced only when everything was
// written: a temporary copy in the same folder is flushed to disk and renamed
// over it. On failure the file is untouched, the temporary copy removed, and
// false returned. On success page.end becomes the new end of the page.
bool writeTextPage(CDataCore& sheet, const std::u16string& path, bool fromRow1, TextPage& page);
