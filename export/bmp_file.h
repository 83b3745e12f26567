#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/picture.h"

namespace vorbix {

// An uncompressed 24-bit BMP: 14-byte file header, 40-byte info header, bottom row first,
// rows padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp24(const Picture& picture);
std::optional<std::string> WriteBmp24(const std::string& path, const Picture& picture);

}  // namespace vorbix
