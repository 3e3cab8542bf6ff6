// The resources of the data tools across tables: find-match (172), two-table dedupe
// (174) and duplicates (180), column string split (176) and merge (179), classify-save
// (181).
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerToolResources();
