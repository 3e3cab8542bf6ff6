// PNG files of surfaces (window pictures saved by the test driver).
#pragma once
#include <string>

#include "platform/gdi/Surface.h"

// Writes the surface as an 8-bit RGB PNG at `path` (UTF-8). False when the
// file cannot be written or the surface is empty.
bool writePng(const Surface& surface, const std::string& path);

// Reads a PNG of any colour type into `surface` (alpha is dropped, as
// surfaces have none). False, with `surface` unchanged, on any error.
bool readPng(const std::string& path, Surface* surface);
