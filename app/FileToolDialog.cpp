#include "app/FileToolDialog.h"

#include "app/ColumnPick.h"
#include "app/FileCollect.h"
#include "app/ToolDialog.h"
#include "controls/InputState.h"
#include "grid/FileDialogs.h"
#include "resources/FileToolIds.h"
#include "resources/FileToolResources.h"

void addFileToolInputs(HWND dialog, const FileToolDialog& tool, const std::vector<std::u16string>& paths) {
  for (const std::u16string& path : paths)
    SendDlgItemMessageW(dialog, IDC_FILES_LIST, LB_ADDSTRING, 0, LPARAM(path.c_str()));
  ComTask& task = tool.tasks->at(dialog);
  task.mInputs.insert(task.mInputs.end(), paths.begin(), paths.end());
  if (dialogText(dialog, IDC_FILES_OUTPUT).empty()) {
    const std::u16string output = tool.proposedOutput(dialog);
    SetDlgItemTextW(dialog, IDC_FILES_OUTPUT, output.c_str());
    tool.setOutput(dialog, output);
  }
}

namespace {

void onInit(const FileToolDialog& tool, HWND dialog) {
  tool.tasks->fresh(dialog);
  SetDlgItemTextW(dialog, IDC_FILES_HEADER_LINES, u"1");
  CheckDlgButton(dialog, IDC_FILES_HEADER, BST_CHECKED);
  tool.tasks->at(dialog).mHeader = true;
  if (tool.init) tool.init(dialog);
  centreOnParent(dialog);
}

void onCommand(const FileToolDialog& tool, HWND dialog, int id) {
  switch (id) {
    case IDC_FILES_ADD:
      if (auto paths = askOpenFiles(dialog, u"请选择一个文件", kDataFileFilter); !paths.empty())
        addFileToolInputs(dialog, tool, paths);
      break;
    case IDC_FILES_ADD_FOLDER:
      if (auto folder = chooseFolder(dialog, dialog, tool.caption)) {
        std::vector<std::u16string> paths;
        collectDataFiles(*folder, paths, kDataFileExtensions);
        if (!paths.empty()) addFileToolInputs(dialog, tool, paths);
      }
      break;
    case IDABORT:
      if (tool.accept(dialog)) {
        EnableWindow(GetDlgItem(dialog, IDABORT), FALSE);
        tool.start(dialog);
      }
      break;
    case IDCANCEL:
      tool.cancel(dialog);
      DestroyWindow(dialog);
      break;
    default: tool.command(dialog, id); break;
  }
}

}  // namespace

INT_PTR fileToolDialogProc(const FileToolDialog& tool, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (handleTaskMessage(dialog, message, wParam, lParam)) return TRUE;
  if (refusedWhileBusy(message)) return TRUE;  // nothing starts while input is off
  switch (message) {
    case WM_INITDIALOG: onInit(tool, dialog); return TRUE;
    case WM_COMMAND: onCommand(tool, dialog, LOWORD(wParam)); return TRUE;
    case WM_DESTROY:  // also when the owner goes first
      tool.cancel(dialog);
      if (gColumnPick.mDialog == dialog) endColumnPick(dialog);
      return FALSE;
  }
  return FALSE;
}

HWND openFileToolDialog(HWND parent, int templateId, DLGPROC proc) {
  registerFileToolResources();
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(templateId), parent, proc, 0);
  if (!dialog) return nullptr;
  setColumnPickDialog(dialog);  // the newest column tool dialog
  ShowWindow(dialog, SW_SHOW);
  return dialog;
}
