// The input method's context and strings.
#include "platform/user/Imm.h"

#include <algorithm>
#include <cstring>

#include "platform/user/Desktop.h"
#include "platform/user/Message.h"
#include "platform/user/Window.h"

namespace {

struct Context {
  std::u16string composition, result;
  platform::CompositionWindow window;
  HWND lastAsker = nullptr;  // the window the context was last handed to
};

Context& context() {
  static auto* c = new Context;
  return *c;
}

// The one context's handle: never a small value.
HIMC contextHandle() { return reinterpret_cast<HIMC>(static_cast<uintptr_t>(0x4D10000)); }

}  // namespace

HIMC ImmGetContext(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  context().lastAsker = hwnd;
  return contextHandle();
}

BOOL ImmReleaseContext(HWND hwnd, HIMC himc) { return IsWindow(hwnd) && himc == contextHandle(); }

BOOL ImmSetCompositionWindow(HIMC himc, const COMPOSITIONFORM* form) {
  if (himc != contextHandle() || !form) return FALSE;
  Context& c = context();
  c.window = platform::CompositionWindow{c.lastAsker, *form, true};
  if (platform::Desktop* d = platform::desktop()) d->compositionMoved(c.lastAsker, form->ptCurrentPos);
  return TRUE;
}

BOOL ImmGetCompositionWindow(HIMC himc, COMPOSITIONFORM* form) {
  if (himc != contextHandle() || !form || !context().window.set) return FALSE;
  *form = context().window.form;
  return TRUE;
}

LONG ImmGetCompositionStringW(HIMC himc, DWORD index, LPVOID buffer, DWORD bytes) {
  if (himc != contextHandle()) return IMM_ERROR_GENERAL;
  const std::u16string* s = index == GCS_COMPSTR     ? &context().composition
                            : index == GCS_RESULTSTR ? &context().result
                                                     : nullptr;
  if (!s) return IMM_ERROR_NODATA;
  auto need = static_cast<LONG>(s->size() * sizeof(char16_t));
  if (bytes == 0 || !buffer) return need;
  size_t units = std::min<size_t>(s->size(), bytes / sizeof(char16_t));
  std::memcpy(buffer, s->data(), units * sizeof(char16_t));
  return static_cast<LONG>(units * sizeof(char16_t));
}

namespace platform {

void imeBegin() {
  context().composition.clear();
  context().result.clear();
}

void imeSetComposition(std::u16string text) { context().composition = std::move(text); }

void imeSetResult(std::u16string text) {
  context().composition.clear();
  context().result = std::move(text);
}

CompositionWindow imeCompositionWindow() { return context().window; }

void imeDefaultComposition(HWND hwnd, LPARAM lParam) {
  if (!(lParam & GCS_RESULTSTR)) return;
  std::u16string result = context().result;
  for (char16_t unit : result) {
    if (!IsWindow(hwnd)) return;
    SendMessageW(hwnd, WM_IME_CHAR, unit, 1);
  }
}

void imeReset() { context() = Context{}; }

}  // namespace platform
