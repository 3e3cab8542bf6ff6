// The dialogs of the file tools and About (their ids: FileToolIds.h).
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerFileToolResources();
