// Text encodings of delimited files and their detection.
#pragma once
#include <cstdint>
#include <string>

// The encoding a document reads and writes text in. Any value outside 1..5 is
// written like ENC_ANSI; 0 is only ever a result of detectEncoding.
enum TextEncoding : int32_t {
  ENC_NONE = 0,        // the file cannot be read
  ENC_UTF8 = 1,        // UTF-8, written with EF BB BF
  ENC_UTF16LE = 2,     // UTF-16 low byte first, written with FF FE
  ENC_UTF16BE = 3,     // UTF-16 high byte first, written with FE FF
  ENC_ANSI = 4,        // the system ANSI code page (GBK); the default
  ENC_UTF8_NOBOM = 5,  // UTF-8 written without a byte order mark
};

// The encoding of the file at `path`, judged from its byte order mark or, when
// it has none, from its first 1024 bytes: the statistical UTF-16LE test, then
// a tally of UTF-8 sequences. An empty or pure-ASCII file gives ENC_ANSI; a
// file that cannot be opened gives ENC_NONE.
TextEncoding detectEncoding(const std::u16string& path);

// The decision of detectEncoding over bytes already read: `head` holds the
// first bytes of a file (at most 1024 are looked at).
TextEncoding detectEncodingOfBytes(const char* head, size_t size);
