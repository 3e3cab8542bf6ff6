#include "app/ChunkReader.h"

#include <algorithm>
#include <cstring>

#include "platform/FileIo.h"

ChunkReader::ChunkReader(const std::u16string& path) {
  if (path.empty() || !isRegularFile(path)) return;
  mFile = _wfopen(path.c_str(), u"rb");
  if (!mFile) return;
  if (_fseeki64(mFile, 0, SEEK_END) == 0) mSize = std::max<int64_t>(_ftelli64(mFile), 0);
  _fseeki64(mFile, 0, SEEK_SET);
  mPending.reserve(2 * kBlock);
}

ChunkReader::~ChunkReader() {
  if (mFile) std::fclose(mFile);
}

void ChunkReader::compact() {
  if (mStart == 0) return;
  mPending.erase(0, mStart);
  mStart = 0;
}

bool ChunkReader::readBlock() {
  if (!mFile || mFailed) return false;
  compact();
  const size_t had = mPending.size();
  mPending.resize(had + kBlock);
  const size_t got = std::fread(mPending.data() + had, 1, kBlock, mFile);
  mPending.resize(had + got);
  if (got == 0 && std::ferror(mFile)) mFailed = true;
  return got != 0;
}

std::string_view ChunkReader::readLine() {
  size_t scanned = 0;  // bytes after mStart known to hold no LF
  for (;;) {
    const char* begin = mPending.data() + mStart;
    const size_t held = mPending.size() - mStart;
    if (const void* lf = std::memchr(begin + scanned, '\n', held - scanned)) {
      const size_t length = size_t(static_cast<const char*>(lf) - begin) + 1;
      mStart += length;
      mConsumed += int64_t(length);
      return {begin, length};
    }
    scanned = held;
    if (!readBlock()) {  // the end: what is left is the last line
      const std::string_view rest(mPending.data() + mStart, mPending.size() - mStart);
      mStart = mPending.size();
      mConsumed += int64_t(rest.size());
      return rest;
    }
  }
}

std::string_view ChunkReader::readChunk() {
  if (mStart < mPending.size()) {  // what line reads left over goes first
    mChunk.assign(mPending, mStart, std::string::npos);
    mPending.clear();
    mStart = 0;
  } else {
    mChunk.resize(kChunk);
    size_t got = 0;
    if (mFile && !mFailed) {
      got = std::fread(mChunk.data(), 1, kChunk, mFile);
      if (got < kChunk && std::ferror(mFile)) mFailed = true;
    }
    mChunk.resize(got);
  }
  mConsumed += int64_t(mChunk.size());
  return mChunk;
}

int64_t ChunkReader::countLines() {
  if (!mFile) return 0;
  int64_t lines = 0;
  char last = '\n';
  std::string_view pending(mPending.data() + mStart, mPending.size() - mStart);
  lines += std::count(pending.begin(), pending.end(), '\n');
  if (!pending.empty()) last = pending.back();
  std::string block(kBlock, '\0');
  for (;;) {
    const size_t got = std::fread(block.data(), 1, kBlock, mFile);
    if (got == 0) {
      if (std::ferror(mFile)) mFailed = true;
      break;
    }
    lines += std::count(block.data(), block.data() + got, '\n');
    last = block[got - 1];
  }
  if (last != '\n') ++lines;
  std::clearerr(mFile);
  _fseeki64(mFile, 0, SEEK_SET);
  mPending.clear();
  mStart = 0;
  mConsumed = 0;
  return lines;
}
