// Common dialogs: choosing files to open, a file to save, and a folder.
// Headless the blocking-call hook answers them (the calls record what was
// asked); a display backend brings the native choosers.
#pragma once
#include "platform/user/Types.h"

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// CommDlgExtendedError codes.
constexpr DWORD CDERR_GENERALCODES = 0x0000;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// The platform's 64-bit layout: 152 bytes.
struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;  // pairs of description NUL pattern NUL, then NUL
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;     // 1-based
  LPWSTR lpstrFile;       // in: initial name; out: the result
  DWORD nMaxFile;         // units in lpstrFile
  LPWSTR lpstrFileTitle;  // out: the file name without its folder
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;     // out: index of the (first) file name in lpstrFile
  WORD nFileExtension;  // out: index after the '.', or of the NUL when none
  LPCWSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
static_assert(sizeof(OPENFILENAMEW) == 152, "OPENFILENAMEW must keep the platform's layout");
using LPOPENFILENAMEW = OPENFILENAMEW*;

// Asks for files to open. The hook is asked: kind u"GetOpenFileNameW",
// owner, args {title, filter as "description|pattern|..." , initial name,
// "multi" or "single", initial folder, "overwrite" for OFN_OVERWRITEPROMPT
// else "", every flag as a decimal number}; answer value nonzero = chosen, texts = full paths. On a desktop
// without a hook the desktop's chooser answers.
// The result is written as the platform writes it: one path alone (then a
// NUL; with OFN_ALLOWMULTISELECT a second NUL), or for several files of one
// folder (multi-select only) the folder NUL name NUL name ... NUL NUL.
// FALSE when cancelled or unanswered (CommDlgExtendedError 0), when the
// buffer is too small (FNERR_BUFFERTOOSMALL; the needed size in units is
// in the buffer's first unit), or for several files from different folders
// or without OFN_ALLOWMULTISELECT (FNERR_INVALIDFILENAME).
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
// Asks for a file to save: kind u"GetSaveFileNameW", args {title, filter,
// initial name, default extension, initial folder, "overwrite" or "", the
// flags in decimal};
// answer texts[0] = the path. A name
// without an extension gets "." + lpstrDefExt. The overwrite prompt is
// taken as confirmed.
BOOL GetSaveFileNameW(LPOPENFILENAMEW ofn);
DWORD CommDlgExtendedError();

// The folder browser.
constexpr UINT BIF_RETURNONLYFSDIRS = 0x00000001;
constexpr UINT BIF_EDITBOX = 0x00000010;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x00000040;
constexpr UINT BIF_USENEWUI = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;

// An item id list: here the folder's path, owned by the caller and freed
// with CoTaskMemFree.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = LPITEMIDLIST;
using PCIDLIST_ABSOLUTE = LPCITEMIDLIST;
using BFFCALLBACK = int (*)(HWND, UINT, LPARAM, LPARAM);

struct BROWSEINFOW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;
  LPWSTR pszDisplayName;  // out: the folder's own name (MAX_PATH units)
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
using LPBROWSEINFOW = BROWSEINFOW*;

// Asks for a folder: kind u"SHBrowseForFolderW", owner, args {title};
// answer value nonzero and texts[0] = the folder. Null when cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderW(LPBROWSEINFOW info);
// Copies the folder's path into `path` (MAX_PATH units); FALSE when it does
// not fit or the list is null.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path);
void CoTaskMemFree(void* block);
