// Base types of the window-system layer: the names and widths the rest of the
// program is written against. Text is UTF-16 (WCHAR is char16_t), LONG, DWORD
// and UINT are 32-bit, pointers and the message parameters 64-bit.
#pragma once
#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using DWORD64 = uint64_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using SIZE_T = size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using COLORREF = DWORD;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using PVOID = void*;
using LPCVOID = const void*;
using HRESULT = int32_t;

// A point in time: 100-nanosecond intervals since 1601-01-01 UTC, in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Opaque handles: distinct pointer types so that they cannot be mixed up.
#define MORVEL_DECLARE_HANDLE(name) \
  struct name##__ {                 \
    int unused;                     \
  };                                \
  using name = name##__*
MORVEL_DECLARE_HANDLE(HWND);
MORVEL_DECLARE_HANDLE(HDC);
MORVEL_DECLARE_HANDLE(HINSTANCE);
MORVEL_DECLARE_HANDLE(HMENU);
MORVEL_DECLARE_HANDLE(HICON);
MORVEL_DECLARE_HANDLE(HCURSOR);
MORVEL_DECLARE_HANDLE(HBRUSH);
MORVEL_DECLARE_HANDLE(HPEN);
MORVEL_DECLARE_HANDLE(HFONT);
MORVEL_DECLARE_HANDLE(HBITMAP);
MORVEL_DECLARE_HANDLE(HRGN);
MORVEL_DECLARE_HANDLE(HACCEL);
MORVEL_DECLARE_HANDLE(HKEY);
MORVEL_DECLARE_HANDLE(HDROP);
MORVEL_DECLARE_HANDLE(HIMC);
using HGDIOBJ = void*;
using HMODULE = HINSTANCE;
using HANDLE = void*;
using HGLOBAL = HANDLE;  // as on the platform: clipboard data is a HANDLE and GlobalLock takes it

struct RECT {
  LONG left, top, right, bottom;
};
struct POINT {
  LONG x, y;
};
struct SIZE {
  LONG cx, cy;
};

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) \
  ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
