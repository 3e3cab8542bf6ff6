#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <new>

#include "platform/CodePage.h"
#include "platform/user/Constants.h"
#include "platform/user/Window.h"

std::string nativePath(std::u16string_view path) { return wideToUtf8(path); }

size_t fileNameStart(std::u16string_view path) {
  size_t cut = path.find_last_of(u"/\\");
  return cut == std::u16string_view::npos ? 0 : cut + 1;
}

FILE* _wfopen(const char16_t* path, const char16_t* mode) {
  if (!path || !mode) return nullptr;
  std::string m;
  for (const char16_t* p = mode; *p; ++p) {
    if (*p == ',') break;  // ", ccs=..." options are not used here
    m.push_back(char(*p));
  }
  return std::fopen(nativePath(path).c_str(), m.c_str());
}

int _fseeki64(FILE* f, int64_t offset, int origin) { return fseeko(f, off_t(offset), origin); }
int64_t _ftelli64(FILE* f) { return int64_t(ftello(f)); }

BOOL DeleteFileW(LPCWSTR path) {
  if (!path || isDirectory(path)) return FALSE;
  return ::unlink(nativePath(path).c_str()) == 0;
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) {
  if (!from || !to) return FALSE;
  std::string src = nativePath(from), dst = nativePath(to);
  struct stat st;
  if (::lstat(dst.c_str(), &st) == 0) return FALSE;
  return ::rename(src.c_str(), dst.c_str()) == 0;
}

BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
  if (!from || !to) return FALSE;
  int in = ::open(nativePath(from).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return FALSE;
  // A file copied onto itself (by any name that reaches it) fails and stays whole, as on
  // the platform, instead of being truncated before it is read.
  struct stat src, dst;
  if (::fstat(in, &src) != 0 || S_ISDIR(src.st_mode) ||
      (::stat(nativePath(to).c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)) {
    ::close(in);
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
  int out = ::open(nativePath(to).c_str(), flags, 0666);
  if (out < 0) {
    ::close(in);
    return FALSE;
  }
  bool ok = true;
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buf + done, size_t(n - done));
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  return ok;
}

BOOL CreateDirectoryW(LPCWSTR path, void*) {
  if (!path) return FALSE;
  return ::mkdir(nativePath(path).c_str(), 0777) == 0;
}

bool fileExists(std::u16string_view path) {
  struct stat st;
  return ::stat(nativePath(path).c_str(), &st) == 0;
}

bool isDirectory(std::u16string_view path) {
  struct stat st;
  return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(std::u16string_view path) {
  struct stat st;
  return ::stat(nativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::u16string linkTarget(std::u16string_view path) {
  const std::string native = nativePath(path);
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::u16string(path);
  char* resolved = ::realpath(native.c_str(), nullptr);
  if (!resolved) return std::u16string(path);
  std::u16string out = utf8ToWide(resolved);
  std::free(resolved);
  return out;
}

bool fileIdentity(std::u16string_view path, FileIdentity& out) {
  struct stat st;
  if (::stat(nativePath(path).c_str(), &st) != 0) return false;
  out.volume = uint64_t(st.st_dev);
  out.index = uint64_t(st.st_ino);
  return true;
}

bool sameFile(std::u16string_view a, std::u16string_view b) {
  FileIdentity x, y;
  return fileIdentity(a, x) && fileIdentity(b, y) && x == y;
}

// ---- files as handles ----

namespace {

// Handles are descriptors plus one, so that no file has the null handle.
int descriptorOf(HANDLE file) {
  intptr_t v = reinterpret_cast<intptr_t>(file);
  return v > 0 && v <= INT32_MAX ? int(v - 1) : -1;
}

DWORD errorOf(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EEXIST:
    case ENOTEMPTY: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_INVALID_PARAMETER;
  }
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

BOOL failErrno() { return fail(errorOf(errno)); }

}  // namespace

int _fileno(FILE* stream) { return stream ? fileno(stream) : -1; }

intptr_t _get_osfhandle(int fd) {
  if (fd < 0 || ::fcntl(fd, F_GETFD) < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
  }
  return intptr_t(fd) + 1;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, OVERLAPPED* overlapped) {
  if (read) *read = 0;
  int fd = descriptorOf(file);
  if (fd < 0) return fail(ERROR_INVALID_HANDLE);
  if (!buffer && toRead) return fail(ERROR_INVALID_PARAMETER);
  for (;;) {
    ssize_t got;
    if (overlapped) {
      const uint64_t offset = (uint64_t(overlapped->OffsetHigh) << 32) | overlapped->Offset;
      got = ::pread(fd, buffer, toRead, off_t(offset));
      if (got >= 0) ::lseek(fd, off_t(offset + uint64_t(got)), SEEK_SET);
      if (got == 0 && toRead != 0) return fail(ERROR_HANDLE_EOF);
    } else {
      got = ::read(fd, buffer, toRead);
    }
    if (got >= 0) {
      if (read) *read = DWORD(got);
      return TRUE;
    }
    if (errno != EINTR) return failErrno();
  }
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  int fd = descriptorOf(file);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0) return fail(ERROR_INVALID_HANDLE);
  if (!S_ISREG(st.st_mode)) return fail(ERROR_INVALID_FUNCTION);
  if (!size) return fail(ERROR_INVALID_PARAMETER);
  size->QuadPart = st.st_size;
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD method) {
  int fd = descriptorOf(file);
  if (fd < 0) return fail(ERROR_INVALID_HANDLE);
  int whence = method == FILE_BEGIN     ? SEEK_SET
               : method == FILE_CURRENT ? SEEK_CUR
               : method == FILE_END     ? SEEK_END
                                        : -1;
  if (whence < 0) return fail(ERROR_INVALID_PARAMETER);
  off_t at = ::lseek(fd, off_t(distance.QuadPart), whence);
  if (at < 0) return errno == EINVAL ? fail(ERROR_NEGATIVE_SEEK) : failErrno();
  if (newPosition) newPosition->QuadPart = at;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  int fd = descriptorOf(file);
  if (fd < 0) return fail(ERROR_INVALID_HANDLE);
  off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (at < 0 || ::ftruncate(fd, at) != 0) return failErrno();
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  int fd = descriptorOf(file);
  if (fd < 0) return fail(ERROR_INVALID_HANDLE);
  while (::fsync(fd) != 0)
    if (errno != EINTR) return failErrno();
  return TRUE;
}

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (!from || !to) return fail(ERROR_INVALID_PARAMETER);
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
    if (MoveFileW(from, to)) return TRUE;
    return fail(fileExists(to) ? ERROR_ALREADY_EXISTS : ERROR_FILE_NOT_FOUND);
  }
  if (isDirectory(to)) return fail(ERROR_ACCESS_DENIED);
  if (::rename(nativePath(from).c_str(), nativePath(to).c_str()) != 0) return failErrno();
  return TRUE;
}

BOOL ReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD, LPVOID, LPVOID) {
  if (!replaced || !replacement || backup) return fail(ERROR_INVALID_PARAMETER);
  const std::string target = nativePath(replaced), source = nativePath(replacement);
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) return fail(ERROR_FILE_NOT_FOUND);
  if (!S_ISREG(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
  // A file system without modes or owners keeps its own; only root may give a file away.
  if (::chown(source.c_str(), st.st_uid, st.st_gid) != 0) (void)::chown(source.c_str(), uid_t(-1), st.st_gid);
  ::chmod(source.c_str(), st.st_mode & 07777);
  if (::rename(source.c_str(), target.c_str()) != 0) return failErrno();
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
  struct stat st;
  if (!path || ::stat(nativePath(path).c_str(), &st) != 0) {
    SetLastError(path ? errorOf(errno) : ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  const bool readOnly = ::access(nativePath(path).c_str(), W_OK) != 0;
  return FILE_ATTRIBUTE_ARCHIVE | (readOnly ? FILE_ATTRIBUTE_READONLY : 0);
}

namespace {

FILETIME fileTimeOf(const struct timespec& t) {
  const uint64_t ticks = static_cast<uint64_t>(t.tv_sec + 11644473600LL) * 10000000ULL +
                         static_cast<uint64_t>(t.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
  if (!path || !info || level != GetFileExInfoStandard) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  if (::stat(nativePath(path).c_str(), &st) != 0) {
    SetLastError(errorOf(errno));
    return FALSE;
  }
  auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(info);
  const bool dir = S_ISDIR(st.st_mode);
  const bool readOnly = ::access(nativePath(path).c_str(), W_OK) != 0;
  data->dwFileAttributes = dir ? FILE_ATTRIBUTE_DIRECTORY
                               : FILE_ATTRIBUTE_ARCHIVE | (readOnly ? FILE_ATTRIBUTE_READONLY : 0);
  data->ftCreationTime = fileTimeOf(st.st_ctim);
  data->ftLastAccessTime = fileTimeOf(st.st_atim);
  data->ftLastWriteTime = fileTimeOf(st.st_mtim);
  const uint64_t size = dir ? 0 : static_cast<uint64_t>(st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  return TRUE;
}

// ---- memory pages ----

namespace {

constexpr uintptr_t kGranularity = 64 * 1024;
constexpr uintptr_t kLargePage = 2 * 1024 * 1024;  // the processor's large page

// The size of every allocation by its first address, for MEM_RELEASE.
std::mutex& allocationsLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
std::map<uintptr_t, size_t>& allocations() {
  static auto* m = new std::map<uintptr_t, size_t>;
  return *m;
}

}  // namespace

SIZE_T GetLargePageMinimum() { return kLargePage; }

namespace {

// VirtualAlloc with a start on a multiple of `alignment` where no address is given
// (0: the granularity, or the large page for MEM_LARGE_PAGES).
LPVOID allocatePages(LPVOID address, SIZE_T size, DWORD type, DWORD protect, uintptr_t alignment) {
  const bool large = (type & MEM_LARGE_PAGES) != 0;
  type &= ~MEM_LARGE_PAGES;
  if (!address && type == MEM_COMMIT) type = MEM_RESERVE | MEM_COMMIT;
  const bool commit = (type & MEM_COMMIT) != 0;
  if (size == 0 || (type != MEM_RESERVE && type != (MEM_RESERVE | MEM_COMMIT)) ||
      (protect != PAGE_NOACCESS && protect != PAGE_READWRITE) || (large && !commit)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t page = large ? kLargePage : size_t(::sysconf(_SC_PAGESIZE));
  size = (size + page - 1) / page * page;
  alignment = std::max(alignment, large ? kLargePage : kGranularity);
  const int prot = commit && protect == PAGE_READWRITE ? PROT_READ | PROT_WRITE : PROT_NONE;
  int flags = MAP_PRIVATE | MAP_ANONYMOUS | (commit ? 0 : MAP_NORESERVE);
  uintptr_t want = reinterpret_cast<uintptr_t>(address) & ~(kGranularity - 1);
  void* p;
  if (want) {
    size += reinterpret_cast<uintptr_t>(address) - want;
    p = ::mmap(reinterpret_cast<void*>(want), size, prot, flags | MAP_FIXED_NOREPLACE, -1, 0);
    if (p != MAP_FAILED && reinterpret_cast<uintptr_t>(p) != want) {  // a kernel that took a hint
      ::munmap(p, size);
      p = MAP_FAILED;
    }
    if (p == MAP_FAILED) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return nullptr;
    }
  } else {  // a larger mapping cut down to a start on the alignment
    const size_t span = size + alignment;
    void* raw = ::mmap(nullptr, span, prot, flags, -1, 0);
    if (raw == MAP_FAILED) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t base = (start + alignment - 1) & ~(alignment - 1);
    if (base > start) ::munmap(raw, base - start);
    if (start + span > base + size) ::munmap(reinterpret_cast<void*>(base + size), start + span - base - size);
    p = reinterpret_cast<void*>(base);
  }
  if (large) ::madvise(p, size, MADV_HUGEPAGE);  // a system without them keeps small pages
  try {
    std::lock_guard<std::mutex> lock(allocationsLock());
    allocations()[reinterpret_cast<uintptr_t>(p)] = size;
  } catch (const std::bad_alloc&) {
    ::munmap(p, size);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return p;
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  return allocatePages(address, size, type, protect, 0);
}

PVOID VirtualAlloc2(HANDLE process, PVOID address, SIZE_T size, ULONG type, ULONG protect,
                    MEM_EXTENDED_PARAMETER* parameters, ULONG count) {
  uintptr_t alignment = 0;
  bool valid = process == nullptr && address == nullptr && (count == 0 || parameters != nullptr);
  for (ULONG i = 0; valid && i < count; ++i) {
    const auto* needs = static_cast<const MEM_ADDRESS_REQUIREMENTS*>(parameters[i].Pointer);
    valid = parameters[i].Type == MemExtendedParameterAddressRequirements && needs != nullptr &&
            needs->LowestStartingAddress == nullptr && needs->HighestEndingAddress == nullptr &&
            (needs->Alignment & (needs->Alignment - 1)) == 0 &&
            (needs->Alignment == 0 || needs->Alignment >= kGranularity);
    if (valid) alignment = std::max<uintptr_t>(alignment, needs->Alignment);
  }
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return allocatePages(nullptr, size, type, protect, alignment);
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
  if (!address || size != 0 || freeType != MEM_RELEASE) return fail(ERROR_INVALID_PARAMETER);
  size_t bytes;
  {
    std::lock_guard<std::mutex> lock(allocationsLock());
    auto it = allocations().find(reinterpret_cast<uintptr_t>(address));
    if (it == allocations().end()) return fail(ERROR_INVALID_ADDRESS);
    bytes = it->second;
    allocations().erase(it);
  }
  ::munmap(address, bytes);
  return TRUE;
}
