#include "store/FilePath.h"

#include <cstdio>
#include <new>

#include "platform/Crt.h"
#include "platform/FileIo.h"

FileKind fileKind(std::u16string path) {
  static const struct {
    const char16_t* suffix;
    FileKind kind;
  } kSuffixes[] = {{u".mvt", FILE_MVT},  {u".csv", FILE_CSV},   {u".txt", FILE_TXT},
                   {u".text", FILE_TXT}, {u".xls", FILE_EXCEL}, {u".xlsx", FILE_EXCEL}};
  path = std::u16string(upToNul(path));
  for (const auto& s : kSuffixes) {
    size_t len = std::char_traits<char16_t>::length(s.suffix);
    if (path.size() > len && _wcsicmp(path.c_str() + path.size() - len, s.suffix) == 0) return s.kind;
  }
  return FILE_OTHER;
}

std::u16string getFileExt(std::u16string path) {
  size_t dot = path.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : path.substr(dot);
}

std::u16string getFileBaseName(std::u16string path) {
  std::u16string name = path.substr(fileNameStart(path));
  size_t dot = name.rfind(u'.');
  return dot == std::u16string::npos ? name : name.substr(0, dot);
}

std::u16string fileNameOfPath(const std::u16string& path) {
  const size_t start = fileNameStart(path);
  return start <= 1 ? path : path.substr(start);
}

std::u16string readFileAsWide(const std::u16string& path) {
  if (!isRegularFile(path)) return {};  // a named pipe's open would wait for a writer
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (!f) return {};
  std::u16string out;
  int64_t size = -1;
  if (_fseeki64(f, 0, SEEK_END) == 0) size = _ftelli64(f);
  if (size > 0 && _fseeki64(f, 0, SEEK_SET) == 0 && uint64_t(size) / 2 <= out.max_size()) {
    try {
      out.resize(size_t(size / 2));
      size_t bytes = out.size() * 2;
      if (std::fread(out.data(), 1, bytes, f) != bytes) out.clear();
    } catch (const std::bad_alloc&) {
      out.clear();
    }
  }
  std::fclose(f);
  return out;
}
