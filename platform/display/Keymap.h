// Keys of the desktop as the layer's virtual keys, and the characters the
// desktop's keymap gives them.
#pragma once
#include <gdk/gdk.h>

#include <optional>

namespace platform::display {

// The virtual key of a key event: by the key's symbol without modifiers in
// the current layout, else in the first layout (non-Latin layouts keep the
// US key positions), else by the key's position. 0 for keys the layer has
// no virtual key for.
int virtualKeyOf(const GdkEventKey* event);

class Keymap {
 public:
  // Remembers the layout group of the last key event.
  void noteGroup(int group) { mGroup = group; }
  // The character key `keycode` (the scan code the layer was given) makes
  // with these modifiers; nullopt for keys whose character the layer's own
  // table decides (controls, function keys, Ctrl combinations).
  std::optional<char16_t> character(int vk, int keycode, bool shift, bool capsLock, bool ctrl, bool alt) const;

 private:
  int mGroup = 0;
};

}  // namespace platform::display
