// The texts of an edit command's saved cells, by text key: each value holds the text's
// UTF-16LE code units and its 2-byte NUL, without a count. They are not pool references.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

using TextMap = std::unordered_map<uint64_t, std::string>;
