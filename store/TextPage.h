// The record of one page of a huge text file, shared by its reader and its write-back.
#pragma once
#include <cstdint>

// Where a page of a huge text file lies in it and how it was read, so that the
// write-back puts it back in the same form. readTextPage fills it; a
// successful writeTextPage moves `end` to where the page now ends and
// `records` to the records it now holds.
struct TextPage {
  uint64_t start = 0;    // byte offset of the page's first record
  uint64_t end = 0;      // byte offset just past the page (the next record's start)
  char delimiter = 0;    // the delimiter the page was read with, after detection
  int32_t encoding = 0;  // the file's encoding (1 for UTF-8 with or without mark)
  uint64_t records = 0;  // the file's records in [start, end): the page's rows, a kept header copy excluded
};
