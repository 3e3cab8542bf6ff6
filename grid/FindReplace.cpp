// Find and replace: the two modeless dialogs of a document and the walks of its find
// state over the sheet.
#include <string>

#include "controls/InputState.h"
#include "grid/DialogCentre.h"
#include "grid/FindPattern.h"
#include "grid/FindSearch.h"
#include "grid/Grid.h"
#include "platform/controls/Controls.h"
#include "platform/windows.h"
#include "resources/FindFilterIds.h"
#include "resources/GridFindResources.h"
#include "store/ColumnName.h"
#include "store/NumberText.h"

namespace {

constexpr int MAX_FIND_TEXT = 1023;

std::u16string dialogText(HWND dialog, int id) {
  char16_t buffer[MAX_FIND_TEXT + 1] = {};
  GetDlgItemTextW(dialog, id, buffer, MAX_FIND_TEXT + 1);
  return buffer;
}

bool visible(HWND dialog) { return dialog && IsWindowVisible(dialog); }

std::u16string notFound(const std::u16string& findText, const char16_t* prefix) {
  return prefix + (u"全文查找不到文本 '" + findText + u"'.");
}

std::u16string limitText(const FindHit& hit) {
  return u"正则表达式匹配超出引擎限制（" + colName(hit.col - 1) + int64Text(hit.row) + u"），查找已停止。";
}

INT_PTR CALLBACK findDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    centreDialog(dialog);
    return TRUE;
  }
  auto* grid = reinterpret_cast<CGrid*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!grid) return FALSE;
  if (message == WM_CLOSE) {
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  // While a long operation runs the fields and options follow the user, but no walk
  // starts over the sheet it is reading or writing.
  const bool walk = id == IDC_FIND_NEXT_BUTTON || id == IDC_FIND_PREV_BUTTON || id == IDC_FIND_COUNT_BUTTON ||
                    id == IDC_REPLACE_BUTTON || id == IDC_REPLACE_ALL_BUTTON;
  if (walk && refusedWhileBusy(message)) return TRUE;
  auto checked = [&] { return static_cast<uint8_t>(IsDlgButtonChecked(dialog, id) == BST_CHECKED); };
  switch (id) {
    case IDC_FIND_TEXT: grid->mFindText = dialogText(dialog, id); break;
    case IDC_REPLACE_TEXT: grid->mReplaceText = dialogText(dialog, id); break;
    case IDC_FIND_WHOLE_CELL: grid->mWholeCell = checked(); break;
    case IDC_FIND_MATCH_CASE: grid->mMatchCase = checked(); break;
    case IDC_FIND_WRAP: grid->mWrapAround = checked(); break;
    case IDC_FIND_MODE_NORMAL:
      if (checked()) grid->mFindMode = FIND_NORMAL;
      break;
    case IDC_FIND_MODE_EXTENDED:
      if (checked()) grid->mFindMode = FIND_EXTENDED;
      break;
    case IDC_FIND_MODE_REGEX:
      if (checked()) grid->mFindMode = FIND_REGEX;
      break;
    case IDC_FIND_NEXT_BUTTON: grid->findNext(); break;
    case IDC_FIND_PREV_BUTTON: grid->findPrev(); break;
    case IDC_FIND_COUNT_BUTTON: grid->countMatches(); break;
    case IDC_REPLACE_BUTTON: grid->replaceNext(); break;
    case IDC_REPLACE_ALL_BUTTON: grid->replaceAll(); break;
    case IDCANCEL: ShowWindow(dialog, SW_HIDE); break;
    default: return FALSE;
  }
  return TRUE;
}

// Dialog `id` of the document, made when missing, filled with the find state and shown;
// `other` is hidden first.
void showFindDialog(CGrid& grid, HWND& dialog, HWND other, WORD id) {
  if (visible(other)) ShowWindow(other, SW_HIDE);
  if (!dialog) {
    registerFindFilterResources();
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), grid.mHwnd, findDialogProc,
                                reinterpret_cast<LPARAM>(&grid));
    if (!dialog) return;
  }
  CheckDlgButton(dialog, IDC_FIND_WHOLE_CELL, grid.mWholeCell ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, grid.mMatchCase ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_FIND_WRAP, grid.mWrapAround ? BST_CHECKED : BST_UNCHECKED);
  // Setting a field notifies the dialog, which copies the field back: take the state first.
  const std::u16string findText = grid.mFindText, replaceText = grid.mReplaceText;
  SetDlgItemTextW(dialog, IDC_FIND_TEXT, findText.c_str());
  if (id == IDD_REPLACE) SetDlgItemTextW(dialog, IDC_REPLACE_TEXT, replaceText.c_str());
  grid.mFindText = findText, grid.mReplaceText = replaceText;
  CheckDlgButton(dialog, IDC_FIND_MODE_NORMAL, grid.mFindMode == FIND_NORMAL ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_FIND_MODE_EXTENDED, grid.mFindMode == FIND_EXTENDED ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_FIND_MODE_REGEX, grid.mFindMode == FIND_REGEX ? BST_CHECKED : BST_UNCHECKED);
  ShowWindow(dialog, SW_SHOWNORMAL);
}

void setResult(HWND dialog, const std::u16string& text) {
  if (dialog) SetDlgItemTextW(dialog, IDC_FIND_RESULT, text.c_str());
}

}  // namespace

void CGrid::showFind() { showFindDialog(*this, mFindDlg, mReplaceDlg, IDD_FIND); }

