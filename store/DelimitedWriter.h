// The delimited-text writers. The sheet's own writers are CDataCore members
// (writeDelimited, writeRows, writeBom, encodeCell, encodeChar, rowToCsvLine);
// this header holds what the page write-back shares with them.
#pragma once
#include <cstdio>
#include <string>

// Writes every byte of `bytes` to `f`; false on a short write. Nothing to
// write is a success.
bool writeAllBytes(FILE* f, const std::string& bytes);
