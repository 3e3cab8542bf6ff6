#include "app/ColumnSplitTool.h"

#include "app/ColumnPick.h"
#include "app/ColumnToolDialog.h"
#include "app/Documents.h"
#include "app/ToolDialog.h"
#include "grid/Grid.h"

namespace {

const char16_t kCaption[] = u"列字符串分割";
constexpr int32_t kFieldLimit = 511;

constexpr int kCombos[] = {1059, 1060, 1061, 1062, 1063};
constexpr ColumnPickButton kPicks[] = {{1058, 1059}, {1040, 1060}, {1042, 1061}, {1044, 1062}, {1046, 1063}};

void onRun(HWND dialog) {
  struct Field {
    int id;
    const char16_t* name;
  };
  static const Field fields[6] = {{1059, u"要分割的列"},  {1064, u"分割字符串"},  {1060, u"结果写入列1"},
                                  {1061, u"结果写入列2"}, {1062, u"结果写入列3"}, {1063, u"结果写入列4"}};
  std::u16string text[6];
  for (int i = 0; i < 6; ++i)
    if (!readToolField(dialog, fields[i].id, kFieldLimit, fields[i].name, kCaption, text[i])) return;
  if (text[0].empty()) return toolMessage(dialog, u"要分割的列不能为空！", kCaption);
  if (text[2].empty()) return toolMessage(dialog, u"结果写入列1不能为空！", kCaption);
  gColumnPick.mPending = 0;
  runColumnSplit(dialog, text[0], text[1], text[2], text[3], text[4], text[5]);
}

bool onCommand(HWND dialog, int id) {
  if (id != 1047) return false;
  onRun(dialog);
  return true;
}

const ColumnToolDialog kTool{kCombos, kPicks, true, tabColumnNames, onCommand};

}  // namespace

HWND showColumnSplitDialog(HWND parent) {
  return openPickingDialog(parent, 176, columnSplitDialogProc);
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
