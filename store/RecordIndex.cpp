#include "store/RecordIndex.h"

#include <algorithm>
#include <cassert>

#include "platform/FileIo.h"

bool fileStamp(const std::u16string& path, uint64_t& size, uint64_t& writeTime) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  writeTime = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool RecordIndex::stamp() {
  if (fileStamp(path, size, writeTime)) return true;
  clear();
  return false;
}

bool RecordIndex::fits(const std::u16string& file, char delim, bool quotes, int32_t enc) const {
  if (marks.empty() || file != path || delim != delimiter || quotes != quoteDetect || enc != encoding) return false;
  uint64_t nowSize = 0, nowTime = 0;
  return fileStamp(path, nowSize, nowTime) && nowSize == size && nowTime == writeTime;
}

const RecordIndex::Mark* RecordIndex::nearest(uint64_t record) const {
  auto after =
      std::upper_bound(marks.begin(), marks.end(), record, [](uint64_t r, const Mark& m) { return r < m.record; });
  return after == marks.begin() ? nullptr : &*(after - 1);
}

void RecordIndex::replaceRange(uint64_t start, uint64_t oldEnd, uint64_t newEnd, uint64_t oldRecords,
                               uint64_t newRecords) {
  assert(start <= oldEnd && start <= newEnd);
  std::vector<Mark> kept;
  kept.reserve(marks.size());
  for (const Mark& m : marks) {
    if (m.offset <= start) {
      kept.push_back(m);
    } else if (m.offset >= oldEnd) {
      kept.push_back(Mark{m.record - oldRecords + newRecords, m.offset - oldEnd + newEnd});
    }
  }
  marks = std::move(kept);
}
