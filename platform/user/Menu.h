// Menus: menu bars and popup menus as trees of items, changed by command id
// through every level, the menu of a top-level window (drawn in its frame,
// above the client area) and popup menus tracked at a screen point.
//
// Menus are for the UI thread. Handles are never small and never reused; a
// stale or foreign handle makes a call fail without touching anything.
#pragma once
#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/user/Types.h"

// Item flags (MF_*), also the results of GetMenuState.
constexpr UINT MF_INSERT = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

// TrackPopupMenu flags.
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_INITMENUPOPUP = 0x0117;

HMENU CreateMenu();       // an empty menu bar
HMENU CreatePopupMenu();  // an empty popup
// Destroys the menu and every popup in it. A menu assigned to a window is
// destroyed with the window.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// A new menu tree from menu resource `name` (each call makes a new one).
HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);

// Appends an item: MF_STRING (id, text), MF_SEPARATOR, or MF_POPUP (`id` is
// the popup's HMENU), with MF_GRAYED / MF_DISABLED / MF_CHECKED.
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text);
// Removes an item (MF_BYCOMMAND searches every level); DeleteMenu also
// destroys a popup it removes, RemoveMenu leaves it to the caller.
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);    // null when that item is no popup
int GetMenuItemCount(HMENU menu);              // -1 for an invalid menu
UINT GetMenuItemID(HMENU menu, int position);  // 0xFFFFFFFF for popups and bad positions
// The item's MF_* flags (for a popup: its item count in the high byte);
// 0xFFFFFFFF when there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int size, UINT flags);

// By command id (MF_BYCOMMAND, the default) these search every popup and
// sub-popup; MF_BYPOSITION addresses an item of `menu` itself. They return
// the previous state (MF_CHECKED or MF_UNCHECKED; MF_GRAYED / MF_DISABLED
// bits), or 0xFFFFFFFF (-1) when there is no such item, changing nothing.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);

// The menu of a top-level window (its class menu when none was given).
HMENU GetMenu(HWND hwnd);
// Replaces it (the old one is not destroyed); the client area shrinks or
// grows by the menu bar (WM_SIZE).
BOOL SetMenu(HWND hwnd, HMENU menu);
BOOL DrawMenuBar(HWND hwnd);  // the bar is drawn again on the next look

// Shows `menu` at the screen point and waits until an item is chosen or the
// menu is dismissed. The choice arrives at `owner` as a posted WM_COMMAND
// (MAKEWPARAM(id, 0), 0) — or is the return value with TPM_RETURNCMD (0 when
// dismissed). Greyed, disabled, separator and popup items cannot be chosen.
// Headless the blocking-call hook answers: kind u"TrackPopupMenu", args
// {x, y, then "id text" per enabled command item}, answer value = the chosen
// command id (0 dismisses). Without an answer the menu is dismissed.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);

namespace platform {

// The menu bar of a top-level window as it is drawn in the window's frame:
// the window's width inside its border by the menu-bar height; empty when
// the window has no menu. Greyed and disabled items are drawn grey; item
// `highlighted` (a position, -1 for none) is drawn selected.
Surface menuBarPixels(HWND hwnd, int highlighted = -1);
// Where each item of the bar is in that picture, by position (separators
// get empty boxes).
std::vector<RECT> menuBarItemRects(HWND hwnd);
// A popup menu as it is drawn when tracked (border, check marks, separators,
// the text after a tab right-aligned, an arrow for sub-popups).
Surface popupMenuPixels(HMENU menu, int highlighted = -1);
std::vector<RECT> popupMenuItemRects(HMENU menu);
// Chooses command `id` of the window's menu as a click on the menu would:
// posts WM_COMMAND (MAKEWPARAM(id, 0), 0) to the window. False, with nothing
// posted, when the menu has no such command or it is greyed or disabled.
bool chooseMenuCommand(HWND hwnd, UINT id);

}  // namespace platform
