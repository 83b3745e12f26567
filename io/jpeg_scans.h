#pragma once

#include <cstdint>
#include <span>

namespace vorbix {

// How many scans a JPEG stream holds, counted from its markers without decoding. A progressive
// decoder passes over every block of the picture once a scan, so this bounds its work.
int JpegScanCount(std::span<const std::uint8_t> bytes);

// Whether the bytes start as a JPEG stream does.
bool LooksLikeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace vorbix
