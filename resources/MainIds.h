// The main window's resource ids: its menu, accelerator table and window-class string,
// its title string and icons, and the commands of the main menu that belong to the
// program rather than to a grid (the grid's are in GridIds.h), the plug-in commands'
// first among them.
#pragma once
#include "platform/windows.h"

enum : int {
  IDS_APP_TITLE = 103,  // the main window's first title
  IDI_APP = 107,        // the program's icon, large
  IDI_SMALL = 108,      // and small
  IDR_MAIN = 109,       // the main menu, the accelerator table and the window class's name
};

enum : UINT {
  ID_ABOUT = 104,
  ID_ALT_ENTER = 32875,  // the Alt+Enter accelerator: a line break in the cell editor
  ID_HELP = 32887,
  ID_FIND_MATCH = 32937,
  ID_SAVE_ALL = 32939,
  ID_TWO_TABLE_DEDUPE = 32944,
  ID_SYSTEM_SCRIPT = 32946,
  ID_CLASSIFY_SETTINGS = 32951,
  ID_IMPORT_PLUGIN = 32953,
  ID_BATCH_FILTER = 32956,
  ID_BATCH_SAVE_FILTERED = 32957,
  ID_COMMAND_WINDOW = 32967,
  ID_COLUMN_MERGE = 32972,
  ID_COLUMN_SPLIT = 32973,
  ID_FILES_MERGE = 32974,
  ID_FILES_SPLIT = 32975,
  ID_TWO_TABLE_DUPLICATES = 32977,
  ID_CLASSIFY_SAVE = 32979,
};

// Plug-in i of the script-plug-in popup is command kFirstPluginCommand + i.
constexpr UINT kFirstPluginCommand = 33000;
