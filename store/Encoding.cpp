#include "store/Encoding.h"

#include <cstdio>

#include "platform/FileIo.h"
#include "platform/TextUnicode.h"

namespace {

constexpr size_t SNIFF_BYTES = 1024;

// The tally of step 4: more well-formed UTF-8 sequences than broken bytes
// means UTF-8. A sequence cut off by the end of the bytes counts as valid.
TextEncoding tallyUtf8(const unsigned char* b, size_t n) {
  int pending = 0;
  long valid = 0, broken = 0;
  bool ascii = true;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = b[i];
    if (c >= 0x80) ascii = false;
    if (pending > 0) {
      if ((c & 0xC0) == 0x80) {
        --pending;
      } else {
        pending = 0;
        --valid;
        ++broken;
      }
      continue;
    }
    if (c < 0x80) continue;
    if (c <= 0xBF) {
      ++broken;
      continue;
    }
    if (c >= 0xFC && c <= 0xFD) pending = 5;
    else if (c >= 0xF8) pending = 4;  // F8..FB, FE and FF
    else if (c >= 0xF0) pending = 3;
    else if (c >= 0xE0) pending = 2;
    else pending = 1;
    ++valid;
  }
  if (ascii) return ENC_ANSI;
  return valid > broken ? ENC_UTF8_NOBOM : ENC_ANSI;
}

}  // namespace

TextEncoding detectEncodingOfBytes(const char* head, size_t size) {
  const auto* b = reinterpret_cast<const unsigned char*>(head);
  if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return ENC_UTF8;
  if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) return ENC_UTF16LE;
  if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF) return ENC_UTF16BE;
  size_t n = size < SNIFF_BYTES ? size : SNIFF_BYTES;
  if (IsTextUnicode(head, static_cast<int>(n), nullptr)) return ENC_UTF16LE;
  return tallyUtf8(b, n);
}

TextEncoding detectEncoding(const std::u16string& path) {
  // A folder opens on this system and reads nothing; a named pipe's open waits for a
  // writer and a device may never end: the readers take regular files only.
  if (!isRegularFile(path)) return ENC_NONE;
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (f == nullptr) return ENC_NONE;
  char head[SNIFF_BYTES];
  size_t n = std::fread(head, 1, SNIFF_BYTES, f);
  std::fclose(f);
  return detectEncodingOfBytes(head, n);
}
