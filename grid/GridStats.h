// The program's one progress bar and one selection-statistics worker.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/windows.h"

class CGrid;

extern HWND gProgressBar;              // the progress bar while one is shown
extern std::thread* gStatThread;       // the statistics worker; null when none
extern std::atomic<bool> gStatCancel;  // asks the worker to stop; read after each row

// Posted to a grid window (WM_USER) when its statistics worker has a result.
constexpr WPARAM GRID_STATS_DONE = 6;

// Cancels and joins the statistics worker, when one exists.
void stopStats();
// The same, only when the worker reads `document` (teardown).
void stopStatsFor(const CGrid* document);
// The finished worker's status text for `document`, when that is the newest result;
// false for a stale or foreign one.
bool takeStatsResult(const CGrid* document, std::u16string& status);

// The status text of a finished statistics run: "求和=" sum " 平均=" average " 计数=" count,
// sum and average printed with "%f" and trimmed.
std::u16string statsStatus(double sum, uint64_t count);
// "%f" with trailing zeros and a trailing point removed.
std::u16string trimmedNumber(double value);

// Shows the bar from the first report below 100 and always ends it when the scope ends,
// on success, failure or exception (the bar and the input state come back).
class ProgressScope {
 public:
  explicit ProgressScope(CGrid& grid) : mGrid(grid) {}
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  CGrid& mGrid;
};