void CGrid::showReplace() { showFindDialog(*this, mReplaceDlg, mFindDlg, IDD_REPLACE); }

HWND CGrid::findResultDialog() const {
  if (visible(mReplaceDlg)) return mReplaceDlg;
  if (visible(mFindDlg)) return mFindDlg;
  return nullptr;
}

void CGrid::findFailure(const std::u16string& text) {
  if (HWND dialog = findResultDialog()) setResult(dialog, text);
  else message(text);
}

namespace {

// The walk of find next (forward) or find previous from the selection's top-left cell,
// wrapping round when the state says so; the hit, or NoMatch.
FindHit findFrom(const CGrid& grid, const FindPattern& pattern, bool forward) {
  const CDataCore& core = grid.mCore;
  const int64_t cols = static_cast<int64_t>(core.mColCount);
  const int64_t rows = static_cast<int64_t>(core.mRowCount);
  const Range r = grid.mSelection.toRange(core);
  // A column beyond the sheet's last stands for the last: the same cells come before and after it.
  const int64_t col = std::min<int64_t>(r.left, std::max<int64_t>(cols - 1, 0));
  const CellIndex here = int64_t(r.top) * cols + col;
  const CellIndex first = cols + 1, end = rows * cols;
  FindHit hit = forward ? findCell(core, pattern, here + 1, end, true)
                        : findCell(core, pattern, first, here, false);
  if (hit.status == RegexStatus::NoMatch && grid.mWrapAround)
    hit = forward ? findCell(core, pattern, first, here + 1, true) : findCell(core, pattern, here, end, false);
  return hit;
}

void findStep(CGrid& grid, bool forward) {
  if (grid.mFindText.empty()) return;
  FindPattern pattern(grid.mFindText, grid.mMatchCase, grid.mWholeCell, grid.mFindMode);
  if (!pattern.ok()) return grid.findFailure(pattern.error());
  const FindHit hit = findFrom(grid, pattern, forward);
  if (hit.status == RegexStatus::Limit) return grid.findFailure(limitText(hit));
  if (hit.status == RegexStatus::Match) {
    grid.selectCell(hit.row, hit.col);
    grid.invalidate();
    setResult(grid.findResultDialog(), u"查找结果：1 处地方被查找到.");
  } else {
    setResult(grid.findResultDialog(), notFound(grid.mFindText, u"查找结果："));
  }
}

}  // namespace

void CGrid::findNext() { findStep(*this, true); }

void CGrid::findPrev() { findStep(*this, false); }

void CGrid::countMatches() {
  if (mFindText.empty()) return;
  FindPattern pattern(mFindText, mMatchCase, mWholeCell, mFindMode);
  if (!pattern.ok()) return findFailure(pattern.error());
  const CountResult counted = countCells(mCore, pattern);
  if (counted.limit.status == RegexStatus::Limit) return findFailure(limitText(counted.limit));
  setResult(findResultDialog(), u"计数：" + int64Text(counted.count) + u" 处匹配.");
}

void CGrid::replaceNext() {
  if (mFindText.empty()) return;
  FindPattern pattern(mFindText, mMatchCase, mWholeCell, mFindMode);
  if (!pattern.ok()) return findFailure(pattern.error());
  const std::u16string replacement = mFindMode == FIND_EXTENDED ? unescapeFind(mReplaceText) : mReplaceText;
  const Range r = mSelection.toRange(mCore);
  RegexStatus current = RegexStatus::NoMatch;
  if (mCore.inSheet(r.top, r.left) && r.top > 0 && r.left > 0) {
    CRegexMatcher matcher;
    std::u16string scratch;
    current = pattern.match(mCore, *mCore.cellAt(r.top, r.left), matcher, scratch);
  }
  if (current == RegexStatus::Limit) return findFailure(limitText(FindHit{current, r.top, r.left}));
  const bool locked = mOps.editLocked();
  if (current == RegexStatus::Match && !locked) {
    std::u16string error;
    const bool done = guarded([&] {
      mOps.replaceCurrent(pattern.pattern(), replacement, mMatchCase, mWholeCell, mFindMode == FIND_REGEX, &error);
    });
    if (!done) return;
    if (!error.empty()) return findFailure(error);
  }
  findNext();
  invalidate();
  if (!visible(mReplaceDlg)) return;
  if (current != RegexStatus::Match) setResult(mReplaceDlg, notFound(mFindText, u"替换结果："));
  else if (locked) setResult(mReplaceDlg, u"替换结果：文档已锁定，未替换文本.");
  else setResult(mReplaceDlg, u"替换结果：替换了1处文本.");
}

void CGrid::replaceAll() {
  if (mFindText.empty()) return;
  const bool extended = mFindMode == FIND_EXTENDED;
  const std::u16string pattern = extended ? unescapeFind(mFindText) : mFindText;
  const std::u16string replacement = extended ? unescapeFind(mReplaceText) : mReplaceText;
  int32_t count = 0;
  std::u16string error;
  if (!mOps.editLocked()) {
    const bool done = guarded([&] {
      count = mOps.replaceAll(pattern, replacement, mMatchCase, mWholeCell, mFindMode == FIND_REGEX, &error);
    });
    if (!done) return invalidate();
  }
  invalidate();
  if (!error.empty()) return findFailure(error);
  if (visible(mReplaceDlg)) setResult(mReplaceDlg, u"全部替换结果：全文替换文本" + int64Text(count) + u"处.");
}
