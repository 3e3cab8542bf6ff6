// Small pieces the modeless tool dialogs share: centring on the parent, reading a
// control's whole text, the folder chooser they show, messages, the lists of
// column names, and the marks a tool leaves on a sheet it wrote.
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows.h"

class CGrid;
class CDataCore;

// Moves the dialog (without repainting) so it is centred on its parent: x = parent left
// + (parent width - width + 1) / 2 with inclusive widths (right - left + 1), the same
// for y. Nothing without a parent.
void centreOnParent(HWND dialog);
// The control's whole text, however long.
std::u16string dialogText(HWND dialog, int id);
// The folder browser, title "选择一个文件夹", new dialog style; nothing when cancelled.
// A folder whose path does not fit the browser's MAX_PATH buffer is refused with a
// message owned by `owner` with `caption`.
std::optional<std::u16string> chooseFolder(HWND owner, HWND messageOwner, const char16_t* caption);

// Control `id`'s text into `out`. A text longer than `limit` units is refused with a
// message naming `field` (owner the dialog, `caption`) instead of being cut: false.
bool readToolField(HWND dialog, int id, int32_t limit, const std::u16string& field, const char16_t* caption,
                   std::u16string& out);
// A message box with an OK button.
void toolMessage(HWND owner, const std::u16string& text, const char16_t* caption);
// Tab title + "!" + letters for every data column of every tab whose sheet has more
// than one column, in tab order.
std::vector<std::u16string> tabColumnNames();
// Appends `items` to each listed combo of the dialog.
void addComboItems(HWND dialog, std::initializer_list<int> combos, const std::vector<std::u16string>& items);
// Runs `work`, which changes the sheets of `documents` (nulls and repeats allowed): an
// exception (an allocation failure of a sheet) is shown in a message box over the first
// of them and the program goes on. False when it threw.
bool changeSheets(const std::vector<CGrid*>& documents, const std::function<void()>& work);
// After a tool wrote into the document's sheet: its view refreshed, its window
// invalidated, and the document marked modified until its next save.
void afterToolWrite(CGrid* document);
