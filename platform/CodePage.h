// Code-page conversions between UTF-16 and byte text: UTF-8 and the ANSI code
// page. The ANSI code page of this system is code page 936 (GBK).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// Converts srcLen bytes (-1: up to and including the NUL) of `codePage` text to
// UTF-16. With dstLen 0 only measures. Returns the code units written (or
// needed), 0 when dst is too small or the code page is unknown.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLen, char16_t* dst, int dstLen);
// The reverse direction. defaultChar and usedDefault are accepted and ignored:
// characters the code page cannot hold become '?'.
int WideCharToMultiByte(UINT codePage, DWORD flags, const char16_t* src, int srcLen, char* dst, int dstLen,
                        const char* defaultChar, BOOL* usedDefault);

// Bulk converters with the same results as the two calls above. `out` must hold
// n code units (decoders), 3 * n bytes (utf8Encode) or 2 * n bytes (ansiEncode).
// Invalid UTF-8 gives U+FFFD per maximal invalid sequence; an unpaired surrogate
// encodes as EF BF BD; GBK bytes that do not decode give '?' per byte, and
// characters GBK cannot hold give '?'.
size_t utf8Decode(const char* src, size_t n, char16_t* out);
size_t ansiDecode(const char* src, size_t n, char16_t* out);
size_t utf8Encode(const char16_t* src, size_t n, char* out);
size_t ansiEncode(const char16_t* src, size_t n, char* out);

// Whole-string conversions, embedded NULs included; invalid or unmappable input takes
// the platform's replacement characters. The ANSI code page is GBK.
std::u16string ansiToWide(std::string_view bytes);
std::u16string utf8ToWide(std::string_view bytes);
std::string wideToUtf8(std::u16string_view text);
std::string wideToAnsi(std::u16string_view text);
