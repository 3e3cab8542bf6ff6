// A whole file saved beside the file it replaces, flushed, then put in its place.
#include "store/SafeSave.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>

#include "platform/FileIo.h"
#include "platform/user/Constants.h"
#include "platform/user/Window.h"

namespace {

// Names tried before the folder is taken to refuse new files.
constexpr int kNameAttempts = 16;

// A number that no other new file of this or another run is likely to draw: a seed
// drawn once per process, mixed with a count (splitmix64).
uint64_t nextNameNumber() {
  static const uint64_t seed = (uint64_t(std::random_device{}()) << 32) ^ uint64_t(std::random_device{}()) ^
                               uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  static std::atomic<uint64_t> count{0};
  uint64_t z = seed + 0x9E3779B97F4A7C15ull * (count.fetch_add(1, std::memory_order_relaxed) + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// A hidden name in `folder` (a path ending at its separator, or empty): ".morvel-",
// sixteen hexadecimal digits, ".tmp".
std::u16string newFileName(const std::u16string& folder) {
  static constexpr char16_t digits[] = u"0123456789abcdef";
  std::u16string name = folder + u".morvel-";
  const uint64_t n = nextNameNumber();
  for (int shift = 60; shift >= 0; shift -= 4) name += digits[(n >> shift) & 0xF];
  return name + u".tmp";
}

HANDLE handleOf(FILE* f) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))); }

}  // namespace

SafeSave::SafeSave(const std::u16string& target) : mTarget(linkTarget(target)) {
  if (mTarget.empty() || isDirectory(mTarget)) return;
  const DWORD attributes = GetFileAttributesW(mTarget.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_READONLY) return;  // as an open for writing would fail
    if (!isRegularFile(mTarget)) {
      mDirect = true;
      mFile = _wfopen(mTarget.c_str(), u"wb");
      return;
    }
  }
  const std::u16string folder = mTarget.substr(0, fileNameStart(mTarget));
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::u16string name = newFileName(folder);
    mFile = _wfopen(name.c_str(), u"wbx");  // never over an existing file
    if (mFile) {
      mNew = std::move(name);
      return;
    }
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return;  // the folder refuses it
  }
}

SafeSave::~SafeSave() { discard(); }

void SafeSave::handOver() {
  if (!mFile) return;
  std::fclose(mFile);
  mFile = nullptr;
  mHandedOver = true;
}

// Flushes and closes the new file (reopened when a writer by path wrote it); true when
// every byte is on the disk. A device or a pipe written directly is only closed.
bool SafeSave::closeNew() {
  if (mHandedOver) {
    mHandedOver = false;
    if (mDirect) return true;
    FILE* f = _wfopen(mNew.c_str(), u"r+b");
    if (!f) return false;
    const bool ok = FlushFileBuffers(handleOf(f)) != FALSE;
    return std::fclose(f) == 0 && ok;
  }
  if (!mFile) return false;
  bool ok = std::fflush(mFile) == 0;
  if (!mDirect) ok = FlushFileBuffers(handleOf(mFile)) && ok;
  ok = std::fclose(mFile) == 0 && ok;
  mFile = nullptr;
  return ok;
}

bool SafeSave::commit() {
  const bool written = (mFile || mHandedOver) && closeNew();
  if (mDirect) {
    mDirect = false;
    return written;
  }
  bool ok = written;
  if (ok) {
    // The target takes the new file; when it has gone meanwhile, the new file is moved in.
    ok = ReplaceFileW(mTarget.c_str(), mNew.c_str(), nullptr, 0, nullptr, nullptr) ||
         (GetLastError() == ERROR_FILE_NOT_FOUND &&
          MoveFileExW(mNew.c_str(), mTarget.c_str(), MOVEFILE_REPLACE_EXISTING));
  }
  if (ok) mNew.clear();
  discard();
  return ok;
}

void SafeSave::discard() {
  if (mFile) std::fclose(mFile);
  mFile = nullptr;
  mHandedOver = false;
  if (!mNew.empty()) DeleteFileW(mNew.c_str());
  mNew.clear();
}
