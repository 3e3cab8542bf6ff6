// The documents of the program, one per tab of the tab strip.
#include "grid/Documents.h"

#include "grid/DocumentCommands.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "controls/InputState.h"
#include "grid/FileDialogs.h"
#include "grid/Grid.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/windows.h"
#include "script/ScriptRun.h"
#include "script/SystemScriptWindow.h"
#include "store/ExcelBook.h"
#include "store/FilePath.h"

HWND gMainWnd = nullptr;
std::function<void(HWND, RECT)> gOnColumnPicked;

namespace {

const char16_t kNewTitle[] = u"新表格";

void enableCommands(bool on) { enableDocumentCommands(on); }

CCTab::CTabData* tabOf(const CGrid* document) {
  for (auto& tab : gTabStrip.tabs)
    if (tab.document == document) return &tab;
  return nullptr;
}

// The document with its window below the strip's row and its tab; null when the window
// cannot be made.
CGrid* makeDocumentTab(const std::u16string& path) {
  auto* document = new CGrid();
  RECT c{};
  GetClientRect(gTabStrip.hwnd, &c);
  c.top += gTabStrip.height;
  document->create(gTabStrip.hwnd, c.left, c.top, c.right - c.left, c.bottom - c.top);
  if (!document->mHwnd) {
    delete document;
    return nullptr;
  }
  CCTab::CTabData tab;
  tab.path = path;
  if (!path.empty()) {
    tab.title = fileNameOfPath(path);
    setDocumentPath(document, path);
  } else {
    tab.title = gTabStrip.uniqueTitle(kNewTitle);
  }
  tab.document = document;
  tab.gridWindow = document->mHwnd;
  tab.onCloseQuery = onDocumentTabClose;
  // The main window's title names the current tab's file.
  tab.onActivate = [](CCTab::CTabData& t) {
    if (t.document) t.document->showTitle();
  };
  if (gOnColumnPicked) document->setSelectCallback(SelectFn(gOnColumnPicked));
  gTabStrip.addTab(std::move(tab));
  return document;
}

}  // namespace

CGrid* currentDocument() {
  const int32_t i = gTabStrip.current;
  if (i < 0 || i >= static_cast<int32_t>(gTabStrip.tabs.size())) return nullptr;
  return gTabStrip.tabs[i].document;
}

std::vector<CGrid*> allDocuments() {
  std::vector<CGrid*> out;
  for (const auto& tab : gTabStrip.tabs) out.push_back(tab.document);
  return out;
}

CGrid* openInNewTab(const std::u16string& path) {
  CGrid* document = makeDocumentTab(path);
  if (!document) return nullptr;
  if (!path.empty()) document->open(path);
  enableCommands(true);
  return document;
}

CGrid* createFileInNewTab(const std::u16string& path) {
  CGrid* document = makeDocumentTab(path);
  if (!document) return nullptr;
  if (!path.empty()) document->save();
  enableCommands(true);
  return document;
}

void openPath(const std::u16string& path) {
  if (path.empty()) return;
  const int32_t i = gTabStrip.findByPath(path);
  if (i >= 0) {
    gTabStrip.activate(i);
    return;
  }
  if (CGrid* document = openInNewTab(path)) document->updateEncodingMenu();
}

void openFolder(const std::u16string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(fs::path(nativePath(folder)), ec), end;
  std::vector<std::pair<std::u16string, bool>> entries;
  for (; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& e = *it;
    std::error_code ignored;
    const bool dir = e.is_directory(ignored);
    // Directory links are not followed: a link loop would never end.
    if (dir && e.is_symlink(ignored)) continue;
    entries.emplace_back(utf8ToWide(e.path().filename().string()), dir);
  }
  std::sort(entries.begin(), entries.end());
  for (const auto& [name, dir] : entries) {
    const std::u16string full = folder + u"/" + name;
    if (dir) openFolder(full);
    else openPath(full);
  }
}

