#include "app/ColumnMergeTool.h"

#include "app/ColumnPick.h"
#include "app/ColumnToolDialog.h"
#include "app/ToolDialog.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "resources/ToolIds.h"

namespace {

const char16_t kCaption[] = u"列字符串合并";
constexpr int32_t kFieldLimit = 511;

constexpr int kCombos[] = {IDC_COLUMN_MERGE_COLUMN1, IDC_COLUMN_MERGE_COLUMN2, IDC_COLUMN_MERGE_COLUMN3,
                           IDC_COLUMN_MERGE_COLUMN4, IDC_COLUMN_MERGE_RESULT};
constexpr ColumnPickButton kPicks[] = {{IDC_COLUMN_MERGE_COLUMN1_PICK, IDC_COLUMN_MERGE_COLUMN1},
                                       {IDC_COLUMN_MERGE_COLUMN2_PICK, IDC_COLUMN_MERGE_COLUMN2},
                                       {IDC_COLUMN_MERGE_COLUMN3_PICK, IDC_COLUMN_MERGE_COLUMN3},
                                       {IDC_COLUMN_MERGE_COLUMN4_PICK, IDC_COLUMN_MERGE_COLUMN4},
                                       {IDC_COLUMN_MERGE_RESULT_PICK, IDC_COLUMN_MERGE_RESULT}};

void onRun(HWND dialog) {
  struct Field {
    int id;
    const char16_t* name;
  };
  static const Field fields[8] = {
      {IDC_COLUMN_MERGE_COLUMN1, u"要合并的列1"},    {IDC_COLUMN_MERGE_COLUMN2, u"要合并的列2"},
      {IDC_COLUMN_MERGE_COLUMN3, u"要合并的列3"},    {IDC_COLUMN_MERGE_COLUMN4, u"要合并的列4"},
      {IDC_COLUMN_MERGE_SEPARATOR1, u"间隔字符串1"}, {IDC_COLUMN_MERGE_SEPARATOR2, u"间隔字符串2"},
      {IDC_COLUMN_MERGE_SEPARATOR3, u"间隔字符串3"}, {IDC_COLUMN_MERGE_RESULT, u"结果写入列"}};
  std::u16string text[8];
  for (int i = 0; i < 8; ++i)
    if (!readToolField(dialog, fields[i].id, kFieldLimit, fields[i].name, kCaption, text[i])) return;
  if (text[0].empty()) return toolMessage(dialog, u"要合并的列1不能为空！", kCaption);
  if (text[7].empty()) return toolMessage(dialog, u"结果写入列不能为空！", kCaption);
  gColumnPick.mPending = 0;
  runColumnMerge(dialog, text[0], text[1], text[2], text[3], text[4], text[5], text[6], text[7]);
}

bool onCommand(HWND dialog, int id) {
  if (id != IDC_COLUMN_MERGE_RUN) return false;
  onRun(dialog);
  return true;
}

const ColumnToolDialog kTool{kCombos, kPicks, true, tabColumnNames, onCommand};

}  // namespace

HWND showColumnMergeDialog(HWND parent) {
  return openPickingDialog(parent, IDD_COLUMN_MERGE, columnMergeDialogProc);
}

INT_PTR CALLBACK columnMergeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return columnToolDialogProc(kTool, dialog, message, wParam);
}

bool runColumnMerge(HWND dialog, const std::u16string& col1, const std::u16string& col2, const std::u16string& col3,
                    const std::u16string& col4, const std::u16string& sep1, const std::u16string& sep2,
                    const std::u16string& sep3, const std::u16string& result) {
  const ColumnRef first = parseColumnRef(col1);
  if (!first.names()) return toolMessage(gMainWnd, u"要合并的列1找不到表格！", kCaption), false;
  const ColumnRef target = parseColumnRef(result);
  if (!target.names()) return toolMessage(gMainWnd, u"结果写入列找不到表格！", kCaption), false;
  // Columns 2 to 4 that name no column are left out; their separators stay.
  ColumnRef more[3] = {parseColumnRef(col2), parseColumnRef(col3), parseColumnRef(col4)};
  const std::u16string* seps[3] = {&sep1, &sep2, &sep3};
  const int32_t rows = static_cast<int32_t>(first.mTable->mRowCount);
  const bool done = changeSheets({target.mDocument}, [&] {
    for (int32_t i = 1; i < rows; ++i) {
      std::u16string text = first.mTable->getText(i, first.mCol);
      for (int k = 0; k < 3; ++k) {
        text += *seps[k];
        if (more[k].names()) more[k].mTable->appendText(i, more[k].mCol, text);
      }
      target.mTable->setText(i, target.mCol, text);
    }
  });
  if (done) afterToolWrite(target.mDocument);
  if (CGrid* current = currentDocument()) current->invalidate();
  closeColumnTool(dialog);
  return done;
}
