// Paged open of a huge text file: its dialog and its row-counting thread.
#include <cstdlib>
#include <string>

#include "grid/DialogCentre.h"
#include "grid/FileDialogs.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "grid/ReadSettings.h"
#include "platform/controls/Controls.h"
#include "platform/windows.h"
#include "resources/GridDialogIds.h"
#include "store/FilePath.h"
#include "store/RowReader.h"
#include "store/TextImport.h"

namespace {

std::u16string decimal(uint64_t v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

std::u16string fieldText(HWND dialog, int id) {
  char16_t buffer[520] = {};
  GetDlgItemTextW(dialog, id, buffer, 520);
  return buffer;
}

// A field as an unsigned decimal; false when it holds more than 32 bits' worth or no digits
// where digits are needed. Leading blanks are skipped and reading stops at a non-digit.
bool fieldNumber(HWND dialog, int id, uint64_t& out) {
  const std::u16string text = fieldText(dialog, id);
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  uint64_t v = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    v = v * 10 + (text[i] - u'0');
    if (v > 0xFFFFFFFFull) return false;
  }
  out = v;
  return true;
}

OpenPage* pageOf(HWND dialog) { return reinterpret_cast<OpenPage*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

// Starts counting the records of the path in the path field; earlier counts are stopped
// and their late messages dropped by generation.
void startCount(HWND dialog, OpenPage& page) {
  page.stopCount();
  page.counted = 0;
  const std::u16string path = fieldText(dialog, IDC_PAGE_PATH);
  page.countedPath = path;
  if (path.empty()) return;
  const uint32_t generation = ++page.generation;
  const char delimiter = delimiterFor(path);
  page.counter = new std::thread([dialog, path, delimiter, generation, cancel = &page.cancel, index = &page.index] {
    countPageRows(dialog, path, delimiter, generation, cancel, index);
  });
}

}  // namespace

void countPageRows(HWND dialog, const std::u16string& path, char delimiter, uint32_t generation,
                   const std::atomic<uint8_t>* cancel, RecordIndex* index) {
  RowReader reader;
  reader.open(path, delimiter);
  const uint64_t total = reader.countRowsCancellable(
      [&](uint64_t n) { PostMessageW(dialog, WM_PAGE_COUNTING, generation, static_cast<LPARAM>(n)); }, cancel,
      index);
  reader.close();
  PostMessageW(dialog, WM_PAGE_COUNTED, generation, static_cast<LPARAM>(total));
}

INT_PTR CALLBACK pageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    centreDialog(dialog);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    OpenPage& page = *reinterpret_cast<OpenPage*>(lParam);
    CheckDlgButton(dialog, IDC_PAGE_KEEP_HEADER, page.keepHeader ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(dialog, IDC_PAGE_PATH, page.path.c_str());
    SetDlgItemTextW(dialog, IDC_PAGE_TOTAL, decimal(static_cast<uint32_t>(page.totalRows)).c_str());
    SetDlgItemTextW(dialog, IDC_PAGE_START, decimal(static_cast<uint32_t>(page.startRow)).c_str());
    SetDlgItemTextW(dialog, IDC_PAGE_ROWS, decimal(static_cast<uint32_t>(page.pageRows)).c_str());
    page.countedPath = page.path;
    if (!page.path.empty() && !page.counted) startCount(dialog, page);
    return TRUE;
  }
  OpenPage* page = pageOf(dialog);
  if (!page) return FALSE;
  switch (message) {
    case WM_PAGE_COUNTING:
      if (wParam == page->generation)
        SetDlgItemTextW(dialog, IDC_PAGE_TOTAL, decimal(static_cast<uint64_t>(lParam)).c_str());
      return TRUE;
    case WM_PAGE_COUNTED:
      if (wParam != page->generation) return TRUE;
      page->totalRows = static_cast<int32_t>(std::min<uint64_t>(static_cast<uint64_t>(lParam), INT32_MAX));
      page->counted = 1;
      SetDlgItemTextW(dialog, IDC_PAGE_TOTAL, decimal(static_cast<uint64_t>(lParam)).c_str());
      page->stopCount();
      return TRUE;
    case WM_COMMAND: break;
    default: return FALSE;
  }
  const int id = LOWORD(wParam);
  switch (id) {
    case IDC_PAGE_PATH:
      // A path typed by hand is counted when the field loses the focus.
      if (HIWORD(wParam) == EN_KILLFOCUS && fieldText(dialog, IDC_PAGE_PATH) != page->countedPath)
        startCount(dialog, *page);
      return TRUE;
    case IDC_PAGE_BROWSE: {
      const std::u16string path = askOpenPath(dialog, u"请选择一个文件", kPagedOpenFilter);
      if (path.empty()) return TRUE;
      SetDlgItemTextW(dialog, IDC_PAGE_PATH, path.c_str());
      startCount(dialog, *page);
      return TRUE;
    }
    case IDC_PAGE_PREVIOUS: {
      uint64_t s = 0, r = 0;
      fieldNumber(dialog, IDC_PAGE_START, s);
      fieldNumber(dialog, IDC_PAGE_ROWS, r);
      SetDlgItemTextW(dialog, IDC_PAGE_START, decimal(s < r ? 1 : std::max<uint64_t>(s - r, 1)).c_str());
      return TRUE;
    }
    case IDC_PAGE_NEXT: {
      uint64_t s = 0, r = 0, t = 0;
      fieldNumber(dialog, IDC_PAGE_START, s);
      fieldNumber(dialog, IDC_PAGE_ROWS, r);
      fieldNumber(dialog, IDC_PAGE_TOTAL, t);
      if (s + r < t) SetDlgItemTextW(dialog, IDC_PAGE_START, decimal(s + r).c_str());
      else MessageBoxW(dialog, u"没有下一页了", u"下一页", MB_OK);
      return TRUE;
    }
    case IDC_PAGE_OPEN: {
      uint64_t start = 0, rows = 0;
      if (!fieldNumber(dialog, IDC_PAGE_START, start) || !fieldNumber(dialog, IDC_PAGE_ROWS, rows) ||
          start > INT32_MAX || rows > INT32_MAX) {
        MessageBoxW(dialog, u"开始行号和打开行数不能超过2147483647！", u"打开文件", MB_OK);
        return TRUE;
      }
      const std::u16string path = fieldText(dialog, IDC_PAGE_PATH);
      if (path.empty()) {
        MessageBoxW(dialog, u"文件路径不能为空！", u"打开文件", MB_OK);
        return TRUE;
      }
      page->path = path;
      page->keepHeader = IsDlgButtonChecked(dialog, IDC_PAGE_KEEP_HEADER) == BST_CHECKED ? 1 : 0;
      page->startRow = static_cast<int32_t>(start);
      page->pageRows = static_cast<int32_t>(rows);
      // The start is clamped only against a finished count of this very file.
      const bool countKnown = page->counted && page->countedPath == path;
      if (page->startRow == 0 || (countKnown && page->startRow > page->totalRows)) page->startRow = 1;
      if (page->pageRows == 0) page->pageRows = 5000000;
      if (!countKnown) page->totalRows = 0;
      EndDialog(dialog, IDC_PAGE_OPEN);
      return TRUE;
    }
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

void CGrid::openPage() {
  OpenPage copy = mPage;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PAGED_OPEN), mHwnd,
                                         pageDialogProc, reinterpret_cast<LPARAM>(&copy));
  copy.stopCount();
  if (result != IDC_PAGE_OPEN) return;
  mPage = copy;
  mPath = copy.path;
  bool ok = false;
  const FileKind kind = fileKind(mPath);
  {
    ProgressScope bar(*this);
    guarded([&] {
      if (kind == FILE_MVT) ok = mCore.read(mPath);
      else if (kind != FILE_EXCEL)
        ok = readTextPage(mCore, mPath, delimiterFor(mPath), mPage.keepHeader != 0, mPage.startRow, mPage.pageRows,
                          mPage.page, &mPage.index);
    });
  }
  if (!ok) {
    message(u"打开文件失败：" + copy.path);
    becomeUntitled();
    return;
  }
  if (kind != FILE_MVT) fileStamp(mPath, mPage.fileSize, mPage.fileTime);
  resetViewState(true);
}
