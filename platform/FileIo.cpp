#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/CodePage.h"

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
