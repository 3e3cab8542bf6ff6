// The file and folder choosers, answered by the blocking-call hook.
#include "platform/user/CommDlg.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileIo.h"
#include "platform/user/Blocking.h"

namespace {

thread_local DWORD lastError = 0;

std::u16string orEmpty(LPCWSTR s) { return s ? s : u""; }

std::u16string decimal(DWORD v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

// "description|pattern|..." from the double-NUL list.
std::u16string joinFilter(LPCWSTR filter) {
  std::u16string out;
  for (LPCWSTR p = filter; p && *p;) {
    std::u16string part = p;
    if (!out.empty()) out += u'|';
    out += part;
    p += part.size() + 1;
  }
  return out;
}

size_t nameStart(const std::u16string& path) { return fileNameStart(path); }

std::u16string folderOf(const std::u16string& path) {
  size_t start = nameStart(path);
  if (start == 0) return u"";
  return start == 1 ? path.substr(0, 1) : path.substr(0, start - 1);  // the root keeps its '/'
}

// Index just after the name's last '.', or of the end when it has none.
size_t extensionIndex(const std::u16string& path) {
  size_t start = nameStart(path);
  size_t dot = path.find_last_of(u'.');
  return dot == std::u16string::npos || dot < start ? path.size() : dot + 1;
}

bool fail(DWORD code) {
  lastError = code;
  return false;
}

// Writes `units` (already holding every NUL it needs) into the caller's
// buffer, or reports its size.
bool store(OPENFILENAMEW* ofn, const std::u16string& units) {
  if (!ofn->lpstrFile || units.size() > ofn->nMaxFile) {
    if (ofn->lpstrFile && ofn->nMaxFile >= 1)
      ofn->lpstrFile[0] = static_cast<WCHAR>(std::min<size_t>(units.size(), 0xFFFF));
    return fail(FNERR_BUFFERTOOSMALL);
  }
  std::copy(units.begin(), units.end(), ofn->lpstrFile);
  return true;
}

void storeTitle(OPENFILENAMEW* ofn, const std::u16string& path) {
  if (!ofn->lpstrFileTitle || ofn->nMaxFileTitle == 0) return;
  std::u16string name = path.substr(nameStart(path));
  size_t n = std::min<size_t>(name.size(), ofn->nMaxFileTitle - 1);
  std::copy_n(name.data(), n, ofn->lpstrFileTitle);
  ofn->lpstrFileTitle[n] = 0;
}

bool valid(const OPENFILENAMEW* ofn) {
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW)) return fail(CDERR_STRUCTSIZE);
  return true;
}

std::optional<platform::BlockingAnswer> ask(const char16_t* kind, const OPENFILENAMEW* ofn, std::u16string last) {
  std::u16string initial = ofn->lpstrFile ? ofn->lpstrFile : u"";
  platform::BlockingCall call{kind,
                              ofn->hwndOwner,
                              {orEmpty(ofn->lpstrTitle), joinFilter(ofn->lpstrFilter), initial, std::move(last),
                               orEmpty(ofn->lpstrInitialDir),
                               (ofn->Flags & OFN_OVERWRITEPROMPT) ? u"overwrite" : u"", decimal(ofn->Flags)}};
  auto answer = platform::askBlocking(call);
  if (!answer || !answer->value || answer->texts.empty()) return std::nullopt;
  return answer;
}

}  // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) {
  lastError = 0;
  if (!valid(ofn)) return FALSE;
  bool multi = (ofn->Flags & OFN_ALLOWMULTISELECT) != 0;
  auto answer = ask(u"GetOpenFileNameW", ofn, multi ? u"multi" : u"single");
  if (!answer) return FALSE;
  const auto& paths = answer->texts;
  std::u16string units;
  if (paths.size() == 1) {
    units = paths[0] + u'\0';
    if (multi) units += u'\0';
    if (!store(ofn, units)) return FALSE;
    ofn->nFileOffset = static_cast<WORD>(nameStart(paths[0]));
    ofn->nFileExtension = static_cast<WORD>(extensionIndex(paths[0]));
    storeTitle(ofn, paths[0]);
    return TRUE;
  }
  if (!multi) return fail(FNERR_INVALIDFILENAME);
  std::u16string folder = folderOf(paths[0]);
  units = folder + u'\0';
  for (const auto& p : paths) {
    if (folderOf(p) != folder) return fail(FNERR_INVALIDFILENAME);  // one folder only
    units += p.substr(nameStart(p)) + u'\0';
  }
  units += u'\0';
  if (!store(ofn, units)) return FALSE;
  ofn->nFileOffset = static_cast<WORD>(folder.size() + 1);
  ofn->nFileExtension = 0;
  return TRUE;
}

BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn) {
  lastError = 0;
  if (!valid(ofn)) return FALSE;
  auto answer = ask(u"GetSaveFileNameW", ofn, orEmpty(ofn->lpstrDefExt));
  if (!answer) return FALSE;
  std::u16string path = answer->texts[0];
  if (extensionIndex(path) == path.size() && ofn->lpstrDefExt && *ofn->lpstrDefExt)
    path += u"." + std::u16string(ofn->lpstrDefExt);
  if (!store(ofn, path + u'\0')) return FALSE;
  ofn->nFileOffset = static_cast<WORD>(nameStart(path));
  ofn->nFileExtension = static_cast<WORD>(extensionIndex(path));
  storeTitle(ofn, path);
  return TRUE;
}

DWORD CommDlgExtendedError() { return lastError; }

PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info) {
  if (!info) return nullptr;
  platform::BlockingCall call{u"SHBrowseForFolderW", info->hwndOwner, {orEmpty(info->lpszTitle)}};
  auto answer = platform::askBlocking(call);
  if (!answer || !answer->value || answer->texts.empty()) return nullptr;
  const std::u16string& folder = answer->texts[0];
  if (info->pszDisplayName) {
    std::u16string name = folder.substr(nameStart(folder));
    if (name.empty()) name = folder;
    size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::copy_n(name.data(), n, info->pszDisplayName);
    info->pszDisplayName[n] = 0;
  }
  // The list is the path itself, NUL-terminated, in a block CoTaskMemFree frees.
  auto* block = static_cast<char16_t*>(std::malloc((folder.size() + 1) * sizeof(char16_t)));
  if (!block) return nullptr;
  std::copy(folder.begin(), folder.end(), block);
  block[folder.size()] = 0;
  return reinterpret_cast<PIDLIST_ABSOLUTE>(block);
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) {
  if (!list || !path) return FALSE;
  const auto* folder = reinterpret_cast<const char16_t*>(list);
  size_t n = std::char_traits<char16_t>::length(folder);
  if (n >= MAX_PATH) {
    path[0] = 0;
    return FALSE;
  }
  std::copy_n(folder, n + 1, path);
  return TRUE;
}

void CoTaskMemFree(void* block) { std::free(block); }
