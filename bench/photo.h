#pragma once

#include "core/picture.h"

namespace vorbix {

// A made-up photograph: smooth sky and light, textured ground, hard edges and sensor-like
// noise, so that colour searches and counts meet the variety of a real photo.
Picture PhotoLikePicture(int width, int height);

}  // namespace vorbix
