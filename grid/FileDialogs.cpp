#include "grid/FileDialogs.h"

#include <algorithm>
#include <vector>

#include "platform/FileIo.h"

namespace {

// Room for the chosen path, in characters.
constexpr size_t kNameBuffer = 520;

// The fields every file dialog of the program sets: its owner, title, filter (the first
// pair chosen) and the room for the answer.
OPENFILENAMEW dialogFields(HWND owner, const char16_t* title, const char16_t* filter, std::vector<char16_t>& buffer) {
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title;
  return ofn;
}

}  // namespace

std::u16string askOpenPath(HWND owner, const char16_t* title, const char16_t* filter) {
  std::vector<char16_t> buffer(kNameBuffer, 0);
  OPENFILENAMEW ofn = dialogFields(owner, title, filter, buffer);
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return u"";
  return std::u16string(buffer.data());
}

std::vector<std::u16string> askOpenPaths(HWND owner, const char16_t* title, const char16_t* filter, DWORD flags,
                                         size_t units) {
  std::vector<char16_t> buffer(units, 0);
  OPENFILENAMEW ofn = dialogFields(owner, title, filter, buffer);
  ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | flags;
  std::vector<std::u16string> parts;
  if (!GetOpenFileNameW(&ofn)) return parts;
  // One file: its full path. Several: the folder, then each name.
  for (size_t i = 0; i < buffer.size() && buffer[i];) {
    std::u16string s(buffer.data() + i);
    i += s.size() + 1;
    parts.push_back(std::move(s));
  }
  if (parts.size() <= 1) return parts;
  std::vector<std::u16string> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(parts[0] + u"/" + parts[i]);
  return paths;
}

std::u16string proposedSaveName(const std::u16string& path) {
  if (path.empty()) return u"New.mvt";
  // Only a dot inside the file name starts an extension; one in a folder's name does not.
  const size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos || dot <= fileNameStart(path)) return path;
  return path.substr(0, dot);
}

std::u16string askSavePath(HWND owner, const std::u16string& path) {
  std::vector<char16_t> buffer(kNameBuffer, 0);
  const std::u16string initial = proposedSaveName(path);
  std::copy_n(initial.begin(), std::min(initial.size(), buffer.size() - 1), buffer.begin());
  OPENFILENAMEW ofn = dialogFields(owner, u"保存到", kSaveFilter, buffer);
  ofn.lpstrDefExt = u"mvt";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return u"";
  return std::u16string(buffer.data());
}
