#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/picture.h"
#include "io/result.h"

namespace vorbix {

// Largest picture accepted, in pixels; bigger ones are refused before decoding.
constexpr std::int64_t kMaxPicturePixels = 256LL * 1000 * 1000;

// The size a picture is about to be reduced to. A JPEG at least twice as large both ways is then
// decoded at the largest DCT scale of 1/2, 1/4 or 1/8 that still covers it, inside the decoder's
// inverse transform: the same picture to within rounding, in a fraction of the time. None: 0 × 0.
struct Cover {
    int width = 0;
    int height = 0;
};

// Decodes a JPEG, PNG or BMP picture, recognised by its content; other formats are refused by
// name. A picture over maxPixels is refused from its header, before decoding; a damaged or
// cut-short one is refused rather than shown incomplete, and so is a JPEG whose scans would take
// the decoder too long. Palette indexes past a picture's palette read as black. Running out of
// memory is a refusal too. The error's text is the reason.
Result<Picture> DecodePicture(std::span<const std::uint8_t> bytes, std::int64_t maxPixels = kMaxPicturePixels,
                              Cover cover = {});

// The same for a file: only regular files are opened (a FIFO would block, a device never ends),
// of at most 1 GiB. The error's text names the path.
Result<Picture> ReadPicture(const std::string& path, std::int64_t maxPixels = kMaxPicturePixels, Cover cover = {});

struct PictureSize {
    int width = 0;
    int height = 0;
    std::int64_t Pixels() const { return static_cast<std::int64_t>(width) * height; }
};

// The size a picture file claims in its header, read without decoding; 0 × 0 when the file
// cannot be opened or names no size.
PictureSize ClaimedSize(const std::string& path);

}  // namespace vorbix
