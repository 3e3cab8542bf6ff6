// Writes a surface as a PNG file through the drawing side's PNG writer.
#pragma once
#include <string>

#include "platform/gdi/Surface.h"

namespace testdriver {
bool writeSurfacePng(const Surface& surface, const std::string& path);
}
