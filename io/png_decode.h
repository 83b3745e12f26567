#pragma once

#include <cstdint>
#include <span>

#include "core/picture.h"
#include "io/result.h"

namespace vorbix {

// A PNG file's picture, its colours as stored (no gamma or colour profile applied, alpha and
// transparency dropped, 16-bit channels rounded to 8). A picture over maxPixels is refused from
// its header; a damaged or cut-short file is refused with libpng's reason, which is never printed.
// Palette indexes past the palette read as black.
Result<Picture> DecodePng(std::span<const std::uint8_t> bytes, std::int64_t maxPixels);

// Whether the bytes start as a PNG file does.
bool LooksLikePng(std::span<const std::uint8_t> bytes);

}  // namespace vorbix
