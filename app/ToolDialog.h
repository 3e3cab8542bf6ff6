// Small pieces the modeless tool dialogs share: centring on the parent, reading a
// control's whole text, and the file and folder choosers they show.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/windows.h"

// Moves the dialog (without repainting) so it is centred on its parent: x = parent left
// + (parent width - width + 1) / 2 with inclusive widths (right - left + 1), the same
// for y. Nothing without a parent.
void centreOnParent(HWND dialog);
// The control's whole text, however long.
std::u16string dialogText(HWND dialog, int id);
// The multi-select open dialog (the main open dialog's flags and buffer) with the given
// filter ("description\0pattern\0...\0") and title; the chosen paths, empty when
// cancelled.
std::vector<std::u16string> chooseFiles(HWND owner, const char16_t* filter, const char16_t* title);
// The folder browser, title "选择一个文件夹", new dialog style; nothing when cancelled.
// A folder whose path does not fit the browser's MAX_PATH buffer is refused with a
// message owned by `owner` with `caption`.
std::optional<std::u16string> chooseFolder(HWND owner, HWND messageOwner, const char16_t* caption);
