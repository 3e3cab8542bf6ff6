// Where a test leaves a picture for a person to look at: beside the test program,
// in a folder named after the source folder of the tests (build/tests/<folder>/).
#pragma once
#include <unistd.h>

#include <filesystem>
#include <string>

namespace testsupport {

// The folder, created when missing.
inline std::filesystem::path pictureFolder(const std::string& folder) {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::filesystem::path dir = n > 0 ? std::filesystem::path(std::string(buf, size_t(n))).parent_path() : ".";
  std::filesystem::create_directories(dir / folder);
  return dir / folder;
}

inline std::filesystem::path picturePath(const std::string& folder, const std::string& name) {
  return pictureFolder(folder) / name;
}

}  // namespace testsupport
