#include "platform/testdriver/Ime.h"

namespace testdriver {

HWND compose(const std::u16string& result, const std::vector<std::u16string>& steps) {
  HWND target = GetFocus();
  if (!target) return nullptr;
  platform::imeBegin();
  SendMessageW(target, WM_IME_STARTCOMPOSITION, 0, 0);
  for (const std::u16string& step : steps) {
    if (!IsWindow(target)) return target;
    platform::imeSetComposition(step);
    WPARAM last = step.empty() ? 0 : step.back();
    SendMessageW(target, WM_IME_COMPOSITION, last, GCS_COMPSTR | GCS_COMPATTR | GCS_CURSORPOS);
  }
  if (!IsWindow(target)) return target;
  platform::imeSetResult(result);
  WPARAM first = result.empty() ? 0 : result.front();
  SendMessageW(target, WM_IME_COMPOSITION, first, GCS_RESULTSTR | GCS_RESULTCLAUSE);
  if (IsWindow(target)) SendMessageW(target, WM_IME_ENDCOMPOSITION, 0, 0);
  return target;
}

}  // namespace testdriver
