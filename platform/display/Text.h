// UTF-8 of the toolkit and UTF-16 of the layer.
#pragma once
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace platform::display {

// A window's text (GetWindowTextW).
std::u16string windowText(HWND hwnd);

}  // namespace platform::display
