// Internal: the menu objects behind HMENU handles.
#pragma once
#include <string>
#include <vector>

#include "platform/user/Menu.h"
#include "platform/user/Types.h"

namespace platform::user {

struct MenuItem {
  UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
  UINT id = 0;     // command id (0 for separators and popups)
  std::u16string text;
  HMENU popup = nullptr;  // set exactly when flags has MF_POPUP
};

struct Menu {
  HMENU handle = nullptr;
  bool isPopup = false;
  std::vector<MenuItem> items;
};

Menu* findMenuObject(HMENU menu);
// The command item `id` anywhere in the tree (popups searched first, depth
// first, as the platform does), with the menu that holds it.
MenuItem* findCommand(HMENU menu, UINT id, Menu** holder = nullptr);
// The class menu of a window being created (null when the class has none).
HMENU loadClassMenu(LPCWSTR menuName, HINSTANCE instance);
// An item is chosen only when it is an enabled command.
inline bool choosable(const MenuItem& item) {
  return !(item.flags & (MF_GRAYED | MF_DISABLED | MF_POPUP | MF_SEPARATOR));
}

}  // namespace platform::user
