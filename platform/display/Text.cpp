// UTF-8 of the toolkit and UTF-16 of the layer.
#include "platform/display/Text.h"

#include "platform/CodePage.h"
#include "platform/user/Window.h"

namespace platform::display {

std::string toUtf8(std::u16string_view text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf8Encode(text.data(), text.size(), out.data()));
  return out;
}

std::u16string fromUtf8(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  out.resize(utf8Decode(text.data(), text.size(), out.data()));
  return out;
}

std::u16string windowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(n) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
  return text;
}

}  // namespace platform::display
