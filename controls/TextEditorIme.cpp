// The input method's messages in the text editor: the composition window follows the caret,
// and the finished composition is typed as one insertion when the composition ends.
#include <vector>

#include "controls/TextEditor.h"

namespace {

// The result string of the composition that ended (empty when there is none).
std::u16string compositionResult(HWND hwnd) {
  std::u16string text;
  HIMC context = ImmGetContext(hwnd);
  if (!context) return text;
  const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  if (bytes > 0) {
    std::vector<char16_t> buffer(static_cast<size_t>(bytes) / sizeof(char16_t) + 1);
    const LONG got = ImmGetCompositionStringW(context, GCS_RESULTSTR, buffer.data(),
                                              static_cast<DWORD>(buffer.size() * sizeof(char16_t)));
    if (got > 0) text.assign(buffer.data(), static_cast<size_t>(got) / sizeof(char16_t));
  }
  ImmReleaseContext(hwnd, context);
  return text;
}

}  // namespace

bool CCText::handleIme(UINT message, LRESULT& result) {
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION: {
      const POINT p = caretPoint(caret);
      COMPOSITIONFORM form{};
      form.dwStyle = CFS_RECT;
      form.ptCurrentPos = p;
      form.rcArea = RECT{p.x, p.y, p.x + 300, p.y + 100};
      if (HIMC context = ImmGetContext(hwnd)) {
        ImmSetCompositionWindow(context, &form);
        ImmReleaseContext(hwnd, context);
      }
      result = 0;
      return true;
    }
    case WM_IME_ENDCOMPOSITION: {
      // A composition cancelled without a result leaves the text (and its selection) alone.
      const std::u16string text = compositionResult(hwnd);
      if (!text.empty()) insertText(text);
      result = 0;
      return true;
    }
    default: return false;
  }
}
