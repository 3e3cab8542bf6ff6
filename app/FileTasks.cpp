#include "app/FileTasks.h"

#include <cassert>
#include <cstdio>

#include "app/FileCollect.h"
#include "resources/FileToolIds.h"

ComTask& TaskRegistry::at(HWND dialog) {
  std::unique_ptr<ComTask>& slot = mTasks[dialog];
  if (!slot) {
    slot = std::make_unique<ComTask>();
    slot->mDialog = dialog;
  }
  return *slot;
}

ComTask& TaskRegistry::fresh(HWND dialog) {
  cancel(dialog);
  return at(dialog);
}

void TaskRegistry::start(HWND dialog, TaskWorker worker) {
  ComTask& task = at(dialog);
  task.mCancel.store(0);
  if (task.mThread.joinable()) task.mThread.join();
  TaskRun run;
  run.dialog = dialog;
  run.cancel = &task.mCancel;
  run.byLines = task.mByLines;
  run.count = task.mCount;
  run.header = task.mHeader;
  run.headerLines = task.mHeaderLines;
  run.output = task.mOutput;
  run.inputs = task.mInputs;
  task.mThread = std::thread([worker, run = std::move(run)] { worker(run); });
}

void TaskRegistry::cancel(HWND dialog) {
  auto it = mTasks.find(dialog);
  if (it == mTasks.end()) return;
  ComTask& task = *it->second;
  task.mCancel.store(1);
  if (task.mThread.joinable()) task.mThread.join();
  mTasks.erase(it);
}

void TaskRegistry::cancelAll() {
  for (auto& [dialog, task] : mTasks) task->mCancel.store(1);
  for (auto& [dialog, task] : mTasks)
    if (task->mThread.joinable()) task->mThread.join();
  mTasks.clear();
}

void postLabel(HWND dialog, int id, std::u16string text) {
  auto* copy = new std::u16string(std::move(text));
  if (!PostMessageW(dialog, WM_FILETASK_LABEL, WPARAM(id), reinterpret_cast<LPARAM>(copy))) delete copy;
}

void postRepaint(HWND dialog) { PostMessageW(dialog, WM_FILETASK_REPAINT, 0, 0); }

void postEnded(HWND dialog) { PostMessageW(dialog, WM_FILETASK_ENDED, 0, 0); }

bool allInputsOpen(const TaskRun& run) {
  for (const std::u16string& input : run.inputs)
    if (!opensForReading(input)) {
      postLabel(run.dialog, IDC_FILES_CURRENT, u"打开文件出错：" + input);
      postEnded(run.dialog);
      return false;
    }
  return true;
}

void postInputStart(const TaskRun& run, size_t i) {
  const size_t n = run.inputs.size();
  postLabel(run.dialog, IDC_FILES_CURRENT, u"正在处理：" + run.inputs[i]);
  postLabel(run.dialog, IDC_FILES_PROGRESS, progressText(100.0 * double(i) / double(n), false));
  postRepaint(run.dialog);
}

FractionProgress inputProgress(const TaskRun& run, size_t i) {
  const size_t n = run.inputs.size();
  return [&run, i, n](double p) {
    if (!run.cancelled())
      postLabel(run.dialog, IDC_FILES_PROGRESS, progressText(100.0 * (double(i) + p) / double(n), true));
  };
}

bool handleTaskMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_FILETASK_LABEL: {
      std::unique_ptr<std::u16string> text(reinterpret_cast<std::u16string*>(lParam));
      SetDlgItemTextW(dialog, int(wParam), text->c_str());
      return true;
    }
    case WM_FILETASK_REPAINT: InvalidateRect(dialog, nullptr, FALSE); return true;
    case WM_FILETASK_ENDED:
      InvalidateRect(dialog, nullptr, FALSE);
      EnableWindow(GetDlgItem(dialog, IDABORT), TRUE);
      return true;
  }
  return false;
}

void dropTaskMessages(HWND dialog) {
  MSG msg;
  while (PeekMessageW(&msg, dialog, WM_FILETASK_LABEL, WM_FILETASK_ENDED, PM_REMOVE))
    if (msg.message == WM_FILETASK_LABEL) delete reinterpret_cast<std::u16string*>(msg.lParam);
}

std::u16string progressText(double percent, bool withSign) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, withSign ? "%.2f%%" : "%.2f", percent);
  std::u16string text = u"处理进度：";
  for (const char* p = buffer; *p; ++p) text.push_back(char16_t(*p));
  return text;
}

TaskRegistry gMergeTasks;
TaskRegistry gSplitTasks;
