#include "app/FileSplit.h"

#include <algorithm>
#include <map>

#include "app/ChunkReader.h"
#include "app/FileCollect.h"
#include "app/FileToolDialog.h"
#include "app/ToolDialog.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/user/FindFile.h"
#include "resources/FileToolIds.h"
#include "store/ExcelStream.h"
#include "store/FilePath.h"

namespace {

constexpr char16_t kCaption[] = u"多文件分割";
constexpr int64_t kLinesPerReport = 5000;
constexpr size_t kPartBuffer = 1 << 20;

double fraction(int64_t done, int64_t total) { return total > 0 ? double(done) / double(total) : 1.0; }

// Lines per part: `count` when splitting by lines, else the data lines shared out over
// `count` parts, rounded up; at least 1.
int64_t linesPerPart(int64_t lines, int32_t keep, bool byLines, int32_t count) {
  if (byLines) return std::max<int64_t>(count, 1);
  const int64_t data = std::max<int64_t>(lines - keep, 0);
  return std::max<int64_t>((data + count - 1) / std::max(count, 1), 1);
}

// The loop shared by text and workbook inputs: `next` gives the following line (empty
// at the end), `done` the fraction consumed.
template <typename Next, typename Done>
FileWorkResult writeParts(SplitPart& part, Next next, Done done, const std::atomic<int32_t>& cancel,
                          const FractionProgress& progress) {
  if (!part.openNext()) return FILE_WRITE_FAILED;
  int64_t lines = 0;
  for (;;) {
    const std::string_view line = next();
    if (line.empty()) {
      progress(done());
      const bool opened = part.isOpen();
      return part.close() && opened ? FILE_DONE : FILE_WRITE_FAILED;
    }
    if (part.full() && !part.openNext()) return FILE_WRITE_FAILED;
    if (!part.isOpen() || !part.write(line)) return FILE_WRITE_FAILED;
    if (++lines % kLinesPerReport == 0) progress(done());
    if (cancel.load(std::memory_order_relaxed)) return FILE_CANCELLED;
  }
}

FileWorkResult splitText(const std::u16string& folder, const std::u16string& path, int32_t keep, bool byLines,
                         int32_t count, const std::atomic<int32_t>& cancel, const FractionProgress& progress) {
  ChunkReader reader(path);
  if (!reader.isOpen()) return FILE_OPEN_FAILED;
  const int64_t perPart = linesPerPart(byLines ? 0 : reader.countLines(), keep, byLines, count);
  std::vector<std::string> header;
  for (int32_t i = 0; i < keep; ++i) {
    const std::string_view line = reader.readLine();
    if (line.empty()) break;
    header.emplace_back(line);
  }
  SplitPart part(folder, getFileBaseName(path), std::move(header), perPart);
  const FileWorkResult result = writeParts(
      part, [&] { return reader.readLine(); }, [&] { return fraction(reader.consumed(), reader.size()); }, cancel,
      progress);
  return result == FILE_DONE && reader.failed() ? FILE_OPEN_FAILED : result;
}

FileWorkResult splitWorkbook(const std::u16string& folder, const std::u16string& path, int32_t keep, bool byLines,
                             int32_t count, const std::atomic<int32_t>& cancel, const FractionProgress& progress) {
  ExcelStream book;
  if (!book.open(path)) return FILE_OPEN_FAILED;
  const int64_t rows = book.lastRow();
  int64_t consumed = 0;
  std::vector<std::string> header;
  for (int32_t i = 0; i < keep; ++i) {
    std::string line = wideToAnsi(book.readLine());
    if (line.empty()) break;
    ++consumed;
    header.push_back(std::move(line));
  }
  SplitPart part(folder, getFileBaseName(path), std::move(header), linesPerPart(rows, keep, byLines, count));
  std::string line;
  auto next = [&]() -> std::string_view {
    line = wideToAnsi(book.readLine());
    if (!line.empty()) ++consumed;
    return line;
  };
  return writeParts(
      part, next, [&] { return fraction(consumed, rows); }, cancel, progress);
}

}  // namespace

std::u16string splitPartPath(const std::u16string& folder, const std::u16string& stem, int64_t number) {
  const std::string digits = std::to_string(number);
  return folder + u"/" + stem + u"_" + std::u16string(digits.begin(), digits.end()) + u".csv";
}

SplitPart::SplitPart(std::u16string folder, std::u16string stem, std::vector<std::string> header,
                     int64_t linesPerPart)
    : mHeader(std::move(header)), mFolder(std::move(folder)), mStem(std::move(stem)),
      mLinesPerPart(std::max<int64_t>(linesPerPart, 1)) {}

