#pragma once

#include <QString>

#include "core/picture.h"

namespace vorbix {

// Writes the picture as a PNG, whole or not at all. Returns a message naming the path on
// failure, empty on success.
QString WritePng(const QString& path, const Picture& picture);

}  // namespace vorbix
