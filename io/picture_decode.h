#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/picture.h"
#include "io/result.h"

namespace vorbix {

// Largest picture accepted, in pixels; bigger ones are refused before decoding.
constexpr std::int64_t kMaxPicturePixels = 256LL * 1000 * 1000;

// Decodes a JPEG, PNG or BMP picture, recognised by its content; other formats are refused by
// name. A picture over maxPixels is refused from its header, before decoding; a damaged or
// cut-short one is refused rather than shown incomplete, and so is a JPEG whose scans would take
// the decoder too long. Palette indexes past a picture's palette read as black. Running out of
// memory is a refusal too. The error's text is the reason.
Result<Picture> DecodePicture(std::span<const std::uint8_t> bytes, std::int64_t maxPixels = kMaxPicturePixels);

// The same for a file: only regular files are opened (a FIFO would block, a device never ends),
// of at most 1 GiB. The error's text names the path.
Result<Picture> ReadPicture(const std::string& path, std::int64_t maxPixels = kMaxPicturePixels);

// The size a picture file claims in its header, in pixels, read without decoding; 0 when the
// file cannot be opened or names no size.
std::int64_t ClaimedPixels(const std::string& path);

}  // namespace vorbix
