#include "grid/FileDialogs.h"

#include <algorithm>
#include <vector>

#include "platform/FileIo.h"

namespace {

// Room for the chosen path, in characters.
constexpr size_t kNameBuffer = 520;

}  // namespace

std::u16string askOpenPath(HWND owner, const char16_t* title, const char16_t* filter) {
  std::vector<char16_t> buffer(kNameBuffer, 0);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return u"";
  return std::u16string(buffer.data());
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
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kSaveFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = u"保存到";
  ofn.lpstrDefExt = u"mvt";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return u"";
  return std::u16string(buffer.data());
}
