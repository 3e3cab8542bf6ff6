// The resources of the data tools across tables: find-match, two-table dedupe and
// duplicates, column string split and merge, classify-save (their ids: ToolIds.h).
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerToolResources();