bool SplitPart::flush() {
  if (mBuffer.empty()) return !mFailed;
  if (std::fwrite(mBuffer.data(), 1, mBuffer.size(), mPart->file()) != mBuffer.size()) mFailed = true;
  mBuffer.clear();
  return !mFailed;
}

bool SplitPart::close() {
  if (!mPart) return true;
  const bool ok = flush() && mPart->commit();
  mPart.reset();
  mFailed = false;
  return ok;
}

bool SplitPart::openNext() {
  ++mPartNumber;
  mLinesInPart = 0;
  if (!close()) return false;
  mPart = std::make_unique<SafeSave>(splitPartPath(mFolder, mStem, mPartNumber));
  if (!mPart->file()) {
    mPart.reset();
    return true;
  }
  for (const std::string& line : mHeader)
    if (!write(line)) return false;
  mLinesInPart = 0;
  return true;
}

bool SplitPart::write(std::string_view line) {
  if (!mPart || mFailed) return false;
  mBuffer.append(line);
  ++mLinesInPart;
  return mBuffer.size() < kPartBuffer || flush();
}

int64_t splitPartCount(const std::u16string& path, int32_t keep, bool byLines, int32_t count) {
  int64_t lines = 0;
  switch (fileKind(path)) {
    case FILE_MVT: return 0;
    case FILE_EXCEL: {
      ExcelStream book;
      if (!book.open(path)) return 0;
      lines = book.lastRow();
      break;
    }
    default: {
      ChunkReader reader(path);
      if (!reader.isOpen()) return 0;
      lines = reader.countLines();
    }
  }
  const int64_t data = std::max<int64_t>(lines - keep, 0);
  const int64_t perPart = linesPerPart(lines, keep, byLines, count);
  return std::max<int64_t>((data + perPart - 1) / perPart, 1);
}

FileWorkResult splitOneFile(const std::u16string& folder, const std::u16string& path, int32_t keep, bool byLines,
                            int32_t count, const std::atomic<int32_t>& cancel, const FractionProgress& progress) {
  switch (fileKind(path)) {
    case FILE_MVT: return FILE_DONE;
    case FILE_EXCEL: return splitWorkbook(folder, path, keep, byLines, count, cancel, progress);
    default: return splitText(folder, path, keep, byLines, count, cancel, progress);
  }
}

void splitWorker(const TaskRun& run) {
  if (!allInputsOpen(run)) return;
  const size_t n = run.inputs.size();
  const int32_t keep = run.header ? run.headerLines : 0;
  for (size_t i = 0; i < n; ++i) {
    if (run.cancelled()) return;  // the start button (IDABORT) stays disabled
    postInputStart(run, i);
    const FileWorkResult result =
        splitOneFile(run.output, run.inputs[i], keep, run.byLines, run.count, *run.cancel, inputProgress(run, i));
    if (result == FILE_OPEN_FAILED) {
      postLabel(run.dialog, IDC_FILES_CURRENT, u"打开文件出错：" + run.inputs[i]);
      break;
    }
    if (result == FILE_WRITE_FAILED) {
      postLabel(run.dialog, IDC_FILES_CURRENT, u"写入文件出错：" + run.output);
      break;
    }
  }
  if (!run.cancelled()) postEnded(run.dialog);
}

void setSplitFolder(HWND dialog, const std::u16string& folder) {
  createFolderPath(folder);
  gSplitTasks.at(dialog).mOutput = folder;
}

void startSplit(HWND dialog) { gSplitTasks.start(dialog, splitWorker); }

void cancelSplit(HWND dialog) {
  gSplitTasks.cancel(dialog);
  dropTaskMessages(dialog);
}

