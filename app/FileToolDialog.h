// What the file merge and file split dialogs share: the list of inputs with its "..文件"
// and "..文件夹" buttons, the header-lines fields, the output field, the start and cancel
// buttons, the worker's posts, and the dialog's end. Each dialog gives what is its own.
#pragma once
#include <string>
#include <vector>

#include "app/FileTasks.h"
#include "platform/windows.h"

struct FileToolDialog {
  const char16_t* caption;  // of its messages and its folder chooser's
  TaskRegistry* tasks;
  // The output proposed when inputs are added while the output field is empty, and its
  // store into the task.
  std::u16string (*proposedOutput)(HWND dialog);
  void (*setOutput)(HWND dialog, const std::u16string& output);
  // Its own fields, set after the shared ones; null when it has none.
  void (*init)(HWND dialog);
  // Its own commands: called with every id the shared part does not take.
  void (*command)(HWND dialog, int id);
  // Checks and stores the settings before a run; false (after a message) when one is wrong.
  bool (*accept)(HWND dialog);
  void (*start)(HWND dialog);
  // Cancels and joins the worker and forgets the task.
  void (*cancel)(HWND dialog);
};

// Appends `paths` to the dialog's list and to its task's inputs; an empty output field
// then gets the proposed output, which the task stores.
void addFileToolInputs(HWND dialog, const FileToolDialog& tool, const std::vector<std::u16string>& paths);
// The procedure of both dialogs, for `tool`: a fresh task with one header line kept
// (checked) when the dialog is made, inputs added by file or folder, the run started
// once the settings pass (its button greyed until the worker ends), cancel and close,
// and the task cancelled whenever the dialog goes. Nothing starts while input is off.
INT_PTR fileToolDialogProc(const FileToolDialog& tool, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Makes and shows the modeless dialog of template `templateId` over `parent` (the file
// tool resources registered); it becomes the dialog column picks return to. Null when
// it could not be made.
HWND openFileToolDialog(HWND parent, int templateId, DLGPROC proc);
