// The main window's resources: its menu, accelerator table, title and class strings and
// the program's icons (their ids: MainIds.h).
#pragma once

// Registers them with the platform's resource tables (again: replaces them).
void registerMainResources();
