// A sparse index of where records start in one delimited text file, kept by the
// row count so that a page deep in the file is reached without reading every
// record before it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The byte offset of every stride-th record start of a file, as the file was
// when it was counted and for the settings it was read with. A record start is
// outside every quoted section by definition, so a reader placed there begins a
// fresh record exactly as the full parse does. The index holds only for the
// file it was made from: its size and write time must be unchanged.
struct RecordIndex {
  static constexpr uint64_t STRIDE = 65536;

  struct Mark {
    uint64_t record;  // 1-based number of the record that starts at `offset`
    uint64_t offset;  // byte offset in the file (even for UTF-16)
  };

  // The file and the reading the marks belong to.
  std::u16string path;
  uint64_t size = 0;       // the file's length when it was stamped
  uint64_t writeTime = 0;  // its last write time (100 ns units) when it was stamped
  char delimiter = 0;      // the delimiter records were cut with (after detection)
  bool quoteDetect = true;
  int32_t encoding = 0;  // RowReader kind: 1 UTF-8, 2 UTF-16LE, 3 UTF-16BE, 4 ANSI
  // Rising in both record and offset; every record > 1.
  std::vector<Mark> marks;
  // Records between marks (>= 1), kept by clear(); tests mark densely.
  uint64_t stride = STRIDE;

  void clear() {
    const uint64_t keep = stride;
    *this = RecordIndex{};
    stride = keep;
  }
  bool empty() const { return marks.empty(); }

  // Takes the file's current size and write time. False (and the index
  // cleared) when the file cannot be examined.
  bool stamp();
  // True when the index has marks, describes `path` read with these settings,
  // and the file's size and write time are those it was stamped with.
  bool fits(const std::u16string& path, char delimiter, bool quoteDetect, int32_t encoding) const;
  // The last mark at or before record `record` (1-based), null when none.
  const Mark* nearest(uint64_t record) const;
  // Notes a page rewrite: the records [start, oldEnd) were `oldRecords`
  // records and are now [start, newEnd) holding `newRecords`. Marks inside the
  // old page go; marks from oldEnd on move by the byte and record differences.
  void replaceRange(uint64_t start, uint64_t oldEnd, uint64_t newEnd, uint64_t oldRecords, uint64_t newRecords);
};

// The file's size and last write time (100 ns units); false when it cannot be examined.
bool fileStamp(const std::u16string& path, uint64_t& size, uint64_t& writeTime);
