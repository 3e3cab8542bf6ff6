// Buffered block input and output over a stdio file, for the document file: reads and
// writes go through one large buffer, so a file of many small records (cells rows, pool
// entries) costs a few large system calls. Both keep the file's own stdio buffer off.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

// Owns a FILE* and closes it once; close() reports whether the close (the final flush)
// succeeded.
class FileHandle {
 public:
  explicit FileHandle(FILE* f) : mFile(f) {}
  ~FileHandle() { close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : mFile(other.mFile) { other.mFile = nullptr; }
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      close();
      mFile = other.mFile;
      other.mFile = nullptr;
    }
    return *this;
  }

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
// Reads up to n bytes at `offset` of the file behind `f`, whatever its stream position;
// the count read, 0 at the end of the file or on an error (an unreadable file ends there).
// Safe on one file from several threads at once.
size_t readAt(FILE* f, void* buf, size_t n, uint64_t offset);

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

// Sequential writer with write-behind: a full buffer goes to a writer thread (started at
// the first full buffer) while the caller fills the other one, so that copying into the
// page cache overlaps with making the next bytes. Blocks of at least a buffer's size are
// written directly, after the pending buffer. Once a write fails every later call fails
// too (ok() false). Only the thread that made the writer may call it.
class BlockWriter {
 public:
  static constexpr size_t DEFAULT_CAPACITY = size_t(8) << 20;
  explicit BlockWriter(FILE* f, size_t capacity = DEFAULT_CAPACITY);
  ~BlockWriter();  // waits for the writer thread; call flush() first to learn the result
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  // Appends n bytes.
  bool put(const void* p, size_t n) {
    mTotal += n;
    if (n <= mCap - mUsed) {
      std::memcpy(mBuf + mUsed, p, n);
      mUsed += n;
      return ok();
    }
    return putSlow(p, n);
  }
  // Appends a 64-bit value, little-endian.
  bool put64(uint64_t v) { return put(&v, 8); }
  // Room for the next n bytes (n <= capacity()), to be filled by the caller at once.
  char* space(size_t n) {
    if (n > mCap - mUsed) submit();
    char* p = mBuf + mUsed;
    mUsed += n;
    mTotal += n;
    return p;
  }
  size_t capacity() const { return mCap; }
  // Bytes put so far (written once flush() succeeds).
  uint64_t total() const { return mTotal; }
  // Writes out everything put so far and waits for it.
  bool flush();
  bool ok() const { return mOk.load(std::memory_order_relaxed); }

 private:
  bool putSlow(const void* p, size_t n);
  void writeNow(const char* p, size_t n);  // on the calling thread
  void submit();                           // the current buffer to the writer thread
  void waitIdle();                         // until no buffer is pending
  void run();                              // the writer thread

  FILE* mFile;
  size_t mCap;
  std::unique_ptr<char[]> mBufs[2];
  char* mBuf;  // the buffer being filled: mBufs[mCurrent]
  int mCurrent = 0;
  size_t mUsed = 0;
  uint64_t mTotal = 0;
  std::atomic<bool> mOk{true};
  // Shared with the writer thread under mLock.
  std::mutex mLock;
  std::condition_variable mWake;
  const char* mPending = nullptr;  // buffer handed over and not yet written
  size_t mPendingLen = 0;
  bool mStop = false;
  std::thread mThread;
};
