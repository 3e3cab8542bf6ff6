// Tick count with a hand-driven clock for tests, sleeping, the module.
#include "platform/user/Kernel.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/CodePage.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace {

std::atomic<bool> manual{false};
std::atomic<uint64_t> manualMs{0};

uint64_t realMs() {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

uint64_t nowMs() { return manual ? manualMs.load() : realMs(); }

}  // namespace

namespace platform {

void setManualClock(DWORD ms) {
  manualMs = ms;
  manual = true;
  user::wakeAllQueues();
}

void advanceClock(DWORD ms) {
  manualMs += ms;
  user::wakeAllQueues();
}

void useRealClock() {
  manual = false;
  user::wakeAllQueues();
}

bool clockIsManual() { return manual; }

}  // namespace platform

namespace platform::user {
DWORD tickNow() { return static_cast<DWORD>(nowMs()); }
}  // namespace platform::user

extern "C" DWORD GetTickCount(void) { return static_cast<DWORD>(nowMs()); }

ULONGLONG GetTickCount64() { return nowMs(); }

void Sleep(DWORD ms) {
  if (manual) {
    platform::advanceClock(ms);
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  if (moduleName) return nullptr;  // only the program itself is known
  return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
}

namespace {
std::string& moduleFileOverride() {
  static std::string path;
  return path;
}
}  // namespace

void platform::setModuleFileName(const std::u16string& path) { moduleFileOverride() = wideToUtf8(path); }

DWORD GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  char path[4096];
  ssize_t n = 0;
  if (const std::string& given = moduleFileOverride(); !given.empty() && given.size() < sizeof path) {
    n = ssize_t(given.size());
    given.copy(path, given.size());
  } else {
    n = readlink("/proc/self/exe", path, sizeof path - 1);
  }
  if (n <= 0) return 0;
  int units = MultiByteToWideChar(CP_UTF8, 0, path, static_cast<int>(n), nullptr, 0);
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, path, static_cast<int>(n), wide.data(), units);
  if (wide.size() >= size) {
    std::copy_n(wide.data(), size - 1, buffer);
    buffer[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::copy(wide.begin(), wide.end(), buffer);
  buffer[wide.size()] = 0;
  SetLastError(0);
  return static_cast<DWORD>(wide.size());
}
