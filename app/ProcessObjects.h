// The process-wide objects: built in one fixed order before the entry function runs and
// torn down in the reverse order after it returns, so that a test can start and end the
// program many times in one process.
#pragma once

// Builds every object in order. A second call without endProcessObjects does nothing.
void startProcessObjects();
// Tears them down in the reverse order; nothing when they are not built.
void endProcessObjects();
