// The main window's resources: menu 109, accelerator table 109, strings 103 and 109 and
// the icons 107 and 108.
#pragma once

// Registers them with the platform's resource tables (again: replaces them).
void registerMainResources();
