// The tasks of the file merge and split dialogs: one task per open dialog, kept in a
// registry keyed by the dialog window, each with at most one worker thread. A worker
// talks to its dialog only by posting: label texts travel as heap copies that the
// dialog frees, whether it shows them or is already going away.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/windows.h"

// Posted by a worker to its dialog. wParam: the label's control id; lParam: a
// std::u16string* that the message owns.
constexpr UINT WM_FILETASK_LABEL = WM_USER + 0x61;
// Repaint the dialog.
constexpr UINT WM_FILETASK_REPAINT = WM_USER + 0x62;
// The run ended without a cancel: repaint and enable the start button (IDABORT).
constexpr UINT WM_FILETASK_ENDED = WM_USER + 0x63;

// Result codes of one file's work.
enum FileWorkResult : int { FILE_DONE = 0, FILE_OPEN_FAILED = 1, FILE_WRITE_FAILED = 2, FILE_CANCELLED = 3 };

// One open merge or split dialog's task.
struct ComTask {
  HWND mDialog = nullptr;
  std::atomic<int32_t> mCancel{0};  // 1 stops the worker; set by the UI thread only
  bool mByLines = false;            // split: mCount lines per part (else mCount parts)
  int32_t mCount = 0;
  bool mHeader = false;  // merge: drop header lines of later files; split: repeat them
  int32_t mHeaderLines = 0;
  std::thread mThread;                  // not joinable when no worker was started
  std::u16string mOutput;               // merge: the merged file; split: the output folder
  std::vector<std::u16string> mInputs;  // in the order added
};

// What a worker runs with: the task's settings copied when the run starts (later changes
// in the dialog reach the next run only), its dialog and its cancel flag.
struct TaskRun {
  HWND dialog = nullptr;
  const std::atomic<int32_t>* cancel = nullptr;  // the task's, which outlives the worker
  bool byLines = false;
  int32_t count = 0;
  bool header = false;
  int32_t headerLines = 0;
  std::u16string output;
  std::vector<std::u16string> inputs;

  bool cancelled() const { return cancel->load(std::memory_order_relaxed) != 0; }
};

using TaskWorker = void (*)(const TaskRun& run);
// Told the fraction (0 to 1) of one input done.
using FractionProgress = std::function<void(double fraction)>;

// Tasks by dialog window. Only the UI thread calls these.
class TaskRegistry {
 public:
  TaskRegistry() = default;
  ~TaskRegistry() { cancelAll(); }  // no worker outlives its task
  TaskRegistry(const TaskRegistry&) = delete;
  TaskRegistry& operator=(const TaskRegistry&) = delete;

  // The dialog's task, an empty one made when there is none.
  ComTask& at(HWND dialog);
  // A fresh task for the dialog; a task already there is cancelled and joined first.
  ComTask& fresh(HWND dialog);
  bool contains(HWND dialog) const { return mTasks.count(dialog) != 0; }
  size_t size() const { return mTasks.size(); }
  // Clears the cancel flag, joins the previous worker and starts `worker` on a copy of
  // the task's settings.
  void start(HWND dialog, TaskWorker worker);
  // Sets the cancel flag, joins the worker and removes the task.
  void cancel(HWND dialog);
  // cancel for every task (exit).
  void cancelAll();

 private:
  std::map<HWND, std::unique_ptr<ComTask>> mTasks;
};

extern TaskRegistry gMergeTasks;
extern TaskRegistry gSplitTasks;

// ---- worker side: posts that never wait ----
void postLabel(HWND dialog, int id, std::u16string text);
void postRepaint(HWND dialog);
void postEnded(HWND dialog);

// Before a run: true when every input opens for reading; else the first that does not
// is named ("打开文件出错：") and the end posted.
bool allInputsOpen(const TaskRun& run);
// Input `i` of the run starts: its name and the progress before it shown, a repaint.
void postInputStart(const TaskRun& run, size_t i);
// The progress of input `i`, told the fraction of it consumed; silent once cancelled.
FractionProgress inputProgress(const TaskRun& run, size_t i);

// ---- dialog side ----
// Handles the three posted messages (frees the text); false for any other message.
bool handleTaskMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Removes the posts still queued for the dialog, freeing their texts. Called once its
// worker is joined, before the dialog goes.
void dropTaskMessages(HWND dialog);

// "处理进度：" with 100 * value in %.2f, with or without a final "%".
std::u16string progressText(double percent, bool withSign);
