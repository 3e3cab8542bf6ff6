// Menu trees: creation from resources, items, marks and enabling by id.
#include "platform/user/Menu.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "platform/resources/Resources.h"
#include "platform/user/Desktop.h"
#include "platform/user/MenuState.h"
#include "platform/user/Message.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace platform::user {

namespace {

struct MenuTable {
  std::unordered_map<HMENU, std::unique_ptr<Menu>> menus;
  uint64_t nextHandle = 0x7E0000;  // grows by 4, never reused
};

MenuTable& table() {
  static auto* t = new MenuTable;  // never destroyed: usable at exit
  return *t;
}

HMENU makeMenu(bool popup) {
  MenuTable& t = table();
  auto m = std::make_unique<Menu>();
  m->handle = reinterpret_cast<HMENU>(static_cast<uintptr_t>(t.nextHandle));
  t.nextHandle += 4;
  m->isPopup = popup;
  HMENU h = m->handle;
  t.menus[h] = std::move(m);
  return h;
}

void build(HMENU into, const std::vector<platform::resources::MenuItem>& items) {
  for (const auto& item : items) {
    if (!item.items.empty() || (item.flags & MF_POPUP)) {
      HMENU sub = makeMenu(true);
      build(sub, item.items);
      AppendMenuW(into, (item.flags & ~MF_POPUP) | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item.text.c_str());
    } else {
      AppendMenuW(into, item.flags, item.id, item.text.c_str());
    }
  }
}

// The item addressed by position or by command id; null when absent.
MenuItem* address(HMENU menu, UINT item, UINT flags, Menu** holder) {
  Menu* m = findMenuObject(menu);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return nullptr;
    if (holder) *holder = m;
    return &m->items[item];
  }
  return findCommand(menu, item, holder);
}

bool removeItem(HMENU menu, UINT item, UINT flags, bool destroyPopup) {
  Menu* holder = nullptr;
  MenuItem* it = address(menu, item, flags, &holder);
  if (!it) return false;
  HMENU popup = it->popup;
  holder->items.erase(holder->items.begin() + (it - holder->items.data()));
  if (destroyPopup && popup) DestroyMenu(popup);
  return true;
}

}  // namespace

Menu* findMenuObject(HMENU menu) {
  auto& menus = table().menus;
  auto it = menus.find(menu);
  return it == menus.end() ? nullptr : it->second.get();
}

MenuItem* findCommand(HMENU menu, UINT id, Menu** holder) {
  Menu* m = findMenuObject(menu);
  if (!m) return nullptr;
  for (MenuItem& item : m->items) {
    if (item.flags & MF_POPUP) {
      if (MenuItem* found = findCommand(item.popup, id, holder)) return found;
    } else if (!(item.flags & MF_SEPARATOR) && item.id == id) {
      if (holder) *holder = m;
      return &item;
    }
  }
  return nullptr;
}

HMENU loadClassMenu(LPCWSTR menuName, HINSTANCE instance) {
  return menuName ? LoadMenuW(instance, menuName) : nullptr;
}

}  // namespace platform::user

using namespace platform::user;

HMENU CreateMenu() { return makeMenu(false); }
HMENU CreatePopupMenu() { return makeMenu(true); }

BOOL DestroyMenu(HMENU menu) {
  Menu* m = findMenuObject(menu);
  if (!m) return FALSE;
  std::vector<HMENU> popups;
  for (const MenuItem& item : m->items)
    if (item.popup) popups.push_back(item.popup);
  table().menus.erase(menu);
  for (HMENU p : popups) DestroyMenu(p);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return findMenuObject(menu) != nullptr; }

HMENU LoadMenuW(HINSTANCE, LPCWSTR name) {
  const auto* res = platform::resources::findMenu(name);
  if (!res) {
    SetLastError(1814 /* ERROR_RESOURCE_NAME_NOT_FOUND */);
    return nullptr;
  }
  HMENU menu = makeMenu(false);
  build(menu, res->items);
  return menu;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) {
  Menu* m = findMenuObject(menu);
  if (!m) return FALSE;
  MenuItem item;
  item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
  if (flags & MF_POPUP) {
    if (!findMenuObject(reinterpret_cast<HMENU>(id))) return FALSE;
    item.popup = reinterpret_cast<HMENU>(id);
  } else if (!(flags & MF_SEPARATOR)) {
    item.id = static_cast<UINT>(id);
  }
  if (!(flags & MF_SEPARATOR) && text) item.text = text;
  m->items.push_back(std::move(item));
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) { return removeItem(menu, item, flags, true); }
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) { return removeItem(menu, item, flags, false); }

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = findMenuObject(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
  return m->items[position].popup;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = findMenuObject(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  Menu* m = findMenuObject(menu);
  if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return 0xFFFFFFFF;
  const MenuItem& item = m->items[position];
  return item.popup ? 0xFFFFFFFF : item.id;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = address(menu, item, flags, nullptr);
  if (!it) return 0xFFFFFFFF;
  if (!it->popup) return it->flags;
  Menu* sub = findMenuObject(it->popup);
  UINT count = sub ? static_cast<UINT>(std::min<size_t>(sub->items.size(), 255)) : 0;
  return (count << 8) | (it->flags & 0xFF);
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int size, UINT flags) {
  MenuItem* it = address(menu, item, flags, nullptr);
  if (!it) return 0;
  if (!buffer || size <= 0) return static_cast<int>(it->text.size());
  size_t n = std::min<size_t>(it->text.size(), static_cast<size_t>(size) - 1);
  std::copy_n(it->text.data(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = address(menu, item, flags, nullptr);
  if (!it) return 0xFFFFFFFF;
  DWORD previous = it->flags & MF_CHECKED;
  it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = address(menu, item, flags, nullptr);
  if (!it) return -1;
  UINT previous = it->flags & (MF_GRAYED | MF_DISABLED);
  it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(previous);
}

HMENU GetMenu(HWND hwnd) {
  WindowRef w = findWindow(hwnd);
  return w && !w->isChild() ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  WindowRef w = findWindow(hwnd);
  if (!w || w->isChild() || (menu && !findMenuObject(menu))) return FALSE;
  SIZE before = clientSize(*w);
  w->menu = menu;
  w->hasMenuBar = menu != nullptr;
  clientSizeChanged(w, before);
  if (platform::Desktop* d = platform::desktop()) d->windowChanged(hwnd);
  return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
  if (!GetMenu(hwnd)) return FALSE;
  if (platform::Desktop* d = platform::desktop()) d->menuBarChanged(hwnd);
  return TRUE;
}

namespace platform {

bool chooseMenuCommand(HWND hwnd, UINT id) {
  MenuItem* item = findCommand(GetMenu(hwnd), id);
  if (!item || !choosable(*item)) return false;
  return PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

}  // namespace platform
