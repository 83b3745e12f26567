#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/picture.h"
#include "io/result.h"

namespace vorbix {

// Largest picture accepted, in pixels; bigger ones are refused before decoding.
constexpr std::int64_t kMaxPicturePixels = 256LL * 1000 * 1000;

// Decodes a JPEG, BMP or any other picture format Qt's installed readers know, recognised by its
// content. A picture over maxPixels is refused from its header, before decoding; a damaged or
// cut-short one is refused rather than shown incomplete. Palette indexes past a picture's
// palette read as black. The error's text is the reason.
Result<Picture> DecodePicture(std::span<const std::uint8_t> bytes, std::int64_t maxPixels = kMaxPicturePixels);

// The same for a file: only regular files are opened (a FIFO would block, a device never ends).
// The error's text names the path.
Result<Picture> ReadPicture(const std::string& path, std::int64_t maxPixels = kMaxPicturePixels);

}  // namespace vorbix
