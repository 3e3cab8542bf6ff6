// Directory enumeration: the wide FindFirstFileW family and the C runtime's
// narrow (ANSI code page) _findfirst64i32 family. Patterns are a folder, '/'
// and a name with '*' and '?' compared without regard to ASCII case; "*.*"
// matches every name, dotted or not. Entries come in name order, "." and ".."
// first. A symbolic link has the attributes of what it names (FILE_ATTRIBUTE_DIRECTORY
// for a link to a folder) with FILE_ATTRIBUTE_REPARSE_POINT added, and
// IO_REPARSE_TAG_SYMLINK in dwReserved0, as the wide calls give them.
#pragma once
#include <cstdint>

#include "platform/FileIo.h"
#include "platform/WinTypes.h"

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);  // INVALID_HANDLE_VALUE if none
BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* data);       // FALSE at the end
BOOL FindClose(HANDLE search);

constexpr unsigned _A_NORMAL = 0x00;
constexpr unsigned _A_RDONLY = 0x01;
constexpr unsigned _A_HIDDEN = 0x02;
constexpr unsigned _A_SUBDIR = 0x10;
constexpr unsigned _A_ARCH = 0x20;

struct _finddata64i32_t {
  unsigned attrib;
  int64_t time_create;
  int64_t time_access;
  int64_t time_write;
  uint32_t size;
  char name[260];  // ANSI code page
};

intptr_t _findfirst64i32(const char* pattern, _finddata64i32_t* data);  // -1 if none
int _findnext64i32(intptr_t search, _finddata64i32_t* data);            // -1 at the end
int _findclose(intptr_t search);
