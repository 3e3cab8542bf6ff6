#include "store/BlockIo.h"

#include "store/Alloc.h"

#include <algorithm>

#include "platform/FileIo.h"

namespace {

HANDLE handleOf(FILE* f) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))); }

}  // namespace

bool fileSizeOf(FILE* f, uint64_t& size) {
  LARGE_INTEGER n;
  if (!GetFileSizeEx(handleOf(f), &n) || n.QuadPart < 0) return false;
  size = uint64_t(n.QuadPart);
  return true;
}

size_t readAt(FILE* f, void* buf, size_t n, uint64_t offset) {
  OVERLAPPED at;
  at.Offset = DWORD(offset);
  at.OffsetHigh = DWORD(offset >> 32);
  DWORD got = 0;
  const DWORD want = DWORD(std::min<size_t>(n, size_t(1) << 30));  // larger asks come back short
  return ReadFile(handleOf(f), buf, want, &got, &at) ? got : 0;
}

BlockReader::BlockReader(FILE* f, size_t capacity)
    : mFile(f), mBuf((allocfail::check(allocfail::BUFFERS), new char[capacity])), mCap(capacity) {
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
  if (offset > uint64_t(INT64_MAX) || _fseeki64(mFile, int64_t(offset), SEEK_SET) != 0) return false;
  mBase = offset;
  mPos = mEnd = 0;
  return true;
}

BlockWriter::BlockWriter(FILE* f, size_t capacity) : mFile(f), mCap(capacity) {
  allocfail::check(allocfail::BUFFERS);
  mBufs[0].reset(new char[capacity]);
  mBuf = mBufs[0].get();
  std::setvbuf(f, nullptr, _IONBF, 0);
}

BlockWriter::~BlockWriter() {
  if (!mThread.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mStop = true;
  }
  mWake.notify_all();
  mThread.join();
}

void BlockWriter::writeNow(const char* p, size_t n) {
  if (ok() && std::fwrite(p, 1, n, mFile) != n) mOk.store(false, std::memory_order_relaxed);
}

void BlockWriter::run() {
  std::unique_lock<std::mutex> lock(mLock);
  for (;;) {
    mWake.wait(lock, [&] { return mPending || mStop; });
    if (!mPending) return;
    const char* p = mPending;
    size_t n = mPendingLen;
    lock.unlock();
    writeNow(p, n);
    lock.lock();
    mPending = nullptr;
    mWake.notify_all();
  }
}

void BlockWriter::waitIdle() {
  std::unique_lock<std::mutex> lock(mLock);
  mWake.wait(lock, [&] { return mPending == nullptr; });
}

void BlockWriter::submit() {
  if (!mThread.joinable()) {
    allocfail::check(allocfail::BUFFERS);
    mBufs[1].reset(new char[mCap]);
    mThread = std::thread([this] { run(); });
  }
  waitIdle();  // the other buffer is free once nothing is pending
  {
    std::lock_guard<std::mutex> guard(mLock);
    mPending = mBuf;
    mPendingLen = mUsed;
  }
  mWake.notify_all();
  mCurrent ^= 1;
  mBuf = mBufs[mCurrent].get();
  mUsed = 0;
}

bool BlockWriter::flush() {
  if (mUsed) {
    if (mThread.joinable()) {
      submit();
    } else {
      writeNow(mBuf, mUsed);
      mUsed = 0;
    }
  }
  if (mThread.joinable()) waitIdle();
  return ok();
}

bool BlockWriter::putSlow(const void* p, size_t n) {
  const char* in = static_cast<const char*>(p);
  size_t room = mCap - mUsed;
  std::memcpy(mBuf + mUsed, in, room);
  mUsed = mCap;
  in += room;
  n -= room;
  submit();
  if (n >= mCap) {  // a large block: after the pending buffer, straight from the caller
    waitIdle();
    writeNow(in, n);
    return ok();
  }
  std::memcpy(mBuf, in, n);
  mUsed = n;
  return ok();
}
