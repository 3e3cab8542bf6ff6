#include "app/ToolDialog.h"

#include <algorithm>

void centreOnParent(HWND dialog) {
  HWND parent = GetParent(dialog);
  if (!parent) return;
  RECT own{}, host{};
  GetWindowRect(dialog, &own);
  GetWindowRect(parent, &host);
  const int w = own.right - own.left + 1, h = own.bottom - own.top + 1;
  const int x = host.left + (host.right - host.left - w + 1) / 2;
  const int y = host.top + (host.bottom - host.top - h + 1) / 2;
  MoveWindow(dialog, x, y, own.right - own.left, own.bottom - own.top, FALSE);
}

std::u16string dialogText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return {};
  std::u16string text(size_t(GetWindowTextLengthW(control)) + 1, u'\0');
  const int got = GetWindowTextW(control, text.data(), int(text.size()));
  text.resize(size_t(std::max(got, 0)));
  return text;
}

std::vector<std::u16string> chooseFiles(HWND owner, const char16_t* filter, const char16_t* title) {
  std::vector<char16_t> buffer(66560, 0);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  std::vector<std::u16string> parts;
  if (!GetOpenFileNameW(&ofn)) return parts;
  for (size_t i = 0; i < buffer.size() && buffer[i];) {
    std::u16string s(buffer.data() + i);
    i += s.size() + 1;
    parts.push_back(std::move(s));
  }
  if (parts.size() <= 1) return parts;
  std::vector<std::u16string> out;
  for (size_t i = 1; i < parts.size(); ++i) out.push_back(parts[0] + u"/" + parts[i]);
  return out;
}

std::optional<std::u16string> chooseFolder(HWND owner, HWND messageOwner, const char16_t* caption) {
  char16_t name[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = name;
  info.lpszTitle = u"选择一个文件夹";
  info.ulFlags = BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  if (!list) return std::nullopt;
  char16_t path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  if (!ok) {
    MessageBoxW(messageOwner, u"选择的文件夹路径太长，请选择其他文件夹！", caption, MB_OK);
    return std::nullopt;
  }
  return std::u16string(path);
}
