// Text encodings of delimited files and their detection.
#pragma once
#include <cstdint>
#include <string>

// Text encodings of delimited files; a sheet keeps the one it was read in and the
// one it is saved in.
enum TextEncoding : int32_t {
  ENC_NONE = 0,  // the file cannot be read
  ENC_UTF8 = 1,  // UTF-8 with BOM
  ENC_UTF16LE = 2,
  ENC_UTF16BE = 3,
  ENC_ANSI = 4,  // the system code page (GBK); the default
  ENC_UTF8_NOBOM = 5,
};

// The encoding of the file at `path`, judged from its byte order mark or, when
// it has none, from its first 1024 bytes: the statistical UTF-16LE test, then
// a tally of UTF-8 sequences. An empty or pure-ASCII file gives ENC_ANSI; a
// file that cannot be opened, and anything that is not a regular file (a
// folder, a named pipe, a device), gives ENC_NONE without being opened.
TextEncoding detectEncoding(const std::u16string& path);

// The decision of detectEncoding over bytes already read: `head` holds the
// first bytes of a file (at most 1024 are looked at).
TextEncoding detectEncodingOfBytes(const char* head, size_t size);
