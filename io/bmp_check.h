#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vorbix {

// Why a BMP file cannot be read as the picture it claims to be, from its headers and the length
// of its pixel data; empty when it can, or when the bytes are not a BMP. Qt's reader would fill a
// short file with black without a word and take a header's size at its word.
std::string BmpProblem(std::span<const std::uint8_t> bytes, std::int64_t maxPixels);

// Whether the bytes start as a BMP file does.
bool LooksLikeBmp(std::span<const std::uint8_t> bytes);

}  // namespace vorbix
