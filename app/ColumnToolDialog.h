// What the column merge, column split and classify-save dialogs share: nothing runs
// while input is off, the combos filled and the dialog centred when it is made, the
// "获取" buttons that start a column pick for their combo, and the cancel that ends any
// pick and closes the dialog. Each dialog gives its combos, buttons and own commands.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "platform/windows.h"

// A "获取" button and the combo its pick fills.
struct ColumnPickButton {
  int button;
  int combo;
};

struct ColumnToolDialog {
  std::span<const int> combos;  // filled with comboItems() when the dialog is made
  std::span<const ColumnPickButton> picks;
  bool withTabName;  // picks give tab title + "!" + letters, else the letters
  std::vector<std::u16string> (*comboItems)();
  // Its own commands; false for an id that is not one of them.
  bool (*command)(HWND dialog, int id);
};

// The procedure of the column tool dialogs, for `tool`.
INT_PTR columnToolDialogProc(const ColumnToolDialog& tool, HWND dialog, UINT message, WPARAM wParam);
// Ends a pending pick and destroys the dialog.
void closeColumnTool(HWND dialog);
