// Helpers of the text-file tests: a scratch folder, files written and read as
// bytes, UTF-16 forms of ASCII-and-more text, and the quote detection reset.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/fileio.h"
#include "store/IoOptions.h"
#include "store/QuoteDetect.h"
#include "store/TextHelpers.h"
#include "store/TextImport.h"

namespace textfiles {

// A fresh folder under /tmp per test; removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/morvel-io-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  ~ScratchDir() { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string native(const std::string& name) const { return dir_ + "/" + name; }
  std::u16string path(const std::string& name) const { return utf8ToWide(native(name)); }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

inline void writeBytes(const std::string& nativePath, const std::string& bytes) {
  std::ofstream(nativePath, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-16 bytes of a UTF-8 text, low or high byte first.
inline std::string utf16Bytes(const std::string& utf8, bool bigEndian) {
  std::u16string w = utf8ToWide(utf8);
  std::string out;
  for (char16_t u : w) {
    char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

inline std::string gbk(const std::string& utf8) { return wideToAnsi(utf8ToWide(utf8)); }

inline std::u16string w(const std::string& utf8) { return utf8ToWide(utf8); }

// Restores the menu's quote detection that a test changed.
class QuoteDetectGuard {
 public:
  QuoteDetectGuard() : quotes_(gQuoteDetect) {}
  ~QuoteDetectGuard() { gQuoteDetect = quotes_; }

 private:
  bool quotes_;
};

// The options of a read with buffers of `bytes` (0: the default).
inline IoOptions withBlock(size_t bytes) {
  IoOptions options = IoOptions::current();
  options.blockBytes = bytes;
  return options;
}

}  // namespace textfiles
