// Document types registered with the desktop: a .desktop entry, a MIME type
// and the program's icon in the user's XDG data folder ($XDG_DATA_HOME, else
// ~/.local/share), so the file manager opens documents with the program.
#pragma once
#include <string>

namespace platform::display {

// `command` is the registry's open command: the program path, a blank and
// "%1" in quotes. Failures leave the registration incomplete, silently.
void installFileType(const std::u16string& extension, const std::u16string& progId,
                     const std::u16string& description, const std::u16string& command);

}  // namespace platform::display
