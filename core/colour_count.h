#pragma once

#include "core/picture.h"

namespace vorbix {

// Number of distinct 24-bit colours among the picture's pixels.
int CountColours(const Picture& picture);

}  // namespace vorbix
