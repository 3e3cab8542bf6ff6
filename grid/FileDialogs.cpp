#include "grid/FileDialogs.h"

#include <algorithm>
#include <vector>

#include "platform/FileIo.h"

namespace {

// Room for the answer of the multi-select dialog of open and the file tools.
constexpr size_t kFilesRoom = 66560;

}  // namespace

std::optional<std::vector<char16_t>> runFileDialog(FileDialogKind kind, const FileDialogRequest& request) {
  std::vector<char16_t> buffer(std::max<size_t>(request.room, 1), 0);
  std::copy_n(request.initial.begin(), std::min(request.initial.size(), buffer.size() - 1), buffer.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = request.filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = request.title;
  ofn.lpstrDefExt = request.defaultExtension;
  ofn.Flags = request.flags;
  const BOOL chosen = kind == FileDialogKind::Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  return buffer;
}

std::u16string askFilePath(FileDialogKind kind, const FileDialogRequest& request) {
  const auto answer = runFileDialog(kind, request);
  return answer ? std::u16string(answer->data()) : std::u16string();
}

std::u16string askOpenPath(HWND owner, const char16_t* title, const char16_t* filter) {
  return askFilePath(FileDialogKind::Open, {.owner = owner,
                                            .title = title,
                                            .filter = filter,
                                            .flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY});
}

std::vector<std::u16string> askOpenPaths(HWND owner, const char16_t* title, const char16_t* filter, DWORD flags,
                                         size_t units) {
  const DWORD multi = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  const auto answer =
      runFileDialog(FileDialogKind::Open,
                    {.owner = owner, .title = title, .filter = filter, .flags = multi | flags, .room = units});
  std::vector<std::u16string> parts;
  if (!answer) return parts;
  // One file: its full path. Several: the folder, then each name.
  const std::vector<char16_t>& buffer = *answer;
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

std::vector<std::u16string> askOpenFiles(HWND owner, const char16_t* title, const char16_t* filter) {
  return askOpenPaths(owner, title, filter, OFN_HIDEREADONLY, kFilesRoom);
}

std::u16string proposedSaveName(const std::u16string& path) {
  if (path.empty()) return u"New.mvt";
  // Only a dot inside the file name starts an extension; one in a folder's name does not.
  const size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos || dot <= fileNameStart(path)) return path;
  return path.substr(0, dot);
}

std::u16string askSavePath(HWND owner, const std::u16string& path) {
  return askFilePath(FileDialogKind::Save, {.owner = owner,
                                            .title = u"保存到",
                                            .filter = kSaveFilter,
                                            .flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                                            .initial = proposedSaveName(path),
                                            .defaultExtension = u"mvt"});
}

std::u16string askTextSavePath(HWND owner, const std::u16string& initial, size_t room) {
  return askFilePath(FileDialogKind::Save, {.owner = owner,
                                            .title = u"保存到",
                                            .filter = kTextSaveFilter,
                                            .flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                                            .room = room,
                                            .initial = initial,
                                            .defaultExtension = u"csv"});
}
