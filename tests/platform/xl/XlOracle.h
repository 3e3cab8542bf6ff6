// Helpers of the workbook library tests: a scratch folder, and the Debian
// Python oracles (openpyxl, xlrd, xlwt) that make and check files
// independently of the library.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/xl/xl.h"
#include "tests/support/TextConvert.h"

namespace xltest {

// A folder of this test process, removed when the process ends.
inline std::string scratchDir() {
  struct Dir {
    std::string path = testing::TempDir() + "xl_" + std::to_string(getpid());
    Dir() {
      std::string cmd = "mkdir -p '" + path + "'";
      if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "cannot make " << path;
    }
    ~Dir() {
      std::string cmd = "rm -rf '" + path + "'";
      if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path.c_str());
    }
  };
  static const Dir dir;
  return dir.path;
}

inline std::string scratch(const std::string& name) { return scratchDir() + "/" + name; }

inline constexpr auto& u16 = testsupport::w;

// Runs the script with Debian's Python; false when it fails. Its output
// (stdout and stderr) goes to `out`.
inline bool runPython(const std::string& script, std::string* out = nullptr) {
  static int counter = 0;
  std::string file = scratch("script" + std::to_string(counter++) + ".py");
  std::ofstream(file) << script;
  std::string cmd = "/usr/bin/python3 '" + file + "' 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return false;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  if (out) *out = text;
  if (status != 0) ADD_FAILURE() << "python failed:\n" << text;
  return status == 0;
}

// Whether /usr/bin/python3 can import the module.
inline bool hasOracle(const char* module) {
  std::string cmd = std::string("/usr/bin/python3 -c 'import ") + module + "' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

#define XL_REQUIRE_ORACLE(module) \
  if (!xltest::hasOracle(module)) GTEST_SKIP() << "python3 module " module " missing"

// Releases a book at the end of a scope.
struct BookPtr {
  xl::Book* book;
  explicit BookPtr(xl::Book* b) : book(b) {}
  ~BookPtr() {
    if (book) book->release();
  }
  xl::Book* operator->() const { return book; }
  BookPtr(const BookPtr&) = delete;
  BookPtr& operator=(const BookPtr&) = delete;
};

inline std::string utf8(const char16_t* s) {
  std::string out;
  if (!s) return "<null>";
  for (; *s; ++s) {
    unsigned c = *s;
    if (c >= 0xD800 && c <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unsigned(s[1]) - 0xDC00);
      ++s;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace xltest
