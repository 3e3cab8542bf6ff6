// The write-back of one page of a huge text file read by readTextPage.
#pragma once
#include <string>

#include "store/TextPage.h"

class CDataCore;
struct RecordIndex;

// Writes the sheet back over the page: the bytes before page.start and from
// page.end on are copied unchanged, the rows are written with page.delimiter
// in page.encoding, ended by LF. The file is replaced only when everything was
// written: a temporary copy in the same folder is flushed to disk and renamed
// over it. On failure the file is untouched, the temporary copy removed, and
// false returned. On success page.end becomes the new end of the page and
// page.records the records it holds. An `index` of the file is kept true to
// the new file: when it fitted the file before the write, the marks after the
// page move by the change in the page's length and records and the index takes
// the new file's stamp; otherwise (or when the new page cannot be counted) it
// is cleared.
bool writeTextPage(CDataCore& sheet, const std::u16string& path, bool fromRow1, TextPage& page,
                   RecordIndex* index = nullptr);
