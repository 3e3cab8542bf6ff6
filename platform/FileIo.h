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
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
BOOL CreateDirectoryW(LPCWSTR path, void* security);

bool fileExists(std::u16string_view path);
bool isDirectory(std::u16string_view path);
