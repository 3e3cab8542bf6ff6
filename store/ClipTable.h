// ClipTable: clipboard text cut into lines and TAB-separated fields for a
// paste. The reverse of CDataCore::copyText: lines end at LF, CR LF or a lone
// CR; with gQuoteDetect on, a field that begins with '"' may hold TABs and
// line ends, and a doubled '"' stands for one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ClipTable {
 public:
  // One line of the text: where it starts in the caller's string and how many
  // code units it has (its line end not counted).
  struct Line {
    char16_t* start;
    size_t length;
  };

  ClipTable() = default;
  explicit ClipTable(std::u16string& text) { parse(text); }

  // Cuts `text` into lines in place: each line end outside quotes (the CR of a
  // CR LF pair) becomes NUL. The table points into `text`, which the caller
  // keeps alive and otherwise unchanged until the last nextRow(). A text that
  // ends with a line end has no empty line after it; an empty text has none.
  void parse(std::u16string& text);

  // The fields of the next line (quoted fields without their quotes), then
  // moves on; an empty vector once every line has been returned. The line's
  // separating TABs are overwritten with NUL.
  std::vector<std::u16string> nextRow();

  uint64_t nextLine = 0;    // index of the line nextRow returns next
  uint64_t width = 0;       // the most fields of any line; 0 for an empty text
  std::vector<Line> lines;  // in order
};
