#include "platform/testdriver/PngOut.h"

namespace testdriver {

// Until the drawing side's PNG writer is merged there is nothing to write
// with; saving reports failure.
bool writeSurfacePng(const Surface&, const std::string&) { return false; }

}  // namespace testdriver
