// The resources of the grid's find and replace dialogs (132, 133), the column filter
// popup (101) and the delete-duplicates dialog (148).
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerFindFilterResources();