void onDropFiles(HDROP drop) {
  if (!gInputEnabled) {
    DragFinish(drop);
    return;
  }
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::u16string> paths;
  for (UINT i = 0; i < count; ++i) {
    char16_t buffer[261] = {};
    DragQueryFileW(drop, i, buffer, 261);
    paths.emplace_back(buffer);
  }
  DragFinish(drop);
  for (const auto& path : paths) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(nativePath(path), ec);
    if (!ec && std::filesystem::is_directory(status)) openFolder(path);
    else if (!ec && std::filesystem::is_symlink(status) && isDirectory(path)) openFolder(path);
    else openPath(path);
  }
}

std::vector<std::u16string> chooseFilesToOpen(HWND owner) {
  return askOpenFiles(owner, u"请选择一个文件", kOpenFilter);
}

void pagedOpenInNewTab() {
  CGrid* document = openInNewTab(u"");
  if (!document) return;
  document->openPage();
  if (!document->mPath.empty()) gTabStrip.renameCurrent(document->mPath);
  document->updateEncodingMenu();
}

bool openWorkbookTabs(CGrid* document, const std::u16string& path) {
  ExcelBook book(document->mCore, path, true, true);
  const std::vector<std::u16string> names = book.sheetNames();
  if (names.empty()) return false;
  const int32_t home = gTabStrip.findByPath(path);
  // A sheet that fails to load leaves its tab untitled (the first one's through open()),
  // so that no save writes the empty sheet into the book.
  const bool ok = document->openSheet(path, book, names[0], 0);
  if (ok) showPathInTab(document);
  for (size_t i = 1; i < names.size(); ++i) {
    CGrid* next = openInNewTab(u"");
    if (!next) break;
    if (next->openSheet(path, book, names[i], static_cast<int32_t>(i))) showPathInTab(next);
    else next->becomeUntitled();
  }
  if (home >= 0) gTabStrip.activate(home);
  return ok;
}

void setDocumentPath(CGrid* document, const std::u16string& path) {
  if (&document->mPath == &path) return;
  document->mPath = path;
}

void showPathInTab(CGrid* document) {
  CCTab::CTabData* tab = tabOf(document);
  if (!tab || document->mPath.empty()) return;
  const bool sheet = fileKind(document->mPath) == FILE_EXCEL && !document->mSheetName.empty();
  tab->path = sheet ? document->mPath + u"!" + document->mSheetName : document->mPath;
  tab->title = sheet ? fileNameOfPath(document->mPath) + u"!" + document->mSheetName
                     : fileNameOfPath(document->mPath);
  gTabStrip.invalidate();
}

void forgetDocumentPath(CGrid* document) {
  CCTab::CTabData* tab = tabOf(document);
  if (!tab) return;
  tab->path.clear();
  tab->title.clear();
  tab->title = gTabStrip.uniqueTitle(kNewTitle);
  gTabStrip.invalidate();
}

bool askToSaveTab(CCTab::CTabData& tab) {
  CGrid* document = tab.document;
  if (!document) return true;
  closeSystemScriptWindows(&document->mOps);
  if (!tab.modified && !document->mComManag.modified()) return true;
  const int answer = MessageBoxW(document->mHwnd, u"文件已经改变，是否要保存?", u"文件保存", MB_YESNOCANCEL);
  if (answer == IDCANCEL) return false;
  // A save that fails or is cancelled keeps the tab.
  return answer != IDYES || document->save();
}

bool onDocumentTabClose(CCTab::CTabData& tab) {
  CGrid* document = tab.document;
  // The document of a script run under way stays; an edited system script is stored into
  // its document first, so the question sees it.
  if (document && scriptRunBlocksClose(&document->mOps)) return false;
  if (!askToSaveTab(tab)) return false;
  if (tab.gridWindow) DestroyWindow(tab.gridWindow);
  if (gTabStrip.tabs.size() < 2) enableCommands(false);
  return true;
}
