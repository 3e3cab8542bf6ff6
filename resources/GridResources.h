// The resources of the document grid: the context menu 145, the output dialog 147, the
// paged-open dialog 149, the command dialogs (GridCommandDialogs.h) and the header filter
// button's icons 139 to 142.
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerGridResources();
