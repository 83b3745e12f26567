#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

namespace vorbix {

// Writes the bytes through a temporary file beside the target and renames it into place, so
// the target holds either its old bytes or all the new ones. The error names the path and the
// system's reason. Anything but a regular file at the path is refused; a file that is replaced
// keeps its permissions.
Status WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vorbix
