// Files and folders addressed by UTF-16 paths, with 64-bit offsets.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

// The path as the operating system takes it (UTF-8).
std::string nativePath(std::u16string_view path);
// Where the file name of `path` starts: after its last separator, 0 without one. The
// program's paths use '/'; '\' counts as well, as stored paths may carry it.
size_t fileNameStart(std::u16string_view path);

FILE* _wfopen(const char16_t* path, const char16_t* mode);
int _fseeki64(FILE* f, int64_t offset, int origin);
int64_t _ftelli64(FILE* f);

BOOL DeleteFileW(LPCWSTR path);
// Fails when `to` exists, like the platform call.
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
// Copies a file's bytes; fails (ERROR_SHARING_VIOLATION) for a file onto itself, which
// stays as it was, and for a folder.
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
BOOL CreateDirectoryW(LPCWSTR path, void* security);

bool fileExists(std::u16string_view path);
bool isDirectory(std::u16string_view path);
// True when `path` names a regular file (a link counts as what it points at); false for
// a folder, a named pipe, a device, a socket and a path that names nothing. Nothing is
// opened: opening a named pipe waits until a writer comes.
bool isRegularFile(std::u16string_view path);
// What a symbolic link names, with every link on the way followed (an absolute path);
// `path` itself when it is no link, or a link that names nothing.
std::u16string linkTarget(std::u16string_view path);

// Which file a path reaches, through any links: the volume and the file's number on it,
// as GetFileInformationByHandle gives them. Two names (hard links and symbolic links
// included) reach the same file exactly when their identities are equal.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};
// False when the path names nothing.
bool fileIdentity(std::u16string_view path, FileIdentity& out);
// True when both paths name an existing file and it is the same one.
bool sameFile(std::u16string_view a, std::u16string_view b);

// ---- files as handles ----
// A file handle is a C runtime stream's descriptor: _get_osfhandle(_fileno(stream)). It
// belongs to the stream and stays valid until the stream is closed. The calls below
// report failures through GetLastError.

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};

// Where a read starts (Offset + OffsetHigh * 2^32); the other fields are not used by a
// handle opened for synchronous reads, as every handle here is.
struct OVERLAPPED {
  ULONG_PTR Internal = 0;
  ULONG_PTR InternalHigh = 0;
  DWORD Offset = 0;
  DWORD OffsetHigh = 0;
  HANDLE hEvent = nullptr;
};

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
constexpr DWORD FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2;
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD IO_REPARSE_TAG_SYMLINK = 0xA000000C;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_ADDRESS = 487;

int _fileno(FILE* stream);
// The handle of descriptor fd, INVALID_HANDLE_VALUE (as intptr_t) when fd is not open.
intptr_t _get_osfhandle(int fd);

// Reads up to toRead bytes into buffer; *read receives the count. Without `overlapped`
// the read starts at the file pointer; with it at the offset it names, and the file
// pointer then stands after the bytes read. At the end of the file a read at the file
// pointer succeeds with *read 0, while a read at an offset fails with ERROR_HANDLE_EOF.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, OVERLAPPED* overlapped);
// The size of a file; fails with ERROR_INVALID_FUNCTION for what is not a file (a
// folder, a pipe, a device).
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
// Moves the file pointer by `distance` from the start, the pointer or the end; the new
// position goes to *newPosition when it is given. A position before the start fails.
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD method);
// Cuts or extends the file to end at the file pointer.
BOOL SetEndOfFile(HANDLE file);
// Writes the file's data and size that the system still holds to the disk, and returns
// once the disk has them. A stream's own buffer is not included: fflush it first. Fails
// when the disk reports an error, and for what cannot be flushed (a pipe, most devices).
BOOL FlushFileBuffers(HANDLE file);

