#include "app/FileMerge.h"

#include <memory>

#include "app/ChunkReader.h"
#include "app/FileCollect.h"
#include "app/FileToolDialog.h"
#include "app/ToolDialog.h"
#include "grid/FileDialogs.h"
#include "platform/CodePage.h"
#include "resources/FileToolIds.h"
#include "store/ExcelStream.h"
#include "store/FilePath.h"
#include "store/SafeSave.h"

namespace {

constexpr char16_t kCaption[] = u"多文件合并";
constexpr int32_t kRowsPerReport = 5001;
// Room for the merged file's path in its save dialog, in characters.
constexpr size_t kOutputRoom = 255;

double fraction(int64_t done, int64_t total) { return total > 0 ? double(done) / double(total) : 1.0; }

bool writeAll(FILE* out, std::string_view bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

FileWorkResult appendText(FILE* out, const std::u16string& path, int32_t drop, const std::atomic<int32_t>& cancel,
                          const FractionProgress& progress) {
  ChunkReader reader(path);
  if (!reader.isOpen()) return FILE_OPEN_FAILED;
  for (int32_t i = 0; i < drop; ++i)
    if (reader.readLine().empty()) break;
  bool reported = false;
  for (std::string_view chunk = reader.readChunk(); !chunk.empty(); chunk = reader.readChunk()) {
    if (!writeAll(out, chunk)) return FILE_WRITE_FAILED;
    progress(fraction(reader.consumed(), reader.size()));
    reported = true;
    if (cancel.load(std::memory_order_relaxed)) return FILE_CANCELLED;
  }
  if (reader.failed()) return FILE_OPEN_FAILED;
  if (!reported) progress(fraction(reader.consumed(), reader.size()));  // an empty or all-header input
  return FILE_DONE;
}

FileWorkResult appendWorkbook(FILE* out, const std::u16string& path, int32_t drop,
                              const std::atomic<int32_t>& cancel, const FractionProgress& progress) {
  ExcelStream book;
  if (!book.open(path)) return FILE_OPEN_FAILED;
  const int64_t rows = book.lastRow();
  int64_t consumed = 0;
  for (int32_t i = 0; i < drop && !book.readLine().empty(); ++i) ++consumed;
  int32_t written = 0;
  for (std::u16string line = book.readLine(); !line.empty(); line = book.readLine()) {
    ++consumed;
    if (!writeAll(out, wideToAnsi(line))) return FILE_WRITE_FAILED;
    if (++written % kRowsPerReport == 0) progress(fraction(consumed, rows));
    if (cancel.load(std::memory_order_relaxed)) return FILE_CANCELLED;
  }
  progress(fraction(consumed, rows));
  return FILE_DONE;
}

}  // namespace

FileWorkResult appendFileToMerge(FILE* out, const std::u16string& path, int32_t drop,
                                 const std::atomic<int32_t>& cancel, const FractionProgress& progress) {
  switch (fileKind(path)) {
    case FILE_MVT: return FILE_DONE;
    case FILE_EXCEL: return appendWorkbook(out, path, drop, cancel, progress);
    default: return appendText(out, path, drop, cancel, progress);
  }
}

void mergeWorker(const TaskRun& run) {
  if (!allInputsOpen(run)) return;
  // The merged file is written beside an old one, which it replaces at the end.
  SafeSave save(run.output);
  FILE* out = save.file();
  if (!out) {
    postLabel(run.dialog, IDC_FILES_CURRENT, u"打开合并文件出错：" + run.output);
    postLabel(run.dialog, IDC_FILES_PROGRESS, u"处理进度：100%");
  } else {
    const size_t n = run.inputs.size();
    bool failed = false, writeFailed = false;
    for (size_t i = 0; i < n && !run.cancelled(); ++i) {
      postInputStart(run, i);
      const int32_t drop = i > 0 && run.header ? run.headerLines : 0;
      const FileWorkResult result = appendFileToMerge(out, run.inputs[i], drop, *run.cancel, inputProgress(run, i));
      if (result == FILE_OPEN_FAILED) {
        postLabel(run.dialog, IDC_FILES_CURRENT, u"打开文件出错：" + run.inputs[i]);
        failed = true;
        break;
      }
      if (result == FILE_WRITE_FAILED) {
        postLabel(run.dialog, IDC_FILES_CURRENT, u"写入文件出错：" + run.output);
        failed = writeFailed = true;
        break;
      }
    }
    // What was merged before a cancel or an input that failed to open stays; a failed
    // write (the final flush included) leaves an old file as it was.
    if (writeFailed) {
      save.discard();
    } else if (!save.commit() && !failed && !run.cancelled()) {
      postLabel(run.dialog, IDC_FILES_CURRENT, u"写入文件出错：" + run.output);
    }
  }
  if (!run.cancelled()) postEnded(run.dialog);
}

void setMergeOutput(HWND dialog, const std::u16string& path) { gMergeTasks.at(dialog).mOutput = path; }

std::u16string mergeOutputPath(HWND dialog) {
  const ComTask& task = gMergeTasks.at(dialog);
  if (!task.mOutput.empty()) return task.mOutput;
  if (task.mInputs.empty()) return {};
  const std::u16string& first = task.mInputs.front();
  const size_t nameStart = fileNameStart(first);
  const size_t dot = first.rfind(u'.');
  const size_t cut = dot != std::u16string::npos && dot >= nameStart ? dot : first.size();
  return first.substr(0, cut) + u"(combine)" + first.substr(cut);
}

void startMerge(HWND dialog) { gMergeTasks.start(dialog, mergeWorker); }

void cancelMerge(HWND dialog) {
  gMergeTasks.cancel(dialog);
  dropTaskMessages(dialog);
}

namespace {

void chooseOutput(HWND dialog) {
  std::u16string preset = dialogText(dialog, IDC_FILES_OUTPUT);
  if (preset.empty()) preset = mergeOutputPath(dialog);
  if (preset.size() >= kOutputRoom) {
    MessageBoxW(dialog, u"文件保存全路径太长，不能超过254个字符！", kCaption, MB_OK);
    return;
  }
  const std::u16string chosen = askTextSavePath(dialog, preset, kOutputRoom);
  if (chosen.empty()) return;
  SetDlgItemTextW(dialog, IDC_FILES_OUTPUT, chosen.c_str());
  setMergeOutput(dialog, chosen);
}

// Checks the settings in the Part's order; false (after a message) when one is wrong.
bool acceptSettings(HWND dialog) {
  const int headerLines = _wtoi(dialogText(dialog, IDC_FILES_HEADER_LINES).c_str());
  if (headerLines < 0) {
    MessageBoxW(dialog, u"去掉其他文件标题行数量不能小于0！", kCaption, MB_OK);
    return false;
  }
  ComTask& task = gMergeTasks.at(dialog);
  task.mHeaderLines = headerLines;
  if (task.mInputs.empty()) {
    MessageBoxW(dialog, u"要合并的文件不能为空，请添加合并文件！", kCaption, MB_OK);
    return false;
  }
  const std::u16string output = dialogText(dialog, IDC_FILES_OUTPUT);
  if (output.empty()) {
    MessageBoxW(dialog, u"文件保存全路径不能为空！", kCaption, MB_OK);
    return false;
  }
  // The output may name an input by another path, through a link or as a hard link.
  const std::u16string target = fullPath(output);
  for (const std::u16string& input : task.mInputs)
    if (fullPath(input) == target || sameFile(input, output)) {
      MessageBoxW(dialog, (u"文件保存全路径不能是要合并的文件：" + input).c_str(), kCaption, MB_OK);
      return false;
    }
  setMergeOutput(dialog, output);
  return true;
}

void onCommand(HWND dialog, int id) {
  switch (id) {
    case IDC_FILES_BROWSE: chooseOutput(dialog); break;
    case IDC_FILES_HEADER:
      gMergeTasks.at(dialog).mHeader = IsDlgButtonChecked(dialog, IDC_FILES_HEADER) == BST_CHECKED;
      break;
  }
}

const FileToolDialog kMergeTool{.caption = kCaption,
                                .tasks = &gMergeTasks,
                                .proposedOutput = mergeOutputPath,
                                .setOutput = setMergeOutput,
                                .init = nullptr,
                                .command = onCommand,
                                .accept = acceptSettings,
                                .start = startMerge,
                                .cancel = cancelMerge};

}  // namespace

INT_PTR CALLBACK fileMergeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return fileToolDialogProc(kMergeTool, dialog, message, wParam, lParam);
}

HWND openFileMergeDialog(HWND parent) { return openFileToolDialog(parent, IDD_FILES_MERGE, fileMergeDialogProc); }
