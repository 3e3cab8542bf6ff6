// UTF-8 of the toolkit and UTF-16 of the layer.
#include "platform/display/Text.h"

#include "platform/CodePage.h"
#include "platform/user/Window.h"

namespace platform::display {

std::u16string windowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(n) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
  return text;
}

}  // namespace platform::display
