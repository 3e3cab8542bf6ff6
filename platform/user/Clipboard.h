// The clipboard (process-local, CF_UNICODETEXT and any other format number)
// and the global-memory blocks that carry its data.
#pragma once
#include <string>

#include "platform/user/Types.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// A block's handle is also its address (fixed and moveable blocks alike).
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL block);  // null on success
LPVOID GlobalLock(HGLOBAL block);   // null for a block that does not exist
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);

BOOL OpenClipboard(HWND owner);  // FALSE while another window has it open
BOOL CloseClipboard();
BOOL EmptyClipboard();                              // frees the data held; needs the clipboard open
HANDLE SetClipboardData(UINT format, HANDLE data);  // the clipboard owns `data` after
HANDLE GetClipboardData(UINT format);               // null when absent or not open
BOOL IsClipboardFormatAvailable(UINT format);

namespace platform {
// The CF_UNICODETEXT held (up to its NUL), without opening the clipboard:
// what a desktop hands to other programs.
std::u16string clipboardText();
// Tests: closes and empties the clipboard.
void resetClipboard();
// Tests: the next `count` calls of GlobalAlloc fail (null), as for want of memory.
void failGlobalAllocs(int count);
}  // namespace platform
