#include "app/ColumnSplitTool.h"

#include "app/ColumnPick.h"
#include "app/ColumnToolDialog.h"
#include "app/ToolDialog.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "resources/ToolIds.h"

namespace {

const char16_t kCaption[] = u"列字符串分割";
constexpr int32_t kFieldLimit = 511;

constexpr int kCombos[] = {IDC_COLUMN_SPLIT_SOURCE, IDC_COLUMN_SPLIT_RESULT1, IDC_COLUMN_SPLIT_RESULT2,
                           IDC_COLUMN_SPLIT_RESULT3, IDC_COLUMN_SPLIT_RESULT4};
constexpr ColumnPickButton kPicks[] = {{IDC_COLUMN_SPLIT_SOURCE_PICK, IDC_COLUMN_SPLIT_SOURCE},
                                       {IDC_COLUMN_SPLIT_RESULT1_PICK, IDC_COLUMN_SPLIT_RESULT1},
                                       {IDC_COLUMN_SPLIT_RESULT2_PICK, IDC_COLUMN_SPLIT_RESULT2},
                                       {IDC_COLUMN_SPLIT_RESULT3_PICK, IDC_COLUMN_SPLIT_RESULT3},
                                       {IDC_COLUMN_SPLIT_RESULT4_PICK, IDC_COLUMN_SPLIT_RESULT4}};

void onRun(HWND dialog) {
  struct Field {
    int id;
    const char16_t* name;
  };
  static const Field fields[6] = {
      {IDC_COLUMN_SPLIT_SOURCE, u"要分割的列"},   {IDC_COLUMN_SPLIT_SEPARATORS, u"分割字符串"},
      {IDC_COLUMN_SPLIT_RESULT1, u"结果写入列1"}, {IDC_COLUMN_SPLIT_RESULT2, u"结果写入列2"},
      {IDC_COLUMN_SPLIT_RESULT3, u"结果写入列3"}, {IDC_COLUMN_SPLIT_RESULT4, u"结果写入列4"}};
  std::u16string text[6];
  for (int i = 0; i < 6; ++i)
    if (!readToolField(dialog, fields[i].id, kFieldLimit, fields[i].name, kCaption, text[i])) return;
  if (text[0].empty()) return toolMessage(dialog, u"要分割的列不能为空！", kCaption);
  if (text[2].empty()) return toolMessage(dialog, u"结果写入列1不能为空！", kCaption);
  gColumnPick.mPending = 0;
  runColumnSplit(dialog, text[0], text[1], text[2], text[3], text[4], text[5]);
}

bool onCommand(HWND dialog, int id) {
  if (id != IDC_COLUMN_SPLIT_RUN) return false;
  onRun(dialog);
  return true;
}

const ColumnToolDialog kTool{kCombos, kPicks, true, tabColumnNames, onCommand};

}  // namespace

HWND showColumnSplitDialog(HWND parent) {
  return openPickingDialog(parent, IDD_COLUMN_SPLIT, columnSplitDialogProc);
}

INT_PTR CALLBACK columnSplitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return columnToolDialogProc(kTool, dialog, message, wParam);
}

std::vector<std::u16string> splitTokens(const std::u16string& text, const std::u16string& separators) {
  std::vector<std::u16string> tokens;
  size_t i = 0;
  while (i < text.size()) {
    if (separators.find(text[i]) != std::u16string::npos) {
      ++i;
      continue;
    }
    size_t end = separators.empty() ? text.size() : text.find_first_of(separators, i);
    if (end == std::u16string::npos) end = text.size();
    tokens.push_back(text.substr(i, end - i));
    i = end;
  }
  return tokens;
}

bool runColumnSplit(HWND dialog, const std::u16string& source, const std::u16string& separators,
                    const std::u16string& result1, const std::u16string& result2, const std::u16string& result3,
                    const std::u16string& result4) {
  const ColumnRef from = parseColumnRef(source);
  if (!from.mTable) return toolMessage(gMainWnd, u"要分割的列找不到表格！", kCaption), false;
  if (!from.names()) return toolMessage(gMainWnd, u"要分割的列的表格不存在指定列！", kCaption), false;
  // Results that name no column are left out.
  const ColumnRef results[4] = {parseColumnRef(result1), parseColumnRef(result2), parseColumnRef(result3),
                                parseColumnRef(result4)};
  std::vector<CGrid*> written;
  for (const ColumnRef& r : results)
    if (r.names()) written.push_back(r.mDocument);
  if (written.empty()) return toolMessage(gMainWnd, u"结果写入列1-4多找不到表格！", kCaption), false;
  const int32_t rows = static_cast<int32_t>(from.mTable->mRowCount);
  const bool done = changeSheets(written, [&] {
    for (int32_t i = 1; i < rows; ++i) {
      const std::vector<std::u16string> tokens = splitTokens(from.mTable->getText(i, from.mCol), separators);
      for (size_t k = 0; k < 4 && k < tokens.size(); ++k)
        if (results[k].names()) results[k].mTable->setTextTyped(i, results[k].mCol, tokens[k].c_str());
    }
  });
  if (done)
    for (CGrid* document : written) afterToolWrite(document);
  if (CGrid* current = currentDocument()) current->invalidate();
  closeColumnTool(dialog);
  return done;
}
