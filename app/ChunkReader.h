// Buffered reading of one input file of the merge and split tools as bytes, never
// decoded: lines ending with LF (a CR before it stays in the line) or copy chunks, with
// a few hundred KiB to a few MiB of buffer whatever the file's size.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

class ChunkReader {
 public:
  static constexpr size_t kBlock = 0x80000;   // one read
  static constexpr size_t kChunk = 0x400000;  // one copy chunk

  // Opens the path for binary reading and measures it; only a regular file opens (a
  // folder, a named pipe or a device is not opened).
  explicit ChunkReader(const std::u16string& path);
  ~ChunkReader();
  ChunkReader(const ChunkReader&) = delete;
  ChunkReader& operator=(const ChunkReader&) = delete;

  bool isOpen() const { return mFile != nullptr; }
  // A read failed (as opposed to the end of the file).
  bool failed() const { return mFailed; }
  int64_t size() const { return mSize; }
  // Bytes handed out so far by readLine and readChunk.
  int64_t consumed() const { return mConsumed; }

  // The next line with its LF; the rest of the file for a last line without LF; empty
  // at the end. The view stays valid until the next call.
  std::string_view readLine();
  // The next bytes, at most kChunk; empty at the end. Concatenated, the lines and chunks
  // handed out give the file byte for byte. Valid until the next call.
  std::string_view readChunk();
  // The lines from the current position to the end: the LF bytes, plus one when the
  // file does not end with LF (a last line without LF); 0 for an empty file. Then reads
  // again from offset 0.
  int64_t countLines();

 private:
  // Appends up to kBlock bytes to mPending; false at the end or on a failure.
  bool readBlock();
  void compact();

  FILE* mFile = nullptr;
  int64_t mSize = 0;
  int64_t mConsumed = 0;
  bool mFailed = false;
  std::string mPending;  // bytes read and not handed out start at mStart
  size_t mStart = 0;
  std::string mChunk;  // the last chunk handed out
};
