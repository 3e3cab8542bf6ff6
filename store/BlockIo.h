// Buffered block input and output over a stdio file, for the document file: reads and
// writes go through one large buffer, so a file of many small records (cells rows, pool
// entries) costs a few large system calls. Both keep the file's own stdio buffer off.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

// Owns a FILE* and closes it once; close() reports whether the close (the final flush)
// succeeded.
class FileHandle {
 public:
  explicit FileHandle(FILE* f) : mFile(f) {}
  ~FileHandle() { close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  FILE* get() const { return mFile; }
  explicit operator bool() const { return mFile != nullptr; }
  bool close() {
    if (!mFile) return true;
    bool ok = std::fclose(mFile) == 0;
    mFile = nullptr;
    return ok;
  }

 private:
  FILE* mFile;
};

// Size of the file behind `f` in bytes; false when it cannot be told (not a regular file).
bool fileSizeOf(FILE* f, uint64_t& size);

// Sequential reader. Invariant: mBuf[mPos, mEnd) holds the file's bytes from offset
// position() on; nothing before mPos is looked at again.
class BlockReader {
 public:
  static constexpr size_t DEFAULT_CAPACITY = size_t(8) << 20;
  explicit BlockReader(FILE* f, size_t capacity = DEFAULT_CAPACITY);

  size_t capacity() const { return mCap; }
  // File offset of the next byte to be handed out.
  uint64_t position() const { return mBase + mPos; }
  // The next n bytes (n <= capacity()) and moves past them; null when the file ends
  // first (or fails). The pointer is valid until the next call.
  const char* take(size_t n) {
    if (mEnd - mPos < n && !fill(n)) return nullptr;
    const char* p = mBuf.get() + mPos;
    mPos += n;
    return p;
  }
  // Copies the next n bytes (any n) into `dst`; false on a short read.
  bool copy(void* dst, size_t n);
  // Moves to an absolute offset (the buffer is dropped); false when seeking fails.
  bool seek(uint64_t offset);
  // True when no byte is left to read.
  bool atEnd() { return mEnd == mPos && !fill(1); }

 private:
  // Makes at least `need` (<= mCap) bytes available; false at end of file or error.
  bool fill(size_t need);

  FILE* mFile;
  std::unique_ptr<char[]> mBuf;
  size_t mCap;
  size_t mPos = 0;     // next byte to hand out
  size_t mEnd = 0;     // end of the valid bytes
  uint64_t mBase = 0;  // file offset of mBuf[0]
};

// Sequential writer. Once a write fails every later call fails too (ok() false).
class BlockWriter {
 public:
  static constexpr size_t DEFAULT_CAPACITY = size_t(8) << 20;
  explicit BlockWriter(FILE* f, size_t capacity = DEFAULT_CAPACITY);

  // Appends n bytes; a block larger than the buffer goes to the file directly.
  bool put(const void* p, size_t n) {
    if (n <= mCap - mUsed) {
      std::memcpy(mBuf.get() + mUsed, p, n);
      mUsed += n;
      return mOk;
    }
    return putSlow(p, n);
  }
  // Appends a 64-bit value, little-endian.
  bool put64(uint64_t v) { return put(&v, 8); }
  // Writes out what the buffer holds.
  bool flush();
  bool ok() const { return mOk; }

 private:
  bool putSlow(const void* p, size_t n);

  FILE* mFile;
  std::unique_ptr<char[]> mBuf;
  size_t mCap;
  size_t mUsed = 0;
  bool mOk = true;
};
