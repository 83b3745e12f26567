#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/picture.h"
#include "io/result.h"

namespace vorbix {

// The picture as a PNG file's bytes: a palette PNG when it has 256 colours or fewer (every
// pixel kept, a third of the room), 24-bit otherwise. Empty when the encoder fails.
std::vector<std::uint8_t> EncodePng(const Picture& picture);

// Encodes the picture and writes it whole or not at all.
Status WritePng(const std::string& path, const Picture& picture);

}  // namespace vorbix
