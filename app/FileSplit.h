// The file split tool (dialog IDD_FILES_SPLIT "文件分割"): each of many files cut by a worker
// thread into numbered ".csv" parts of a given number of lines or into a given number of
// parts, optionally with the header lines repeated at the top of every part.
#pragma once
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileTasks.h"
#include "store/SafeSave.h"

// The path of part `number` of an input with file stem `stem`: folder/stem_number.csv.
std::u16string splitPartPath(const std::u16string& folder, const std::u16string& stem, int64_t number);

// Writes the parts of one input, one after another, each starting with the header lines.
class SplitPart {
 public:
  SplitPart(std::u16string folder, std::u16string stem, std::vector<std::string> header, int64_t linesPerPart);
  ~SplitPart() { close(); }
  SplitPart(const SplitPart&) = delete;
  SplitPart& operator=(const SplitPart&) = delete;

  // Closes the open part and starts the next one (which replaces an existing file once
  // it is closed) with the header lines. False when a header write (or the close of the previous part) failed;
  // true otherwise, also when the file did not open (isOpen tells).
  bool openNext();
  // Writes out and closes the open part, which then takes the place of an existing file;
  // false when a write failed, and then an existing file stays as it was.
  bool close();
  bool isOpen() const { return mPart != nullptr; }
  bool full() const { return mLinesInPart >= mLinesPerPart; }
  // Appends one data line to the open part; false when a write failed.
  bool write(std::string_view line);

 private:
  bool flush();

  std::vector<std::string> mHeader;  // each with its LF (a last line may lack it)
  std::u16string mFolder;
  std::u16string mStem;
  int64_t mLinesPerPart = 1;  // >= 1
  int64_t mLinesInPart = 0;
  int32_t mPartNumber = 0;          // 0 before the first part
  std::unique_ptr<SafeSave> mPart;  // the open part; null when none is open
  bool mFailed = false;             // a write of the open part failed
  std::string mBuffer;              // bytes of the open part not yet written
};

// The parts one input gives (0 for a document file or an input that does not open),
// counting its lines or rows as the split does.
int64_t splitPartCount(const std::u16string& path, int32_t keep, bool byLines, int32_t count);
FileWorkResult splitOneFile(const std::u16string& folder, const std::u16string& path, int32_t keep, bool byLines,
                            int32_t count, const std::atomic<int32_t>& cancel, const FractionProgress& progress);
void splitWorker(const TaskRun& run);

// Makes the folder with its parents, then stores it as the task's output folder.
void setSplitFolder(HWND dialog, const std::u16string& folder);
void startSplit(HWND dialog);
void cancelSplit(HWND dialog);

INT_PTR CALLBACK fileSplitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
HWND openFileSplitDialog(HWND parent);
