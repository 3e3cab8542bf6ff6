// The dialogs of the file tools and About: file split 177, file merge 178 and About 103.
#pragma once

// Registers them with the platform's resource tables; repeated calls do nothing.
void registerFileToolResources();
