// Dropped files: a window that accepts files (WS_EX_ACCEPTFILES, set by
// DragAcceptFiles) receives WM_DROPFILES with an HDROP listing the paths.
#pragma once
#include <string>
#include <vector>

#include "platform/WinTypes.h"

void DragAcceptFiles(HWND hwnd, BOOL accept);
// index 0xFFFFFFFF: the number of files; else copies path `index` (cut to the
// buffer) and returns its length; a null buffer gives the length alone.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size);
BOOL DragQueryPoint(HDROP drop, POINT* point);  // client point of the drop
void DragFinish(HDROP drop);

namespace platform {
// Makes the HDROP that WM_DROPFILES carries (freed by DragFinish).
HDROP makeDrop(const std::vector<std::u16string>& paths, POINT clientPoint);
// Files dropped at a screen point: posts WM_DROPFILES to the window under
// the point that accepts files (it or an ancestor with WS_EX_ACCEPTFILES)
// and returns that window; null, with nothing posted, when none does or
// the point is on a disabled window (its children included).
HWND dropFilesAt(POINT screen, const std::vector<std::u16string>& paths);
// The window a drop at the screen point would reach (null: none accepts).
HWND dropTargetAt(POINT screen);
}  // namespace platform
