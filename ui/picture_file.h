#pragma once

#include <QString>

#include "core/picture.h"

namespace vorbix {

// Largest picture accepted, in pixels; bigger ones are refused before decoding.
constexpr qint64 kMaxPicturePixels = 256LL * 1000 * 1000;

struct DecodedPicture {
    Picture picture;
    QString error;  // empty when the picture was read; otherwise names the file and the reason
    bool Ok() const { return error.isEmpty(); }
};

// Reads a JPEG, BMP or any other picture format Qt's installed readers know.
DecodedPicture DecodePictureFile(const QString& path);

}  // namespace vorbix
