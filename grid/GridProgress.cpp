// The progress bar, the selection statistics and the window title.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/controls/commctrl.h"

HWND gProgressBar = nullptr;
std::thread* gStatThread = nullptr;
std::atomic<bool> gStatCancel{false};

namespace {

// The worker's result, handed to the user-interface thread. `document` is the grid the
// worker read; `generation` tells the newest run from older ones.
struct StatsMailbox {
  std::mutex mutex;
  const CGrid* document = nullptr;  // the grid the running or last worker reads
  uint64_t generation = 0;          // of the newest worker
  uint64_t doneGeneration = 0;      // of the result held
  bool full = false;
  std::u16string status;
};
StatsMailbox gMailbox;

std::u16string ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace

std::u16string trimmedNumber(double value) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%f", value);
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return ascii(s);
}

std::u16string statsStatus(double sum, uint64_t count) {
  const double average = sum / static_cast<double>(count);
  return u"求和=" + trimmedNumber(sum) + u" 平均=" + trimmedNumber(average) + u" 计数=" +
         ascii(std::to_string(count));
}

void stopStats() {
  if (!gStatThread) return;
  gStatCancel = true;
  if (gStatThread->joinable()) gStatThread->join();
  delete gStatThread;
  gStatThread = nullptr;
  gStatCancel = false;
}

void stopStatsFor(const CGrid* document) {
  bool reads;
  {
    std::lock_guard lock(gMailbox.mutex);
    reads = gMailbox.document == document;
    if (reads) {
      gMailbox.full = false;
      gMailbox.document = nullptr;
    }
  }
  if (reads) stopStats();
}

bool takeStatsResult(const CGrid* document, std::u16string& status) {
  std::lock_guard lock(gMailbox.mutex);
  if (!gMailbox.full || gMailbox.document != document || gMailbox.doneGeneration != gMailbox.generation)
    return false;
  gMailbox.full = false;
  status = std::move(gMailbox.status);
  return true;
}

ProgressScope::~ProgressScope() { mGrid.progress(0, 100); }

// ---------------------------------------------------------------- progress bar

bool pumpMessages() {
  const DWORD t0 = GetTickCount();
  while (GetTickCount() - t0 < 2) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // A quit request belongs to the program's loop: give it back and let the work finish.
      if (msg.message == WM_QUIT) {
        PostQuitMessage(int(msg.wParam));
        return true;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (msg.message == WM_CLOSE) return false;
    }
    Sleep(1);
  }
  return true;
}

void CGrid::progress(uint64_t, int64_t percent) {
  const int64_t p = std::clamp<int64_t>(percent, 0, 100);
  if (p == 100 && !gProgressBar) return;
  if (p < 100 && !gProgressBar) {
    RECT r{};
    GetClientRect(mHwnd, &r);
    gProgressBar = CreateWindowExW(0, u"msctls_progress32", u"", WS_CHILD | WS_VISIBLE,
                                   (r.right - r.left) / 2 - 250, (r.bottom - r.top) / 2 - 10, 500, 20, mHwnd,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    // Input goes off before the first pump, so nothing typed meanwhile reaches a grid.
    gInputEnabled = false;
    if (gProgressBar) SendMessageW(gProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    pumpMessages();
  }
  if (gProgressBar) SendMessageW(gProgressBar, PBM_SETPOS, static_cast<WPARAM>(p), 0);
  pumpMessages();
  if (p == 100) {
    HWND bar = gProgressBar;
    gProgressBar = nullptr;
    if (bar) {
      SendMessageW(bar, WM_CLOSE, 0, 0);
      if (IsWindow(bar)) DestroyWindow(bar);
    }
    gInputEnabled = true;
  }
}

// ---------------------------------------------------------------- statistics

void CGrid::selectionChanged() {
  if (mOnSelect) {
    const Range& r = mSelection.range;
    mOnSelect(mHwnd, RECT{r.top, r.left, r.bottom, r.right});
  }
  stopStats();
  gStatCancel = false;
  {
    std::lock_guard lock(gMailbox.mutex);
    gMailbox.document = this;
    ++gMailbox.generation;
    gMailbox.full = false;
  }
  gStatThread = new std::thread([this, range = mSelection.range] { selectionStats(range); });
}

void CGrid::selectionStats(Range range) {
  const int32_t n = static_cast<int32_t>(mCore.mRowCount);
  const int32_t m = static_cast<int32_t>(mCore.mColCount);
  auto rowShown = [&](int32_t r) { return r >= 1 && r < n && m > 0 && mCore.cellAt(r, 0)->flag == 0; };
  auto colShown = [&](int32_t c) { return c >= 1 && c < m && n > 0 && mCore.cellAt(0, c)->flag == 0; };
  std::u16string status;
  const bool oneCell = range.top != 0 && range.left != 0 && range.top == range.bottom && range.left == range.right;
  if (!oneCell) {
    int32_t top = range.top, bottom = range.bottom, left = range.left, right = range.right;
    if (range.top == 0) top = 1, bottom = n - 1;
    if (range.left == 0) left = 1, right = m - 1;
    double sum = 0;
    uint64_t count = 0;
    for (int32_t r = bottom; r >= top; --r) {
      if (rowShown(r)) {
        for (int32_t c = right; c >= left; --c) {
          if (!colShown(c)) continue;
          ++count;
          sum += mCore.getNumber(r, c);
        }
      }
      if (gStatCancel) return;
    }
    // A selection without a visible cell shows no statistics.
    if (count > 0) status = statsStatus(sum, count);
  }
  {
    std::lock_guard lock(gMailbox.mutex);
    if (gMailbox.document != this) return;
    gMailbox.status = std::move(status);
    gMailbox.doneGeneration = gMailbox.generation;
    gMailbox.full = true;
  }
  PostMessageW(mHwnd, WM_USER, GRID_STATS_DONE, 0);
}

// ---------------------------------------------------------------- title

void CGrid::setTitle(const std::u16string& status) {
  std::u16string page;
  if (!mPage.path.empty()) {
    const int64_t n = static_cast<int64_t>(mCore.mRowCount);
    int64_t shown = mPage.pageRows;
    if (mPage.pageRows >= n) {
      shown = n - 1;
      if (mPage.keepHeader && mPage.startRow != 1) shown -= 1;
    }
    page = u"[" + ascii(std::to_string(mPage.startRow)) + u"/" + ascii(std::to_string(shown)) + u"]";
  }
  std::u16string title = (mPath.empty() ? std::u16string(u"New") : mPath) + page + u" - Morvel";
  if (!status.empty()) title += u" ( " + status + u" )";
  mTitle = title;
  mStatus = status;
  if (mHwnd) PostMessageW(mHwnd, WM_USER, GRID_UPDATE_TITLE, 0);
}

void CGrid::showTitle() { setTitle(std::u16string(mStatus)); }

// ---------------------------------------------------------------- manager callbacks

void postModified(CGridView* view, iComManag*, intptr_t modified) {
  HWND grid = view->mCanvas.mOwner;
  if (grid) PostMessageW(GetParent(grid), WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(grid), modified);
}

void postSaved(CGridView* view, iComManag*, intptr_t) {
  HWND grid = view->mCanvas.mOwner;
  if (grid) PostMessageW(GetParent(grid), WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(grid), 0);
}

void notifyRefresh(CGridView* view) { view->refresh(); }
