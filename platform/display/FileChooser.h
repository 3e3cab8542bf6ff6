// The desktop's native file and folder choosers for the common dialogs.
#pragma once
#include <optional>

#include "platform/user/Blocking.h"

namespace platform::display {

class GtkDesktop;

// Answers GetOpenFileNameW, GetSaveFileNameW and SHBrowseForFolderW as the
// headless answer would (value 1 and the chosen paths; nullopt when
// cancelled) from a GtkFileChooserNative, running the layer's messages
// while it is up. The owner is disabled meanwhile.
std::optional<BlockingAnswer> runChooser(GtkDesktop& desktop, const BlockingCall& call);

}  // namespace platform::display
