// Directory enumeration by wildcard pattern, wide and narrow.
#include "platform/user/FindFile.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/user/Constants.h"
#include "platform/user/Window.h"

namespace {

struct Entry {
  std::u16string name;
  bool directory = false;
  bool link = false;  // a symbolic link (its attributes are those of what it names)
  bool readOnly = false;
  uint64_t size = 0;
  int64_t created = 0, accessed = 0, written = 0;  // seconds since 1970
};

struct Search {
  std::vector<Entry> entries;
  size_t next = 0;
};

struct Searches {
  std::mutex mutex;
  std::unordered_set<Search*> live;
};

Searches& searches() {
  static auto* s = new Searches;
  return *s;
}

bool wildMatch(const char16_t* p, const char16_t* n) {
  for (; *p; ++p, ++n) {
    if (*p == u'*') {
      while (p[1] == u'*') ++p;
      if (!p[1]) return true;
      for (const char16_t* k = n; *k; ++k)
        if (wildMatch(p + 1, k)) return true;
      return wildMatch(p + 1, n + std::char_traits<char16_t>::length(n));
    }
    if (!*n) return false;
    if (*p != u'?' && foldAscii(*p) != foldAscii(*n)) return false;
  }
  return !*n;
}

// A name matches "x.*" also when it has no extension at all ("*.*" takes all).
bool nameMatches(const std::u16string& pattern, const std::u16string& name) {
  if (wildMatch(pattern.c_str(), name.c_str())) return true;
  return pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, u".*") == 0 &&
         wildMatch(pattern.c_str(), (name + u".").c_str());
}

bool lessName(const Entry& a, const Entry& b) {
  auto rank = [](const std::u16string& n) { return n == u"." ? 0 : n == u".." ? 1 : 2; };
  if (rank(a.name) != rank(b.name)) return rank(a.name) < rank(b.name);
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [](char16_t x, char16_t y) { return foldAscii(x) < foldAscii(y); });
}

// Entries of the pattern's folder whose names match, in name order. Sets
// *error to the platform code when the folder cannot be read.
std::vector<Entry> enumerate(const std::u16string& pattern, DWORD* error) {
  size_t slash = pattern.rfind(u'/');
  std::u16string folder = slash == std::u16string::npos ? std::u16string(u".")
                          : slash == 0                  ? std::u16string(u"/")
                                                        : pattern.substr(0, slash);
  std::u16string name = slash == std::u16string::npos ? pattern : pattern.substr(slash + 1);
  std::string native = nativePath(folder);
  std::vector<Entry> found;
  DIR* dir = opendir(native.c_str());
  if (!dir) {
    *error = ERROR_PATH_NOT_FOUND;
    return found;
  }
  while (dirent* d = readdir(dir)) {
    Entry e;
    e.name = utf8ToWide(d->d_name);
    if (!nameMatches(name, e.name)) continue;
    struct stat st {};
    std::string full = native + "/" + d->d_name;
    e.link = lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if (stat(full.c_str(), &st) == 0) {
      e.directory = S_ISDIR(st.st_mode);
      e.readOnly = access(full.c_str(), W_OK) != 0;
      e.size = static_cast<uint64_t>(st.st_size);
      e.created = st.st_ctime, e.accessed = st.st_atime, e.written = st.st_mtime;
    }
    found.push_back(std::move(e));
  }
  closedir(dir);
  std::sort(found.begin(), found.end(), lessName);
  *error = found.empty() ? ERROR_FILE_NOT_FOUND : 0;
  return found;
}

Search* start(const std::u16string& pattern, DWORD* error) {
  auto entries = enumerate(pattern, error);
  if (entries.empty()) return nullptr;
  auto* s = new Search{std::move(entries), 0};
  Searches& all = searches();
  std::lock_guard<std::mutex> lock(all.mutex);
  all.live.insert(s);
  return s;
}

Search* live(void* handle) {
  Searches& all = searches();
  std::lock_guard<std::mutex> lock(all.mutex);
  auto* s = static_cast<Search*>(handle);
  return all.live.count(s) ? s : nullptr;
}

bool finish(void* handle) {
  Searches& all = searches();
  std::lock_guard<std::mutex> lock(all.mutex);
  auto* s = static_cast<Search*>(handle);
  if (!all.live.erase(s)) return false;
  delete s;
  return true;
}

FILETIME fileTime(int64_t seconds) {
  uint64_t t = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
  return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

void fillWide(const Entry& e, WIN32_FIND_DATAW* out) {
  *out = WIN32_FIND_DATAW{};
  out->dwFileAttributes = e.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (e.readOnly && !e.directory) out->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  if (e.link) {
    out->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    out->dwReserved0 = IO_REPARSE_TAG_SYMLINK;
  }
  out->ftCreationTime = fileTime(e.created);
  out->ftLastAccessTime = fileTime(e.accessed);
  out->ftLastWriteTime = fileTime(e.written);
  out->nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
  out->nFileSizeLow = static_cast<DWORD>(e.size);
  size_t n = std::min<size_t>(e.name.size(), MAX_PATH - 1);
  std::copy_n(e.name.data(), n, out->cFileName);
}

void fillNarrow(const Entry& e, _finddata64i32_t* out) {
  *out = _finddata64i32_t{};
  out->attrib = e.directory ? _A_SUBDIR : _A_ARCH;
  if (e.readOnly && !e.directory) out->attrib |= _A_RDONLY;
  out->time_create = e.created, out->time_access = e.accessed, out->time_write = e.written;
  out->size = static_cast<uint32_t>(e.size);
  int n = WideCharToMultiByte(CP_ACP, 0, e.name.data(), static_cast<int>(e.name.size()), out->name,
                              static_cast<int>(sizeof out->name) - 1, nullptr, nullptr);
  out->name[std::max(n, 0)] = 0;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
  if (!pattern || !data) return INVALID_HANDLE_VALUE;
  DWORD error = 0;
  Search* s = start(pattern, &error);
  if (!s) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  fillWide(s->entries[s->next++], data);
  return s;
}

BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data) {
  Search* s = live(search);
  if (!s || !data) return FALSE;
  if (s->next >= s->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  fillWide(s->entries[s->next++], data);
  return TRUE;
}

BOOL FindClose(HANDLE search) { return finish(search) ? TRUE : FALSE; }

intptr_t _findfirst64i32(const char* pattern, _finddata64i32_t* data) {
  if (!pattern || !data) {
    errno = EINVAL;
    return -1;
  }
  int units = MultiByteToWideChar(CP_ACP, 0, pattern, -1, nullptr, 0);
  std::u16string wide(static_cast<size_t>(std::max(units, 1)), u'\0');
  MultiByteToWideChar(CP_ACP, 0, pattern, -1, wide.data(), units);
  wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
  DWORD error = 0;
  Search* s = start(wide, &error);
  if (!s) {
    errno = ENOENT;
    return -1;
  }
  fillNarrow(s->entries[s->next++], data);
  return reinterpret_cast<intptr_t>(s);
}

int _findnext64i32(intptr_t search, _finddata64i32_t* data) {
  Search* s = live(reinterpret_cast<void*>(search));
  if (!s || !data || s->next >= s->entries.size()) {
    errno = ENOENT;
    return -1;
  }
  fillNarrow(s->entries[s->next++], data);
  return 0;
}

int _findclose(intptr_t search) { return finish(reinterpret_cast<void*>(search)) ? 0 : -1; }
