// Helpers of the text-file tests: UTF-16 forms of ASCII-and-more text, the quote detection
// reset, and read options.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "store/IoOptions.h"
#include "store/QuoteDetect.h"
#include "store/TextImport.h"
#include "tests/support/Scratch.h"
#include "tests/support/TextConvert.h"

namespace textfiles {

using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::w;
using testsupport::writeBytes;

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

// Restores the menu's quote detection that a test changed.
class QuoteDetectGuard {
 public:
  QuoteDetectGuard() : mQuotes(gQuoteDetect) {}
  ~QuoteDetectGuard() { gQuoteDetect = mQuotes; }

 private:
  bool mQuotes;
};

// The options of a read with buffers of `bytes` (0: the default).
inline IoOptions withBlock(size_t bytes) {
  IoOptions options = IoOptions::current();
  options.blockBytes = bytes;
  return options;
}

}  // namespace textfiles
