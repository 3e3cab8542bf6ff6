// The main window's command table: one row per command id of its menu and accelerator
// table (IDR_MAIN), read by the main window's procedure (and by tests).
#pragma once
#include <string>
#include <vector>

#include "platform/windows.h"

class CGrid;

struct CommandRow {
  UINT id = 0;
  // The row needs a document: greyed while no tab is open, and nothing runs without a
  // current document.
  bool document = false;
  // Runs the command; `current` is the current document (null only for rows that need
  // none and there is no tab).
  void (*run)(CGrid* current, UINT id) = nullptr;
};

// The rows, ordered by id.
const std::vector<CommandRow>& commandTable();
// The row of `id`; null when the table has none.
const CommandRow* findCommand(UINT id);
// Runs `id` as the main window's WM_COMMAND does (input off: dropped; the plug-in ids
// from kFirstPluginCommand first). False when the table has no row for it (default
// processing).
bool runCommand(UINT id);

// The help page opened by ID_HELP.
std::u16string helpPagePath();
