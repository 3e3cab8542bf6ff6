#include "app/ToolDialog.h"

#include <algorithm>

#include "controls/TabStrip.h"
#include "grid/Grid.h"
#include "store/ColumnName.h"
#include "store/NumberText.h"

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

bool readToolField(HWND dialog, int id, int32_t limit, const std::u16string& field, const char16_t* caption,
                   std::u16string& out) {
  std::u16string text = dialogText(dialog, id);
  if (text.size() > static_cast<size_t>(limit)) {
    toolMessage(dialog, field + u"太长，最多" + int64Text(limit) + u"个字符！", caption);
    return false;
  }
  out = std::move(text);
  return true;
}

void toolMessage(HWND owner, const std::u16string& text, const char16_t* caption) {
  MessageBoxW(owner, text.c_str(), caption, MB_OK);
}

std::vector<std::u16string> tabColumnNames() {
  std::vector<std::u16string> names;
  for (const auto& tab : gTabStrip.tabs) {
    if (!tab.document) continue;
    const int32_t cols = static_cast<int32_t>(tab.document->core().mColCount);
    for (int32_t c = 1; c < cols; ++c) names.push_back(tab.title + u"!" + colName(c - 1));
  }
  return names;
}

void addComboItems(HWND dialog, std::initializer_list<int> combos, const std::vector<std::u16string>& items) {
  for (int id : combos)
    for (const auto& item : items)
      SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

bool changeSheets(const std::vector<CGrid*>& documents, const std::function<void()>& work) {
  CGrid* first = nullptr;
  for (CGrid* document : documents)
    if (document && !first) first = document;
  if (!first) {
    work();
    return true;
  }
  return first->guarded(work);
}

void afterToolWrite(CGrid* document) {
  if (!document) return;
  notifyRefresh(&document->view());
  document->invalidate();
  document->commands().markOutsideChange();
}
