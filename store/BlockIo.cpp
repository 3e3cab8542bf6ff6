#include "store/BlockIo.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/fileio.h"

bool fileSizeOf(FILE* f, uint64_t& size) {
  struct stat st;
  if (::fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return false;
  size = uint64_t(st.st_size);
  return true;
}

BlockReader::BlockReader(FILE* f, size_t capacity)
    : mFile(f), mBuf(new char[capacity]), mCap(capacity) {
  std::setvbuf(f, nullptr, _IONBF, 0);
}

bool BlockReader::fill(size_t need) {
  if (need > mCap) return false;
  size_t have = mEnd - mPos;
  if (mPos + need > mCap) {  // not enough room behind the valid bytes: move them front
    std::memmove(mBuf.get(), mBuf.get() + mPos, have);
    mBase += mPos;
    mPos = 0;
    mEnd = have;
  }
  while (mEnd - mPos < need) {
    size_t got = std::fread(mBuf.get() + mEnd, 1, mCap - mEnd, mFile);
    if (got == 0) return false;
    mEnd += got;
  }
  return true;
}

bool BlockReader::copy(void* dst, size_t n) {
  char* out = static_cast<char*>(dst);
  size_t buffered = std::min(n, mEnd - mPos);
  std::memcpy(out, mBuf.get() + mPos, buffered);
  mPos += buffered;
  n -= buffered;
  if (n == 0) return true;
  // The buffer is drained: large remainders go straight from the file.
  mBase += mPos;
  mPos = mEnd = 0;
  if (n >= mCap / 2) {
    size_t got = std::fread(out + buffered, 1, n, mFile);
    mBase += got;
    return got == n;
  }
  const char* p = take(n);
  if (!p) return false;
  std::memcpy(out + buffered, p, n);
  return true;
}

bool BlockReader::seek(uint64_t offset) {
  if (offset > uint64_t(INT64_MAX) || _fseeki64(mFile, int64_t(offset), SEEK_SET) != 0)
    return false;
  mBase = offset;
  mPos = mEnd = 0;
  return true;
}

BlockWriter::BlockWriter(FILE* f, size_t capacity)
    : mFile(f), mBuf(new char[capacity]), mCap(capacity) {
  std::setvbuf(f, nullptr, _IONBF, 0);
}

bool BlockWriter::flush() {
  if (mUsed && mOk) mOk = std::fwrite(mBuf.get(), 1, mUsed, mFile) == mUsed;
  mUsed = 0;
  return mOk;
}

bool BlockWriter::putSlow(const void* p, size_t n) {
  const char* in = static_cast<const char*>(p);
  size_t room = mCap - mUsed;
  std::memcpy(mBuf.get() + mUsed, in, room);
  mUsed = mCap;
  if (!flush()) return false;
  in += room;
  n -= room;
  if (n >= mCap) {
    mOk = std::fwrite(in, 1, n, mFile) == n;
    return mOk;
  }
  std::memcpy(mBuf.get(), in, n);
  mUsed = n;
  return mOk;
}