// Renames `from` to `to`; with MOVEFILE_REPLACE_EXISTING an existing file `to` is
// replaced (a folder never is). A file keeps its own attributes: see ReplaceFileW for a
// replacement that takes over the replaced file's.
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
// Puts `replacement` in the place of the existing file `replaced`, which it takes the
// attributes (permissions, and the owner where this program may set it) of. No backup file is made (backup must be null); flags,
// exclude and reserved are accepted and ignored. Fails with ERROR_FILE_NOT_FOUND when
// `replaced` does not exist, and then nothing changes.
BOOL ReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                  LPVOID reserved);
// FILE_ATTRIBUTE_DIRECTORY for a folder; FILE_ATTRIBUTE_ARCHIVE for a file, with
// FILE_ATTRIBUTE_READONLY when this program may not write it (as FindFirstFileW gives
// them); INVALID_FILE_ATTRIBUTES (and GetLastError) when the path names nothing.
DWORD GetFileAttributesW(LPCWSTR path);

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };
struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
// With GetFileExInfoStandard fills the WIN32_FILE_ATTRIBUTE_DATA at `info`: the
// attributes as GetFileAttributesW gives them, the size (0 for a folder) and the
// times to the file system's precision (the creation time is the last status
// change here). FALSE with ERROR_FILE_NOT_FOUND when the path names nothing, and
// with ERROR_INVALID_PARAMETER for another level or a null argument.
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);

// ---- memory pages ----
constexpr DWORD MEM_COMMIT = 0x1000, MEM_RESERVE = 0x2000, MEM_RELEASE = 0x8000;
constexpr DWORD MEM_LARGE_PAGES = 0x20000000;
constexpr DWORD PAGE_NOACCESS = 0x01, PAGE_READWRITE = 0x04;

// Reserves (and with MEM_COMMIT commits, zero-filled) `size` bytes of pages, at
// `address` when it is given (rounded down to the 64 KiB allocation granularity; the call
// fails when any of that range is in use) or wherever there is room. Null on failure.
// Only MEM_RESERVE and MEM_RESERVE | MEM_COMMIT, with PAGE_NOACCESS or PAGE_READWRITE,
// are supported: a whole allocation is committed or not at once.
// MEM_LARGE_PAGES with MEM_RESERVE | MEM_COMMIT asks for the large pages of
// GetLargePageMinimum(): the size is rounded up to a multiple of it and, without an
// `address`, the allocation starts on such a boundary (a given address is used as
// it is: the caller aligns it). Unlike the window system's, the call does not fail
// where large pages cannot be had: the pages are then ordinary ones.
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect);
// What VirtualAlloc2 may be asked beyond VirtualAlloc: only where the allocation
// starts (an alignment, a power of two of at least the 64 KiB granularity; 0 for
// the granularity).
struct MEM_ADDRESS_REQUIREMENTS {
  PVOID LowestStartingAddress;  // must be null here
  PVOID HighestEndingAddress;   // must be null here
  SIZE_T Alignment;
};
enum MEM_EXTENDED_PARAMETER_TYPE : DWORD64 {
  MemExtendedParameterInvalidType = 0,
  MemExtendedParameterAddressRequirements = 1,
};
struct MEM_EXTENDED_PARAMETER {
  struct {
    DWORD64 Type : 8;
    DWORD64 Reserved : 56;
  };
  union {
    DWORD64 ULong64;
    PVOID Pointer;
  };
};
// VirtualAlloc without an address, for the calling process (`process` null), with the start that a MemExtendedParameterAddressRequirements
// parameter (its Pointer naming a MEM_ADDRESS_REQUIREMENTS) asks. One mapping cut
// down to the boundary: threads that ask at once each get their own block. Null with
// ERROR_INVALID_PARAMETER for an address, another kind of parameter or an alignment
// that is not a power of two.
PVOID VirtualAlloc2(HANDLE process, PVOID address, SIZE_T size, ULONG type, ULONG protect,
                    MEM_EXTENDED_PARAMETER* parameters, ULONG count);
// The size of a large page (2 MiB, the processor's), which the system may or may not
// back an allocation of MEM_LARGE_PAGES with.
SIZE_T GetLargePageMinimum();
// With MEM_RELEASE and size 0 releases the whole allocation that starts at `address`.
// Anything else fails with ERROR_INVALID_PARAMETER.
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType);
