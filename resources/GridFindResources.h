// The resources of the grid's find and replace dialogs, the column filter popup and the
// delete-duplicates dialog (their ids: FindFilterIds.h).
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerFindFilterResources();
