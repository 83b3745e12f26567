#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorbix {

// Writes the bytes through a temporary file beside the target and renames it into place, so
// the target holds either its old bytes or all the new ones. Returns a message naming the path
// and the system's reason on failure, and leaves errno at the system's error number. Anything
// but a regular file at the path is refused; a file that is replaced keeps its permissions.
std::optional<std::string> WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vorbix
