#pragma once

#include <cstdint>
#include <string>

#include "io/result.h"

namespace vorbix {

// What is at a path that is not a regular file: "a folder", "a FIFO", "a device", "a socket".
std::string KindOfFileAt(const std::string& path);

// The whole of a regular file of at most maxBytes, described as what ("a settings file") when
// it is too large. Anything else at the path (a FIFO would block, a device never ends) is
// refused saying what it is. The error names the path.
Result<std::string> ReadSmallFile(const std::string& path, std::int64_t maxBytes, const std::string& what);

}  // namespace vorbix
