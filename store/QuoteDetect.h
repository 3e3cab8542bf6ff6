// The process-wide reading settings chosen in the menu.
#pragma once
#include <atomic>

// When true (the start value), a field that begins with a double quote may
// hold delimiters and line breaks, and a doubled double quote stands for one.
// The menu changes it on the user-interface thread; every read takes it once
// as it starts (IoOptions::current), so a change reaches the next read only.
extern std::atomic<bool> gQuoteDetect;
