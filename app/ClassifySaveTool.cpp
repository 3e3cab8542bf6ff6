#include "app/ClassifySaveTool.h"

#include <string>
#include <vector>

#include "app/ColumnPick.h"
#include "app/ColumnToolDialog.h"
#include "app/ToolDialog.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "resources/ToolIds.h"
#include "store/ClassifySave.h"
#include "store/ColumnName.h"
#include "store/NumberText.h"

namespace {

const char16_t kCaption[] = u"分类另存设置";
constexpr int32_t kKeyLimit = 511;
constexpr int32_t kFolderLimit = 254;
constexpr size_t kListedFiles = 30;  // files named in the report; the rest are counted

constexpr int kCombos[] = {IDC_CLASSIFY_KEY1, IDC_CLASSIFY_KEY2, IDC_CLASSIFY_KEY3};
constexpr ColumnPickButton kPicks[] = {{IDC_CLASSIFY_KEY1_PICK, IDC_CLASSIFY_KEY1},
                                       {IDC_CLASSIFY_KEY2_PICK, IDC_CLASSIFY_KEY2},
                                       {IDC_CLASSIFY_KEY3_PICK, IDC_CLASSIFY_KEY3}};

void reportFailures(const std::vector<std::u16string>& failed) {
  if (failed.empty()) return;
  std::u16string text = u"以下文件无法创建或写入：";
  for (size_t i = 0; i < failed.size() && i < kListedFiles; ++i) text += u"\n" + failed[i];
  if (failed.size() > kListedFiles)
    text += u"\n……另有" + int64Text(static_cast<int64_t>(failed.size() - kListedFiles)) + u"个文件";
  toolMessage(gMainWnd, text, kCaption);
}

// The checks and the run; false when a field was refused (the dialog stays).
bool classify(HWND dialog) {
  CGrid* document = currentDocument();
  if (!document) return true;
  CDataCore& sheet = document->core();
  const int32_t cols = static_cast<int32_t>(sheet.mColCount);
  const bool keepHeader = IsDlgButtonChecked(dialog, IDC_CLASSIFY_HEADER) == BST_CHECKED;
  std::u16string key[3], folder;
  static const char16_t* const names[3] = {u"分类内容列1", u"分类内容列2", u"分类内容列3"};
  for (int i = 0; i < 3; ++i)
    if (!readToolField(dialog, kCombos[i], kKeyLimit, names[i], kCaption, key[i])) return false;
  if (!readToolField(dialog, IDC_CLASSIFY_FOLDER, kFolderLimit, u"文件保存全路径", kCaption, folder)) return false;
  if (key[0].empty()) return toolMessage(dialog, u"分类内容列1不能为空！", kCaption), false;
  if (folder.empty()) return toolMessage(dialog, u"文件保存全路径不能为空！", kCaption), false;
  std::vector<int32_t> keyCols;
  for (int i = 0; i < 3; ++i) {
    const int32_t col = colNumber(key[i]);
    if (col >= 1 && col < cols) keyCols.push_back(col);
    else if (i == 0)
      return toolMessage(dialog, u"分类内容列1不合法，请填写当前表格具有的列名称！", kCaption), false;
  }
  const std::vector<ClassifyGroup> groups = classifyRows(sheet, keyCols, keepHeader ? 2 : 1);
  reportFailures(writeClassified(sheet, groups, folder, keepHeader));
  return true;
}

// The column letters of the current table.
std::vector<std::u16string> currentColumnLetters() {
  std::vector<std::u16string> letters;
  if (CGrid* document = currentDocument())
    for (int32_t c = 1; c < static_cast<int32_t>(document->core().mColCount); ++c)
      letters.push_back(colName(c - 1));
  return letters;
}

bool onCommand(HWND dialog, int id) {
  switch (id) {
    case IDC_CLASSIFY_BROWSE:
      if (const auto folder = chooseFolder(dialog, dialog, kCaption))
        SetDlgItemTextW(dialog, IDC_CLASSIFY_FOLDER, folder->c_str());
      return true;
    case IDOK: runClassifySave(dialog); return true;
    default: return false;
  }
}

const ColumnToolDialog kTool{kCombos, kPicks, false, currentColumnLetters, onCommand};

}  // namespace

HWND showClassifySaveDialog(HWND parent) {
  if (!currentDocument()) return nullptr;
  return openPickingDialog(parent, IDD_CLASSIFY_SAVE, classifySaveDialogProc);
}

INT_PTR CALLBACK classifySaveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return columnToolDialogProc(kTool, dialog, message, wParam);
}

void runClassifySave(HWND dialog) {
  const bool ended = classify(dialog);
  gColumnPick.mPending = 0;
  gColumnPick.mWithTabName = true;
  if (ended) closeColumnTool(dialog);
}
