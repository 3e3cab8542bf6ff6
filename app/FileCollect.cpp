#include "app/FileCollect.h"

#include <cstdio>
#include <filesystem>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/user/FindFile.h"

void collectDataFiles(const std::u16string& folder, std::vector<std::u16string>& out,
                      const std::u16string& extensions) {
  WIN32_FIND_DATAW data;
  const std::u16string pattern = folder + u"/*";
  HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::u16string name = data.cFileName;
    if (name == u"." || name == u"..") continue;
    const std::u16string path = folder + u"/" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A link to a folder is not followed: a link to a folder above would never end.
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) collectDataFiles(path, out, extensions);
      continue;
    }
    const size_t dot = name.rfind(u'.');
    const std::u16string ext = dot == std::u16string::npos ? u"" : toLowerWide(name.substr(dot));
    if (extensions.find(u"|" + ext + u"|") != std::u16string::npos) out.push_back(path);
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

std::u16string parentFolder(const std::u16string& path) {
  const size_t start = fileNameStart(path);
  return start == 0 ? std::u16string() : path.substr(0, start - 1);
}

bool createFolderPath(const std::u16string& path) {
  if (path.empty()) return false;
  if (isDirectory(path)) return true;
  if (fileExists(path)) return false;  // a file is in the way
  const std::u16string parent = parentFolder(path);
  if (!parent.empty() && !createFolderPath(parent)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || isDirectory(path);
}

std::u16string fullPath(const std::u16string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(nativePath(path), ec);
  if (ec) p = nativePath(path);
  std::string normal = p.lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return utf8ToWide(normal);
}

bool opensForReading(const std::u16string& path) {
  if (path.empty() || !isRegularFile(path)) return false;
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}