namespace {

// The part number of a file name "stem_N.csv" (N decimal, without a leading 0), with
// its stem; 0 when the name is not a part's.
int64_t partNumberOf(const std::u16string& name, std::u16string& stem) {
  if (name.size() < 7 || name.compare(name.size() - 4, 4, u".csv") != 0) return 0;
  const size_t bar = name.rfind(u'_', name.size() - 5);
  if (bar == std::u16string::npos) return 0;
  const std::u16string digits = name.substr(bar + 1, name.size() - 4 - bar - 1);
  if (digits.empty() || digits[0] == u'0' || digits.size() > 18 ||
      digits.find_first_not_of(u"0123456789") != std::u16string::npos)
    return 0;
  stem = name.substr(0, bar);
  return _wtoi64(digits.c_str());
}

// A part of this run that would overwrite one of its inputs or a part of another input;
// empty when there is none. A part file of the folder is that input when it is the same
// file (compared as files, so a link or another name of the input counts too).
std::u16string overwrittenPath(const ComTask& task, const std::u16string& folder) {
  std::map<std::u16string, const std::u16string*> stems;  // stem -> its input (text, workbook)
  for (const std::u16string& input : task.mInputs) {
    if (fileKind(input) == FILE_MVT) continue;
    const std::u16string stem = getFileBaseName(input);
    if (!stems.emplace(stem, &input).second) return splitPartPath(folder, stem, 1);
  }
  std::vector<std::pair<FileIdentity, const std::u16string*>> inputs;
  for (const std::u16string& input : task.mInputs)
    if (FileIdentity id; fileIdentity(input, id)) inputs.emplace_back(id, &input);
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((folder + u"/*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::u16string clash;
  do {
    std::u16string stem;
    const std::u16string name = data.cFileName;
    const int64_t number = partNumberOf(name, stem);
    const auto owner = number > 0 ? stems.find(stem) : stems.end();
    FileIdentity id;
    if (owner == stems.end() || !fileIdentity(folder + u"/" + name, id)) continue;
    const auto input = std::find_if(inputs.begin(), inputs.end(), [&](const auto& in) { return in.first == id; });
    if (input != inputs.end() &&
        number <= splitPartCount(*owner->second, task.mHeader ? task.mHeaderLines : 0, task.mByLines, task.mCount))
      clash = *input->second;
  } while (clash.empty() && FindNextFileW(search, &data));
  FindClose(search);
  return clash;
}

// The folder proposed for the parts: the one set before, else the first input's.
std::u16string proposedFolder(HWND dialog) {
  const ComTask& task = gSplitTasks.at(dialog);
  return task.mOutput.empty() ? parentFolder(task.mInputs.front()) : task.mOutput;
}

bool refuse(HWND dialog, const std::u16string& text, int focus = 0) {
  MessageBoxW(dialog, text.c_str(), kCaption, MB_OK);
  if (focus) SetFocus(GetDlgItem(dialog, focus));
  return false;
}

// Checks the settings in the Part's order; false (after a message) when one is wrong.
bool acceptSettings(HWND dialog) {
  ComTask& task = gSplitTasks.at(dialog);
  if (task.mInputs.empty()) return refuse(dialog, u"要合并的文件不能为空，请添加合并文件！");
  const bool byLines = IsDlgButtonChecked(dialog, IDC_FILES_BY_LINES) == BST_CHECKED;
  const int countId = byLines ? IDC_FILES_LINES : IDC_FILES_PARTS;
  const int count = _wtoi(dialogText(dialog, countId).c_str());
  if (count <= 0) return refuse(dialog, byLines ? u"分割行数必须大于0！" : u"分割份数必须大于0！", countId);
  task.mByLines = byLines;
  task.mCount = count;
  const int headerLines = _wtoi(dialogText(dialog, IDC_FILES_HEADER_LINES).c_str());
  if (headerLines < 0) return refuse(dialog, u"保留标题行数量不能小于0！");
  task.mHeader = IsDlgButtonChecked(dialog, IDC_FILES_HEADER) == BST_CHECKED;
  task.mHeaderLines = headerLines;
  const std::u16string folder = dialogText(dialog, IDC_FILES_OUTPUT);
  if (folder.empty()) return refuse(dialog, u"文件保存路径不能为空！");
  if (const std::u16string clash = overwrittenPath(task, folder); !clash.empty())
    return refuse(dialog, u"分割后的文件会覆盖要分割的文件或其他文件的分割文件：" + clash);
  setSplitFolder(dialog, folder);
  return true;
}

void onInit(HWND dialog) {
  CheckRadioButton(dialog, IDC_FILES_BY_LINES, IDC_FILES_BY_PARTS, IDC_FILES_BY_PARTS);
  SetDlgItemTextW(dialog, IDC_FILES_LINES, u"100");
  SetDlgItemTextW(dialog, IDC_FILES_PARTS, u"3");
}

void onCommand(HWND dialog, int id) {
  if (id != IDC_FILES_BROWSE) return;
  if (auto folder = chooseFolder(nullptr, dialog, kCaption)) {
    SetDlgItemTextW(dialog, IDC_FILES_OUTPUT, folder->c_str());
    setSplitFolder(dialog, *folder);
  }
}

const FileToolDialog kSplitTool{.caption = kCaption,
                                .tasks = &gSplitTasks,
                                .proposedOutput = proposedFolder,
                                .setOutput = setSplitFolder,
                                .init = onInit,
                                .command = onCommand,
                                .accept = acceptSettings,
                                .start = startSplit,
                                .cancel = cancelSplit};

}  // namespace

INT_PTR CALLBACK fileSplitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return fileToolDialogProc(kSplitTool, dialog, message, wParam, lParam);
}

HWND openFileSplitDialog(HWND parent) { return openFileToolDialog(parent, IDD_FILES_SPLIT, fileSplitDialogProc); }
