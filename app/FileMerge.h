// The file merge tool (dialog IDD_FILES_MERGE "文件合并"): many delimited text files and
// workbooks written one after another into one file by a worker thread, optionally
// dropping header lines from every file but the first.
#pragma once
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/FileTasks.h"

void setMergeOutput(HWND dialog, const std::u16string& path);
// The task's output when set; else empty without inputs; else the first input with its
// file name's extension cut off, "(combine)" and that extension.
std::u16string mergeOutputPath(HWND dialog);
void startMerge(HWND dialog);
// Cancels and joins the dialog's worker and forgets its task.
void cancelMerge(HWND dialog);

// Appends one input to `out` by its kind: text as bytes after `drop` lines, a
// workbook's first sheet as comma-joined ANSI lines after `drop` rows, nothing for a
// document file. `progress` gets the fraction of the input consumed.
FileWorkResult appendFileToMerge(FILE* out, const std::u16string& path, int32_t drop,
                                 const std::atomic<int32_t>& cancel, const FractionProgress& progress);
// The worker of one merge run.
void mergeWorker(const TaskRun& run);

INT_PTR CALLBACK fileMergeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Creates and shows the modeless dialog over `parent`.
HWND openFileMergeDialog(HWND parent);
