// The registry of the program's resources.
#include "platform/resources/Resources.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/gdi/Gdi.h"
#include "platform/user/Constants.h"

namespace platform::resources {

namespace {

// Entries are held by pointer so that look-up results stay put while other
// resources are added.
struct Registry {
  std::map<WORD, std::unique_ptr<Menu>> menus;
  std::map<WORD, std::unique_ptr<AcceleratorTable>> accelerators;
  std::map<WORD, std::unique_ptr<Dialog>> dialogs;
  std::map<UINT, std::unique_ptr<String>> strings;
  std::map<WORD, std::unique_ptr<Icon>> icons;
  std::map<WORD, HICON> iconHandles;  // made on first load, never destroyed
};

Registry& registry() {
  static Registry* r = new Registry;  // never destroyed: usable at exit
  return *r;
}

std::optional<WORD> numericName(LPCWSTR name) {
  if (!name || !IS_INTRESOURCE(name)) return std::nullopt;
  return static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
}

template <class Map, class Key>
const typename Map::mapped_type::element_type* lookup(const Map& map, Key key) {
  auto it = map.find(key);
  return it == map.end() ? nullptr : it->second.get();
}

template <class Map, class Item>
void put(Map& map, const Item& item) {
  map[item.id] = std::make_unique<Item>(item);
}

}  // namespace

void addTable(const Table& table) {
  Registry& r = registry();
  for (const Menu& m : table.menus) put(r.menus, m);
  for (const AcceleratorTable& a : table.accelerators) put(r.accelerators, a);
  for (const Dialog& d : table.dialogs) put(r.dialogs, d);
  for (const String& s : table.strings) put(r.strings, s);
  for (const Icon& i : table.icons) put(r.icons, i);
}

const Menu* findMenu(LPCWSTR name) {
  auto id = numericName(name);
  return id ? lookup(registry().menus, *id) : nullptr;
}

const AcceleratorTable* findAccelerators(LPCWSTR name) {
  auto id = numericName(name);
  return id ? lookup(registry().accelerators, *id) : nullptr;
}

const Dialog* findDialog(LPCWSTR name) {
  auto id = numericName(name);
  return id ? lookup(registry().dialogs, *id) : nullptr;
}

const String* findString(UINT id) { return lookup(registry().strings, id); }

const Icon* firstIcon() {
  const auto& icons = registry().icons;
  return icons.empty() ? nullptr : icons.begin()->second.get();
}

HICON loadIcon(LPCWSTR name) {
  auto id = numericName(name);
  if (!id) return nullptr;
  Registry& r = registry();
  if (auto it = r.iconHandles.find(*id); it != r.iconHandles.end()) return it->second;
  const Icon* icon = lookup(r.icons, *id);
  if (!icon || icon->argb.size() != static_cast<size_t>(icon->width) * icon->height) return nullptr;
  HICON h = createIconFromArgb(icon->width, icon->height, icon->argb.data());
  if (h) r.iconHandles[*id] = h;
  return h;
}

}  // namespace platform::resources

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int size) {
  const auto* s = platform::resources::findString(id);
  if (!buffer) return 0;
  if (size == 0) {
    // The platform's form: a pointer to the string itself.
    *reinterpret_cast<LPCWSTR*>(buffer) = s ? s->text.c_str() : nullptr;
    return s ? static_cast<int>(s->text.size()) : 0;
  }
  if (size < 0) return 0;
  if (!s) {
    buffer[0] = 0;
    return 0;
  }
  size_t n = std::min<size_t>(s->text.size(), static_cast<size_t>(size) - 1);
  std::copy_n(s->text.data(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}
