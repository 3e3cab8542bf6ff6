// Helpers of the workbook library tests: a scratch folder, and the Debian
// Python oracles (openpyxl, xlrd, xlwt) that make and check files
// independently of the library.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/xl/xl.h"
#include "tests/support/Scratch.h"
#include "tests/support/TextConvert.h"

namespace xltest {

// A folder of this test process, removed when the process ends.
inline std::string scratchDir() {
  static const testsupport::ScratchDir dir;
  return dir.dir();
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

inline std::string utf8(const char16_t* s) { return s ? testsupport::u8(s) : "<null>"; }

}  // namespace xltest
