// A scratch folder of its own per test, and whole files read and written as bytes.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/CodePage.h"

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "morvel-XXXXXX").string();
    mDir = mkdtemp(templ.data());
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mDir, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder, and a name in it, as the operating system takes them (UTF-8).
  const std::string& dir() const { return mDir; }
  std::string native(const std::string& name) const { return mDir + "/" + name; }
  // A name in the folder as the program takes paths (UTF-16).
  std::u16string path(const std::string& name) const { return utf8ToWide(native(name)); }

 private:
  std::string mDir;
};

inline std::string readBytes(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& nativePath, const std::string& bytes) {
  std::ofstream(nativePath, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testsupport
