// Small conversions the script functions share: numbers to the 32-bit integers the
// callbacks take, and letter case of ANSI (GBK) byte text.
#pragma once
#include <cstdint>
#include <string>

// Truncated toward zero and held in the 32-bit range; NaN gives 0.
int32_t toInt32(double value);
// A-Z to a-z (ansiLower) or a-z to A-Z (ansiUpper); the two bytes of a GBK character
// (lead byte 0x81-0xFE) stay as they are, even when the second looks like a letter.
std::string ansiLower(std::string text);
std::string ansiUpper(std::string text);
