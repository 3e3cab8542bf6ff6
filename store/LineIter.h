// Line by line over a wide text.
#pragma once
#include <cstdint>
#include <string>

// Iterates over the lines of a wide text, each up to and including its LF (a CR stays
// part of its line). No constructor: set position 0, length 0 and the text, then call
// next() until it returns null.
struct LineIter {
  uint64_t position;           // index of the first code unit of the next line
  uint64_t length;             // length of the line last returned
  const std::u16string* text;  // not owned

  const char16_t* next();
};
