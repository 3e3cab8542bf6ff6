// The registry calls the program makes: a small store kept in one file under
// the user's configuration folder ($XDG_CONFIG_HOME/morvel/registry, else
// ~/.config/morvel/registry). MORVEL_REGISTRY_FILE names another file (tests
// point it at a temporary one); the store is read again from the file
// whenever the location changes. Key names compare without regard to ASCII
// case; '\' separates them.
#pragma once
#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

LSTATUS RegOpenKeyW(HKEY key, LPCWSTR subKey, PHKEY result);
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY result);
LSTATUS RegCloseKey(HKEY key);
// The default value of `subKey` (null or "" = the key itself) as text; size
// in bytes, terminating NUL included. A key without a default value reads as
// "". ERROR_MORE_DATA with the size needed when the buffer is too small.
LSTATUS RegQueryValueW(HKEY key, LPCWSTR subKey, LPWSTR data, LONG* dataBytes);
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataBytes);
// Sets the default value of `subKey` (created when missing); REG_SZ only.
LSTATUS RegSetValueW(HKEY key, LPCWSTR subKey, DWORD type, LPCWSTR data, DWORD dataBytes);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataBytes);
