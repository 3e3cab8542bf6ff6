// Script plug-ins: the script files of the folder "plugin" beside the program become
// commands kFirstPluginCommand + i at the end of the main menu's script popup (position
// 7); choosing one runs it over the current document. Import copies a further script file
// into the folder and adds its command.
#pragma once
#include <string>
#include <vector>

#include "platform/windows.h"
#include "resources/MainIds.h"

// The plug-in file names (as found in the folder, in their letter case) in menu order;
// entry i is command kFirstPluginCommand + i. Only grows while the program runs.
extern std::vector<std::u16string> gPlugins;

constexpr int kScriptPopup = 7;

// The folder the plug-ins are kept in: the program's folder + "/plugin".
std::u16string pluginFolder();
// Appends to gPlugins every name of the folder with the extension ".c", ".exp" or ".py"
// (any letter case) that does not begin with '.', in enumeration order. A missing
// folder adds nothing.
void scanPluginFolder(const std::u16string& folder);
// Appends one item per gPlugins entry to the script popup of `menu`.
void appendPluginItems(HMENU menu);
// Command ID_IMPORT_PLUGIN: copies a chosen script file into the plug-in folder
// (replacing a file of that name) and adds its item when the name is new; a failed copy
// shows a message.
void importPlugin();
// A plug-in command: runs the plug-in of the id over the current document. False (and
// nothing runs) for an id outside gPlugins or without a current document.
bool runPlugin(UINT id);
