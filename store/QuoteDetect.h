// The process-wide quote-detection switch of the text readers.
#pragma once

// When true (the start value), a field that begins with a double quote may
// hold delimiters and line breaks, and a doubled double quote stands for one.
// The menu changes it on the user-interface thread; readers only read it.
extern bool gQuoteDetect;
