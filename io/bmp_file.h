#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/picture.h"
#include "io/result.h"

namespace vorbix {

// An uncompressed 24-bit BMP: 14-byte file header, 40-byte info header, bottom row first,
// rows padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp24(const Picture& picture);
Status WriteBmp24(const std::string& path, const Picture& picture);

}  // namespace vorbix
