// Resources of the program: menus, accelerator tables, dialog templates,
// strings and icons, kept as C++ tables that the program (or a test)
// registers. LoadMenuW, LoadAcceleratorsW, LoadStringW, LoadIconW and the
// dialog calls read them by numeric id (MAKEINTRESOURCEW); names given as
// strings are not resources here and are never found.
//
// One module: every table belongs to the program, so the instance handle
// passed to the Load* calls is not used to choose tables (LoadIconW and
// LoadCursorW with a null instance still mean the system images).
// Registration and look-up are for the UI thread; the registry is made on
// first use, so a table may be registered and read during static
// initialisation, as long as the registration runs first.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace platform::resources {

// A menu item: a command (id, text, MF_GRAYED / MF_DISABLED / MF_CHECKED), a
// separator (flags MF_SEPARATOR) or a popup (items not empty).
struct MenuItem {
  std::u16string text;
  UINT id = 0;
  UINT flags = 0;
  std::vector<MenuItem> items;
};

// A menu resource: the top-level items (the bar, or the popups of a context
// menu resource, of which the program takes one with GetSubMenu).
struct Menu {
  WORD id = 0;
  std::vector<MenuItem> items;
};

// One accelerator entry, with the platform's ACCEL fields (fVirt flags
// FVIRTKEY, FSHIFT, FCONTROL, FALT, FNOINVERT; key a virtual key or a
// character; cmd the command id).
struct Accelerator {
  BYTE fVirt = 0;
  WORD key = 0;
  WORD cmd = 0;
};

struct AcceleratorTable {
  WORD id = 0;
  std::vector<Accelerator> entries;
};

// A control of a dialog template. Position and size are dialog units
// relative to the dialog's client area. `style` gets WS_CHILD added.
// `textId`, when not 0, is passed as the window name MAKEINTRESOURCEW(textId)
// instead of `text` (an icon static names its icon that way).
struct DialogItem {
  std::u16string cls;  // "BUTTON", "EDIT", "STATIC", "COMBOBOX", "LISTBOX", ... or a program class
  std::u16string text;
  WORD id = 0;  // 0xFFFF for controls nobody addresses
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD textId = 0;
};

// A dialog template: the client area's size in dialog units, its position
// (dialog units from the owner's client origin, DS_CENTER to centre it), the
// dialog font, then the controls in tab order.
struct Dialog {
  WORD id = 0;
  DWORD style = 0;  // WS_POPUP | WS_CAPTION | ... | DS_* flags
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::u16string caption;
  std::u16string font = u"MS Shell Dlg";
  WORD pointSize = 9;
  std::vector<DialogItem> items;
};

struct String {
  UINT id = 0;
  std::u16string text;
};

// An icon: our own image, width x height pixels 0xAARRGGBB, straight alpha.
struct Icon {
  WORD id = 0;
  int width = 0, height = 0;
  std::vector<uint32_t> argb;  // width * height pixels, row-major
};

struct Table {
  std::vector<Menu> menus;
  std::vector<AcceleratorTable> accelerators;
  std::vector<Dialog> dialogs;
  std::vector<String> strings;
  std::vector<Icon> icons;
};

// Adds every resource of `table`; a resource whose kind and id are already
// registered replaces the earlier one (icons already loaded keep their
// handle and image).
void addTable(const Table& table);

// Look-ups by resource name (MAKEINTRESOURCEW(id)); null when absent. The
// pointers stay valid until the same kind and id is registered again.
const Menu* findMenu(LPCWSTR name);
const AcceleratorTable* findAccelerators(LPCWSTR name);
const Dialog* findDialog(LPCWSTR name);
const String* findString(UINT id);
// The icon with the lowest id: icon index 0 of the program file ("path,0"
// in a file type's DefaultIcon). Null when there is none.
const Icon* firstIcon();
// The icon's handle, made on the first call and shared by every later one
// (never destroyed); null when there is no such icon.
HICON loadIcon(LPCWSTR name);

}  // namespace platform::resources

// Copies string `id` into `buffer` cut to `size` units including the NUL and
// returns the units copied (0 when absent). With size 0 the buffer receives
// a read-only pointer to the string itself (not NUL-terminated in general)
// and the string's length is returned.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);
