// The resources of the document grid: the context menu, the output dialog, the paged-open
// dialog, the command dialogs (GridCommandDialogs.h) and the header filter button's icons
// (their ids: GridDialogIds.h).
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerGridResources();
