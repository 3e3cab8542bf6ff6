// Statistical test for UTF-16 text with the low byte first and no byte order
// mark: the stand-in for the system call of the same name.
#pragma once
#include "platform/WinTypes.h"

// Answers whether the first `len` bytes of `buf` look like UTF-16LE text.
// Every test is always applied; `result` may be null, and when it is given it
// receives 1 for a positive answer and 0 otherwise (its input is ignored).
//
// Positive: a leading FF FE, or an even-length buffer whose code units are
// (nearly all) plausible characters, with no NUL unit, no broken surrogate,
// no non-character, not made of 7-bit ASCII bytes alone (an ASCII text pairs
// into units that look like CJK, so it must never pass), and not sound GBK text
// with two-byte characters (mostly-CJK GBK pairs into plausible ideographs;
// UTF-16 text with a line break, delimiter or other ASCII holds NUL bytes,
// which GBK text never does).
BOOL IsTextUnicode(const void* buf, int len, int* result);
