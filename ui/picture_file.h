#pragma once

#include <QString>

#include "core/picture.h"

namespace vorbix {

class Session;

// Largest picture accepted, in pixels; bigger ones are refused before decoding.
constexpr qint64 kMaxPicturePixels = 256LL * 1000 * 1000;

struct DecodedPicture {
    Picture picture;
    QString error;  // empty when the picture was read; otherwise names the file and the reason
    bool Ok() const { return error.isEmpty(); }
};

// Reads a JPEG, BMP or any other picture format Qt's installed readers know. Only regular
// files are opened; a picture over maxPixels is refused from its header, before decoding.
// Palette indexes past a picture's palette read as black.
DecodedPicture DecodePictureFile(const QString& path, qint64 maxPixels = kMaxPicturePixels);

// Decodes the file and loads it as a click in the file list does. A file that does not decode
// leaves the session exactly as it was. Returns the error, empty when the picture was loaded.
QString LoadPictureFile(Session& session, const QString& path, qint64 maxPixels = kMaxPicturePixels);

}  // namespace vorbix
