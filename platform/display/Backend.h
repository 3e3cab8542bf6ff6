// The display backend: the layer's top-level windows as GTK 3 windows on the
// desktop (X11 or Wayland). A program that shows its windows installs `open`
// as the layer's opener (platform::setDesktopOpener), and the layer opens it
// when a display is present (platform/user/Desktop.h); nothing else calls GTK.
#pragma once
#include <string>
#include <vector>

#include "platform/user/Desktop.h"

namespace platform::display {

// Opens the display named by the environment on the calling thread, which
// becomes the UI thread; null when no display can be opened.
Desktop* open();

// What tests and benchmarks look at. Each is for the UI thread.

// The rectangles (surface pixels) presented to the desktop for a top-level
// window since the last call.
std::vector<RECT> takePresented(HWND top);
// The X11 window showing a top-level window (0 when none, or not X11).
unsigned long x11Window(HWND top);
// Files dropped on a top-level window at a point of its frame, as the
// desktop's drag and drop hands them over (a text/uri-list).
bool dropUriList(HWND top, POINT framePoint, const std::string& uriList);
// An input method's composition as the toolkit's input context reports it:
// the preedit texts in order, then the committed text.
void imeInput(HWND top, const std::vector<std::string>& preedits, const std::string& commit);
// Whether keyboard menu mode or a popup menu is up.
bool menuActive();

}  // namespace platform::display
