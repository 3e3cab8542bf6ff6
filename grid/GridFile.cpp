// File commands: New, Open, Save, Save As, Save filtered, Append and Split.

#include <algorithm>
#include <string>
#include <vector>

#include "grid/Documents.h"
#include "grid/FileDialogs.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "grid/ReadSettings.h"
#include "platform/FileIo.h"
#include "platform/windows.h"
#include "store/ExcelBook.h"
#include "store/FilePath.h"
#include "store/PageWriteBack.h"

namespace {

std::u16string decimal(int64_t v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

}  // namespace

// ---------------------------------------------------------------- resets

void CGrid::resetViewState(bool panes) {
  mComManag.clear();
  mSelection.range.top = mSelection.range.left = 1;
  if (panes) mView.clearPanes();
  mView.reset();
  if (panes) mView.refresh();
  mView.updateScrollBars();
  invalidate();
  setTitle(u"");
}

void CGrid::newTable() {
  mDragState = 0;
  mCore.clear();
  mComManag.clear();
  mSelection.range.top = mSelection.range.left = 1;
  mView.clearPanes();
  mPath.clear();
  mStyle.cursor = IDC_ARROW;
  guarded([&] { mCore.resize(300, 26); });
  mView.reset();
  mView.refresh();
  mView.updateScrollBars();
  mPage.resetState();
  invalidate();
  setTitle(u"");
}

void CGrid::becomeUntitled() {
  newTable();
  forgetDocumentPath(this);
}

// ---------------------------------------------------------------- open

void CGrid::openDialog() {
  const std::u16string path = askOpenPath(mHwnd, u"请选择一个文件");
  if (!path.empty()) open(path);
}

int32_t CGrid::open(const std::u16string& path) {
  mPath = path;
  mPage.resetState();
  bool ok = false;
  const FileKind kind = fileKind(path);
  if (!isDirectory(path)) {
    ProgressScope bar(*this);
    guarded([&] {
      if (kind == FILE_MVT) ok = mCore.read(path);
      else if (kind == FILE_EXCEL) ok = openWorkbookTabs(this, path);
      else ok = mCore.readDelimited(path, delimiterFor(path));
    });
  }
  if (kind == FILE_EXCEL) {
    // openSheet has reset this document already (and reported a failure of its own).
    if (!ok) {
      message(u"打开文件失败：" + path);
      becomeUntitled();
    }
    return mCore.mOpenEncoding;
  }
  if (!ok) {
    // A failed open does not adopt the path: the document is an empty new table.
    message(u"打开文件失败：" + path);
    becomeUntitled();
    return mCore.mOpenEncoding;
  }
  resetViewState(true);
  showPathInTab(this);
  return mCore.mOpenEncoding;
}

bool CGrid::openSheet(const std::u16string& path, ExcelBook& book, const std::u16string& sheetName,
                      int32_t sheetIndex) {
  mPath = path;
  mSheetName = sheetName;
  mPage.resetState();
  bool ok = false;
  {
    ProgressScope bar(*this);
    guarded([&] {
      book.setSheet(mCore);
      ok = book.importSheet(sheetIndex);
    });
  }
  if (ok) {
    resetViewState(true);
  } else {
    // The caller makes the document untitled (no path, so nothing saves into the book).
    message(u"打开文件失败：" + path);
    mView.updateScrollBars();
  }
  return ok;
}

// ---------------------------------------------------------------- save

// Writes the whole sheet (or the visible part) to `path` in the format of its extension.
// `existingBook`: a workbook is written into the loaded book's sheet of mSheetName.
static bool writeSheet(CGrid& g, const std::u16string& path, bool all, bool existingBook) {
  const FileKind kind = fileKind(path);
  if (kind == FILE_MVT) return g.mCore.write(path, all);
  if (kind == FILE_EXCEL) {
    if (existingBook) {
      ExcelBook book(g.mCore, path, true, all);
      const std::vector<std::u16string> names = book.sheetNames();
      const auto it = std::find(names.begin(), names.end(), g.mSheetName);
      if (it == names.end()) return false;
      return book.exportSheet(static_cast<int>(it - names.begin()));
    }
    ExcelBook book(g.mCore, path, false, all);
    return book.exportSheet(0);
  }
  return g.mCore.writeDelimited(path, delimiterFor(path), all);
}

bool CGrid::save() {
  if (mPath.empty()) {
    // A table never saved is written as Save As writes it, and takes the path only once
    // it is written.
    const std::u16string chosen = askSavePath(mHwnd, mPath);
    if (chosen.empty()) return false;
    if (!saveWhole(chosen, true)) return false;
    adoptSavedPath(chosen);
    return true;
  }
  bool ok = false;
  std::u16string why;
  {
    ProgressScope bar(*this);
    guarded([&] {
      const FileKind kind = fileKind(mPath);
      const bool text = kind == FILE_CSV || kind == FILE_TXT || kind == FILE_OTHER;
      if (text && !mPage.path.empty()) {
        // The page goes back between its byte offsets, unless the file changed since.
        uint64_t size = 0, time = 0;
        if (!fileStamp(mPath, size, time) || size != mPage.fileSize || time != mPage.fileTime) {
          why = u"\n文件在读取后已被修改";
          return;
        }
        const bool fromRow1 = !(mPage.keepHeader && mPage.startRow != 1);
        ok = writeTextPage(mCore, mPath, fromRow1, mPage.page, &mPage.index);
        if (ok) fileStamp(mPath, mPage.fileSize, mPage.fileTime);
      } else {
        ok = writeSheet(*this, mPath, true, kind == FILE_EXCEL);
      }
    });
  }
  setTitle(u"");
  if (ok) {
    mComManag.collect();
    return true;
  }
  message(u"保存文件失败：" + mPath + why);
  return false;
}

void CGrid::saveAsDialog() {
  const std::u16string chosen = askSavePath(mHwnd, mPath);
  if (chosen.empty()) return;
  if (saveAs(chosen)) adoptSavedPath(chosen);
}

// Save As and Save filtered would replace a page's whole file by the page's rows.
bool CGrid::refusePageTarget(const std::u16string& path) {
  if (mPage.path.empty() || path != mPage.path) return false;
  message(u"保存文件失败：" + path + u"\n不能把分页打开的页另存为它所在的文件");
  return true;
}

bool CGrid::saveAs(const std::u16string& path) { return saveWhole(path, true); }

bool CGrid::saveFilteredAs(const std::u16string& path) { return saveWhole(path, false); }

bool CGrid::saveWhole(const std::u16string& path, bool all, bool intoBook) {
  if (refusePageTarget(path)) return false;
  bool ok = false;
  {
    ProgressScope bar(*this);
    guarded([&] { ok = writeSheet(*this, path, all, intoBook); });
  }
  setTitle(u"");
  if (!ok) {
    message(u"保存文件失败：" + path);
    return false;
  }
  mComManag.collect();
  return true;
}

void CGrid::adoptSavedPath(const std::u16string& path) {
  mPath = path;
  // The document is no longer a page of the file it came from.
  mPage.resetState();
  // A workbook was written as a new book: the document is the worksheet it wrote.
  if (fileKind(path) == FILE_EXCEL) mSheetName = kNewWorksheetName;
  setTitle(u"");
  showPathInTab(this);
}

void CGrid::saveFiltered(bool reusePath) {
  if (reusePath && !mPath.empty()) {
    // The document's own file: a workbook's sheet takes the visible rows inside its book,
    // so the book's other sheets stay.
    saveWhole(mPath, false, fileKind(mPath) == FILE_EXCEL && !mSheetName.empty());
    return;
  }
  const std::u16string chosen = askSavePath(mHwnd, mPath);
  if (chosen.empty()) return;
  if (saveFilteredAs(chosen)) adoptSavedPath(chosen);
}

// ---------------------------------------------------------------- append and split

void CGrid::appendFiles() {
  const std::vector<std::u16string> paths = askOpenPaths(mHwnd, u"请选择文件", kOpenFilter, 0, 145600);
  if (paths.empty()) return;
  std::u16string failure = u"打开文件失败：";
  bool failed = false;
  {
    ProgressScope bar(*this);
    progress(0, 0);
    if (paths.size() == 1) {
      bool ok = false;
      guarded([&] { ok = mCore.appendFile(paths[0], 0, 99); });
      if (!ok) failure += paths[0], failed = true;
    } else {
      const int32_t names = static_cast<int32_t>(paths.size());
      const int32_t step = 100 / names;
      for (int32_t i = 0; i < names; ++i) {
        const std::u16string& path = paths[i];
        bool ok = false;
        guarded([&] { ok = mCore.appendFile(path, i * step, (i + 1) * step); });
        if (!ok) failure += path + u";", failed = true;
      }
    }
    if (failed) message(failure);
    resetViewState(false);
  }
}

void CGrid::splitFile(const std::u16string& target, bool keepHeader, bool byRows, int32_t number) {
  if (number < 1) {
    message(byRows ? u"分割行数必须大于0！" : u"分割份数必须大于0！");
    return;
  }
  const FileKind kind = fileKind(target);
  char delimiter;
  if (kind == FILE_CSV) delimiter = ',';
  else if (kind == FILE_TXT) delimiter = '\t';
  else {
    message(u"无法识别的文件保存类型(仅能保存CSV或TXT)：" + getFileExt(target));
    return;
  }
  const size_t dot = target.rfind(u'.');
  const std::u16string base = dot == std::u16string::npos ? target : target.substr(0, dot);
  const std::u16string ext = dot == std::u16string::npos ? u"" : target.substr(dot);
  const int64_t n = static_cast<int64_t>(mCore.mRowCount);
  int64_t perPart, parts;
  if (byRows) {
    perPart = number;
    parts = (n - 1) / number;
  } else {
    perPart = (n - 1 + number - 1) / number;
    parts = number;
  }
  // Fewer data rows than one part takes still write one file: the step is then 100.
  const int64_t step = parts > 0 ? 100 / parts : 100;
  std::u16string failure = u"保存文件失败：";
  bool failed = false;
  {
    ProgressScope bar(*this);
    if (n > 2 && perPart > 0) {
      for (int64_t i = 0;; ++i) {
        const int64_t first = 2 + i * perPart;
        if (first >= n) break;
        const int64_t end = std::min(first + perPart, n);
        const std::u16string file = base + decimal(i) + ext;
        bool ok = false;
        guarded([&] {
          ok = mCore.writeRows(file, static_cast<int32_t>(first), static_cast<int32_t>(end),
                               static_cast<int32_t>(std::min<int64_t>(i * step, 100)),
                               static_cast<int32_t>(std::min<int64_t>((i + 1) * step, 100)), delimiter, keepHeader);
        });
        if (!ok) failure += file + u";", failed = true;
        if (end >= n) break;
      }
    }
  }
  if (failed) message(failure);
}
