// The pool section of a document file: entries (key 8, L 8, L bytes ending in the 8-byte
// count) from the end of the cells to the end of the file. Each entry is checked before
// its bytes are taken (docfile::checkEntry).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "store/BlockIo.h"
#include "store/DocumentFile.h"

namespace docfile {

// Reads entries from the reader's position to the end of a file of `fileSize` bytes and
// hands each to sink(key, bytes, len, count), bytes being the stored bytes without the
// count (valid during the call). False on a damaged or short section.
template <class Sink>
bool readPoolSection(BlockReader& in, uint64_t fileSize, Sink&& sink) {
  std::string spill;  // entries larger than the reader's buffer
  while (!in.atEnd()) {
    const uint64_t offset = in.position();
    char head[ENTRY_HEAD_BYTES];
    if (!in.copy(head, sizeof head)) return false;
    uint64_t key, len;
    std::memcpy(&key, head, 8);
    std::memcpy(&len, head + 8, 8);
    if (!checkEntry(key, len, offset, fileSize)) return false;
    const char* bytes;
    if (len <= in.capacity()) {
      bytes = in.take(len);
      if (!bytes) return false;
    } else {
      spill.resize(len);  // within the file: checked above
      if (!in.copy(spill.data(), len)) return false;
      bytes = spill.data();
    }
    uint64_t count;
    std::memcpy(&count, bytes + len - COUNT_BYTES, 8);
    sink(key, bytes, size_t(len - COUNT_BYTES), count);
  }
  return in.position() == fileSize;
}

}  // namespace docfile
